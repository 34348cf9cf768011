#include "display/fit_views.h"

#include <cmath>

#include "display/gauge_bar.h"
#include "display/img_view32.h"

namespace {

constexpr int kViewWidth = 420;
constexpr int kViewHeight = 320;

}  // namespace

void fit_views(TImgView32& original_view, TImgView32& corrected_view, TGaugeBar& original_zoom,
               TGaugeBar& corrected_zoom)
{
    const Bitmap32* photo = original_view.bitmap();
    const int width = photo != nullptr ? photo->width() : 0;
    const int height = photo != nullptr ? photo->height() : 0;

    original_view.set_scale(1.0f);
    corrected_view.set_scale(1.0f);
    if (width > kViewWidth || height > kViewHeight) {
        // Each stored value is a 32-bit float; the arithmetic between them is wider.
        float fit;
        double margin;
        if (width < height) {
            fit = static_cast<float>(static_cast<double>(kViewHeight) / height);
            margin = 0.06;
        } else {
            fit = static_cast<float>(static_cast<double>(kViewWidth) / width);
            margin = 0.04;
        }
        for (TImgView32* view : {&original_view, &corrected_view}) {
            view->set_scale(fit);
            const double stored = view->scale();
            view->set_scale(static_cast<float>(stored - stored * margin));
        }
    }
    // Truncated, not rounded: 0.63f is 0.6299999952..., which gives 62.
    const int percent = static_cast<int>(std::trunc(100.0 * static_cast<double>(original_view.scale())));
    corrected_zoom.set_position(percent);
    original_zoom.set_position(percent);
}
