// Replays, in this process (so that the sanitizer build sees every access),
// the inputs that once broke the program and every refused file, through
// the whole batch path and every drawing layer.
#include "graphics/Layers.h"
#include "app/ModelSetup.h"
#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "core/Warnings.h"
#include "graphics/RecordingCanvas.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesIn(const std::string& folder)
{
    std::vector<fs::path> files;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        if (entry.is_regular_file() && entry.path().filename() != "EXPECTED" &&
            entry.path().filename() != "README")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Loads, solves, post-processes and draws; only a FatalError of status 1
// may stop it. Returns how far it got.
enum class Reached { Refused, Loaded, Solved };

Reached Replay(const fs::path& file)
{
    ScratchDir out;
    CollectingWarnings warnings;
    const ModelSetup setup(warnings);
    const std::unique_ptr<StructureModel> made = setup.NewModel(ModelOptions{out.Path()});
    StructureModel& model = *made;
    Reached reached = Reached::Refused;
    try {
        Load(model, file.c_str());
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
    }
    return reached;
}

TEST(Replay, EveryRefusedFileStopsWithStatusOne)
{
    const std::vector<fs::path> files = FilesIn(std::string(VELA_TEST_DATA_DIR) + "/bad");
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files)
        EXPECT_NE(Replay(file), Reached::Solved) << file;
}

TEST(Replay, InputsThatOnceBrokeTheProgram)
{
    const std::vector<fs::path> files = FilesIn(std::string(VELA_TEST_DATA_DIR) + "/regressions");
    if (files.empty())
        GTEST_SKIP() << "no stored regressions";
    for (const fs::path& file : files)
        Replay(file);
}

} // namespace
