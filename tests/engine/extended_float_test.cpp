#include "engine/extended_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

constexpr std::uint64_t all_ones = ~std::uint64_t{0};

// Ties are broken towards an even last bit, and anything beyond the tie rounds away from it.
TEST(ExtendedFloatTest, RoundsTiesToEven)
{
    const ExtendedFloat half(0.5);
    const ExtendedFloat just_over_half = ExtendedFloat(0.5) + ExtendedFloat(std::ldexp(1.0, -60));
    const auto equals = [](const ExtendedFloat& x, std::uint64_t significand, int exponent) {
        return !x.negative() && x.significand() == significand && x.exponent() == exponent;
    };
    // 2^64 - 1 is odd: half a unit up carries into the next power of two.
    EXPECT_TRUE(equals(ExtendedFloat(all_ones) + half, std::uint64_t{1} << 63, 1));
    // 2^64 - 2 is even: half a unit either way stays.
    EXPECT_TRUE(equals(ExtendedFloat(all_ones - 1) + half, all_ones - 1, 0));
    EXPECT_TRUE(equals(ExtendedFloat(all_ones - 1) - half, all_ones - 1, 0));
    EXPECT_TRUE(equals(ExtendedFloat(all_ones - 1) + just_over_half, all_ones, 0));
    // Bits far below decide what would be a tie: 1 - (2^-65 + 2^-128) lies just under the
    // midpoint between 1 - 2^-64 and 1, and 1 + (2^-64 + 2^-128) just over that between 1
    // and 1 + 2^-63.
    const ExtendedFloat over_half_a_step = ExtendedFloat::from_parts(false, -128, (1ull << 63) + 1);
    EXPECT_TRUE(equals(ExtendedFloat(1) - over_half_a_step, all_ones, -64));
    EXPECT_TRUE(equals(ExtendedFloat(1) + ExtendedFloat(2) * over_half_a_step, (1ull << 63) + 1, -63));
    // A product whose dropped half is exactly a tie: (2^32 + 1)^2 = 2^64 + 2^33 + 1.
    const ExtendedFloat odd(std::uint64_t{(1ull << 32) + 1});
    EXPECT_TRUE(equals(odd * odd, (std::uint64_t{1} << 63) + (std::uint64_t{1} << 32), 1));

    // To a double: 2^53 + 1 is a tie between 2^53 and 2^53 + 2, 2^53 + 3 one between + 2 and + 4.
    const std::uint64_t two_53 = std::uint64_t{1} << 53;
    EXPECT_EQ(ExtendedFloat(two_53 + 1).to_double(), 0x1p53);
    EXPECT_EQ(ExtendedFloat(two_53 + 3).to_double(), 0x1p53 + 4);
    EXPECT_EQ(ExtendedFloat(two_53 + 5).to_double(), 0x1p53 + 4);
    // The smallest subnormal's half rounds to zero, anything more to the subnormal.
    EXPECT_EQ(ExtendedFloat::from_parts(false, -1075, 1).to_double(), 0.0);
    EXPECT_EQ(ExtendedFloat::from_parts(false, -1076, 3).to_double(),
              std::numeric_limits<double>::denorm_min());
}

TEST(ExtendedFloatTest, ZerosNansAndComparisons)
{
    const ExtendedFloat zero;
    const ExtendedFloat three(3);
    EXPECT_TRUE((three - three).is_zero());
    EXPECT_FALSE((three - three).negative());
    EXPECT_TRUE((-zero + -zero).negative());
    EXPECT_FALSE((zero + -zero).negative());
    EXPECT_TRUE((-three * zero).negative());
    EXPECT_TRUE((three / zero).is_nan());
    EXPECT_TRUE(sqrt(-three).is_nan());
    EXPECT_TRUE(sqrt(-zero).negative());
    const ExtendedFloat nan(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(nan.is_nan());
    EXPECT_TRUE(std::isnan(nan.to_double()));
    EXPECT_FALSE(nan < three || nan > three || nan == nan || nan <= nan);
    EXPECT_TRUE(zero == -zero);
    EXPECT_TRUE(-three < zero && zero < three && -three < three && ExtendedFloat(-4) < -three);
    EXPECT_TRUE(ExtendedFloat(0.75) < ExtendedFloat(1) && ExtendedFloat(1) < ExtendedFloat(1.5));
}

// The rest holds where long double is the x87's 80-bit type, whose arithmetic this type
// copies: there every result must carry the same bits as the hardware's.
constexpr bool long_double_is_x87 =
    std::numeric_limits<long double>::digits == 64 && std::numeric_limits<long double>::max_exponent == 16384;

long double native(const ExtendedFloat& x)
{
    if (x.is_nan()) return std::numeric_limits<long double>::quiet_NaN();
    const long double magnitude = std::ldexp(static_cast<long double>(x.significand()), x.exponent());
    return x.negative() ? -magnitude : magnitude;
}

// The 80 bits that hold the value (the rest of the storage is padding); NaNs all alike.
bool same_bits(long double a, long double b)
{
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, 10) == 0;
}

// Operands that reach every rounding case: full significands, ones ending in many zeros
// (exact results and ties), powers of two and a little (ties that bits lost far below
// decide), small integers, and zeros, at exponents from far apart to equal.
ExtendedFloat random_operand(std::mt19937_64& random)
{
    std::uint64_t significand = random();
    switch (random() % 8) {
        case 0:
            significand = 0;
            break;
        case 1:
            significand %= 1000;
            break;
        case 2:
        case 3:
            significand &= all_ones << (random() % 64);
            break;
        case 4:
            significand = (1ull << 63) | (significand & 3);
            break;
        default:
            break;
    }
    const int exponent = static_cast<int>(random() % 141) - 70;
    return ExtendedFloat::from_parts((random() & 1) != 0, exponent, significand);
}

TEST(ExtendedFloatTest, ArithmeticMatchesTheX87BitForBit)
{
    if (!long_double_is_x87) GTEST_SKIP() << "long double is not the x87 extended type here";
    std::mt19937_64 random(5);
    for (int i = 0; i < 300000; ++i) {
        const ExtendedFloat a = random_operand(random);
        const ExtendedFloat b = random_operand(random);
        const long double x = native(a);
        const long double y = native(b);
        ASSERT_TRUE(same_bits(native(a + b), x + y)) << i;
        ASSERT_TRUE(same_bits(native(a - b), x - y)) << i;
        ASSERT_TRUE(same_bits(native(a * b), x * y)) << i;
        if (!b.is_zero()) {
            ASSERT_TRUE(same_bits(native(a / b), x / y)) << i;
        }
        ASSERT_TRUE(same_bits(native(sqrt(a)), std::sqrt(x))) << i;
        ASSERT_EQ(a < b, x < y) << i;
        ASSERT_EQ(a == b, x == y) << i;
        ASSERT_EQ(a > b, x > y) << i;
    }
}

TEST(ExtendedFloatTest, ConversionsMatchTheX87BitForBit)
{
    if (!long_double_is_x87) GTEST_SKIP() << "long double is not the x87 extended type here";
    std::mt19937_64 random(6);
    for (int i = 0; i < 300000; ++i) {
        // Every kind of double but infinities: normal, subnormal, zero, NaN.
        const double d = std::bit_cast<double>(random());
        if (!std::isinf(d)) {
            ASSERT_TRUE(same_bits(native(ExtendedFloat(d)), static_cast<long double>(d))) << i;
        }
        const auto integer = static_cast<std::int64_t>(random() >> (random() % 64));
        const std::int64_t signed_integer = (random() & 1) != 0 ? -integer : integer;
        ASSERT_TRUE(
            same_bits(native(ExtendedFloat(signed_integer)), static_cast<long double>(signed_integer)))
            << i;
        // To a double across its whole range, subnormals and overflow included.
        ExtendedFloat x = random_operand(random);
        x = ExtendedFloat::from_parts(x.negative(), static_cast<int>(random() % 2200) - 1200,
                                      x.significand());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(x.to_double()),
                  std::bit_cast<std::uint64_t>(static_cast<double>(native(x))))
            << i;
    }
}

}  // namespace
