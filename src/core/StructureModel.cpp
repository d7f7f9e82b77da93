#include "core/StructureModel.h"

#include "core/FatalError.h"
#include "core/TextFile.h"
#include "core/ViewTransform.h"
#include "core/Warnings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPenalty = 1e20;
constexpr double kTiny = 1e-10;
constexpr double kScaleFraction = 0.1;
constexpr std::size_t kMaxDenseUnknowns = 23170; // 4 GiB of matrix

} // namespace

StructureModel::StructureModel()
    : m_NumInertiaLevels(0), m_DOFPerNode(3), m_NPOIN(0), m_NodesPerElem(2), m_NELEM(0), m_NEP(0),
      m_NRN(0), m_NFOR(0), m_NDIS(0), m_NSPR(0), m_NTSPR(0), m_NPRESC(0), m_View(nullptr), m_XMin(0),
      m_XMax(0), m_YMin(0), m_YMax(0), m_VisualScaleofDisp(1), m_VisualScaleofMoment(1),
      m_VisualScaleofShear(1), m_VisualScaleofForce(1), m_VisualScaleofPress(1), m_AverageElemLength(0),
      m_Warnings(nullptr)
{
}

void StructureModel::Warn(const std::string& text) const
{
    if (m_Warnings)
        m_Warnings->Warning(text);
}

std::string StructureModel::OutputPath(const char* name) const
{
    return JoinPath(m_OutputDir, name);
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

void StructureModel::AssembleStiffness()
{
    const int n = 3 * m_NPOIN;
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
    m_K.WriteToFile(OutputPath("K.txt").c_str());
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
        sum += std::sqrt((b.y - a.y) * (b.y - a.y) + (b.x - a.x) * (b.x - a.x));
    }
    return sum / m_NELEM;
}

namespace {

double ScaleFor(double q, double width, double height)
{
    return kScaleFraction * std::max(width / q, height / q);
}

} // namespace

void StructureModel::ComputeForceScale()
{
    if (m_NFOR == 0) {
        m_VisualScaleofForce = 1;
        return;
    }
    double fmax = 0;
    for (const force_2d& f : m_Forces)
        fmax = std::max({fmax, std::fabs(f.Fx), std::fabs(f.Fy)});
    if (fmax < kTiny) {
        Warn("梁系集中力太小|Fmax|<1e-10!");
        m_VisualScaleofForce = 1;
        Warn("临时给m_VisualScaleofForce赋值为1");
        return;
    }
    m_VisualScaleofForce = ScaleFor(fmax, m_XMax - m_XMin, m_YMax - m_YMin);
}

void StructureModel::ComputePressScale()
{
    if (m_NDIS == 0) {
        m_VisualScaleofPress = 1;
        return;
    }
    double pmax = 0;
    for (const DistributedLoad& d : m_DistributedLoads)
        pmax = std::max({pmax, std::fabs(d.q1), std::fabs(d.q2)});
    if (pmax < kTiny) {
        Warn("梁系分布压力太小|Pmax|<1e-10!");
        m_VisualScaleofPress = 1;
        Warn("临时给m_VisualScaleofPress赋值为1");
        return;
    }
    m_VisualScaleofPress = ScaleFor(pmax, m_XMax - m_XMin, m_YMax - m_YMin);
}

void StructureModel::Solve()
{
    m_D = m_K.Solve(m_F);
}

void StructureModel::ComputeElementResults()
{
    Matrix end1, end2;
    end1.Resize(3, 1);
    end2.Resize(3, 1);
    for (int e = 0; e < m_NELEM; ++e) {
        const int a = m_ElemNodes[static_cast<std::size_t>(2 * e)];
        const int b = m_ElemNodes[static_cast<std::size_t>(2 * e + 1)];
        for (int c = 0; c < 3; ++c) {
            end1.At(c) = m_D.At(3 * a + c);
            end2.At(c) = m_D.At(3 * b + c);
        }
        m_Elements[static_cast<std::size_t>(e)].SetDisInGlobalCS(end1, end2);
    }
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
    for (BeamElement& element : m_Elements)
        element.ComputeEndForces();
}

void StructureModel::ComputeDispScale()
{
    double q = m_NPOIN > 0 ? std::fabs(m_D.At(0)) : 0.0;
    for (int i = 0; i < m_NPOIN; ++i)
        q = std::max({q, std::fabs(m_D.At(3 * i)), std::fabs(m_D.At(3 * i + 1))});
    for (const BeamElement& element : m_Elements) {
        double mid[2];
        element.DisplacementAt(0.5, element.ComputeAxisResults(), mid);
        q = std::max({q, std::fabs(mid[0]), std::fabs(mid[1])});
    }
    if (std::fabs(q) < kTiny) {
        Warn("梁系变形太小|最大线位移<1e-10");
        m_VisualScaleofDisp = 1.0;
        return;
    }
    m_VisualScaleofDisp = ScaleFor(q, m_XMax - m_XMin, m_YMax - m_YMin);
}

void StructureModel::ComputeMomentScale()
{
    // The largest end or midpoint moment of any element.
    double q = 0.0;
    if (m_NELEM > 0)
        q = std::fabs(m_Elements[0].ComputeAxisResults().f[2]);
    for (const BeamElement& element : m_Elements) {
        const BeamElement::AxisResults axis = element.ComputeAxisResults();
        q = std::max({q, std::fabs(axis.f[2]), std::fabs(axis.f[5]), std::fabs(element.MomentAt(0.5, axis))});
    }
    if (std::fabs(q) < kTiny) {
        Warn("梁系弯矩太小|Mmax|<1e-10!");
        m_VisualScaleofMoment = 1.0;
        return;
    }
    m_VisualScaleofMoment = ScaleFor(q, m_XMax - m_XMin, m_YMax - m_YMin);
}

void StructureModel::ComputeShearScale()
{
    // The largest end or midpoint shear of any element.
    double q = 0.0;
    if (m_NELEM > 0)
        q = std::fabs(m_Elements[0].ComputeAxisResults().f[1]);
    for (const BeamElement& element : m_Elements) {
        const BeamElement::AxisResults axis = element.ComputeAxisResults();
        q = std::max({q, std::fabs(axis.f[1]), std::fabs(axis.f[4]), std::fabs(element.ShearAt(0.5, axis))});
    }
    if (std::fabs(q) < kTiny) {
        Warn("梁系剪力太小|Nmax|<1e-10!");
        m_VisualScaleofShear = 1.0;
        return;
    }
    m_VisualScaleofShear = ScaleFor(q, m_XMax - m_XMin, m_YMax - m_YMin);
}
