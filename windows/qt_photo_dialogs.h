#pragma once

#include <QString>
#include <optional>
#include <string>

#include "photo_files/dialog_texts.h"
#include "photo_files/load_outcome.h"
#include "photo_files/photo_dialogs.h"

class QWidget;

// The file dialogs and message boxes of the photo files, shown with Qt.
//
// The file dialogs are always Qt's own widget dialogs, never the desktop's: they
// look and behave the same on every desktop (and with no desktop at all), they
// show the filter texts exactly as written while filtering by the real patterns,
// and keystrokes typed into them arrive reliably, which the end-to-end test
// relies on. Every dialog and message box carries a fixed object name and
// window title so that tests find it, in-process or through the X server.

/// Object names and window titles of the dialogs. The file dialogs' titles are
/// the words Qt itself puts there; they are set explicitly so that they stay the
/// same whatever Qt decides.
inline constexpr char kOpenDialogObjectName[] = "open_dialog";
inline constexpr char kOpenDialogTitle[] = "Open";
inline constexpr char kSaveDialogObjectName[] = "save_dialog";
inline constexpr char kSaveDialogTitle[] = "Save As";
inline constexpr char kLoadFailureObjectName[] = "load_failure_message";
inline constexpr char kOverwritePromptObjectName[] = "overwrite_prompt";
inline constexpr char kSavePromptObjectName[] = "save_prompt";

/// The question asked before closing with an unsaved correction.
inline constexpr char kSavePromptTitle[] = "Warning";
inline constexpr char kSavePromptText[] = "Do you want save the corrected photo?";

/// The Qt filter string of one dialog entry: the entry's own text followed by its
/// patterns in Qt's form. Shown with QFileDialog::HideNameFilterDetails, the
/// dialog displays exactly the entry's text and filters by the patterns.
QString qt_name_filter(const FileFilter& filter);

/// The main window's `open_dialogs`: Qt's open dialog for photos, modal over `parent`.
class QtOpenDialogs : public OpenDialogs {
public:
    explicit QtOpenDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::string> show_open_dialog(const std::string& initial_name) override;

private:
    QWidget* parent_;
};

/// The main window's `save_dialogs`: Qt's save dialog and the overwrite prompt, modal over `parent`.
class QtSaveDialogs : public SaveDialogs {
public:
    explicit QtSaveDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::string> show_save_dialog(const std::string& initial_name) override;
    OverwriteAnswer ask_overwrite(const std::string& text) override;

private:
    QWidget* parent_;
};

/// The load-failure message's words for what the load found: the fixed text with the
/// loader's reason beneath it ("Empty file"). Memory that ran out is no fault of the
/// file, so then the reason is the text, with advice beneath it.
struct LoadFailureWords {
    QString text;
    QString detail;
};
LoadFailureWords load_failure_words(const LoadOutcome& outcome);

/// Shows the load-failure message (error, "Error", OK and Cancel) in the words for
/// `outcome`; both buttons only close it.
void show_load_failure_message(QWidget* parent, const LoadOutcome& outcome = {});

/// The answer to the question asked before closing.
enum class SavePromptAnswer { Yes, No, Cancel };

/// Asks "Do you want save the corrected photo?" (warning, Yes, No and Cancel).
/// Closing the box without an answer is Cancel.
SavePromptAnswer ask_save_before_closing(QWidget* parent);
