#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
