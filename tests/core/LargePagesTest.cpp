#include "core/LargePages.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(LargePages, AskedForOnlyWhereTheKernelGivesThemOnRequest)
{
    const std::string onRequest = "always [madvise] never";
    EXPECT_EQ(LargePageTunables(nullptr, onRequest), "glibc.malloc.hugetlb=1");
    // The user's own settings are kept.
    EXPECT_EQ(LargePageTunables("glibc.malloc.check=3", onRequest), "glibc.malloc.check=3:glibc.malloc.hugetlb=1");
    EXPECT_EQ(LargePageTunables("", onRequest), "glibc.malloc.hugetlb=1");
    // Already asked for (the restarted program, or the user): no restart.
    EXPECT_EQ(LargePageTunables("glibc.malloc.hugetlb=0", onRequest), std::nullopt);
    EXPECT_EQ(LargePageTunables("x=1:glibc.malloc.hugetlb=1", onRequest), std::nullopt);
    // Every program has them, or none does, or the setting is unknown.
    EXPECT_EQ(LargePageTunables(nullptr, "[always] madvise never"), std::nullopt);
    EXPECT_EQ(LargePageTunables(nullptr, "always madvise [never]"), std::nullopt);
    EXPECT_EQ(LargePageTunables(nullptr, ""), std::nullopt);
}

TEST(LargePages, OnlyALargeFileNamedOnTheCommandLineIsWorthTheRestart)
{
    ScratchDir dir;
    const std::string small = dir.Write("small.txt", std::string(1000, 'x'));
    const std::string large = dir.Write("large.txt", "");
    std::filesystem::resize_file(large, kLargePagesFileBytes);
    EXPECT_FALSE(NamesFileOfAtLeast({"solve", small, "-C", dir.Path()}, kLargePagesFileBytes));
    EXPECT_TRUE(NamesFileOfAtLeast({"solve", large, "-C", dir.Path()}, kLargePagesFileBytes));
    EXPECT_TRUE(NamesFileOfAtLeast({"render", "-o", "p.png", large}, kLargePagesFileBytes));
    EXPECT_FALSE(NamesFileOfAtLeast({"solve", large}, kLargePagesFileBytes + 1));
    // A folder, however much it holds, and a file that is not there.
    EXPECT_FALSE(NamesFileOfAtLeast({dir.Path(), dir.File("missing.txt"), "--version"}, 1));
    EXPECT_FALSE(NamesFileOfAtLeast({}, 0));
}

} // namespace
