#pragma once

#include <QString>

#include "windows/qt_photo_dialogs.h"

class QWidget;

/// The message boxes the main window shows around its operations, apart from
/// the file dialogs. The window owns one; tests put a double in its place that
/// records each box and answers it.
class MainWindowMessages {
public:
    virtual ~MainWindowMessages() = default;

    /// The chosen photo could not be decoded (error, "Error", OK and Cancel), in the
    /// words for what its load found.
    virtual void show_load_failure(const LoadOutcome& outcome) = 0;
    /// "Do you want save the corrected photo?" before closing with an unsaved correction.
    virtual SavePromptAnswer ask_save_before_closing() = 0;
    /// The general error report: an error no handler dealt with, with an OK button.
    virtual void report_error(const QString& text) = 0;
};

/// The real boxes, modal over the main window.
class QtMainWindowMessages : public MainWindowMessages {
public:
    explicit QtMainWindowMessages(QWidget* parent) : parent_(parent) {}
    void show_load_failure(const LoadOutcome& outcome) override;
    SavePromptAnswer ask_save_before_closing() override;
    void report_error(const QString& text) override;

private:
    QWidget* parent_;
};
