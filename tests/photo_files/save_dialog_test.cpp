#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "photo_files/photo_dialogs.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

// Plays back the user's answers and records what the dialogs were shown.
class ScriptedSaveDialogs : public SaveDialogs {
public:
    std::deque<std::optional<std::string>> names;
    std::deque<OverwriteAnswer> answers;
    std::vector<std::string> offered;  // the initial name of every dialog shown
    std::vector<std::string> prompts;

    std::optional<std::string> show_save_dialog(const std::string& initial_name) override
    {
        offered.push_back(initial_name);
        if (names.empty()) throw std::logic_error("the dialog was shown more often than scripted");
        auto name = names.front();
        names.pop_front();
        return name;
    }
    OverwriteAnswer ask_overwrite(const std::string& text) override
    {
        prompts.push_back(text);
        if (answers.empty()) throw std::logic_error("the prompt was shown more often than scripted");
        const OverwriteAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class SaveDialogLoop : public testing::Test {
protected:
    TempDir dir;
    ScriptedSaveDialogs dialogs;
    void SetUp() override { write_bytes(dir.file("old.jpg"), {1}); }
};

TEST_F(SaveDialogLoop, CancellingTheDialogChoosesNothing)
{
    dialogs.names = {std::nullopt};
    EXPECT_EQ(choose_save_path(dialogs), std::nullopt);
    EXPECT_TRUE(dialogs.prompts.empty());
}

TEST_F(SaveDialogLoop, NewNameGetsJpgAndTheDialogRemembersTheAdjustedName)
{
    dialogs.names = {dir.file("holiday")};
    EXPECT_EQ(choose_save_path(dialogs), dir.file("holiday.jpg"));
    EXPECT_EQ(dialogs.file_name, dir.file("holiday.jpg"));
    EXPECT_TRUE(dialogs.prompts.empty());

    dialogs.names = {std::nullopt};
    choose_save_path(dialogs);
    EXPECT_EQ(dialogs.offered.back(), dir.file("holiday.jpg"));
}

TEST_F(SaveDialogLoop, ExistingFilePromptsWithThePathAndYesChoosesIt)
{
    dialogs.names = {dir.file("old")};  // becomes old.jpg, which exists
    dialogs.answers = {OverwriteAnswer::Yes};
    EXPECT_EQ(choose_save_path(dialogs), dir.file("old.jpg"));
    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(dialogs.prompts[0], dir.file("old.jpg") + " exits. Do you want replace it?");
}

TEST_F(SaveDialogLoop, NoReopensTheDialogWithThatNameAndANewNameNeedsNoPrompt)
{
    dialogs.file_name = "start";
    dialogs.names = {dir.file("old.jpg"), dir.file("new")};
    dialogs.answers = {OverwriteAnswer::No};
    EXPECT_EQ(choose_save_path(dialogs), dir.file("new.jpg"));
    EXPECT_EQ(dialogs.offered, (std::vector<std::string>{"start", dir.file("old.jpg")}));
    EXPECT_EQ(dialogs.prompts.size(), 1u);
}

TEST_F(SaveDialogLoop, CancelAtThePromptChoosesNothingAndLeavesTheFile)
{
    dialogs.names = {dir.file("old.JPG")};
    dialogs.answers = {OverwriteAnswer::Cancel};
    // old.JPG is a different name on this platform: no prompt unless it exists.
    write_bytes(dir.file("old.JPG"), {7});
    EXPECT_EQ(choose_save_path(dialogs), std::nullopt);
    EXPECT_EQ(read_bytes(dir.file("old.JPG")), std::vector<std::uint8_t>{7});
    EXPECT_TRUE(dialogs.names.empty());
}

TEST_F(SaveDialogLoop, AFolderOfTheChosenNameIsNotOfferedForReplacing)
{
    std::filesystem::create_directory(dir.file("album.jpg"));
    dialogs.names = {dir.file("album.jpg")};
    EXPECT_EQ(choose_save_path(dialogs), dir.file("album.jpg"));
    EXPECT_TRUE(dialogs.prompts.empty());
}

class ScriptedOpenDialogs : public OpenDialogs {
public:
    std::deque<std::optional<std::string>> paths;
    std::vector<std::string> offered;
    std::optional<std::string> show_open_dialog(const std::string& initial_name) override
    {
        offered.push_back(initial_name);
        auto path = paths.front();
        paths.pop_front();
        return path;
    }
};

TEST(OpenDialog, ReturnsTheChoiceAndOffersItNextTimeButForgetsNothingOnCancel)
{
    ScriptedOpenDialogs dialogs;
    dialogs.paths = {"/p/a.jpg", std::nullopt, "/p/b.jpeg"};
    EXPECT_EQ(choose_open_path(dialogs), "/p/a.jpg");
    EXPECT_EQ(choose_open_path(dialogs), std::nullopt);
    EXPECT_EQ(choose_open_path(dialogs), "/p/b.jpeg");
    EXPECT_EQ(dialogs.offered, (std::vector<std::string>{"", "/p/a.jpg", "/p/a.jpg"}));
}

}  // namespace
