// The main window's handlers that run the corrector's operations.
#include "display/fit_views.h"
#include "photo_files/photo_dialogs.h"
#include "windows/about_window.h"
#include "windows/main_window.h"

void MainWindow::open_buttonClick()
{
    press_control(*open_button);
    corrector.open_photo([this] { return choose_open_path(*open_dialogs); });
    render_corrector();
}

void MainWindow::open_photo_file(const std::string& path)
{
    guarded([&] {
        corrector.open_photo([&path] { return std::optional<std::string>(path); });
        render_corrector();
    });
}

void MainWindow::photo_opened()
{
    fit_views(*original_view, *corrected_view, *original_zoom, *corrected_zoom);
    save_button->set_bitmap(button_faces.Bitmaps[ButtonFace::Red].Bitmap);
    draw_layout_captions(*save_button);
    undo_button->set_bitmap(button_faces.Bitmaps[ButtonFace::Red].Bitmap);
    draw_layout_captions(*undo_button);
    if (!tools_open) {
        tools_button->set_bitmap(icon_faces.Bitmaps[IconFace::ToolsSign].Bitmap);
        tools_may_open = true;
        tools_open = false;
    } else {
        tools_button->set_bitmap(icon_faces.Bitmaps[IconFace::ToolsSignFaded].Bitmap);
    }
    draw_layout_captions(*tools_button);
}

void MainWindow::start_state_restored()
{
    // As the window was created: grey save and undo faces, the faded tools sign, the panel shut.
    panel_open_timer.stop();
    panel_close_timer.stop();
    bottom_bar->move(bottom_bar->x(), ToolsSlide::closed_bar_top);
    set_window_height(kClosedHeight);
    for (TImage32* button : {save_button, undo_button}) {
        button->set_bitmap(button_faces.Bitmaps[ButtonFace::Grey].Bitmap);
        draw_layout_captions(*button);
    }
    tools_button->set_bitmap(icon_faces.Bitmaps[IconFace::ToolsSignFaded].Bitmap);
    draw_layout_captions(*tools_button);
    tools_may_open = false;
    tools_open = false;
}

void MainWindow::correction_buttonClick()
{
    if (corrector.photo_loaded) {
        corrector.toggle_correction();
        render_corrector();
        return;
    }
    // With no photo the button opens one, its face flipping around the open.
    corrector.begin_open_from_correction_button();
    render_corrector();
    open_buttonClick();
    corrector.end_open_from_correction_button();
    render_corrector();
}

void MainWindow::save_buttonClick()
{
    if (!corrector.photo_loaded) return;
    press_control(*save_button);
    // A write that fails leaves here with its error, for the general error report.
    corrector.save_photo(choose_save_path(*save_dialogs));
    render_corrector();
}

void MainWindow::undo_buttonClick()
{
    if (!corrector.photo_loaded) return;
    press_control(*undo_button);
    corrector.undo();
    render_corrector();
}

void MainWindow::camera_iconClick()
{
    corrector.set_camera_type(CameraType::DigitalCamera);
    render_corrector();
}

void MainWindow::phone_iconClick()
{
    corrector.set_camera_type(CameraType::MobilePhone);
    render_corrector();
}

void MainWindow::preset_buttonClick(ScenePreset preset)
{
    press_control(*preset_button(preset));
    corrector.apply_preset(preset);
    render_corrector();
}

void MainWindow::light_buttonClick()
{
    // At the limit the key does not even move.
    if (corrector.light_level >= PhotoCorrector::max_light_level) return;
    press_control(*light_button, [this] { corrector.lighten(); });
    render_corrector();
}

void MainWindow::dark_buttonClick()
{
    if (corrector.light_level <= -PhotoCorrector::max_light_level) return;
    press_control(*dark_button, [this] { corrector.darken(); });
    render_corrector();
}

void MainWindow::fit_both_views()
{
    fit_views(*original_view, *corrected_view, *original_zoom, *corrected_zoom);
}

void MainWindow::original_zoomChange()
{
    original_view->set_scale(static_cast<float>(original_zoom->position()) / 100.0f);
    original_zoom_label->set_caption(QString::number(original_zoom->position()) + "%");
}

void MainWindow::corrected_zoomChange()
{
    corrected_view->set_scale(static_cast<float>(corrected_zoom->position()) / 100.0f);
    corrected_zoom_label->set_caption(QString::number(corrected_zoom->position()) + "%");
}

void MainWindow::about_buttonClick()
{
    press_control(*about_button);
    // Showing an already visible window must not raise it.
    if (about_window != nullptr && !about_window->isVisible()) about_window->show();
}
