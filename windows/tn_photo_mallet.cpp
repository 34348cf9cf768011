// Tintelo photo mallet: the program's entry point.
#include <QApplication>

#include "windows/error_report.h"
#include "windows/startup.h"

int main(int argc, char** argv)
{
    prepare_platform();
    // An error that escapes every handler is still reported, and the program goes on.
    ErrorReportingApplication application(argc, argv);
    Q_INIT_RESOURCE(assets);
    prepare_resources();

    ProgramWindows windows = start_program();
    const int result = run_program(windows);
    // The windows go before the application object does.
    windows = {};
    return result;
}
