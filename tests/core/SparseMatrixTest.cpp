#include "core/SparseMatrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// 3 x 3, full pattern, rows (4 1 0), (1 5 2), (0 2 6) but for the entries
// the test changes.
SparseMatrix Three()
{
    SparseMatrix m;
    m.m_Rows = 3;
    m.m_RowStart = {0, 2, 5, 7};
    m.m_Col = {0, 1, 0, 1, 2, 1, 2};
    m.m_Value = {4, 1, 1, 5, 2, 2, 6};
    return m;
}

TEST(SparseMatrix, TheSymmetricPartIsAskedForOnlyWhereTheMatrixDiffersFromItsMirror)
{
    std::vector<double> values{42};
    EXPECT_FALSE(Three().SymmetricLowerValues(values));
    EXPECT_EQ(values, std::vector<double>{42}); // untouched

    // (2, 1) = 2 but (1, 2) = 3: the lower entry becomes their mean, the
    // rest stays as it is, the upper triangle included.
    SparseMatrix m = Three();
    *m.Find(1, 2) = 3;
    ASSERT_TRUE(m.SymmetricLowerValues(values));
    EXPECT_EQ(values, (std::vector<double>{4, 1, 1, 5, 3, 2.5, 6}));

    // A mirror outside the pattern counts as zero.
    SparseMatrix lower = Three();
    lower.m_RowStart = {0, 1, 3, 5};
    lower.m_Col = {0, 0, 1, 1, 2};
    lower.m_Value = {4, 1, 5, 2, 6};
    ASSERT_TRUE(lower.SymmetricLowerValues(values));
    EXPECT_EQ(values, (std::vector<double>{4, 0.5, 5, 1, 6}));
}

} // namespace
