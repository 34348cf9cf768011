#include "photo_files/photo_dialogs.h"

#include "photo_files/dialog_texts.h"
#include "photo_files/file_names.h"

std::optional<std::string> choose_open_path(OpenDialogs& dialogs)
{
    std::optional<std::string> chosen = dialogs.show_open_dialog(dialogs.file_name);
    if (chosen) dialogs.file_name = *chosen;
    return chosen;
}

std::optional<std::string> choose_save_path(SaveDialogs& dialogs)
{
    for (;;) {
        const std::optional<std::string> chosen = dialogs.show_save_dialog(dialogs.file_name);
        if (!chosen) return std::nullopt;
        const std::string name = with_jpg_extension(*chosen);
        // The dialog offers what it last returned, or the adjusted name when the rule changed it.
        dialogs.file_name = name;
        if (!file_exists(name)) return name;
        switch (dialogs.ask_overwrite(overwrite_prompt_text(name))) {
            case OverwriteAnswer::Yes:
                return name;
            case OverwriteAnswer::No:
                continue;
            case OverwriteAnswer::Cancel:
                return std::nullopt;
        }
        return std::nullopt;
    }
}
