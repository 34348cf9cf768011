#pragma once

#include <array>
#include <string>
#include <string_view>

// The texts of the open and save dialogs and of the messages around them, shown
// exactly as written here: the dialog front end and its tests take them from this
// header.

/// One entry of a file dialog's type list: the text shown and its ";"-separated name patterns.
struct FileFilter {
    std::string_view shown;
    std::string_view patterns;
};

/// The open dialog's entries; the first is selected when the dialog opens.
inline constexpr std::array<FileFilter, 5> kOpenPictureFilters{{
    {"All (*.jpg;*.jpeg;*.heic;*.heif;*.hif;*.avif)", "*.jpg;*.jpeg;*.heic;*.heif;*.hif;*.avif"},
    {"JPEG Image File (*.jpg)", "*.jpg"},
    {"JPEG Image File (*.jpeg)", "*.jpeg"},
    {"HEIF Image File (*.heic;*.heif;*.hif)", "*.heic;*.heif;*.hif"},
    {"AVIF Image File (*.avif)", "*.avif"},
}};

/// The save dialog's entries; the first is selected when the dialog opens.
inline constexpr std::array<FileFilter, 2> kSavePictureFilters{{
    {"All (*.jpg)", "*.jpg"},
    {"JPEG Image File (*.jpg)", "*.jpg"},
}};

/// Load failure: an error dialog with the buttons OK and Cancel, both of which only close it.
inline constexpr std::string_view kLoadFailureTitle = "Error";
inline constexpr std::string_view kLoadFailureText =
    "Could not complete your reques because the file may be truncated or incomplete";

/// Overwrite prompt: a warning dialog with the buttons Yes, No and Cancel.
inline constexpr std::string_view kOverwriteTitle = "Warning";
inline constexpr std::string_view kOverwriteTextAfterPath = " exits. Do you want replace it?";

/// The overwrite prompt's text for the chosen file: its full path, then the fixed words.
inline std::string overwrite_prompt_text(const std::string& path)
{
    return path + std::string(kOverwriteTextAfterPath);
}

/// Start of the error text when a save cannot create its file; the path follows.
inline constexpr std::string_view kCannotCreateFile = "Cannot create file ";
