#include "windows/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <QWindow>
#include <thread>

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
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
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
    const auto step = [&options](StartupStep taken, TForm2* splash) {
        if (options.on_step) options.on_step(taken, splash);
    };

    auto splash = std::make_unique<TForm2>();
    splash->show();
    step(StartupStep::splash_shown, splash.get());

    wait_until_exposed(*splash);
    repaint_now(*splash);
    step(StartupStep::splash_painted, splash.get());

    // The event thread sleeps: nothing is handled, not even the splash's repaints.
    sleep(options.splash_pause);
    step(StartupStep::pause_done, splash.get());

    QGuiApplication::setApplicationDisplayName("Tintelo photo mallet");
    // The desktop matches the running program to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(TINTELO_APPLICATION_ID));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TINTELO_APPLICATION_ID)));
    step(StartupStep::title_set, splash.get());

    ProgramWindows windows;
    windows.Form1 = std::make_unique<TForm1>(options.pixels_per_inch);
    step(StartupStep::main_created, splash.get());

    windows.Form3 = std::make_unique<TForm3>();
    windows.Form1->about_window = windows.Form3.get();
    step(StartupStep::about_created, splash.get());

    splash->hide();
    splash.reset();
    step(StartupStep::splash_destroyed, nullptr);
    return windows;
}

int run_program(ProgramWindows& windows, const std::optional<std::string>& photo)
{
    windows.Form1->show();
    if (photo) {
        TForm1* form = windows.Form1.get();
        QTimer::singleShot(0, form, [form, path = *photo] {
            wait_until_exposed(*form);
            form->open_photo_file(path);
        });
    }
    return QApplication::exec();
}
