// The main window's creation steps, run once its controls are built and wired.
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "engine/database.h"
#include "windows/main.h"
#include "windows/main_layout.h"

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

void TForm1::FormCreate()
{
    // Fixed pixels: the window declares 96 pixels per inch, so every size of
    // the layout is final whatever the screen's resolution.

    // Caption fonts on fine screens: marked as 150-pixel-per-inch fonts of the
    // same pixel height, they read as fewer points and the captions come out
    // near their 96-pixel-per-inch size.
    if (pixels_per_inch_ > 96) mark_caption_fonts();

    // Double buffering: Qt paints every widget through its window's back buffer already.

    // Sizes that follow the pictures: the LCD, and the push buttons the open button's face.
    lcd->size_to_bitmap();
    open_button->size_to_bitmap();
    for (TImage32* button : {save_button, close_button, undo_button, about_button})
        button->resize(open_button->bitmap().width(), open_button->bitmap().height());

    // The corrector's start values: no profile chosen, nothing loaded or saved.
    corrector.set_start_values();

    // Grey tooltips.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor::fromRgb(main_layout::tool_tip_grey));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    // The tools panel closed: the window at its closed height, the bottom bar over the panel.
    alapalkki->move(alapalkki->x(), ToolsSlide::closed_bar_top);
    set_window_height(kClosedHeight);

    // The tone curves, filled once for the program's life.
    fill_curve_database();

    // Captions drawn onto the push buttons, the info box and the tools sign.
    for (TImage32* control : captioned_controls(*this)) draw_layout_captions(*control);
}

void TForm1::mark_caption_fonts()
{
    for (TImage32* control : captioned_controls(*this))
        control->bitmap().attributes.font.pixels_per_inch = kMarkedPixelsPerInch;
    // The faces those controls are given later bring their fonts along.
    for (Bitmap32* item :
         {&nappula.Bitmaps[NappulaFace::Grey].Bitmap, &nappula.Bitmaps[NappulaFace::Red].Bitmap,
          &bitmaplist.Bitmaps[BitmaplistFace::ToolsSign].Bitmap,
          &bitmaplist.Bitmaps[BitmaplistFace::ToolsSignFaded].Bitmap})
        item->attributes.font.pixels_per_inch = kMarkedPixelsPerInch;
}
