#include "cli/CliRunner.h"
#include "core/PlatformFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kBad = std::string(VELA_TEST_DATA_DIR) + "/bad";

struct Expected {
    std::string file;
    std::string firstLine;
    std::set<std::string> leftovers;
};

std::vector<Expected> ReadManifest()
{
    std::vector<Expected> entries;
    std::istringstream in(ReadFile(kBad + "/EXPECTED"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        Expected e;
        std::istringstream fields(line);
        std::getline(fields, e.file, '\t');
        std::getline(fields, e.firstLine, '\t');
        std::string rest;
        std::getline(fields, rest);
        std::istringstream names(rest);
        for (std::string name; names >> name;)
            e.leftovers.insert(name);
        entries.push_back(e);
    }
    return entries;
}

// A refused run ends quickly, in little memory (the limit leaves room for
// the program and its libraries, not for a copy of the file per record),
// with status 1 and its message first on standard error.
CliLimits RefusalLimits()
{
    CliLimits limits;
    // A hang guard, not a speed test: the sanitized build is many times
    // slower but still far inside it.
    limits.seconds = AddressSanitized() ? 120 : 20;
    if (!AddressSanitized())
        limits.virtualKiB = 400 * 1024;
    return limits;
}

TEST(BadFiles, EveryKindOfRefusalEndsWithItsMessageAndWritesNoResult)
{
    const std::vector<Expected> manifest = ReadManifest();
    ASSERT_GE(manifest.size(), 30u);
    std::set<std::string> listed;
    for (const Expected& e : manifest) {
        listed.insert(e.file);
        ScratchDir out;
        const CliRun run = RunCli({"solve", kBad + "/" + e.file, "-C", out.Path()}, RefusalLimits());
        EXPECT_FALSE(run.timedOut) << e.file;
        EXPECT_EQ(run.status, 1) << e.file << ": " << run.err;
        EXPECT_EQ(FirstLine(run.err), e.firstLine) << e.file;
        EXPECT_EQ(run.out, "") << e.file;
        // What the reader refuses leaves nothing; a model refused after
        // reading leaves only the files written before the refusal.
        EXPECT_EQ(Listing(out.Path()), e.leftovers) << e.file;
    }
    // Every file in the folder has its expectation.
    for (const auto& entry : std::filesystem::directory_iterator(kBad)) {
        const std::string name = Utf8FromPath(entry.path().filename());
        if (name != "EXPECTED") {
            EXPECT_TRUE(listed.count(name)) << name << " is not in EXPECTED";
        }
    }
}

TEST(BadFiles, FiftyMegabytesOfNoiseAreRefusedQuicklyInLittleMemory)
{
    // Deterministic noise: bytes of every value, line feeds among them.
    std::string noise(50u << 20, '\0');
    std::uint32_t state = 2463534242u;
    for (char& c : noise) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state >> 24);
    }
    ScratchDir in;
    const std::string bare = in.Write("noise.bin", noise);
    noise.insert(0, "### Vela release=1.07\n");
    const std::string headed = in.Write("headed.bin", noise);
    noise.clear();
    noise.shrink_to_fit();

    for (const auto& [file, message] :
         {std::pair{bare, "前处理文本文件版本错误!"}, std::pair{headed, "前处理文本文件读取错误!"}}) {
        ScratchDir out;
        const CliRun run = RunCli({"solve", file, "-C", out.Path()}, RefusalLimits());
        EXPECT_FALSE(run.timedOut) << file;
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(FirstLine(run.err), message);
        EXPECT_TRUE(Listing(out.Path()).empty());
    }
}

} // namespace
