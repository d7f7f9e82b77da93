#include "inspect/ModelResults.h"

#include "core/Cores.h"
#include "core/StructureModel.h"
#include "reports/MemberSampling.h"
#include "reports/NodalReactions.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kChunk = 4096;

// The larger of a and b, b only when it is a number larger than a.
double Larger(double a, double b)
{
    return b > a ? b : a;
}

} // namespace

ModelResults::ModelResults(const StructureModel& model) : m_Model(model)
{
    const int members =
        model.m_NELEM > 0 ? static_cast<int>(std::min(static_cast<std::size_t>(model.m_NELEM), model.m_Elements.size()))
                          : 0;
    m_Members.resize(static_cast<std::size_t>(members));
    RunInChunks(members, kChunk, [&](int, int begin, int end) {
        for (int e = begin; e < end; ++e) {
            const BeamElement& element = model.m_Elements[static_cast<std::size_t>(e)];
            MemberResults& r = m_Members[static_cast<std::size_t>(e)];
            r.axis = element.ComputeAxisResults();
            AbsMaxMoment(element, r.axis, r.moment.value, r.moment.x);
            AbsMaxShear(element, r.axis, r.shear.value, r.shear.x);
            MaxDisplacement(element, r.axis, r.displacement.value, r.displacement.x);
        }
    });
    for (const MemberResults& r : m_Members) {
        m_LargestMoment = Larger(m_LargestMoment, r.moment.value);
        m_LargestShear = Larger(m_LargestShear, r.shear.value);
        m_LargestDisplacement = Larger(m_LargestDisplacement, r.displacement.value);
        m_LargestAxial = Larger(m_LargestAxial, std::fabs(BeamElement::AxialForce(r.axis)));
    }

    // Which nodes are held, and in what.
    const int nodes = std::max(0, model.m_NPOIN);
    m_SupportOfNode.assign(static_cast<std::size_t>(nodes), -1);
    std::vector<NodeSupport> byNode(static_cast<std::size_t>(nodes));
    std::vector<bool> held(static_cast<std::size_t>(nodes), false);
    auto hold = [&](int node) -> NodeSupport* {
        if (node < 0 || node >= nodes)
            return nullptr;
        held[static_cast<std::size_t>(node)] = true;
        NodeSupport& s = byNode[static_cast<std::size_t>(node)];
        s.node = node;
        return &s;
    };
    const int restricted = std::min(std::max(0, model.m_NRN), static_cast<int>(model.m_RestrictedNodes.size()));
    for (int k = 0; k < restricted; ++k) {
        const RestrictedNode& r = model.m_RestrictedNodes[static_cast<std::size_t>(k)];
        if (NodeSupport* s = hold(r.NodeNo)) {
            s->supported = true;
            for (int c = 0; c < 3; ++c)
                s->held[c] = s->held[c] || r.Fix[c] != 0;
        }
    }
    const int prescribed = std::min(std::max(0, model.m_NPRESC), static_cast<int>(model.m_Prescribed.size()));
    for (int k = 0; k < prescribed; ++k) {
        const PrescribedDisplacement& p = model.m_Prescribed[static_cast<std::size_t>(k)];
        if (NodeSupport* s = hold(p.Node.No)) {
            s->held[0] = s->held[0] || p.HasDx;
            s->held[1] = s->held[1] || p.HasDy;
            s->held[2] = s->held[2] || p.HasRz;
        }
    }
    std::vector<int> list;
    for (int n = 0; n < nodes; ++n)
        if (held[static_cast<std::size_t>(n)])
            list.push_back(n);
    const std::vector<NodalReaction> reactions = ComputeReactionsAt(model, list);
    m_Supports.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        NodeSupport s = byNode[static_cast<std::size_t>(list[i])];
        s.reaction[0] = reactions[i].Fx;
        s.reaction[1] = reactions[i].Fy;
        s.reaction[2] = reactions[i].Mz;
        m_SupportOfNode[static_cast<std::size_t>(list[i])] = static_cast<int>(m_Supports.size());
        m_Supports.push_back(s);
    }
}

const NodeSupport* ModelResults::SupportAt(int node) const
{
    if (node < 0 || static_cast<std::size_t>(node) >= m_SupportOfNode.size())
        return nullptr;
    const int slot = m_SupportOfNode[static_cast<std::size_t>(node)];
    return slot < 0 ? nullptr : &m_Supports[static_cast<std::size_t>(slot)];
}
