#include "tools/skin_generator/preview.h"

#include <QDir>
#include <QPainter>

#include "tools/skin_generator/paint_kit.h"
#include "tools/skin_generator/skin_images.h"
#include "tools/skin_generator/symbols.h"

namespace skin {

namespace {

// The states worth looking at: the start state, and a photo loaded with the tools open.
struct WindowState {
    bool tools_open;
    bool photo_loaded;
    const char* file;
};

class Composer {
public:
    Composer(const std::map<QString, QImage>& images, int height)
        : images_(images), window_(902, height, QImage::Format_RGB32)
    {
        window_.fill(QColor(240, 240, 240));
        painter_.begin(&window_);
        painter_.setRenderHint(QPainter::Antialiasing, true);
    }
    ~Composer()
    {
        if (painter_.isActive()) painter_.end();
    }

    QImage result()
    {
        painter_.end();
        return window_;
    }

    const QImage& image(const char* file) const { return images_.at(file); }

    // A skin control: the image at 1:1, the rest of the control in its own colour, clipped to the parent.
    void skin(const QRect& parent, int x, int y, int w, int h, const QImage& picture,
              const QColor& control_colour = lower_bay_floor)
    {
        painter_.save();
        painter_.setClipRect(parent);
        const QRect control(parent.left() + x, parent.top() + y, w, h);
        painter_.setClipRect(control.intersected(parent));
        painter_.fillRect(control, control_colour);
        painter_.drawImage(control.topLeft(), picture);
        painter_.restore();
    }

    void rect(const QRect& parent, int x, int y, int w, int h, const QColor& fill_colour)
    {
        painter_.save();
        painter_.setClipRect(parent);
        const QRect r(parent.left() + x, parent.top() + y, w, h);
        painter_.fillRect(r, Qt::black);
        painter_.fillRect(r.adjusted(1, 1, -1, -1), fill_colour);
        painter_.restore();
    }

    void label(const QRect& parent, int x, int y, const QString& text, const QFont& f, const QColor& ink,
               const QColor& background = QColor(0, 0, 0, 0))
    {
        painter_.save();
        painter_.setClipRect(parent);
        painter_.setFont(f);
        const QFontMetrics metrics(f);
        const QRect box(parent.left() + x, parent.top() + y, metrics.horizontalAdvance(text),
                        metrics.height());
        if (background.alpha() > 0) painter_.fillRect(box, background);
        painter_.setPen(ink);
        painter_.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
        painter_.restore();
    }

    QPainter& painter() { return painter_; }

private:
    const std::map<QString, QImage>& images_;
    QImage window_;
    QPainter painter_;
};

// A button face with its caption, as the window draws it onto its own copy of the face.
QImage captioned(QImage face, const QString& text, int x, int y, const QColor& ink)
{
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setFont(font(fonts().sans, 11, true));
    painter.setPen(ink);
    const QFontMetrics metrics(painter.font());
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
    return face;
}

QImage sample_photo(bool corrected)
{
    QImage photo(420, 320, QImage::Format_RGB32);
    QPainter p(&photo);
    p.setRenderHint(QPainter::Antialiasing, true);
    landscape(p, QRectF(0, 0, 420, 320),
              corrected ? Scene{QColor(50, 120, 220), QColor(170, 210, 250), QColor(70, 130, 90),
                                QColor(100, 180, 70), QColor(40, 110, 40), 0.6, 3}
                        : Scene{QColor(110, 130, 150), QColor(170, 180, 180), QColor(100, 120, 100),
                                QColor(120, 140, 90), QColor(80, 100, 60), 0.6, 3});
    sun(p, QPointF(330, 70), 22, 12);
    return photo;
}

QImage main_window(const std::map<QString, QImage>& images, const WindowState& state)
{
    const int height = state.tools_open ? 705 : 608;
    Composer c(images, height);
    const QRect window(0, 0, 902, height);
    const QColor caption_grey(201, 201, 201);
    const QFont terminal8 = font(fonts().mono, 9, true);
    const QFont terminal11 = font(fonts().mono, 12, true);
    c.rect(window, 0, 106, 902, 369, QColor(213, 213, 213));
    c.rect(window, 12, 117, 428, 326, caption_grey);
    c.rect(window, 456, 117, 428, 326, caption_grey);
    c.rect(window, 12, 448, 428, 18, caption_grey);
    c.rect(window, 457, 448, 428, 18, caption_grey);

    const QRect tools(0, 560, 902, 97);
    c.skin(window, 0, 560, 902, 97, c.image("tools_panel.png"));
    c.rect(tools, 371, 4, 187, 17, QColor(208, 208, 208));
    c.label(tools, 383, 9 - 3, "Select illumination type", terminal8, Qt::black, QColor(208, 208, 208));
    c.rect(tools, 774, 5, 111, 17, QColor(208, 208, 208));
    c.label(tools, 780, 10 - 3, "Adjust lightning", terminal8, Qt::black, QColor(208, 208, 208));
    const struct {
        int x;
        const char* file;
    } presets[] = {{15, "preset_indoors_bulb_lamp.png"},   {97, "preset_indoors_mixed_light.png"},
                   {178, "preset_outdoors.png"},           {260, "preset_outdoors_cloudy.png"},
                   {341, "preset_outdoors_too_shiny.png"}, {423, "preset_indoors_no_flash.png"},
                   {504, "preset_indoors_flash.png"},      {586, "preset_backlight.png"},
                   {668, "preset_outdoors_vivid.png"}};
    for (const auto& preset : presets) c.skin(tools, preset.x, 25, 81, 66, c.image(preset.file));
    c.skin(tools, 768, 25, 122, 43, c.image("light_scale.png"));
    c.skin(QRect(768, 585, 122, 43), 57, 12, 5, 25, c.image("light_indicator.png"));
    c.skin(tools, 785, 70, 32, 22, c.image("dark_button.png"));
    c.skin(tools, 833, 70, 32, 22, c.image("light_button.png"));

    c.skin(window, 460, 120, 420, 320, state.photo_loaded ? sample_photo(true) : QImage(), caption_grey);
    const QRect top(0, 0, 902, 107);
    c.skin(window, 0, 0, 902, 107, c.image("top_bar.png"));
    c.skin(top, 880, 0, 22, 22, c.image("close.png"));
    c.skin(top, 856, 0, 23, 22, c.image("minimise.png"));
    const QRect lcd(296, 32, 599, 58);
    c.skin(window, 296, 32, 599, 58, c.image("lcd.png"));
    c.label(lcd, 40, 16, "TINTELO PHOTO MALLET 1.1 -- ", terminal8, Qt::black);
    c.label(lcd, 256, 16, state.photo_loaded ? "PHOTO LOADED" : "READY", terminal8, Qt::black);
    if (state.photo_loaded) {
        c.rect(lcd, 90, 33, 144, 13, Qt::black);
        c.label(lcd, 95, 36 - 2, "DIGITAL CAMERA PROFILE", terminal8, QColor(90, 174, 210));
        c.rect(lcd, 238, 33, 144, 13, Qt::black);
        c.label(lcd, 250, 36 - 2, "AUTOMATIC CORRECTION", terminal8, QColor(90, 174, 210));
    }
    const QImage& red = c.image("button_red.png");
    const QImage& inactive = state.photo_loaded ? red : c.image("button_grey.png");
    c.skin(window, 8, 80, 131, 21, captioned(inactive, "SAVE PHOTO", 30, 3, Qt::white));
    c.skin(window, 8, 56, 131, 21, captioned(red, "EXIT", 45, 3, Qt::white));
    c.skin(window, 8, 32, 131, 21, captioned(red, "OPEN PHOTO", 30, 3, Qt::white));
    c.skin(window, 144, 32, 131, 21, captioned(inactive, "UNDO", 45, 3, Qt::white));
    c.skin(window, 144, 56, 131, 21, captioned(red, "ABOUT", 40, 3, Qt::white));

    const QRect lower(0, 474, 902, 90);
    c.skin(window, 0, 474, 902, 90, c.image("lower_bar.png"));
    c.skin(lower, 8, 19, 77, 53, c.image(state.photo_loaded ? "camera.png" : "camera_faded.png"));
    c.skin(lower, 81, 19, 65, 53, c.image("phone_faded.png"));
    QImage tools_face =
        c.image(state.photo_loaded && !state.tools_open ? "tools_sign.png" : "tools_sign_faded.png");
    tools_face = captioned(captioned(tools_face, "More", 89, 20, Qt::black), "Tools", 89, 33, Qt::black);
    c.skin(lower, 720, 17, 152, 62, tools_face);
    c.skin(lower, 376, 31, 218, 30,
           captioned(c.image("info_box.png"), "Start Automatic Color Correction", 12, 8, Qt::black));
    c.skin(window, 312, 497, 49, 49,
           c.image(state.photo_loaded ? "correction_on.png" : "correction_off.png"));
    c.skin(window, 16, 120, 420, 320, state.photo_loaded ? sample_photo(false) : QImage(), caption_grey);
    c.skin(window, 0, state.tools_open ? 656 : 559, 902, 49, c.image("bottom_bar.png"));

    for (const int x : {13, 458}) {
        const QRect cap(x, 449, 424, 16);
        c.skin(window, x, 449, 424, 16, c.image("caption_bar.png"), caption_grey);
        c.label(cap, 4, 4 - 2, x == 13 ? "Original photo" : "Color corrected photo", terminal8, Qt::black,
                caption_grey);
        c.label(cap, 397, 4 - 3, "100%", terminal11, Qt::black, caption_grey);
        c.rect(cap, x == 13 ? 274 : 275, 4, 100, 9, QColor(191, 205, 219));
    }
    return c.result();
}

QImage about_window(const QImage& artwork, int label_top)
{
    QImage window(332, 312, QImage::Format_RGB32);
    QPainter p(&window);
    p.drawImage(-1, -1, artwork);
    const QFont f = font(fonts().mono, 11, true);
    p.setFont(f);
    const QFontMetrics metrics(f);
    const QRect box(246, label_top - 1, metrics.horizontalAdvance("Version 1.1"), metrics.height());
    p.fillRect(box, QColor(202, 202, 202));
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop, "Version 1.1");
    return window;
}

}  // namespace

bool write_previews(const QString& folder, const std::map<QString, QImage>& images, QString* error)
{
    if (!QDir().mkpath(folder)) {
        *error = "cannot create " + folder;
        return false;
    }
    const WindowState states[] = {{false, false, "preview_main_start.png"},
                                  {true, true, "preview_main_tools_open.png"},
                                  {false, true, "preview_main_loaded.png"}};
    for (const WindowState& state : states) {
        if (!main_window(images, state).save(folder + "/" + state.file, "PNG")) {
            *error = QString("cannot write ") + state.file;
            return false;
        }
    }
    const QImage& artwork = images.at("splash.png");
    if (!about_window(artwork, 276).save(folder + "/preview_splash.png", "PNG") ||
        !about_window(artwork, 273).save(folder + "/preview_about.png", "PNG")) {
        *error = "cannot write the splash previews";
        return false;
    }
    return true;
}

}  // namespace skin
