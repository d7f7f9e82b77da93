#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A square matrix in compressed sparse rows: for row i, the stored entries
// are m_Value[k] in column m_Col[k] for k in m_RowStart[i] .. m_RowStart[i + 1] - 1,
// columns ascending. Both triangles of a symmetric matrix are stored, so that
// the text dump, the product and the residual see every entry the dense
// matrix would hold. Indices are int, as the sparse solver takes them.
struct SparseMatrix {
    int m_Rows = 0;
    // With a block size of b > 1 the rows and columns come in aligned groups
    // of b (the components of one node) whose entries are stored together:
    // the rows of a group share one pattern made of whole column groups.
    // Solvers order the much smaller graph of the groups.
    int m_BlockSize = 1;
    std::vector<int> m_RowStart{0};
    std::vector<int> m_Col;
    std::vector<double> m_Value;

    std::size_t NonZeros() const { return m_Value.size(); }

    // The stored entry (i, j), or nullptr when (i, j) is not in the pattern.
    double* Find(int i, int j);
    const double* Find(int i, int j) const;

    // y = this * x; x and y hold m_Rows values and must not overlap.
    void Multiply(const double* x, double* y) const;

    // The values of the symmetric part (A + A') / 2 where it differs from A:
    // false when A is symmetric to the last bit. Otherwise values gets a
    // copy of m_Value in which every entry below the diagonal is the mean of
    // it and its mirror (zero where the mirror is not stored), which is what
    // a solver reading the lower triangle should factorise.
    bool SymmetricLowerValues(std::vector<double>& values) const;

    // The rows first .. last - 1 as the dense text dump writes them: every
    // entry, zeros included, right-aligned in 15 characters, a line end after
    // each row.
    void AppendRowsText(std::string& out, int first, int last) const;
};
