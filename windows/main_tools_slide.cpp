// The tools button and the timers that slide the tools panel open and closed.
#include "windows/main_window.h"

void MainWindow::tools_buttonClick()
{
    panel_open_timer.stop();
    panel_close_timer.stop();
    if (!corrector.photo_loaded) return;
    if (tools_may_open) {
        panel_open_timer.start();
        tools_button->set_bitmap(icon_faces.Bitmaps[IconFace::ToolsSignFaded].Bitmap);
        tools_may_open = false;
        tools_open = true;
    } else {
        panel_close_timer.start();
        tools_button->set_bitmap(icon_faces.Bitmaps[IconFace::ToolsSign].Bitmap);
        tools_may_open = true;
        tools_open = false;
    }
    draw_layout_captions(*tools_button);
    controls_changed();
}

// The slide runs on the designed sizes; what the window grew beyond them stays as it is.
void MainWindow::panel_open_timerTick()
{
    ToolsSlide slide(kClosedHeight + slide_offset_, ToolsSlide::closed_bar_top + slide_offset_);
    show_slide_step(slide, slide.open_one_pixel());
}

void MainWindow::panel_close_timerTick()
{
    ToolsSlide slide(kClosedHeight + slide_offset_, ToolsSlide::closed_bar_top + slide_offset_);
    show_slide_step(slide, slide.close_one_pixel());
}

void MainWindow::show_slide_step(const ToolsSlide& slide, bool moved)
{
    // At its limit a slide stops both timers, so neither direction ticks on.
    if (!moved) {
        panel_open_timer.stop();
        panel_close_timer.stop();
        return;
    }
    // The bottom bar follows the slide as the window lays its controls out.
    set_window_height(slide.window_height());
}
