#pragma once

// The counting shared by the profile analyses: what a band of rows adds to the
// figures the profile rules read, and the statistics made from the sums.

#include <array>
#include <cstdint>

#include "engine/histogram_library.h"
#include "engine/profile_rules.h"

class Bitmap24;
class Bitmap32;

// Counting histograms is bound by the read-modify-write of one counter per
// table per pixel. In a smooth photo neighbouring pixels keep hitting the same
// bins, so an increment often has to wait for the one just before it; giving
// each of four neighbouring pixels its own set of tables breaks those chains,
// and the sets are added together at the end.
template <int Tables>
class SplitCounts {
public:
    static constexpr int sets = 4;

    void increment(int set, int table, unsigned value) { ++counts_[set][table][value]; }

    // Adds the sets' counts of `table` to `histogram`.
    void add_to(int table, THistogram& histogram) const
    {
        for (int value = 0; value < 256; ++value) {
            std::int32_t total = 0;
            for (const auto& tables : counts_) total += tables[table][value];
            histogram.bins[value] += total;
        }
    }

private:
    std::array<std::array<std::array<std::int32_t, 256>, Tables>, sets> counts_{};
};

inline unsigned intensity_of(unsigned r, unsigned g, unsigned b)
{
    return (r + g + b) / 3;
}

/// What rows contribute to the profile statistics. The rules read only the red and
/// green means, and a mean is the level sum over the count, so those two are summed;
/// blue and intensity need their whole histograms for the kurtosis.
struct ProfileCounts {
    THistogram blue;
    THistogram intensity;
    std::uint64_t red_sum = 0;
    std::uint64_t green_sum = 0;
    std::uint64_t pixels = 0;
};

/// Counts rows [first, end) of `photo` into `counts`, and copies them into
/// `working_bitmap` (already of the photo's size) when it is given.
void count_profile_rows(const Bitmap32& photo, int first, int end, ProfileCounts& counts,
                        Bitmap24* working_bitmap);

/// The statistics from merged counts. Integer counts and sums add up exactly, so the
/// figures do not depend on how the rows were split or in which order they came.
ProfileStatistics profile_statistics_of(const THistogram& blue, const THistogram& intensity,
                                        std::uint64_t red_sum, std::uint64_t green_sum, std::uint64_t pixels);
