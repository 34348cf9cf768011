#include "windows/main_window_messages.h"

#include "windows/error_report.h"

void QtMainWindowMessages::show_load_failure(const LoadOutcome& outcome)
{
    show_load_failure_message(parent_, outcome);
}

SavePromptAnswer QtMainWindowMessages::ask_save_before_closing()
{
    return ::ask_save_before_closing(parent_);
}

void QtMainWindowMessages::report_error(const QString& text)
{
    show_error_report(text, parent_);
}
