#include "windows/startup.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <fstream>
#include <vector>

#include "photo_files/jpeg_photo.h"
#include "tests/windows/windows_test_support.h"

namespace {

struct StartupRecord {
    std::vector<StartupStep> steps;
    std::vector<std::chrono::milliseconds> sleeps;
    QPointer<SplashWindow> splash;
    std::unique_ptr<PaintCounter> splash_paints;
    bool splash_visible_during_pause = false;
    int splash_paints_before_pause = 0;
    QString title_during_pause;
    bool main_window_existed_during_pause = false;
    bool splash_alive_when_about_created = false;
};

StartupOptions recording_options(StartupRecord& record)
{
    StartupOptions options;
    options.pixels_per_inch = 96;
    options.sleep_for = [&record](std::chrono::milliseconds duration) {
        record.sleeps.push_back(duration);
        record.splash_visible_during_pause = record.splash && record.splash->isVisible();
        record.splash_paints_before_pause = record.splash_paints ? record.splash_paints->paints : 0;
        record.title_during_pause = QGuiApplication::applicationDisplayName();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<MainWindow*>(window) != nullptr) record.main_window_existed_during_pause = true;
    };
    options.on_step = [&record](StartupStep step, SplashWindow* splash) {
        record.steps.push_back(step);
        if (step == StartupStep::splash_shown) {
            record.splash = splash;
            record.splash_paints = std::make_unique<PaintCounter>(splash->picture);
        }
        if (step == StartupStep::about_created)
            record.splash_alive_when_about_created = !record.splash.isNull();
    };
    QGuiApplication::setApplicationDisplayName(QString());
    return options;
}

ProgramWindows start_recorded(StartupRecord& record)
{
    return start_program(recording_options(record));
}

TEST(Startup, TakesItsStepsInOrderWithTheSplashPaintedBeforeThePause)
{
    StartupRecord record;
    ProgramWindows windows = start_recorded(record);
    const std::vector<StartupStep> expected{StartupStep::splash_shown,    StartupStep::splash_painted,
                                            StartupStep::pause_done,      StartupStep::title_set,
                                            StartupStep::main_created,    StartupStep::about_created,
                                            StartupStep::splash_destroyed};
    EXPECT_EQ(record.steps, expected);
    ASSERT_EQ(record.sleeps.size(), 1u);
    EXPECT_EQ(record.sleeps[0], std::chrono::milliseconds(2000));
    EXPECT_TRUE(record.splash_visible_during_pause);
    EXPECT_GE(record.splash_paints_before_pause, 1);
    EXPECT_NE(record.title_during_pause, "Tintelo photo mallet");
    EXPECT_FALSE(record.main_window_existed_during_pause);
    EXPECT_TRUE(record.splash_alive_when_about_created);
    EXPECT_TRUE(record.splash.isNull());  // destroyed before the event loop
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Tintelo photo mallet");

    ASSERT_TRUE(windows.main_window && windows.about_window);
    EXPECT_EQ(windows.main_window->about_window, windows.about_window.get());
    EXPECT_FALSE(windows.main_window->isVisible());  // the event loop shows it
    EXPECT_FALSE(windows.about_window->isVisible());
    EXPECT_EQ(windows.main_window->size(), QSize(902, 608));
    EXPECT_EQ(windows.main_window->windowTitle(), "Tintelo photo mallet");
}

// Started with a photo, the splash covers opening it and nothing else: no two-second pause,
// the photo open in the hidden main window, and the splash up for at least 300 ms.
TEST(Startup, WithAPhotoTheSplashStaysWhileItOpensAndAtLeast300Milliseconds)
{
    QTemporaryDir folder;
    const std::string photo = folder.filePath("start.jpg").toStdString();
    Bitmap32 scene;
    scene.set_size(900, 700);
    write_photo(scene, photo);
    StartupRecord record;
    StartupOptions options = recording_options(record);
    options.photo = photo;
    QElapsedTimer started;
    started.start();
    ProgramWindows windows = start_program(options);

    const std::vector<StartupStep> expected{StartupStep::splash_shown,  StartupStep::splash_painted,
                                            StartupStep::title_set,     StartupStep::main_created,
                                            StartupStep::about_created, StartupStep::photo_opened,
                                            StartupStep::pause_done,    StartupStep::splash_destroyed};
    EXPECT_EQ(record.steps, expected);
    // A sleep only for what is left of the 300 ms (none in a slow, instrumented build).
    ASSERT_LE(record.sleeps.size(), 1u);
    const auto slept = record.sleeps.empty() ? std::chrono::milliseconds(0) : record.sleeps[0];
    EXPECT_LE(slept, std::chrono::milliseconds(300));
    EXPECT_GE(std::chrono::milliseconds(started.elapsed()) + slept, std::chrono::milliseconds(300));
    EXPECT_TRUE(record.sleeps.empty() || record.splash_visible_during_pause);
    EXPECT_TRUE(windows.main_window->corrector.photo_loaded);
    EXPECT_FALSE(windows.main_window->isVisible());
}

// A photo that fails to open before the window shows says so once the window is on the screen.
TEST(Startup, ALoadFailureBeforeTheWindowShowsWaitsForIt)
{
    QTemporaryDir folder;
    const std::string broken = folder.filePath("broken.jpg").toStdString();
    std::ofstream(broken) << "no photo";
    auto form = quick_form();
    form->open_photo_before_showing(broken);
    EXPECT_EQ(messages(*form).load_failures, 0);
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(messages(*form).load_failures, 1);
    EXPECT_EQ(messages(*form).last_load_failure.reason, LoadFailureReason::NotAJpeg);
}

TEST(Startup, SplashShowsTheArtworkFromItsSecondPixelWithTheVersion)
{
    SplashWindow splash;
    EXPECT_EQ(splash.size(), QSize(332, 312));
    EXPECT_EQ(splash.windowTitle(), "SplashScreen");
    EXPECT_EQ(splash.picture->geometry(), QRect(-1, -1, 413, 387));
    EXPECT_EQ(splash.version_label->parentWidget(), splash.picture);
    EXPECT_EQ(splash.version_label->pos(), QPoint(247, 276));
    EXPECT_EQ(splash.version_label->caption(), "Version 1.1");
    const QImage artwork = skin_picture("splash.png");
    const QImage window = shown(splash);
    EXPECT_EQ(window.pixel(0, 0), artwork.pixel(1, 1));
    EXPECT_EQ(window.pixel(331, 311), artwork.pixel(332, 312));
    EXPECT_EQ(window.pixel(100, 100), artwork.pixel(101, 101));
    // The label paints its own grey box.
    EXPECT_EQ(window.pixel(246 + splash.version_label->width() - 1, 275), QColor(202, 202, 202).rgb());
}

TEST(AboutWindow, HidesOnAClickOnThePictureButNotOnTheLabel)
{
    AboutWindow about;
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.size(), QSize(332, 312));
    EXPECT_EQ(about.picture->geometry(), QRect(-1, -1, 336, 317));
    EXPECT_EQ(about.version_label->pos(), QPoint(247, 273));
    about.show();
    click(*about.version_label, {3, 3});
    EXPECT_TRUE(about.isVisible());
    // The same press seen by the picture itself, as when it lands beside the label.
    click(*about.picture, {50, 50});
    EXPECT_FALSE(about.isVisible());
}

// A child of the main window, centred on it wherever it stands, titled for the desktop, and
// closed from the keyboard.
TEST(AboutWindow, IsAChildOfTheMainWindowThatEscapeEnterOrSpaceCloses)
{
    auto form = quick_form();
    auto* about = new AboutWindow(form.get());
    form->about_window = about;
    form->show();
    form->move(30, 40);
    EXPECT_EQ(about->windowTitle(), "About Tintelo photo mallet");
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        form->about_buttonClick();
        ASSERT_TRUE(about->isVisible());
        EXPECT_TRUE(about->isWindow());
        EXPECT_EQ(about->windowHandle()->transientParent(), form->windowHandle());
        EXPECT_EQ(about->geometry().center(), form->geometry().center());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(about, &press);
        EXPECT_FALSE(about->isVisible()) << key;
    }
}

TEST(AboutWindow, IsShownByTheAboutButtonAtTheSamePlaceAndNotShownAgainWhileVisible)
{
    auto form = quick_form();
    AboutWindow about;
    form->about_window = &about;
    form->show();
    form->about_buttonClick();
    ASSERT_TRUE(about.isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(about.pos(),
              QPoint(screen.left() + (screen.width() - 332) / 2, screen.top() + (screen.height() - 312) / 2));
    about.move(30, 40);

    int shows = 0;
    struct ShowCounter : QObject {
        int* shows;
        explicit ShowCounter(int* s) : shows(s) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Show) ++*shows;
            return false;
        }
    } counter(&shows);
    about.installEventFilter(&counter);
    form->about_buttonClick();  // already visible: nothing beyond the press
    EXPECT_EQ(shows, 0);
    about.pictureClick();
    EXPECT_FALSE(about.isVisible());
    form->about_buttonClick();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(about.pos(), QPoint(30, 40));
    EXPECT_FALSE(about.isModal());
}

// Closing the main window ends the event loop even while the about window is open.
TEST(Shutdown, TheCloseKeyEndsTheEventLoop)
{
    StartupRecord record;
    ProgramWindows windows = start_recorded(record);
    windows.main_window->sleep_for = [](std::chrono::milliseconds) {};
    bool closed_by_key = false;
    QTimer::singleShot(0, windows.main_window.get(), [&] {
        windows.main_window->about_buttonClick();
        closed_by_key = true;
        click(*windows.main_window->top_close_key);
    });
    QTimer watchdog;
    bool watchdog_fired = false;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        watchdog_fired = true;
        QCoreApplication::exit(1);
    });
    watchdog.start(10000);
    const int result = run_program(windows);
    EXPECT_TRUE(closed_by_key);
    EXPECT_FALSE(watchdog_fired);
    EXPECT_EQ(result, 0);
}

}  // namespace
