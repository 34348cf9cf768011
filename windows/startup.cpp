#include "windows/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QWindow>
#include <thread>

#include "windows/artwork_window.h"
#include "windows/skin_fonts.h"
#include "windows/window_support.h"

namespace {

// A new window reaches the screen only once the window system has mapped it;
// until then painting it draws nothing anyone sees.
void wait_until_exposed(QWidget& window)
{
    QElapsedTimer waited;
    waited.start();
    while (window.windowHandle() != nullptr && !window.windowHandle()->isExposed() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

void prepare_platform()
{
    // Qt scales the windows by the desktop's factor (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS,
    // Xft.dpi, the compositor's scale); the layout stays in its logical pixels. 125 % and 150 %
    // stay what they are, not rounded to 100 % or 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void prepare_resources()
{
    install_skin_fonts();
}

ProgramWindows start_program(const StartupOptions& options)
{
    const auto sleep = options.sleep_for ? options.sleep_for : [](std::chrono::milliseconds duration) {
        std::this_thread::sleep_for(duration);
    };
    const auto step = [&options](StartupStep taken, SplashWindow* splash) {
        if (options.on_step) options.on_step(taken, splash);
    };

    auto splash = std::make_unique<SplashWindow>();
    splash->show();
    step(StartupStep::splash_shown, splash.get());

    wait_until_exposed(*splash);
    repaint_now(*splash);
    step(StartupStep::splash_painted, splash.get());
    QElapsedTimer painted;
    painted.start();

    // The event thread sleeps: nothing is handled, not even the splash's repaints.
    if (!options.photo) {
        sleep(options.splash_pause);
        step(StartupStep::pause_done, splash.get());
    }

    QGuiApplication::setApplicationDisplayName(QString::fromLatin1(kProgramDisplayName));
    // The desktop matches the running program to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(TINTELO_APPLICATION_ID));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TINTELO_APPLICATION_ID)));
    step(StartupStep::title_set, splash.get());

    ProgramWindows windows;
    windows.main_window = std::make_unique<MainWindow>(options.pixels_per_inch);
    step(StartupStep::main_created, splash.get());

    windows.about_window = std::make_unique<AboutWindow>(windows.main_window.get());
    windows.main_window->about_window = windows.about_window.get();
    step(StartupStep::about_created, splash.get());

    if (options.photo) {
        // The splash covers the decoding, measuring and correcting, and only that.
        windows.main_window->open_photo_before_showing(*options.photo);
        step(StartupStep::photo_opened, splash.get());
        const std::chrono::milliseconds shown(painted.elapsed());
        if (shown < options.least_splash_with_photo) sleep(options.least_splash_with_photo - shown);
        step(StartupStep::pause_done, splash.get());
    }

    splash->hide();
    splash.reset();
    step(StartupStep::splash_destroyed, nullptr);
    return windows;
}

int run_program(ProgramWindows& windows)
{
    windows.main_window->show();
    return QApplication::exec();
}
