#pragma once

#include <optional>
#include <string>

/// Answers to the overwrite prompt. Closing the prompt without an answer counts as Cancel.
enum class OverwriteAnswer { Yes, No, Cancel };

/// The save dialog and the overwrite prompt as the save loop needs them. The Qt
/// front end implements this with real dialogs; tests script the answers.
class SaveDialogs {
public:
    virtual ~SaveDialogs() = default;

    /// Shows the save dialog (filters kSavePictureFilters, first selected, no default
    /// extension, no overwrite check of its own) offering `initial_name`. Returns the
    /// chosen name, or nothing when the user cancels.
    virtual std::optional<std::string> show_save_dialog(const std::string& initial_name) = 0;

    /// Shows the overwrite prompt (kOverwriteTitle, Yes/No/Cancel) with `text`.
    virtual OverwriteAnswer ask_overwrite(const std::string& text) = 0;

    /// The name the dialog offers when it next opens: the last name it returned, or
    /// the name the save loop adjusted it to. Lives as long as the dialog does.
    std::string file_name;
};

/// The open dialog as choose_open_path needs it.
class OpenDialogs {
public:
    virtual ~OpenDialogs() = default;

    /// Shows the open dialog (filters kOpenPictureFilters, first selected) offering
    /// `initial_name`. Returns the chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> show_open_dialog(const std::string& initial_name) = 0;

    /// The last name the dialog returned, offered when it next opens.
    std::string file_name;
};

/// Runs the open dialog once. The chosen path, or nothing when the user cancels.
std::optional<std::string> choose_open_path(OpenDialogs& dialogs);

/// The save dialog loop: shows the dialog, applies the extension rule
/// (with_jpg_extension) and writes an adjusted name back into the dialog, and asks
/// the overwrite prompt when a file of that name exists (file_exists). Yes returns
/// the name, No shows the dialog again offering it, Cancel returns nothing. A name
/// that does not exist is returned without a prompt.
std::optional<std::string> choose_save_path(SaveDialogs& dialogs);
