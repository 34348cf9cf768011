// The views' colour management: the profile the opened photo's values are in. Each view
// converts to its own screen's profile itself.
#include "display/img_view32.h"
#include "photo_files/colour_profile.h"
#include "windows/main_window.h"

void MainWindow::show_photo_colour_profile()
{
    // The corrected photo holds the file's own values too, so both views share one profile.
    const IccProfile profile = shown_colour_profile(corrector.org_metadata);
    original_view->set_photo_profile(profile);
    corrected_view->set_photo_profile(profile);
}
