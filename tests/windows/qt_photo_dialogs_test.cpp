#include "windows/qt_photo_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <set>
#include <string>
#include <vector>

#include "tests/windows/modal_answers.h"
#include "windows/main_window_messages.h"

namespace {

// What a file dialog showed when it opened.
// Texts are kept as std::string so that failures print readably.
struct FileDialogSeen {
    std::string object_name;
    std::string title;
    bool native = true;
    bool confirms_overwrite = true;
    QFileDialog::FileMode file_mode = QFileDialog::ExistingFiles;
    QFileDialog::AcceptMode accept_mode = QFileDialog::AcceptOpen;
    std::string default_suffix;
    std::vector<std::string> entries;
    int selected_entry = -1;
    std::string offered_name;
    std::string folder;
    std::set<std::string> listed;
};

QFileDialog* file_dialog(QWidget* modal)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    EXPECT_NE(dialog, nullptr) << "expected a file dialog, got " << modal->metaObject()->className();
    return dialog;
}

QLineEdit* name_field(QFileDialog* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

FileDialogSeen look_at(QFileDialog* dialog)
{
    FileDialogSeen seen;
    seen.object_name = dialog->objectName().toStdString();
    seen.title = dialog->windowTitle().toStdString();
    seen.native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
    seen.confirms_overwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    seen.file_mode = dialog->fileMode();
    seen.accept_mode = dialog->acceptMode();
    seen.default_suffix = dialog->defaultSuffix().toStdString();
    if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < combo->count(); ++i) seen.entries.push_back(combo->itemText(i).toStdString());
        seen.selected_entry = combo->currentIndex();
    }
    if (QLineEdit* field = name_field(dialog)) seen.offered_name = field->text().toStdString();
    seen.folder = dialog->directory().absolutePath().toStdString();
    return seen;
}

// The files the dialog lists in `folder` once its file system model has read it.
std::set<std::string> listed_files(QFileDialog* dialog, const QString& folder, int at_least)
{
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (!model) return {};
    const QModelIndex root = model->index(folder);
    wait_until([&] { return model->rowCount(root) >= at_least; });
    std::set<std::string> names;
    for (int row = 0; row < model->rowCount(root); ++row)
        names.insert(model->fileName(model->index(row, 0, root)).toStdString());
    return names;
}

void type_and_accept(QWidget* modal, const QString& name)
{
    QFileDialog* dialog = file_dialog(modal);
    if (!dialog) return;
    QLineEdit* field = name_field(dialog);
    // The dialog gives up the offered name's selection only for text typed with
    // the focus in the name field.
    dialog->activateWindow();
    field->setFocus();
    if (!wait_until([&] { return field->hasFocus(); })) ADD_FAILURE() << "the name field never got the focus";
    field->setText(name);
    // Return in the name field presses the dialog's default button, as a user's does.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
}

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

std::string bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

class QtFileDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"a.jpg", "b.jpeg", "C.JPG", "d.png", "e.txt", "f.HEIC", "g.avif", "h.hif"})
            touch(folder.filePath(name));
    }

    QTemporaryDir folder;
    ModalAnswers answers;
};

TEST_F(QtFileDialogs, OpenDialogShowsItsEntriesWithTheFirstSelectedAndListsOnlyPhotoNames)
{
    QtOpenDialogs dialogs;
    FileDialogSeen seen;
    answers.then([&](QWidget* modal) {
        QFileDialog* dialog = file_dialog(modal);
        if (!dialog) return;
        seen = look_at(dialog);
        seen.listed = listed_files(dialog, folder.path(), 6);
        dialog->reject();
    });

    EXPECT_EQ(dialogs.show_open_dialog(bytes(folder.filePath("x.jpg"))), std::nullopt);

    EXPECT_EQ(seen.object_name, "open_dialog");
    EXPECT_EQ(seen.title, "Open");
    EXPECT_FALSE(seen.native);
    EXPECT_EQ(seen.accept_mode, QFileDialog::AcceptOpen);
    // A typed name that does not exist goes to the loader, which reports it.
    EXPECT_EQ(seen.file_mode, QFileDialog::AnyFile);
    EXPECT_EQ(seen.entries, std::vector<std::string>({"All (*.jpg;*.jpeg;*.heic;*.heif;*.hif;*.avif)",
                                                      "JPEG Image File (*.jpg)", "JPEG Image File (*.jpeg)",
                                                      "HEIF Image File (*.heic;*.heif;*.hif)",
                                                      "AVIF Image File (*.avif)"}));
    EXPECT_EQ(seen.selected_entry, 0);
    EXPECT_EQ(seen.listed, std::set<std::string>({"a.jpg", "b.jpeg", "C.JPG", "f.HEIC", "g.avif", "h.hif"}));
    EXPECT_TRUE(answers.unexpected().empty());
}

TEST_F(QtFileDialogs, SaveDialogShowsTheTwoEntriesAndLeavesExtensionAndOverwriteToTheSaveLoop)
{
    QtSaveDialogs dialogs;
    FileDialogSeen seen;
    answers.then([&](QWidget* modal) {
        QFileDialog* dialog = file_dialog(modal);
        if (!dialog) return;
        seen = look_at(dialog);
        seen.listed = listed_files(dialog, folder.path(), 2);
        dialog->reject();
    });

    EXPECT_EQ(dialogs.show_save_dialog(bytes(folder.filePath("x.jpg"))), std::nullopt);

    EXPECT_EQ(seen.object_name, "save_dialog");
    EXPECT_EQ(seen.title, "Save As");
    EXPECT_FALSE(seen.native);
    EXPECT_EQ(seen.accept_mode, QFileDialog::AcceptSave);
    EXPECT_FALSE(seen.confirms_overwrite);
    EXPECT_EQ(seen.default_suffix, "");
    EXPECT_EQ(seen.entries, std::vector<std::string>({"All (*.jpg)", "JPEG Image File (*.jpg)"}));
    EXPECT_EQ(seen.selected_entry, 0);
    EXPECT_EQ(seen.listed, std::set<std::string>({"a.jpg", "C.JPG"}));
}

TEST_F(QtFileDialogs, OfferTheInitialNameInItsFolderAndReturnTheFullPathOfWhatIsTyped)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
    const QString sub = folder.filePath("sub");
    QtOpenDialogs open_dialogs;
    QtSaveDialogs save_dialogs;
    FileDialogSeen open_seen;
    FileDialogSeen save_seen;
    answers.then([&](QWidget* modal) {
        if (QFileDialog* dialog = file_dialog(modal)) open_seen = look_at(dialog);
        type_and_accept(modal, "missing.jpeg");
    });
    answers.then([&](QWidget* modal) {
        if (QFileDialog* dialog = file_dialog(modal)) save_seen = look_at(dialog);
        type_and_accept(modal, QString::fromUtf8("kes\u00e4 \u00e9t\u00e9.jpg"));
    });

    EXPECT_EQ(open_dialogs.show_open_dialog(bytes(sub + "/last.jpg")), bytes(sub + "/missing.jpeg"));
    EXPECT_EQ(save_dialogs.show_save_dialog(bytes(folder.filePath("HOLIDAY.JPG"))),
              bytes(folder.filePath(QString::fromUtf8("kes\u00e4 \u00e9t\u00e9.jpg"))));

    EXPECT_EQ(open_seen.offered_name, "last.jpg");
    EXPECT_EQ(open_seen.folder, bytes(QDir(sub).absolutePath()));
    // Choosing the save filter must not have rewritten the offered extension.
    EXPECT_EQ(save_seen.offered_name, "HOLIDAY.JPG");
    EXPECT_EQ(save_seen.folder, bytes(QDir(folder.path()).absolutePath()));
    EXPECT_EQ(answers.unused(), 0u);
}

TEST_F(QtFileDialogs, ChooseOpenPathOffersTheLastChosenNameAndACancelKeepsIt)
{
    QtOpenDialogs dialogs;
    // Where Qt opens a dialog that offers no name is its own business; start in the folder.
    dialogs.file_name = bytes(folder.filePath("a.jpg"));
    FileDialogSeen second;
    answers.then([&](QWidget* modal) { type_and_accept(modal, "b.jpeg"); });
    answers.then([&](QWidget* modal) {
        QFileDialog* dialog = file_dialog(modal);
        if (!dialog) return;
        second = look_at(dialog);
        dialog->reject();
    });

    const std::string chosen = bytes(folder.filePath("b.jpeg"));
    EXPECT_EQ(choose_open_path(dialogs), chosen);
    EXPECT_EQ(choose_open_path(dialogs), std::nullopt);

    EXPECT_EQ(second.offered_name, "b.jpeg");
    EXPECT_EQ(second.folder, bytes(QDir(folder.path()).absolutePath()));
    EXPECT_EQ(dialogs.file_name, chosen);
}

QMessageBox* message_box(QWidget* modal)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    EXPECT_NE(box, nullptr) << "expected a message box, got " << modal->metaObject()->className();
    return box;
}

void click(QWidget* modal, QMessageBox::StandardButton button)
{
    if (QMessageBox* box = message_box(modal)) box->button(button)->click();
}

// What a message box showed.
struct MessageBoxSeen {
    std::string object_name;
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::AutoText;
    std::string detail;
};

// Queues an answer that reads the next message box into `seen` and leaves it with `button`.
void read_box_then_click(ModalAnswers& answers, MessageBoxSeen& seen, QMessageBox::StandardButton button)
{
    answers.then([&seen, button](QWidget* modal) {
        QMessageBox* box = message_box(modal);
        if (!box) return;
        seen = {box->objectName().toStdString(),
                box->windowTitle().toStdString(),
                box->text().toStdString(),
                box->icon(),
                box->standardButtons(),
                box->textFormat(),
                box->informativeText().toStdString()};
        box->button(button)->click();
    });
}

TEST_F(QtFileDialogs, SaveLoopAsksItsOwnOverwriteQuestionOnceTheExtensionIsAdded)
{
    touch(folder.filePath("holiday.jpg"));
    QtSaveDialogs dialogs;
    dialogs.file_name = bytes(folder.filePath("a.jpg"));
    MessageBoxSeen question;
    MessageBoxSeen second_question;
    FileDialogSeen again;

    answers.then([&](QWidget* modal) { type_and_accept(modal, "holiday"); });
    read_box_then_click(answers, question, QMessageBox::No);
    answers.then([&](QWidget* modal) {
        if (QFileDialog* dialog = file_dialog(modal)) again = look_at(dialog);
        // The name of an existing file: Qt's own overwrite question would come first here.
        type_and_accept(modal, "holiday.jpg");
    });
    read_box_then_click(answers, second_question, QMessageBox::Yes);

    EXPECT_EQ(choose_save_path(dialogs), bytes(folder.filePath("holiday.jpg")));

    EXPECT_EQ(question.object_name, "overwrite_prompt");
    EXPECT_EQ(question.title, "Warning");
    EXPECT_EQ(question.icon, QMessageBox::Warning);
    EXPECT_EQ(question.text, bytes(folder.filePath("holiday.jpg")) + " exits. Do you want replace it?");
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(again.offered_name, "holiday.jpg");
    EXPECT_EQ(second_question.object_name, "overwrite_prompt");
    EXPECT_EQ(answers.unused(), 0u);
    EXPECT_TRUE(answers.unexpected().empty());
}

// How the user leaves a Yes / No / Cancel box, and what the program must hear.
struct BoxAnswerCase {
    const char* description;
    std::function<void(QWidget*)> leave;
    OverwriteAnswer expected;
};

void press_escape(QWidget* modal)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(modal, &escape);
}

std::vector<BoxAnswerCase> box_answer_cases()
{
    return {
        {"Yes", [](QWidget* m) { click(m, QMessageBox::Yes); }, OverwriteAnswer::Yes},
        {"No", [](QWidget* m) { click(m, QMessageBox::No); }, OverwriteAnswer::No},
        {"Cancel", [](QWidget* m) { click(m, QMessageBox::Cancel); }, OverwriteAnswer::Cancel},
        {"window closed", [](QWidget* m) { m->close(); }, OverwriteAnswer::Cancel},
        {"Escape", press_escape, OverwriteAnswer::Cancel},
        {"Return on the default button",
         [](QWidget* m) {
             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(m, &enter);
         },
         OverwriteAnswer::Yes},
    };
}

SavePromptAnswer as_save_prompt_answer(OverwriteAnswer answer)
{
    switch (answer) {
        case OverwriteAnswer::Yes:
            return SavePromptAnswer::Yes;
        case OverwriteAnswer::No:
            return SavePromptAnswer::No;
        case OverwriteAnswer::Cancel:
            break;
    }
    return SavePromptAnswer::Cancel;
}

TEST(QtMessageBoxes, OverwritePromptAndSavePromptHearYesNoOrCancelHoweverTheBoxIsLeft)
{
    QtSaveDialogs dialogs;
    for (const BoxAnswerCase& c : box_answer_cases()) {
        SCOPED_TRACE(c.description);
        ModalAnswers answers;
        answers.then(c.leave);
        answers.then(c.leave);
        EXPECT_EQ(dialogs.ask_overwrite("/photos/x.jpg exits. Do you want replace it?"), c.expected);
        EXPECT_EQ(ask_save_before_closing(nullptr), as_save_prompt_answer(c.expected));
        EXPECT_EQ(answers.unused(), 0u);
    }
}

TEST(QtMessageBoxes, SavePromptIsAWarningWithItsQuestion)
{
    ModalAnswers answers;
    MessageBoxSeen seen;
    read_box_then_click(answers, seen, QMessageBox::Cancel);

    EXPECT_EQ(ask_save_before_closing(nullptr), SavePromptAnswer::Cancel);

    EXPECT_EQ(seen.text, "Do you want save the corrected photo?");
    EXPECT_EQ(seen.title, "Warning");
    EXPECT_EQ(seen.object_name, "save_prompt");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

// The message says why beneath its fixed text; memory that ran out is no fault of the
// file, so then it says that instead, with what the user can do.
TEST(QtMessageBoxes, LoadFailureIsAnErrorWithOkAndCancelThatBothOnlyCloseAndSaysWhy)
{
    LoadOutcome empty;
    empty.reason = LoadFailureReason::EmptyFile;
    LoadOutcome no_memory;
    no_memory.reason = LoadFailureReason::OutOfMemory;
    no_memory.width = 16000;
    no_memory.height = 12000;
    const std::string file_fault =
        "Could not complete your reques because the file may be truncated or incomplete";
    const struct {
        LoadOutcome outcome;
        QMessageBox::StandardButton leave;
        std::string text;
        std::string detail;
    } cases[] = {
        {empty, QMessageBox::Ok, file_fault, "Empty file"},
        {empty, QMessageBox::Cancel, file_fault, "Empty file"},
        {no_memory, QMessageBox::Ok, "Not enough memory for a photo of 16000 x 12000",
         "Closing other programs may free enough memory."},
    };
    for (const auto& c : cases)
        for (const bool from_main_window : {false, true}) {
            SCOPED_TRACE(c.detail + (from_main_window ? ", from the main window" : ""));
            ModalAnswers answers;
            MessageBoxSeen seen;
            read_box_then_click(answers, seen, c.leave);

            if (from_main_window)
                QtMainWindowMessages(nullptr).show_load_failure(c.outcome);
            else
                show_load_failure_message(nullptr, c.outcome);

            EXPECT_EQ(seen.text, c.text);
            EXPECT_EQ(seen.detail, c.detail);
            EXPECT_EQ(seen.title, "Error");
            EXPECT_EQ(seen.object_name, "load_failure_message");
            EXPECT_EQ(seen.icon, QMessageBox::Critical);
            EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
            EXPECT_EQ(answers.unused(), 0u);
        }
}

TEST(QtMessageBoxes, OverwritePromptShowsAPathThatLooksLikeMarkupAsItIs)
{
    QtSaveDialogs dialogs;
    ModalAnswers answers;
    MessageBoxSeen seen;
    read_box_then_click(answers, seen, QMessageBox::Cancel);

    const std::string text = "/photos/<b>bold</b> & kes\u00e4.jpg exits. Do you want replace it?";
    EXPECT_EQ(dialogs.ask_overwrite(text), OverwriteAnswer::Cancel);

    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.format, Qt::PlainText);
}

}  // namespace
