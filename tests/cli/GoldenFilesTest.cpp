// Solves every shipped example with the real vela-cli and holds the nine
// files to the reviewed copies in tests/data/golden/<example>/, byte for
// byte: the results are meant to be reproducible to the last printed digit,
// so any change in them is either a fix to be reviewed or a fault.
// scripts/regenerate-golden.sh writes new reference copies.
#include "cli/CliRunner.h"
#include "core/PlatformFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kGolden = std::string(VELA_TEST_DATA_DIR) + "/golden";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Empty when the texts are equal; otherwise the first line in which they
// differ, in both versions.
std::string FirstDifference(const std::string& golden, const std::string& now)
{
    if (golden == now)
        return "";
    const std::vector<std::string> a = Lines(golden);
    const std::vector<std::string> b = Lines(now);
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    const auto shown = [](const std::vector<std::string>& lines, std::size_t n) {
        return n < lines.size() ? "\"" + lines[n] + "\"" : std::string("(end of file)");
    };
    if (i == a.size() && i == b.size()) // the same lines: only the final line break differs
        return "the last line ends differently (golden " + std::to_string(golden.size()) + " bytes, now " +
               std::to_string(now.size()) + ")";
    return "first difference in line " + std::to_string(i + 1) + "\n  golden: " + shown(a, i) +
           "\n  now:    " + shown(b, i);
}

std::vector<fs::path> Examples()
{
    std::vector<fs::path> examples;
    for (const auto& entry : fs::directory_iterator(VELA_EXAMPLES_DIR))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            examples.push_back(entry.path());
    std::sort(examples.begin(), examples.end());
    return examples;
}

TEST(GoldenFiles, EveryExampleSolvesToItsReviewedFiles)
{
    const std::vector<fs::path> examples = Examples();
    ASSERT_GE(examples.size(), 2u) << "the shipped examples are missing from " << VELA_EXAMPLES_DIR;
    for (const fs::path& example : examples) {
        const std::string golden = kGolden + "/" + Utf8FromPath(example.stem());
        SCOPED_TRACE(Utf8FromPath(example.filename()));
        ScratchDir out;
        const CliRun run = RunCli({"solve", Utf8FromPath(example), "-C", out.Path()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        for (const std::string& name : kSolutionFiles) {
            const std::string reference = golden + "/" + name;
            if (!FileExists(reference)) {
                ADD_FAILURE() << reference << " is missing (scripts/regenerate-golden.sh writes it)";
                continue;
            }
            ASSERT_TRUE(FileExists(out.File(name))) << name << " was not written";
            const std::string difference = FirstDifference(ReadFile(reference), ReadFile(out.File(name)));
            EXPECT_TRUE(difference.empty()) << name << " differs from " << reference << "\n" << difference;
        }
        // A stray file would be a tenth result no one compares.
        EXPECT_EQ(Listing(out.Path()), std::set<std::string>(kSolutionFiles.begin(), kSolutionFiles.end()));
    }
}

TEST(GoldenFiles, SolvingAgainIntoTheSameFolderReplacesEveryFile)
{
    // One folder, with a name in Chinese and a blank, for one example after
    // another and back: every file is the later example's, none is left
    // from the earlier one, none is refused for being there already.
    const std::vector<fs::path> examples = Examples();
    ASSERT_GE(examples.size(), 2u);
    const ScratchDir scratch;
    const std::string out = scratch.File("计算 结果");
    ASSERT_TRUE(fs::create_directory(PathFromUtf8(out)));
    for (const fs::path& example : {examples[0], examples[1], examples[0]}) {
        SCOPED_TRACE(Utf8FromPath(example.filename()));
        const CliRun run = RunCli({"solve", Utf8FromPath(example), "-C", out});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(Utf8FromPath(example.filename())), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("计算 结果"), std::string::npos) << run.out;
        const std::string golden = kGolden + "/" + Utf8FromPath(example.stem());
        for (const std::string& name : kSolutionFiles)
            EXPECT_EQ(ReadFile(out + "/" + name), ReadFile(golden + "/" + name)) << name;
        EXPECT_EQ(Listing(out), std::set<std::string>(kSolutionFiles.begin(), kSolutionFiles.end()));
    }
}

TEST(GoldenFiles, EveryGoldenFolderBelongsToAnExampleAndHoldsTheNineFiles)
{
    ASSERT_TRUE(fs::is_directory(PathFromUtf8(kGolden))) << kGolden << " is missing";
    std::set<std::string> stems;
    for (const fs::path& example : Examples())
        stems.insert(Utf8FromPath(example.stem()));
    const std::set<std::string> nine(kSolutionFiles.begin(), kSolutionFiles.end());
    for (const std::string& folder : Listing(kGolden)) {
        EXPECT_TRUE(stems.count(folder)) << "golden/" << folder << " has no example " << folder << ".txt";
        EXPECT_EQ(Listing(kGolden + "/" + folder), nine) << "golden/" << folder;
    }
}

TEST(GoldenFiles, ADifferenceNamesItsLineAndShowsBothVersions)
{
    const std::string golden = "a\nb 1.5\nc\n";
    EXPECT_EQ(FirstDifference(golden, golden), "");
    EXPECT_EQ(FirstDifference(golden, "a\nb 1.50001\nc\n"),
              "first difference in line 2\n  golden: \"b 1.5\"\n  now:    \"b 1.50001\"");
    EXPECT_EQ(FirstDifference(golden, "a\nb 1.5\n"),
              "first difference in line 3\n  golden: \"c\"\n  now:    (end of file)");
    EXPECT_EQ(FirstDifference(golden, golden + "d\n"),
              "first difference in line 4\n  golden: (end of file)\n  now:    \"d\"");
    EXPECT_NE(FirstDifference(golden, "a\nb 1.5\nc"), "");
    EXPECT_NE(FirstDifference(golden, "a\r\nb 1.5\nc\n"), "");
}

} // namespace
