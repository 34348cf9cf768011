// The main window's handlers that run the corrector's operations.
#include "display/fit_views.h"
#include "photo_files/photo_dialogs.h"
#include "windows/about_screen.h"
#include "windows/main.h"

void TForm1::open_buttonClick()
{
    press_control(*open_button);
    corrector.open_photo([this] { return choose_open_path(*OpenPictureDialog); });
    render_corrector();
}

void TForm1::open_photo_file(const std::string& path)
{
    guarded([&] {
        corrector.open_photo([&path] { return std::optional<std::string>(path); });
        render_corrector();
    });
}

void TForm1::photo_opened()
{
    fit_views(*photo_org, *photo_tn, *org_zoom, *tn_zoom);
    save_button->set_bitmap(nappula.Bitmaps[NappulaFace::Red].Bitmap);
    draw_layout_captions(*save_button);
    undo_button->set_bitmap(nappula.Bitmaps[NappulaFace::Red].Bitmap);
    draw_layout_captions(*undo_button);
    if (!tools_open) {
        tools_button->set_bitmap(bitmaplist.Bitmaps[BitmaplistFace::ToolsSign].Bitmap);
        tools_may_open = true;
        tools_open = false;
    } else {
        tools_button->set_bitmap(bitmaplist.Bitmaps[BitmaplistFace::ToolsSignFaded].Bitmap);
    }
    draw_layout_captions(*tools_button);
}

void TForm1::start_state_restored()
{
    // As the window was created: grey save and undo faces, the faded tools sign, the panel shut.
    Timer1.stop();
    Timer2.stop();
    alapalkki->move(alapalkki->x(), ToolsSlide::closed_bar_top);
    set_window_height(kClosedHeight);
    for (TImage32* button : {save_button, undo_button}) {
        button->set_bitmap(nappula.Bitmaps[NappulaFace::Grey].Bitmap);
        draw_layout_captions(*button);
    }
    tools_button->set_bitmap(bitmaplist.Bitmaps[BitmaplistFace::ToolsSignFaded].Bitmap);
    draw_layout_captions(*tools_button);
    tools_may_open = false;
    tools_open = false;
}

void TForm1::tn_nappulaClick()
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

void TForm1::save_buttonClick()
{
    if (!corrector.photo_loaded) return;
    press_control(*save_button);
    // A write that fails leaves here with its error, for the general error report.
    corrector.save_photo(choose_save_path(*SavePictureDialog1));
    render_corrector();
}

void TForm1::undo_buttonClick()
{
    if (!corrector.photo_loaded) return;
    press_control(*undo_button);
    corrector.undo();
    render_corrector();
}

void TForm1::cam_iconClick()
{
    corrector.set_camera_type(CameraType::DigitalCamera);
    render_corrector();
}

void TForm1::mob_iconClick()
{
    corrector.set_camera_type(CameraType::MobilePhone);
    render_corrector();
}

void TForm1::run_preset(TImage32& control, ScenePreset preset)
{
    press_control(control);
    corrector.apply_preset(preset);
    render_corrector();
}

void TForm1::Image321DblClick()
{
    run_preset(*Image321, ScenePreset::OutdoorsVivid);
}
void TForm1::Image322DblClick()
{
    run_preset(*Image322, ScenePreset::Backlight);
}
void TForm1::Image323DblClick()
{
    run_preset(*Image323, ScenePreset::IndoorsFlash);
}
void TForm1::Image324DblClick()
{
    run_preset(*Image324, ScenePreset::IndoorsNoFlash);
}
void TForm1::Image325DblClick()
{
    run_preset(*Image325, ScenePreset::OutdoorsTooShiny);
}
void TForm1::Image326DblClick()
{
    run_preset(*Image326, ScenePreset::OutdoorsCloudy);
}
void TForm1::Image327DblClick()
{
    run_preset(*Image327, ScenePreset::Outdoors);
}
void TForm1::Image328Click()
{
    run_preset(*Image328, ScenePreset::IndoorsMixedLight);
}
void TForm1::Image329DblClick()
{
    run_preset(*Image329, ScenePreset::IndoorsBulbLamp);
}

void TForm1::light_buttonClick()
{
    // At the limit the key does not even move.
    if (corrector.light_level >= PhotoCorrector::max_light_level) return;
    press_control(*light_button, [this] { corrector.lighten(); });
    render_corrector();
}

void TForm1::dark_buttonClick()
{
    if (corrector.light_level <= -PhotoCorrector::max_light_level) return;
    press_control(*dark_button, [this] { corrector.darken(); });
    render_corrector();
}

void TForm1::fit_both_views()
{
    fit_views(*photo_org, *photo_tn, *org_zoom, *tn_zoom);
}

void TForm1::org_zoomChange()
{
    photo_org->set_scale(static_cast<float>(org_zoom->position()) / 100.0f);
    zoom_level->set_caption(QString::number(org_zoom->position()) + "%");
}

void TForm1::tn_zoomChange()
{
    photo_tn->set_scale(static_cast<float>(tn_zoom->position()) / 100.0f);
    tn_zoom_level->set_caption(QString::number(tn_zoom->position()) + "%");
}

void TForm1::about_buttonClick()
{
    press_control(*about_button);
    // Showing an already visible window must not raise it.
    if (about_window != nullptr && !about_window->isVisible()) about_window->show();
}
