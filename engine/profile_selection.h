#pragma once

// Automatic choice of tone-curve profile from a photo's histogram statistics.
// Two indices come out at once, one for the mobile-phone table and one for the
// digital-camera table, so switching the camera type later needs no new analysis.

#include <cstdint>

#include "engine/histogram_library.h"
#include "engine/profile_rules.h"

class Bitmap24;
class Bitmap32;

/// Everything measured on a photo: the statistics of its red, green, blue and
/// intensity histograms, and the excess kurtoses derived from them.
struct PhotoStatistics {
    HistogramStatistics red;
    HistogramStatistics green;
    HistogramStatistics blue;
    HistogramStatistics intensity;
    double excess_kurtosis_intensity = 0;  // K: intensity kurtosis - 3
    double excess_kurtosis_blue = 0;       // KB: blue kurtosis - 3

    ProfileStatistics profile_statistics() const;
};

/// Fills the red (kind 0), green (1), blue (2) and intensity (4) histograms in
/// one pass over the pixels; each ends up exactly as GetHistogram would leave
/// it. Refuses the same bitmaps as GetHistogram, leaving all four untouched.
void fill_analysis_histograms(const Bitmap24& bitmap, THistogram& red, THistogram& green, THistogram& blue,
                              THistogram& intensity);

/// The four histograms' statistics and K, KB, as select_profiles sees them.
PhotoStatistics measure_photo(const Bitmap24& bitmap);

/// copy_to_bitmap24(photo, working_bitmap) followed by
/// measure_photo(working_bitmap).profile_statistics(), bit for bit, in one pass
/// over the pixels: a new photo is read once, not twice, and only what the
/// rules read is measured.
ProfileStatistics copy_and_measure_profile(const Bitmap32& photo, Bitmap24& working_bitmap);

/// Measures `working_bitmap` and applies the rule table. The caller sets its
/// defaults (phone 5, camera 1) before the call; they survive when no rule decides.
/// The bitmap is left in 24-bit form.
void select_profiles(Bitmap24& working_bitmap, std::int32_t& phone_profile, std::int32_t& camera_profile);

/// Copies `photo` into `working_bitmap` and selects the profiles from it, in one
/// pass: the same bitmap and indices as copy_to_bitmap24 followed by select_profiles.
void copy_and_select_profiles(const Bitmap32& photo, Bitmap24& working_bitmap, std::int32_t& phone_profile,
                              std::int32_t& camera_profile);
