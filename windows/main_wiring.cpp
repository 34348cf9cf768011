// Which handler each of the main window's control events runs.
#include <QString>
#include <exception>

#include "windows/error_report.h"
#include "windows/main.h"

namespace {

using Handler = void (TForm1::*)();
using ButtonHandler = void (TForm1::*)(Qt::MouseButton, Qt::KeyboardModifiers, int, int);
using MoveHandler = void (TForm1::*)(Qt::MouseButtons, Qt::KeyboardModifiers, int, int);

// Where a control has both events, each click of a double click runs the handler.
struct ClickWiring {
    TImage32* TForm1::*control;
    Handler handler;
    bool double_click_also;
};
constexpr ClickWiring kClicks[] = {
    {&TForm1::open_button, &TForm1::open_buttonClick, true},
    {&TForm1::save_button, &TForm1::save_buttonClick, true},
    {&TForm1::undo_button, &TForm1::undo_buttonClick, true},
    {&TForm1::close_button, &TForm1::close_buttonClick, false},
    {&TForm1::up_close, &TForm1::up_closeClick, true},
    {&TForm1::about_button, &TForm1::about_buttonClick, false},
    {&TForm1::tools_button, &TForm1::tools_buttonClick, true},
    {&TForm1::tn_nappula, &TForm1::tn_nappulaClick, true},
    {&TForm1::cam_icon, &TForm1::cam_iconClick, true},
    {&TForm1::mob_icon, &TForm1::mob_iconClick, true},
    {&TForm1::Image321, &TForm1::Image321DblClick, true},
    {&TForm1::Image322, &TForm1::Image322DblClick, true},
    {&TForm1::Image323, &TForm1::Image323DblClick, true},
    {&TForm1::Image324, &TForm1::Image324DblClick, true},
    {&TForm1::Image325, &TForm1::Image325DblClick, true},
    {&TForm1::Image326, &TForm1::Image326DblClick, true},
    {&TForm1::Image327, &TForm1::Image327DblClick, true},
    {&TForm1::Image328, &TForm1::Image328Click, true},
    {&TForm1::Image329, &TForm1::Image329DblClick, true},
    {&TForm1::light_button, &TForm1::light_buttonClick, false},
    {&TForm1::dark_button, &TForm1::dark_buttonClick, false},
    {&TForm1::up_min, &TForm1::up_minClick, false},
};

// The hover images of the top bar's keys.
struct HoverWiring {
    TImage32* TForm1::*control;
    Handler enter;
    Handler leave;
};
constexpr HoverWiring kHovers[] = {
    {&TForm1::up_close, &TForm1::up_closeMouseEnter, &TForm1::up_closeMouseLeave},
    {&TForm1::up_min, &TForm1::up_minMouseEnter, &TForm1::up_minMouseLeave},
};

struct ZoomWiring {
    TGaugeBar* TForm1::*slider;
    Handler change;
};
constexpr ZoomWiring kZooms[] = {
    {&TForm1::org_zoom, &TForm1::org_zoomChange},
    {&TForm1::tn_zoom, &TForm1::tn_zoomChange},
};

// Panning by dragging a photo view.
struct ViewWiring {
    TImgView32* TForm1::*view;
    ButtonHandler down;
    MoveHandler move;
    ButtonHandler up;
};
constexpr ViewWiring kViews[] = {
    {&TForm1::photo_org, &TForm1::photo_orgMouseDown, &TForm1::photo_orgMouseMove, &TForm1::photo_orgMouseUp},
    {&TForm1::photo_tn, &TForm1::photo_tnMouseDown, &TForm1::photo_tnMouseMove, &TForm1::photo_tnMouseUp},
};

}  // namespace

void TForm1::wire_events()
{
    for (const ClickWiring& wiring : kClicks) {
        TImage32& control = *(this->*wiring.control);
        control.OnClick = [this, handler = wiring.handler] {
            guarded([this, handler] { (this->*handler)(); });
        };
        if (wiring.double_click_also) control.OnDblClick = control.OnClick;
    }
    for (const HoverWiring& wiring : kHovers) {
        TImage32& control = *(this->*wiring.control);
        control.OnMouseEnter = [this, enter = wiring.enter] { (this->*enter)(); };
        control.OnMouseLeave = [this, leave = wiring.leave] { (this->*leave)(); };
    }
    for (const ZoomWiring& wiring : kZooms)
        (this->*wiring.slider)->OnChange = [this, change = wiring.change] {
            guarded([this, change] { (this->*change)(); });
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
    }

    // Dragging the window by its top bar.
    Image3213->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        Image3213MouseDown(b, m, x, y);
    };
    Image3213->OnMouseMove = [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) {
        Image3213MouseMove(b, m, x, y);
    };
    Image3213->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
        Image3213MouseUp(b, m, x, y);
    };

    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(&Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
}

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
