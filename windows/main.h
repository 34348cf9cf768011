#pragma once

#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "corrector/control_faces.h"
#include "corrector/photo_corrector.h"
#include "corrector/scene_presets.h"
#include "display/bitmap32_list.h"
#include "display/gauge_bar.h"
#include "display/image32.h"
#include "display/img_view32.h"
#include "photo_files/photo_dialogs.h"
#include "windows/main_layout.h"
#include "windows/main_window_messages.h"
#include "windows/plain_controls.h"
#include "windows/tools_slide.h"
#include "windows/window_drag.h"

class TForm3;

/// The main window: a borderless, fixed-size window drawn entirely from skin
/// pictures, holding the photo being corrected and its two views.
///
/// Controls are public fields named as in the layout (windows/main_layout.h);
/// Qt's parent chain owns them. Each control's events are wired to the public
/// handler named after the control and the event. Creating the window builds
/// every control with its start picture and then runs FormCreate.
///
/// The control names are partly Finnish: `nappula` is a button (`tn_nappula`,
/// the automatic-correction button; the `nappula` list, the push buttons'
/// faces), `alapalkki` the bottom bar, `ylanapit` the top buttons (the close
/// and minimise keys' faces) and `valo_select` the light selector, the
/// indicator on the light scale. Of the two photos, `tn` marks the corrected
/// one (`photo_tn`, `tn_zoom`; its caption reads "Color corrected photo") as
/// `org` marks the original. Unnamed controls keep numbered names
/// (`Image321`, `Shape1`, `Label1`).
///
/// The class's parts live in files by concern: main_controls.cpp (building
/// the controls from the layout), main_wiring.cpp, main_create.cpp
/// (FormCreate), main_operations.cpp (the corrector's operations),
/// main_render.cpp (rendering, busy cursor, pressed feedback, captions),
/// main_panning.cpp, main_top_bar.cpp (dragging the window, the top bar's
/// keys), main_tools_slide.cpp, main_closing.cpp, main_keys.cpp (the keyboard)
/// and main_drop.cpp (files dropped on the window).
class TForm1 : public QWidget, public CorrectorEvents {
    Q_OBJECT

public:
    /// `pixels_per_inch` is the screen resolution the captions are drawn for;
    /// 0 takes the real screen's.
    explicit TForm1(int pixels_per_inch = 0);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    static constexpr int kClosedHeight = main_layout::closed_height;
    static constexpr int kOpenHeight = main_layout::open_height;
    static constexpr int kWidth = main_layout::window_width;

    // The photo being worked on; it reports busy changes and load steps to this window.
    PhotoCorrector corrector;

    // Window-side state.
    bool dragging = false;
    QPoint drag_origin;
    bool tools_may_open = false;
    bool tools_open = false;

    /// The about window that about_button shows; set by the program's start-up.
    TForm3* about_window = nullptr;

    /// The file dialogs. Each lives as long as the window and offers the last
    /// name it returned (the save loop's adjusted name) when it next opens.
    /// Tests put scripted dialogs in their place.
    std::unique_ptr<OpenDialogs> OpenPictureDialog;
    std::unique_ptr<SaveDialogs> SavePictureDialog1;
    /// The load-failure message, the question before closing and the general
    /// error report. Tests put a double in its place.
    std::unique_ptr<MainWindowMessages> messages;

    // Controls, in stacking order from the bottom (a later sibling lies above an earlier one).
    TShape* Shape1 = nullptr;
    TShape* Shape2 = nullptr;
    TShape* Shape3 = nullptr;
    TShape* Shape4 = nullptr;
    TShape* Shape5 = nullptr;
    TImage32* tools = nullptr;
    TShape* Shape6 = nullptr;
    TLabel* Label1 = nullptr;
    TShape* Shape8 = nullptr;
    TLabel* Label5 = nullptr;
    TImage32* Image329 = nullptr;
    TImage32* Image328 = nullptr;
    TImage32* Image327 = nullptr;
    TImage32* Image326 = nullptr;
    TImage32* Image325 = nullptr;
    TImage32* Image324 = nullptr;
    TImage32* Image323 = nullptr;
    TImage32* Image322 = nullptr;
    TImage32* Image321 = nullptr;
    TImage32* Image3216 = nullptr;
    TImage32* valo_select = nullptr;
    TImage32* dark_button = nullptr;
    TImage32* light_button = nullptr;
    TImgView32* photo_tn = nullptr;
    TImage32* Image3213 = nullptr;
    TImage32* up_close = nullptr;
    TImage32* up_min = nullptr;
    TImage32* lcd = nullptr;
    TLabel* lcd_row1 = nullptr;
    TLabel* status = nullptr;
    TShape* profile_shape = nullptr;
    TLabel* profile = nullptr;
    TShape* correction_shape = nullptr;
    TLabel* correction = nullptr;
    TImage32* save_button = nullptr;
    TImage32* close_button = nullptr;
    TImage32* open_button = nullptr;
    TImage32* undo_button = nullptr;
    TImage32* about_button = nullptr;
    TImage32* Image3215 = nullptr;
    TImage32* cam_icon = nullptr;
    TImage32* mob_icon = nullptr;
    TImage32* tools_button = nullptr;
    TImage32* tn_info_box = nullptr;
    TImage32* tn_nappula = nullptr;
    TImgView32* photo_org = nullptr;
    TImage32* alapalkki = nullptr;
    TImage32* org_photo_cap = nullptr;
    TLabel* org_photo_caption = nullptr;
    TLabel* zoom_level = nullptr;
    TGaugeBar* org_zoom = nullptr;
    TImage32* photo_tn_cap = nullptr;
    TLabel* tn_photo_cap = nullptr;
    TLabel* tn_zoom_level = nullptr;
    TGaugeBar* tn_zoom = nullptr;

    /// The preset pictures Image321 ... Image329, in that order.
    std::array<TImage32*, 9> preset_controls() const;

    // Faces that controls switch between, by BitmaplistFace, NappulaFace and YlanapitFace.
    TBitmap32List bitmaplist;
    TBitmap32List nappula;
    TBitmap32List ylanapit;

    // The tools panel's slide: Timer1 opens it, Timer2 closes it, one pixel per tick.
    QTimer Timer1;
    QTimer Timer2;

    /// The screen resolution the captions are drawn for.
    int pixels_per_inch() const { return pixels_per_inch_; }

    /// How long a pressed control stays shifted, and how the event thread
    /// waits meanwhile (tests may shorten or observe the wait).
    std::chrono::milliseconds press_duration{100};
    std::function<void(std::chrono::milliseconds)> sleep_for;

    /// Hands the window to the window system's own move loop; returns false
    /// where the system has none, and the window then follows the mouse itself.
    std::function<bool()> start_window_move;

    /// Pressed feedback: shifts `control` 1 pixel right and down, shows it so,
    /// waits press_duration, runs `while_pressed` (if any) and moves the
    /// control back to where it was.
    void press_control(QWidget& control, const std::function<void()>& while_pressed = {});

    /// Draws `text` in bold (when asked) caption face onto the control's own
    /// copy of its picture with its top-left at (x, y), in opaque white or
    /// black, and repaints the control at once.
    void draw_white_caption(TImage32& control, const QString& text, int x, int y, bool bold);
    void draw_black_caption(TImage32& control, const QString& text, int x, int y, bool bold);

    // Event handlers. Each runs one operation of the corrector (after the
    // pressed control's feedback) and renders the corrector's state after it.
    // Called directly they let errors through; wired to their controls, an
    // error goes to the general error report.
    void open_buttonClick();
    void save_buttonClick();
    void undo_buttonClick();
    void close_buttonClick();
    void up_closeClick();
    void about_buttonClick();
    void tools_buttonClick();
    void tn_nappulaClick();
    void cam_iconClick();
    void mob_iconClick();
    void Image321DblClick();
    void Image322DblClick();
    void Image323DblClick();
    void Image324DblClick();
    void Image325DblClick();
    void Image326DblClick();
    void Image327DblClick();
    void Image328Click();
    void Image329DblClick();
    void light_buttonClick();
    void dark_buttonClick();
    void org_zoomChange();
    void tn_zoomChange();
    void photo_orgMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void photo_orgMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void photo_orgMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void photo_tnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void photo_tnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void photo_tnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    /// Ctrl+0: both views fitted to the photo, as after an open.
    void fit_both_views();

    /// Opens `path` as if the open dialog had chosen it: the same steps and the
    /// same failure message. The command line and a dropped file open this way;
    /// an error goes to the general error report.
    void open_photo_file(const std::string& path);

    // Purely visual handlers.
    void Timer1Timer();
    void Timer2Timer();
    void up_closeMouseEnter();
    void up_closeMouseLeave();
    void up_minMouseEnter();
    void up_minMouseLeave();
    void up_minClick();
    void Image3213MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);

    /// Shows the corrector's presentation state: status line, LCD captions,
    /// faces of the correction button and camera icons, the light indicator and
    /// the cursor. The views follow their photo buffers by themselves.
    void render_corrector();

    // CorrectorEvents.
    void busy_changed(bool busy) override;
    void loading_started() override;
    void load_failed() override;
    void photo_opened() override;
    void start_state_restored() override;

protected:
    void showEvent(QShowEvent* event) override;
    /// A close asked for by the window system (its close command, Alt+F4, the
    /// task bar) asks the same save question as the EXIT button.
    void closeEvent(QCloseEvent* event) override;
    /// Each key runs what a click on its control runs, while it can be clicked
    /// (the key table is in main_keys.cpp).
    void keyPressEvent(QKeyEvent* event) override;
    /// A JPEG file dragged from a file manager opens when dropped (main_drop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void load_lists();
    void build_controls();
    QWidget* make_control(const main_layout::Control& place, QWidget* parent);
    void wire_events();
    void FormCreate();
    void mark_caption_fonts();
    /// Draws the layout's captions of `control` onto its own copy of its picture.
    void draw_layout_captions(TImage32& control);
    void draw_caption(TImage32& control, const QString& text, int x, int y, bool bold, std::uint32_t color);
    void set_window_height(int height);
    void show_slide_step(const ToolsSlide& slide, bool moved);
    void Image3213MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void Image3213MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

    /// Runs an event handler; an error escaping it goes to the general error
    /// report, and the program goes on.
    void guarded(const std::function<void()>& handler);
    void run_preset(TImage32& control, ScenePreset preset);
    /// The save question; false when the window must stay open.
    bool may_close();
    void close_main_window();
    void view_mouse_down(TImgView32& view, Qt::MouseButton button, int x, int y);
    void view_mouse_move(TImgView32& view, int x, int y);
    void view_mouse_up(TImgView32& view, Qt::MouseButton button);

    int pixels_per_inch_;
    bool centred_ = false;
    bool cursor_overridden_ = false;
    bool close_approved_ = false;  // the save question was asked and answered for this close

    // Faces the corrector's state was last rendered with (the controls' start pictures).
    int shown_toggle_face_ = BitmaplistFace::CorrectionOff;
    std::pair<int, int> shown_camera_faces_{BitmaplistFace::CameraFaded, BitmaplistFace::PhoneFaded};

    WindowDrag top_bar_drag_;
};
