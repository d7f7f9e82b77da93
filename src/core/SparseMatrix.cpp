#include "core/SparseMatrix.h"

#include "core/NumberFormat.h"

#include <algorithm>
#include <cstring>

const double* SparseMatrix::Find(int i, int j) const
{
    if (i < 0 || i >= m_Rows)
        return nullptr;
    const int* first = m_Col.data() + m_RowStart[static_cast<std::size_t>(i)];
    const int* last = m_Col.data() + m_RowStart[static_cast<std::size_t>(i) + 1];
    const int* at = std::lower_bound(first, last, j);
    if (at == last || *at != j)
        return nullptr;
    return m_Value.data() + (at - m_Col.data());
}

double* SparseMatrix::Find(int i, int j)
{
    return const_cast<double*>(static_cast<const SparseMatrix&>(*this).Find(i, j));
}

void SparseMatrix::Multiply(const double* x, double* y) const
{
    const int* start = m_RowStart.data();
    const int* col = m_Col.data();
    const double* value = m_Value.data();
    for (int i = 0; i < m_Rows; ++i) {
        double sum = 0.0;
        for (int k = start[i]; k < start[i + 1]; ++k)
            sum += value[k] * x[col[k]];
        y[i] = sum;
    }
}

bool SparseMatrix::SymmetricLowerValues(std::vector<double>& values) const
{
    // Rows are taken in order, so the mirrors (j, i) of the entries below
    // the diagonal come in column order within each row j: one cursor per
    // row finds them all in a single pass.
    const std::size_t n = static_cast<std::size_t>(m_Rows);
    std::vector<int> cursor(m_RowStart.begin(), m_RowStart.end() - 1);
    bool symmetric = true;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            if (symmetric)
                return false;
            values = m_Value;
            std::copy(m_RowStart.begin(), m_RowStart.end() - 1, cursor.begin());
        }
        for (std::size_t i = 0; i < n; ++i) {
            for (int k = m_RowStart[i]; k < m_RowStart[i + 1]; ++k) {
                const int j = m_Col[static_cast<std::size_t>(k)];
                if (j >= static_cast<int>(i))
                    break;
                int& at = cursor[static_cast<std::size_t>(j)];
                while (at < m_RowStart[static_cast<std::size_t>(j) + 1] &&
                       m_Col[static_cast<std::size_t>(at)] < static_cast<int>(i))
                    ++at;
                const double mirror = at < m_RowStart[static_cast<std::size_t>(j) + 1] &&
                                              m_Col[static_cast<std::size_t>(at)] == static_cast<int>(i)
                                          ? m_Value[static_cast<std::size_t>(at)]
                                          : 0.0;
                const double own = m_Value[static_cast<std::size_t>(k)];
                if (pass == 0)
                    symmetric = symmetric && (own == mirror || (own != own && mirror != mirror));
                else if (own != mirror)
                    values[static_cast<std::size_t>(k)] = own / 2 + mirror / 2;
            }
        }
    }
    return true;
}

void SparseMatrix::AppendRowsText(std::string& out, int first, int last) const
{
    // Almost every entry is a zero, written as the same 15 characters: each
    // row starts as a copy of a row of zeros, and only the stored entries go
    // through the formatter.
    constexpr std::size_t width = 15;
    const std::size_t n = static_cast<std::size_t>(m_Rows);
    std::string zeros(n * width + 1, ' ');
    for (std::size_t j = 0; j < n; ++j)
        zeros[j * width + width - 1] = '0';
    zeros[n * width] = '\n';
    out.reserve(out.size() + static_cast<std::size_t>(std::max(0, last - first)) * zeros.size());
    for (int i = first; i < last; ++i) {
        const std::size_t begin = out.size();
        out += zeros;
        char* row = out.data() + begin;
        for (int k = m_RowStart[static_cast<std::size_t>(i)]; k < m_RowStart[static_cast<std::size_t>(i) + 1]; ++k) {
            char text[kNumberBufferSize];
            const int length = FormatNumberTo(text, m_Value[static_cast<std::size_t>(k)]);
            char* field = row + static_cast<std::size_t>(m_Col[static_cast<std::size_t>(k)]) * width;
            // Six significant digits never take more than 13 characters
            // ("-1.23457e+308"), so every number fits its field.
            std::memset(field, ' ', width - static_cast<std::size_t>(length));
            std::memcpy(field + width - static_cast<std::size_t>(length), text, static_cast<std::size_t>(length));
        }
    }
}
