// Every fast path beside its plain version, on the same inputs: what each
// one gains. The tests hold the two to the same results bit for bit; this
// only times them.
#include "FrameGenerator.h"

#include "core/Cores.h"
#include "core/NumberFormat.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "input/Load.h"
#include "input/ReadBeamSystemFile.h"
#include "reports/MemberSampling.h"
#include "reports/PostProcess.h"
#include "reports/ResultFiles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::string PrivateFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vela-fastpaths-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

// A generated building frame, loaded and solved by the dense solver, with
// every element's end values.
struct SolvedFrame {
    std::string folder = PrivateFolder();
    StructureModel model;

    SolvedFrame(int storeys, int bays)
    {
        const std::string file = folder + "/frame.txt";
        std::ofstream(file, std::ios::binary) << GenerateFrame(storeys, bays);
        model.m_OutputDir = folder;
        Load(model, file.c_str());
        model.Solve();
        model.ComputeElementResults();
    }
    ~SolvedFrame() { std::filesystem::remove_all(folder); }
};

SolvedFrame& Frame()
{
    static SolvedFrame frame(19, 24); // 500 nodes, 975 members
    return frame;
}

SolvedFrame& SmallFrame()
{
    static SolvedFrame frame(9, 10); // 110 nodes, 330 unknowns
    return frame;
}

std::vector<BeamElement> RandomElements(int count)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> coordinate(-50, 50);
    std::vector<BeamElement> elements(static_cast<std::size_t>(count));
    for (BeamElement& e : elements)
        e.Init(0, Node{coordinate(random), coordinate(random), 0}, Node{coordinate(random), coordinate(random), 1},
               ElementProperty{2e8, 0.01, 8e-5});
    return elements;
}

// --- element stiffness: in place against (T k) T' ------------------------

void BM_ElementStiffness(benchmark::State& state)
{
    std::vector<BeamElement> elements = RandomElements(1000);
    const bool plain = state.range(0) != 0;
    for (auto _ : state)
        for (BeamElement& e : elements) {
            if (plain)
                benchmark::DoNotOptimize(e.ComputeStiffnessPlain());
            else
                benchmark::DoNotOptimize(e.ComputeStiffness());
        }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(elements.size()));
    state.SetLabel(plain ? "plain: matrix products" : "in place");
}
BENCHMARK(BM_ElementStiffness)->Arg(0)->Arg(1);

// --- end forces: in place against K d + f ----------------------------------

void BM_EndForces(benchmark::State& state)
{
    std::vector<BeamElement> elements = Frame().model.m_Elements;
    const bool plain = state.range(0) != 0;
    for (auto _ : state)
        for (BeamElement& e : elements) {
            if (plain)
                e.ComputeEndForcesPlain();
            else
                e.ComputeEndForces();
        }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(elements.size()));
    state.SetLabel(plain ? "plain: matrix products" : "in place");
}
BENCHMARK(BM_EndForces)->Arg(0)->Arg(1);

// --- member sampling: bounded against all 1001 samples -------------------

void BM_MemberSampling(benchmark::State& state)
{
    const std::vector<BeamElement>& elements = Frame().model.m_Elements;
    const bool plain = state.range(0) != 0;
    double value = 0, x = 0;
    for (auto _ : state)
        for (const BeamElement& e : elements) {
            if (plain) {
                AbsMaxMomentPlain(e, value, x);
                AbsMaxShearPlain(e, value, x);
                MaxDisplacementPlain(e, value, x);
            } else {
                AbsMaxMoment(e, value, x);
                AbsMaxShear(e, value, x);
                MaxDisplacement(e, value, x);
            }
            benchmark::DoNotOptimize(value);
        }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(elements.size()));
    state.SetLabel(plain ? "plain scan of 1001 samples" : "bounded");
}
BENCHMARK(BM_MemberSampling)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- dense elimination: pivot search kept up to date against repeated -----

void BM_DenseElimination(benchmark::State& state)
{
    const StructureModel& m = SmallFrame().model;
    const bool plain = state.range(0) != 0;
    for (auto _ : state) {
        if (plain)
            benchmark::DoNotOptimize(m.m_K.SolvePlain(m.m_F));
        else
            benchmark::DoNotOptimize(m.m_K.Solve(m.m_F));
    }
    state.SetLabel(std::to_string(m.m_K.GetRows()) + " unknowns, " +
                   (plain ? "plain: full pivot search every step" : "kept up to date"));
}
BENCHMARK(BM_DenseElimination)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- number format: one scaled multiplication against the expansion ------

void BM_NumberFormat(benchmark::State& state)
{
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-25, 25);
    std::vector<double> values(100000);
    for (double& v : values)
        v = mantissa(random) * std::pow(10.0, exponent(random));
    const bool plain = state.range(0) != 0;
    char text[kNumberBufferSize];
    for (auto _ : state)
        for (double v : values)
            benchmark::DoNotOptimize(plain ? FormatNumberByExpansionTo(text, v) : FormatNumberTo(text, v));
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(values.size()));
    state.SetLabel(plain ? "plain: 17-digit expansion" : "fast");
}
BENCHMARK(BM_NumberFormat)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- work on every core against one ---------------------------------------

struct LargeFrame {
    std::string folder = PrivateFolder();
    std::string file = folder + "/frame.txt";
    LargeFrame() { std::ofstream(file, std::ios::binary) << GenerateFrame(199, 99); } // 20,000 nodes
    ~LargeFrame() { std::filesystem::remove_all(folder); }
};

LargeFrame& Large()
{
    static LargeFrame frame;
    return frame;
}

// Reading a frame: its elements are set up in chunks on every core.
void BM_ReadOnCores(benchmark::State& state)
{
    const int previous = SetCoreLimit(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        StructureModel model;
        model.m_OutputDir = Large().folder;
        ReadBeamSystemFile(model, Large().file.c_str());
        benchmark::DoNotOptimize(model.m_Elements.data());
    }
    SetCoreLimit(previous);
    state.SetLabel(state.range(0) == 1 ? "one thread" : "every core");
}
BENCHMARK(BM_ReadOnCores)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The five result files of a solved frame: built in chunks on every core,
// each put in place while the next is written; against one thread and
// every file put in place before the next starts.
void BM_ResultFiles(benchmark::State& state)
{
    static StructureModel* model = [] {
        auto* m = new StructureModel;
        m->m_OutputDir = Large().folder;
        // The records and a displacement field of the right size are all
        // the files need.
        ReadBeamSystemFile(*m, Large().file.c_str());
        m->m_D.Resize(3 * m->m_NPOIN, 1);
        for (int i = 0; i < 3 * m->m_NPOIN; ++i)
            m->m_D.At(i) = 1e-4 * std::sin(0.01 * i);
        m->ComputeElementResults();
        return m;
    }();
    const bool plain = state.range(0) != 0;
    const int previous = SetCoreLimit(plain ? 1 : 0);
    for (auto _ : state) {
        DeferredCommits deferred;
        DeferredCommits* files = plain ? nullptr : &deferred;
        OutputNodalDisplacement(*model, files);
        OutputMForInGlobalCS(*model, files);
        OutputMForInElemCS(*model, files);
        OutputNodalReaction(*model, files);
        OutputMDisInGlobalCS(*model, files);
        deferred.Finish();
    }
    SetCoreLimit(previous);
    state.SetLabel(plain ? "one thread, each file in place before the next" : "every core, deferred commits");
}
BENCHMARK(BM_ResultFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
