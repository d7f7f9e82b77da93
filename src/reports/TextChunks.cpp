#include "reports/TextChunks.h"

#include <algorithm>
#include <cstring>

void TextBuffer::Grow(std::size_t n)
{
    const std::size_t capacity = std::max({2 * m_Capacity, m_Size + n, std::size_t{1} << 16});
    std::unique_ptr<char[]> data(new char[capacity]);
    if (m_Size > 0)
        std::memcpy(data.get(), m_Data.get(), m_Size);
    m_Data = std::move(data);
    m_Capacity = capacity;
}
