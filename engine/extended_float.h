#pragma once

// ExtendedFloat: binary floating point with a 64-bit significand, computed with integers.
// Every result is rounded to nearest, ties to even, exactly as the x87's extended format
// rounds at its default precision. The histogram statistics and the profile rules are
// defined by that arithmetic, and `long double` gives it on x86 alone (ARM64's is a 113-bit
// type, others' a plain double), so they use this type on every CPU and choose the same
// profiles everywhere.
//
// It holds what those computations meet: finite values, signed zeros and NaN. The exponent
// is an int, far wider than they reach, so nothing overflows or underflows; there are no
// infinities: a division by zero or the square root of a negative number gives NaN, and
// converting an infinite double gives NaN.

#include <compare>
#include <cstdint>

class ExtendedFloat {
public:
    /// +0.
    constexpr ExtendedFloat() = default;
    /// Exact.
    explicit ExtendedFloat(std::int64_t value);
    explicit ExtendedFloat(std::uint64_t value);
    /// Implicit, so that comparisons with whole numbers read as such.
    ExtendedFloat(int value) : ExtendedFloat(static_cast<std::int64_t>(value)) {}
    /// Exact for every finite double; NaN and infinities give NaN.
    explicit ExtendedFloat(double value);

    /// (-1)^negative * significand * 2^exponent, rounded to 64 significant bits.
    static ExtendedFloat from_parts(bool negative, int exponent, std::uint64_t significand);
    static ExtendedFloat nan();

    /// Rounded to nearest, ties to even, subnormal results included; NaN gives a quiet NaN.
    double to_double() const;

    bool is_nan() const { return nan_; }
    bool is_zero() const { return !nan_ && significand_ == 0; }
    bool negative() const { return negative_; }
    /// The value is (-1)^negative * significand * 2^exponent, the significand's top bit
    /// set unless the value is zero.
    int exponent() const { return exponent_; }
    std::uint64_t significand() const { return significand_; }

    friend ExtendedFloat operator+(const ExtendedFloat& a, const ExtendedFloat& b);
    friend ExtendedFloat operator-(const ExtendedFloat& a, const ExtendedFloat& b);
    friend ExtendedFloat operator*(const ExtendedFloat& a, const ExtendedFloat& b);
    friend ExtendedFloat operator/(const ExtendedFloat& a, const ExtendedFloat& b);
    friend ExtendedFloat sqrt(const ExtendedFloat& a);
    ExtendedFloat operator-() const;
    ExtendedFloat& operator+=(const ExtendedFloat& b) { return *this = *this + b; }
    ExtendedFloat& operator/=(const ExtendedFloat& b) { return *this = *this / b; }

    /// As IEEE comparisons: -0 equals +0, and NaN is unordered with everything.
    friend std::partial_ordering operator<=>(const ExtendedFloat& a, const ExtendedFloat& b);
    friend bool operator==(const ExtendedFloat& a, const ExtendedFloat& b)
    {
        return (a <=> b) == std::partial_ordering::equivalent;
    }

private:
    bool negative_ = false;
    bool nan_ = false;
    int exponent_ = 0;
    std::uint64_t significand_ = 0;
};
