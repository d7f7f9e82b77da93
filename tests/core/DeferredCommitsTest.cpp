#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/TextFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// Files committed in the background still take effect in order, and a
// failure still stops everything after it, with its own message.

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathFromUtf8(folder)))
        names.push_back(Utf8FromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void Write(const std::string& path, const std::string& text, const std::string& error)
{
    TextFileWriter file(path, error);
    file.Write(text);
    file.Commit();
}

std::string MessageOf(void (*run)(const ScratchDir&), const ScratchDir& dir)
{
    try {
        run(dir);
    } catch (const FatalError& error) {
        EXPECT_EQ(error.Status(), 1);
        // The file and the system's reason follow the program's words.
        const std::string message = error.Message();
        EXPECT_NE(message.find("\ncannot write " + dir.Path()), std::string::npos) << message;
        return FirstLine(message);
    }
    return "";
}

} // namespace

TEST(DeferredCommits, EveryFileIsInPlaceAfterFinish)
{
    ScratchDir dir;
    dir.Write("b.txt", "old b\n");
    {
        DeferredCommits deferred;
        Write(dir.File("a.txt"), "new a\n", "a failed");
        Write(dir.File("b.txt"), "new b\n", "b failed");
        WriteTextFile(dir.File("c.txt"), "new c\n", "c failed");
        deferred.Finish();
        EXPECT_EQ(ReadFile(dir.File("a.txt")), "new a\n");
        EXPECT_EQ(ReadFile(dir.File("b.txt")), "new b\n");
        EXPECT_EQ(ReadFile(dir.File("c.txt")), "new c\n");
    }
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST(DeferredCommits, AFailureStopsTheFilesAfterIt)
{
    // b cannot replace the folder standing in its place: c, committed after
    // it, must not take effect either, and the failure reported is b's.
    ScratchDir dir;
    fs::create_directory(dir.File("b.txt"));
    dir.Write("c.txt", "old c\n");
    EXPECT_EQ(MessageOf(
                  [](const ScratchDir& d) {
                      DeferredCommits deferred;
                      Write(d.File("a.txt"), "new a\n", "a failed");
                      Write(d.File("b.txt"), "new b\n", "b failed");
                      Write(d.File("c.txt"), "new c\n", "c failed");
                      deferred.Finish();
                  },
                  dir),
              "b failed");
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "new a\n");
    EXPECT_TRUE(fs::is_directory(dir.File("b.txt")));
    EXPECT_EQ(ReadFile(dir.File("c.txt")), "old c\n");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));

    // The last file's failure comes from Finish.
    ScratchDir last;
    fs::create_directory(last.File("b.txt"));
    EXPECT_EQ(MessageOf(
                  [](const ScratchDir& d) {
                      DeferredCommits deferred;
                      Write(d.File("b.txt"), "new b\n", "b failed");
                      deferred.Finish();
                  },
                  last),
              "b failed");
    EXPECT_EQ(Names(last.Path()), std::vector<std::string>{"b.txt"});
}

TEST(DeferredCommits, AnEarlierFailureComesBeforeAFileThatCannotBeCreated)
{
    // b fails in the background; c's folder does not exist, so c cannot
    // even be created: b's failure, which happened first, is the one told.
    ScratchDir dir;
    fs::create_directory(dir.File("b.txt"));
    EXPECT_EQ(MessageOf(
                  [](const ScratchDir& d) {
                      DeferredCommits deferred;
                      Write(d.File("b.txt"), "new b\n", "b failed");
                      Write(d.File("missing/c.txt"), "new c\n", "c failed");
                  },
                  dir),
              "b failed");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"b.txt"});
}
