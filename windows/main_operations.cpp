// The main window's handlers that run the corrector's operations.
#include <utility>

#include "batch/photo_jobs.h"
#include "display/fit_views.h"
#include "photo_files/file_names.h"
#include "photo_files/photo_dialogs.h"
#include "windows/about_window.h"
#include "windows/main_window.h"

void MainWindow::open_buttonClick()
{
    press_control(*open_button);
    corrector.open_photo([this] {
        std::optional<std::string> chosen = choose_open_path(*open_dialogs);
        if (chosen) opening_path_ = *chosen;
        return chosen;
    });
    render_corrector();
}

void MainWindow::open_photo_file(const std::string& path)
{
    guarded([&] {
        opening_path_ = path;
        corrector.open_photo([&path] { return std::optional<std::string>(path); });
        render_corrector();
    });
}

void MainWindow::open_photo_before_showing(const std::string& path)
{
    opening_before_shown_ = true;
    open_photo_file(path);
    opening_before_shown_ = false;
}

void MainWindow::photo_opened()
{
    fit_both_views();
    // Both dialogs start in the photo's folder, and the save dialog offers the name mallet
    // gives the same photo's correction; a phone's HEIF or AVIF photo becomes a JPEG of its
    // own name, which stands beside it without replacing it.
    open_dialogs->file_name = opening_path_;
    save_dialogs->file_name = has_heif_extension(opening_path_)
                                  ? jpeg_name_beside(opening_path_)
                                  : output_path_for(InputPhoto{opening_path_, {}, {}}, OutputRule{});
    show_photo_colour_profile();
    use_view_drawn_ahead();
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
    if (std::exchange(save_pressed_with_shift_, false)) return save_and_go_on();
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
    // One large view is fitted to its own size; two to the smaller one's.
    const TImgView32& fitted = single_view ? *corrected_view : *original_view;
    fit_views(*original_view, *corrected_view, *original_zoom, *corrected_zoom, fitted.width(),
              fitted.height());
    // Both views take the whole percent their sliders settled on (the slider's range may
    // have clamped it), so each shows the zoom its caption names, whatever either showed before.
    original_zoomChange();
    corrected_zoomChange();
    views_fitted_ = true;
}

void MainWindow::original_zoomChange()
{
    views_fitted_ = false;
    original_view->set_scale(static_cast<float>(original_zoom->position()) / 100.0f);
    original_zoom_label->set_caption(QString::number(original_zoom->position()) + "%");
}

void MainWindow::corrected_zoomChange()
{
    views_fitted_ = false;
    corrected_view->set_scale(static_cast<float>(corrected_zoom->position()) / 100.0f);
    corrected_zoom_label->set_caption(QString::number(corrected_zoom->position()) + "%");
}

void MainWindow::about_buttonClick()
{
    press_control(*about_button);
    // Showing an already visible window must not raise it.
    if (about_window == nullptr || about_window->isVisible()) return;
    about_window->show();
    // It takes the keyboard, so that Escape, Enter or Space closes it.
    about_window->activateWindow();
}
