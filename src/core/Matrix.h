#pragma once

#include "core/FatalError.h"

#include <cstddef>
#include <string>
#include <vector>

// Dense row-major matrix of doubles; a vector is an n x 1 matrix indexed by
// its linear index alone. Element (i, j) of an r x c matrix is At(i * c + j).
class Matrix {
public:
    Matrix();

    // Discards the contents and makes the matrix rows x cols, all zeros.
    void Resize(int rows, int cols);

    double& At(int index) { return m_Data[static_cast<std::size_t>(index)]; }
    double At(int index) const { return m_Data[static_cast<std::size_t>(index)]; }
    double* Data() { return m_Data.data(); }
    const double* Data() const { return m_Data.data(); }

    int GetRows() const { return m_Rows; }
    int GetCols() const { return m_Cols; }

    // Element-wise sum; the sizes must agree.
    Matrix operator+(const Matrix& b) const;
    // Product this * b. Factors of magnitude 1e-10 or less count as
    // structural zeros and contribute nothing: this removes the round-off of
    // direction cosines of members parallel to an axis.
    Matrix operator*(const Matrix& b) const;
    // Transposes in place and returns the matrix itself.
    Matrix& Transpose();

    // Solves this * x = b by Gaussian elimination with complete pivoting;
    // neither operand changes. Throws FatalError for a singular system.
    Matrix Solve(const Matrix& b) const;
    // The same elimination in its plain textbook order, which Solve, keeping
    // its pivot search up to date instead of repeating it, must match bit
    // for bit.
    Matrix SolvePlain(const Matrix& b) const;

    // Writes the matrix as text (sizes, then one line per row, every item
    // right-aligned in 15 characters), replacing the file.
    void WriteToFile(const char* fileName) const;
    // The same text, appended to out.
    void AppendText(std::string& out) const;

    std::vector<double> m_Data;
    int m_Rows;
    int m_Cols;
    bool m_Symmetric;
};

// What every solver reports for a singular system.
extern const char* const kSingularSystemMessage;

// A singular system, with where the solver found it: an unknown (by its
// index in the system; negative when the solver cannot tell) for which no
// usable pivot was left, and how many unknowns were left without one (0
// when the solver cannot tell).
class SingularSystemError : public FatalError {
public:
    explicit SingularSystemError(int unknown, int left = 0)
        : FatalError(kSingularSystemMessage, 1), m_Unknown(unknown), m_Left(left)
    {
    }
    int Unknown() const noexcept { return m_Unknown; }
    int Left() const noexcept { return m_Left; }

private:
    int m_Unknown;
    int m_Left;
};

// The magnitude at or below which a factor of a product counts as zero.
inline constexpr double kProductZero = 1e-10;

inline bool ProductCounts(double a, double b)
{
    return (a > kProductZero || a < -kProductZero) && (b > kProductZero || b < -kProductZero);
}
