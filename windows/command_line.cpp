#include "windows/command_line.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

constexpr int kUsageError = 2;

// Written out rather than left to the parser, which names the program only once an
// application object exists, and the command line is read before there is one.
QString usage(const QString& program)
{
    return "Usage: " + program +
           " [options] [PHOTO]\n"
           "Corrects the colours of JPEG photos, one photo at a time.\n"
           "\n"
           "Options:\n"
           "  -h, --help     Shows this help and exits.\n"
           "  -v, --version  Shows the program's version and exits.\n"
           "\n"
           "Arguments:\n"
           "  PHOTO          A JPEG photo to open right after start-up.\n";
}

}  // namespace

CommandLine read_command_line(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    parser.addOption(help);
    parser.addOption(version);

    CommandLine result;
    const QString program = QStringLiteral(TINTELO_PROGRAM_NAME);
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        result.exit_code = 0;
        result.output = usage(program).toStdString();
    } else if (parsed && parser.isSet(version)) {
        result.exit_code = 0;
        result.output = (program + " " + TINTELO_VERSION + "\n").toStdString();
    } else if (!parsed || parser.positionalArguments().size() > 1) {
        const QString why = parsed ? QStringLiteral("Only one photo can be opened.") : parser.errorText();
        result.exit_code = kUsageError;
        result.output_is_error = true;
        result.output = (program + ": " + why + "\n\n" + usage(program)).toStdString();
    } else if (!parser.positionalArguments().isEmpty()) {
        result.photo = QFile::encodeName(parser.positionalArguments().front()).toStdString();
    }
    return result;
}

QStringList command_line_arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QFile::decodeName(argv[i]);
    return arguments;
}
