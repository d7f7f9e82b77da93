// Reading results off a large frame: the per-member results computed once
// after a solution, the values of the moment diagram chosen and placed for
// one picture (the whole frame fitted to the window, and zoomed in), and
// the read-out under the pointer, for building frames of about 10,000 and
// 100,000 nodes (20,000 and 200,000 members). The displacements are
// synthetic, as in vela_stage_bench: no solution is needed.
//
//   vela_inspect_bench [benchmark options]
#include "FrameGenerator.h"

#include "core/StructureModel.h"
#include "graphics/ValueLabels.h"
#include "graphics/ViewTransform.h"
#include "input/ReadBeamSystemFile.h"
#include "inspect/ModelResults.h"
#include "inspect/ReadOut.h"
#include "inspect/Scene.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

struct Size {
    int storeys;
    int bays;
};

const Size kSizes[] = {{124, 79}, {399, 249}};

struct Loaded {
    std::string folder;
    std::unique_ptr<StructureModel> model;
    std::unique_ptr<ModelResults> results;
    ViewTransform view;

    ~Loaded() { std::filesystem::remove_all(folder); }
};

// A plausible smooth displacement field: a sway growing with height, a sag
// along the floors, a slight rotation.
void FillDisplacements(StructureModel& model)
{
    model.m_D.Resize(3 * model.m_NPOIN, 1);
    for (int i = 0; i < model.m_NPOIN; ++i) {
        const Node& n = model.m_Nodes[static_cast<std::size_t>(i)];
        model.m_D.At(3 * i) = 1e-3 * n.y / 3 + 1e-7 * n.x;
        model.m_D.At(3 * i + 1) = -1e-4 * n.x / 7 - 1e-6 * n.y;
        model.m_D.At(3 * i + 2) = 1e-5 * (1 + (n.x + n.y) / 1000) / 3;
    }
}

// Read, given its displacements and element results, its results cached,
// and a 1280 x 800 view fitted to it; made once per size.
Loaded& Frame(int index)
{
    static std::unique_ptr<Loaded> frames[std::size(kSizes)];
    std::unique_ptr<Loaded>& frame = frames[index];
    if (!frame) {
        frame = std::make_unique<Loaded>();
        std::string pattern = (std::filesystem::temp_directory_path() / "vela-inspect-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        frame->folder = pattern;
        const std::string file = pattern + "/frame.txt";
        std::ofstream(file, std::ios::binary) << GenerateFrame(kSizes[index].storeys, kSizes[index].bays);
        frame->model = std::make_unique<StructureModel>();
        StructureModel& model = *frame->model;
        model.m_OutputDir = pattern;
        ReadBeamSystemFile(model, file.c_str());
        model.ComputeBoundingBox();
        FillDisplacements(model);
        model.ComputeElementResults();
        model.ComputeMomentScale();
        frame->results = std::make_unique<ModelResults>(model);
        frame->view.SetUp(1280, 800, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    }
    return *frame;
}

void BM_ModelResults(benchmark::State& state)
{
    Loaded& frame = Frame(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::make_unique<ModelResults>(*frame.model));
    state.counters["members"] = frame.model->m_NELEM;
}

// The moment values of one picture: chosen from the members on the screen
// and placed, larger first, clear of each other. range(1): zoom factor.
void BM_MomentValues(benchmark::State& state)
{
    Loaded& frame = Frame(static_cast<int>(state.range(0)));
    ViewTransform view = frame.view;
    view.ZoomAt(640, 400, view.m_Scale * static_cast<double>(state.range(1)));
    std::size_t shown = 0;
    for (auto _ : state) {
        const std::vector<ValueLabel> labels = DiagramValues(*frame.results, view, Diagram::Moment);
        shown = PlaceLabels(view, labels).size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["members"] = frame.model->m_NELEM;
    state.counters["shown"] = static_cast<double>(shown);
}

// The view fitted to what is drawn, as at load (range(1) 0: the structure
// with its loads and supports) and after choosing the moment diagram with
// its values (1): the measured drawings the fit takes beyond the box's fit.
void BM_FitScene(benchmark::State& state)
{
    Loaded& frame = Frame(static_cast<int>(state.range(0)));
    StructureModel& model = *frame.model;
    if (model.m_AverageElemLength == 0) {
        model.ComputeInertiaLevels();
        model.m_AverageElemLength = model.ComputeAverageElemLength();
        model.ComputeForceScale();
        model.ComputePressScale();
    }
    LayerFlags flags = FreshStructureLayers();
    if (state.range(1) == 1) {
        flags = LayerFlags{};
        flags.m_ShowStructure = true;
        flags.m_ShowMoment = true;
        flags.m_ShowValues = true;
    }
    double zoomedOut = 1;
    for (auto _ : state) {
        ViewTransform view = frame.view;
        FitScene(view, model, flags, frame.results.get());
        zoomedOut = view.m_Scale / frame.view.m_Scale;
        benchmark::DoNotOptimize(zoomedOut);
    }
    state.counters["members"] = model.m_NELEM;
    state.counters["scale"] = zoomedOut;
}

// What the status bar says for a pointer over the middle of the picture.
void BM_ReadOut(benchmark::State& state)
{
    Loaded& frame = Frame(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOutAt(*frame.model, frame.results.get(), frame.view, 641, 401));
    state.counters["members"] = frame.model->m_NELEM;
}

} // namespace

BENCHMARK(BM_ModelResults)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MomentValues)->Args({0, 1})->Args({1, 1})->Args({1, 50})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitScene)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOut)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
