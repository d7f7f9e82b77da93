#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

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
    // Empties the buffer, keeping its storage.
    void Clear() { m_Size = 0; }
    // Room for at least n characters in all, at once.
    void Reserve(std::size_t n)
    {
        if (m_Capacity < n)
            Grow(n - m_Size);
    }
    std::string_view View() const { return {m_Data.get(), m_Size}; }

private:
    void Grow(std::size_t n);

    std::unique_ptr<char[]> m_Data;
    std::size_t m_Size = 0;
    std::size_t m_Capacity = 0;
};

// Has build(buffer, c) make the text of chunks c = 0 .. chunks - 1 on every
// core, and passes each chunk's text to write, on the calling thread and in
// chunk order, as soon as it and all chunks before it are done, so that
// writing overlaps building and only a few chunks are held at a time. The
// text written does not depend on the number of threads. An exception from
// build or write is rethrown here once every thread has stopped.
void StreamChunks(int chunks, const std::function<void(TextBuffer&, int)>& build,
                  const std::function<void(std::string_view)>& write);

// StreamChunks for items 0 .. count - 1, a chunk being a run of items:
// put(p, i) writes item i at p, at most maxChars characters, and returns
// the end.
template <typename PutItem>
void StreamItems(int count, std::size_t maxChars, PutItem put, const std::function<void(std::string_view)>& write)
{
    constexpr int kChunkItems = 1024;
    const int chunks = count > 0 ? (count + kChunkItems - 1) / kChunkItems : 0;
    StreamChunks(
        chunks,
        [&](TextBuffer& text, int c) {
            // A chunk never outgrows this; the pages it does not use are
            // never touched.
            text.Reserve(kChunkItems * maxChars);
            const int end = c == chunks - 1 ? count : (c + 1) * kChunkItems;
            for (int i = c * kChunkItems; i < end; ++i)
                text.Commit(put(text.Room(maxChars), i));
        },
        write);
}
