#include "windows/qt_photo_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <string_view>

#include "windows/error_report.h"
#include "windows/window_support.h"

namespace {

QString from_utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <std::size_t N>
QStringList qt_name_filters(const std::array<FileFilter, N>& filters)
{
    QStringList result;
    for (const FileFilter& filter : filters) result << qt_name_filter(filter);
    return result;
}

// Paths travel as the file system's bytes, so a name Qt shows is the name the
// photo files open or create.
QString path_from_bytes(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The loader's reasons are phrases to follow a colon; a message box's line starts a sentence.
QString sentence_case(const std::string& phrase)
{
    QString text = QString::fromStdString(phrase);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

std::string path_to_bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::optional<std::string> run_file_dialog(QFileDialog& dialog, const QStringList& filters,
                                           const std::string& initial_name)
{
    // Options first: the filter list is shown differently depending on them.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Neither dialog insists on an existing file: a typed name goes to the loader,
    // which answers a missing file with the load-failure message.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.constFirst());
    // After the filters: choosing a save filter would rewrite the offered name's
    // extension (HOLIDAY.JPG would come back as HOLIDAY.jpg).
    if (!initial_name.empty()) dialog.selectFile(path_from_bytes(initial_name));

    settle_parent_position(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.constFirst().isEmpty()) return std::nullopt;
    return path_to_bytes(chosen.constFirst());
}

QMessageBox::StandardButton run_message_box(QMessageBox& box)
{
    // Paths may hold characters that would otherwise be read as markup.
    box.setTextFormat(Qt::PlainText);
    settle_parent_position(box);
    box.exec();
    return box.standardButton(box.clickedButton());
}

// The warning with Yes, No and Cancel that both questions are: Yes is the default
// and Escape answers Cancel.
QMessageBox::StandardButton ask_yes_no_cancel(QWidget* parent, const QString& title, const QString& text,
                                              const char* object_name)
{
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setObjectName(QString::fromLatin1(object_name));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    return run_message_box(box);
}

}  // namespace

QString qt_name_filter(const FileFilter& filter)
{
    // Qt separates patterns with spaces; the entries list them with ";".
    QString patterns = from_utf8(filter.patterns);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return from_utf8(filter.shown) + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

std::optional<std::string> QtOpenDialogs::show_open_dialog(const std::string& initial_name)
{
    QFileDialog dialog(parent_, QString::fromLatin1(kOpenDialogTitle));
    dialog.setObjectName(QString::fromLatin1(kOpenDialogObjectName));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return run_file_dialog(dialog, qt_name_filters(kOpenPictureFilters), initial_name);
}

std::optional<std::string> QtSaveDialogs::show_save_dialog(const std::string& initial_name)
{
    QFileDialog dialog(parent_, QString::fromLatin1(kSaveDialogTitle));
    dialog.setObjectName(QString::fromLatin1(kSaveDialogObjectName));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The save loop asks its own overwrite question after its extension rule.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return run_file_dialog(dialog, qt_name_filters(kSavePictureFilters), initial_name);
}

OverwriteAnswer QtSaveDialogs::ask_overwrite(const std::string& text)
{
    switch (ask_yes_no_cancel(parent_, from_utf8(kOverwriteTitle), path_from_bytes(text),
                              kOverwritePromptObjectName)) {
        case QMessageBox::Yes:
            return OverwriteAnswer::Yes;
        case QMessageBox::No:
            return OverwriteAnswer::No;
        default:
            return OverwriteAnswer::Cancel;
    }
}

LoadFailureWords load_failure_words(const LoadOutcome& outcome)
{
    const QString reason = sentence_case(load_failure_text(outcome));
    if (outcome.reason == LoadFailureReason::OutOfMemory)
        return {reason, QString::fromLatin1(kNotEnoughMemoryAdvice)};
    return {from_utf8(kLoadFailureText), reason};
}

void show_load_failure_message(QWidget* parent, const LoadOutcome& outcome)
{
    const LoadFailureWords words = load_failure_words(outcome);
    QMessageBox box(QMessageBox::Critical, from_utf8(kLoadFailureTitle), words.text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setObjectName(QString::fromLatin1(kLoadFailureObjectName));
    box.setInformativeText(words.detail);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    run_message_box(box);
}

SavePromptAnswer ask_save_before_closing(QWidget* parent)
{
    switch (ask_yes_no_cancel(parent, QString::fromLatin1(kSavePromptTitle),
                              QString::fromLatin1(kSavePromptText), kSavePromptObjectName)) {
        case QMessageBox::Yes:
            return SavePromptAnswer::Yes;
        case QMessageBox::No:
            return SavePromptAnswer::No;
        default:
            return SavePromptAnswer::Cancel;
    }
}
