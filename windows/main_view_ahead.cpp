// The original view of the photo read ahead, drawn on the reading thread for the place the
// view has when the photo before it opened.

#include <algorithm>
#include <any>
#include <memory>

#include "display/fit_views.h"
#include "display/view_picture.h"
#include "windows/main_window.h"

void MainWindow::use_view_drawn_ahead()
{
    std::any drawn = corrector.take_view_ahead();
    if (auto* picture = std::any_cast<std::shared_ptr<const ViewPicture>>(&drawn))
        original_view->offer_picture(*picture);

    // The next photo's view as a step would show it: fitted as this one was just fitted, from
    // the place this one has now. A view placed otherwise by then draws itself as before.
    if (single_view) {
        folder_walk.read_ahead().draw_ahead_with(nullptr);
        return;
    }
    const ViewGeometry placed = original_view->placement();
    const float ratio = static_cast<float>(original_view->devicePixelRatioF());
    const std::uint32_t background = original_view->color().rgb() & 0x00FFFFFFu;
    const int fitted_width = original_view->width();
    const int fitted_height = original_view->height();
    const int least = original_zoom->min();
    const int most = original_zoom->max();
    folder_walk.read_ahead().draw_ahead_with([=](const Bitmap32& photo) -> std::any {
        ViewGeometry geometry = placed;
        // The view re-centres only on a photo of another size.
        if (photo.width() != geometry.photo_width() || photo.height() != geometry.photo_height())
            geometry.set_photo_size(photo.width(), photo.height());
        const int percent =
            std::clamp(fit_scale_steps(photo.width(), photo.height(), fitted_width, fitted_height,
                                       [&geometry](float scale) {
                                           geometry.set_scale(scale);
                                           return geometry.scale();
                                       }),
                       least, most);
        geometry.set_scale(static_cast<float>(percent) / 100.0f);
        return std::make_shared<const ViewPicture>(
            draw_view_picture(photo, geometry.in_device_pixels(ratio), background));
    });
}
