#include "cli/CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace {

CliRun Cli(const std::vector<std::string>& args)
{
    return RunCli(args);
}

TEST(Cli, SolvesThePortalFrameIntoTheGivenFolder)
{
    ScratchDir out;
    CliRun run = Cli({"solve", std::string(VELA_EXAMPLES_DIR) + "/portal.txt", "-C", out.Path()});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string& name : kSolutionFiles)
        EXPECT_TRUE(FileExists(out.File(name))) << name;
    EXPECT_EQ(ReadFile(out.File("Point.txt")), "4 2\n0 0\n0 4\n6 4\n6 0\n");
    const std::string reactions = ReadFile(out.File("Nodal_Reaction.txt"));
    EXPECT_EQ(reactions.substr(0, 60), std::string(11, ' ') + "Node" + std::string(13, ' ') + "Fx" +
                                           std::string(13, ' ') + "Fy" + std::string(13, ' ') + "Mz");
}

TEST(Cli, ReportsAnUnwritableOutputFolderAsAnError)
{
    // A file where the folder should be is a mistake in the command line.
    ScratchDir out;
    out.Write("afile", "");
    CliRun run = Cli({"solve", std::string(VELA_EXAMPLES_DIR) + "/portal.txt", "-C", out.File("afile")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("is a file, not a folder"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(out.File("afile")), "");

    // A folder that exists but cannot be written to: the first file's own
    // message, status 1, nothing claimed written. Folder permissions do not
    // stop a privileged user (CI runs as root); /sys refuses new files to
    // everyone.
    ScratchDir locked;
    const std::string input = locked.Write("portal.txt", ReadFile(std::string(VELA_EXAMPLES_DIR) + "/portal.txt"));
    ScratchDir target;
    namespace fs = std::filesystem;
    fs::permissions(target.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string folder = target.Path();
    if (std::FILE* probe = std::fopen(target.File("probe").c_str(), "w")) {
        std::fclose(probe);
        std::remove(target.File("probe").c_str());
#if defined(_WIN32)
        // Windows ignores the permissions of a folder; under Wine the Linux
        // root is drive Z:.
        folder = "Z:/sys";
        if (!FileExists(folder))
            GTEST_SKIP() << "no folder here refuses new files to everyone (Wine's Z:/sys is missing)";
#else
        folder = "/sys";
#endif
    }
    run = Cli({"solve", input, "-C", folder});
    fs::permissions(target.Path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Point.txt open error!"), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(folder + "/Nodal_Displacement.txt"));
}

TEST(Cli, AResultFileThatCannotBeReplacedStopsTheRun)
{
    // A folder standing where the first result file goes cannot be
    // replaced, whoever runs the program.
    ScratchDir out;
    std::filesystem::create_directory(out.File("Nodal_Displacement.txt"));
    CliRun run = Cli({"solve", std::string(VELA_EXAMPLES_DIR) + "/portal.txt", "-C", out.Path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(FirstLine(run.err), "file write error!");
    EXPECT_NE(run.err.find("\ncannot write "), std::string::npos) << run.err;
    EXPECT_TRUE(FileExists(out.File("K.txt")));
    EXPECT_FALSE(FileExists(out.File("MForInGlobalCS.txt")));
    EXPECT_FALSE(FileExists(out.File("Nodal_Reaction.txt")));
}

TEST(Cli, RefusedFilesAndMechanismsExitWithStatusOne)
{
    ScratchDir dir;
    CliRun run = Cli({"solve", dir.File("missing.txt"), "-C", dir.Path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "前处理文本文件读取错误!");

    // A cantilever pinned at its base turns freely about the pin.
    const std::string portal = "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\n\nE=1000\nA=10\nI=1\n"
                               "Number of nodal points in the structure:NPOIN=2\n0:0,0\n1:2,0\n"
                               "Number of elements in the structure:NELEM=1\n0:0,1,0\n"
                               "Number of restricted nodal points:NRN=1\n0:1 1 0\n"
                               "Number of force_2d:NFOR=1\n1:<0,-10,0>\nNumber of distributed load:NDIS=0\n"
                               "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
                               "Number of Torsional_Spring_2ds:NTSPR=0\n";
    const std::string input = dir.Write("mechanism.txt", portal);
    run = Cli({"solve", input, "-C", dir.Path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("singular"), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(dir.File("Nodal_Displacement.txt")));
}

TEST(Cli, EitherSolverCanBeChosenAndBothGiveThePortalFramesFiles)
{
    const std::string portal = std::string(VELA_EXAMPLES_DIR) + "/portal.txt";
    ScratchDir dense, sparse;
    ASSERT_EQ(Cli({"solve", portal, "-C", dense.Path(), "--solver", "dense"}).status, 0);
    const CliRun run = Cli({"solve", portal, "--solver", "sparse", "--dump-matrices", "-C", sparse.Path()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Six printed digits hide the last bits in which the two solutions differ.
    for (const std::string& name : kSolutionFiles)
        EXPECT_EQ(ReadFile(sparse.File(name)), ReadFile(dense.File(name))) << name;

    EXPECT_EQ(Cli({"solve", portal, "--solver"}).status, 2);
    EXPECT_EQ(Cli({"solve", portal, "--solver", "cholesky"}).status, 2);
}

TEST(Cli, MakesAMissingOutputFolder)
{
    ScratchDir out;
    const std::string folder = out.File("new/portal");
    const CliRun run = Cli({"solve", std::string(VELA_EXAMPLES_DIR) + "/portal.txt", "-C", folder});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string& name : kSolutionFiles)
        EXPECT_TRUE(FileExists(folder + "/" + name)) << name;

    // A folder that cannot be made says why.
    out.Write("blocker", "");
    const CliRun blocked = Cli({"solve", std::string(VELA_EXAMPLES_DIR) + "/portal.txt", "-C", out.File("blocker/x")});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("cannot create the output folder"), std::string::npos) << blocked.err;
}

TEST(Cli, UsageHelpAndVersion)
{
    EXPECT_EQ(Cli({}).status, 2);
    EXPECT_EQ(Cli({"frobnicate"}).status, 2);
    EXPECT_EQ(Cli({"solve"}).status, 2);
    EXPECT_EQ(Cli({"solve", "a.txt", "b.txt"}).status, 2);
    EXPECT_EQ(Cli({"solve", "a.txt", "-C"}).status, 2);
    EXPECT_EQ(Cli({"solve", "a.txt", "--bogus"}).status, 2);
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("vela-cli solve FILE"), std::string::npos);
    // Each command explains itself, wherever --help stands.
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"solve", "--help"}, {"solve", "frame.txt", "-h"}}) {
        help = Cli(words);
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_NE(help.out.find("usage: vela-cli solve FILE"), std::string::npos);
        EXPECT_NE(help.out.find("--solver"), std::string::npos);
        EXPECT_EQ(help.err, "");
    }
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"--version"}, {"solve", "--version"}, {"render", "frame.txt", "--version"}}) {
        const CliRun version = Cli(words);
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out.rfind("vela-cli ", 0), 0u);
    }
}

TEST(Cli, RendersAnSvgPictureWhateverTheBuild)
{
    // SVG comes from Vela's own writer: every build has it.
    ScratchDir dir;
    const std::string picture = dir.File("门式刚架.svg");
    const CliRun run =
        Cli({"render", std::string(VELA_EXAMPLES_DIR) + "/portal.txt", "-o", picture, "--layers", "structure,nodes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string svg = ReadFile(picture);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("width=\"1024\" height=\"768\""), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    EXPECT_NE(svg.find(">3</text>"), std::string::npos); // node numbers stay text
    EXPECT_EQ(Listing(dir.Path()), std::set<std::string>{"门式刚架.svg"});
}

#if defined(VELA_PICTURE_PROGRAM_PATH)
TEST(Cli, PngAndPdfComeFromThePictureProgramSoThatSolvingLoadsNoQt)
{
    // Loading Qt took longer than solving a 1,000-node frame.
    FILE* libraries = ::popen(("ldd '" + std::string(VELA_CLI_PATH) + "'").c_str(), "r");
    ASSERT_NE(libraries, nullptr);
    std::string needed;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, libraries)) > 0;)
        needed.append(buffer, got);
    EXPECT_EQ(::pclose(libraries), 0);
    EXPECT_NE(needed.find("libc.so"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libQt6"), std::string::npos) << needed;

    // The same pictures as the picture program draws itself.
    ScratchDir dir;
    const std::string portal = std::string(VELA_EXAMPLES_DIR) + "/portal.txt";
    CliRun run = Cli({"render", portal, "-o", dir.File("a.png"), "--layers", "moment,values"});
    ASSERT_EQ(run.status, 0) << run.err;
    CliLimits direct;
    direct.program = VELA_PICTURE_PROGRAM_PATH;
    run = RunCli({"render", portal, "-o", dir.File("b.png"), "--layers", "moment,values"}, direct);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.File("a.png")).substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(ReadFile(dir.File("a.png")), ReadFile(dir.File("b.png")));
    run = Cli({"render", portal, "-o", dir.File("c.pdf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.File("c.pdf")).substr(0, 5), "%PDF-");

    // Its failures and its status come back as its own.
    run = Cli({"render", dir.File("missing.txt"), "-o", dir.File("d.png")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.txt"), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(dir.File("d.png")));
}

TEST(Cli, AVelaCliWithoutItsPictureProgramSaysWhereItLookedAndStillWritesSvg)
{
    ScratchDir dir;
    const std::string lone = dir.File("vela-cli");
    std::filesystem::copy_file(VELA_CLI_PATH, lone);
    CliLimits alone;
    alone.program = lone;
    const std::string portal = std::string(VELA_EXAMPLES_DIR) + "/portal.txt";
    CliRun run = RunCli({"render", portal, "-o", dir.File("p.png")}, alone);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "Cannot write \"" + dir.File("p.png") +
                  "\": PNG and PDF pictures are drawn by vela-picture, which is neither beside vela-cli nor "
                  "at " +
                  (std::filesystem::path(dir.Path()) / VELA_INSTALLED_PICTURE_PROGRAM).lexically_normal().string() +
                  ". Install Vela again, or write an .svg picture.\n");
    EXPECT_FALSE(FileExists(dir.File("p.png")));
    run = RunCli({"render", portal, "-o", dir.File("p.svg")}, alone);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(FileExists(dir.File("p.svg")));
}
#endif

#if defined(_WIN32)
TEST(Cli, TheWindowsBuildWritesPngAndSaysThatPdfIsLinuxOnly)
{
    ScratchDir dir;
    const std::string portal = std::string(VELA_EXAMPLES_DIR) + "/portal.txt";
    CliRun run = Cli({"render", portal, "-o", dir.File("portal.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.File("portal.png")).substr(0, 8), "\x89PNG\r\n\x1A\n");

    run = Cli({"render", portal, "-o", dir.File("portal.pdf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "Cannot write \"" + dir.File("portal.pdf") +
                  "\": PDF pictures are made by the Linux build of Vela only; this one writes .png and .svg.\n");
    EXPECT_FALSE(FileExists(dir.File("portal.pdf")));

    const CliRun help = Cli({"--help"});
    EXPECT_NE(help.out.find("render FILE -o OUT.png|OUT.svg ["), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("(PDF pictures are made by the Linux build only)"), std::string::npos) << help.out;
    const CliRun renderHelp = Cli({"render", "--help"});
    EXPECT_NE(renderHelp.out.find(".png or .svg; PDF is made by the Linux build only"), std::string::npos);
}
#endif

} // namespace
