// The tools button and the timers that slide the tools panel open and closed.
#include "windows/main.h"

void TForm1::tools_buttonClick()
{
    Timer1.stop();
    Timer2.stop();
    if (!corrector.photo_loaded) return;
    if (tools_may_open) {
        Timer1.start();
        tools_button->set_bitmap(bitmaplist.Bitmaps[BitmaplistFace::ToolsSignFaded].Bitmap);
        tools_may_open = false;
        tools_open = true;
    } else {
        Timer2.start();
        tools_button->set_bitmap(bitmaplist.Bitmaps[BitmaplistFace::ToolsSign].Bitmap);
        tools_may_open = true;
        tools_open = false;
    }
    draw_layout_captions(*tools_button);
}

void TForm1::Timer1Timer()
{
    ToolsSlide slide(height(), alapalkki->y());
    show_slide_step(slide, slide.open_one_pixel());
}

void TForm1::Timer2Timer()
{
    ToolsSlide slide(height(), alapalkki->y());
    show_slide_step(slide, slide.close_one_pixel());
}

void TForm1::show_slide_step(const ToolsSlide& slide, bool moved)
{
    // At its limit a slide stops both timers, so neither direction ticks on.
    if (!moved) {
        Timer1.stop();
        Timer2.stop();
        return;
    }
    set_window_height(slide.window_height());
    alapalkki->move(alapalkki->x(), slide.bar_top());
}
