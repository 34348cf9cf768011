// Building the main window's controls and image lists from its layout table.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "display/bitmap_qt.h"
#include "windows/main_layout.h"
#include "windows/main_window.h"
#include "windows/skin_fonts.h"
#include "windows/window_support.h"

namespace {

using main_layout::Kind;
using main_layout::no_colour;

QColor colour_of(std::uint32_t word)
{
    return QColor::fromRgb(word);
}

// The controls made so far by their layout names, the window itself as "MainWindow".
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

void MainWindow::load_lists()
{
    const auto fill = [this](TBitmap32List& list, const auto& pictures) {
        for (const char* file : pictures) {
            Bitmap32& bitmap = list.Bitmaps.add().Bitmap;
            bitmap.attributes.font = default_bitmap_font(pixels_per_inch_);
            load_skin(bitmap, file, device_pixel_ratio_);
        }
    };
    fill(icon_faces, main_layout::icon_face_pictures);
    fill(button_faces, main_layout::button_face_pictures);
    fill(top_key_faces, main_layout::top_key_face_pictures);
    fill(step_key_faces, main_layout::step_key_face_pictures);
}

QWidget* MainWindow::make_control(const main_layout::Control& place, QWidget* parent)
{
    switch (place.kind) {
        case Kind::Rect:
            return new TShape(parent, place.left, place.top, place.width, place.height,
                              colour_of(place.colour));
        case Kind::Skin: {
            auto* control = new TImage32(parent);
            control->setGeometry(place.left, place.top, place.width, place.height);
            control->bitmap().attributes.font = default_bitmap_font(pixels_per_inch_);
            load_skin(control->bitmap(), place.picture, device_pixel_ratio_);
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
                              ink, transparent ? QColor() : colour_of(place.colour), transparent,
                              fine_terminal_font(place.terminal_height));
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

void MainWindow::build_controls()
{
    // Creation order is stacking order among siblings.
    ControlsByName made(this);
    for (const main_layout::Control& place : main_layout::controls) {
        QWidget* control = make_control(place, made.parent_of(place));
        control->setObjectName(place.name);
        if (place.hidden) control->setVisible(false);
        made.add(place.name, control);
        laid_out_controls_.push_back(control);
        // The window's rim lies under its controls.
        control->installEventFilter(this);
    }

    made.take(views_backdrop, "views_backdrop");
    made.take(original_view_frame, "original_view_frame");
    made.take(corrected_view_frame, "corrected_view_frame");
    made.take(original_caption_frame, "original_caption_frame");
    made.take(corrected_caption_frame, "corrected_caption_frame");
    made.take(tools_panel, "tools_panel");
    made.take(presets_label_plate, "presets_label_plate");
    made.take(presets_label, "presets_label");
    made.take(light_label_plate, "light_label_plate");
    made.take(light_label, "light_label");
    for (const ScenePresetInfo& info : scene_presets)
        made.take(preset_buttons[static_cast<std::size_t>(info.preset)], info.button);
    made.take(light_scale, "light_scale");
    made.take(light_indicator, "light_indicator");
    made.take(dark_button, "dark_button");
    made.take(light_button, "light_button");
    made.take(strength_track, "strength_track");
    made.take(strength_label, "strength_label");
    made.take(strength_value, "strength_value");
    made.take(strength_knob, "strength_knob");
    made.take(corrected_view, "corrected_view");
    made.take(top_bar, "top_bar");
    made.take(top_close_key, "top_close_key");
    made.take(top_minimise_key, "top_minimise_key");
    made.take(top_maximise_key, "top_maximise_key");
    made.take(lcd_panel, "lcd_panel");
    made.take(title_label, "title_label");
    made.take(status_label, "status_label");
    made.take(profile_box, "profile_box");
    made.take(profile_label, "profile_label");
    made.take(correction_box, "correction_box");
    made.take(correction_label, "correction_label");
    made.take(save_button, "save_button");
    made.take(close_button, "close_button");
    made.take(open_button, "open_button");
    made.take(undo_button, "undo_button");
    made.take(about_button, "about_button");
    made.take(previous_button, "previous_button");
    made.take(next_button, "next_button");
    made.take(lower_bar, "lower_bar");
    made.take(camera_icon, "camera_icon");
    made.take(phone_icon, "phone_icon");
    made.take(tools_button, "tools_button");
    made.take(correction_info_box, "correction_info_box");
    made.take(correction_button, "correction_button");
    made.take(original_view, "original_view");
    made.take(bottom_bar, "bottom_bar");
    made.take(original_caption_bar, "original_caption_bar");
    made.take(original_caption, "original_caption");
    made.take(original_zoom_label, "original_zoom_label");
    made.take(original_zoom, "original_zoom");
    made.take(corrected_caption_bar, "corrected_caption_bar");
    made.take(corrected_caption, "corrected_caption");
    made.take(corrected_zoom_label, "corrected_zoom_label");
    made.take(corrected_zoom, "corrected_zoom");

    // A zoom percentage stands on the baseline of the caption beside it, whatever the heights of
    // their two fonts: on a fine screen both are drawn on their layout baselines.
    for (auto [zoom, caption] : {std::pair{original_zoom_label, original_caption},
                                 std::pair{corrected_zoom_label, corrected_caption}})
        zoom->move(zoom->x(), caption->y() + QFontMetrics(caption->font()).ascent() -
                                  QFontMetrics(zoom->font()).ascent());

    original_view->set_bitmap(&corrector.org_photo);
    corrected_view->set_bitmap(&corrector.corrected_photo);
    strength_slider = std::make_unique<StrengthSlider>(*strength_track, *strength_knob, *strength_value,
                                                       *corrected_view, corrector, device_pixel_ratio_);
    strength_slider->choose = [this](int percent) { guarded([this, percent] { strength_chosen(percent); }); };

    for (QTimer* timer : {&panel_open_timer, &panel_close_timer}) {
        timer->setInterval(ToolsSlide::tick_milliseconds);
        timer->setTimerType(Qt::PreciseTimer);
    }
}
