// Tintelo photo mallet: the program's entry point.
#include <QApplication>
#include <cstdio>

#include "windows/command_line.h"
#include "windows/error_report.h"
#include "windows/startup.h"

int main(int argc, char** argv)
{
    // --help, --version and usage errors are answered without a display or a window.
    const CommandLine command_line = read_command_line(command_line_arguments(argc, argv));
    if (command_line.exit_code) {
        std::fputs(command_line.output.c_str(), command_line.output_is_error ? stderr : stdout);
        return *command_line.exit_code;
    }

    prepare_platform();
    // An error that escapes every handler is still reported, and the program goes on.
    ErrorReportingApplication application(argc, argv);
    Q_INIT_RESOURCE(assets);
    prepare_resources();

    StartupOptions options;
    options.photo = command_line.photo;
    ProgramWindows windows = start_program(options);
    const int result = run_program(windows);
    // The windows go before the application object does.
    windows.release();
    return result;
}
