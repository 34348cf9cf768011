#include "windows/about_window.h"

#include <QKeyEvent>
#include <QShowEvent>

#include "windows/artwork_window.h"
#include "windows/window_support.h"

AboutWindow::AboutWindow(QWidget* main_window) : QWidget(main_window, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QString::fromLatin1(kAboutWindowTitle));
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
        if (parentWidget() != nullptr)
            centre_on_window(*this, *parentWidget()->window());
        else
            centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            pictureClick();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
