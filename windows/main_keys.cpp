// The main window's keys: each runs the handler a click on its control runs,
// with the same pressed feedback, and only while that control can be clicked.
#include <QKeyEvent>

#include "windows/main.h"

namespace {

using Handler = void (TForm1::*)();

enum class Available {
    Always,
    WithToolsPanel,  // the presets and light keys lie on the tools panel
    WithPhoto,
};

struct KeyBinding {
    int key;
    bool with_ctrl;
    Handler handler;
    Available available;
    bool repeats;  // held down, the key runs again; the others run once a press
};

// Shift and the keypad do not matter: on many keyboards "+" needs Shift.
constexpr KeyBinding kKeys[] = {
    {Qt::Key_O, true, &TForm1::open_buttonClick, Available::Always, false},
    {Qt::Key_S, true, &TForm1::save_buttonClick, Available::Always, false},
    {Qt::Key_Z, true, &TForm1::undo_buttonClick, Available::Always, false},
    {Qt::Key_Q, true, &TForm1::close_buttonClick, Available::Always, false},
    {Qt::Key_0, true, &TForm1::fit_both_views, Available::WithPhoto, false},
    {Qt::Key_F1, false, &TForm1::about_buttonClick, Available::Always, false},
    {Qt::Key_T, false, &TForm1::tools_buttonClick, Available::Always, false},
    {Qt::Key_Space, false, &TForm1::tn_nappulaClick, Available::Always, false},
    {Qt::Key_D, false, &TForm1::cam_iconClick, Available::Always, false},
    {Qt::Key_P, false, &TForm1::mob_iconClick, Available::Always, false},
    // The presets left to right, as the tools panel shows them.
    {Qt::Key_1, false, &TForm1::Image329DblClick, Available::WithToolsPanel, false},
    {Qt::Key_2, false, &TForm1::Image328Click, Available::WithToolsPanel, false},
    {Qt::Key_3, false, &TForm1::Image327DblClick, Available::WithToolsPanel, false},
    {Qt::Key_4, false, &TForm1::Image326DblClick, Available::WithToolsPanel, false},
    {Qt::Key_5, false, &TForm1::Image325DblClick, Available::WithToolsPanel, false},
    {Qt::Key_6, false, &TForm1::Image324DblClick, Available::WithToolsPanel, false},
    {Qt::Key_7, false, &TForm1::Image323DblClick, Available::WithToolsPanel, false},
    {Qt::Key_8, false, &TForm1::Image322DblClick, Available::WithToolsPanel, false},
    {Qt::Key_9, false, &TForm1::Image321DblClick, Available::WithToolsPanel, false},
    {Qt::Key_Plus, false, &TForm1::light_buttonClick, Available::WithToolsPanel, true},
    {Qt::Key_Equal, false, &TForm1::light_buttonClick, Available::WithToolsPanel, true},
    {Qt::Key_Minus, false, &TForm1::dark_buttonClick, Available::WithToolsPanel, true},
};

}  // namespace

void TForm1::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool with_ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return QWidget::keyPressEvent(event);
    for (const KeyBinding& binding : kKeys) {
        if (binding.key != event->key() || binding.with_ctrl != with_ctrl) continue;
        event->accept();
        if (event->isAutoRepeat() && !binding.repeats) return;
        const bool available = binding.available == Available::Always ||
                               (binding.available == Available::WithToolsPanel && tools_open) ||
                               (binding.available == Available::WithPhoto && corrector.photo_loaded);
        if (available) guarded([this, handler = binding.handler] { (this->*handler)(); });
        return;
    }
    QWidget::keyPressEvent(event);
}
