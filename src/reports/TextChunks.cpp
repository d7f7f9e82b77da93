#include "reports/TextChunks.h"

#include "core/Cores.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

void TextBuffer::Grow(std::size_t n)
{
    const std::size_t capacity = std::max({2 * m_Capacity, m_Size + n, std::size_t{1} << 16});
    std::unique_ptr<char[]> data(new char[capacity]);
    if (m_Size > 0)
        std::memcpy(data.get(), m_Data.get(), m_Size);
    m_Data = std::move(data);
    m_Capacity = capacity;
}

void StreamChunks(int chunks, const std::function<void(TextBuffer&, int)>& build,
                  const std::function<void(std::string_view)>& write)
{
    const int threads = std::min(CoreThreadCount(), chunks);
    if (threads <= 1) {
        TextBuffer text;
        for (int c = 0; c < chunks; ++c) {
            text.Clear();
            build(text, c);
            write(text.View());
        }
        return;
    }

    // Chunk c is built in slot c % window, which is free again once chunk
    // c - window has been written.
    const int window = 2 * threads;
    std::vector<TextBuffer> slots(static_cast<std::size_t>(window));
    std::vector<int> built(static_cast<std::size_t>(window), -1); // the chunk each slot holds, when done
    std::mutex mutex;
    std::condition_variable changed;
    int nextToBuild = 0;
    int nextToWrite = 0;
    bool stop = false;
    std::exception_ptr failure;

    auto canBuild = [&] { return !stop && nextToBuild < chunks && nextToBuild < nextToWrite + window; };
    auto fail = [&](std::exception_ptr error) {
        if (!failure)
            failure = error;
        stop = true;
        changed.notify_all();
    };
    // Builds the next chunk; called and returning with the lock held.
    auto buildNext = [&](std::unique_lock<std::mutex>& lock) {
        const int c = nextToBuild++;
        TextBuffer& text = slots[static_cast<std::size_t>(c % window)];
        lock.unlock();
        std::exception_ptr error;
        try {
            text.Clear();
            build(text, c);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error)
            fail(error);
        else
            built[static_cast<std::size_t>(c % window)] = c;
        changed.notify_all();
    };

    auto helper = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || nextToBuild >= chunks || canBuild(); });
            if (!canBuild())
                return;
            buildNext(lock);
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(helper);
        } catch (const std::system_error&) {
            break; // no thread to be had: the others, or this one, do the work
        }
    }

    // This thread writes every chunk as soon as it is its turn, and builds
    // chunks while it waits.
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (nextToWrite < chunks && !stop) {
            const std::size_t slot = static_cast<std::size_t>(nextToWrite % window);
            if (built[slot] == nextToWrite) {
                lock.unlock();
                std::exception_ptr error;
                try {
                    write(slots[slot].View());
                } catch (...) {
                    error = std::current_exception();
                }
                lock.lock();
                built[slot] = -1;
                ++nextToWrite;
                if (error)
                    fail(error);
                changed.notify_all();
            } else if (canBuild()) {
                buildNext(lock);
            } else {
                changed.wait(lock);
            }
        }
        stop = true;
        changed.notify_all();
    }
    for (std::thread& thread : helpers)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}
