#include "display/fit_views.h"

#include <cmath>

#include "display/gauge_bar.h"
#include "display/img_view32.h"

namespace {

constexpr int kViewWidth = 420;
constexpr int kViewHeight = 320;

}  // namespace

void fit_views(TImgView32& photo_org, TImgView32& photo_tn, TGaugeBar& org_zoom, TGaugeBar& tn_zoom)
{
    const Bitmap32* photo = photo_org.bitmap();
    const int width = photo != nullptr ? photo->width() : 0;
    const int height = photo != nullptr ? photo->height() : 0;

    photo_org.set_scale(1.0f);
    photo_tn.set_scale(1.0f);
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
        for (TImgView32* view : {&photo_org, &photo_tn}) {
            view->set_scale(fit);
            const double stored = view->scale();
            view->set_scale(static_cast<float>(stored - stored * margin));
        }
    }
    // Truncated, not rounded: 0.63f is 0.6299999952..., which gives 62.
    const int percent = static_cast<int>(std::trunc(100.0 * static_cast<double>(photo_org.scale())));
    tn_zoom.set_position(percent);
    org_zoom.set_position(percent);
}
