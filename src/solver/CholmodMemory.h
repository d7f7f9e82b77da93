#pragma once

#include <cstddef>

// The memory functions CHOLMOD is given. Blocks of at least
// kPrefaultedBytes are mapped from the kernel, and the pages of those at
// least as large as FillInBlocksFrom says are filled in ahead of use by a
// thread that runs only while a core is otherwise idle; smaller blocks come
// from malloc. Any of them may be given back to any of these functions,
// like malloc's.
inline constexpr std::size_t kPrefaultedBytes = std::size_t{16} << 20;

void* PrefaultedMalloc(std::size_t bytes);
void* PrefaultedCalloc(std::size_t count, std::size_t size);
void* PrefaultedRealloc(void* address, std::size_t bytes);
void PrefaultedFree(void* address);

// Of the blocks mapped from now on, only those of at least bytes are
// filled in ahead of use; the others as their user touches them. Returns
// the previous limit (at first kPrefaultedBytes). A block larger than its
// user will touch costs memory when filled in whole.
std::size_t FillInBlocksFrom(std::size_t bytes);

// How many mapped blocks are currently handed out (for tests).
std::size_t PrefaultedBlockCount();
// Waits until the pages of the mapped block at address have been filled
// in; false when address is not such a block (for tests).
bool WaitForPrefault(void* address);
