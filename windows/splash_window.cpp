#include "windows/splash_window.h"

#include <QShowEvent>

#include "windows/artwork_window.h"
#include "windows/window_support.h"

SplashWindow::SplashWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setWindowTitle("SplashScreen");
    setAccessibleName(QString::fromLatin1(kProgramDisplayName) + " is starting");
    const ArtworkControls controls = build_artwork_window(*this, 413, 387, 276);
    picture = controls.picture;
    version_label = controls.version;
}

void SplashWindow::showEvent(QShowEvent* event)
{
    if (!centred_ && !event->spontaneous()) {
        centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
}
