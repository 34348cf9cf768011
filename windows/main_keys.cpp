// The main window's keys: each runs the handler a click on its control runs,
// with the same pressed feedback, and only while that control can be clicked.
#include <QKeyEvent>
#include <variant>

#include "windows/main_window.h"

namespace {

using Handler = void (MainWindow::*)();
// A key runs a handler of its own, or the preset buttons' handler with one preset.
using Action = std::variant<Handler, ScenePreset>;

enum class Available {
    Always,
    WithToolsPanel,  // the presets and light keys lie on the tools panel
    WithPhoto,
};

enum class Shift { ignored, without, with };

struct KeyBinding {
    int key;
    bool with_ctrl;
    Action action;
    Available available;
    bool repeats;  // held down, the key runs again; the others run once a press
    Shift shift = Shift::ignored;
};

// Shift and the keypad do not matter: on many keyboards "+" needs Shift.
constexpr KeyBinding kKeys[] = {
    {Qt::Key_O, true, &MainWindow::open_buttonClick, Available::Always, false},
    {Qt::Key_S, true, &MainWindow::save_buttonClick, Available::Always, false},
    {Qt::Key_Z, true, &MainWindow::undo_stepKey, Available::Always, false, Shift::without},
    {Qt::Key_Z, true, &MainWindow::redo_stepKey, Available::Always, false, Shift::with},
    {Qt::Key_Y, true, &MainWindow::redo_stepKey, Available::Always, false},
    {Qt::Key_Q, true, &MainWindow::close_buttonClick, Available::Always, false},
    {Qt::Key_0, true, &MainWindow::fit_both_views, Available::WithPhoto, false},
    {Qt::Key_F1, false, &MainWindow::about_buttonClick, Available::Always, false},
    {Qt::Key_T, false, &MainWindow::tools_buttonClick, Available::Always, false},
    {Qt::Key_Space, false, &MainWindow::correction_buttonClick, Available::Always, false},
    {Qt::Key_D, false, &MainWindow::camera_iconClick, Available::Always, false},
    {Qt::Key_P, false, &MainWindow::phone_iconClick, Available::Always, false},
    // The presets left to right, as the tools panel shows them.
    {Qt::Key_1, false, ScenePreset::IndoorsBulbLamp, Available::WithToolsPanel, false},
    {Qt::Key_2, false, ScenePreset::IndoorsMixedLight, Available::WithToolsPanel, false},
    {Qt::Key_3, false, ScenePreset::Outdoors, Available::WithToolsPanel, false},
    {Qt::Key_4, false, ScenePreset::OutdoorsCloudy, Available::WithToolsPanel, false},
    {Qt::Key_5, false, ScenePreset::OutdoorsTooShiny, Available::WithToolsPanel, false},
    {Qt::Key_6, false, ScenePreset::IndoorsNoFlash, Available::WithToolsPanel, false},
    {Qt::Key_7, false, ScenePreset::IndoorsFlash, Available::WithToolsPanel, false},
    {Qt::Key_8, false, ScenePreset::Backlight, Available::WithToolsPanel, false},
    {Qt::Key_9, false, ScenePreset::OutdoorsVivid, Available::WithToolsPanel, false},
    {Qt::Key_Plus, false, &MainWindow::light_buttonClick, Available::WithToolsPanel, true},
    {Qt::Key_Equal, false, &MainWindow::light_buttonClick, Available::WithToolsPanel, true},
    {Qt::Key_Minus, false, &MainWindow::dark_buttonClick, Available::WithToolsPanel, true},
    // Through the shown photo's folder, as photo viewers step.
    {Qt::Key_Right, false, &MainWindow::next_buttonClick, Available::WithPhoto, true},
    {Qt::Key_PageDown, false, &MainWindow::next_buttonClick, Available::WithPhoto, true},
    {Qt::Key_Left, false, &MainWindow::previous_buttonClick, Available::WithPhoto, true},
    {Qt::Key_PageUp, false, &MainWindow::previous_buttonClick, Available::WithPhoto, true},
    {Qt::Key_Home, false, &MainWindow::first_photo, Available::WithPhoto, false},
    {Qt::Key_End, false, &MainWindow::last_photo, Available::WithPhoto, false},
    {Qt::Key_Return, true, &MainWindow::save_and_go_on, Available::WithPhoto, false},
    {Qt::Key_Enter, true, &MainWindow::save_and_go_on, Available::WithPhoto, false},
    {Qt::Key_BracketLeft, false, &MainWindow::strength_downKey, Available::WithToolsPanel, true},
    {Qt::Key_BracketRight, false, &MainWindow::strength_upKey, Available::WithToolsPanel, true},
    {Qt::Key_F11, false, &MainWindow::toggle_full_screen, Available::Always, false},
    {Qt::Key_Escape, false, &MainWindow::leave_full_screen, Available::Always, false},
    {Qt::Key_V, false, &MainWindow::toggle_single_view, Available::Always, false},
    {Qt::Key_Backslash, false, &MainWindow::show_original_held, Available::WithPhoto, false},
};

}  // namespace

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (keyboard_focus_keyPress(*event)) return event->accept();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool with_ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return QWidget::keyPressEvent(event);
    for (const KeyBinding& binding : kKeys) {
        if (binding.key != event->key() || binding.with_ctrl != with_ctrl) continue;
        if (binding.shift != Shift::ignored &&
            (binding.shift == Shift::with) != modifiers.testFlag(Qt::ShiftModifier))
            continue;
        event->accept();
        if (event->isAutoRepeat() && !binding.repeats) return;
        const bool available = binding.available == Available::Always ||
                               (binding.available == Available::WithToolsPanel && tools_open) ||
                               (binding.available == Available::WithPhoto && corrector.photo_loaded);
        if (!available) return;
        guarded([this, &binding] {
            if (const Handler* handler = std::get_if<Handler>(&binding.action))
                (this->*(*handler))();
            else
                preset_buttonClick(std::get<ScenePreset>(binding.action));
        });
        return;
    }
    QWidget::keyPressEvent(event);
}
