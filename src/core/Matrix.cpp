#include "core/Matrix.h"

#include "core/FatalError.h"
#include "core/NumberFormat.h"
#include "core/TextFile.h"

#include <cmath>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char* const kSingularSystemMessage =
    "fail: the stiffness matrix is singular; the structure is a mechanism or is not supported enough";

namespace {

const char* const kCannotAdd = "这两个矩阵不能相加!";
const char* const kCannotMultiply = "这两个矩阵不能相乘!";

// Largest magnitude among row[begin, end) and the first column holding it.
// A zero or NaN entry never becomes the maximum, as in the pivot search.
struct RowMax {
    double value;
    int col;
};

// The unknown (by its index before any column exchange) standing in column
// position after the exchanges colOf[0 .. steps - 1].
int UnknownAt(const std::vector<int>& colOf, int steps, int position)
{
    std::vector<int> unknown(colOf.size());
    for (std::size_t i = 0; i < unknown.size(); ++i)
        unknown[i] = static_cast<int>(i);
    for (int k = 0; k < steps; ++k)
        std::swap(unknown[static_cast<std::size_t>(k)],
                  unknown[static_cast<std::size_t>(colOf[static_cast<std::size_t>(k)])]);
    return unknown[static_cast<std::size_t>(position)];
}

RowMax ScanRow(const double* row, int begin, int end)
{
    double best = 0.0;
    int j = begin;
#if defined(__SSE2__)
    // maxpd(v, best) is (v > best ? v : best) lane by lane, NaN included.
    const __m128d signMask = _mm_set1_pd(-0.0);
    __m128d best0 = _mm_setzero_pd();
    __m128d best1 = _mm_setzero_pd();
    for (; j + 4 <= end; j += 4) {
        best0 = _mm_max_pd(_mm_andnot_pd(signMask, _mm_loadu_pd(row + j)), best0);
        best1 = _mm_max_pd(_mm_andnot_pd(signMask, _mm_loadu_pd(row + j + 2)), best1);
    }
    double lanes[4];
    _mm_storeu_pd(lanes, best0);
    _mm_storeu_pd(lanes + 2, best1);
    for (double lane : lanes)
        best = lane > best ? lane : best;
#endif
    for (; j < end; ++j) {
        const double v = std::fabs(row[j]);
        best = v > best ? v : best;
    }
    int col = begin;
    if (best > 0.0)
        while (!(std::fabs(row[col]) == best))
            ++col;
    return {best, col};
}

} // namespace

Matrix::Matrix() : m_Data(1, 0.0), m_Rows(1), m_Cols(1), m_Symmetric(false) {}

void Matrix::Resize(int rows, int cols)
{
    m_Rows = rows;
    m_Cols = cols;
    std::vector<double>(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), 0.0).swap(m_Data);
}

Matrix Matrix::operator+(const Matrix& b) const
{
    if (m_Rows != b.m_Rows || m_Cols != b.m_Cols)
        throw FatalError(kCannotAdd, 1);
    Matrix result;
    result.Resize(m_Rows, m_Cols);
    for (std::size_t k = 0; k < m_Data.size(); ++k)
        result.m_Data[k] = b.m_Data[k] + m_Data[k];
    return result;
}

Matrix Matrix::operator*(const Matrix& b) const
{
    if (m_Cols != b.m_Rows)
        throw FatalError(kCannotMultiply, 1);
    Matrix result;
    result.Resize(m_Rows, b.m_Cols);
    const std::size_t inner = static_cast<std::size_t>(m_Cols);
    const std::size_t cols = static_cast<std::size_t>(b.m_Cols);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_Rows); ++i) {
        for (std::size_t j = 0; j < cols; ++j) {
            double sum = 0.0;
            for (std::size_t k = 0; k < inner; ++k) {
                const double x = m_Data[i * inner + k];
                const double y = b.m_Data[k * cols + j];
                if (ProductCounts(x, y))
                    sum += x * y;
            }
            result.m_Data[i * cols + j] = sum;
        }
    }
    return result;
}

Matrix& Matrix::Transpose()
{
    const std::vector<double> old = m_Data;
    const std::size_t rows = static_cast<std::size_t>(m_Rows);
    const std::size_t cols = static_cast<std::size_t>(m_Cols);
    std::swap(m_Rows, m_Cols);
    for (std::size_t i = 0; i < cols; ++i)
        for (std::size_t j = 0; j < rows; ++j)
            m_Data[i * rows + j] = old[j * cols + i];
    return *this;
}

// Gaussian elimination with complete pivoting. The pivot of each step is the
// first entry of largest magnitude, in row-major order, of the remaining
// block. Rather than scanning the whole block at every step (which makes the
// elimination sweep memory twice), each row keeps the largest magnitude of
// its remaining part and where it stands: a row that is updated is rescanned
// while it is still in cache, and a row whose multiplier is exactly zero is
// left alone (subtracting zero would change nothing) and only has its record
// mended for the column exchange. Likewise only the columns where the pivot
// row is non-zero are updated when there are few of them. The arithmetic of
// every entry that changes is that of the plain textbook order, so results
// are identical to the last bit.
Matrix Matrix::Solve(const Matrix& b) const
{
    const int n = m_Cols;
    if (m_Rows != n || b.m_Rows != n || b.m_Cols != 1)
        throw FatalError(kCannotMultiply, 1);

    std::vector<double> a = m_Data;
    Matrix x = b;
    double* xv = x.m_Data.data();
    const std::size_t un = static_cast<std::size_t>(n);
    auto row = [&](int i) { return a.data() + static_cast<std::size_t>(i) * un; };

    std::vector<int> colOf(un > 0 ? un : 1);
    std::vector<RowMax> rowMax(un);
    std::vector<int> nonZero;
    nonZero.reserve(un);
    for (int i = 0; i < n; ++i)
        rowMax[static_cast<std::size_t>(i)] = ScanRow(row(i), 0, n);

    for (int k = 0; k + 1 < n; ++k) {
        double best = 0.0;
        int p = k;
        int q = k;
        for (int i = k; i < n; ++i) {
            const RowMax& r = rowMax[static_cast<std::size_t>(i)];
            if (r.value > best) {
                best = r.value;
                p = i;
                q = r.col;
            }
        }
        if (1.0 + best == 1.0)
            throw SingularSystemError(UnknownAt(colOf, k, k), n - k);
        colOf[static_cast<std::size_t>(k)] = q;

        if (q != k)
            for (int i = 0; i < n; ++i)
                std::swap(row(i)[k], row(i)[q]);
        if (p != k) {
            double* rk = row(k);
            double* rp = row(p);
            for (int j = k; j < n; ++j)
                std::swap(rk[j], rp[j]);
            std::swap(xv[k], xv[p]);
            std::swap(rowMax[static_cast<std::size_t>(k)], rowMax[static_cast<std::size_t>(p)]);
        }

        double* pivotRow = row(k);
        const double d = pivotRow[k];
        for (int j = k + 1; j < n; ++j)
            pivotRow[j] = pivotRow[j] / d;
        xv[k] = xv[k] / d;

        // A stiffness matrix keeps many zeros: only the columns where the
        // pivot row is non-zero change, and where there are few of them
        // only those are visited.
        nonZero.clear();
        for (int j = k + 1; j < n; ++j)
            if (pivotRow[j] != 0.0)
                nonZero.push_back(j);
        const bool sparse = 2 * nonZero.size() < static_cast<std::size_t>(n - k - 1);

        for (int i = k + 1; i < n; ++i) {
            double* ri = row(i);
            const double m = ri[k];
            RowMax& r = rowMax[static_cast<std::size_t>(i)];
            // The exchange moved the old column k to column q.
            bool rescan = false;
            if (q != k) {
                if (r.col == k || r.col == q)
                    rescan = true;
                else if (q < r.col && std::fabs(ri[q]) == r.value)
                    r.col = q;
            } else if (r.col == k) {
                rescan = true;
            }
            if (m == 0.0) {
                // Subtracting zero would change nothing.
                if (rescan)
                    r = ScanRow(ri, k + 1, n);
                continue;
            }
            if (sparse) {
                for (int j : nonZero)
                    ri[j] = ri[j] - pivotRow[j] * m;
            } else {
                for (int j = k + 1; j < n; ++j)
                    ri[j] = ri[j] - pivotRow[j] * m;
            }
            // Only the changed entries can move the maximum, unless the old
            // maximum itself shrank.
            if (!rescan && pivotRow[r.col] != 0.0) {
                const double v = std::fabs(ri[r.col]);
                if (v >= r.value)
                    r.value = v;
                else
                    rescan = true;
            }
            if (rescan) {
                r = ScanRow(ri, k + 1, n);
            } else {
                for (int j : nonZero) {
                    const double v = std::fabs(ri[j]);
                    if (v > r.value || (v == r.value && j < r.col)) {
                        r.value = v;
                        r.col = j;
                    }
                }
            }
            xv[i] = xv[i] - m * xv[k];
        }
    }

    if (n > 0) {
        const double d = row(n - 1)[n - 1];
        if (1.0 + std::fabs(d) == 1.0)
            throw SingularSystemError(UnknownAt(colOf, n - 1, n - 1), 1);
        xv[n - 1] = xv[n - 1] / d;
    }

    for (int i = n - 2; i >= 0; --i) {
        const double* ri = row(i);
        double sum = 0.0;
        for (int j = i + 1; j < n; ++j)
            sum += ri[j] * xv[j];
        xv[i] = xv[i] - sum;
    }

    if (n > 0)
        colOf[un - 1] = n - 1;
    for (int k = n - 1; k >= 0; --k) {
        const int c = colOf[static_cast<std::size_t>(k)];
        if (c != k)
            std::swap(xv[k], xv[c]);
    }
    return x;
}

void Matrix::AppendText(std::string& out) const
{
    AppendIntField(out, m_Rows, 15);
    AppendIntField(out, m_Cols, 15);
    out += '\n';
    const std::size_t cols = static_cast<std::size_t>(m_Cols);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_Rows); ++i) {
        for (std::size_t j = 0; j < cols; ++j)
            AppendNumberField(out, m_Data[i * cols + j], 15);
        out += '\n';
    }
}

void Matrix::WriteToFile(const char* fileName) const
{
    std::string text;
    text.reserve(static_cast<std::size_t>(m_Rows) * (static_cast<std::size_t>(m_Cols) * 15 + 1) + 32);
    AppendText(text);
    WriteTextFile(fileName, text, "Matrix write in the file error!");
}

// The textbook order: a full pivot search over the remaining block at every
// step, every row updated.
Matrix Matrix::SolvePlain(const Matrix& b) const
{
    const int n = m_Cols;
    if (m_Rows != n || b.m_Rows != n || b.m_Cols != 1)
        throw FatalError(kCannotMultiply, 1);
    if (n == 0)
        return b;
    std::vector<double> a = m_Data;
    Matrix x = b;
    std::vector<int> colOf(static_cast<std::size_t>(n > 0 ? n : 1));
    auto at = [&](int i, int j) -> double& {
        return a[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)];
    };
    for (int k = 0; k < n - 1; ++k) {
        double best = 0;
        int p = k, q = k;
        for (int i = k; i < n; ++i)
            for (int j = k; j < n; ++j)
                if (std::fabs(at(i, j)) > best) {
                    best = std::fabs(at(i, j));
                    p = i;
                    q = j;
                }
        if (1.0 + best == 1.0)
            throw SingularSystemError(UnknownAt(colOf, k, k), n - k);
        colOf[static_cast<std::size_t>(k)] = q;
        if (q != k)
            for (int i = 0; i < n; ++i)
                std::swap(at(i, k), at(i, q));
        if (p != k) {
            for (int j = k; j < n; ++j)
                std::swap(at(k, j), at(p, j));
            std::swap(x.At(k), x.At(p));
        }
        const double d = at(k, k);
        for (int j = k + 1; j < n; ++j)
            at(k, j) = at(k, j) / d;
        x.At(k) = x.At(k) / d;
        for (int i = k + 1; i < n; ++i) {
            for (int j = k + 1; j < n; ++j)
                at(i, j) = at(i, j) - at(k, j) * at(i, k);
            x.At(i) = x.At(i) - at(i, k) * x.At(k);
        }
    }
    if (1.0 + std::fabs(at(n - 1, n - 1)) == 1.0)
        throw SingularSystemError(UnknownAt(colOf, n - 1, n - 1), 1);
    x.At(n - 1) = x.At(n - 1) / at(n - 1, n - 1);
    for (int i = n - 2; i >= 0; --i) {
        double sum = 0;
        for (int j = i + 1; j < n; ++j)
            sum += at(i, j) * x.At(j);
        x.At(i) = x.At(i) - sum;
    }
    colOf[static_cast<std::size_t>(n - 1)] = n - 1;
    for (int k = n - 1; k >= 0; --k)
        if (colOf[static_cast<std::size_t>(k)] != k)
            std::swap(x.At(k), x.At(colOf[static_cast<std::size_t>(k)]));
    return x;
}
