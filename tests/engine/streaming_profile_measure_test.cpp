#include "engine/streaming_profile_measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"

namespace {

std::vector<std::uint64_t> bits(const ProfileStatistics& p)
{
    return {std::bit_cast<std::uint64_t>(p.mean_red),
            std::bit_cast<std::uint64_t>(p.mean_green),
            std::bit_cast<std::uint64_t>(p.mean_blue),
            std::bit_cast<std::uint64_t>(p.mean_intensity),
            std::bit_cast<std::uint64_t>(p.excess_kurtosis_intensity),
            std::bit_cast<std::uint64_t>(p.excess_kurtosis_blue)};
}

enum class Order { TopDown, BottomUp, AllAtTheEnd, Scattered };

// Tells the rows of `photo` in bands of `band` rows in the given order, pausing now and
// then so that the counting side has to wait for rows, as it waits for a decoder.
void tell_rows(StreamingProfileMeasure& measure, const Bitmap32& photo, Order order, int band)
{
    std::vector<int> starts;
    for (int y = 0; y < photo.height(); y += band) starts.push_back(y);
    if (order == Order::BottomUp) std::reverse(starts.begin(), starts.end());
    if (order == Order::Scattered) std::shuffle(starts.begin(), starts.end(), std::mt19937(5));
    if (order == Order::AllAtTheEnd) {
        measure.rows_final(photo, 0, photo.height());
        return;
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (i % 4 == 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
        measure.rows_final(photo, starts[i], std::min(photo.height(), starts[i] + band));
    }
}

// The measure taken while rows are told gives the figures and indices of the copy and
// measure of the whole photo, bit for bit, whatever the order and size of the bands
// (run once on a worker beside the maker and, in the one-thread run, on the maker's thread).
TEST(StreamingProfileMeasure, EqualsMeasuringTheWholePhotoBitForBit)
{
    struct Case {
        int width, height, band;
        bool smooth;
    };
    const Case cases[] = {{0, 0, 16, false},    {1, 1, 16, false},    {13, 7, 3, false},
                          {37, 301, 16, false}, {130, 257, 16, true}, {6, 40, 1, true}};
    std::mt19937 random(11);
    for (const Case& c : cases) {
        Bitmap32 photo;
        photo.set_size(c.width, c.height);
        for (std::size_t k = 0; k < photo.pixel_count(); ++k) {
            const auto level = static_cast<std::uint32_t>(k % 97);
            photo.pixels()[k] = c.smooth ? 0xFF000000u | (level + 40) << 16 | (level + 20) << 8 | level
                                         : static_cast<std::uint32_t>(random());
        }
        Bitmap24 working;
        const ProfileStatistics whole = copy_and_measure_profile(photo, working);
        std::int32_t phone_whole = 5, camera_whole = 1;
        decide_profiles(whole, phone_whole, camera_whole);
        for (Order order : {Order::TopDown, Order::BottomUp, Order::AllAtTheEnd, Order::Scattered}) {
            StreamingProfileMeasure measure;
            measure.run([&] {
                tell_rows(measure, photo, order, c.band);
                measure.rows_ended();
            });
            const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height) + " order " +
                                      std::to_string(static_cast<int>(order));
            EXPECT_EQ(bits(measure.statistics()), bits(whole)) << where;
            std::int32_t phone = 5, camera = 1;
            decide_profiles(measure.statistics(), phone, camera);
            EXPECT_EQ(std::make_pair(phone, camera), std::make_pair(phone_whole, camera_whole)) << where;
        }
    }
}

// A maker that fails half-way passes its exception on; the measure is not left waiting
// for rows that never come, and the next run starts afresh.
TEST(StreamingProfileMeasure, AMakerThatThrowsEndsTheRun)
{
    Bitmap32 photo;
    photo.set_size(50, 200);
    StreamingProfileMeasure measure;
    EXPECT_THROW(measure.run([&] {
        measure.rows_final(photo, 0, 100);
        throw std::runtime_error("decoder gave up");
    }),
                 std::runtime_error);
    Bitmap24 working;
    measure.run([&] { measure.rows_final(photo, 0, 200); });
    EXPECT_EQ(bits(measure.statistics()), bits(copy_and_measure_profile(photo, working)));
}

}  // namespace
