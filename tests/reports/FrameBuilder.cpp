#include "reports/FrameBuilder.h"

#include <cmath>

int FrameBuilder::AddNode(double x, double y)
{
    const int no = m_Model.m_NPOIN++;
    m_Model.m_Nodes.push_back(Node{x, y, no});
    return no;
}

int FrameBuilder::AddProperty(double E, double A, double I)
{
    m_Model.m_Properties.push_back(ElementProperty{E, A, I});
    return m_Model.m_NEP++;
}

int FrameBuilder::AddElement(int node1, int node2, int property)
{
    StructureModel& m = m_Model;
    const int no = m.m_NELEM++;
    m.m_ElemNodes.push_back(node1);
    m.m_ElemNodes.push_back(node2);
    m.m_ElemProp.push_back(property);
    m.m_Elements.emplace_back();
    m.m_Elements.back().Init(no, m.m_Nodes[static_cast<std::size_t>(node1)],
                             m.m_Nodes[static_cast<std::size_t>(node2)],
                             m.m_Properties[static_cast<std::size_t>(property)]);
    return no;
}

void FrameBuilder::AddSupport(int node, int fixDx, int fixDy, int fixRz)
{
    RestrictedNode r;
    r.Fix[0] = fixDx;
    r.Fix[1] = fixDy;
    r.Fix[2] = fixRz;
    r.x = m_Model.m_Nodes[static_cast<std::size_t>(node)].x;
    r.y = m_Model.m_Nodes[static_cast<std::size_t>(node)].y;
    r.NodeNo = node;
    m_Model.m_RestrictedNodes.push_back(r);
    ++m_Model.m_NRN;
}

void FrameBuilder::AddForce(int node, double fx, double fy, double mz)
{
    force_2d f;
    f.Node = m_Model.m_Nodes[static_cast<std::size_t>(node)];
    f.Fx = fx;
    f.Fy = fy;
    f.Mz = mz;
    m_Model.m_Forces.push_back(f);
    ++m_Model.m_NFOR;
}

void FrameBuilder::AddDistributedLoad(int element, double q1, double q2)
{
    StructureModel& m = m_Model;
    DistributedLoad d;
    d.ElemNo = element;
    d.Node1 = m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[static_cast<std::size_t>(2 * element)])];
    d.Node2 = m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[static_cast<std::size_t>(2 * element + 1)])];
    d.q1 = q1;
    d.q2 = q2;

    // Equivalent nodal loads of a linearly varying load along element y.
    const double dx = d.Node2.x - d.Node1.x, dy = d.Node2.y - d.Node1.y;
    const double L = std::sqrt(dx * dx + dy * dy);
    const double c = dx / L, s = dy / L;
    const double V1 = L * (0.35 * q1 + 0.15 * q2);
    const double M1 = q1 * L * L / 20 + q2 * L * L / 30;
    const double V2 = L * (0.15 * q1 + 0.35 * q2);
    const double M2 = -(q1 * L * L / 30 + q2 * L * L / 20);
    auto toGlobal = [c, s](force_2d& f, const Node& node, double V, double M) {
        f.Node = node;
        f.Fx = ProductCounts(-s, V) ? -s * V : 0.0;
        f.Fy = ProductCounts(c, V) ? c * V : 0.0;
        f.Mz = M;
    };
    toGlobal(d.EquForce1, d.Node1, V1, M1);
    toGlobal(d.EquForce2, d.Node2, V2, M2);

    m.m_DistributedLoads.push_back(d);
    ++m.m_NDIS;
    m.m_Elements[static_cast<std::size_t>(element)].SetDistributedLoad(q1, q2);
}

void FrameBuilder::AddPrescribed(int node, std::optional<double> dx, std::optional<double> dy,
                                 std::optional<double> rz)
{
    PrescribedDisplacement p;
    p.Node = m_Model.m_Nodes[static_cast<std::size_t>(node)];
    p.Dx = dx.value_or(0);
    p.Dy = dy.value_or(0);
    p.Rz = rz.value_or(0);
    p.HasDx = dx.has_value();
    p.HasDy = dy.has_value();
    p.HasRz = rz.has_value();
    m_Model.m_Prescribed.push_back(p);
    ++m_Model.m_NPRESC;
}

void FrameBuilder::AddSpring(int node, double k, double dirX, double dirY)
{
    Spring_2d s;
    s.Node = m_Model.m_Nodes[static_cast<std::size_t>(node)];
    s.K = k;
    s.DirX = dirX;
    s.DirY = dirY;
    const double l2 = dirX * dirX + dirY * dirY;
    s.KInGlobalCS.Resize(2, 2);
    s.KInGlobalCS.At(0) = k * dirX * dirX / l2;
    s.KInGlobalCS.At(1) = k * dirX * dirY / l2;
    s.KInGlobalCS.At(2) = k * dirX * dirY / l2;
    s.KInGlobalCS.At(3) = k * dirY * dirY / l2;
    m_Model.m_Springs.push_back(s);
    ++m_Model.m_NSPR;
}

void FrameBuilder::AddTorsionalSpring(int node, double k)
{
    Torsional_Spring_2d t;
    t.Node = m_Model.m_Nodes[static_cast<std::size_t>(node)];
    t.K = k;
    m_Model.m_TorsionalSprings.push_back(t);
    ++m_Model.m_NTSPR;
}

StructureModel& FrameBuilder::Prepare(const std::string& outputDir, WarningSink* warnings)
{
    StructureModel& m = m_Model;
    m.m_OutputDir = outputDir;
    m.m_Warnings = warnings;
    m.ComputeInertiaLevels();
    m.ComputeBoundingBox();
    m.AssembleStiffness();
    m.AssembleLoads();
    return m;
}

StructureModel& FrameBuilder::Run(const std::string& outputDir, WarningSink* warnings)
{
    StructureModel& m = Prepare(outputDir, warnings);
    m.Solve();
    m.PostProcess();
    return m;
}

FrameBuilder ShortCantilever()
{
    FrameBuilder b;
    b.AddProperty(1000, 10, 1);
    b.AddNode(0, 0);
    b.AddNode(2, 0);
    b.AddElement(0, 1, 0);
    b.AddSupport(0, 1, 1, 1);
    b.AddForce(1, -10, -30, 0);
    return b;
}
