#include "core/StructureModel.h"

#include "core/Cores.h"
#include "core/FatalError.h"
#include "core/Geometry.h"
#include "core/Gmres.h"
#include "core/NumberFormat.h"
#include "core/TextFile.h"
#include "core/Warnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr double kTiny = 1e-10;
constexpr double kScaleFraction = 0.1;
constexpr std::size_t kMaxDenseUnknowns = 23170; // 4 GiB of matrix
// The elements are handed to the cores in chunks of this many.
constexpr int kElementChunk = 4096;

bool AllFinite(const Matrix& m)
{
    for (double v : m.m_Data)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

StructureModel::StructureModel()
    : m_NumInertiaLevels(0), m_DOFPerNode(3), m_NPOIN(0), m_NodesPerElem(2), m_NELEM(0), m_NEP(0), m_NRN(0), m_NFOR(0),
      m_NDIS(0), m_NSPR(0), m_NTSPR(0), m_NPRESC(0), m_XMin(0), m_XMax(0), m_YMin(0), m_YMax(0), m_VisualScaleofDisp(1),
      m_VisualScaleofMoment(1), m_VisualScaleofShear(1), m_VisualScaleofAxial(1), m_VisualScaleofForce(1),
      m_VisualScaleofPress(1), m_AverageElemLength(0), m_Warnings(nullptr), m_Solver(SolverChoice::Auto),
      m_SparseSolver(nullptr), m_DumpMatrices(false), m_SparseSystem(false)
{
}

void StructureModel::Warn(const std::string& text) const
{
    if (m_Warnings)
        m_Warnings->Warning(text);
}

void StructureModel::Note(const std::string& text) const
{
    if (m_Warnings)
        m_Warnings->Notice(text);
}

std::string StructureModel::OutputPath(const char* name) const
{
    return JoinPath(m_OutputDir, name);
}

int StructureModel::InitElements()
{
    // Each element's matrices depend on its nodes and property alone, and
    // allocating and filling the few hundred megabytes a large frame's
    // elements take is much of reading it: so the copies start with empty
    // matrices, and each element gets, from the core that initialises it,
    // what the constructor would have given it (ResetResults) before its
    // Init.
    BeamElement blank;
    for (Matrix* matrix : {&blank.m_KInGlobalCS, &blank.m_KInElemCS, &blank.m_T, &blank.m_DisInGlobalCS,
                           &blank.m_ForInGlobalCS, &blank.m_KDisInGlobalCS, &blank.m_FixForInGlobalCS})
        matrix->Resize(0, 0);
    m_Elements.assign(static_cast<std::size_t>(m_NELEM), blank);
    std::vector<int> firstTooLarge(static_cast<std::size_t>(ChunkCount(m_NELEM, kElementChunk)), -1);
    RunInChunks(m_NELEM, kElementChunk, [this, &firstTooLarge](int c, int begin, int end) {
        for (int e = begin; e < end; ++e) {
            const std::size_t ue = static_cast<std::size_t>(e);
            BeamElement& element = m_Elements[ue];
            element.ResetResults();
            element.Init(e, m_Nodes[static_cast<std::size_t>(m_ElemNodes[2 * ue])],
                         m_Nodes[static_cast<std::size_t>(m_ElemNodes[2 * ue + 1])],
                         m_Properties[static_cast<std::size_t>(m_ElemProp[ue])]);
            if (!AllFinite(element.m_KInGlobalCS)) {
                firstTooLarge[static_cast<std::size_t>(c)] = e;
                return;
            }
        }
    });
    for (const int e : firstTooLarge)
        if (e >= 0)
            return e;
    return -1;
}

void StructureModel::ComputeInertiaLevels()
{
    if (m_NEP < 1)
        throw FatalError("单元属性数目<1 !", 1);
    std::vector<double> levels;
    levels.push_back(m_Properties[0].I);
    for (int i = 1; i < m_NEP; ++i) {
        const double I = m_Properties[static_cast<std::size_t>(i)].I;
        if (std::find(levels.begin(), levels.end(), I) == levels.end())
            levels.push_back(I);
    }
    std::sort(levels.begin(), levels.end());
    m_InertiaLevels = std::move(levels);
    m_NumInertiaLevels = static_cast<int>(m_InertiaLevels.size());
}

void StructureModel::ComputeBoundingBox()
{
    if (m_NPOIN < 1)
        throw FatalError("包围盒大小为零!", 1);
    m_XMin = m_XMax = m_Nodes[0].x;
    m_YMin = m_YMax = m_Nodes[0].y;
    for (int i = 1; i < m_NPOIN; ++i) {
        const Node& n = m_Nodes[static_cast<std::size_t>(i)];
        if (n.x < m_XMin)
            m_XMin = n.x;
        if (n.x > m_XMax)
            m_XMax = n.x;
        if (n.y < m_YMin)
            m_YMin = n.y;
        if (n.y > m_YMax)
            m_YMax = n.y;
    }
    if (m_XMin == m_XMax)
        m_XMax += 1.0;
    if (m_YMin == m_YMax)
        m_YMax += 1.0;
    if (m_XMin == m_XMax || m_YMin == m_YMax)
        throw FatalError("包围盒大小为零!", 1);
}

bool StructureModel::UsesSparseSystem(int n) const
{
    switch (m_Solver) {
    case SolverChoice::Dense:
        return false;
    case SolverChoice::Sparse:
        return true;
    case SolverChoice::Auto:
        break;
    }
    return n > kLargestDenseAutoSystem && m_SparseSolver != nullptr;
}

void StructureModel::AssembleStiffness()
{
    const int n = 3 * m_NPOIN;
    m_SparseSystem = UsesSparseSystem(n);
    if (m_SparseSystem) {
        if (!m_SparseSolver)
            throw FatalError("the sparse solver is not available in this program", 1);
        m_K = Matrix();
        // Assembled when the solution needs it, unless the dump wants it
        // now: the window shows a large frame that much sooner (0.1 s at
        // 100,000 nodes), and a frame that is only looked at never needs it.
        m_KSparse = SparseMatrix();
        if (n <= kLargestStiffnessDump || m_DumpMatrices)
            AssembleSparseStiffness();
        WriteStiffnessDump();
        return;
    }
    m_KSparse = SparseMatrix();

    const std::size_t un = static_cast<std::size_t>(n);
    // The dense system needs n * n doubles, twice over while it is solved.
    if (un > kMaxDenseUnknowns)
        throw FatalError("the model has " + std::to_string(n) + " unknowns, more than the " +
                             std::to_string(kMaxDenseUnknowns) + " the dense solver can hold in memory",
                         1);
    m_K.Resize(n, n);
    double* K = m_K.Data();
    auto at = [K, un](int i, int j) -> double& {
        return K[static_cast<std::size_t>(i) * un + static_cast<std::size_t>(j)];
    };

    for (int e = 0; e < m_NELEM; ++e) {
        const int a = m_ElemNodes[static_cast<std::size_t>(2 * e)];
        const int b = m_ElemNodes[static_cast<std::size_t>(2 * e + 1)];
        const int map[6] = {3 * a, 3 * a + 1, 3 * a + 2, 3 * b, 3 * b + 1, 3 * b + 2};
        const Matrix& ke = m_Elements[static_cast<std::size_t>(e)].m_KInGlobalCS;
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                at(map[i], map[j]) += ke.At(i * 6 + j);
    }
    for (const RestrictedNode& r : m_RestrictedNodes)
        for (int c = 0; c < 3; ++c)
            if (r.Fix[c] != 0)
                at(3 * r.NodeNo + c, 3 * r.NodeNo + c) = kPenalty;
    for (const Spring_2d& s : m_Springs) {
        const int m = s.Node.No;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                at(3 * m + i, 3 * m + j) += s.KInGlobalCS.At(i * 2 + j);
    }
    for (const Torsional_Spring_2d& t : m_TorsionalSprings)
        at(3 * t.Node.No + 2, 3 * t.Node.No + 2) += t.K;
    for (const PrescribedDisplacement& p : m_Prescribed) {
        const int m = p.Node.No;
        const bool given[3] = {p.HasDx, p.HasDy, p.HasRz};
        for (int c = 0; c < 3; ++c)
            if (given[c])
                at(3 * m + c, 3 * m + c) = kPenalty;
    }
    WriteStiffnessDump();
}

void StructureModel::AssembleSparseStiffness()
{
    // The pattern is that of the node graph, each node coupled to itself and
    // to the far end of each of its elements, with every coupling a full
    // 3 x 3 block. Entries are summed in the same order as in the dense
    // matrix (elements, then supports, springs and prescribed values), so
    // each holds exactly the value the dense matrix would.
    const std::size_t nodes = static_cast<std::size_t>(m_NPOIN);
    std::vector<std::size_t> first(nodes + 1, 0);
    for (std::size_t a = 0; a < nodes; ++a)
        first[a + 1] = 1;
    for (int e = 0; e < m_NELEM; ++e) {
        const std::size_t a = static_cast<std::size_t>(m_ElemNodes[static_cast<std::size_t>(2 * e)]);
        const std::size_t b = static_cast<std::size_t>(m_ElemNodes[static_cast<std::size_t>(2 * e + 1)]);
        if (a != b) {
            ++first[a + 1];
            ++first[b + 1];
        }
    }
    for (std::size_t a = 0; a < nodes; ++a)
        first[a + 1] += first[a];
    std::vector<int> neighbour(first[nodes]);
    std::vector<std::size_t> fill(first.begin(), first.end() - 1);
    for (std::size_t a = 0; a < nodes; ++a)
        neighbour[fill[a]++] = static_cast<int>(a);
    for (int e = 0; e < m_NELEM; ++e) {
        const int a = m_ElemNodes[static_cast<std::size_t>(2 * e)];
        const int b = m_ElemNodes[static_cast<std::size_t>(2 * e + 1)];
        if (a != b) {
            neighbour[fill[static_cast<std::size_t>(a)]++] = b;
            neighbour[fill[static_cast<std::size_t>(b)]++] = a;
        }
    }
    // Sorted and without the repeats of parallel elements, packed in place.
    std::vector<std::size_t> degree(nodes);
    std::size_t blocks = 0;
    for (std::size_t a = 0; a < nodes; ++a) {
        int* begin = neighbour.data() + first[a];
        int* end = neighbour.data() + first[a + 1];
        std::sort(begin, end);
        end = std::unique(begin, end);
        degree[a] = static_cast<std::size_t>(end - begin);
        std::copy(begin, end, neighbour.data() + blocks);
        first[a] = blocks;
        blocks += degree[a];
    }
    first[nodes] = blocks;

    const std::size_t entries = 9 * blocks;
    if (entries > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw FatalError("the model's stiffness matrix has " + std::to_string(entries) +
                             " non-zero entries, more than the sparse solver can index",
                         1);
    SparseMatrix& K = m_KSparse;
    K.m_Rows = 3 * m_NPOIN;
    K.m_BlockSize = 3;
    K.m_RowStart.assign(3 * nodes + 1, 0);
    K.m_Col.resize(entries);
    K.m_Value.assign(entries, 0.0);
    std::size_t at = 0;
    for (std::size_t a = 0; a < nodes; ++a)
        for (std::size_t c = 0; c < 3; ++c) {
            K.m_RowStart[3 * a + c] = static_cast<int>(at);
            for (std::size_t k = first[a]; k < first[a] + degree[a]; ++k)
                for (int cc = 0; cc < 3; ++cc)
                    K.m_Col[at++] = 3 * neighbour[k] + cc;
        }
    K.m_RowStart[3 * nodes] = static_cast<int>(at);

    // Where block (row node a, column node m) starts within row 3a.
    auto block = [&](int a, int m) {
        const std::size_t ua = static_cast<std::size_t>(a);
        const int* begin = neighbour.data() + first[ua];
        const int* found = std::lower_bound(begin, begin + degree[ua], m);
        return static_cast<std::size_t>(found - begin) * 3;
    };
    auto entry = [&](int row, std::size_t offset) -> double& {
        return K.m_Value[static_cast<std::size_t>(K.m_RowStart[static_cast<std::size_t>(row)]) + offset];
    };
    for (int e = 0; e < m_NELEM; ++e) {
        const int end[2] = {m_ElemNodes[static_cast<std::size_t>(2 * e)],
                            m_ElemNodes[static_cast<std::size_t>(2 * e + 1)]};
        const std::size_t offset[2][2] = {{block(end[0], end[0]), block(end[0], end[1])},
                                          {block(end[1], end[0]), block(end[1], end[1])}};
        const Matrix& ke = m_Elements[static_cast<std::size_t>(e)].m_KInGlobalCS;
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                entry(3 * end[i / 3] + i % 3, offset[i / 3][j / 3] + static_cast<std::size_t>(j % 3)) +=
                    ke.At(i * 6 + j);
    }
    auto diagonal = [&](int node, int c, int cc) -> double& {
        return entry(3 * node + c, block(node, node) + static_cast<std::size_t>(cc));
    };
    for (const RestrictedNode& r : m_RestrictedNodes)
        for (int c = 0; c < 3; ++c)
            if (r.Fix[c] != 0)
                diagonal(r.NodeNo, c, c) = kPenalty;
    for (const Spring_2d& s : m_Springs)
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                diagonal(s.Node.No, i, j) += s.KInGlobalCS.At(i * 2 + j);
    for (const Torsional_Spring_2d& t : m_TorsionalSprings)
        diagonal(t.Node.No, 2, 2) += t.K;
    for (const PrescribedDisplacement& p : m_Prescribed) {
        const bool given[3] = {p.HasDx, p.HasDy, p.HasRz};
        for (int c = 0; c < 3; ++c)
            if (given[c])
                diagonal(p.Node.No, c, c) = kPenalty;
    }
}

void StructureModel::WriteStiffnessDump() const
{
    const int n = 3 * m_NPOIN;
    const std::string path = OutputPath("K.txt");
    if (n > kLargestStiffnessDump && !m_DumpMatrices) {
        // A file left from an earlier model would be taken for this one's.
        std::remove(path.c_str());
        const double bytes = static_cast<double>(n) * (15.0 * n + 1.0);
        Note("\"K.txt\" is not written: the stiffness matrix of " + std::to_string(n) + " x " + std::to_string(n) +
             " entries would take " + FormatNumber(bytes) + " bytes of text (it is written up to " +
             std::to_string(kLargestStiffnessDump) + " unknowns)");
        return;
    }
    if (!m_SparseSystem && n <= kLargestStiffnessDump) {
        m_K.WriteToFile(path.c_str());
        return;
    }
    // Large dumps go out a few rows at a time.
    const int rowsPerPart = std::max(1, (1 << 22) / (15 * std::max(n, 1) + 1));
    int row = -1;
    WriteTextFileInParts(
        path,
        [&](std::string& part) {
            if (row < 0) {
                AppendIntField(part, n, 15);
                AppendIntField(part, n, 15);
                part += '\n';
                row = 0;
            }
            const int last = std::min(n, row + rowsPerPart);
            if (m_SparseSystem) {
                m_KSparse.AppendRowsText(part, row, last);
            } else {
                const std::size_t un = static_cast<std::size_t>(n);
                for (int i = row; i < last; ++i) {
                    for (std::size_t j = 0; j < un; ++j)
                        AppendNumberField(part, m_K.m_Data[static_cast<std::size_t>(i) * un + j], 15);
                    part += '\n';
                }
            }
            row = last;
            return row < n;
        },
        "Matrix write in the file error!");
}

void StructureModel::AssembleLoads()
{
    const int n = 3 * m_NPOIN;
    m_F.Resize(n, 1);
    auto add = [this](const force_2d& f) {
        const int m = f.Node.No;
        m_F.At(3 * m) += f.Fx;
        m_F.At(3 * m + 1) += f.Fy;
        m_F.At(3 * m + 2) += f.Mz;
    };
    for (const force_2d& f : m_Forces)
        add(f);
    for (const DistributedLoad& d : m_DistributedLoads) {
        add(d.EquForce1);
        add(d.EquForce2);
    }
    for (const PrescribedDisplacement& p : m_Prescribed) {
        const int m = p.Node.No;
        if (p.HasDx)
            m_F.At(3 * m) = p.Dx * kPenalty;
        if (p.HasDy)
            m_F.At(3 * m + 1) = p.Dy * kPenalty;
        if (p.HasRz)
            m_F.At(3 * m + 2) = p.Rz * kPenalty;
    }
    m_F.WriteToFile(OutputPath("DForce.txt").c_str());
}

double StructureModel::ComputeAverageElemLength() const
{
    // A model of nodes alone has no element length to go by; a quarter of
    // the model's size keeps node numbers and symbols readable.
    if (m_NELEM < 1)
        return 0.25 * std::max(m_XMax - m_XMin, m_YMax - m_YMin);
    double sum = 0;
    for (int e = 0; e < m_NELEM; ++e) {
        const Node& a = m_Nodes[static_cast<std::size_t>(m_ElemNodes[static_cast<std::size_t>(2 * e)])];
        const Node& b = m_Nodes[static_cast<std::size_t>(m_ElemNodes[static_cast<std::size_t>(2 * e + 1)])];
        sum += Length(b.y - a.y, b.x - a.x);
    }
    return sum / m_NELEM;
}

namespace {

double ScaleFor(double q, double width, double height)
{
    return kScaleFraction * std::max(width / q, height / q);
}

} // namespace

namespace {

// The scale that draws the largest load q a tenth as long as the larger
// side of the box. With no loads of the kind it is 1; with loads all but
// zero it is 1 too, after two warnings: the problem and the fallback.
double LoadScale(const StructureModel& m, int count, double q, const char* tooSmall, const char* fallback)
{
    if (count == 0)
        return 1;
    if (q < kTiny) {
        m.Warn(tooSmall);
        m.Warn(fallback);
        return 1;
    }
    return ScaleFor(q, m.m_XMax - m.m_XMin, m.m_YMax - m.m_YMin);
}

} // namespace

void StructureModel::ComputeForceScale()
{
    // Moments do not count: they have no length to draw.
    double fmax = 0;
    for (const force_2d& f : m_Forces)
        fmax = std::max({fmax, std::fabs(f.Fx), std::fabs(f.Fy)});
    m_VisualScaleofForce =
        LoadScale(*this, m_NFOR, fmax, "梁系集中力太小|Fmax|<1e-10!", "临时给m_VisualScaleofForce赋值为1");
}

void StructureModel::ComputePressScale()
{
    double pmax = 0;
    for (const DistributedLoad& d : m_DistributedLoads)
        pmax = std::max({pmax, std::fabs(d.q1), std::fabs(d.q2)});
    m_VisualScaleofPress =
        LoadScale(*this, m_NDIS, pmax, "梁系分布压力太小|Pmax|<1e-10!", "临时给m_VisualScaleofPress赋值为1");
}

namespace {

// The refined sparse solution is backward stable: each free equation holds
// to a few rounding units (1.1e-16) of the sum of the magnitudes of its
// terms, however ill-conditioned the system. One that is off by a part in a
// million in its own equation is not the solution of this system, and the
// six digits the result files print would no longer be trustworthy.
constexpr double kResidualLimit = 1e-6;

} // namespace

namespace {

const char* ComponentName(int unknown)
{
    static const char* const names[3] = {"dx", "dy", "rz"};
    return names[unknown % 3];
}

// The singular-system text, with where the solver found no pivot: the user
// looks at that node first.
FatalError SingularAt(const SingularSystemError& singular)
{
    const int unknown = singular.Unknown();
    if (unknown < 0)
        return FatalError(kSingularSystemMessage, singular.Status());
    std::string text = std::string(kSingularSystemMessage) + "\nno usable pivot was left at " + ComponentName(unknown) +
                       " of node " + std::to_string(unknown / 3);
    if (singular.Left() > 1)
        text += " (nor at " + std::to_string(singular.Left() - 1) + " other unknowns)";
    text += ": that node is not held in that direction, or the members around it can move without straining";
    return FatalError(text, singular.Status());
}

} // namespace

namespace {

// A mechanism is caught by the pivot test only when its pivot comes out
// exactly (or all but) zero. With penalty supports of 1e20 on the diagonal,
// the elimination leaves round-off of about 1e-16 times the stiffness of
// the members in the pivot of a free rigid-body motion, far above the test,
// and the solution moves the structure by some 1e16 times the load over
// the member stiffness: typically 1e10 times its own size and more. A
// sound model, however flexible, answers a load with a displacement of
// load over stiffness; for it to reach a thousand times the size of the
// structure, loads and stiffnesses would have to be off by many orders of
// magnitude, and a linear small-displacement analysis says nothing about
// such a motion anyway. A factor of 1e3 therefore separates the two by a
// wide margin on both sides.
constexpr double kMechanismFactor = 1e3;

} // namespace

void StructureModel::Solve()
{
    if (!m_SparseSystem) {
        try {
            m_D = m_K.Solve(m_F);
        } catch (const SingularSystemError& singular) {
            throw SingularAt(singular);
        }
        CheckSolution();
        return;
    }
    if (!m_SparseSolver)
        throw FatalError("the sparse solver is not available in this program", 1);
    if (m_KSparse.m_Rows != 3 * m_NPOIN)
        AssembleSparseStiffness();
    Matrix d;
    d.Resize(m_KSparse.m_Rows, 1);
    try {
        m_SparseSolver->Solve(m_KSparse, m_F.Data(), d.Data());
    } catch (const SingularSystemError& singular) {
        throw SingularAt(singular);
    }
    double residual = 0;
    try {
        residual = Refine(d);
    } catch (...) {
        m_SparseSolver->Release();
        throw;
    }
    m_SparseSolver->Release();
    if (!(residual <= kResidualLimit))
        throw InaccurateSolution(d, residual);
    // A pivot that round-off kept from zero (a mechanism) gives a solution
    // some 1e16 times too large, which no refinement can tell from right:
    // the factorisation refuses it, as it refuses a zero pivot.
    std::size_t where = 0;
    double size = 0;
    if (MovesLikeAMechanism(d, where, size))
        throw FatalError(std::string(kSingularSystemMessage) + "\nthe solution moves " +
                             ComponentName(static_cast<int>(where)) + " of node " + std::to_string(where / 3) + " by " +
                             FormatNumber(d.m_Data[where]) + ", more than " + FormatNumber(kMechanismFactor) +
                             " times the size of the structure: it is not held against moving there",
                         1);
    m_D = std::move(d);
    CheckSolution();
}

namespace {

// Rows of K per chunk of the work spread over the cores.
constexpr int kRowsPerChunk = 8192;

// r = f - K d, each row summed in extended precision, so that refinement
// can win back the digits the factorisation lost.
void Residual(const SparseMatrix& K, const double* d, const double* f, double* r)
{
    // Extended precision is slow: the rows are shared between the cores.
    RunInChunks(K.m_Rows, kRowsPerChunk, [&](int, int begin, int end) {
        for (std::size_t i = static_cast<std::size_t>(begin); i < static_cast<std::size_t>(end); ++i) {
            long double sum = f[i];
            for (int k = K.m_RowStart[i]; k < K.m_RowStart[i + 1]; ++k)
                sum -= static_cast<long double>(K.m_Value[static_cast<std::size_t>(k)]) *
                       d[static_cast<std::size_t>(K.m_Col[static_cast<std::size_t>(k)])];
            r[i] = static_cast<double>(sum);
        }
    });
}

// Refinement stops when a correction is no smaller than the last one over
// this factor, when it changes the solution by less than a relative
// kSettledChange, and after this many steps.
constexpr double kRefinementGain = 2;
constexpr double kSettledChange = 1e-14;
constexpr int kMaxRefinements = 10;
// A backward error this small is as good as the rounding of the entries
// allows: a correction may leave it anywhere below.
constexpr double kResidualAtRounding = 1e-14;
// A correction by GMRES: the fall of its residual asked for, the steps
// between restarts and the products of K at most.
constexpr double kKrylovTolerance = 1e-12;
constexpr int kKrylovRestart = 30;
constexpr int kKrylovProducts = 120;

} // namespace

double StructureModel::Refine(Matrix& d) const
{
    // The factorisation reads one triangle of K, while the system is all of
    // K: the product's rule for tiny factors leaves K unsymmetric in its last
    // bits, which in a very soft member is all of its stiffness, and an
    // ill-conditioned system loses digits besides. Each correction solves
    // with the same factor for the residual against the whole of K; the
    // best solution so far is kept, and the steps go on while they gain.
    //
    // Where the two matrices differ too much for that to converge, each
    // correction is instead found by GMRES with the factor as its
    // preconditioner, which needs only that they be close in most
    // directions.
    const std::size_t n = static_cast<std::size_t>(m_KSparse.m_Rows);
    double residual = BackwardError(d);
    std::vector<double> r(n), delta(n);
    Matrix trial;
    bool krylov = false;
    // GMRES works on the system scaled by the square roots of K's diagonal,
    // S K S with S = diag(|K_ii|^-1/2), so that the rows held by the
    // penalty weigh no more in its norm than the free ones.
    std::vector<double> scale(n, 1.0), scaled(n), work(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double* diagonal = m_KSparse.Find(static_cast<int>(i), static_cast<int>(i));
        if (diagonal && std::isfinite(*diagonal) && *diagonal != 0)
            scale[i] = 1 / std::sqrt(std::fabs(*diagonal));
    }
    const auto apply = [&](const double* v, double* out) {
        for (std::size_t i = 0; i < n; ++i)
            work[i] = scale[i] * v[i];
        m_KSparse.Multiply(work.data(), out);
        for (std::size_t i = 0; i < n; ++i)
            out[i] *= scale[i];
    };
    const auto precondition = [&](const double* v, double* out) {
        for (std::size_t i = 0; i < n; ++i)
            work[i] = v[i] / scale[i];
        m_SparseSolver->SolveAgain(work.data(), out);
        for (std::size_t i = 0; i < n; ++i)
            out[i] /= scale[i];
    };
    double lastChange = INFINITY;
    for (int step = 0; step < kMaxRefinements && std::isfinite(residual); ++step) {
        Residual(m_KSparse, d.Data(), m_F.Data(), r.data());
        if (krylov) {
            for (std::size_t i = 0; i < n; ++i)
                scaled[i] = scale[i] * r[i];
            Gmres(n, apply, precondition, scaled.data(), delta.data(), kKrylovTolerance, kKrylovRestart,
                  kKrylovProducts);
            for (std::size_t i = 0; i < n; ++i)
                delta[i] *= scale[i];
        } else {
            m_SparseSolver->SolveAgain(r.data(), delta.data());
        }
        trial = d;
        double correction = 0, size = 0;
        for (std::size_t i = 0; i < n; ++i) {
            trial.m_Data[i] += delta[i];
            correction = std::max(correction, std::fabs(delta[i]));
            size = std::max(size, std::fabs(trial.m_Data[i]));
        }
        const double next = BackwardError(trial);
        // A correction that makes the solution worse is not taken: plain
        // refinement gives way to GMRES, GMRES ends the refinement.
        if (!(next <= std::max(residual, kResidualAtRounding))) {
            if (krylov)
                break;
            krylov = true;
            continue;
        }
        d = std::move(trial);
        residual = next;
        // Done when the corrections reach the digits that count, or stop
        // shrinking.
        const double change = size > 0 ? correction / size : 0;
        if (!(change > kSettledChange) || !(change < lastChange / kRefinementGain))
            break;
        lastChange = change;
    }
    return residual;
}

FatalError StructureModel::InaccurateSolution(const Matrix& d, double residual) const
{
    // A solution that is not a number anywhere came from a pivot that was
    // all but zero: a mechanism, as the dense elimination would say.
    for (double v : d.m_Data)
        if (!std::isfinite(v))
            return FatalError(kSingularSystemMessage, 1);
    // Otherwise the system is solvable but ill-conditioned: the component
    // with the largest error is where the user looks.
    std::size_t worst = 0;
    BackwardError(d, &worst);
    return FatalError("the solution is inaccurate: the stiffness system is ill-conditioned (after refinement its "
                      "backward error is " +
                          FormatNumber(residual) + ", above " + FormatNumber(kResidualLimit) +
                          ")\nthe largest "
                          "error is at " +
                          ComponentName(static_cast<int>(worst)) + " of node " + std::to_string(worst / 3) +
                          ": look for stiffnesses that differ by many orders of magnitude around it, or for a part "
                          "held only by very soft members or springs",
                      1);
}

double StructureModel::BackwardError(const Matrix& d, std::size_t* worst) const
{
    // The componentwise backward error over the free components: each
    // equation's residual against the sum of the magnitudes of its terms,
    // |f_i - (K d)_i| / (sum_j |K_ij d_j| + |f_i|), the largest over the
    // rows. A backward-stable solution has it near the rounding unit
    // however ill-conditioned the system, and a wrong one shows in its own
    // row, however small its loads are next to the forces inside the
    // structure. The held rows are left out: theirs are the penalty's
    // equations, whose entries of 1e20 would hide anything.
    const SparseMatrix& K = m_KSparse;
    const std::vector<bool> held = HeldComponents();
    const std::size_t n = static_cast<std::size_t>(K.m_Rows);
    if (worst)
        *worst = 0;
    if (d.m_Data.size() < n || m_F.m_Data.size() < n || held.size() < n)
        return 0;
    // Each chunk of rows on its own, as the rows would be taken one after
    // the other: its largest error and the first row with it, up to the
    // first row that ends the search (a held component that is not a
    // number, or an error that is not a number).
    struct Part {
        double largest = 0;
        std::size_t worst = 0;
        bool stops = false;
        double stopValue = 0;
        std::size_t stopRow = 0;
        bool stopIsError = false; // a row's error, which names the row
    };
    std::vector<Part> parts(static_cast<std::size_t>(ChunkCount(static_cast<int>(n), kRowsPerChunk)));
    RunInChunks(static_cast<int>(n), kRowsPerChunk, [&](int chunk, int begin, int end) {
        Part& part = parts[static_cast<std::size_t>(chunk)];
        for (std::size_t i = static_cast<std::size_t>(begin); i < static_cast<std::size_t>(end); ++i) {
            if (held[i]) {
                if (!std::isfinite(d.m_Data[i])) {
                    part.stops = true;
                    part.stopValue = d.m_Data[i];
                    return;
                }
                continue;
            }
            // In extended precision: the measure must see the gains of
            // refinement below the rounding of the products.
            const long double f = m_F.m_Data[i];
            long double residual = f, size = std::fabs(f);
            for (int k = K.m_RowStart[i]; k < K.m_RowStart[i + 1]; ++k) {
                const long double term = static_cast<long double>(K.m_Value[static_cast<std::size_t>(k)]) *
                                         d.m_Data[static_cast<std::size_t>(K.m_Col[static_cast<std::size_t>(k)])];
                residual -= term;
                size += std::fabs(term);
            }
            if (residual == 0)
                continue;
            const double error = static_cast<double>(std::fabs(residual) / size);
            if (std::isnan(error)) {
                part.stops = true;
                part.stopValue = error;
                part.stopRow = i;
                part.stopIsError = true;
                return;
            }
            if (!(error <= part.largest)) {
                part.largest = error;
                part.worst = i;
            }
        }
    });
    // Combined in row order: the first row with the largest error, or what
    // ended the search first.
    double largest = 0;
    for (const Part& part : parts) {
        if (!(part.largest <= largest)) {
            largest = part.largest;
            if (worst)
                *worst = part.worst;
        }
        if (part.stops) {
            if (part.stopIsError && worst)
                *worst = part.stopRow;
            return part.stopValue;
        }
    }
    return largest;
}

std::vector<bool> StructureModel::HeldComponents() const
{
    // Supported and prescribed components carry the penalty.
    const std::size_t n = static_cast<std::size_t>(m_NPOIN);
    std::vector<bool> held(3 * n, false);
    auto inModel = [n](int node) { return node >= 0 && static_cast<std::size_t>(node) < n; };
    for (const RestrictedNode& r : m_RestrictedNodes)
        for (int c = 0; c < 3; ++c)
            if (r.Fix[c] != 0 && inModel(r.NodeNo))
                held[3 * static_cast<std::size_t>(r.NodeNo) + static_cast<std::size_t>(c)] = true;
    for (const PrescribedDisplacement& p : m_Prescribed) {
        if (!inModel(p.Node.No))
            continue;
        const std::size_t base = 3 * static_cast<std::size_t>(p.Node.No);
        held[base] = held[base] || p.HasDx;
        held[base + 1] = held[base + 1] || p.HasDy;
        held[base + 2] = held[base + 2] || p.HasRz;
    }
    return held;
}

void StructureModel::CheckSolution() const
{
    const std::size_t n = static_cast<std::size_t>(m_NPOIN);
    if (n == 0 || m_Nodes.size() < n || m_D.m_Data.size() < 3 * n)
        return;

    // Supported and prescribed translations are held by the penalty; only
    // the others tell whether the structure is held at all.
    const std::vector<bool> held = HeldComponents();

    // A component that is not a finite number is named, a free one before
    // a held one: that is where the structure is loose.
    std::size_t notFinite = 3 * n;
    for (std::size_t i = 0; i < 3 * n; ++i)
        if (!std::isfinite(m_D.m_Data[i]) && (notFinite == 3 * n || (held[notFinite] && !held[i])))
            notFinite = i;
    if (notFinite < 3 * n) {
        Note("the displacement " + std::string(ComponentName(static_cast<int>(notFinite))) + " of node " +
             std::to_string(notFinite / 3) +
             " is not a finite number: the structure is probably a mechanism (not held against moving "
             "or turning as a whole, or with a part free to move), or its loads and stiffnesses are "
             "out of range; the results are meaningless");
        return;
    }

    std::size_t where = 0;
    double size = 0;
    if (MovesLikeAMechanism(m_D, where, size))
        Note("the displacement " + std::string(ComponentName(static_cast<int>(where))) + " of node " +
             std::to_string(where / 3) + " (" + FormatNumber(m_D.m_Data[where]) + ") is more than " +
             FormatNumber(kMechanismFactor) + " times the size of the structure (" + FormatNumber(size) +
             "): the structure is probably a mechanism, not held against moving or turning as a whole, "
             "or with a part free to move; check its supports");
}

bool StructureModel::MovesLikeAMechanism(const Matrix& d, std::size_t& where, double& size) const
{
    // Supported and prescribed translations are held by the penalty; only
    // the others tell whether the structure is held at all.
    const std::size_t n = static_cast<std::size_t>(m_NPOIN);
    if (n == 0 || m_Nodes.size() < n || d.m_Data.size() < 3 * n)
        return false;
    const std::vector<bool> held = HeldComponents();
    double largest = 0;
    where = 0;
    for (std::size_t i = 0; i < 3 * n; ++i) {
        const double v = d.m_Data[i];
        if (i % 3 != 2 && !held[i] && std::fabs(v) > largest) {
            largest = std::fabs(v);
            where = i;
        }
    }
    double xMin = m_Nodes[0].x, xMax = xMin, yMin = m_Nodes[0].y, yMax = yMin;
    for (std::size_t k = 1; k < n; ++k) {
        const Node& node = m_Nodes[k];
        xMin = std::min(xMin, node.x);
        xMax = std::max(xMax, node.x);
        yMin = std::min(yMin, node.y);
        yMax = std::max(yMax, node.y);
    }
    size = std::max(xMax - xMin, yMax - yMin);
    if (!(size > 0))
        size = 1.0; // a single node: the unit box the bounding box gives it
    return largest > kMechanismFactor * size;
}

void StructureModel::ComputeElementResults()
{
    // The fixed-end forces first, in load order: when several loads name
    // one element, the last one's forces remain.
    Matrix end1, end2;
    end1.Resize(3, 1);
    end2.Resize(3, 1);
    for (const DistributedLoad& d : m_DistributedLoads) {
        const force_2d f1 = d.GetEquForce1();
        const force_2d f2 = d.GetEquForce2();
        end1.At(0) = -f1.Fx;
        end1.At(1) = -f1.Fy;
        end1.At(2) = -f1.Mz;
        end2.At(0) = -f2.Fx;
        end2.At(1) = -f2.Fy;
        end2.At(2) = -f2.Mz;
        m_Elements[static_cast<std::size_t>(d.ElemNo)].SetFixForInGlobalCS(end1, end2);
    }
    // Then each element's end displacements and end forces, which concern
    // that element alone.
    RunInChunks(static_cast<int>(m_Elements.size()), kElementChunk, [this](int, int begin, int end) {
        Matrix node1, node2;
        node1.Resize(3, 1);
        node2.Resize(3, 1);
        for (int e = begin; e < end; ++e) {
            BeamElement& element = m_Elements[static_cast<std::size_t>(e)];
            if (e < m_NELEM) {
                const int a = m_ElemNodes[static_cast<std::size_t>(2 * e)];
                const int b = m_ElemNodes[static_cast<std::size_t>(2 * e + 1)];
                for (int k = 0; k < 3; ++k) {
                    node1.At(k) = m_D.At(3 * a + k);
                    node2.At(k) = m_D.At(3 * b + k);
                }
                element.SetDisInGlobalCS(node1, node2);
            }
            element.ComputeEndForces();
        }
    });
}

namespace {

// The scale that draws the largest value q a tenth as long as the larger
// side of the box; 1, with a warning, when q is all but zero.
double ResultScale(const StructureModel& m, double q, const char* warning)
{
    if (std::fabs(q) < kTiny) {
        m.Warn(warning);
        return 1.0;
    }
    return ScaleFor(q, m.m_XMax - m.m_XMin, m.m_YMax - m.m_YMin);
}

// The largest of q and the magnitudes values(element, out) gives for every
// element, by the rule of std::max: a NaN never replaces a number, and a
// NaN q stays. That makes the result the same in any grouping, so the
// elements are taken in chunks on every core and the chunks' results
// combined.
template <typename Values>
double LargestOverElements(const StructureModel& m, double q, Values values)
{
    const int count = static_cast<int>(m.m_Elements.size());
    std::vector<double> largest(static_cast<std::size_t>(ChunkCount(count, kElementChunk)), q);
    RunInChunks(count, kElementChunk, [&](int c, int begin, int end) {
        double best = q;
        for (int e = begin; e < end; ++e)
            best = values(m.m_Elements[static_cast<std::size_t>(e)], best);
        largest[static_cast<std::size_t>(c)] = best;
    });
    for (double chunk : largest)
        q = std::max(q, chunk);
    return q;
}

// The largest magnitude of an element-end force component (entries first
// and first + 3 of the element-axis end forces) or of value(element, axis)
// at an element's midpoint, over all elements.
template <typename Midpoint>
double LargestEndOrMidpointValue(const StructureModel& m, int first, Midpoint value)
{
    double q = 0.0;
    if (m.m_NELEM > 0)
        q = std::fabs(m.m_Elements[0].ComputeAxisResults().f[first]);
    return LargestOverElements(m, q, [first, value](const BeamElement& element, double best) {
        const BeamElement::AxisResults axis = element.ComputeAxisResults();
        return std::max(
            {best, std::fabs(axis.f[first]), std::fabs(axis.f[first + 3]), std::fabs(value(element, axis))});
    });
}

} // namespace

void StructureModel::ComputeDispScale()
{
    // Translations only: a rotation is not a length to draw.
    double q = m_NPOIN > 0 ? std::fabs(m_D.At(0)) : 0.0;
    for (int i = 0; i < m_NPOIN; ++i)
        q = std::max({q, std::fabs(m_D.At(3 * i)), std::fabs(m_D.At(3 * i + 1))});
    q = LargestOverElements(*this, q, [](const BeamElement& element, double best) {
        double mid[2];
        element.DisplacementAt(0.5, element.ComputeAxisResults(), mid);
        return std::max({best, std::fabs(mid[0]), std::fabs(mid[1])});
    });
    m_VisualScaleofDisp = ResultScale(*this, q, "梁系变形太小|最大线位移<1e-10");
}

void StructureModel::ComputeMomentScale()
{
    const double q = LargestEndOrMidpointValue(
        *this, 2, [](const BeamElement& e, const BeamElement::AxisResults& axis) { return e.MomentAt(0.5, axis); });
    m_VisualScaleofMoment = ResultScale(*this, q, "梁系弯矩太小|Mmax|<1e-10!");
}

void StructureModel::ComputeShearScale()
{
    const double q = LargestEndOrMidpointValue(
        *this, 1, [](const BeamElement& e, const BeamElement::AxisResults& axis) { return e.ShearAt(0.5, axis); });
    m_VisualScaleofShear = ResultScale(*this, q, "梁系剪力太小|Nmax|<1e-10!");
}

void StructureModel::ComputeAxialScale()
{
    // N is constant along a member (its loads are perpendicular to it), so
    // the end values are all there is.
    double q = 0.0;
    q = LargestOverElements(*this, q, [](const BeamElement& element, double best) {
        const BeamElement::AxisResults axis = element.ComputeAxisResults();
        return std::max({best, std::fabs(axis.f[0]), std::fabs(axis.f[3])});
    });
    m_VisualScaleofAxial = std::fabs(q) < kTiny ? 1.0 : ScaleFor(q, m_XMax - m_XMin, m_YMax - m_YMin);
}
