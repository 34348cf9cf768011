#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    // Widgets are created and painted in-process without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
