#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/TextFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

// The file-system boundary: UTF-8 paths reach the system intact, and a
// file is replaced in one step, on every system.

namespace fs = std::filesystem;

namespace {

const std::string kChineseName = "综合算例.txt"; // four characters, twelve bytes of UTF-8

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathFromUtf8(folder)))
        names.insert(Utf8FromPath(entry.path().filename()));
    return names;
}

} // namespace

TEST(PlatformFiles, AUtf8PathIsTheSystemsPathOfThoseCharacters)
{
    const fs::path path = PathFromUtf8(kChineseName);
#if defined(_WIN32)
    // UTF-16: one unit per character. Read in the ANSI code page, or byte
    // by byte, the twelve bytes would come out as up to twelve characters.
    EXPECT_EQ(path.native(), std::wstring(L"\u7efc\u5408\u7b97\u4f8b.txt"));
#else
    EXPECT_EQ(path.native(), kChineseName);
#endif
    EXPECT_EQ(Utf8FromPath(path), kChineseName);
    EXPECT_EQ(Utf8FromPath(PathFromUtf8("文件夹/" + kChineseName).filename()), kChineseName);
    EXPECT_EQ(Utf8FromPath(PathFromUtf8("文件夹/" + kChineseName).parent_path()), "文件夹");
}

TEST(PlatformFiles, FilesWithChineseNamesAreWrittenReadAndListedByThoseNames)
{
    const ScratchDir dir;
    const std::string folder = JoinPath(dir.Path(), "算例 文件夹");
    ASSERT_TRUE(fs::create_directory(PathFromUtf8(folder)));
    const std::string path = JoinPath(folder, kChineseName);
    WriteTextFile(path, "第一行\n", "cannot write");
    EXPECT_EQ(NamesIn(folder), std::set<std::string>{kChineseName});

    std::FILE* file = OpenFileUtf8(path, "rb");
    ASSERT_NE(file, nullptr);
    char buffer[32] = {};
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    EXPECT_EQ(std::string(buffer, got), "第一行\n");
    EXPECT_EQ(OpenFileUtf8(JoinPath(folder, "没有.txt"), "rb"), nullptr);

    EXPECT_TRUE(RemoveFileUtf8(path));
    EXPECT_TRUE(NamesIn(folder).empty());
    EXPECT_FALSE(RemoveFileUtf8(path));
}

TEST(PlatformFiles, ARenameReplacesAnExistingFileOrLeavesBothAlone)
{
    const ScratchDir dir;
    const std::string target = dir.Write("Point.txt", "the first run's\n");
    const std::string fresh = dir.Write("Point.txt.new", "the second run's\n");
    // std::rename refuses this on Windows: a second solve into the same
    // folder would fail at its first file.
    ASSERT_TRUE(RenameReplacing(fresh, target));
    EXPECT_EQ(ReadFile(target), "the second run's\n");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"Point.txt"});

    // A folder in the way is not replaced, and the new file stays where it
    // was for the caller to remove.
    const std::string blocked = dir.File("Me.txt");
    ASSERT_TRUE(fs::create_directory(PathFromUtf8(blocked)));
    const std::string other = dir.Write("Me.txt.new", "x\n");
    EXPECT_FALSE(RenameReplacing(other, blocked));
    EXPECT_TRUE(fs::is_directory(PathFromUtf8(blocked)));
    EXPECT_EQ(ReadFile(other), "x\n");
}

TEST(PlatformFiles, WritingAFileTwiceReplacesItAndLeavesNothingBeside)
{
    const ScratchDir dir;
    for (const std::string& name : {std::string("Nodal_Displacement.txt"), kChineseName}) {
        const std::string path = dir.File(name);
        WriteTextFile(path, "first\n", "cannot write");
        WriteTextFile(path, "second, longer\n", "cannot write");
        EXPECT_EQ(ReadFile(path), "second, longer\n");
        TextFileWriter writer(path, "cannot write");
        writer.Write("third\n");
        writer.Commit();
        EXPECT_EQ(ReadFile(path), "third\n");
    }
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"Nodal_Displacement.txt", kChineseName}));
}

TEST(PlatformFiles, UniqueFilesAndPrivateFoldersAreNew)
{
    const ScratchDir dir;
    std::string first = dir.File("K.txt.XXXXXX");
    std::string second = first;
    const int a = CreateUniqueFile(first);
    const int b = CreateUniqueFile(second);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(0, first.size() - 6), dir.File("K.txt."));
    EXPECT_TRUE(WriteToDescriptor(a, "abc"));
    EXPECT_TRUE(CloseDescriptor(a));
    EXPECT_TRUE(CloseDescriptor(b));
    EXPECT_EQ(ReadFile(first), "abc");
    EXPECT_EQ(ReadFile(second), "");
    std::string noPattern = dir.File("K.txt");
    EXPECT_EQ(CreateUniqueFile(noPattern), -1);

    std::string where;
    const std::string one = CreatePrivateTempFolder("vela-测试-", where);
    const std::string two = CreatePrivateTempFolder("vela-测试-", where);
    ASSERT_FALSE(one.empty());
    ASSERT_FALSE(two.empty());
    EXPECT_NE(one, two);
    EXPECT_NE(Utf8FromPath(PathFromUtf8(one).filename()).find("vela-测试-"), std::string::npos);
    for (const std::string& folder : {one, two}) {
        EXPECT_TRUE(fs::is_directory(PathFromUtf8(folder)));
        EXPECT_EQ(fs::remove_all(PathFromUtf8(folder)), 1u);
    }
}

TEST(PlatformFiles, JoinPathAddsASeparatorOnlyWhereOneIsMissing)
{
    EXPECT_EQ(JoinPath("", "K.txt"), "K.txt");
    EXPECT_EQ(JoinPath("out", "K.txt"), "out/K.txt");
    EXPECT_EQ(JoinPath("out/", "K.txt"), "out/K.txt");
#if defined(_WIN32)
    EXPECT_EQ(JoinPath("C:\\out\\", "K.txt"), "C:\\out\\K.txt");
    EXPECT_EQ(JoinPath("D:", "K.txt"), "D:K.txt");
#else
    // A backslash is an ordinary character of a name here.
    EXPECT_EQ(JoinPath("out\\", "K.txt"), "out\\/K.txt");
#endif
}
