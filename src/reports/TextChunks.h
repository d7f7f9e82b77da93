#pragma once

#include "core/Cores.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// A character buffer written through a raw cursor: the result files are
// hundreds of megabytes of short fields, too many for string appends.
class TextBuffer {
public:
    // A cursor with room for at least n more characters.
    char* Room(std::size_t n)
    {
        if (m_Capacity - m_Size < n)
            Grow(n);
        return m_Data.get() + m_Size;
    }
    // Everything up to end (a cursor from Room, moved on) is text.
    void Commit(const char* end) { m_Size = static_cast<std::size_t>(end - m_Data.get()); }
    std::string_view View() const { return {m_Data.get(), m_Size}; }

private:
    void Grow(std::size_t n);

    std::unique_ptr<char[]> m_Data;
    std::size_t m_Size = 0;
    std::size_t m_Capacity = 0;
};

// The text of items 0 .. count - 1 in order, as consecutive chunks:
// put(p, i) writes item i at p, at most maxChars characters, and returns
// the end. The chunks are built in parallel; the text does not depend on
// how many threads there are.
template <typename PutItem>
std::vector<TextBuffer> BuildChunks(int count, std::size_t maxChars, PutItem put)
{
    constexpr int kChunkItems = 2048;
    const int chunks = count > 0 ? (count + kChunkItems - 1) / kChunkItems : 0;
    std::vector<TextBuffer> texts(static_cast<std::size_t>(chunks));
    RunOnCores(chunks, [&](int c) {
        TextBuffer& text = texts[static_cast<std::size_t>(c)];
        const int end = c == chunks - 1 ? count : (c + 1) * kChunkItems;
        for (int i = c * kChunkItems; i < end; ++i)
            text.Commit(put(text.Room(maxChars), i));
    });
    return texts;
}
