#include "engine/profile_rules.h"

void decide_profiles(const ProfileStatistics& statistics, std::int32_t& phone_profile,
                     std::int32_t& camera_profile)
{
    // Widening the doubles is exact. The fractional thresholds are extended
    // constants, so a statistic equal to the double nearest -0.8 (or 0.3) is
    // below it, and I - B is exact. Any comparison with a NaN is false.
    const long double R = statistics.mean_red;
    const long double G = statistics.mean_green;
    const long double B = statistics.mean_blue;
    const long double I = statistics.mean_intensity;
    const long double K = statistics.excess_kurtosis_intensity;
    const long double KB = statistics.excess_kurtosis_blue;
    const auto decide = [&](std::int32_t phone, std::int32_t camera) {
        phone_profile = phone;
        camera_profile = camera;
    };

    // The first branch whose condition holds decides. A negative K means a flat
    // intensity histogram (spread over the range), a positive one a peaked one.
    // clang-format off
    if (R > 90 && G > 90 && B > 90 && R > G && R > B) {      // bright, red the strongest
                                                 decide( 8, 8);
    } else if (I > 110 && K < -0.8L) {                        // bright intensity, very flat
        if      (G > R && G > I && R > B)        decide( 2, 2);  // green cast
        else if (I - B > 25)                     decide( 5, 5);  // short of blue
        else if (KB > 0)                         decide( 5, 5);  // blues in a peak
        else                                     decide( 4, 4);
    } else if (R > 90 && G > 90 && B > 90) {                  // bright, red not the strongest
        if      (B > G && B > R)                 decide( 4, 4);  // blue the strongest
        else if (I - B > 35)                     decide( 5, 4);  // short of blue
        else if (K <= -0.1L)                     decide( 4, 4);  // flat
        else                                     decide( 4, 5);
    } else if (G > R) {                                        // dim, greener than red
        if      (R > B && K > 1.0L)              decide( 7, 7);  // yellow-green, peaked
        else if (R > B && K < -0.2L)             decide( 2, 2);  // yellow-green, flat
        else if (B > G && K > -0.5L)             decide( 4, 4);  // blue the strongest, peaked
        else if (B > G && K <= -0.5L)            decide( 5, 5);  // blue the strongest, flat
        else if (G > B && (K < 0.3L || R < B))   decide(13, 2);  // green, not sharply peaked
        else                                     decide( 1, 1);
    } else if (R > G) {                                        // dim, redder than green
        if      (I - B > 50)                     decide( 5, 5);  // far short of blue
        else if (K >= -0.9L && K < 0)            decide(13, 5);  // slightly flat
        else                                     decide( 5, 5);
    } else {                                                   // dim, red level with green
        if      (B > R && K > -0.5L)             decide( 4, 4);  // bluer, peaked
        else if (B > R && K <= -0.5L)            decide( 5, 5);  // bluer, flat
        // Neither bluer nor anything measured (no pixels): the caller's values stay.
    }
    // clang-format on
}
