// vela-cli: the analysis engine without a window.
#include "cli/Commands.h"
#include "cli/Render.h"
#include "core/LargePages.h"
#include "solver/SparseSolvers.h"
#if defined(VELA_HAVE_WIN32)
#include "win32/Console.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The pictures this build can write.
#if defined(VELA_HAVE_QT) || defined(VELA_PICTURE_PROGRAM)
#define VELA_PICTURE_FILES "OUT.png|OUT.svg|OUT.pdf"
#define VELA_PICTURE_KINDS "a PNG, SVG or PDF picture"
#define VELA_PICTURE_NOTE ""
#elif defined(VELA_HAVE_WIN32)
#define VELA_PICTURE_FILES "OUT.png|OUT.svg"
#define VELA_PICTURE_KINDS "a PNG or SVG picture"
#define VELA_PICTURE_NOTE "                        (PDF pictures are made by the Linux build only)\n"
#else
#define VELA_PICTURE_FILES "OUT.svg"
#define VELA_PICTURE_KINDS "an SVG picture"
#define VELA_PICTURE_NOTE "                        (PNG and PDF pictures need a build with Qt)\n"
#endif

const char* const kUsage = "usage: vela-cli solve FILE [-C DIR] [--json OUT.json] [--solver dense|sparse|auto]\n"
                           "                      [--dump-matrices]\n"
                           "       vela-cli render FILE -o " VELA_PICTURE_FILES " [--layers LIST] [--size WxH]\n"
                           "                       [--background black|white]\n"
                           "       vela-cli --help | --version\n";

const char* const kHelp = "Vela: linear static analysis of plane frames.\n"
                          "\n"
                          "  solve FILE [-C DIR]   read the Beam System File FILE, solve it and write into DIR\n"
                          "                        (default: the current folder) Point.txt, Me.txt, K.txt,\n"
                          "                        DForce.txt, Nodal_Displacement.txt, MForInGlobalCS.txt,\n"
                          "                        MForInElemCS.txt, Nodal_Reaction.txt and MDisInGlobalCS.txt\n"
                          "      --json OUT.json   also write the results as one JSON document: nodes (number,\n"
                          "                        x, y, displacement, reaction or null), elements (number,\n"
                          "                        nodes, property, length, end forces in element and global\n"
                          "                        axes, max_moment, max_shear, max_displacement as {value, x})\n"
                          "                        and warnings; numbers in full, null where not finite\n"
                          "      --solver auto     dense elimination up to 1500 unknowns, sparse Cholesky above\n"
                          "      --solver dense    always the dense elimination with complete pivoting\n"
                          "      --solver sparse   always the sparse Cholesky factorisation\n"
                          "      --dump-matrices   write K.txt also above 1500 unknowns (n x n numbers of text)\n"
                          "  render FILE -o OUT    draw the structure (and results) as " VELA_PICTURE_KINDS ";\n"
                          "                        --layers takes a comma-separated list of structure, loads,\n"
                          "                        supports, springs, prescribed, nodes, elements, deformed,\n"
                          "                        moment, shear, axial, reactions, values; --size WxH\n"
                          "                        (default 1024x768);\n"
                          "                        --background black|white (default black)\n" VELA_PICTURE_NOTE "\n"
                          "Warnings go to standard error. Exit status: 0 success, 1 an error in the model or\n"
                          "its files (the message on standard error), 2 a usage error.\n";

} // namespace

int main(int argc, char** argv)
{
#if defined(VELA_HAVE_WIN32)
    // Arguments and messages in UTF-8, whatever the console's code page.
    (void)argc;
    (void)argv;
    UseUtf8Console();
    std::vector<std::string> args = Utf8Arguments();
#else
    LimitSolverThreads();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (NamesFileOfAtLeast(args, kLargePagesFileBytes))
        RunWithLargeMemoryPages(argv);
#endif
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        std::fputs("\n", stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("vela-cli %s\n", VELA_VERSION);
        return 0;
    }
    // Every command answers --version as the program does.
    for (const std::string& word : args)
        if (word == "--version" && (command == "solve" || command == "render")) {
            std::printf("vela-cli %s\n", VELA_VERSION);
            return 0;
        }
    if (command == "solve")
        return RunSolveCommand(args);
    if (command == "render")
        return RunRenderCommand(args);
    std::fprintf(stderr, "vela-cli: unknown command '%s'\n%s", command.c_str(), kUsage);
    return 2;
}
