#include "tools/skin_generator/preview.h"

#include <QDir>
#include <QPainter>
#include <string_view>

#include "tools/skin_generator/paint_kit.h"
#include "tools/skin_generator/symbols.h"
#include "windows/layout_growth.h"
#include "windows/main_layout.h"
#include "windows/skin_widening.h"
#include "windows/tools_slide.h"

namespace skin {

namespace {

// The states worth looking at: the start state, and a photo loaded with the tools open.
struct WindowState {
    bool tools_open;
    bool photo_loaded;
    const char* file;
    int width = main_layout::window_width;
    int grown_height = 0;  // beyond the designed height
};

// A bar's picture widened to `width` as the window widens it.
QImage widened(const QImage& picture, const main_layout::Control& control, int width)
{
    if (control.widening.column < 0 || width <= picture.width()) return picture;
    QImage wide(width, picture.height(), QImage::Format_RGB32);
    const QImage source = picture.convertToFormat(QImage::Format_RGB32);
    skin_widening::widen_rows(
        [&source](int y) { return reinterpret_cast<const std::uint32_t*>(source.scanLine(y)); },
        source.width(), source.height(),
        [&wide](int y) { return reinterpret_cast<std::uint32_t*>(wide.scanLine(y)); }, width,
        control.widening, 1.0);
    return wide;
}

class Composer {
public:
    Composer(const std::map<QString, QImage>& images, int width, int height)
        : images_(images), window_(width, height, QImage::Format_RGB32)
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
              const QColor& control_colour)
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

QColor colour_of(std::uint32_t word)
{
    return QColor::fromRgb(word);
}

// A control's name as the layout spells it; a name the layout does not have does not compile.
consteval std::string_view layout_name(std::string_view name)
{
    return main_layout::control_named(name).name;
}

// What a control shows in the state: its start picture, or the face that a photo
// from a digital camera gives it once it is loaded.
const char* picture_in(const main_layout::Control& control, const WindowState& state)
{
    using main_layout::icon_face_pictures;
    const std::string_view name = control.name;
    if (state.photo_loaded) {
        if (name == layout_name("save_button") || name == layout_name("undo_button"))
            return main_layout::button_face_pictures[ButtonFace::Red];
        if (name == layout_name("camera_icon")) return icon_face_pictures[IconFace::Camera];
        if (name == layout_name("correction_button")) return icon_face_pictures[IconFace::CorrectionOn];
        if (name == layout_name("tools_button") && !state.tools_open)
            return icon_face_pictures[IconFace::ToolsSign];
    }
    return control.picture;
}

// The face with the captions the window draws onto its own copy of it.
QImage with_drawn_captions(QImage face, const main_layout::Control& control)
{
    for (const main_layout::DrawnCaption& caption : main_layout::drawn_captions)
        if (std::string_view(caption.control) == control.name)
            face = captioned(face, caption.text, caption.x, caption.y,
                             caption.ink == main_layout::CaptionInk::White ? Qt::white : Qt::black);
    return face;
}

// The preview's stand-in for the label faces lies lower in its line than "Terminal" does.
int label_nudge(int terminal_height)
{
    return terminal_height >= 11 ? -3 : -2;
}

QImage main_window(const std::map<QString, QImage>& images, const WindowState& state)
{
    const int designed = state.tools_open ? main_layout::open_height : main_layout::closed_height;
    const int height = designed + state.grown_height;
    Composer c(images, state.width, height);
    const auto boxes =
        main_layout::placed_controls(state.width, main_layout::closed_height + state.grown_height);
    std::size_t row = 0;
    const QColor button_face(240, 240, 240);
    const QColor slider_colour(191, 205, 219);
    // Each control's place on the window, for its children to be placed and clipped in.
    std::map<std::string_view, QRect> places{{main_layout::window, QRect(0, 0, state.width, height)}};
    for (const main_layout::Control& table_row : main_layout::controls) {
        // The row as placed at this size.
        main_layout::Control control = table_row;
        const main_layout::Box& box = boxes[row++];
        control.left = box.left;
        control.top = box.top;
        control.width = box.width;
        control.height = box.height;
        // Controls hidden at the start show once a photo is chosen.
        if (control.hidden && !state.photo_loaded) continue;
        const QRect parent = places.at(control.parent);
        int top = control.top;
        if (std::string_view(control.name) == layout_name("bottom_bar") && state.tools_open)
            top = ToolsSlide::open_bar_top + state.grown_height;
        places[control.name] =
            QRect(parent.left() + control.left, parent.top() + top, control.width, control.height);
        const QColor colour =
            control.colour == main_layout::no_colour ? button_face : colour_of(control.colour);
        switch (control.kind) {
            case main_layout::Kind::Rect:
                c.rect(parent, control.left, top, control.width, control.height, colour);
                break;
            case main_layout::Kind::Skin:
                c.skin(parent, control.left, top, control.width, control.height,
                       widened(with_drawn_captions(c.image(picture_in(control, state)), control), control,
                               control.width),
                       colour);
                break;
            case main_layout::Kind::View: {
                const bool corrected = std::string_view(control.name) == layout_name("corrected_view");
                c.skin(parent, control.left, top, control.width, control.height,
                       state.photo_loaded ? sample_photo(corrected) : QImage(), colour);
                break;
            }
            case main_layout::Kind::Label: {
                const bool status = std::string_view(control.name) == layout_name("status_label");
                const QColor ink =
                    control.ink == main_layout::no_colour ? QColor(Qt::black) : colour_of(control.ink);
                const QColor background =
                    control.colour == main_layout::no_colour ? QColor(0, 0, 0, 0) : colour_of(control.colour);
                c.label(parent, control.left, top + label_nudge(control.terminal_height),
                        status && state.photo_loaded ? "PHOTO LOADED" : control.text,
                        font(fonts().mono, control.terminal_height + 1, true), ink, background);
                break;
            }
            case main_layout::Kind::Slider:
                c.rect(parent, control.left, top, control.width, control.height, slider_colour);
                break;
        }
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
                                  {false, true, "preview_main_loaded.png"},
                                  {true, true, "preview_main_grown.png", 1280, 200}};
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
