// Wall time of every stage of the pipeline on generated building frames of
// growing size, with what the sparse factorisation achieved and what the
// machine's BLAS reaches on a large matrix product, its practical peak.
//
//   vela_scale_bench [--repeat N] [--solver auto|dense|sparse] [--dump-matrices] [SxB ...]
//
// Each size SxB is a frame of S storeys and B bays ((S + 1)(B + 1) nodes);
// the default sizes have about 1,000, 10,000, 100,000 and 300,000 nodes.
// Every stage is reported as the median of N runs (default 5).
#include "BenchClock.h"
#include "FrameGenerator.h"

#include "core/StructureModel.h"
#include "input/ReadBeamSystemFile.h"
#include "reports/PostProcess.h"
#include "solver/SparseSolvers.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>

namespace {

using Dgemm = void (*)(const char*, const char*, const int*, const int*, const int*, const double*, const double*,
                       const int*, const double*, const int*, const double*, double*, const int*);

// What a large matrix product reaches through the BLAS the sparse solver
// runs on, as that solver has set it up (so it is asked for only after the
// solver exists).
double BlasGflops()
{
    void* blas = ::dlopen("libblas.so.3", RTLD_NOW);
    const Dgemm dgemm_ = blas ? reinterpret_cast<Dgemm>(::dlsym(blas, "dgemm_")) : nullptr;
    if (!dgemm_)
        return 0;
    // The solver loads the BLAS on one thread and asks for more only for a
    // large factorisation: the peak is what every core reaches.
    using SetThreads = void (*)(int);
    const auto setThreads = reinterpret_cast<SetThreads>(::dlsym(blas, "openblas_set_num_threads"));
    if (setThreads)
        setThreads(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    const int n = 3000;
    std::vector<double> a(static_cast<std::size_t>(n) * n, 1.0 / 3), b(a), c(a.size(), 0.0);
    const double one = 1, zero = 0;
    double best = 0;
    for (int r = 0; r < 3; ++r) {
        const auto start = BenchClock::now();
        dgemm_("N", "N", &n, &n, &n, &one, a.data(), &n, b.data(), &n, &zero, c.data(), &n);
        best = std::max(best, 2.0 * n * n * static_cast<double>(n) / SecondsSince(start) / 1e9);
    }
    if (setThreads)
        setThreads(1);
    return best;
}

struct Times {
    std::vector<double> read, assemble, dump, copy, solve, post, total, analyse, factorise, substitute;
    double flops = 0, residual = 0;
    std::size_t factorNonZeros = 0, matrixNonZeros = 0;
    int elements = 0;
};

} // namespace

int main(int argc, char** argv)
{
    // As the programs do, so that the figures are theirs.
    LimitSolverThreads();
    int repeat = 5;
    SolverChoice choice = SolverChoice::Auto;
    bool dump = false;
    std::vector<std::pair<int, int>> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        int s = 0, b = 0;
        if (a == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (a == "--solver" && i + 1 < argc) {
            const std::string v = argv[++i];
            choice = v == "dense" ? SolverChoice::Dense : v == "sparse" ? SolverChoice::Sparse : SolverChoice::Auto;
        } else if (a == "--dump-matrices")
            dump = true;
        else if (std::sscanf(a.c_str(), "%dx%d", &s, &b) == 2 && s > 0 && b > 0)
            sizes.emplace_back(s, b);
        else {
            std::fprintf(stderr, "usage: vela_scale_bench [--repeat N] [--solver auto|dense|sparse] "
                                 "[--dump-matrices] [SxB ...]\n");
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {{39, 24}, {124, 79}, {399, 249}, {699, 428}};

    const std::unique_ptr<SparseSolver> solver = MakeSparseSolver();
    if (!SparseSolverAvailable())
        return 1;
    const double peak = BlasGflops();
    const char* kernels = std::getenv("OPENBLAS_CORETYPE");
    std::printf("BLAS matrix product (3000 x 3000): %.1f GFLOP/s (OPENBLAS_CORETYPE=%s)\n\n", peak,
                kernels ? kernels : "unset");
    std::printf("%9s %9s %8s | %8s %8s %8s %8s %8s %8s | %8s | %8s %8s %8s %7s %9s %7s %8s\n", "nodes", "elements",
                "unknowns", "read", "assemble", "K.txt", "copy", "solve", "post", "total", "analyse", "factor", "subst",
                "GFLOP/s", "nnz(L)", "GFLOP", "residual");

    std::string root = (std::filesystem::temp_directory_path() / "vela-scale-XXXXXX").string();
    if (!::mkdtemp(root.data()))
        return 1;
    for (const auto& [storeys, bays] : sizes) {
        const std::string file = root + "/frame.txt";
        std::ofstream(file, std::ios::binary) << GenerateFrame(storeys, bays);
        Times t;
        int nodes = 0;
        for (int r = 0; r < repeat; ++r) {
            StructureModel model;
            model.m_OutputDir = root;
            model.m_SparseSolver = solver.get();
            model.m_Solver = choice;
            model.m_DumpMatrices = dump;
            const auto start = BenchClock::now();
            ReadBeamSystemFile(model, file.c_str());
            t.read.push_back(SecondsSince(start));

            // The rest of the load pipeline, in its order.
            auto stage = BenchClock::now();
            model.ComputeInertiaLevels();
            model.ComputeBoundingBox();
            const auto stiffness = BenchClock::now();
            model.AssembleStiffness();
            const double stiffnessAndDump = SecondsSince(stiffness);
            model.AssembleLoads();
            model.m_AverageElemLength = model.ComputeAverageElemLength();
            model.ComputeForceScale();
            model.ComputePressScale();
            const double assembled = SecondsSince(stage);
            const double total = SecondsSince(start);

            // The assembly once more without "K.txt" (outside the total),
            // which tells what the dump cost.
            double dumped = 0;
            if (model.m_SparseSystem && (3 * model.m_NPOIN <= kLargestStiffnessDump || dump)) {
                const auto again = BenchClock::now();
                model.AssembleSparseStiffness();
                dumped = std::max(0.0, stiffnessAndDump - SecondsSince(again));
            }
            t.dump.push_back(dumped);
            t.assemble.push_back(assembled - dumped);

            // The desktop solves a copy when the model on screen shows an
            // earlier solution: what the copy (and freeing it again) costs,
            // outside the total.
            stage = BenchClock::now();
            {
                const StructureModel copy(model);
            }
            t.copy.push_back(SecondsSince(stage));

            stage = BenchClock::now();
            model.Solve();
            t.solve.push_back(SecondsSince(stage));

            stage = BenchClock::now();
            PostProcess(model);
            t.post.push_back(SecondsSince(stage));
            t.total.push_back(total + t.solve.back() + t.post.back());

            nodes = model.m_NPOIN;
            t.elements = model.m_NELEM;
            if (model.m_SparseSystem) {
                const SparseSolver::Statistics s = solver->LastStatistics();
                t.analyse.push_back(s.analyseSeconds);
                t.factorise.push_back(s.factoriseSeconds);
                t.substitute.push_back(s.solveSeconds);
                t.flops = s.factorFlops;
                t.factorNonZeros = s.factorNonZeros;
                t.matrixNonZeros = model.m_KSparse.NonZeros();
                t.residual = model.BackwardError(model.m_D);
            }
        }
        auto ms = [](const std::vector<double>& v) { return v.empty() ? 0.0 : 1e3 * Median(v); };
        const double factorise = t.factorise.empty() ? 0.0 : Median(t.factorise);
        std::printf("%9d %9d %8d | %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f | %8.1f | %8.1f %8.1f %8.1f %7.1f %9zu %7.2f "
                    "%8.1e\n",
                    nodes, t.elements, 3 * nodes, ms(t.read), ms(t.assemble), ms(t.dump), ms(t.copy), ms(t.solve),
                    ms(t.post), ms(t.total), ms(t.analyse), ms(t.factorise), ms(t.substitute),
                    factorise > 0 ? t.flops / factorise / 1e9 : 0.0, t.factorNonZeros, t.flops / 1e9, t.residual);
        std::fflush(stdout);
    }
    std::printf(
        "\nmilliseconds, median of %d runs. read: the reader and its side files; assemble: the rest\n"
        "of the load (stiffness, loads, DForce.txt, scales) without K.txt, which is timed on its own\n"
        "(skipped above 3,000 unknowns); copy: a copy of the loaded model made and freed again (the\n"
        "desktop solves one when a solution is on screen); solve: ordering, factorisation, substitution and the\n"
        "residual; post: element results and the five result files; total: file to all files.\n",
        repeat);
    std::filesystem::remove_all(root);
    return 0;
}
