#include "core/Cores.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_CoreLimit{0};

} // namespace

int CoreThreadCount()
{
    if (const int limit = g_CoreLimit.load(); limit > 0)
        return limit;
    // The work this is for (element results, result file text) soon
    // waits on memory: more threads than this gain little.
    constexpr unsigned kMaxThreads = 4;
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads));
}

int SetCoreLimit(int threads)
{
    return g_CoreLimit.exchange(threads > 0 ? threads : 0);
}

void RunOnCores(int count, const std::function<void(int)>& work)
{
    const int threads = std::min(CoreThreadCount(), count);
    if (threads <= 1) {
        for (int i = 0; i < count; ++i)
            work(i);
        return;
    }

    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto run = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break; // no thread to be had: the others, or this one, do the work
        }
    }
    run();
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

int ChunkCount(int count, int chunkSize)
{
    return count > 0 && chunkSize > 0 ? (count - 1) / chunkSize + 1 : 0;
}

void RunInChunks(int count, int chunkSize, const std::function<void(int chunk, int begin, int end)>& work)
{
    RunOnCores(ChunkCount(count, chunkSize), [&](int c) {
        const int begin = c * chunkSize;
        work(c, begin, count - begin < chunkSize ? count : begin + chunkSize);
    });
}
