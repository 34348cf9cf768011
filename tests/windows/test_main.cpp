#include <gtest/gtest.h>

#include <QApplication>

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
    // The windows are built, painted and driven in-process without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef TINTELO_TEST_SCALE_FACTOR
    // A screen at that scale, whatever the environment says.
    qputenv("QT_SCALE_FACTOR", TINTELO_TEST_SCALE_FACTOR);
#endif
    prepare_platform();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(assets);
    prepare_resources();
    return RUN_ALL_TESTS();
}
