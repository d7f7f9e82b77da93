#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>

TEST(NumberFormat, FollowsTheFilesOwnGeneralFormat)
{
    EXPECT_EQ(FormatNumber(1), "1");
    EXPECT_EQ(FormatNumber(80), "80");
    EXPECT_EQ(FormatNumber(0.5), "0.5");
    EXPECT_EQ(FormatNumber(-0.0107), "-0.0107");
    EXPECT_EQ(FormatNumber(1e-19), "1e-019");
    EXPECT_EQ(FormatNumber(-3e-19), "-3e-019");
    EXPECT_EQ(FormatNumber(1.5e-5), "1.5e-005");
    EXPECT_EQ(FormatNumber(1234567), "1.23457e+006");
    EXPECT_EQ(FormatNumber(1e20), "1e+020");
    EXPECT_EQ(FormatNumber(-1e18), "-1e+018");
    EXPECT_EQ(FormatNumber(0.080025), "0.080025");
    EXPECT_EQ(FormatNumber(123456), "123456");
    EXPECT_EQ(FormatNumber(999999.5), "1e+006");
    EXPECT_EQ(FormatNumber(0.0001), "0.0001");
    EXPECT_EQ(FormatNumber(0.00001), "1e-005");
    EXPECT_EQ(FormatNumber(1e300), "1e+300");
    EXPECT_EQ(FormatNumber(2.5e-308), "2.5e-308");
    EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatNumber(1.0 / 3.0), "0.333333");
    EXPECT_EQ(FormatNumber(-2.0 / 3.0), "-0.666667");
    EXPECT_EQ(FormatNumber(0), "0");
}

TEST(NumberFormat, RoundsTheSeventeenDigitExpansionHalfAwayFromZero)
{
    // Exactly representable ties: glibc's printf would round them to even.
    EXPECT_EQ(FormatNumber(1228.125), "1228.13");
    EXPECT_EQ(FormatNumber(-1228.125), "-1228.13");
    EXPECT_EQ(FormatNumber(0.5078125), "0.507813");
    EXPECT_EQ(FormatNumber(2.5), "2.5");
    // 99999.95 is stored as 99999.9499999999970...: below the tie.
    EXPECT_EQ(FormatNumber(99999.95), "99999.9");
    // 9.999995 is stored just above the tie, and the carry runs through.
    EXPECT_EQ(FormatNumber(9.999995), "10");
}

TEST(NumberFormat, NonFiniteValuesAreSpelledOut)
{
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatNumber(std::nan("")), "nan");
}

TEST(NumberFormat, FieldsAreRightAlignedAndGrowForLongText)
{
    std::string out;
    AppendIntField(out, 2, 15);
    AppendNumberField(out, -2, 15);
    EXPECT_EQ(out, std::string(14, ' ') + "2" + std::string(13, ' ') + "-2");
    out.clear();
    AppendField(out, "Node", 15);
    EXPECT_EQ(out, std::string(11, ' ') + "Node");
    out.clear();
    AppendNumberField(out, -1.23457e-100, 4);
    EXPECT_EQ(out, "-1.23457e-100");
}

namespace {

// Compares the formatter with the 17-digit expansion it shortcuts.
void ExpectSameAsExpansion(double value, int& mismatches)
{
    char fast[kNumberBufferSize], full[kNumberBufferSize];
    const int a = FormatNumberTo(fast, value);
    const int b = FormatNumberByExpansionTo(full, value);
    if (std::string(fast, static_cast<std::size_t>(a)) != std::string(full, static_cast<std::size_t>(b)) &&
        ++mismatches <= 10)
        ADD_FAILURE() << std::hexfloat << value << std::defaultfloat << ": " << std::string(fast, a) << " instead of "
                      << std::string(full, b);
}

} // namespace

TEST(NumberFormat, ShortcutAgreesWithTheExpansionForEveryKindOfDouble)
{
    std::mt19937_64 random(7);
    int mismatches = 0;
    // Any bit pattern: every exponent, subnormals, NaNs and infinities.
    for (int i = 0; i < 100000; ++i)
        ExpectSameAsExpansion(std::bit_cast<double>(random()), mismatches);
    // The magnitudes results have.
    std::uniform_real_distribution<double> exponent(-25, 25);
    for (int i = 0; i < 100000; ++i)
        ExpectSameAsExpansion((random() & 1 ? 1 : -1) * std::pow(10.0, exponent(random)), mismatches);
    // Next to the rounding boundaries: six digits and a 5, the point just
    // below it whose expansion rounds up to it, and powers of ten, each with
    // its neighbours a few units in the last place away.
    for (int i = 0; i < 20000; ++i) {
        const double digits = 100000 + static_cast<double>(random() % 900000);
        const double scale = std::pow(10.0, static_cast<int>(random() % 70) - 40);
        for (double point : {(digits + 0.5) * scale, (digits + 0.5 - 0.5e-11) * scale, digits * 10 * scale}) {
            double below = point, above = point;
            for (int step = 0; step < 4; ++step) {
                ExpectSameAsExpansion(below, mismatches);
                ExpectSameAsExpansion(above, mismatches);
                below = std::nextafter(below, 0.0);
                above = std::nextafter(above, 1e308);
            }
        }
    }
    // Short decimals, as input files and simple results have them.
    for (int i = 0; i < 100000; ++i) {
        const double mantissa = static_cast<double>(random() % 10000000);
        const int power = static_cast<int>(random() % 24) - 12;
        ExpectSameAsExpansion(power < 0 ? mantissa / std::pow(10.0, -power) : mantissa * std::pow(10.0, power),
                              mismatches);
    }
    EXPECT_EQ(mismatches, 0);
}
