#pragma once

#include <functional>

class TImgView32;
class TGaugeBar;

/// Fits both photo views to the photo shown in `original_view` after a load and
/// moves both zoom sliders to match.
///
/// Both views go to scale 1; a photo larger than the views (`view_width` x
/// `view_height`, 420 x 320 unless given) is then
/// scaled to a little under the view's width (0.96 of it) or, when it is
/// taller than wide, its height (0.94 of it), in 32-bit float arithmetic.
/// Both sliders are then set to the integer part of 100 x that scale
/// (`corrected_zoom` first); a slider whose position changes runs its OnChange, which
/// is expected to set its view's scale to position / 100. A slider already
/// at that position runs nothing, so its view keeps the fitted scale.
void fit_views(TImgView32& original_view, TImgView32& corrected_view, TGaugeBar& original_zoom,
               TGaugeBar& corrected_zoom, int view_width = 420, int view_height = 320);

/// The scales a fit sets, in order, on something whose scale `set_scale` sets and returns as
/// stored: 1, and for a photo larger than the view the fit and then the fit less its margin.
/// Returns the zoom percent the sliders take: the integer part of 100 x the last scale.
int fit_scale_steps(int photo_width, int photo_height, int view_width, int view_height,
                    const std::function<float(float)>& set_scale);
