#include "windows/main.h"

#include <QGuiApplication>
#include <QShowEvent>
#include <QWindow>
#include <thread>

#include "display/bitmap_qt.h"
#include "windows/qt_photo_dialogs.h"
#include "windows/window_support.h"

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
    // Photos dragged from a file manager may be dropped anywhere on the window.
    setAcceptDrops(true);
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
