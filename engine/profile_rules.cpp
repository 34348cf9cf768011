#include "engine/profile_rules.h"

#include "engine/extended_float.h"

void decide_profiles(const ProfileStatistics& statistics, std::int32_t& phone_profile,
                     std::int32_t& camera_profile)
{
    // The comparisons are made in x87 extended precision, on every CPU: widening the
    // doubles is exact, the fractional thresholds are the extended values nearest them
    // (so a statistic equal to the double nearest -0.8, or 0.3, lies below it), and
    // I - B rounds to 64 significant bits. Any comparison with a NaN is false.
    const ExtendedFloat R(statistics.mean_red);
    const ExtendedFloat G(statistics.mean_green);
    const ExtendedFloat B(statistics.mean_blue);
    const ExtendedFloat I(statistics.mean_intensity);
    const ExtendedFloat K(statistics.excess_kurtosis_intensity);
    const ExtendedFloat KB(statistics.excess_kurtosis_blue);
    const auto tenths = [](int value) { return ExtendedFloat(value) / ExtendedFloat(10); };
    const auto decide = [&](std::int32_t phone, std::int32_t camera) {
        phone_profile = phone;
        camera_profile = camera;
    };

    // The first branch whose condition holds decides. A negative K means a flat
    // intensity histogram (spread over the range), a positive one a peaked one.
    // clang-format off
    if (R > 90 && G > 90 && B > 90 && R > G && R > B) {          // bright, red the strongest
                                                     decide( 8, 8);
    } else if (I > 110 && K < tenths(-8)) {                       // bright intensity, very flat
        if      (G > R && G > I && R > B)            decide( 2, 2);  // green cast
        else if (I - B > 25)                         decide( 5, 5);  // short of blue
        else if (KB > 0)                             decide( 5, 5);  // blues in a peak
        else                                         decide( 4, 4);
    } else if (R > 90 && G > 90 && B > 90) {                      // bright, red not the strongest
        if      (B > G && B > R)                     decide( 4, 4);  // blue the strongest
        else if (I - B > 35)                         decide( 5, 4);  // short of blue
        else if (K <= tenths(-1))                    decide( 4, 4);  // flat
        else                                         decide( 4, 5);
    } else if (G > R) {                                            // dim, greener than red
        if      (R > B && K > 1)                     decide( 7, 7);  // yellow-green, peaked
        else if (R > B && K < tenths(-2))            decide( 2, 2);  // yellow-green, flat
        else if (B > G && K > tenths(-5))            decide( 4, 4);  // blue the strongest, peaked
        else if (B > G && K <= tenths(-5))           decide( 5, 5);  // blue the strongest, flat
        else if (G > B && (K < tenths(3) || R < B))  decide(13, 2);  // green, not sharply peaked
        else                                         decide( 1, 1);
    } else if (R > G) {                                            // dim, redder than green
        if      (I - B > 50)                         decide( 5, 5);  // far short of blue
        else if (K >= tenths(-9) && K < 0)           decide(13, 5);  // slightly flat
        else                                         decide( 5, 5);
    } else {                                                       // dim, red level with green
        if      (B > R && K > tenths(-5))            decide( 4, 4);  // bluer, peaked
        else if (B > R && K <= tenths(-5))           decide( 5, 5);  // bluer, flat
        // Neither bluer nor anything measured (no pixels): the caller's values stay.
    }
    // clang-format on
}
