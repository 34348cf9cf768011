#pragma once

// The rules that choose the tone-curve profiles from a photo's statistics.

#include <cstdint>

/// The six figures the profile rules look at.
struct ProfileStatistics {
    double mean_red = 0;                   // R
    double mean_green = 0;                 // G
    double mean_blue = 0;                  // B
    double mean_intensity = 0;             // I
    double excess_kurtosis_intensity = 0;  // K
    double excess_kurtosis_blue = 0;       // KB
};

/// Chooses both indices; the first rule whose condition holds decides. Where none
/// does (red mean equal to green mean without a bluer cast, or no pixels at all),
/// the caller's values stay.
void decide_profiles(const ProfileStatistics& statistics, std::int32_t& phone_profile,
                     std::int32_t& camera_profile);
