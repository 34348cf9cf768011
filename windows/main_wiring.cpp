// Which handler each of the main window's control events runs.
#include <QString>
#include <exception>

#include "windows/error_report.h"
#include "windows/main_window.h"

namespace {

using Handler = void (MainWindow::*)();
using ButtonHandler = void (MainWindow::*)(Qt::MouseButton, Qt::KeyboardModifiers, int, int);
using MoveHandler = void (MainWindow::*)(Qt::MouseButtons, Qt::KeyboardModifiers, int, int);

// Where a control has both events, each click of a double click runs the handler.
struct ClickWiring {
    TImage32* MainWindow::*control;
    Handler handler;
    bool double_click_also;
};
constexpr ClickWiring kClicks[] = {
    {&MainWindow::open_button, &MainWindow::open_buttonClick, true},
    {&MainWindow::save_button, &MainWindow::save_buttonClick, true},
    {&MainWindow::undo_button, &MainWindow::undo_buttonClick, true},
    {&MainWindow::close_button, &MainWindow::close_buttonClick, false},
    {&MainWindow::top_close_key, &MainWindow::top_close_keyClick, true},
    {&MainWindow::about_button, &MainWindow::about_buttonClick, false},
    {&MainWindow::tools_button, &MainWindow::tools_buttonClick, true},
    {&MainWindow::correction_button, &MainWindow::correction_buttonClick, true},
    {&MainWindow::camera_icon, &MainWindow::camera_iconClick, true},
    {&MainWindow::phone_icon, &MainWindow::phone_iconClick, true},
    {&MainWindow::light_button, &MainWindow::light_buttonClick, false},
    {&MainWindow::dark_button, &MainWindow::dark_buttonClick, false},
    {&MainWindow::top_minimise_key, &MainWindow::top_minimise_keyClick, false},
    {&MainWindow::top_maximise_key, &MainWindow::top_maximise_keyClick, false},
};

// The hover images of the top bar's keys.
struct HoverWiring {
    TImage32* MainWindow::*control;
    Handler enter;
    Handler leave;
};
constexpr HoverWiring kHovers[] = {
    {&MainWindow::top_close_key, &MainWindow::top_close_keyMouseEnter, &MainWindow::top_close_keyMouseLeave},
    {&MainWindow::top_minimise_key, &MainWindow::top_minimise_keyMouseEnter,
     &MainWindow::top_minimise_keyMouseLeave},
    {&MainWindow::top_maximise_key, &MainWindow::top_maximise_keyMouseEnter,
     &MainWindow::top_maximise_keyMouseLeave},
};

struct ZoomWiring {
    TGaugeBar* MainWindow::*slider;
    Handler change;
};
constexpr ZoomWiring kZooms[] = {
    {&MainWindow::original_zoom, &MainWindow::original_zoomChange},
    {&MainWindow::corrected_zoom, &MainWindow::corrected_zoomChange},
};

// Panning by dragging a photo view.
struct ViewWiring {
    TImgView32* MainWindow::*view;
    ButtonHandler down;
    MoveHandler move;
    ButtonHandler up;
};
constexpr ViewWiring kViews[] = {
    {&MainWindow::original_view, &MainWindow::original_viewMouseDown, &MainWindow::original_viewMouseMove,
     &MainWindow::original_viewMouseUp},
    {&MainWindow::corrected_view, &MainWindow::corrected_viewMouseDown, &MainWindow::corrected_viewMouseMove,
     &MainWindow::corrected_viewMouseUp},
};

}  // namespace

void MainWindow::wire_events()
{
    for (const ClickWiring& wiring : kClicks) {
        TImage32& control = *(this->*wiring.control);
        control.OnClick = [this, handler = wiring.handler] {
            guarded([this, handler] { (this->*handler)(); });
        };
        if (wiring.double_click_also) control.OnDblClick = control.OnClick;
    }
    // Every preset button runs the one preset handler with its own preset, on a
    // click and on each click of a double click.
    for (const ScenePresetInfo& info : scene_presets) {
        TImage32& button = *preset_button(info.preset);
        button.OnClick = [this, preset = info.preset] {
            guarded([this, preset] { preset_buttonClick(preset); });
        };
        button.OnDblClick = button.OnClick;
    }
    for (const HoverWiring& wiring : kHovers) {
        TImage32& control = *(this->*wiring.control);
        control.OnMouseEnter = [this, enter = wiring.enter] { (this->*enter)(); };
        control.OnMouseLeave = [this, leave = wiring.leave] { (this->*leave)(); };
    }
    for (const ZoomWiring& wiring : kZooms)
        (this->*wiring.slider)->OnChange = [this, change = wiring.change] {
            guarded([this, change] { (this->*change)(); });
            controls_changed();
        };
    for (const ViewWiring& wiring : kViews) {
        TImgView32& view = *(this->*wiring.view);
        view.OnMouseDown = [this, down = wiring.down](Qt::MouseButton b, Qt::KeyboardModifiers m, int x,
                                                      int y) { guarded([&] { (this->*down)(b, m, x, y); }); };
        view.OnMouseMove = [this, move = wiring.move](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x,
                                                      int y) { guarded([&] { (this->*move)(b, m, x, y); }); };
        view.OnMouseUp = [this, up = wiring.up](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
            guarded([&] { (this->*up)(b, m, x, y); });
        };
        view.OnDblClick = [this] { toggle_full_screen(); };
    }

    // Dragging the window by its top bar.
    top_bar->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        top_barMouseDown(b, m, x, y);
    };
    top_bar->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
        top_barMouseMove(b, m, x, y);
    };
    top_bar->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        top_barMouseUp(b, m, x, y);
    };
    top_bar->OnDblClick = [this] { top_maximise_keyClick(); };

    wire_stepping();
    connect(&panel_open_timer, &QTimer::timeout, this, [this] { panel_open_timerTick(); });
    connect(&panel_close_timer, &QTimer::timeout, this, [this] { panel_close_timerTick(); });
}

void MainWindow::guarded(const std::function<void()>& handler)
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
