#include "engine/extended_float.h"

#include <bit>
#include <limits>
#include <utility>

namespace {

using Wide = unsigned __int128;

int highest_bit(Wide value)
{
    const auto high = static_cast<std::uint64_t>(value >> 64);
    return high != 0 ? 127 - std::countl_zero(high)
                     : 63 - std::countl_zero(static_cast<std::uint64_t>(value));
}

// (-1)^negative * (magnitude + f) * 2^exponent rounded to 64 significant bits, to nearest
// and ties to even. f is 0 for an exact magnitude; an inexact one stands for bits lost below
// its lowest, not all zero, so f lies strictly between 0 and 1 and only breaks ties. It must
// then keep at least one bit below the 64 that stay.
ExtendedFloat rounded(bool negative, int exponent, Wide magnitude, bool inexact)
{
    const int top = highest_bit(magnitude);
    if (top <= 63)
        return ExtendedFloat::from_parts(negative, exponent, static_cast<std::uint64_t>(magnitude));
    const int dropped = top - 63;
    Wide kept = magnitude >> dropped;
    const Wide rest = magnitude & ((Wide{1} << dropped) - 1);
    const Wide half = Wide{1} << (dropped - 1);
    if (rest > half || (rest == half && (inexact || (kept & 1) != 0))) {
        ++kept;
        if (kept >> 64 != 0) {  // rounded up to the next power of two
            kept >>= 1;
            ++exponent;
        }
    }
    return ExtendedFloat::from_parts(negative, exponent + dropped, static_cast<std::uint64_t>(kept));
}

// The largest root with root * root <= radicand, and radicand - root * root; a digit a turn.
std::pair<Wide, Wide> integer_square_root(Wide radicand)
{
    Wide root = 0;
    Wide bit = Wide{1} << 126;
    while (bit > radicand) bit >>= 2;
    while (bit != 0) {
        if (radicand >= root + bit) {
            radicand -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return {root, radicand};
}

}  // namespace

ExtendedFloat::ExtendedFloat(std::uint64_t value) : ExtendedFloat(from_parts(false, 0, value)) {}

ExtendedFloat::ExtendedFloat(std::int64_t value)
    : ExtendedFloat(
          from_parts(value < 0, 0,
                     value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value)))
{
}

ExtendedFloat::ExtendedFloat(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool sign = bits >> 63 != 0;
    const int field = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (field == 0x7FF)
        *this = nan();
    else if (field == 0)  // zero or subnormal
        *this = from_parts(sign, -1074, fraction);
    else
        *this = from_parts(sign, field - 1075, fraction | std::uint64_t{1} << 52);
}

ExtendedFloat ExtendedFloat::from_parts(bool negative, int exponent, std::uint64_t significand)
{
    ExtendedFloat value;
    value.negative_ = negative;
    if (significand == 0) return value;
    const int shift = std::countl_zero(significand);
    value.significand_ = significand << shift;
    value.exponent_ = exponent - shift;
    return value;
}

ExtendedFloat ExtendedFloat::nan()
{
    ExtendedFloat value;
    value.nan_ = true;
    return value;
}

double ExtendedFloat::to_double() const
{
    if (nan_) return std::numeric_limits<double>::quiet_NaN();
    const std::uint64_t sign = negative_ ? std::uint64_t{1} << 63 : 0;
    if (significand_ == 0) return std::bit_cast<double>(sign);
    // The value lies in [2^power, 2^(power + 1)). A normal double keeps 53 of the 64 bits; below
    // 2^-1022 it keeps fewer, and the rounding happens once, at the subnormal's last bit.
    const int power = exponent_ + 63;
    if (power > 1023) return std::bit_cast<double>(sign | 0x7FF0000000000000u);
    const int encoded_power = power < -1022 ? -1022 : power;  // subnormals share the smallest normal scale
    const int dropped = 11 + (encoded_power - power);
    if (dropped > 64) return std::bit_cast<double>(sign);
    std::uint64_t kept = dropped == 64 ? 0 : significand_ >> dropped;
    const std::uint64_t rest =
        dropped == 64 ? significand_ : significand_ & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    if (rest > half || (rest == half && (kept & 1) != 0)) ++kept;
    // kept carries the leading bit at 2^52 for a normal value, so adding it to the exponent field
    // one below makes the encoding, and a carry out of the fraction moves into the exponent
    // (a subnormal rounding up to the smallest normal, the largest finite to infinity).
    return std::bit_cast<double>(sign | ((static_cast<std::uint64_t>(encoded_power + 1022) << 52) + kept));
}

ExtendedFloat ExtendedFloat::operator-() const
{
    ExtendedFloat value = *this;
    value.negative_ = !negative_;
    return value;
}

ExtendedFloat operator+(const ExtendedFloat& a, const ExtendedFloat& b)
{
    if (a.nan_ || b.nan_) return ExtendedFloat::nan();
    if (b.is_zero()) return a.is_zero() ? ExtendedFloat::from_parts(a.negative_ && b.negative_, 0, 0) : a;
    if (a.is_zero()) return b;
    const bool a_larger =
        a.exponent_ > b.exponent_ || (a.exponent_ == b.exponent_ && a.significand_ >= b.significand_);
    const ExtendedFloat& larger = a_larger ? a : b;
    const ExtendedFloat& smaller = a_larger ? b : a;
    // 62 spare bits below the larger significand hold the smaller one whole unless it lies
    // more than 62 places lower; then what falls off only marks the sum inexact.
    const int distance = larger.exponent_ - smaller.exponent_;
    const Wide large = Wide{larger.significand_} << 62;
    const Wide small_whole = Wide{smaller.significand_} << 62;
    const Wide small = distance >= 128 ? 0 : small_whole >> distance;
    const bool inexact = distance >= 128 || (small << distance) != small_whole;
    const int exponent = larger.exponent_ - 62;
    if (larger.negative_ == smaller.negative_)
        return rounded(larger.negative_, exponent, large + small, inexact);
    // large - (small + f) is (large - small - 1) + (1 - f), again with a fraction strictly inside (0, 1).
    const Wide difference = large - small - (inexact ? 1 : 0);
    if (difference == 0) return ExtendedFloat{};  // exact cancellation gives +0
    return rounded(larger.negative_, exponent, difference, inexact);
}

ExtendedFloat operator-(const ExtendedFloat& a, const ExtendedFloat& b)
{
    return a + -b;
}

ExtendedFloat operator*(const ExtendedFloat& a, const ExtendedFloat& b)
{
    if (a.nan_ || b.nan_) return ExtendedFloat::nan();
    const bool negative = a.negative_ != b.negative_;
    if (a.is_zero() || b.is_zero()) return ExtendedFloat::from_parts(negative, 0, 0);
    return rounded(negative, a.exponent_ + b.exponent_, Wide{a.significand_} * b.significand_, false);
}

ExtendedFloat operator/(const ExtendedFloat& a, const ExtendedFloat& b)
{
    if (a.nan_ || b.nan_ || b.is_zero()) return ExtendedFloat::nan();
    const bool negative = a.negative_ != b.negative_;
    if (a.is_zero()) return ExtendedFloat::from_parts(negative, 0, 0);
    const Wide numerator = Wide{a.significand_} << 64;
    Wide quotient = numerator / b.significand_;
    Wide remainder = numerator % b.significand_;
    // Two more quotient bits, so that a 64-bit quotient still has bits below the kept ones.
    quotient = quotient << 2 | (remainder << 2) / b.significand_;
    remainder = (remainder << 2) % b.significand_;
    return rounded(negative, a.exponent_ - b.exponent_ - 66, quotient, remainder != 0);
}

ExtendedFloat sqrt(const ExtendedFloat& a)
{
    if (a.nan_ || (a.negative_ && !a.is_zero())) return ExtendedFloat::nan();
    if (a.is_zero()) return a;
    // An even exponent halves exactly; the radicand then has 127 or 128 bits and its root 64.
    const int shift = a.exponent_ % 2 != 0 ? 63 : 64;
    const auto [root, remainder] = integer_square_root(Wide{a.significand_} << shift);
    // The exact root is never halfway between two: (r + 1/2)^2 = r^2 + r + 1/4 is no
    // integer, so it lies above the midpoint exactly when the remainder exceeds r.
    return rounded(false, (a.exponent_ - shift) / 2, remainder > root ? root + 1 : root, false);
}

std::partial_ordering operator<=>(const ExtendedFloat& a, const ExtendedFloat& b)
{
    if (a.nan_ || b.nan_) return std::partial_ordering::unordered;
    const auto sign_of = [](const ExtendedFloat& x) { return x.is_zero() ? 0 : x.negative() ? -1 : 1; };
    const int sign_a = sign_of(a);
    const int sign_b = sign_of(b);
    if (sign_a != sign_b || sign_a == 0) return sign_a <=> sign_b;
    const auto magnitude =
        a.exponent_ != b.exponent_ ? a.exponent_ <=> b.exponent_ : a.significand_ <=> b.significand_;
    return sign_a > 0 ? magnitude : 0 <=> magnitude;
}
