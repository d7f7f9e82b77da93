// Replays, in this process (so that the sanitizer build sees every access),
// the inputs that once broke the program and every refused file, through
// the whole batch path and every drawing layer, with the dense and the
// sparse solver: the pipeline fuzzer takes either, so a finding may need
// either to replay.
#include "app/ModelSetup.h"
#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "graphics/Layers.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/ViewTransform.h"
#include "input/Load.h"
#include "inspect/ModelResults.h"
#include "inspect/ReadOut.h"
#include "inspect/ResultTables.h"
#include "inspect/ResultsJson.h"
#include "inspect/Scene.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesIn(const std::string& folder)
{
    std::vector<fs::path> files;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        if (entry.is_regular_file() && entry.path().filename() != "EXPECTED" && entry.path().filename() != "README")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

enum class Reached { Refused, Loaded, Solved };

const char* const kReachedNames[] = {"refused", "loaded", "solved"};

std::ostream& operator<<(std::ostream& out, Reached reached)
{
    return out << kReachedNames[static_cast<int>(reached)];
}

// Everything the desktop reads off a model: the picture with values,
// reactions and a halo, the read-out over a grid of pixels, the tables as
// text, the JSON document.
void ReadResults(const StructureModel& model, const ViewTransform& view, bool solved)
{
    std::unique_ptr<ModelResults> results;
    if (solved)
        results = std::make_unique<ModelResults>(model);
    RecordingCanvas canvas;
    DrawScene(canvas, view, model, AllLayers(solved), results.get(), 0, 0);
    EXPECT_TRUE(canvas.StateIsInitial());
    for (int x = 0; x <= 800; x += 40)
        for (int y = 0; y <= 600; y += 40)
            ReadOutAt(model, results.get(), view, x, y);
    if (!results)
        return;
    for (const ResultTable& table : BuildResultTables(*results)) {
        std::vector<int> columns(static_cast<std::size_t>(table.ColumnCount()));
        for (std::size_t i = 0; i < columns.size(); ++i)
            columns[i] = static_cast<int>(i);
        TableText(table, SortedRows(table, table.ColumnCount() - 1, false), columns, ',');
    }
    EXPECT_EQ(ResultsJson(*results, {}).find("inf"), std::string::npos);
}

// Loads, solves, post-processes and draws; only a FatalError of status 1
// may stop it. Returns how far it got.
Reached Replay(const fs::path& file, SolverChoice solver)
{
    ScratchDir out;
    CollectingWarnings warnings;
    const ModelSetup setup(warnings);
    const std::unique_ptr<StructureModel> made = setup.NewModel(ModelOptions{out.Path(), solver});
    StructureModel& model = *made;
    Reached reached = Reached::Refused;
    try {
        Load(model, Utf8FromPath(file).c_str());
        reached = Reached::Loaded;
        model.Solve();
        PostProcess(model);
        reached = Reached::Solved;
    } catch (const FatalError& e) {
        EXPECT_EQ(e.Status(), 1) << file << ": " << e.Message();
    }
    if (reached != Reached::Refused) {
        RecordingCanvas canvas;
        ViewTransform view;
        view.SetUp(800, 600, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
        DrawLayers(canvas, view, model, AllLayers(reached == Reached::Solved));
        EXPECT_TRUE(canvas.StateIsInitial()) << file;
        ReadResults(model, view, reached == Reached::Solved);
    }
    return reached;
}

// The regressions' README: for each file, how far it gets with the default
// solver. The sparse solver may refuse what the dense one solves with a
// warning (a mechanism that escaped the pivot test, a solution that is not
// finite), so it is held to nothing but a clean stop.
std::map<std::string, Reached> ReadReadme(const std::string& path)
{
    std::map<std::string, Reached> expected;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string file, reached;
        std::getline(fields, file, '\t');
        std::getline(fields, reached, '\t');
        const auto* name = std::find(std::begin(kReachedNames), std::end(kReachedNames), reached);
        EXPECT_NE(name, std::end(kReachedNames)) << "README: " << line;
        if (name != std::end(kReachedNames))
            expected[file] = static_cast<Reached>(name - std::begin(kReachedNames));
    }
    return expected;
}

TEST(Replay, EveryRefusedFileStopsWithStatusOne)
{
    const std::vector<fs::path> files = FilesIn(std::string(VELA_TEST_DATA_DIR) + "/bad");
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        EXPECT_NE(Replay(file, SolverChoice::Auto), Reached::Solved) << file;
        EXPECT_NE(Replay(file, SolverChoice::Sparse), Reached::Solved) << file;
    }
}

TEST(Replay, InputsThatOnceBrokeTheProgram)
{
    const std::string folder = std::string(VELA_TEST_DATA_DIR) + "/regressions";
    const std::vector<fs::path> files = FilesIn(folder);
    ASSERT_FALSE(files.empty()) << folder << " is missing or empty: the stored findings are gone";
    std::map<std::string, Reached> expected = ReadReadme(folder + "/README");
    for (const fs::path& file : files) {
        const std::string name = Utf8FromPath(file.filename());
        const auto line = expected.find(name);
        if (line == expected.end()) {
            ADD_FAILURE() << name << " has no line in " << folder << "/README";
            Replay(file, SolverChoice::Auto);
        } else {
            EXPECT_EQ(Replay(file, SolverChoice::Auto), line->second) << name;
            expected.erase(line);
        }
        Replay(file, SolverChoice::Sparse);
    }
    for (const auto& [name, reached] : expected)
        ADD_FAILURE() << "README lists " << name << ", which is not in " << folder;
}

} // namespace
