// Building the main window's controls and image lists from its layout table.
#include <QGuiApplication>
#include <QPalette>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "display/bitmap_qt.h"
#include "windows/main.h"
#include "windows/main_layout.h"
#include "windows/skin_fonts.h"
#include "windows/window_support.h"

namespace {

using main_layout::Kind;
using main_layout::no_colour;

QColor colour_of(std::uint32_t word)
{
    return QColor::fromRgb(word);
}

// The controls made so far by their layout names, the window itself as "TForm1".
class ControlsByName {
public:
    explicit ControlsByName(QWidget* window) { made_[main_layout::window] = window; }

    void add(std::string_view name, QWidget* control) { made_[name] = control; }

    QWidget* parent_of(const main_layout::Control& place) const { return find(place.parent); }

    // Fills `field` with the control of that name, which must be of the field's type.
    template <typename Control>
    void take(Control*& field, std::string_view name) const
    {
        field = qobject_cast<Control*>(find(name));
        if (field == nullptr)
            throw std::logic_error("The layout has no control " + std::string(name) + " of its field's kind");
    }

private:
    QWidget* find(std::string_view name) const
    {
        const auto found = made_.find(name);
        if (found == made_.end()) throw std::logic_error("The layout has no control " + std::string(name));
        return found->second;
    }

    std::map<std::string_view, QWidget*> made_;
};

}  // namespace

void TForm1::load_lists()
{
    const auto fill = [this](TBitmap32List& list, const auto& pictures) {
        for (const char* file : pictures) {
            Bitmap32& bitmap = list.Bitmaps.add().Bitmap;
            bitmap.attributes.font = default_bitmap_font(pixels_per_inch_);
            load_skin(bitmap, file);
        }
    };
    fill(bitmaplist, main_layout::bitmaplist_pictures);
    fill(nappula, main_layout::nappula_pictures);
    fill(ylanapit, main_layout::ylanapit_pictures);
}

QWidget* TForm1::make_control(const main_layout::Control& place, QWidget* parent)
{
    switch (place.kind) {
        case Kind::Rect:
            return new TShape(parent, place.left, place.top, place.width, place.height,
                              colour_of(place.colour));
        case Kind::Skin: {
            auto* control = new TImage32(parent);
            control->setGeometry(place.left, place.top, place.width, place.height);
            control->bitmap().attributes.font = default_bitmap_font(pixels_per_inch_);
            load_skin(control->bitmap(), place.picture);
            control->set_hint(place.text);
            if (place.colour != no_colour) control->set_color(colour_of(place.colour));
            return control;
        }
        case Kind::View: {
            auto* view = new TImgView32(parent);
            view->setGeometry(place.left, place.top, place.width, place.height);
            view->set_color(colour_of(place.colour));
            return view;
        }
        case Kind::Label: {
            const QColor ink = place.ink != no_colour
                                   ? colour_of(place.ink)
                                   : QGuiApplication::palette().color(QPalette::WindowText);
            const bool transparent = place.colour == no_colour;
            return new TLabel(parent, place.left, place.top, place.text, terminal_font(place.terminal_height),
                              ink, transparent ? QColor() : colour_of(place.colour), transparent);
        }
        case Kind::Slider: {
            auto* slider = new TGaugeBar(parent);
            slider->setGeometry(place.left, place.top, place.width, place.height);
            const main_layout::SliderRange& range = main_layout::zoom_range;
            slider->set_range(range.minimum, range.maximum);
            slider->set_position(range.position);
            slider->set_large_change(range.large_change);
            slider->set_small_change(range.small_change);
            return slider;
        }
    }
    throw std::logic_error(std::string("Unknown kind of control ") + place.name);
}

void TForm1::build_controls()
{
    // Creation order is stacking order among siblings.
    ControlsByName made(this);
    for (const main_layout::Control& place : main_layout::controls) {
        QWidget* control = make_control(place, made.parent_of(place));
        control->setObjectName(place.name);
        if (place.hidden) control->setVisible(false);
        made.add(place.name, control);
    }

    made.take(Shape1, "Shape1");
    made.take(Shape2, "Shape2");
    made.take(Shape3, "Shape3");
    made.take(Shape4, "Shape4");
    made.take(Shape5, "Shape5");
    made.take(tools, "tools");
    made.take(Shape6, "Shape6");
    made.take(Label1, "Label1");
    made.take(Shape8, "Shape8");
    made.take(Label5, "Label5");
    made.take(Image329, "Image329");
    made.take(Image328, "Image328");
    made.take(Image327, "Image327");
    made.take(Image326, "Image326");
    made.take(Image325, "Image325");
    made.take(Image324, "Image324");
    made.take(Image323, "Image323");
    made.take(Image322, "Image322");
    made.take(Image321, "Image321");
    made.take(Image3216, "Image3216");
    made.take(valo_select, "valo_select");
    made.take(dark_button, "dark_button");
    made.take(light_button, "light_button");
    made.take(photo_tn, "photo_tn");
    made.take(Image3213, "Image3213");
    made.take(up_close, "up_close");
    made.take(up_min, "up_min");
    made.take(lcd, "lcd");
    made.take(lcd_row1, "lcd_row1");
    made.take(status, "status");
    made.take(profile_shape, "profile_shape");
    made.take(profile, "profile");
    made.take(correction_shape, "correction_shape");
    made.take(correction, "correction");
    made.take(save_button, "save_button");
    made.take(close_button, "close_button");
    made.take(open_button, "open_button");
    made.take(undo_button, "undo_button");
    made.take(about_button, "about_button");
    made.take(Image3215, "Image3215");
    made.take(cam_icon, "cam_icon");
    made.take(mob_icon, "mob_icon");
    made.take(tools_button, "tools_button");
    made.take(tn_info_box, "tn_info_box");
    made.take(tn_nappula, "tn_nappula");
    made.take(photo_org, "photo_org");
    made.take(alapalkki, "alapalkki");
    made.take(org_photo_cap, "org_photo_cap");
    made.take(org_photo_caption, "org_photo_caption");
    made.take(zoom_level, "zoom_level");
    made.take(org_zoom, "org_zoom");
    made.take(photo_tn_cap, "photo_tn_cap");
    made.take(tn_photo_cap, "tn_photo_cap");
    made.take(tn_zoom_level, "tn_zoom_level");
    made.take(tn_zoom, "tn_zoom");

    photo_org->set_bitmap(&corrector.org_photo);
    photo_tn->set_bitmap(&corrector.corrected_photo);

    for (QTimer* timer : {&Timer1, &Timer2}) {
        timer->setInterval(ToolsSlide::tick_milliseconds);
        timer->setTimerType(Qt::PreciseTimer);
    }
}
