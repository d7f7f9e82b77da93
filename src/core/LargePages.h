#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A large frame's elements, stiffness matrix and factor are hundreds of
// megabytes that are written once and read a few times: in pages of 4 KiB
// the kernel takes a fault for each, which costs a third of a 100,000-node
// run on a virtual machine. Where the system gives large pages (2 MiB) to
// memory that asks for them, and the program's memory allocator would ask
// only when told so at start (glibc's malloc, which reads its settings
// from the environment once), this starts the program again, at once,
// with that setting added; otherwise, and when that fails, it returns and
// the program runs as it is. Call it first thing in main, with main's argv.
void RunWithLargeMemoryPages(char** argv);

// The decision: the value GLIBC_TUNABLES should have for large pages,
// given its value now (nullptr: unset) and the kernel's setting of
// transparent huge pages ("always [madvise] never"); nothing when no
// restart is called for (already set, or the kernel gives them to every
// program, or to none).
std::optional<std::string> LargePageTunables(const char* tunables, const std::string& kernelSetting);

// Whether one of the words names a regular file of at least bytes: a
// program restarted for large pages starts twice (some 25 ms with the
// libraries it loads), which a frame of a thousand nodes would notice and
// does not repay, while from a few thousand nodes on the pages save far
// more (0.15 s of 0.5 s at 10,000 nodes).
bool NamesFileOfAtLeast(const std::vector<std::string>& words, std::uintmax_t bytes);

// The size of Beam System File from which the restart pays: about 3,500
// nodes.
inline constexpr std::uintmax_t kLargePagesFileBytes = 256u << 10;
