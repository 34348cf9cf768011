#include "windows/splashscreen.h"

#include <QShowEvent>

#include "windows/artwork_window.h"
#include "windows/window_support.h"

TForm2::TForm2() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setWindowTitle("SplashScreen");
    const ArtworkControls controls = build_artwork_window(*this, 413, 387, 276);
    Image321 = controls.picture;
    Label1 = controls.version;
}

void TForm2::showEvent(QShowEvent* event)
{
    if (!centred_ && !event->spontaneous()) {
        centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
}
