#include "core/LargePages.h"

#include <gtest/gtest.h>

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

} // namespace
