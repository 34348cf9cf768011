// Prints the statistics and profile choices of thousands of made-up histograms, rule
// inputs and photos, one line each, every double as its bits. tools/ci/arm64_engine.sh
// runs it built for x86-64 and for ARM64 and compares the two outputs: the profile a
// photo gets must not depend on the CPU. Inputs are made with integers only, so both
// builds see the same ones.

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/bitmap24.h"
#include "engine/bitmap32.h"
#include "engine/histogram_library.h"
#include "engine/profile_selection.h"

namespace {

// splitmix64: the same sequence on every CPU and standard library.
class Numbers {
public:
    explicit Numbers(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // Uniform enough for made-up inputs.
    std::uint32_t below(std::uint32_t limit) { return static_cast<std::uint32_t>(next() % limit); }

private:
    std::uint64_t state_;
};

std::uint64_t bits(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

void print_statistics(const char* what, int index, const HistogramStatistics& s)
{
    std::printf("%s %d: count %d range %d-%d mode %d median %d mean %016" PRIx64 " std_dev %016" PRIx64
                " skewness %016" PRIx64 " kurtosis %016" PRIx64 "\n",
                what, index, s.count, s.minimum, s.maximum, s.mode, s.median, bits(s.mean), bits(s.std_dev),
                bits(s.skewness), bits(s.kurtosis));
}

void print_profiles(const char* what, int index, const ProfileStatistics& s)
{
    std::int32_t phone = -1;
    std::int32_t camera = -1;
    decide_profiles(s, phone, camera);
    std::printf("%s %d: R %016" PRIx64 " G %016" PRIx64 " B %016" PRIx64 " I %016" PRIx64 " K %016" PRIx64
                " KB %016" PRIx64 " -> phone %d camera %d\n",
                what, index, bits(s.mean_red), bits(s.mean_green), bits(s.mean_blue), bits(s.mean_intensity),
                bits(s.excess_kurtosis_intensity), bits(s.excess_kurtosis_blue), phone, camera);
}

THistogram histogram_of(std::initializer_list<std::pair<int, std::int32_t>> counts)
{
    THistogram h;
    for (auto [value, count] : counts) h.bins[value] = count;
    return h;
}

std::vector<THistogram> edge_histograms()
{
    constexpr std::int32_t most = 0x7FFFFFFF;  // the largest count a histogram holds
    std::vector<THistogram> all = {
        THistogram{},
        histogram_of({{0, 1}}),
        histogram_of({{77, 1}}),
        histogram_of({{255, 1}}),
        histogram_of({{40, 10}}),
        histogram_of({{0, 1}, {255, 1}}),
        histogram_of({{10, 1}, {20, 1}}),
        histogram_of({{0, 3}, {255, 1}}),
        histogram_of({{254, 1 << 29}, {255, 1 << 29}}),
        histogram_of({{0, most - 1}, {255, 1}}),
        histogram_of({{0, 1}, {255, most - 1}}),
        histogram_of({{128, most}}),
        histogram_of({{0, most / 2}, {255, most / 2 + 1}}),
        histogram_of({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}),
    };
    THistogram every;
    every.bins.fill(1);
    all.push_back(every);
    every.bins.fill(most / 256);
    all.push_back(every);
    THistogram odd_even;
    for (int v = 0; v < 256; ++v) odd_even.bins[v] = v % 2 ? 1000003 : 7;
    all.push_back(odd_even);
    return all;
}

THistogram made_up_histogram(Numbers& numbers)
{
    THistogram h;
    switch (numbers.below(6)) {
        case 0: {  // every bin, counts up to a random power of two
            const std::uint32_t limit = 1u << (1 + numbers.below(23));
            for (auto& bin : h.bins) bin = static_cast<std::int32_t>(numbers.below(limit));
            break;
        }
        case 1: {  // a few bins with counts of any size
            const int bins = 1 + static_cast<int>(numbers.below(6));
            for (int k = 0; k < bins; ++k) {
                const std::uint32_t value = numbers.below(256);
                const std::uint32_t limit = 1u << numbers.below(28);
                h.bins[value] += static_cast<std::int32_t>(numbers.below(limit) + 1);
            }
            break;
        }
        case 2: {  // a peak of random width and steepness
            const int centre = static_cast<int>(numbers.below(256));
            const int width = 1 + static_cast<int>(numbers.below(128));
            const int power = 1 + static_cast<int>(numbers.below(3));
            const std::int64_t scale = 1 + numbers.below(50);
            for (int v = 0; v < 256; ++v) {
                const std::int64_t near = width - std::abs(v - centre);
                std::int64_t count = near > 0 ? near : 0;
                for (int p = 1; p < power; ++p) count *= near > 0 ? near : 0;
                h.bins[v] = static_cast<std::int32_t>(count * scale > 0x7FFFFF ? 0x7FFFFF : count * scale);
            }
            break;
        }
        case 3: {  // a heavy spike with far outliers
            const std::uint32_t spike = numbers.below(256);
            h.bins[spike] = static_cast<std::int32_t>(numbers.below(1u << 30) + 1);
            for (int k = static_cast<int>(numbers.below(4)); k >= 0; --k) h.bins[numbers.below(256)] += 1;
            break;
        }
        case 4: {  // two to five pixels
            for (int k = 2 + static_cast<int>(numbers.below(4)); k > 0; --k) h.bins[numbers.below(256)] += 1;
            break;
        }
        default: {  // a run of neighbouring levels
            const int first = static_cast<int>(numbers.below(256));
            const int end =
                first + 1 + static_cast<int>(numbers.below(static_cast<std::uint32_t>(256 - first)));
            for (int v = first; v < end; ++v)
                h.bins[v] = static_cast<std::int32_t>(1 + numbers.below(100000));
            break;
        }
    }
    return h;
}

// A double `steps` representable values away from `value`.
double stepped(double value, int steps)
{
    for (; steps > 0; --steps) value = std::nextafter(value, 1e300);
    for (; steps < 0; ++steps) value = std::nextafter(value, -1e300);
    return value;
}

// A step count from -3 to 3.
int steps(Numbers& numbers)
{
    return static_cast<int>(numbers.below(7)) - 3;
}

// Rule inputs at and a few steps either side of every threshold the rules compare with.
// Each number is drawn in its own statement: the order of a call's arguments is the
// compiler's choice and differs between the two CPUs.
ProfileStatistics rule_probe(Numbers& numbers)
{
    static constexpr double mean_edges[] = {90, 110};
    static constexpr double kurtosis_edges[] = {-0.9, -0.8, -0.5, -0.2, -0.1, 0, 0.3, 1};
    static constexpr double difference_edges[] = {25, 35, 50};
    const auto mean = [&numbers] {
        if (numbers.below(4) == 0) {
            const double edge = mean_edges[numbers.below(2)];
            return stepped(edge, steps(numbers));
        }
        return static_cast<double>(numbers.next() >> 11) / 0x1p53 * 255;
    };
    const auto kurtosis = [&numbers] {
        if (numbers.below(3) == 0)
            return static_cast<double>(static_cast<std::int64_t>(numbers.next() >> 40) - (1 << 23)) / 0x1p20;
        const double edge = kurtosis_edges[numbers.below(8)];
        return stepped(edge, steps(numbers));
    };
    ProfileStatistics s;
    s.mean_red = mean();
    s.mean_green = numbers.below(8) == 0 ? s.mean_red : mean();
    s.mean_blue = mean();
    if (numbers.below(2) == 0) {
        s.mean_intensity = mean();
    } else {
        const double edge = s.mean_blue + difference_edges[numbers.below(3)];
        s.mean_intensity = stepped(edge, steps(numbers));
    }
    s.excess_kurtosis_intensity = kurtosis();
    s.excess_kurtosis_blue = kurtosis();
    return s;
}

void fill_made_up_photo(Numbers& numbers, Bitmap32& photo)
{
    const int width = 1 + static_cast<int>(numbers.below(300));
    const int height = 1 + static_cast<int>(numbers.below(160));
    photo.set_size(width, height);
    const int kind = static_cast<int>(numbers.below(4));
    const std::uint32_t flat = static_cast<std::uint32_t>(numbers.next());
    const int grain = 1 + static_cast<int>(numbers.below(64));
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = photo.scan_line(y);
        for (int x = 0; x < width; ++x) {
            if (kind == 0) {
                row[x] = static_cast<std::uint32_t>(numbers.next());
            } else if (kind == 1) {
                row[x] = flat;
            } else if (kind == 2) {  // a few colours
                row[x] = flat ^ (numbers.below(3) * 0x00204080u);
            } else {  // smooth shading with grain
                const auto level = [&](int base) {
                    const int v = base + static_cast<int>(numbers.below(static_cast<std::uint32_t>(grain)));
                    return static_cast<std::uint32_t>(v > 255 ? 255 : v);
                };
                const std::uint32_t red = level(x * 200 / width);
                const std::uint32_t green = level(y * 200 / height);
                const std::uint32_t blue = level((x + y) * 100 / (width + height));
                row[x] = 0xFF000000u | red << 16 | green << 8 | blue;
            }
        }
    }
}

}  // namespace

int main()
{
    Numbers numbers(20240611);
    int index = 0;
    for (const THistogram& h : edge_histograms()) print_statistics("edge", index++, statistics_of(h));

    constexpr int histograms = 6000;
    std::vector<HistogramStatistics> made_up;
    for (int i = 0; i < histograms; ++i) {
        made_up.push_back(statistics_of(made_up_histogram(numbers)));
        print_statistics("histogram", i, made_up.back());
    }
    // The rules on measured figures: four histograms taken as red, green, blue and intensity.
    for (int i = 0; i + 3 < histograms; i += 4) {
        const ProfileStatistics s{
            made_up[i].mean,     made_up[i + 1].mean,           made_up[i + 2].mean,
            made_up[i + 3].mean, made_up[i + 3].kurtosis - 3.0, made_up[i + 2].kurtosis - 3.0};
        print_profiles("measured", i / 4, s);
    }

    constexpr int probes = 6000;
    for (int i = 0; i < probes; ++i) print_profiles("probe", i, rule_probe(numbers));

    constexpr int photos = 400;
    Bitmap32 photo;
    Bitmap24 working;
    for (int i = 0; i < photos; ++i) {
        fill_made_up_photo(numbers, photo);
        print_profiles("photo", i, copy_and_measure_profile(photo, working));
        const PhotoStatistics all = measure_photo(working);
        print_statistics("photo red", i, all.red);
        print_statistics("photo green", i, all.green);
        print_statistics("photo blue", i, all.blue);
        print_statistics("photo intensity", i, all.intensity);
    }
    return 0;
}
