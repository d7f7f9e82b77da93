#include "cli/Commands.h"
#include "cli/StderrWarnings.h"

#include "app/ModelSetup.h"
#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "inspect/ModelResults.h"
#include "inspect/ResultsJson.h"
#include "reports/PostProcess.h"

#include <cstdio>
#include <filesystem>
#include <new>

namespace {

// The warnings on standard error as they arise, and kept for the JSON
// document.
class KeptWarnings : public StderrWarnings {
public:
    void Warning(const std::string& text) override
    {
        StderrWarnings::Warning(text);
        m_Texts.push_back(text);
    }
    std::vector<std::string> m_Texts;
};

const char* const kSolveUsage =
    "usage: vela-cli solve FILE [-C DIR] [--json OUT.json] [--solver dense|sparse|auto] [--dump-matrices]\n";

const char* const kSolveHelp =
    "Reads the Beam System File FILE, solves it and writes into DIR (default: the current\n"
    "folder, created when missing) Point.txt, Me.txt, K.txt, DForce.txt,\n"
    "Nodal_Displacement.txt, MForInGlobalCS.txt, MForInElemCS.txt, Nodal_Reaction.txt and\n"
    "MDisInGlobalCS.txt. Every file is replaced only once it has been written completely.\n"
    "\n"
    "  -C, --directory DIR   the folder of the files written\n"
    "  --json OUT.json       also write the results as one JSON document for other programs\n"
    "  --solver auto         dense elimination up to 1500 unknowns, sparse Cholesky above\n"
    "  --solver dense        always the dense elimination with complete pivoting\n"
    "  --solver sparse       always the sparse Cholesky factorisation\n"
    "  --dump-matrices       write K.txt also above 1500 unknowns (n x n numbers of text)\n"
    "  -h, --help            show this help\n"
    "\n"
    "Warnings go to standard error. Exit status: 0 success, 1 an error in the model or its\n"
    "files (the message on standard error), 2 a usage error.\n";

// The output folder: made when it does not exist yet (with its parents), so
// that a new folder can be named directly. Returns the exit status of a
// failure (with its message printed), or 0.
int PrepareFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = PathFromUtf8(folder);
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status))
        return 0;
    if (fs::exists(status)) {
        std::fprintf(stderr, "vela-cli solve: '%s' is a file, not a folder: -C names the folder to write into\n",
                     folder.c_str());
        return 2;
    }
    fs::create_directories(path, error);
    if (error || !fs::is_directory(path, error)) {
        std::fprintf(stderr, "vela-cli solve: cannot create the output folder '%s': %s\n", folder.c_str(),
                     error ? error.message().c_str() : "it is not a folder");
        return 1;
    }
    return 0;
}

} // namespace

int RunSolveCommand(const std::vector<std::string>& args)
{
    const char* const usage = kSolveUsage;
    std::string file;
    std::string folder;
    std::string json;
    SolverChoice solver = SolverChoice::Auto;
    bool dumpMatrices = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-C" || a == "--directory") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "vela-cli solve: %s needs a folder\n%s", a.c_str(), usage);
                return 2;
            }
            folder = args[++i];
        } else if (a == "--json") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                std::fprintf(stderr, "vela-cli solve: --json needs a file name\n%s", usage);
                return 2;
            }
            json = args[++i];
        } else if (a == "--solver") {
            const std::string value = i + 1 < args.size() ? args[i + 1] : "";
            if (value == "auto")
                solver = SolverChoice::Auto;
            else if (value == "dense")
                solver = SolverChoice::Dense;
            else if (value == "sparse")
                solver = SolverChoice::Sparse;
            else {
                std::fprintf(stderr, "vela-cli solve: --solver takes dense, sparse or auto\n%s", usage);
                return 2;
            }
            ++i;
        } else if (a == "--dump-matrices") {
            dumpMatrices = true;
        } else if (a == "-h" || a == "--help") {
            std::printf("%s\n%s", kSolveUsage, kSolveHelp);
            return 0;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            std::fprintf(stderr, "vela-cli solve: unknown option '%s'\n%s", a.c_str(), usage);
            return 2;
        } else if (file.empty()) {
            file = a;
        } else {
            std::fprintf(stderr, "vela-cli solve: more than one FILE given\n%s", usage);
            return 2;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "vela-cli solve: no FILE given\n%s", usage);
        return 2;
    }
    if (!folder.empty())
        if (const int status = PrepareFolder(folder); status != 0)
            return status;

    KeptWarnings warnings;
    const ModelSetup setup(warnings);
    std::unique_ptr<StructureModel> model;
    try {
        model = setup.LoadModel(file, ModelOptions{folder, solver, dumpMatrices});
        model->Solve();
        PostProcess(*model);
        if (!json.empty()) {
            const ModelResults results(*model);
            WriteTextFile(json, ResultsJson(results, warnings.m_Texts), "Cannot write the JSON file \"" + json + "\".");
        }
    } catch (const FatalError& fatal) {
        std::fprintf(stderr, "%s\n", fatal.Message());
        return fatal.Status() != 0 ? fatal.Status() : 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vela-cli solve: not enough memory for this model\n");
        return 1;
    }
    std::printf("Solved %s: %d nodes, %d elements; results in %s\n", file.c_str(), model->m_NPOIN, model->m_NELEM,
                folder.empty() ? "the current folder" : folder.c_str());
    // The process ends with this command: the system takes the model's
    // memory back in one piece, where freeing a large frame's elements and
    // factor block by block costs a tenth of a second at 100,000 nodes.
    // Kept reachable, so that a leak checker does not count it (only the
    // first: a later call in the same process frees its own).
    static const StructureModel* const s_finished = model.release();
    (void)s_finished;
    return 0;
}
