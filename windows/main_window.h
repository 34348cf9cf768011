#pragma once

#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "corrector/control_faces.h"
#include "corrector/folder_walk.h"
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
#include "windows/strength_slider.h"
#include "windows/tools_slide.h"
#include "windows/window_drag.h"

class QScreen;
class AboutWindow;
class FocusRing;

/// The main window: a borderless, resizable window drawn entirely from skin
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
/// keys), main_tools_slide.cpp, main_closing.cpp, main_keys.cpp (the keyboard),
/// main_accessible.cpp (screen readers and the keyboard focus) and main_drop.cpp (files
/// dropped on the window).
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
    // The shown photo's folder, one photo after another (main_stepping.cpp).
    FolderWalk folder_walk{corrector};

    // Window-side state.
    bool dragging = false;
    QPoint drag_origin;
    bool tools_may_open = false;
    bool tools_open = false;
    /// One large view of the corrected photo in the place of both views (main_view_modes.cpp).
    bool single_view = false;
    /// The original photo shown in the large view's place while a key or button is held.
    bool original_in_place = false;

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
    TImage32* strength_track = nullptr;
    TLabel* strength_label = nullptr;
    TLabel* strength_value = nullptr;
    TImage32* strength_knob = nullptr;
    TImgView32* corrected_view = nullptr;
    TImage32* top_bar = nullptr;
    TImage32* top_close_key = nullptr;
    TImage32* top_minimise_key = nullptr;
    TImage32* top_maximise_key = nullptr;
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
    TImage32* previous_button = nullptr;
    TImage32* next_button = nullptr;
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
    TBitmap32List step_key_faces;

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
    /// Hands a press on the window's rim to the window system's own resize; false where it has none.
    std::function<bool(Qt::Edges)> start_window_resize;

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
    /// Every open and Ctrl+0: both views fitted to the photo by the one rule, each at the
    /// whole percent its caption shows.
    void fit_both_views();
    // The photo read ahead comes with its original view drawn on the reading thread, for the
    // place the view has now; showing it then needs no resampling of that view.
    void use_view_drawn_ahead();
    /// Steps through the shown photo's folder (main_stepping.cpp), after the save
    /// question when the photo has unsaved corrections.
    void next_buttonClick();
    void previous_buttonClick();
    void first_photo();
    void last_photo();
    /// Ctrl+Enter and Shift with a click on SAVE PHOTO: saves beside the original as
    /// `mallet correct` names it, without the save dialog, then steps to the next photo.
    void save_and_go_on();

    /// The strength slider let go at `percent`; [ and ] move it 10 % (main_strength.cpp).
    void strength_chosen(int percent);
    void strength_downKey();
    void strength_upKey();
    /// Ctrl+Z takes the last step back, Ctrl+Shift+Z and Ctrl+Y take it again (main_history.cpp).
    void undo_stepKey();
    void redo_stepKey();

    /// The knob, its value and the corrected view's preview while it is dragged.
    std::unique_ptr<StrengthSlider> strength_slider;

    /// F11 and a double click on a view; Escape leaves full screen.
    void toggle_full_screen();
    void leave_full_screen();
    /// V: one large corrected view, or the two side by side.
    void toggle_single_view();
    /// Backslash or the middle button held over the large view: the original photo in its place.
    void show_original_in_place(bool shown);
    void show_original_held() { show_original_in_place(true); }

    /// Opens `path` as if the open dialog had chosen it: the same steps and the
    /// same failure message. The command line and a dropped file open this way;
    /// an error goes to the general error report.
    void open_photo_file(const std::string& path);
    /// Opens `path` as open_photo_file does while the window is not shown yet (the photo
    /// named at start-up); the message for a photo that fails waits until the window shows.
    void open_photo_before_showing(const std::string& path);

    // Purely visual handlers.
    void panel_open_timerTick();
    void panel_close_timerTick();
    void top_close_keyMouseEnter();
    void top_close_keyMouseLeave();
    void top_minimise_keyMouseEnter();
    void top_minimise_keyMouseLeave();
    void top_minimise_keyClick();
    void top_maximise_keyMouseEnter();
    void top_maximise_keyMouseLeave();
    /// The maximise key and a double click on the top bar: maximised, or back to the size before.
    void top_maximise_keyClick();
    void top_barMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);

    /// Shows the corrector's presentation state: status line, LCD captions,
    /// faces of the correction button and camera icons, the light indicator and
    /// the cursor. The views follow their photo buffers by themselves.
    void render_corrector();
    /// The status line shows the corrector's status text, on the LCD's glass.
    void show_status_text();

    // CorrectorEvents.
    void busy_changed(bool busy) override;
    void loading_started() override;
    void load_failed() override;
    void photo_opened() override;
    void start_state_restored() override;

protected:
    void showEvent(QShowEvent* event) override;
    /// The controls follow the layout table to the new size (main_resizing.cpp).
    void resizeEvent(QResizeEvent* event) override;
    /// A press on the window's rim, over whichever control lies there, resizes the window.
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// The maximise key shows the restore glyph while the window is maximised.
    void changeEvent(QEvent* event) override;
    /// A close asked for by the window system (its close command, Alt+F4, the
    /// task bar) asks the same save question as the EXIT button.
    void closeEvent(QCloseEvent* event) override;
    /// Each key runs what a click on its control runs, while it can be clicked
    /// (the key table is in main_keys.cpp).
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    /// Tab and Shift+Tab: the keyboard focus to the next or previous control in reading order
    /// (main_accessible.cpp).
    bool focusNextPrevChild(bool next) override;
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
    /// Gives every control its role, name and state for screen readers, in reading order.
    void describe_controls();
    /// Tells screen readers what changed in the controls, and drops a focus that can no
    /// longer be reached.
    void controls_changed();
    /// The control that holds the focus from Tab, with its ring shown; nullptr for none.
    QWidget* keyboard_focus() const;
    void drop_keyboard_focus();
    /// Enter, Space, Escape and the arrows while a control holds the keyboard focus; false
    /// when the key is not the focus's.
    bool keyboard_focus_keyPress(const QKeyEvent& event);
    /// The ring follows the focus as it moves, and as its control moves or hides.
    void follow_keyboard_focus(QObject* watched, QEvent* event);
    /// Draws the layout's captions of `control` onto its own copy of its picture.
    void draw_layout_captions(TImage32& control);
    void draw_caption(TImage32& control, const QString& text, int x, int y, bool bold, std::uint32_t color);
    /// The tools panel's slide: the designed height it sets, the window keeping what it grew beyond it.
    void set_window_height(int height);
    void lay_out_controls();
    void widen_picture(TImage32& control, const main_layout::Control& place, int width);
    /// `wanted`, no larger than the screen's room for windows.
    QSize size_on_screen(QSize wanted) const;
    void show_slide_step(const ToolsSlide& slide, bool moved);
    void top_barMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void top_barMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

    /// Runs an event handler; an error escaping it goes to the general error
    /// report, and the program goes on.
    void guarded(const std::function<void()>& handler);
    /// The save question; false when the window must stay open.
    bool may_close();
    void close_main_window();
    void wire_stepping();
    // Shows `control`'s face `face` of step_key_faces.
    void show_step_key_face(TImage32& control, int face);
    // Steps with `key` showing its pressed face meanwhile.
    void press_step_key(TImage32& key, int face, FolderStep step);
    void step_photo(FolderStep step);
    void go_to_photo(FolderStep step);
    /// The save question before leaving a photo; false when it must stay.
    bool may_leave_photo();
    /// The status line: the corrector's status, with the position beside the photo's name.
    QString status_position_text() const;
    void view_mouse_down(TImgView32& view, Qt::MouseButton button, int x, int y);
    void view_mouse_move(TImgView32& view, int x, int y);
    void view_mouse_up(TImgView32& view, Qt::MouseButton button);
    /// Both views show the opened photo through its colour profile (main_colour_profile.cpp).
    void show_photo_colour_profile();

    int pixels_per_inch_;
    double device_pixel_ratio_ = 1.0;
    bool centred_ = false;
    bool cursor_overridden_ = false;
    bool close_approved_ = false;  // the save question was asked and answered for this close
    bool stepping_ = false;        // a photo that fails to open says so on the status line only
    bool save_pressed_with_shift_ = false;
    std::string opening_path_;  // the photo being opened, as the dialog or the caller named it
    bool opening_before_shown_ = false;
    std::optional<LoadOutcome> load_failure_to_show_;  // a failed open's, once the window shows

    // Faces the corrector's state was last rendered with (the controls' start pictures).
    int shown_toggle_face_ = IconFace::CorrectionOff;
    std::pair<int, int> shown_camera_faces_{IconFace::CameraFaded, IconFace::PhoneFaded};

    WindowDrag top_bar_drag_;
    FocusRing* focus_ring_ = nullptr;
    bool keyboard_focus_shown_ = false;  // the focus came from Tab, not from the window's activation

    // The controls in the layout table's order, and the bars' pictures as drawn, before widening.
    std::vector<QWidget*> laid_out_controls_;
    std::map<std::string, std::unique_ptr<Bitmap32>> unwidened_pictures_;
    int slide_offset_ = 0;       // how far the tools panel has slid out
    bool views_fitted_ = false;  // both views were fitted and not zoomed since: a resize fits them again
};
