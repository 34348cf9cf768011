#include "display/fit_views.h"

#include <cmath>

#include "display/gauge_bar.h"
#include "display/img_view32.h"

void fit_views(TImgView32& original_view, TImgView32& corrected_view, TGaugeBar& original_zoom,
               TGaugeBar& corrected_zoom, int view_width, int view_height)
{
    const Bitmap32* photo = original_view.bitmap();
    const int width = photo != nullptr ? photo->width() : 0;
    const int height = photo != nullptr ? photo->height() : 0;

    const auto fit = [&](TImgView32& view) {
        return fit_scale_steps(width, height, view_width, view_height, [&view](float scale) {
            view.set_scale(scale);
            return view.scale();
        });
    };
    const int percent = fit(original_view);
    fit(corrected_view);
    corrected_zoom.set_position(percent);
    original_zoom.set_position(percent);
}

int fit_scale_steps(int photo_width, int photo_height, int view_width, int view_height,
                    const std::function<float(float)>& set_scale)
{
    float stored = set_scale(1.0f);
    if (photo_width > view_width || photo_height > view_height) {
        // Each stored value is a 32-bit float; the arithmetic between them is wider.
        float fit;
        double margin;
        if (photo_width < photo_height) {
            fit = static_cast<float>(static_cast<double>(view_height) / photo_height);
            margin = 0.06;
        } else {
            fit = static_cast<float>(static_cast<double>(view_width) / photo_width);
            margin = 0.04;
        }
        const double fitted = set_scale(fit);
        stored = set_scale(static_cast<float>(fitted - fitted * margin));
    }
    // Truncated, not rounded: 0.63f is 0.6299999952..., which gives 62.
    return static_cast<int>(std::trunc(100.0 * static_cast<double>(stored)));
}
