#include "windows/main_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>
#include <thread>

#include "display/bitmap_qt.h"
#include "windows/qt_photo_dialogs.h"
#include "windows/window_support.h"

MainWindow::MainWindow(int pixels_per_inch, QScreen* screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      corrector(this),
      pixels_per_inch_(pixels_per_inch > 0 ? pixels_per_inch : screen_pixels_per_inch())
{
    if (screen != nullptr) {
        // Placed on it too, or the first show would put the window where its position says.
        setScreen(screen);
        move(screen->geometry().topLeft());
    }
    // Chosen once: the pictures and captions are made for this screen's scale.
    device_pixel_ratio_ = screen_pixel_ratio(*this);
    sleep_for = [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); };
    start_window_move = [this] { return windowHandle() != nullptr && windowHandle()->startSystemMove(); };
    start_window_resize = [this](Qt::Edges edges) {
        return windowHandle() != nullptr && windowHandle()->startSystemResize(edges);
    };
    open_dialogs = std::make_unique<QtOpenDialogs>(this);
    save_dialogs = std::make_unique<QtSaveDialogs>(this);
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
    resize(size_on_screen({kWidth, kClosedHeight}));

    load_lists();
    build_controls();
    wire_events();
    WindowCreate();
    describe_controls();
}

MainWindow::~MainWindow()
{
    // The controls' handlers reach into this window's fields: let the controls
    // go while those fields still exist.
    panel_open_timer.stop();
    panel_close_timer.stop();
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    if (cursor_overridden_) QGuiApplication::restoreOverrideCursor();
}

void MainWindow::showEvent(QShowEvent* event)
{
    if (!centred_ && !event->spontaneous()) {
        centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
    if (load_failure_to_show_) {
        // Once the event loop runs, so that the window is on the screen under it.
        QTimer::singleShot(0, this, [this] {
            const std::optional<LoadOutcome> outcome = std::exchange(load_failure_to_show_, std::nullopt);
            if (outcome) guarded([&] { messages->show_load_failure(*outcome); });
        });
    }
}
