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

class QScreen;
class AboutWindow;

/// The main window: a borderless, fixed-size window drawn entirely from skin
/// pictures, holding the photo being corrected and its two views.
///
/// Controls are public fields named as in the layout (windows/main_layout.h);
/// Qt's parent chain owns them. Each control's events are wired to the public
/// handler named after the control and the event. Creating the window builds
/// every control with its start picture and then runs WindowCreate.
/// windows/CONTROLS.md lists the controls with what each one is.
///
/// The class's parts live in files by concern: main_controls.cpp (building
/// the controls from the layout), main_wiring.cpp, main_create.cpp
/// (WindowCreate), main_operations.cpp (the corrector's operations),
/// main_render.cpp (rendering, busy cursor, pressed feedback, captions),
/// main_panning.cpp, main_top_bar.cpp (dragging the window, the top bar's
/// keys), main_tools_slide.cpp, main_closing.cpp, main_keys.cpp (the keyboard)
/// and main_drop.cpp (files dropped on the window).
class MainWindow : public QWidget, public CorrectorEvents {
    Q_OBJECT

public:
    /// `pixels_per_inch` is the resolution of one layout pixel the captions are
    /// drawn for; 0 takes the screen's (see screen_pixels_per_inch). The window
    /// is built for `screen` (the primary one unless given): at its device pixel
    /// ratio the skin pictures, captions, labels and views are drawn in its own
    /// pixels while the layout stays in layout pixels.
    explicit MainWindow(int pixels_per_inch = 0, QScreen* screen = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

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
    AboutWindow* about_window = nullptr;

    /// The file dialogs. Each lives as long as the window and offers the last
    /// name it returned (the save loop's adjusted name) when it next opens.
    /// Tests put scripted dialogs in their place.
    std::unique_ptr<OpenDialogs> open_dialogs;
    std::unique_ptr<SaveDialogs> save_dialogs;
    /// The load-failure message, the question before closing and the general
    /// error report. Tests put a double in its place.
    std::unique_ptr<MainWindowMessages> messages;

    // Controls, in stacking order from the bottom (a later sibling lies above an earlier one).
    TShape* views_backdrop = nullptr;
    TShape* original_view_frame = nullptr;
    TShape* corrected_view_frame = nullptr;
    TShape* original_caption_frame = nullptr;
    TShape* corrected_caption_frame = nullptr;
    TImage32* tools_panel = nullptr;
    TShape* presets_label_plate = nullptr;
    TLabel* presets_label = nullptr;
    TShape* light_label_plate = nullptr;
    TLabel* light_label = nullptr;
    /// The preset pictures on the tools panel, indexed by ScenePreset.
    std::array<TImage32*, scene_presets.size()> preset_buttons{};
    TImage32* light_scale = nullptr;
    TImage32* light_indicator = nullptr;
    TImage32* dark_button = nullptr;
    TImage32* light_button = nullptr;
    TImgView32* corrected_view = nullptr;
    TImage32* top_bar = nullptr;
    TImage32* top_close_key = nullptr;
    TImage32* top_minimise_key = nullptr;
    TImage32* lcd_panel = nullptr;
    TLabel* title_label = nullptr;
    TLabel* status_label = nullptr;
    TShape* profile_box = nullptr;
    TLabel* profile_label = nullptr;
    TShape* correction_box = nullptr;
    TLabel* correction_label = nullptr;
    TImage32* save_button = nullptr;
    TImage32* close_button = nullptr;
    TImage32* open_button = nullptr;
    TImage32* undo_button = nullptr;
    TImage32* about_button = nullptr;
    TImage32* lower_bar = nullptr;
    TImage32* camera_icon = nullptr;
    TImage32* phone_icon = nullptr;
    TImage32* tools_button = nullptr;
    TImage32* correction_info_box = nullptr;
    TImage32* correction_button = nullptr;
    TImgView32* original_view = nullptr;
    TImage32* bottom_bar = nullptr;
    TImage32* original_caption_bar = nullptr;
    TLabel* original_caption = nullptr;
    TLabel* original_zoom_label = nullptr;
    TGaugeBar* original_zoom = nullptr;
    TImage32* corrected_caption_bar = nullptr;
    TLabel* corrected_caption = nullptr;
    TLabel* corrected_zoom_label = nullptr;
    TGaugeBar* corrected_zoom = nullptr;

    TImage32* preset_button(ScenePreset preset) const
    {
        return preset_buttons[static_cast<std::size_t>(preset)];
    }

    // Faces that controls switch between, by IconFace, ButtonFace and TopKeyFace.
    TBitmap32List icon_faces;
    TBitmap32List button_faces;
    TBitmap32List top_key_faces;

    // The tools panel's slide, one pixel per tick.
    QTimer panel_open_timer;
    QTimer panel_close_timer;

    /// The resolution of one layout pixel the captions are drawn for.
    int pixels_per_inch() const { return pixels_per_inch_; }
    /// The device pixel ratio the skin pictures were chosen for.
    double device_pixel_ratio() const { return device_pixel_ratio_; }

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
    void top_close_keyClick();
    void about_buttonClick();
    void tools_buttonClick();
    void correction_buttonClick();
    void camera_iconClick();
    void phone_iconClick();
    /// The preset buttons' handler: applies `preset` after its button's pressed feedback.
    void preset_buttonClick(ScenePreset preset);
    void light_buttonClick();
    void dark_buttonClick();
    void original_zoomChange();
    void corrected_zoomChange();
    void original_viewMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void original_viewMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void original_viewMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void corrected_viewMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void corrected_viewMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void corrected_viewMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    /// Ctrl+0: both views fitted to the photo, as after an open.
    void fit_both_views();

    /// Opens `path` as if the open dialog had chosen it: the same steps and the
    /// same failure message. The command line and a dropped file open this way;
    /// an error goes to the general error report.
    void open_photo_file(const std::string& path);

    // Purely visual handlers.
    void panel_open_timerTick();
    void panel_close_timerTick();
    void top_close_keyMouseEnter();
    void top_close_keyMouseLeave();
    void top_minimise_keyMouseEnter();
    void top_minimise_keyMouseLeave();
    void top_minimise_keyClick();
    void top_barMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);

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
    void WindowCreate();
    void mark_caption_fonts();
    /// Draws the layout's captions of `control` onto its own copy of its picture.
    void draw_layout_captions(TImage32& control);
    void draw_caption(TImage32& control, const QString& text, int x, int y, bool bold, std::uint32_t color);
    void set_window_height(int height);
    void show_slide_step(const ToolsSlide& slide, bool moved);
    void top_barMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void top_barMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

    /// Runs an event handler; an error escaping it goes to the general error
    /// report, and the program goes on.
    void guarded(const std::function<void()>& handler);
    /// The save question; false when the window must stay open.
    bool may_close();
    void close_main_window();
    void view_mouse_down(TImgView32& view, Qt::MouseButton button, int x, int y);
    void view_mouse_move(TImgView32& view, int x, int y);
    void view_mouse_up(TImgView32& view, Qt::MouseButton button);

    int pixels_per_inch_;
    double device_pixel_ratio_ = 1.0;
    bool centred_ = false;
    bool cursor_overridden_ = false;
    bool close_approved_ = false;  // the save question was asked and answered for this close

    // Faces the corrector's state was last rendered with (the controls' start pictures).
    int shown_toggle_face_ = IconFace::CorrectionOff;
    std::pair<int, int> shown_camera_faces_{IconFace::CameraFaded, IconFace::PhoneFaded};

    WindowDrag top_bar_drag_;
};
