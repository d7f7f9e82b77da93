#include "solver/CholmodMemory.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>

// The factor of a large frame is hundreds of megabytes, and the kernel
// zeroes each fresh page on first touch: on a virtual machine that was a
// third of a 100,000-node solution, all of it on the core that factorises
// while the other mostly waits for fronts large enough to share. So the
// large blocks are mapped here, and for those large enough (the factor's
// values, see FillInBlocksFrom) a thread that runs only when a core is
// idle has the kernel fill in their pages from the start, ahead of the
// factorisation writing them. Filling in a page does not change what it
// holds, so the two never race on the data; a page the factorisation
// reaches first is simply skipped by the kernel.

namespace {

constexpr std::size_t kPrefaultStep = std::size_t{2} << 20;

struct LargeBlock {
    void* address = nullptr;
    std::size_t bytes = 0;
    std::atomic<bool> stop{false};
    std::thread filler;

    void StopFiller()
    {
        stop = true;
        if (filler.joinable())
            filler.join();
    }
};

std::mutex g_Mutex;
std::atomic<std::size_t> g_FillInFrom{kPrefaultedBytes};

// Never destroyed: CHOLMOD may free a block while static objects are torn
// down at exit.
std::vector<std::unique_ptr<LargeBlock>>& Blocks()
{
    static auto* blocks = new std::vector<std::unique_ptr<LargeBlock>>();
    return *blocks;
}

void FillPages(LargeBlock* block)
{
    sched_param idle{};
    ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idle);
    char* begin = static_cast<char*>(block->address);
    for (std::size_t offset = 0; offset < block->bytes && !block->stop.load(std::memory_order_relaxed);
         offset += kPrefaultStep) {
        // Older kernels lack MADV_POPULATE_WRITE; the pages are then left
        // to be touched by their user, as without this file.
        if (::madvise(begin + offset, std::min(kPrefaultStep, block->bytes - offset), MADV_POPULATE_WRITE) != 0)
            break;
    }
}

void StartFiller(LargeBlock& block)
{
    block.stop = false;
    if (block.bytes < g_FillInFrom.load())
        return;
    try {
        block.filler = std::thread(FillPages, &block);
    } catch (const std::system_error&) {
        // No thread to spare: the pages are filled in on first touch.
    }
}

void* MapLarge(std::size_t bytes)
{
    void* address = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return nullptr;
    // Large pages: one fault per 2 MB instead of per 4 kB where the
    // kernel allows it.
    ::madvise(address, bytes, MADV_HUGEPAGE);
    auto block = std::make_unique<LargeBlock>();
    block->address = address;
    block->bytes = bytes;
    LargeBlock& registered = *block;
    std::lock_guard<std::mutex> lock(g_Mutex);
    try {
        Blocks().push_back(std::move(block));
    } catch (const std::bad_alloc&) {
        ::munmap(address, bytes);
        return nullptr;
    }
    StartFiller(registered);
    return address;
}

// The block at address, taken off the list; null when it is not one.
std::unique_ptr<LargeBlock> Take(void* address)
{
    std::lock_guard<std::mutex> lock(g_Mutex);
    auto& blocks = Blocks();
    auto it = std::find_if(blocks.begin(), blocks.end(), [address](const auto& b) { return b->address == address; });
    if (it == blocks.end())
        return nullptr;
    std::unique_ptr<LargeBlock> block = std::move(*it);
    blocks.erase(it);
    return block;
}

} // namespace

void* PrefaultedMalloc(std::size_t bytes)
{
    return bytes >= kPrefaultedBytes ? MapLarge(bytes) : std::malloc(bytes);
}

void* PrefaultedCalloc(std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    // A fresh mapping is zero already.
    return count * size >= kPrefaultedBytes ? MapLarge(count * size) : std::calloc(count, size);
}

void PrefaultedFree(void* address)
{
    if (!address)
        return;
    if (std::unique_ptr<LargeBlock> block = Take(address)) {
        block->StopFiller();
        ::munmap(block->address, block->bytes);
    } else {
        std::free(address);
    }
}

void* PrefaultedRealloc(void* address, std::size_t bytes)
{
    std::unique_ptr<LargeBlock> block = address ? Take(address) : nullptr;
    if (!block)
        return address ? std::realloc(address, bytes) : PrefaultedMalloc(bytes);
    // The kernel moves or trims the pages themselves: nothing is copied,
    // and a block cut down (CHOLMOD trims what it over-allocated) never
    // exists twice.
    block->StopFiller();
    const std::size_t wanted = std::max<std::size_t>(bytes, 1);
    void* moved = ::mremap(block->address, block->bytes, wanted, MREMAP_MAYMOVE);
    if (moved != MAP_FAILED) {
        block->address = moved;
        block->bytes = wanted;
    }
    std::lock_guard<std::mutex> lock(g_Mutex);
    LargeBlock& kept = *block;
    Blocks().push_back(std::move(block));
    StartFiller(kept);
    return moved == MAP_FAILED ? nullptr : moved;
}

std::size_t FillInBlocksFrom(std::size_t bytes)
{
    return g_FillInFrom.exchange(bytes);
}

std::size_t PrefaultedBlockCount()
{
    std::lock_guard<std::mutex> lock(g_Mutex);
    return Blocks().size();
}

bool WaitForPrefault(void* address)
{
    std::lock_guard<std::mutex> lock(g_Mutex);
    for (auto& block : Blocks())
        if (block->address == address) {
            if (block->filler.joinable())
                block->filler.join();
            return true;
        }
    return false;
}
