#include "reports/FrameBuilder.h"
#include "reports/PostProcess.h"

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
    m.m_Elements.back().Init(no, m.m_Nodes[static_cast<std::size_t>(node1)], m.m_Nodes[static_cast<std::size_t>(node2)],
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
    const Node& node1 = m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[static_cast<std::size_t>(2 * element)])];
    const Node& node2 = m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[static_cast<std::size_t>(2 * element + 1)])];
    m.m_DistributedLoads.emplace_back();
    m.m_DistributedLoads.back().Init(element, node1, node2, q1, q2);
    ++m.m_NDIS;
    m.m_Elements[static_cast<std::size_t>(element)].SetDistributedLoad(q1, q2);
}

void FrameBuilder::AddPrescribed(int node, std::optional<double> dx, std::optional<double> dy, std::optional<double> rz)
{
    m_Model.m_Prescribed.emplace_back();
    m_Model.m_Prescribed.back().Init(m_Model.m_Nodes[static_cast<std::size_t>(node)], dx.value_or(0), dy.value_or(0),
                                     rz.value_or(0), dx.has_value(), dy.has_value(), rz.has_value());
    ++m_Model.m_NPRESC;
}

void FrameBuilder::AddSpring(int node, double k, double dirX, double dirY)
{
    m_Model.m_Springs.emplace_back();
    m_Model.m_Springs.back().Init(m_Model.m_Nodes[static_cast<std::size_t>(node)], k, dirX, dirY);
    ++m_Model.m_NSPR;
}

void FrameBuilder::AddTorsionalSpring(int node, double k)
{
    m_Model.m_TorsionalSprings.emplace_back();
    m_Model.m_TorsionalSprings.back().Init(m_Model.m_Nodes[static_cast<std::size_t>(node)], k);
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
    PostProcess(m);
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
