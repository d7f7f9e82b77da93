#include "solver/CholmodSolver.h"
#include "solver/CholmodMemory.h"

#include "core/FatalError.h"
#include "core/Matrix.h"
#include "core/SparseMatrix.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <cholmod.h>
#include <dlfcn.h>

namespace {

// CHOLMOD is opened at run time rather than linked, so that the BLAS it
// brings along is set up only after the program has had its say. OpenBLAS
// picks its kernels by CPU model when it is loaded, and the OpenBLAS of
// Debian 12 does not know every processor with AVX-512 (virtual machines
// report generic models): it falls back to its SSE3 kernels, which run the
// factorisation of large frames half as fast. Where the processor has
// what OpenBLAS's AVX-512 kernels need, they are asked for, unless the
// user has chosen kernels of their own.
void PreferWideBlasKernels()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (std::getenv("OPENBLAS_CORETYPE"))
        return;
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
        ::setenv("OPENBLAS_CORETYPE", "SkylakeX", 0);
#endif
}

// OpenBLAS starts its threads when it is loaded, and an idle one polls for
// work (sched_yield) for a while after each call: a small system, factorised
// on one thread, shared the cores with a thread that had nothing to do, and
// at 100,000 nodes the polling took a second of processor time beside the
// program's two. So OpenBLAS is loaded with one thread, the threads it would
// have taken (its own variables, else the cores) are asked for only when a
// factorisation is large enough to share, and an idle thread goes to sleep
// at once (the wake-up costs microseconds against the milliseconds of any
// call worth sharing). Returns that number of threads.
int StartBlasOnOneThread()
{
    ::setenv("OPENBLAS_THREAD_TIMEOUT", "4", 0);
    if (const char* own = std::getenv("OPENBLAS_NUM_THREADS"); own && std::atoi(own) > 0)
        return std::atoi(own);
    int threads = static_cast<int>(std::thread::hardware_concurrency());
    for (const char* name : {"GOTO_NUM_THREADS", "OMP_NUM_THREADS"})
        if (const char* value = std::getenv(name); value && std::atoi(value) > 0) {
            threads = std::atoi(value);
            break;
        }
    ::setenv("OPENBLAS_NUM_THREADS", "1", 1);
    return std::max(1, threads);
}

struct CholmodApi {
    decltype(&cholmod_start) start = nullptr;
    decltype(&cholmod_finish) finish = nullptr;
    decltype(&cholmod_analyze) analyze = nullptr;
    decltype(&cholmod_analyze_p) analyze_p = nullptr;
    decltype(&cholmod_factorize) factorize = nullptr;
    decltype(&cholmod_solve) solve = nullptr;
    decltype(&cholmod_free_factor) free_factor = nullptr;
    decltype(&cholmod_free_dense) free_dense = nullptr;
    decltype(&cholmod_amd) amd = nullptr;
    // Nested dissection through METIS; null where the library was built
    // without it, and minimum degree then orders every system.
    decltype(&cholmod_metis) metis = nullptr;
    // OpenBLAS's thread count, where the BLAS is OpenBLAS: null elsewhere.
    void (*setBlasThreads)(int) = nullptr;
    int blasThreads = 1;
};

// Below this many operations a factorisation is thousands of small fronts,
// each too small to share between threads: the BLAS threads would spend
// more time waking each other than multiplying (measured at 10,000 nodes,
// 0.3 GFLOP: half the time on one thread), while 100,000 nodes (12 GFLOP)
// have fronts large enough to gain from every core.
constexpr double kThreadedBlasFlops = 2e9;

// Below this many unknowns (3,000 nodes) the factor is computed column by
// column (simplicial) rather than in dense blocks: the blocks of a small
// frame are a few columns each, and calling the BLAS for each cost more than
// it saved (a 1,000-node frame: 9 ms against 5 ms; 2,000 nodes: 20 against
// 15 ms; from 3,500 nodes on the blocks are faster: 38 against 36 ms, and
// 62 against 167 ms at 10,000 nodes).
constexpr std::size_t kSupernodalUnknowns = 9000;

template <typename F>
bool Bind(void* library, const char* name, F& function)
{
    function = reinterpret_cast<F>(::dlsym(library, name));
    return function != nullptr;
}

// The library's functions, opened once; throws when it is missing.
const CholmodApi& Cholmod()
{
    static const CholmodApi api = [] {
        PreferWideBlasKernels();
        const int blasThreads = StartBlasOnOneThread();
        CholmodApi a;
        void* library = ::dlopen(VELA_CHOLMOD_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library || !Bind(library, "cholmod_start", a.start) || !Bind(library, "cholmod_finish", a.finish) ||
            !Bind(library, "cholmod_analyze", a.analyze) || !Bind(library, "cholmod_analyze_p", a.analyze_p) ||
            !Bind(library, "cholmod_factorize", a.factorize) || !Bind(library, "cholmod_solve", a.solve) ||
            !Bind(library, "cholmod_free_factor", a.free_factor) ||
            !Bind(library, "cholmod_free_dense", a.free_dense) || !Bind(library, "cholmod_amd", a.amd))
            a.start = nullptr;
        else
            Bind(library, "cholmod_metis", a.metis);
        // Set before CHOLMOD allocates anything, so that every block it
        // frees is one these functions gave it. A SuiteSparse that keeps
        // the table to itself keeps malloc's functions too.
        if (auto* config = static_cast<SuiteSparse_config_struct*>(::dlsym(library, "SuiteSparse_config"))) {
            config->malloc_func = PrefaultedMalloc;
            config->calloc_func = PrefaultedCalloc;
            config->realloc_func = PrefaultedRealloc;
            config->free_func = PrefaultedFree;
        }
        // Looked up among the library's own dependencies.
        if (Bind(library, "openblas_set_num_threads", a.setBlasThreads))
            a.blasThreads = blasThreads;
        return a;
    }();
    if (!api.start)
        throw FatalError(std::string("the sparse solver's library ") + VELA_CHOLMOD_LIBRARY +
                             " cannot be loaded: install SuiteSparse (libcholmod3)",
                         1);
    return api;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The first column of the factor (in its own, permuted order) whose pivot
// is not usable, or L.n when every one is. The pivots are the diagonal of
// D for LDL', where a negative one is allowed, and the squares of the
// diagonal of L for LL'. A pivot that round-off kept from zero (a
// mechanism) is not told from a small one here (a very soft member beside
// stiff ones, in any units): it shows in the solution, which the model
// checks.
std::size_t FirstUnusablePivot(const cholmod_factor& L)
{
    auto usable = [&](double pivot, std::size_t) { return std::isfinite(pivot) && (L.is_ll ? pivot > 0 : pivot != 0); };
    const double* x = static_cast<const double*>(L.x);
    if (L.is_super) {
        const int* super = static_cast<const int*>(L.super);
        const int* pi = static_cast<const int*>(L.pi);
        const int* px = static_cast<const int*>(L.px);
        for (std::size_t s = 0; s < L.nsuper; ++s) {
            const int rows = pi[s + 1] - pi[s];
            for (int j = super[s]; j < super[s + 1]; ++j) {
                const int local = j - super[s];
                const double l = x[px[s] + local * rows + local];
                if (!usable(l * l, static_cast<std::size_t>(j)))
                    return static_cast<std::size_t>(j);
            }
        }
        return L.n;
    }
    const int* p = static_cast<const int*>(L.p);
    for (std::size_t j = 0; j < L.n; ++j) {
        const double v = x[p[j]];
        if (!usable(L.is_ll ? v * v : v, j))
            return j;
    }
    return L.n;
}

// CHOLMOD's view of a square matrix held in compressed columns (start,
// index; values, or none for a pattern) of which it reads the entries on
// and above the diagonal. Nothing is copied; CHOLMOD does not write to it.
cholmod_sparse SymmetricView(std::size_t n, const int* start, const int* index, const double* values)
{
    cholmod_sparse view{};
    view.nrow = n;
    view.ncol = n;
    view.nzmax = static_cast<std::size_t>(start[n]);
    view.p = const_cast<int*>(start);
    view.i = const_cast<int*>(index);
    view.x = const_cast<double*>(values);
    view.stype = 1;
    view.itype = CHOLMOD_INT;
    view.xtype = values ? CHOLMOD_REAL : CHOLMOD_PATTERN;
    view.dtype = CHOLMOD_DOUBLE;
    view.sorted = 1;
    view.packed = 1;
    return view;
}

// A fill-reducing ordering of K computed on the graph of its blocks (the
// nodes), a ninth of the size of the graph of its entries, and expanded so
// that the components of each node stay together. Minimum degree (AMD) up
// to a size (kNestedDissectionUnknowns); nested dissection (METIS) above, where the
// factor's size decides whether the frame fits in memory at all. Measured
// on square building frames: at 100,000 nodes METIS takes ten times as
// long to find its order (0.7 s against 0.07 s) as it saves in the
// factorisation (9.7 against 12.3 GFLOP); at 1,000,000 nodes its factor
// is a fifth smaller (368 against 457 million entries: 7.4 instead of 8.3
// GB at the peak) and needs 43 % fewer operations (312 against 546
// GFLOP), which pays for its order. Empty when K has no block structure
// or the ordering fails; CHOLMOD then orders K itself.
std::vector<int> BlockOrdering(const SparseMatrix& K, int dissectAbove, cholmod_common& c)
{
    const int b = K.m_BlockSize;
    if (b <= 1 || K.m_Rows % b != 0)
        return {};
    const std::size_t blocks = static_cast<std::size_t>(K.m_Rows / b);
    std::vector<int> start(blocks + 1), index;
    index.reserve(K.NonZeros() / static_cast<std::size_t>(b * b));
    for (std::size_t g = 0; g < blocks; ++g) {
        start[g] = static_cast<int>(index.size());
        const std::size_t row = g * static_cast<std::size_t>(b);
        for (int k = K.m_RowStart[row]; k < K.m_RowStart[row + 1]; k += b)
            index.push_back(K.m_Col[static_cast<std::size_t>(k)] / b);
    }
    start[blocks] = static_cast<int>(index.size());

    cholmod_sparse G = SymmetricView(blocks, start.data(), index.data(), nullptr);
    std::vector<int> order(blocks);
    const CholmodApi& api = Cholmod();
    const bool dissect = api.metis && K.m_Rows > dissectAbove;
    if (!(dissect && api.metis(&G, nullptr, 0, 0, order.data(), &c)) && !api.amd(&G, nullptr, 0, order.data(), &c))
        return {};
    std::vector<int> permutation(static_cast<std::size_t>(K.m_Rows));
    for (std::size_t g = 0; g < blocks; ++g)
        for (int j = 0; j < b; ++j)
            permutation[g * static_cast<std::size_t>(b) + static_cast<std::size_t>(j)] = order[g] * b + j;
    return permutation;
}

// The symbolic factorisation, in the given order of the unknowns, or in
// CHOLMOD's own when there is none.
cholmod_factor* Analyse(const CholmodApi& api, cholmod_sparse& A, std::vector<int>& permutation, cholmod_common& c)
{
    cholmod_factor* L = nullptr;
    if (!permutation.empty()) {
        const int nmethods = c.nmethods, ordering = c.method[0].ordering;
        c.nmethods = 1;
        c.method[0].ordering = CHOLMOD_GIVEN;
        L = api.analyze_p(&A, permutation.data(), nullptr, 0, &c);
        c.nmethods = nmethods;
        c.method[0].ordering = ordering;
    } else {
        L = api.analyze(&A, &c);
    }
    if (c.status == CHOLMOD_OUT_OF_MEMORY) {
        api.free_factor(&L, &c);
        throw std::bad_alloc();
    }
    if (!L)
        throw FatalError("the sparse solver could not order the stiffness matrix (CHOLMOD status " +
                             std::to_string(c.status) + ")",
                         1);
    return L;
}

// While it is alive, only the blocks mapped for the factor's values are
// filled in ahead of use: the workspaces of the ordering and of the
// factorisation are sized for the worst case, and up to half of them is
// never touched (70 MB more at the peak of a 300,000-node frame when they
// were filled in too).
class FactorFillIn {
public:
    FactorFillIn() : m_Previous(FillInBlocksFrom(SIZE_MAX)) {}
    ~FactorFillIn() { FillInBlocksFrom(m_Previous); }
    FactorFillIn(const FactorFillIn&) = delete;
    FactorFillIn& operator=(const FactorFillIn&) = delete;

    // Between the analysis, which knows the factor's size, and the
    // factorisation, which maps it.
    static void Factorising(const cholmod_common& c)
    {
        FillInBlocksFrom(static_cast<std::size_t>(c.lnz) * sizeof(double) / 2);
    }
    static void Done() { FillInBlocksFrom(SIZE_MAX); }

private:
    std::size_t m_Previous;
};

} // namespace

struct CholmodSolver::Library {
    const CholmodApi& api = Cholmod();
    cholmod_common common;
    // The factor of the last solution, for its refinement.
    cholmod_factor* factor = nullptr;
    std::size_t rows = 0;

    Library()
    {
        api.start(&common);
        common.supernodal = CHOLMOD_SUPERNODAL;
        // Failures are reported by status, not printed.
        common.print = 0;
        common.error_handler = nullptr;
    }
    ~Library()
    {
        Free();
        api.finish(&common);
    }
    void Free()
    {
        if (factor)
            api.free_factor(&factor, &common);
        factor = nullptr;
        rows = 0;
    }
    // x = A^-1 b with the kept factor.
    void SolveWith(const double* b, double* x)
    {
        cholmod_dense B{};
        B.nrow = rows;
        B.ncol = 1;
        B.nzmax = rows;
        B.d = rows;
        B.x = const_cast<double*>(b);
        B.xtype = CHOLMOD_REAL;
        B.dtype = CHOLMOD_DOUBLE;
        cholmod_dense* X = api.solve(CHOLMOD_A, factor, &B, &common);
        if (!X) {
            if (common.status == CHOLMOD_OUT_OF_MEMORY)
                throw std::bad_alloc();
            throw FatalError(kSingularSystemMessage, 1);
        }
        std::memcpy(x, X->x, rows * sizeof(double));
        api.free_dense(&X, &common);
    }
};

// The library is opened by the first solution, so that a program without
// it still starts and solves every system the dense solver can take.
CholmodSolver::CholmodSolver() = default;

CholmodSolver::~CholmodSolver() = default;

SparseSolver::Statistics CholmodSolver::LastStatistics() const
{
    return m_Statistics;
}

void CholmodSolver::Solve(const SparseMatrix& K, const double* f, double* d)
{
    if (!m_Library)
        m_Library = std::make_unique<Library>();
    cholmod_common& c = m_Library->common;
    const CholmodApi& api = m_Library->api;
    const std::size_t n = static_cast<std::size_t>(K.m_Rows);
    m_Statistics = Statistics{};
    m_Library->Free();
    if (n == 0)
        return;

    // The rows of K, read as columns, are the columns of K' = K; with
    // stype = 1 CHOLMOD reads the entries on and above the diagonal of
    // that view, that is the lower triangle of K, and ignores the rest.
    //
    // Products of tiny factors are left out of the element stiffness, so K
    // may differ from its mirror in its last bits (in a very soft member,
    // in all of them): its symmetric part is what is factorised, and the
    // model's refinement against K itself does the rest.
    std::vector<double> symmetric;
    const double* values = K.SymmetricLowerValues(symmetric) ? symmetric.data() : K.m_Value.data();
    cholmod_sparse A = SymmetricView(n, K.m_RowStart.data(), K.m_Col.data(), values);

    const FactorFillIn fillIn;
    auto start = std::chrono::steady_clock::now();
    std::vector<int> permutation = BlockOrdering(K, m_NestedDissectionAbove, c);
    // A supernodal LL' first (simplicial for a small system); where the symmetric part turns out not to be
    // positive definite in floating point (a very soft part beside very
    // stiff ones, a negative spring), a simplicial LDL', which takes
    // negative pivots as they come; refinement then does the rest, as it
    // does for the difference between K and its symmetric part.
    cholmod_factor* L = nullptr;
    std::size_t failed = n;
    for (const bool ll : {true, false}) {
        const int supernodal = c.supernodal, finalLl = c.final_ll;
        c.supernodal = ll && n >= kSupernodalUnknowns ? CHOLMOD_SUPERNODAL : CHOLMOD_SIMPLICIAL;
        c.final_ll = ll;
        L = Analyse(api, A, permutation, c);
        if (ll) {
            m_Statistics.analyseSeconds = SecondsSince(start);
            m_Statistics.factorFlops = c.fl;
        }
        if (api.setBlasThreads)
            api.setBlasThreads(c.fl < kThreadedBlasFlops ? 1 : api.blasThreads);
        start = std::chrono::steady_clock::now();
        FactorFillIn::Factorising(c);
        const int factorised = api.factorize(&A, L, &c);
        FactorFillIn::Done();
        c.supernodal = supernodal;
        c.final_ll = finalLl;
        m_Statistics.factoriseSeconds += SecondsSince(start);
        m_Statistics.factorNonZeros = static_cast<std::size_t>(c.lnz);
        if (c.status == CHOLMOD_OUT_OF_MEMORY) {
            api.free_factor(&L, &c);
            throw std::bad_alloc();
        }
        // Where the factorisation stopped, or the first pivot it could not
        // use, is named by its unknown in the system's own order.
        if (!factorised || c.status == CHOLMOD_NOT_POSDEF || L->minor < n) {
            failed = std::min<std::size_t>(L->minor, n - 1);
        } else {
            failed = FirstUnusablePivot(*L);
        }
        if (failed == n)
            break;
        const int unknown = L->Perm ? static_cast<const int*>(L->Perm)[failed] : static_cast<int>(failed);
        api.free_factor(&L, &c);
        if (!ll)
            throw SingularSystemError(unknown);
        start = std::chrono::steady_clock::now();
    }

    start = std::chrono::steady_clock::now();
    m_Library->factor = L;
    m_Library->rows = n;
    m_Library->SolveWith(f, d);
    m_Statistics.solveSeconds = SecondsSince(start);
}

void CholmodSolver::SolveAgain(const double* f, double* d)
{
    if (!m_Library || !m_Library->factor)
        throw FatalError("the sparse solver has no factor to solve with", 1);
    m_Library->SolveWith(f, d);
}

void CholmodSolver::Release()
{
    if (m_Library)
        m_Library->Free();
}

bool CholmodAvailable()
{
    try {
        Cholmod();
        return true;
    } catch (const FatalError&) {
        return false;
    }
}
