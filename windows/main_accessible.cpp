// The main window as a screen reader and a keyboard find it: every control's role, name and
// state in reading order, Tab moving a focus through them and the focus ring around the one
// that holds it.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QString>
#include <algorithm>
#include <string_view>
#include <vector>

#include "windows/accessible_controls.h"
#include "windows/focus_ring.h"
#include "windows/main_layout.h"
#include "windows/main_window.h"

namespace {

enum class Trait {
    none,
    needs_photo,     // greyed out until a photo is open
    on_tools_panel,  // on the screen while the tools panel is open
    correction_on,   // toggles: on while their face says so
    camera_chosen,
    phone_chosen,
};

struct ReadControl {
    const char* control;
    QAccessible::Role role;
    // Empty: the caption drawn on the control, else its hint.
    const char* name = "";
    Trait trait = Trait::none;
};

// Reading order: the rows top to bottom, each left to right; the top bar's keys come first.
// The preset buttons take their place between the strength slider and the light keys.
constexpr ReadControl kTopRows[] = {
    {"top_maximise_key", QAccessible::Button, "Maximise"},
    {"top_minimise_key", QAccessible::Button, "Minimise"},
    {"top_close_key", QAccessible::Button, "Close"},
    {"open_button", QAccessible::Button},
    {"undo_button", QAccessible::Button, "", Trait::needs_photo},
    {"status_label", QAccessible::StatusBar},
    {"profile_label", QAccessible::StaticText},
    {"correction_label", QAccessible::StaticText},
    {"close_button", QAccessible::Button},
    {"about_button", QAccessible::Button},
    {"save_button", QAccessible::Button, "", Trait::needs_photo},
    {"previous_button", QAccessible::Button, "Previous photo", Trait::needs_photo},
    {"next_button", QAccessible::Button, "Next photo", Trait::needs_photo},
    {"original_view", QAccessible::Graphic, "Original photo"},
    {"corrected_view", QAccessible::Graphic, "Corrected photo"},
    {"original_zoom", QAccessible::Slider, "Original photo zoom"},
    {"corrected_zoom", QAccessible::Slider, "Corrected photo zoom"},
    // The toggles read as Qt reads its own checkable buttons: as check boxes, on or off.
    {"camera_icon", QAccessible::CheckBox, "", Trait::camera_chosen},
    {"phone_icon", QAccessible::CheckBox, "", Trait::phone_chosen},
    {"correction_button", QAccessible::CheckBox, "", Trait::correction_on},
    {"tools_button", QAccessible::Button, "", Trait::needs_photo},
    {"strength_track", QAccessible::Slider, "Strength", Trait::on_tools_panel},
};
constexpr ReadControl kBottomRow[] = {
    {"dark_button", QAccessible::Button, "Darker", Trait::on_tools_panel},
    {"light_button", QAccessible::Button, "Lighter", Trait::on_tools_panel},
};

// The caption drawn on a control, as a sentence ("OPEN PHOTO" reads "Open photo"), or empty.
QString drawn_caption(std::string_view control)
{
    QString words;
    for (const main_layout::DrawnCaption& caption : main_layout::drawn_captions)
        if (control == caption.control) words += (words.isEmpty() ? "" : " ") + QString(caption.text);
    words = words.toLower();
    if (!words.isEmpty()) words[0] = words[0].toUpper();
    return words;
}

}  // namespace

void MainWindow::describe_controls()
{
    std::vector<QWidget*> order;
    const auto describe = [&](QWidget* control, const QString& name, QAccessible::Role role, Trait trait) {
        AccessibleTraits traits;
        traits.role = role;
        switch (trait) {
            case Trait::none:
                break;
            case Trait::needs_photo:
                traits.unavailable = [this] { return !corrector.photo_loaded; };
                break;
            case Trait::on_tools_panel:
                traits.off_screen = [this] { return !tools_open; };
                break;
            case Trait::correction_on:
                traits.checked = [this] { return corrector.toggle_face == IconFace::CorrectionOn; };
                break;
            case Trait::camera_chosen:
                traits.checked = [this] { return corrector.camera_faces.first == IconFace::Camera; };
                break;
            case Trait::phone_chosen:
                traits.checked = [this] { return corrector.camera_faces.second == IconFace::Phone; };
                break;
        }
        const bool pressable = role == QAccessible::Button || role == QAccessible::CheckBox;
        if (auto* image = qobject_cast<TImage32*>(control); image && pressable)
            traits.press = [image] { image->OnClick(); };
        if (auto* slider = qobject_cast<TGaugeBar*>(control)) {
            traits.value = [slider] { return slider->position(); };
            traits.set_value = [slider](int percent) { slider->set_position(percent); };
            traits.minimum = slider->min();
            traits.maximum = slider->max();
            traits.step = slider->small_change();
        }
        if (control == strength_track) {
            traits.value = [this] { return corrector.strength; };
            traits.set_value = [this](int percent) {
                guarded([this, percent] { strength_chosen(percent); });
            };
            traits.maximum = kFullStrength;
        }
        // A label's name is its text.
        if (!qobject_cast<TLabel*>(control)) control->setAccessibleName(name);
        if (pressable || role == QAccessible::Slider) control->setFocusPolicy(Qt::TabFocus);
        describe_for_screen_readers(*control, std::move(traits));
        order.push_back(control);
    };
    const auto describe_read = [&](const ReadControl& read) {
        auto* control = findChild<QWidget*>(read.control);
        QString name = read.name;
        if (name.isEmpty()) name = drawn_caption(read.control);
        if (name.isEmpty()) name = control->toolTip().simplified();
        describe(control, name, read.role, read.trait);
    };
    for (const ReadControl& read : kTopRows) describe_read(read);
    // The presets left to right, as the tools panel shows them and keys 1 to 9 pick them.
    for (auto preset = scene_presets.rbegin(); preset != scene_presets.rend(); ++preset)
        describe(preset_button(preset->preset), QString(preset->hint).simplified(), QAccessible::Button,
                 Trait::on_tools_panel);
    for (const ReadControl& read : kBottomRow) describe_read(read);
    list_for_screen_readers(*this, order);

    focus_ring_ = new FocusRing(*this);
}

QWidget* MainWindow::keyboard_focus() const
{
    QWidget* focused = focusWidget();
    if (!keyboard_focus_shown_ || focused == nullptr) return nullptr;
    const std::vector<QWidget*> listed = listed_controls(*this);
    return std::find(listed.begin(), listed.end(), focused) != listed.end() ? focused : nullptr;
}

void MainWindow::drop_keyboard_focus()
{
    keyboard_focus_shown_ = false;
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    focus_ring_->follow(nullptr);
}

bool MainWindow::focusNextPrevChild(bool next)
{
    const std::vector<QWidget*> reachable = reachable_controls(*this);
    if (reachable.empty()) return true;
    const auto current = std::find(reachable.begin(), reachable.end(), keyboard_focus());
    std::size_t target = next ? 0 : reachable.size() - 1;
    if (current != reachable.end()) {
        const auto index = static_cast<std::size_t>(current - reachable.begin());
        target = next ? (index + 1) % reachable.size() : (index + reachable.size() - 1) % reachable.size();
    }
    keyboard_focus_shown_ = true;
    reachable[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    focus_ring_->follow(reachable[target]);
    return true;
}

void MainWindow::controls_changed()
{
    announce_changes(*this);
    const std::vector<QWidget*> reachable = reachable_controls(*this);
    if (QWidget* focused = keyboard_focus();
        focused != nullptr && std::find(reachable.begin(), reachable.end(), focused) == reachable.end())
        drop_keyboard_focus();
}

bool MainWindow::keyboard_focus_keyPress(const QKeyEvent& event)
{
    QWidget* focused = keyboard_focus();
    if (focused == nullptr ||
        (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    int steps = 0;
    switch (event.key()) {
        case Qt::Key_Escape:
            drop_keyboard_focus();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            // Held down, the control is pressed once.
            if (!event.isAutoRepeat()) press_described(*focused);
            return true;
        case Qt::Key_Left:
        case Qt::Key_Down:
            steps = -1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            steps = 1;
            break;
        default:
            return false;
    }
    // The arrows move a focused slider; on any other control they keep stepping through the folder.
    if (focused == strength_track) {
        guarded([this, steps] { steps < 0 ? strength_downKey() : strength_upKey(); });
        return true;
    }
    if (auto* slider = qobject_cast<TGaugeBar*>(focused)) {
        slider->set_position(slider->position() + steps * slider->small_change());
        return true;
    }
    return false;
}

void MainWindow::follow_keyboard_focus(QObject* watched, QEvent* event)
{
    // Controls move and resize while the window is built and laid out, before there is a ring.
    if (focus_ring_ == nullptr) return;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            // The mouse takes over: Space switches the correction again.
            if (keyboard_focus() != nullptr) drop_keyboard_focus();
            return;
        case QEvent::FocusIn: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // A screen reader moving the focus shows it too; the window's activation only restores it.
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                reason == Qt::OtherFocusReason)
                keyboard_focus_shown_ = true;
            break;
        }
        case QEvent::FocusOut:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            break;
        default:
            return;
    }
    if (!keyboard_focus_shown_ && focus_ring_->followed() == nullptr) return;
    QWidget* focused = keyboard_focus();
    const auto* control = static_cast<QWidget*>(watched);
    if (focus_ring_->followed() != focused ||
        (focused != nullptr && (control == focused || control->isAncestorOf(focused))))
        focus_ring_->follow(focused);
}
