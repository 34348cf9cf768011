#include "windows/about_window.h"

#include <QShowEvent>

#include "windows/artwork_window.h"
#include "windows/window_support.h"

AboutWindow::AboutWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle("Form3");
    const ArtworkControls controls = build_artwork_window(*this, 336, 317, 273);
    picture = controls.picture;
    version_label = controls.version;
    picture->OnClick = [this] { pictureClick(); };
}

void AboutWindow::pictureClick()
{
    setVisible(false);
}

void AboutWindow::showEvent(QShowEvent* event)
{
    // Centred the first time only; later showings keep the place.
    if (!centred_ && !event->spontaneous()) {
        centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
}
