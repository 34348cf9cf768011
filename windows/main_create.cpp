// The main window's creation steps, run once its controls are built and wired.
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "display/bitmap_qt.h"
#include "engine/database.h"
#include "windows/main_layout.h"
#include "windows/main_window.h"

namespace {

// Above 96 pixels per inch the caption fonts are marked as fonts of this resolution.
constexpr int kMarkedPixelsPerInch = 150;

// The controls that carry drawn captions, each once, in the order of the captions.
std::vector<TImage32*> captioned_controls(const QWidget& window)
{
    std::vector<TImage32*> controls;
    for (const main_layout::DrawnCaption& caption : main_layout::drawn_captions) {
        auto* control = window.findChild<TImage32*>(caption.control);
        if (std::find(controls.begin(), controls.end(), control) == controls.end())
            controls.push_back(control);
    }
    return controls;
}

}  // namespace

void MainWindow::WindowCreate()
{
    // Caption fonts on fine screens: marked as 150-pixel-per-inch fonts of the
    // same pixel height, they read as fewer points and the captions come out
    // near their 96-pixel-per-inch size.
    if (pixels_per_inch_ > 96) mark_caption_fonts();

    // Sizes that follow the pictures: the LCD, and the push buttons the open button's face.
    lcd_panel->size_to_bitmap();
    open_button->size_to_bitmap();
    for (TImage32* button : {save_button, close_button, undo_button, about_button})
        button->resize(logical_size(open_button->bitmap()));

    // The corrector's start values: no profile chosen, nothing loaded or saved.
    corrector.set_start_values();

    // Grey tooltips.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor::fromRgb(main_layout::tool_tip_grey));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    // The tools panel closed: the window at its closed height, the bottom bar over the panel.
    bottom_bar->move(bottom_bar->x(), ToolsSlide::closed_bar_top);
    set_window_height(kClosedHeight);

    // The tone curves, filled once for the program's life.
    fill_curve_database();

    // Captions drawn onto the push buttons, the info box and the tools sign.
    for (TImage32* control : captioned_controls(*this)) draw_layout_captions(*control);
}

void MainWindow::mark_caption_fonts()
{
    for (TImage32* control : captioned_controls(*this))
        control->bitmap().attributes.font.pixels_per_inch = kMarkedPixelsPerInch;
    // The faces those controls are given later bring their fonts along.
    for (Bitmap32* item :
         {&button_faces.Bitmaps[ButtonFace::Grey].Bitmap, &button_faces.Bitmaps[ButtonFace::Red].Bitmap,
          &icon_faces.Bitmaps[IconFace::ToolsSign].Bitmap,
          &icon_faces.Bitmaps[IconFace::ToolsSignFaded].Bitmap})
        item->attributes.font.pixels_per_inch = kMarkedPixelsPerInch;
}
