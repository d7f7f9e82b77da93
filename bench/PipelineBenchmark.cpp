// Load (read + assemble + dumps), solve and post-process (five result
// files) of generated building frames, timed separately.
#include "FrameGenerator.h"

#include "core/StructureModel.h"
#include "input/Load.h"
#include "reports/PostProcess.h"
#include "solver/SparseSolvers.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Frame {
    std::string folder;
    std::string file;
};

// Writes the frame once per size into a private folder.
Frame PrepareFrame(int storeys, int bays)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vela-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    Frame frame{pattern, pattern + "/frame.txt"};
    std::ofstream(frame.file, std::ios::binary) << GenerateFrame(storeys, bays);
    return frame;
}

// Every model gets the sparse solver, as in the program: the 1,000-node
// frame (3,000 unknowns) goes to it, the 500-node one stays dense.
SparseSolver& Solver()
{
    static const std::unique_ptr<SparseSolver> solver = MakeSparseSolver();
    return *solver;
}

void LoadFrame(StructureModel& model, const Frame& frame)
{
    model.m_OutputDir = frame.folder;
    model.m_SparseSolver = &Solver();
    Load(model, frame.file.c_str());
}

void BM_Load(benchmark::State& state)
{
    const Frame frame = PrepareFrame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        StructureModel model;
        LoadFrame(model, frame);
        benchmark::DoNotOptimize(model.m_K.Data());
    }
    state.counters["nodes"] = static_cast<double>((state.range(0) + 1) * (state.range(1) + 1));
    std::filesystem::remove_all(frame.folder);
}

void BM_Solve(benchmark::State& state)
{
    const Frame frame = PrepareFrame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    StructureModel model;
    LoadFrame(model, frame);
    for (auto _ : state) {
        model.Solve();
        benchmark::DoNotOptimize(model.m_D.Data());
    }
    state.counters["unknowns"] = static_cast<double>(3 * model.m_NPOIN);
    std::filesystem::remove_all(frame.folder);
}

void BM_PostProcess(benchmark::State& state)
{
    const Frame frame = PrepareFrame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    StructureModel model;
    LoadFrame(model, frame);
    model.Solve();
    for (auto _ : state)
        PostProcess(model);
    std::filesystem::remove_all(frame.folder);
}

void BM_FileToAllFiles(benchmark::State& state)
{
    const Frame frame = PrepareFrame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        StructureModel model;
        LoadFrame(model, frame);
        model.Solve();
        PostProcess(model);
    }
    std::filesystem::remove_all(frame.folder);
}

// 24 storeys x 19 bays = 500 nodes (1,500 unknowns); 39 x 24 = 1,000 nodes.
#define VELA_SIZES                                                                                                     \
    ->Args({24, 19})->Args({39, 24})->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()
BENCHMARK(BM_Load) VELA_SIZES;
BENCHMARK(BM_Solve) VELA_SIZES;
BENCHMARK(BM_PostProcess) VELA_SIZES;
BENCHMARK(BM_FileToAllFiles) VELA_SIZES;

} // namespace

BENCHMARK_MAIN();
