#pragma once

// HistogramLibrary: 256-bin histograms of a 24-bit bitmap and their nine
// summary statistics. The arithmetic is deliberately that of the x87's 80-bit
// extended precision (ExtendedFloat, the same bits on every CPU) with the mean
// and standard deviation passing through 64-bit doubles: the profile thresholds
// built on these figures were tuned against exactly those values, down to the
// last bit.

#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>

class Bitmap24;

/// Raised by GetHistogram when the bitmap does not hold 24-bit pixels.
class EHistogramError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The value an undefined statistic reports: sign set, exponent all ones,
/// only the top fraction bit set (the x87 "indefinite" quiet NaN).
inline constexpr double histogram_nan = std::bit_cast<double>(std::uint64_t{0xFFF8000000000000});

/// What GetHistogram counts for each pixel. Any other kind counts every pixel in bin 0.
inline constexpr std::uint8_t histogram_red = 0;
inline constexpr std::uint8_t histogram_green = 1;
inline constexpr std::uint8_t histogram_blue = 2;
inline constexpr std::uint8_t histogram_largest = 3;    // the largest of red, green and blue
inline constexpr std::uint8_t histogram_intensity = 4;  // (red + green + blue) div 3

class THistogram {
public:
    THistogram() { Clear(); }

    void Clear() { bins.fill(0); }
    void Increment(std::uint8_t value) { ++bins[value]; }

    /// All nine are outputs. Undefined results: an empty histogram gives mean
    /// NaN; fewer than two values give std_dev NaN, skewness 0 and kurtosis 0;
    /// a single distinct value gives skewness NaN and kurtosis 0. Kurtosis is
    /// the plain fourth standardised moment (about 3 for a normal distribution).
    void GetStatistics(std::int32_t& count, std::uint8_t& minimum, std::uint8_t& maximum, std::uint8_t& mode,
                       std::uint8_t& median, double& mean, double& std_dev, double& skewness,
                       double& kurtosis) const;

    /// bins[v] is the number of pixels whose counted value is v.
    std::array<std::int32_t, 256> bins;
};

/// Discards the histogram's contents and counts `kind` for every pixel of
/// `bitmap`. A bitmap that does not record 24 bits per pixel raises
/// EHistogramError and leaves the histogram as it was.
void GetHistogram(std::uint8_t kind, const Bitmap24& bitmap, THistogram& histogram);

/// The nine results of GetStatistics in one value, for callers that report them.
struct HistogramStatistics {
    std::int32_t count = 0;
    std::uint8_t minimum = 0;
    std::uint8_t maximum = 0;
    std::uint8_t mode = 0;
    std::uint8_t median = 0;
    double mean = 0;
    double std_dev = 0;
    double skewness = 0;
    double kurtosis = 0;
};

HistogramStatistics statistics_of(const THistogram& histogram);

/// The mean as GetStatistics stores it: the level sum over the count in
/// extended precision, rounded to a double; NaN when there are no pixels.
double histogram_mean(std::uint64_t level_sum, std::int64_t count);

/// Raises EHistogramError unless GetHistogram can count `bitmap`: it must
/// record 24 bits per pixel, and its pixel count must fit a 32-bit bin.
void check_histogram_source(const Bitmap24& bitmap);
