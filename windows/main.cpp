#include "windows/main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QShowEvent>
#include <QToolTip>
#include <QWindow>
#include <exception>
#include <thread>

#include "windows/about_screen.h"
#include "display/antialiased_text.h"
#include "display/bitmap_qt.h"
#include "engine/database.h"
#include "windows/error_report.h"
#include "display/fit_views.h"
#include "windows/qt_photo_dialogs.h"
#include "corrector/scene_presets.h"
#include "windows/skin_fonts.h"
#include "windows/window_support.h"

namespace {

// Floors of the recessed bays the icons and keys sit in; a control larger
// than its picture shows this colour in the uncovered strip.
const QColor kLowerBayFloor(190, 192, 197);
const QColor kCaptionGrey(201, 201, 201);
const QColor kPanelLabelGrey(208, 208, 208);
const QColor kProfileBlue(90, 174, 210);
const QColor kToolTipGrey(213, 213, 213);

constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

// Above this resolution the caption fonts are marked as fonts of this one.
constexpr int kMarkedPixelsPerInch = 150;

// The preset pictures from the left of the tools panel: control, left edge, picture.
struct PresetPlace {
    int number;  // 9 for Image329 ... 1 for Image321
    int left;
    const char* file;
};
constexpr std::array<PresetPlace, 9> kPresetPlaces{{
    {9, 15, "preset_indoors_bulb_lamp.png"},
    {8, 97, "preset_indoors_mixed_light.png"},
    {7, 178, "preset_outdoors.png"},
    {6, 260, "preset_outdoors_cloudy.png"},
    {5, 341, "preset_outdoors_too_shiny.png"},
    {4, 423, "preset_indoors_no_flash.png"},
    {3, 504, "preset_indoors_flash.png"},
    {2, 586, "preset_backlight.png"},
    {1, 668, "preset_outdoors_vivid.png"},
}};

QColor window_text()
{
    return QGuiApplication::palette().color(QPalette::WindowText);
}

// The status line shows file names, which are the file system's bytes.
QString status_caption(const std::string& text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

// The light indicator's left edge at light level 0, and its step per level.
constexpr int kLightIndicatorMiddle = 57;
constexpr int kLightIndicatorStep = 8;

// Runs `undo` when the scope is left, also by an exception.
template <typename Undo>
class OnExit {
public:
    explicit OnExit(Undo undo) : undo_(std::move(undo)) {}
    ~OnExit() { undo_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Undo undo_;
};

}  // namespace

TForm1::TForm1(int pixels_per_inch)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      corrector(this),
      pixels_per_inch_(pixels_per_inch > 0 ? pixels_per_inch : screen_pixels_per_inch())
{
    sleep_for = [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); };
    start_window_move = [this] { return windowHandle() != nullptr && windowHandle()->startSystemMove(); };
    OpenPictureDialog = std::make_unique<QtOpenDialogs>(this);
    SavePictureDialog1 = std::make_unique<QtSaveDialogs>(this);
    messages = std::make_unique<QtMainWindowMessages>(this);
    setWindowTitle(QGuiApplication::applicationDisplayName());
    // The window's own colour is the button face, like every face-less control.
    QPalette own = palette();
    own.setColor(QPalette::Window, own.color(QPalette::Button));
    setPalette(own);
    setAutoFillBackground(true);
    // Hints show whenever the mouse rests on a control, as on the desktop the
    // skin was designed for, even while another window has the focus.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    resize(kWidth, kClosedHeight);

    load_lists();
    build_controls();
    wire_events();
    FormCreate();
}

TForm1::~TForm1()
{
    // The controls' handlers reach into this window's fields: let the controls
    // go while those fields still exist.
    Timer1.stop();
    Timer2.stop();
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    if (cursor_overridden_) QGuiApplication::restoreOverrideCursor();
}

std::array<TImage32*, 9> TForm1::preset_controls() const
{
    return {Image321, Image322, Image323, Image324, Image325, Image326, Image327, Image328, Image329};
}

TImage32* TForm1::skin(QWidget* parent, int left, int top, int width, int height, const char* file,
                       const QString& hint)
{
    auto* control = new TImage32(parent);
    control->setGeometry(left, top, width, height);
    control->bitmap().attributes.font = default_bitmap_font(pixels_per_inch_);
    if (file != nullptr) load_skin(control->bitmap(), file);
    control->set_hint(hint);
    return control;
}

void TForm1::load_lists()
{
    const auto fill = [this](TBitmap32List& list, std::initializer_list<const char*> files) {
        for (const char* file : files) {
            Bitmap32& bitmap = list.Bitmaps.add().Bitmap;
            bitmap.attributes.font = default_bitmap_font(pixels_per_inch_);
            load_skin(bitmap, file);
        }
    };
    fill(bitmaplist, {"correction_on.png", "correction_off.png", "camera.png", "camera_faded.png",
                      "phone.png", "phone_faded.png", "tools_sign.png", "tools_sign_faded.png"});
    fill(nappula, {"button_grey.png", "button_red.png"});
    fill(ylanapit, {"close.png", "close_hover.png", "minimise.png", "minimise_hover.png"});
}

void TForm1::build_controls()
{
    const QFont terminal8 = terminal_font(8);
    const QFont terminal11 = terminal_font(11);

    // Creation order is stacking order among siblings.
    Shape1 = new TShape(this, 0, 106, 902, 369, QColor(213, 213, 213));
    Shape2 = new TShape(this, 12, 117, 428, 326, kCaptionGrey);
    Shape3 = new TShape(this, 456, 117, 428, 326, kCaptionGrey);
    Shape4 = new TShape(this, 12, 448, 428, 18, kCaptionGrey);
    Shape5 = new TShape(this, 457, 448, 428, 18, kCaptionGrey);

    tools = skin(this, 0, 560, 902, 97, "tools_panel.png");
    Shape6 = new TShape(tools, 371, 4, 187, 17, kPanelLabelGrey);
    Label1 = new TLabel(tools, 383, 9, "Select illumination type", terminal8, window_text(), kPanelLabelGrey,
                        false);
    Shape8 = new TShape(tools, 774, 5, 111, 17, kPanelLabelGrey);
    Label5 = new TLabel(tools, 780, 10, "Adjust lightning", terminal8, window_text(), kPanelLabelGrey, false);
    TImage32** presets[] = {&Image321, &Image322, &Image323, &Image324, &Image325,
                            &Image326, &Image327, &Image328, &Image329};
    for (const PresetPlace& place : kPresetPlaces) {
        const ScenePresetInfo& preset = scene_presets[static_cast<std::size_t>(place.number - 1)];
        *presets[place.number - 1] = skin(tools, place.left, 25, 81, 66, place.file, preset.hint);
    }
    Image3216 = skin(tools, 768, 25, 122, 43, "light_scale.png");
    valo_select = skin(Image3216, 57, 12, 5, 25, "light_indicator.png");
    dark_button = skin(tools, 785, 70, 32, 22, "dark_button.png", "Set less light to photo");
    light_button = skin(tools, 833, 70, 32, 22, "light_button.png", "Set more light to phone");

    photo_tn = new TImgView32(this);
    photo_tn->setGeometry(460, 120, 420, 320);
    photo_tn->set_color(kCaptionGrey);

    Image3213 = skin(this, 0, 0, 902, 107, "top_bar.png");
    up_close = skin(Image3213, 880, 0, 22, 22, "close.png");
    up_min = skin(Image3213, 856, 0, 23, 22, "minimise.png");

    lcd = skin(this, 296, 32, 599, 58, "lcd.png");
    lcd_row1 = new TLabel(lcd, 40, 16, "TINTELO PHOTO MALLET 1.1 -- ", terminal8, window_text(), {}, true);
    status = new TLabel(lcd, 256, 16, "READY", terminal8, window_text(), {}, true);
    profile_shape = new TShape(lcd, 90, 33, 144, 13, Qt::black);
    profile = new TLabel(lcd, 95, 36, "DIGITAL CAMERA PROFILE", terminal8, kProfileBlue, {}, true);
    correction_shape = new TShape(lcd, 238, 33, 144, 13, Qt::black);
    correction = new TLabel(lcd, 250, 36, "AUTOMATIC CORRECTION", terminal8, kProfileBlue, {}, true);
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{profile_shape, profile, correction_shape, correction})
        hidden->setVisible(false);

    save_button = skin(this, 8, 80, 131, 21, "button_grey.png", "Save as corrected photo");
    close_button = skin(this, 8, 56, 131, 21, "button_red.png", "Close application");
    open_button = skin(this, 8, 32, 131, 21, "button_red.png", "Open photo");
    undo_button = skin(this, 144, 32, 131, 21, "button_grey.png", "Undo");
    about_button = skin(this, 144, 56, 131, 21, "button_red.png", "More information");

    Image3215 = skin(this, 0, 474, 902, 90, "lower_bar.png");
    cam_icon = skin(Image3215, 8, 19, 77, 53, "camera_faded.png", "Set camera type (Digital camera)");
    mob_icon = skin(Image3215, 81, 19, 65, 53, "phone_faded.png", "Set camera type (Mobile phone)");
    tools_button = skin(Image3215, 720, 17, 152, 62, "tools_sign_faded.png", "Show more tools");
    tn_info_box = skin(Image3215, 376, 31, 218, 30, "info_box.png");
    tn_nappula = skin(this, 312, 497, 49, 49, "correction_off.png", "Activate Automatic Color Correction");
    for (TImage32* on_bay_floor : {cam_icon, mob_icon, tools_button, tn_info_box, tn_nappula})
        on_bay_floor->set_color(kLowerBayFloor);

    photo_org = new TImgView32(this);
    photo_org->setGeometry(16, 120, 420, 320);
    photo_org->set_color(kCaptionGrey);

    alapalkki = skin(this, 0, 559, 902, 49, "bottom_bar.png");

    org_photo_cap = skin(this, 13, 449, 424, 16, "caption_bar.png");
    org_photo_cap->set_color(kCaptionGrey);
    org_photo_caption =
        new TLabel(org_photo_cap, 4, 4, "Original photo", terminal8, window_text(), kCaptionGrey, false);
    zoom_level = new TLabel(org_photo_cap, 397, 4, "100%", terminal11, window_text(), kCaptionGrey, false);
    org_zoom = new TGaugeBar(org_photo_cap);
    org_zoom->setGeometry(274, 4, 100, 9);

    photo_tn_cap = skin(this, 458, 449, 424, 16, "caption_bar.png");
    photo_tn_cap->set_color(kCaptionGrey);
    tn_photo_cap = new TLabel(photo_tn_cap, 4, 4, "Color corrected photo", terminal8, window_text(),
                              kCaptionGrey, false);
    tn_zoom_level = new TLabel(photo_tn_cap, 397, 4, "100%", terminal11, window_text(), kCaptionGrey, false);
    tn_zoom = new TGaugeBar(photo_tn_cap);
    tn_zoom->setGeometry(275, 4, 100, 9);

    for (TGaugeBar* slider : {org_zoom, tn_zoom}) {
        slider->set_range(5, 400);
        slider->set_position(5);
        slider->set_large_change(10);
        slider->set_small_change(1);
    }

    photo_org->set_bitmap(&corrector.org_photo);
    photo_tn->set_bitmap(&corrector.corrected_photo);

    for (QTimer* timer : {&Timer1, &Timer2}) {
        timer->setInterval(5);
        timer->setTimerType(Qt::PreciseTimer);
    }
}

void TForm1::wire_events()
{
    // Controls with both events run the same handler for each click of a double click.
    const auto both = [this](TImage32* control, void (TForm1::*handler)()) {
        control->OnClick = [this, handler] { guarded([this, handler] { (this->*handler)(); }); };
        control->OnDblClick = control->OnClick;
    };
    const auto click = [this](TImage32* control, void (TForm1::*handler)()) {
        control->OnClick = [this, handler] { guarded([this, handler] { (this->*handler)(); }); };
    };
    both(open_button, &TForm1::open_buttonClick);
    both(save_button, &TForm1::save_buttonClick);
    both(undo_button, &TForm1::undo_buttonClick);
    click(close_button, &TForm1::close_buttonClick);
    both(up_close, &TForm1::up_closeClick);
    click(about_button, &TForm1::about_buttonClick);
    both(tools_button, &TForm1::tools_buttonClick);
    both(tn_nappula, &TForm1::tn_nappulaClick);
    both(cam_icon, &TForm1::cam_iconClick);
    both(mob_icon, &TForm1::mob_iconClick);
    both(Image321, &TForm1::Image321DblClick);
    both(Image322, &TForm1::Image322DblClick);
    both(Image323, &TForm1::Image323DblClick);
    both(Image324, &TForm1::Image324DblClick);
    both(Image325, &TForm1::Image325DblClick);
    both(Image326, &TForm1::Image326DblClick);
    both(Image327, &TForm1::Image327DblClick);
    both(Image328, &TForm1::Image328Click);
    both(Image329, &TForm1::Image329DblClick);
    click(light_button, &TForm1::light_buttonClick);
    click(dark_button, &TForm1::dark_buttonClick);
    click(up_min, &TForm1::up_minClick);

    up_close->OnMouseEnter = [this] { up_closeMouseEnter(); };
    up_close->OnMouseLeave = [this] { up_closeMouseLeave(); };
    up_min->OnMouseEnter = [this] { up_minMouseEnter(); };
    up_min->OnMouseLeave = [this] { up_minMouseLeave(); };

    Image3213->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        Image3213MouseDown(b, m, x, y);
    };
    Image3213->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
        Image3213MouseMove(b, m, x, y);
    };
    Image3213->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        Image3213MouseUp(b, m, x, y);
    };

    org_zoom->OnChange = [this] { guarded([this] { org_zoomChange(); }); };
    tn_zoom->OnChange = [this] { guarded([this] { tn_zoomChange(); }); };

    photo_org->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        guarded([&] { photo_orgMouseDown(b, m, x, y); });
    };
    photo_org->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
        guarded([&] { photo_orgMouseMove(b, m, x, y); });
    };
    photo_org->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        guarded([&] { photo_orgMouseUp(b, m, x, y); });
    };
    photo_tn->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        guarded([&] { photo_tnMouseDown(b, m, x, y); });
    };
    photo_tn->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
        guarded([&] { photo_tnMouseMove(b, m, x, y); });
    };
    photo_tn->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        guarded([&] { photo_tnMouseUp(b, m, x, y); });
    };

    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(&Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
}

void TForm1::FormCreate()
{
    // 1. The window is laid out in pixels and declares 96 pixels per inch:
    //    every size above is final, whatever the screen's resolution.

    // 2. On a finer screen the caption fonts are marked as 150-pixel-per-inch
    //    fonts of the same pixel height, so they read as fewer points and the
    //    captions come out near their 96-pixel-per-inch size.
    if (pixels_per_inch_ > 96) {
        for (TImage32* control :
             {open_button, close_button, about_button, save_button, undo_button, tn_info_box, tools_button})
            control->bitmap().attributes.font.pixels_per_inch = kMarkedPixelsPerInch;
        for (Bitmap32* item : {&nappula.Bitmaps[0].Bitmap, &nappula.Bitmaps[1].Bitmap,
                               &bitmaplist.Bitmaps[6].Bitmap, &bitmaplist.Bitmaps[7].Bitmap})
            item->attributes.font.pixels_per_inch = kMarkedPixelsPerInch;
    }

    // 3. and 5. Qt paints every widget through its window's back buffer already.

    // 4. Sizes that follow the pictures.
    lcd->size_to_bitmap();
    open_button->size_to_bitmap();
    for (TImage32* button : {save_button, close_button, undo_button, about_button})
        button->resize(open_button->bitmap().width(), open_button->bitmap().height());

    // 6.
    corrector.phone_profile = 0;
    corrector.camera_profile = 0;

    // 7.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, kToolTipGrey);
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    // 8. The tools panel's closed state.
    alapalkki->move(alapalkki->x(), 559);
    set_window_height(kClosedHeight);

    // 9. to 11.
    corrector.photo_saved = false;
    corrector.working_bitmap = Bitmap24();
    corrector.correction_shown = false;

    // 12.
    fill_curve_database();

    // 13.
    draw_white_caption(*open_button, "OPEN PHOTO", 30, 3, true);
    draw_white_caption(*close_button, "EXIT", 45, 3, true);
    draw_white_caption(*save_button, "SAVE PHOTO", 30, 3, true);
    draw_white_caption(*undo_button, "UNDO", 45, 3, true);
    draw_white_caption(*about_button, "ABOUT", 40, 3, true);
    draw_black_caption(*tn_info_box, "Start Automatic Color Correction", 12, 8, true);
    draw_black_caption(*tools_button, "More", 89, 20, true);
    draw_black_caption(*tools_button, "Tools", 89, 33, true);

    // 14.
    corrector.photo_loaded = false;
}

void TForm1::showEvent(QShowEvent* event)
{
    if (!centred_ && !event->spontaneous()) {
        centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
}

void TForm1::set_window_height(int height)
{
    setFixedSize(kWidth, height);
}

void TForm1::draw_white_caption(TImage32& control, const QString& text, int x, int y, bool bold)
{
    draw_caption(control, text, x, y, bold, kOpaqueWhite);
}

void TForm1::draw_black_caption(TImage32& control, const QString& text, int x, int y, bool bold)
{
    draw_caption(control, text, x, y, bold, kOpaqueBlack);
}

void TForm1::draw_caption(TImage32& control, const QString& text, int x, int y, bool bold,
                          std::uint32_t color)
{
    BitmapFont& font = control.bitmap().attributes.font;
    font.face_name = "Verdana";
    // The size is re-read from the font itself, so a font marked with another
    // resolution keeps its pixel height, and its point size follows from it.
    font.set_size(font.size());
    if (bold) font.bold = true;
    draw_antialiased_text(control.bitmap(), x, y, text, 4, color, pixels_per_inch_);
    control.repaint();
}

void TForm1::press_control(QWidget& control, const std::function<void()>& while_pressed)
{
    const QPoint home = control.pos();
    QWidget* parent = control.parentWidget();
    const auto show_at = [&](QPoint place) {
        const QRect before = control.geometry();
        control.move(place);
        // Painted now: the event thread is about to sleep, and nothing else would paint it.
        if (parent != nullptr && parent->isVisible()) parent->repaint(before.united(control.geometry()));
    };
    show_at(home + QPoint(1, 1));
    // Back home even when the step fails.
    const OnExit back([&] { show_at(home); });
    sleep_for(press_duration);
    if (while_pressed) while_pressed();
}

// ---- Handlers that run the corrector's operations.

void TForm1::guarded(const std::function<void()>& handler)
{
    QString text;
    try {
        handler();
        return;
    } catch (...) {
        text = error_report_text(std::current_exception());
    }
    // The operation stopped part-way: show what the corrector holds now. The
    // report is shown outside the catch block, as it runs an event loop.
    render_corrector();
    messages->report_error(text);
}

void TForm1::render_corrector()
{
    status->set_caption(status_caption(corrector.status_text));
    profile->set_caption(QString::fromStdString(corrector.profile_caption));
    correction->set_caption(QString::fromStdString(corrector.correction_caption));
    for (QWidget* caption :
         std::initializer_list<QWidget*>{profile, profile_shape, correction, correction_shape})
        caption->setVisible(corrector.captions_visible);
    // Faces are copied from the lists only when they change.
    if (corrector.toggle_face != shown_toggle_face_) {
        tn_nappula->set_bitmap(bitmaplist.Bitmaps[corrector.toggle_face].Bitmap);
        shown_toggle_face_ = corrector.toggle_face;
    }
    if (corrector.camera_faces != shown_camera_faces_) {
        cam_icon->set_bitmap(bitmaplist.Bitmaps[corrector.camera_faces.first].Bitmap);
        mob_icon->set_bitmap(bitmaplist.Bitmaps[corrector.camera_faces.second].Bitmap);
        shown_camera_faces_ = corrector.camera_faces;
    }
    valo_select->move(kLightIndicatorMiddle + kLightIndicatorStep * corrector.light_level, valo_select->y());
    busy_changed(corrector.busy());
}

void TForm1::loading_started()
{
    status->set_caption(status_caption(corrector.status_text));
    // "LOADING PHOTO" must be on the screen before the open dialog covers the
    // window: paint it now, then let pending window messages through once.
    // User input waits, so a queued second click cannot start another open
    // inside this one.
    status->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::load_failed()
{
    // The message waits for the user: no hourglass over it.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const OnExit restore([] { QGuiApplication::restoreOverrideCursor(); });
    messages->show_load_failure();
}

void TForm1::photo_opened()
{
    fit_views(*photo_org, *photo_tn, *org_zoom, *tn_zoom);
    save_button->set_bitmap(nappula.Bitmaps[1].Bitmap);
    draw_white_caption(*save_button, "SAVE PHOTO", 30, 3, true);
    undo_button->set_bitmap(nappula.Bitmaps[1].Bitmap);
    draw_white_caption(*undo_button, "UNDO", 45, 3, true);
    if (!tools_open) {
        tools_button->set_bitmap(bitmaplist.Bitmaps[6].Bitmap);
        tools_may_open = true;
        tools_open = false;
    } else {
        tools_button->set_bitmap(bitmaplist.Bitmaps[7].Bitmap);
    }
    draw_black_caption(*tools_button, "More", 89, 20, true);
    draw_black_caption(*tools_button, "Tools", 89, 33, true);
}

void TForm1::open_buttonClick()
{
    press_control(*open_button);
    corrector.open_photo([this] { return choose_open_path(*OpenPictureDialog); });
    render_corrector();
}

void TForm1::flip_correction_face()
{
    if (!corrector.correction_shown) {
        corrector.toggle_face = 0;
        corrector.correction_shown = true;
    } else {
        corrector.toggle_face = 1;
        corrector.correction_shown = false;
    }
}

void TForm1::tn_nappulaClick()
{
    if (corrector.photo_loaded) {
        corrector.toggle_correction();
        render_corrector();
        return;
    }
    // With no photo the button opens one, its face flipping around the open.
    flip_correction_face();
    render_corrector();
    open_buttonClick();
    flip_correction_face();
    render_corrector();
    corrector.correction_shown = true;
    if (corrector.photo_loaded) return;
    flip_correction_face();
    corrector.correction_shown = false;
    render_corrector();
}

void TForm1::save_buttonClick()
{
    if (!corrector.photo_loaded) return;
    press_control(*save_button);
    // A write that fails leaves here with its error, for the general error report.
    corrector.save_photo(choose_save_path(*SavePictureDialog1));
    render_corrector();
}

void TForm1::undo_buttonClick()
{
    if (!corrector.photo_loaded) return;
    press_control(*undo_button);
    corrector.undo();
    render_corrector();
}

void TForm1::cam_iconClick()
{
    corrector.set_camera_type(CameraType::DigitalCamera);
    render_corrector();
}

void TForm1::mob_iconClick()
{
    corrector.set_camera_type(CameraType::MobilePhone);
    render_corrector();
}

void TForm1::run_preset(TImage32& control, ScenePreset preset)
{
    press_control(control);
    corrector.apply_preset(preset);
    render_corrector();
}

void TForm1::Image321DblClick()
{
    run_preset(*Image321, ScenePreset::OutdoorsVivid);
}
void TForm1::Image322DblClick()
{
    run_preset(*Image322, ScenePreset::Backlight);
}
void TForm1::Image323DblClick()
{
    run_preset(*Image323, ScenePreset::IndoorsFlash);
}
void TForm1::Image324DblClick()
{
    run_preset(*Image324, ScenePreset::IndoorsNoFlash);
}
void TForm1::Image325DblClick()
{
    run_preset(*Image325, ScenePreset::OutdoorsTooShiny);
}
void TForm1::Image326DblClick()
{
    run_preset(*Image326, ScenePreset::OutdoorsCloudy);
}
void TForm1::Image327DblClick()
{
    run_preset(*Image327, ScenePreset::Outdoors);
}
void TForm1::Image328Click()
{
    run_preset(*Image328, ScenePreset::IndoorsMixedLight);
}
void TForm1::Image329DblClick()
{
    run_preset(*Image329, ScenePreset::IndoorsBulbLamp);
}

void TForm1::light_buttonClick()
{
    // At the limit the key does not even move.
    if (corrector.light_level >= PhotoCorrector::max_light_level) return;
    press_control(*light_button, [this] { corrector.lighten(); });
    render_corrector();
}

void TForm1::dark_buttonClick()
{
    if (corrector.light_level <= -PhotoCorrector::max_light_level) return;
    press_control(*dark_button, [this] { corrector.darken(); });
    render_corrector();
}

// ---- Panning. One `dragging` flag serves both views.

void TForm1::view_mouse_down(TImgView32& view, Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton) {
        // Only the capture goes: a drag under way goes on while the mouse is over the view.
        view.release_capture();
        return;
    }
    drag_origin = QPoint(x, y);
    dragging = true;
    view.setCursor(Qt::SizeAllCursor);
}

void TForm1::view_mouse_move(TImgView32& view, int x, int y)
{
    if (!dragging) return;
    // The picture follows the mouse: moving right shows more of the left.
    view.scroll_by(static_cast<float>(drag_origin.x() - x), static_cast<float>(drag_origin.y() - y));
    drag_origin = QPoint(x, y);
    view.repaint();
}

void TForm1::view_mouse_up(TImgView32& view, Qt::MouseButton button)
{
    if (button != Qt::LeftButton) return;
    dragging = false;
    view.setCursor(Qt::ArrowCursor);
}

void TForm1::photo_orgMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_down(*photo_org, button, x, y);
}
void TForm1::photo_orgMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_move(*photo_org, x, y);
}
void TForm1::photo_orgMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    view_mouse_up(*photo_org, button);
}
void TForm1::photo_tnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_down(*photo_tn, button, x, y);
}
void TForm1::photo_tnMouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    view_mouse_move(*photo_tn, x, y);
}
void TForm1::photo_tnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    view_mouse_up(*photo_tn, button);
}

// ---- Closing, the about window, the zoom sliders and the tools button.

bool TForm1::may_close()
{
    if (!corrector.needs_save_prompt()) return true;
    switch (messages->ask_save_before_closing()) {
        case SavePromptAnswer::Cancel:
            return false;
        case SavePromptAnswer::Yes:
            // Closing goes on even when the save dialog is cancelled; a save that
            // fails leaves by its error, and the window stays open.
            save_buttonClick();
            return true;
        case SavePromptAnswer::No:
            return true;
    }
    return true;
}

void TForm1::close_main_window()
{
    if (!may_close()) return;
    // The question is answered: the close event that follows must not ask again.
    close_approved_ = true;
    const OnExit reset([this] { close_approved_ = false; });
    close();
}

void TForm1::close_buttonClick()
{
    press_control(*close_button);
    close_main_window();
}

void TForm1::up_closeClick()
{
    close_main_window();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool approved = close_approved_;
    // Errors must not unwind through the window system's frames.
    if (!approved) guarded([&] { approved = may_close(); });
    if (approved)
        event->accept();
    else
        event->ignore();
}

void TForm1::about_buttonClick()
{
    press_control(*about_button);
    // Showing an already visible window must not raise it.
    if (about_window != nullptr && !about_window->isVisible()) about_window->show();
}

void TForm1::org_zoomChange()
{
    photo_org->set_scale(static_cast<float>(org_zoom->position()) / 100.0f);
    zoom_level->set_caption(QString::number(org_zoom->position()) + "%");
}

void TForm1::tn_zoomChange()
{
    photo_tn->set_scale(static_cast<float>(tn_zoom->position()) / 100.0f);
    tn_zoom_level->set_caption(QString::number(tn_zoom->position()) + "%");
}

void TForm1::tools_buttonClick()
{
    Timer1.stop();
    Timer2.stop();
    if (!corrector.photo_loaded) return;
    if (tools_may_open) {
        Timer1.start();
        tools_button->set_bitmap(bitmaplist.Bitmaps[7].Bitmap);
        tools_may_open = false;
        tools_open = true;
    } else {
        Timer2.start();
        tools_button->set_bitmap(bitmaplist.Bitmaps[6].Bitmap);
        tools_may_open = true;
        tools_open = false;
    }
    draw_black_caption(*tools_button, "More", 89, 20, true);
    draw_black_caption(*tools_button, "Tools", 89, 33, true);
}

// ---- Purely visual handlers.

void TForm1::Timer1Timer()
{
    if (height() >= kOpenHeight) {
        Timer1.stop();
        Timer2.stop();
        return;
    }
    set_window_height(height() + 1);
    alapalkki->move(alapalkki->x(), alapalkki->y() + 1);
}

void TForm1::Timer2Timer()
{
    if (height() <= kClosedHeight) {
        Timer1.stop();
        Timer2.stop();
        return;
    }
    set_window_height(height() - 1);
    alapalkki->move(alapalkki->x(), alapalkki->y() - 1);
}

void TForm1::up_closeMouseEnter()
{
    up_close->set_bitmap(ylanapit.Bitmaps[1].Bitmap);
}
void TForm1::up_closeMouseLeave()
{
    up_close->set_bitmap(ylanapit.Bitmaps[0].Bitmap);
}
void TForm1::up_minMouseEnter()
{
    up_min->set_bitmap(ylanapit.Bitmaps[3].Bitmap);
}
void TForm1::up_minMouseLeave()
{
    up_min->set_bitmap(ylanapit.Bitmaps[2].Bitmap);
}

void TForm1::up_minClick()
{
    // The whole program goes to the task bar, not just this window.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->showMinimized();
}

void TForm1::Image3213MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton) return;
    move_started_ = false;
    following_mouse_ = false;
    press_global_ = Image3213->mapToGlobal(QPoint(x, y));
    window_at_press_ = pos();
}

void TForm1::Image3213MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y)
{
    if (!buttons.testFlag(Qt::LeftButton)) return;
    if (following_mouse_) {
        move(window_at_press_ + Image3213->mapToGlobal(QPoint(x, y)) - press_global_);
        return;
    }
    if (move_started_) return;
    move_started_ = true;
    // The window system's move loop takes the pointer over from here on.
    if (!start_window_move()) following_mouse_ = true;
}

void TForm1::Image3213MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button != Qt::LeftButton) return;
    move_started_ = false;
    following_mouse_ = false;
}

void TForm1::busy_changed(bool busy)
{
    if (busy == cursor_overridden_) return;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    cursor_overridden_ = busy;
}
