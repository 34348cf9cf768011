#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

class QWidget;

// The general error report: an error that no handler deals with (a save that
// cannot create its file, an engine precondition) is shown to the user in one
// message box with its text and an OK button, and the program goes on running.

inline constexpr char kErrorReportObjectName[] = "error_report";
inline constexpr char kErrorReportTitle[] = "Error";

/// What to try when memory ran out, shown beneath the words that say so.
inline constexpr char kNotEnoughMemoryAdvice[] = "Closing other programs may free enough memory.";

/// The text shown for an exception: what() of a std::exception; for memory that ran
/// out (which the library words as "std::bad_alloc"), that in plain words; a fixed
/// text otherwise.
QString error_report_text(const std::exception_ptr& error);

/// Shows the general error report for `text`, modal over `parent`.
void show_error_report(const QString& text, QWidget* parent = nullptr);

/// Runs one event handler. An exception escaping it is shown in the general
/// error report. Returns false when that happened.
///
/// Every handler of the windows runs through this, so that an error is caught in
/// our own code: Qt's widget library is built without exception support, and an
/// exception unwinding through its frames skips their clean-up.
bool report_errors(const std::function<void()>& handler, QWidget* parent = nullptr);

/// The program's application object. Its event dispatch is the last line of
/// defence: an exception that still reaches it is reported the same way instead
/// of ending the program.
class ErrorReportingApplication : public QApplication {
public:
    ErrorReportingApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
