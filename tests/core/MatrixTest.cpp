#include "core/FatalError.h"
#include "core/Matrix.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

Matrix Make(int rows, int cols, std::initializer_list<double> values)
{
    Matrix m;
    m.Resize(rows, cols);
    int k = 0;
    for (double v : values)
        if (k < rows * cols)
            m.At(k++) = v;
    return m;
}

TEST(Matrix, ResizeZeroFillsAndDiscards)
{
    Matrix m;
    EXPECT_EQ(m.GetRows(), 1);
    EXPECT_EQ(m.GetCols(), 1);
    EXPECT_FALSE(m.m_Symmetric);
    m.Resize(3, 1);
    m.At(1) = 5;
    m.m_Symmetric = true;
    m.Resize(3, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m.At(i), 0);
    EXPECT_TRUE(m.m_Symmetric); // left alone by Resize
}

TEST(Matrix, SumProductAndTranspose)
{
    const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
    const Matrix b = Make(3, 2, {1, 0, 0, 1, 1, 1});
    const Matrix p = a * b;
    ASSERT_EQ(p.GetRows(), 2);
    ASSERT_EQ(p.GetCols(), 2);
    EXPECT_EQ(p.At(0), 4);
    EXPECT_EQ(p.At(1), 5);
    EXPECT_EQ(p.At(2), 10);
    EXPECT_EQ(p.At(3), 11);

    const Matrix s = a + a;
    EXPECT_EQ(s.At(5), 12);

    Matrix t = a;
    t.Transpose();
    ASSERT_EQ(t.GetRows(), 3);
    ASSERT_EQ(t.GetCols(), 2);
    EXPECT_EQ(t.At(1), 4); // (0, 1) holds the old (1, 0)
    EXPECT_EQ(t.At(4), 3);
    t.Transpose();
    EXPECT_EQ(t.m_Data, a.m_Data);
}

TEST(Matrix, FactorsAtOrBelowTheThresholdContributeNothing)
{
    EXPECT_EQ((Make(1, 1, {1e-10}) * Make(1, 1, {5})).At(0), 0);
    EXPECT_EQ((Make(1, 1, {5}) * Make(1, 1, {-1e-10})).At(0), 0);
    EXPECT_DOUBLE_EQ((Make(1, 1, {1.0000001e-10}) * Make(1, 1, {5})).At(0), 5.0000005e-10);
    const Matrix tiny = Make(2, 2, {1e-11, -1e-10, 1e-12, 0});
    const Matrix r = tiny * Make(2, 2, {1, 2, 3, 4});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(r.At(i), 0);
}

TEST(Matrix, MismatchedSizesAreAnErrorNotASuccess)
{
    try {
        (void)(Make(2, 2, {}) + Make(2, 1, {}));
        FAIL();
    } catch (const FatalError& e) {
        EXPECT_STREQ(e.Message(), "这两个矩阵不能相加!");
        EXPECT_EQ(e.Status(), 1);
    }
    try {
        (void)(Make(2, 2, {}) * Make(3, 1, {}));
        FAIL();
    } catch (const FatalError& e) {
        EXPECT_STREQ(e.Message(), "这两个矩阵不能相乘!");
        EXPECT_EQ(e.Status(), 1);
    }
}

TEST(Matrix, SolvesWithCompletePivoting)
{
    // The first maximal entry is at row 0, column 1: the columns are
    // exchanged and the unscrambling restores the order.
    Matrix x = Make(2, 2, {0, 1, 1, 0}).Solve(Make(2, 1, {2, 3}));
    EXPECT_EQ(x.At(0), 3);
    EXPECT_EQ(x.At(1), 2);

    x = Make(1, 1, {4}).Solve(Make(1, 1, {2}));
    EXPECT_EQ(x.At(0), 0.5);

    const Matrix a = Make(3, 3, {2, -1, 0, -1, 2, -1, 0, -1, 2});
    const Matrix b = Make(3, 1, {1, 0, 1});
    x = a.Solve(b);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(x.At(i), 1, 1e-15);
    EXPECT_EQ(a.At(0), 2); // operands unchanged
    EXPECT_EQ(b.At(0), 1);
}

TEST(Matrix, SingularSystemIsAnErrorThatSaysWhy)
{
    for (const Matrix& a : {Make(2, 2, {1, 1, 1, 1}), Make(1, 1, {0}), Make(2, 2, {1, 0, 0, 1e-17})}) {
        try {
            a.Solve(Make(a.GetRows(), 1, {1, 1}));
            FAIL();
        } catch (const FatalError& e) {
            EXPECT_EQ(std::string(e.Message()).rfind("fail: the stiffness matrix is singular", 0), 0u);
            EXPECT_EQ(e.Status(), 1);
        }
    }
}

TEST(Matrix, FastEliminationIsBitIdenticalToTheTextbookOrder)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> value(-10, 10);
    std::uniform_int_distribution<int> small(-3, 3);
    for (int trial = 0; trial < 260; ++trial) {
        // Larger systems take the path that visits only non-zero columns.
        const int n = trial < 200 ? 1 + trial % 23 : 60 + trial % 41;
        Matrix a;
        a.Resize(n, n);
        Matrix b;
        b.Resize(n, 1);
        // Sparse, banded and with repeated magnitudes, so that zero
        // multipliers, skipped rows and pivot ties all occur.
        const int kind = trial % 4;
        for (int i = 0; i < n; ++i) {
            b.At(i) = value(random);
            for (int j = 0; j < n; ++j) {
                double v = 0;
                if (kind == 0)
                    v = value(random);
                else if (kind == 1)
                    v = (std::abs(i - j) <= 2) ? small(random) : 0;
                else if (kind == 2)
                    v = (random() % 3 == 0) ? small(random) : 0;
                else
                    v = (i == j) ? 1e20 * (random() % 2) + small(random) : (random() % 4 == 0 ? small(random) : 0);
                a.At(i * n + j) = v;
            }
            a.At(i * n + i) += 0.5; // mostly regular
        }
        bool referenceFailed = false;
        Matrix expected;
        try {
            expected = a.SolvePlain(b);
        } catch (const FatalError&) {
            referenceFailed = true;
        }
        if (referenceFailed) {
            EXPECT_THROW(a.Solve(b), FatalError) << "trial " << trial;
            continue;
        }
        const Matrix actual = a.Solve(b);
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(std::memcmp(&actual.m_Data[i], &expected.m_Data[i], sizeof(double)), 0)
                << "trial " << trial << " entry " << i << ": " << actual.At(i) << " vs " << expected.At(i);
    }
}

TEST(Matrix, WritesTheTextDump)
{
    ScratchDir dir;
    Make(2, 2, {4, -2, -2, 4}).WriteToFile(dir.File("m.txt").c_str());
    const std::string s14(14, ' '), s13(13, ' ');
    EXPECT_EQ(ReadFile(dir.File("m.txt")),
              s14 + "2" + s14 + "2\n" + s14 + "4" + s13 + "-2\n" + s13 + "-2" + s14 + "4\n");

    Matrix zero;
    zero.At(0) = 0;
    zero.WriteToFile(dir.File("z.txt").c_str());
    EXPECT_EQ(ReadFile(dir.File("z.txt")), s14 + "1" + s14 + "1\n" + s14 + "0\n");

    try {
        zero.WriteToFile(dir.File("no such folder/z.txt").c_str());
        FAIL();
    } catch (const FatalError& e) {
        EXPECT_EQ(FirstLine(e.Message()), "Matrix write in the file error!");
        EXPECT_EQ(e.Status(), 1);
    }
}

} // namespace
