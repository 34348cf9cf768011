// Ways of looking at the photo: the window full screen, one large corrected view, and the
// original shown in its place while a key or the middle button is held.
#include <QKeyEvent>

#include "windows/layout_growth.h"
#include "windows/main_window.h"

void MainWindow::toggle_full_screen()
{
    // Clearing the flag alone brings back a window that was maximised before as maximised.
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void MainWindow::leave_full_screen()
{
    if (isFullScreen()) toggle_full_screen();
}

void MainWindow::toggle_single_view()
{
    show_original_in_place(false);
    single_view = !single_view;
    for (QWidget* original :
         {static_cast<QWidget*>(original_view), static_cast<QWidget*>(original_view_frame),
          static_cast<QWidget*>(original_caption_frame), static_cast<QWidget*>(original_caption_bar)})
        original->setVisible(!single_view);
    lay_out_controls();
}

void MainWindow::show_original_in_place(bool shown)
{
    if (!single_view || !corrector.photo_loaded || shown == original_in_place) return;
    original_in_place = shown;
    // The caption says which photo the large view shows.
    const std::size_t title = main_layout::index_of(shown ? "original_caption" : "corrected_caption");
    corrected_caption->set_caption(QString::fromLatin1(main_layout::controls[title].text));
    if (!shown) {
        original_view->setVisible(false);
        original_view->set_scale(static_cast<float>(original_zoom->position()) / 100.0f);
        lay_out_controls();
        return;
    }
    // The original view lies over the large one at its zoom, showing the same part of the photo.
    // Shown first: a hidden view learns its new size only when it shows, and would then move.
    original_view->setVisible(true);
    original_view->raise();
    original_view->setGeometry(corrected_view->geometry());
    original_view->set_scale(corrected_view->scale());
    original_view->scroll_by(corrected_view->placement().scroll_x() - original_view->placement().scroll_x(),
                             corrected_view->placement().scroll_y() - original_view->placement().scroll_y());
}

void MainWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backslash && !event->isAutoRepeat()) {
        show_original_in_place(false);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}
