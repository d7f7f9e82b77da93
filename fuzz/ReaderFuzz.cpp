// The Beam System File reader on arbitrary bytes. It must either refuse the
// text with a FatalError of status 1 or return a model that every later step
// can index without a check of its own.
#include "FuzzSupport.h"

#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "input/ReadBeamSystemFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool InNodes(const StructureModel& m, int n)
{
    return n >= 0 && n < m.m_NPOIN;
}

// The record carries a copy of the node it names; the copy must be that
// node, or the assembly would put its values on another node's freedoms.
bool SameNode(const StructureModel& m, const Node& copy)
{
    if (!InNodes(m, copy.No))
        return false;
    const Node& n = m.m_Nodes[static_cast<std::size_t>(copy.No)];
    return n.x == copy.x && n.y == copy.y;
}

bool Finite(double a, double b = 0, double c = 0)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

bool AllFinite(const Matrix& m)
{
    for (double v : m.m_Data)
        if (!std::isfinite(v))
            return false;
    return true;
}

void CheckModel(const StructureModel& m)
{
    FUZZ_CHECK(m.m_NEP >= 0 && static_cast<std::size_t>(m.m_NEP) == m.m_Properties.size(), "property count");
    FUZZ_CHECK(m.m_NPOIN >= 0 && static_cast<std::size_t>(m.m_NPOIN) == m.m_Nodes.size(), "node count");
    FUZZ_CHECK(m.m_NELEM >= 0 && static_cast<std::size_t>(m.m_NELEM) == m.m_Elements.size(), "element count");
    FUZZ_CHECK(m.m_ElemNodes.size() == 2 * m.m_Elements.size(), "connectivity size");
    FUZZ_CHECK(m.m_ElemProp.size() == m.m_Elements.size(), "property index size");
    FUZZ_CHECK(static_cast<std::size_t>(m.m_NRN) == m.m_RestrictedNodes.size(), "support count");
    FUZZ_CHECK(static_cast<std::size_t>(m.m_NFOR) == m.m_Forces.size(), "force count");
    FUZZ_CHECK(static_cast<std::size_t>(m.m_NDIS) == m.m_DistributedLoads.size(), "distributed load count");
    FUZZ_CHECK(static_cast<std::size_t>(m.m_NPRESC) == m.m_Prescribed.size(), "prescribed count");
    FUZZ_CHECK(static_cast<std::size_t>(m.m_NSPR) == m.m_Springs.size(), "spring count");
    FUZZ_CHECK(static_cast<std::size_t>(m.m_NTSPR) == m.m_TorsionalSprings.size(), "rotational spring count");

    for (const ElementProperty& p : m.m_Properties)
        FUZZ_CHECK(Finite(p.E, p.A, p.I), "property value");
    for (int i = 0; i < m.m_NPOIN; ++i) {
        const Node& n = m.m_Nodes[static_cast<std::size_t>(i)];
        FUZZ_CHECK(n.No == i, "node numbered off its position");
        FUZZ_CHECK(Finite(n.x, n.y), "node coordinate");
    }
    for (int e = 0; e < m.m_NELEM; ++e) {
        const std::size_t ue = static_cast<std::size_t>(e);
        const int a = m.m_ElemNodes[2 * ue];
        const int b = m.m_ElemNodes[2 * ue + 1];
        FUZZ_CHECK(InNodes(m, a) && InNodes(m, b), "element node index");
        FUZZ_CHECK(m.m_ElemProp[ue] >= 0 && m.m_ElemProp[ue] < m.m_NEP, "element property index");
        const Node& na = m.m_Nodes[static_cast<std::size_t>(a)];
        const Node& nb = m.m_Nodes[static_cast<std::size_t>(b)];
        FUZZ_CHECK(na.x != nb.x || na.y != nb.y, "element without length");
        FUZZ_CHECK(AllFinite(m.m_Elements[ue].m_KInGlobalCS), "element stiffness");
    }
    for (const RestrictedNode& r : m.m_RestrictedNodes)
        FUZZ_CHECK(InNodes(m, r.NodeNo), "support node");
    for (const force_2d& f : m.m_Forces) {
        FUZZ_CHECK(SameNode(m, f.Node), "force node");
        FUZZ_CHECK(Finite(f.Fx, f.Fy, f.Mz), "force value");
    }
    for (const DistributedLoad& d : m.m_DistributedLoads) {
        FUZZ_CHECK(d.ElemNo >= 0 && d.ElemNo < m.m_NELEM, "distributed load element");
        FUZZ_CHECK(SameNode(m, d.EquForce1.Node) && SameNode(m, d.EquForce2.Node), "distributed load nodes");
        FUZZ_CHECK(Finite(d.q1, d.q2), "distributed load value");
        FUZZ_CHECK(Finite(d.EquForce1.Fx, d.EquForce1.Fy, d.EquForce1.Mz) &&
                       Finite(d.EquForce2.Fx, d.EquForce2.Fy, d.EquForce2.Mz),
                   "equivalent nodal load");
    }
    for (const PrescribedDisplacement& p : m.m_Prescribed) {
        FUZZ_CHECK(SameNode(m, p.Node), "prescribed node");
        FUZZ_CHECK(Finite(p.Dx, p.Dy, p.Rz), "prescribed value");
    }
    for (const Spring_2d& s : m.m_Springs) {
        FUZZ_CHECK(SameNode(m, s.Node), "spring node");
        FUZZ_CHECK(Finite(s.K) && AllFinite(s.KInGlobalCS), "spring stiffness");
    }
    for (const Torsional_Spring_2d& t : m.m_TorsionalSprings) {
        FUZZ_CHECK(SameNode(m, t.Node), "rotational spring node");
        FUZZ_CHECK(Finite(t.K), "rotational spring stiffness");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StructureModel model;
    try {
        ReadBeamSystemText(model, std::string(reinterpret_cast<const char*>(data), size));
    } catch (const FatalError& refused) {
        FUZZ_CHECK(refused.Status() == 1, "a refusal ends with status 1");
        FUZZ_CHECK(refused.Message()[0] != '\0', "a refusal says why");
        return 0;
    }
    CheckModel(model);
    return 0;
}
