#include "cli/Render.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

struct CommandRun {
    int status = 0;
    std::string out;
    std::string err;
};

CommandRun RunRender(const std::vector<std::string>& args)
{
    CommandRun run;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run.status = RunRenderCommand(args);
    run.err = testing::internal::GetCapturedStderr();
    run.out = testing::internal::GetCapturedStdout();
    return run;
}

std::optional<RenderRequest> Parse(const std::vector<std::string>& args)
{
    std::string error;
    std::optional<RenderRequest> request = ParseRenderArgs(args, error);
    if (!request) {
        EXPECT_FALSE(error.empty());
    }
    return request;
}

bool SameLayers(const LayerFlags& a, const LayerFlags& b)
{
    return a.m_ShowNodeNumbers == b.m_ShowNodeNumbers && a.m_ShowElementNumbers == b.m_ShowElementNumbers &&
           a.m_ShowStructure == b.m_ShowStructure && a.m_ShowDeformed == b.m_ShowDeformed &&
           a.m_ShowMoment == b.m_ShowMoment && a.m_ShowShear == b.m_ShowShear &&
           a.m_ShowDistributedLoads == b.m_ShowDistributedLoads && a.m_ShowForces == b.m_ShowForces &&
           a.m_ShowSprings == b.m_ShowSprings && a.m_ShowTorsionalSprings == b.m_ShowTorsionalSprings &&
           a.m_ShowPrescribed == b.m_ShowPrescribed && a.m_ShowSupports == b.m_ShowSupports;
}

} // namespace

TEST(RenderCommand, DefaultsToTheFreshStructureOnBlackAt1024x768)
{
    const std::optional<RenderRequest> request = Parse({"frame.txt", "-o", "frame.png"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->input, "frame.txt");
    EXPECT_EQ(request->output, "frame.png");
    EXPECT_TRUE(SameLayers(request->layers, FreshStructureLayers()));
    EXPECT_FALSE(request->needsSolution);
    EXPECT_EQ(request->width, 1024);
    EXPECT_EQ(request->height, 768);
    EXPECT_EQ(request->background, 0u);

    // Options in any order, in either spelling.
    const std::optional<RenderRequest> other =
        Parse({"--size=640x480", "--output", "x.svg", "--background", "white", "frame.txt"});
    ASSERT_TRUE(other);
    EXPECT_EQ(other->output, "x.svg");
    EXPECT_EQ(other->width, 640);
    EXPECT_EQ(other->height, 480);
    EXPECT_EQ(other->background, 0xFFFFFFu);
    EXPECT_EQ(request->zoom, 1);

    const std::optional<RenderRequest> zoomed = Parse({"frame.txt", "-o", "frame.png", "--zoom", "0.7"});
    ASSERT_TRUE(zoomed);
    EXPECT_EQ(zoomed->zoom, 0.7);
    const std::optional<RenderRequest> closer = Parse({"frame.txt", "--zoom=2.5", "-o", "frame.png"});
    ASSERT_TRUE(closer);
    EXPECT_EQ(closer->zoom, 2.5);
}

TEST(RenderCommand, LayerNamesSwitchTheirLayers)
{
    const std::optional<RenderRequest> loads = Parse({"f.txt", "-o", "f.png", "--layers", "loads,springs"});
    ASSERT_TRUE(loads);
    LayerFlags expected;
    expected.m_ShowDistributedLoads = true;
    expected.m_ShowForces = true;
    expected.m_ShowSprings = true;
    expected.m_ShowTorsionalSprings = true;
    EXPECT_TRUE(SameLayers(loads->layers, expected));
    EXPECT_FALSE(loads->needsSolution);

    const std::optional<RenderRequest> numbers =
        Parse({"f.txt", "-o", "f.png", "--layers=nodes, elements,supports,prescribed,structure"});
    ASSERT_TRUE(numbers);
    expected = LayerFlags{};
    expected.m_ShowNodeNumbers = true;
    expected.m_ShowElementNumbers = true;
    expected.m_ShowSupports = true;
    expected.m_ShowPrescribed = true;
    expected.m_ShowStructure = true;
    EXPECT_TRUE(SameLayers(numbers->layers, expected));

    // A result is drawn over the structure and needs a solution first.
    for (const char* result : {"deformed", "moment", "shear"}) {
        const std::optional<RenderRequest> request = Parse({"f.txt", "-o", "f.png", "--layers", result});
        ASSERT_TRUE(request) << result;
        EXPECT_TRUE(request->needsSolution) << result;
        EXPECT_TRUE(request->layers.m_ShowStructure) << result;
        EXPECT_EQ(request->layers.m_ShowDeformed, std::string(result) == "deformed");
        EXPECT_EQ(request->layers.m_ShowMoment, std::string(result) == "moment");
        EXPECT_EQ(request->layers.m_ShowShear, std::string(result) == "shear");
        EXPECT_FALSE(request->layers.m_ShowForces) << result;
    }

    // The axial force and the reactions are results too; values write the
    // numbers of whatever results are drawn.
    const std::optional<RenderRequest> axial = Parse({"f.txt", "-o", "f.png", "--layers", "axial,values"});
    ASSERT_TRUE(axial);
    EXPECT_TRUE(axial->needsSolution);
    EXPECT_TRUE(axial->layers.m_ShowAxial && axial->layers.m_ShowStructure && axial->layers.m_ShowValues);
    EXPECT_FALSE(axial->layers.m_ShowReactions || axial->layers.m_ShowMoment);
    const std::optional<RenderRequest> reactions = Parse({"f.txt", "-o", "f.png", "--layers", "supports,reactions"});
    ASSERT_TRUE(reactions);
    EXPECT_TRUE(reactions->needsSolution);
    EXPECT_TRUE(reactions->layers.m_ShowReactions && reactions->layers.m_ShowSupports);
    EXPECT_FALSE(reactions->layers.m_ShowValues);
}

TEST(RenderCommand, UsageErrorsEndWithStatus2AndSayWhatIsWrong)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no input file"},
        {{"f.txt"}, "no output picture"},
        {{"f.txt", "-o"}, "-o needs a value"},
        {{"f.txt", "g.txt", "-o", "f.png"}, "more than one input file"},
        {{"f.txt", "-o", "f.png", "--colour", "red"}, "unknown option \"--colour\""},
        {{"f.txt", "-o", "f.png", "--layers", "structure,bogus"}, "unknown layer \"bogus\""},
        {{"f.txt", "-o", "f.png", "--layers", ","}, "at least one layer"},
        {{"f.txt", "-o", "f.png", "--size", "1024"}, "--size"},
        {{"f.txt", "-o", "f.png", "--size", "0x768"}, "--size"},
        {{"f.txt", "-o", "f.png", "--size", "10x-5"}, "--size"},
        {{"f.txt", "-o", "f.png", "--size", "99999x10"}, "--size"},
        {{"f.txt", "-o", "f.png", "--background", "grey"}, "black or white"},
        {{"f.txt", "-o", "f.png", "--zoom", "0"}, "--zoom must be a number from 0.01 to 100"},
        {{"f.txt", "-o", "f.png", "--zoom", "-0.5"}, "--zoom must be a number"},
        {{"f.txt", "-o", "f.png", "--zoom", "half"}, "not \"half\""},
        {{"f.txt", "-o", "f.png", "--zoom", "0.5x"}, "--zoom must be a number"},
        {{"f.txt", "-o", "f.png", "--zoom="}, "--zoom must be a number"},
        {{"f.txt", "-o", "f.png", "--zoom", "nan"}, "--zoom must be a number"},
        {{"f.txt", "-o", "f.png", "--zoom", "inf"}, "--zoom must be a number"},
        {{"f.txt", "-o", "f.png", "--zoom", "1000"}, "--zoom must be a number"},
        {{"f.txt", "-o", "f.png", "--zoom"}, "--zoom needs a value"},
    };
    for (const auto& [args, reason] : cases) {
        const CommandRun run = RunRender(args);
        EXPECT_EQ(run.status, 2) << reason;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("usage: vela-cli render FILE -o"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(RenderCommand, HelpGoesToStandardOutput)
{
    const CommandRun run = RunRender({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("usage: vela-cli render"), std::string::npos);
    EXPECT_NE(run.out.find("--layers"), std::string::npos);
    EXPECT_NE(run.out.find("--zoom F"), std::string::npos);
    EXPECT_TRUE(run.err.empty());
}

TEST(RenderCommand, FailuresEndWithStatus1AndLeaveNoPicture)
{
    const ScratchDir dir;
    // A picture format it cannot write is a usage error, found before the
    // model is read.
    const CommandRun badFormat = RunRender({dir.File("missing.txt"), "-o", dir.File("frame.jpg")});
    EXPECT_EQ(badFormat.status, 2);
    EXPECT_NE(badFormat.err.find(".png, .svg or .pdf"), std::string::npos) << badFormat.err;
    EXPECT_NE(badFormat.err.find("usage: vela-cli render"), std::string::npos) << badFormat.err;

    const CommandRun missing = RunRender({dir.File("missing.txt"), "-o", dir.File("frame.png")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.err.empty());
    EXPECT_FALSE(FileExists(dir.File("frame.png")));
    // Nothing else was written beside the input either.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
