#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include "windows/startup.h"

namespace {

// The offscreen platform cannot hand size limits to a window manager and says
// so on every fixed-size change; that says nothing about the program.
QtMessageHandler default_handler = nullptr;
void quiet_handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains("propagateSizeHints")) return;
    default_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv)
{
    default_handler = qInstallMessageHandler(quiet_handler);
    // The windows are built, painted and driven in-process without a display, on a
    // screen with room for the window at its designed size at every tested scale
    // (the platform's own screen is 800 x 600), unless a binary asks for a smaller one.
#ifndef TINTELO_TEST_SCREEN_WIDTH
#define TINTELO_TEST_SCREEN_WIDTH 3840
#define TINTELO_TEST_SCREEN_HEIGHT 2400
#endif
    const QString screens =
        QDir::temp().filePath(QString("tintelo_test_screen_%1.json").arg(QCoreApplication::applicationPid()));
    QFile config(screens);
    if (config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        config.write(QString(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2,)"
                             R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                         .arg(TINTELO_TEST_SCREEN_WIDTH)
                         .arg(TINTELO_TEST_SCREEN_HEIGHT)
                         .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).toLocal8Bit());
#ifdef TINTELO_TEST_SCALE_FACTOR
    // A screen at that scale, whatever the environment says.
    qputenv("QT_SCALE_FACTOR", TINTELO_TEST_SCALE_FACTOR);
#endif
    prepare_platform();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(assets);
    prepare_resources();
    const int result = RUN_ALL_TESTS();
    QFile::remove(screens);
    return result;
}
