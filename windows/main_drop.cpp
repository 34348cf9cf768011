// Photos dropped on the main window from a file manager.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "photo_files/file_names.h"
#include "windows/main_window.h"

namespace {

// The first local file with a photo name (JPEG or HEIF) among the dragged ones.
std::optional<std::string> dropped_photo(const QDropEvent& event)
{
    // Only a copy is taken: a file manager told "moved" would remove the photo.
    if (!(event.possibleActions() & Qt::CopyAction) || !event.mimeData()->hasUrls()) return std::nullopt;
    for (const QUrl& url : event.mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
        if (has_photo_extension(path)) return path;
    }
    return std::nullopt;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!dropped_photo(*event)) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::optional<std::string> photo = dropped_photo(*event);
    if (!photo) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Opened once the drop is over, so the file manager does not wait for the
    // load, nor for a failure message.
    QTimer::singleShot(0, this, [this, path = *photo] { open_photo_file(path); });
}
