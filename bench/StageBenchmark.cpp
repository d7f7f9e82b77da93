// Reading (with the side files) and post-processing (element results, the
// five result files, the three result scales) of generated building frames
// of about 1,000, 10,000 and 100,000 nodes, timed separately. No solution is
// needed: the displacement vector is filled with smooth synthetic values, so
// frames far beyond the dense solver's reach can be measured. BM_PostProcess
// replaces the files of the previous iteration, BM_PostProcessFresh writes
// them anew.
//
//   vela_stage_bench [--write-outputs=DIR] [benchmark options]
//
// With --write-outputs, every size is first read and post-processed once into
// DIR/<nodes>/ (frame.txt and all seven files it produces), for comparing the
// outputs of two builds with cmp; the benchmarks then run as usual.
#include "FrameGenerator.h"

#include "core/StructureModel.h"
#include "input/ReadBeamSystemFile.h"
#include "reports/PostProcess.h"
#include "reports/ResultFiles.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Size {
    int storeys;
    int bays;
};

// (storeys + 1) * (bays + 1) nodes: 1,000, 10,000 and 100,000.
const Size kSizes[] = {{39, 24}, {124, 79}, {399, 249}};

struct Frame {
    std::string folder;
    std::string file;
};

Frame WriteFrame(const std::string& folder, const Size& size)
{
    std::filesystem::create_directories(folder);
    Frame frame{folder, folder + "/frame.txt"};
    std::ofstream(frame.file, std::ios::binary) << GenerateFrame(size.storeys, size.bays);
    return frame;
}

// One private scratch folder per size, written on first use and removed at
// exit.
const Frame& FrameFor(int index)
{
    static std::unique_ptr<Frame> frames[std::size(kSizes)];
    static struct Cleanup {
        ~Cleanup()
        {
            for (auto& f : frames)
                if (f)
                    std::filesystem::remove_all(f->folder);
        }
    } cleanup;
    auto& frame = frames[index];
    if (!frame) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vela-stage-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        frame = std::make_unique<Frame>(WriteFrame(pattern, kSizes[index]));
    }
    return *frame;
}

// A plausible smooth displacement field with full digits: a sway growing
// with height, a sag growing along the floors, a slight rotation.
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

// A model read from the frame, ready for PostProcess.
void PrepareForPostProcess(StructureModel& model, const Frame& frame)
{
    model.m_OutputDir = frame.folder;
    ReadBeamSystemFile(model, frame.file.c_str());
    model.ComputeBoundingBox();
    FillDisplacements(model);
}

double Nodes(int index)
{
    return (kSizes[index].storeys + 1.0) * (kSizes[index].bays + 1.0);
}

void BM_Read(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const Frame& frame = FrameFor(index);
    for (auto _ : state) {
        auto model = std::make_unique<StructureModel>();
        model->m_OutputDir = frame.folder;
        ReadBeamSystemFile(*model, frame.file.c_str());
        benchmark::DoNotOptimize(model->m_Elements.data());
        // Freeing the model is not part of reading.
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = Nodes(index);
}

void BM_PostProcess(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const Frame& frame = FrameFor(index);
    StructureModel model;
    PrepareForPostProcess(model, frame);
    for (auto _ : state)
        PostProcess(model);
    state.counters["nodes"] = Nodes(index);
    state.counters["elements"] = model.m_NELEM;
}

// The same into a folder without earlier result files: replacing a file
// costs more than writing a new one on some file systems (ext4 pushes the
// new data to the disk first).
void BM_PostProcessFresh(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const Frame& frame = FrameFor(index);
    StructureModel model;
    PrepareForPostProcess(model, frame);
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* name : {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt",
                                 "Nodal_Reaction.txt", "MDisInGlobalCS.txt"})
            std::filesystem::remove(frame.folder + "/" + name);
        state.ResumeTiming();
        PostProcess(model);
    }
    state.counters["nodes"] = Nodes(index);
    state.counters["elements"] = model.m_NELEM;
}

// The steps of PostProcess one by one, to see where the time goes.
void BM_PostProcessStep(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const int step = static_cast<int>(state.range(1));
    const Frame& frame = FrameFor(index);
    StructureModel model;
    PrepareForPostProcess(model, frame);
    model.ComputeElementResults();
    static const char* const names[] = {"OutputNodalDisplacement", "ComputeElementResults", "OutputMForInGlobalCS",
                                        "OutputMForInElemCS",      "OutputNodalReaction",   "OutputMDisInGlobalCS",
                                        "ComputeShearScale",       "ComputeDispScale",      "ComputeMomentScale"};
    state.SetLabel(names[step]);
    for (auto _ : state) {
        switch (step) {
        case 0:
            OutputNodalDisplacement(model);
            break;
        case 1:
            model.ComputeElementResults();
            break;
        case 2:
            OutputMForInGlobalCS(model);
            break;
        case 3:
            OutputMForInElemCS(model);
            break;
        case 4:
            OutputNodalReaction(model);
            break;
        case 5:
            OutputMDisInGlobalCS(model);
            break;
        case 6:
            model.ComputeShearScale();
            break;
        case 7:
            model.ComputeDispScale();
            break;
        case 8:
            model.ComputeMomentScale();
            break;
        }
    }
}

void AllSizes(benchmark::internal::Benchmark* b)
{
    for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i)
        b->Arg(i);
    b->ArgName("size")->Unit(benchmark::kMillisecond)->UseRealTime();
}

void AllSteps(benchmark::internal::Benchmark* b)
{
    for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i)
        for (int step = 0; step < 9; ++step)
            b->Args({i, step});
    b->ArgNames({"size", "step"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Read)->Apply(AllSizes);
BENCHMARK(BM_PostProcess)->Apply(AllSizes);
BENCHMARK(BM_PostProcessFresh)->Apply(AllSizes);
BENCHMARK(BM_PostProcessStep)->Apply(AllSteps);

// Reads and post-processes every size once into dir/<nodes>/.
void WriteOutputs(const std::string& dir)
{
    for (std::size_t i = 0; i < std::size(kSizes); ++i) {
        const Frame frame =
            WriteFrame(dir + "/" + std::to_string(static_cast<long>(Nodes(static_cast<int>(i)))), kSizes[i]);
        StructureModel model;
        PrepareForPostProcess(model, frame);
        PostProcess(model);
        std::cout << frame.folder << ": scales " << model.m_VisualScaleofShear << ' ' << model.m_VisualScaleofDisp
                  << ' ' << model.m_VisualScaleofMoment << '\n';
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args;
    const char* const option = "--write-outputs=";
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], option, std::strlen(option)) == 0)
            WriteOutputs(argv[i] + std::strlen(option));
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
