#include "windows/about_screen.h"

#include <QShowEvent>

#include "windows/artwork_window.h"
#include "windows/window_support.h"

TForm3::TForm3() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle("Form3");
    const ArtworkControls controls = build_artwork_window(*this, 336, 317, 273);
    Image321 = controls.picture;
    Label1 = controls.version;
    Image321->OnClick = [this] { Image321Click(); };
}

void TForm3::Image321Click()
{
    setVisible(false);
}

void TForm3::showEvent(QShowEvent* event)
{
    // Centred the first time only; later showings keep the place.
    if (!centred_ && !event->spontaneous()) {
        centre_on_screen(*this);
        centred_ = true;
    }
    QWidget::showEvent(event);
}
