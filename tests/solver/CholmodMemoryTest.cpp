#if defined(VELA_HAVE_CHOLMOD)
#include "solver/CholmodMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// Whether every page of the block is in memory.
bool AllResident(void* address, std::size_t bytes)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((bytes + page - 1) / page);
    if (::mincore(address, bytes, resident.data()) != 0)
        return false;
    return std::all_of(resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) != 0; });
}

// Whether any page of the range is still mapped: mincore fails on a
// range that has a hole.
bool AnyMapped(void* address, std::size_t bytes)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    unsigned char resident = 0;
    for (std::size_t offset = 0; offset < bytes; offset += page)
        if (::mincore(static_cast<char*>(address) + offset, page, &resident) == 0)
            return true;
    return false;
}

// A pattern that differs from byte to byte and from block to block.
void Fill(void* address, std::size_t bytes, unsigned seed)
{
    auto* p = static_cast<unsigned char*>(address);
    for (std::size_t i = 0; i < bytes; i += 4093)
        p[i] = static_cast<unsigned char>(i * 31 + seed);
    p[bytes - 1] = static_cast<unsigned char>(seed ^ 0x5a);
}

bool Holds(const void* address, std::size_t bytes, unsigned seed)
{
    const auto* p = static_cast<const unsigned char*>(address);
    for (std::size_t i = 0; i < bytes; i += 4093)
        if (p[i] != static_cast<unsigned char>(i * 31 + seed))
            return false;
    return true;
}

} // namespace

TEST(CholmodMemory, ALargeBlockIsFilledInAheadOfUseAndGivenBackWhole)
{
    const std::size_t before = PrefaultedBlockCount();
    const std::size_t bytes = 40 * kMegabyte + 123;
    void* block = PrefaultedMalloc(bytes);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(PrefaultedBlockCount(), before + 1);
    ASSERT_TRUE(WaitForPrefault(block));
    EXPECT_TRUE(AllResident(block, bytes));
    Fill(block, bytes, 7);
    EXPECT_TRUE(Holds(block, bytes, 7));
    PrefaultedFree(block);
    EXPECT_EQ(PrefaultedBlockCount(), before);
    EXPECT_FALSE(AnyMapped(block, bytes));

    // Small blocks are malloc's, and the two kinds are freed alike.
    void* small = PrefaultedMalloc(kPrefaultedBytes - 1);
    ASSERT_NE(small, nullptr);
    EXPECT_FALSE(WaitForPrefault(small));
    EXPECT_EQ(PrefaultedBlockCount(), before);
    Fill(small, kPrefaultedBytes - 1, 3);
    PrefaultedFree(small);
    PrefaultedFree(nullptr);
}

TEST(CholmodMemory, OnlyBlocksFromTheGivenSizeOnAreFilledInAhead)
{
    const std::size_t previous = FillInBlocksFrom(64 * kMegabyte);
    EXPECT_EQ(previous, kPrefaultedBytes);
    void* workspace = PrefaultedMalloc(32 * kMegabyte);
    void* factor = PrefaultedMalloc(64 * kMegabyte);
    ASSERT_TRUE(WaitForPrefault(workspace));
    ASSERT_TRUE(WaitForPrefault(factor));
    // Mapped, but its pages left to whoever touches them.
    EXPECT_FALSE(AllResident(workspace, 32 * kMegabyte));
    EXPECT_TRUE(AllResident(factor, 64 * kMegabyte));
    // Grown past the limit, the block is filled in.
    workspace = PrefaultedRealloc(workspace, 70 * kMegabyte);
    ASSERT_TRUE(WaitForPrefault(workspace));
    EXPECT_TRUE(AllResident(workspace, 70 * kMegabyte));
    PrefaultedFree(workspace);
    PrefaultedFree(factor);
    EXPECT_EQ(FillInBlocksFrom(previous), 64 * kMegabyte);
}

TEST(CholmodMemory, ABlockFreedWhileItsPagesAreStillBeingFilledInIsGivenBack)
{
    // Freed at once, long before a quarter of a gigabyte is filled in: the
    // free must stop the filling rather than leave it writing to pages
    // that are gone.
    const std::size_t before = PrefaultedBlockCount();
    for (int i = 0; i < 4; ++i) {
        void* block = PrefaultedMalloc(256 * kMegabyte);
        ASSERT_NE(block, nullptr);
        static_cast<char*>(block)[0] = 1;
        PrefaultedFree(block);
    }
    EXPECT_EQ(PrefaultedBlockCount(), before);
}

TEST(CholmodMemory, CallocGivesZerosAndRefusesAProductThatOverflows)
{
    const std::size_t count = 3 * kMegabyte, size = 8;
    auto* zeros = static_cast<double*>(PrefaultedCalloc(count, size));
    ASSERT_NE(zeros, nullptr);
    EXPECT_TRUE(std::all_of(zeros, zeros + count, [](double v) { return v == 0.0; }));
    PrefaultedFree(zeros);

    auto* small = static_cast<int*>(PrefaultedCalloc(1000, sizeof(int)));
    ASSERT_NE(small, nullptr);
    EXPECT_TRUE(std::all_of(small, small + 1000, [](int v) { return v == 0; }));
    PrefaultedFree(small);

    // count * size would wrap round to 32 MB.
    EXPECT_EQ(PrefaultedCalloc(SIZE_MAX / 8 + 1 + 4 * kMegabyte, 8), nullptr);
}

TEST(CholmodMemory, ReallocKeepsWhatTheBlockHeldWhetherItGrowsOrShrinks)
{
    const std::size_t before = PrefaultedBlockCount();
    std::size_t bytes = 20 * kMegabyte;
    void* block = PrefaultedMalloc(bytes);
    ASSERT_NE(block, nullptr);
    Fill(block, bytes, 11);

    // Grown: what it held stays, the new end can be written, and the
    // block is still one of the mapped ones (freed as such below).
    void* grown = PrefaultedRealloc(block, 3 * bytes);
    ASSERT_NE(grown, nullptr);
    EXPECT_TRUE(Holds(grown, bytes, 11));
    EXPECT_EQ(static_cast<unsigned char*>(grown)[bytes - 1], 11 ^ 0x5a);
    static_cast<char*>(grown)[3 * bytes - 1] = 1;
    EXPECT_EQ(PrefaultedBlockCount(), before + 1);
    ASSERT_TRUE(WaitForPrefault(grown));
    EXPECT_TRUE(AllResident(grown, 3 * bytes));

    // Trimmed, even below the size that maps: the prefix stays.
    void* trimmed = PrefaultedRealloc(grown, kMegabyte);
    ASSERT_NE(trimmed, nullptr);
    EXPECT_TRUE(Holds(trimmed, kMegabyte, 11));
    EXPECT_TRUE(WaitForPrefault(trimmed));
    PrefaultedFree(trimmed);
    EXPECT_EQ(PrefaultedBlockCount(), before);

    // A grown block is given back whole.
    void* again = PrefaultedRealloc(PrefaultedMalloc(bytes), 3 * bytes);
    ASSERT_NE(again, nullptr);
    PrefaultedFree(again);
    EXPECT_FALSE(AnyMapped(again, 3 * bytes));

    // From nothing, a large block is a mapped one; a small one is malloc's
    // and grows as malloc's.
    void* fresh = PrefaultedRealloc(nullptr, bytes);
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(WaitForPrefault(fresh));
    PrefaultedFree(fresh);
    void* small = PrefaultedRealloc(nullptr, 100);
    ASSERT_NE(small, nullptr);
    std::memset(small, 9, 100);
    small = PrefaultedRealloc(small, 100000);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(small)[99], 9);
    EXPECT_FALSE(WaitForPrefault(small));
    PrefaultedFree(small);
    EXPECT_EQ(PrefaultedBlockCount(), before);
}

TEST(CholmodMemory, ThreadsMayTakeAndGiveBackBlocksAtOnce)
{
    // CHOLMOD's own threads and the program's may allocate together.
    const std::size_t before = PrefaultedBlockCount();
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 8; ++i) {
                const std::size_t bytes = (16 + t + static_cast<std::size_t>(i)) * kMegabyte;
                void* block = PrefaultedMalloc(bytes);
                if (!block)
                    continue;
                Fill(block, bytes, t);
                block = PrefaultedRealloc(block, bytes + kMegabyte);
                EXPECT_TRUE(Holds(block, bytes, t));
                PrefaultedFree(block);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(PrefaultedBlockCount(), before);
}
#endif
