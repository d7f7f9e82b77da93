#include "cli/Commands.h"
#include "cli/StderrWarnings.h"

#include "app/ModelSetup.h"
#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/StructureModel.h"
#include "reports/PostProcess.h"

#include <cstdio>
#include <filesystem>
#include <new>

int RunSolveCommand(const std::vector<std::string>& args, const char* usage)
{
    std::string file;
    std::string folder;
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
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(PathFromUtf8(folder), error)) {
        std::fprintf(stderr, "vela-cli solve: the output folder '%s' does not exist\n", folder.c_str());
        return 1;
    }

    StderrWarnings warnings;
    const ModelSetup setup(warnings);
    std::unique_ptr<StructureModel> model;
    try {
        model = setup.LoadModel(file, ModelOptions{folder, solver, dumpMatrices});
        model->Solve();
        PostProcess(*model);
    } catch (const FatalError& fatal) {
        std::fprintf(stderr, "%s\n", fatal.Message());
        return fatal.Status() != 0 ? fatal.Status() : 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vela-cli solve: not enough memory for this model\n");
        return 1;
    }
    std::printf("Solved %s: %d nodes, %d elements; results in %s\n", file.c_str(), model->m_NPOIN, model->m_NELEM,
                folder.empty() ? "the current folder" : folder.c_str());
    return 0;
}
