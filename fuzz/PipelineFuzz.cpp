// The whole batch path on arbitrary bytes, for models small enough to solve
// thousands of times a minute: read the file, load, solve, post-process and
// write the nine files into a scratch folder, then draw every layer. Only a
// FatalError may stop it, and whatever stops it, the folder never holds a
// file that is not one of the nine, nor a result file of a failed run.
#include "FuzzSupport.h"

#include "app/ModelSetup.h"
#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "graphics/Layers.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/ViewTransform.h"
#include "input/Load.h"
#include "input/ReadBeamSystemFile.h"
#include "inspect/ModelResults.h"
#include "inspect/ReadOut.h"
#include "inspect/ResultTables.h"
#include "inspect/ResultsJson.h"
#include "inspect/Scene.h"
#include "reports/PostProcess.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// Larger models are valid, but their dense solution would slow the search
// down without reaching any code that small ones do not.
constexpr int kMaxNodes = 60;

const std::set<std::string> kSideFiles = {"Point.txt", "Me.txt", "K.txt", "DForce.txt"};
const std::set<std::string> kResultFiles = {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt",
                                            "Nodal_Reaction.txt", "MDisInGlobalCS.txt"};

fs::path g_Scratch;

std::set<std::string> Listing(const fs::path& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void Clear(const fs::path& folder)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        fs::remove_all(entry.path());
}

void DrawEverything(const StructureModel& model, bool solved)
{
    RecordingCanvas canvas;
    ViewTransform view;
    view.SetUp(800, 600, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    DrawLayers(canvas, view, model, AllLayers(solved));
    FUZZ_CHECK(canvas.StateIsInitial(), "every layer restores the canvas state");

    // What the desktop reads off the results: values, reactions, the halo,
    // the read-out, the tables and the JSON document.
    std::unique_ptr<ModelResults> results;
    if (solved)
        results = std::make_unique<ModelResults>(model);
    DrawScene(canvas, view, model, AllLayers(solved), results.get(), 0, 0);
    FUZZ_CHECK(canvas.StateIsInitial(), "the overlay restores the canvas state");
    for (int x = 0; x <= 800; x += 100)
        for (int y = 0; y <= 600; y += 100)
            ReadOutAt(model, results.get(), view, x, y);
    if (results) {
        for (const ResultTable& table : BuildResultTables(*results))
            TableText(table, SortedRows(table, 1, true), {0}, '\t');
        FUZZ_CHECK(ResultsJson(*results, {}).find("inf") == std::string::npos, "JSON has no infinity");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (fs::temp_directory_path() / "vela-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    g_Scratch = pattern;
    fs::create_directory(g_Scratch / "out");
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_Scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    bool readable = true;
    {
        StructureModel probe;
        try {
            ReadBeamSystemText(probe, text);
        } catch (const FatalError&) {
            readable = false;
        }
        if (readable && probe.m_NPOIN > kMaxNodes)
            return 0;
    }

    const fs::path input = g_Scratch / "model.txt";
    const fs::path out = g_Scratch / "out";
    if (std::FILE* f = std::fopen(input.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    } else {
        FuzzFailure("cannot write the scratch input");
    }
    Clear(out);

    // Half the inputs take the sparse path (decided by the input itself, so
    // that a finding replays alike). The solver's library is opened once.
    static CollectingWarnings warnings;
    static const ModelSetup* setup = new ModelSetup(warnings);
    warnings.m_Texts.clear();
    const std::unique_ptr<StructureModel> made =
        setup->NewModel(ModelOptions{out.string(), text.size() % 2 ? SolverChoice::Sparse : SolverChoice::Auto});
    StructureModel& model = *made;
    enum { Refused, Loaded, Solved } reached = Refused;
    try {
        Load(model, input.c_str());
        reached = Loaded;
        model.Solve();
        PostProcess(model);
        reached = Solved;
    } catch (const FatalError& fatal) {
        FUZZ_CHECK(fatal.Status() == 1, "a failure ends with status 1");
    }

    // The file on disk and the same text in memory are read alike.
    const std::set<std::string> names = Listing(out);
    if (!readable) {
        FUZZ_CHECK(reached == Refused && names.empty(), "a refused file leaves nothing behind");
        return 0;
    }
    for (const std::string& name : names)
        FUZZ_CHECK(kSideFiles.count(name) || kResultFiles.count(name), "stray file " + name);
    // Read in full: the side files are there whatever a later step refuses.
    FUZZ_CHECK(names.count("Point.txt") && names.count("Me.txt"), "a file read in full leaves its side files");
    if (reached == Solved) {
        FUZZ_CHECK(names.size() == kSideFiles.size() + kResultFiles.size(), "a solved model writes all nine files");
    } else {
        for (const std::string& name : kResultFiles)
            FUZZ_CHECK(!names.count(name), "a failed solution writes no result file " + name);
    }
    if (reached != Refused)
        DrawEverything(model, reached == Solved);
    return 0;
}
