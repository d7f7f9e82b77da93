#include "reports/NodalReactions.h"

#include "core/StructureModel.h"

#include <cstddef>
#include <unordered_map>

std::vector<NodalReaction> ComputeNodalReactions(const StructureModel& model)
{
    const int supports = model.m_NRN > 0 ? model.m_NRN : 0;
    std::vector<int> nodes(static_cast<std::size_t>(supports));
    for (int k = 0; k < supports; ++k)
        nodes[static_cast<std::size_t>(k)] = model.m_RestrictedNodes[static_cast<std::size_t>(k)].NodeNo;
    return ComputeReactionsAt(model, nodes);
}

std::vector<NodalReaction> ComputeReactionsAt(const StructureModel& model, const std::vector<int>& nodes)
{
    const int supports = static_cast<int>(nodes.size());

    // One running sum per distinct supported node number, so that the work
    // stays linear in the number of elements, loads and supports. Every sum
    // receives its terms in element order, then load order, which keeps the
    // rounding of a support listed many times identical for each listing.
    std::unordered_map<int, std::size_t> slotOf;
    slotOf.reserve(static_cast<std::size_t>(supports));
    std::vector<NodalReaction> sums;
    std::vector<std::size_t> slotOfEntry(static_cast<std::size_t>(supports));
    for (int k = 0; k < supports; ++k) {
        const int node = nodes[static_cast<std::size_t>(k)];
        const auto [it, inserted] = slotOf.try_emplace(node, sums.size());
        if (inserted)
            sums.push_back(NodalReaction{node, 0.0, 0.0, 0.0});
        slotOfEntry[static_cast<std::size_t>(k)] = it->second;
    }
    auto find = [&slotOf](int node) -> long {
        const auto it = slotOf.find(node);
        return it == slotOf.end() ? -1 : static_cast<long>(it->second);
    };

    if (!sums.empty()) {
        const int perElem = model.m_NodesPerElem;
        for (int e = 0; e < model.m_NELEM; ++e) {
            const std::size_t first = static_cast<std::size_t>(e) * static_cast<std::size_t>(perElem);
            const int a = model.m_ElemNodes[first];
            const int b = model.m_ElemNodes[first + 1];
            const Matrix& f = model.m_Elements[static_cast<std::size_t>(e)].m_ForInGlobalCS;
            if (const long slot = find(a); slot >= 0) {
                NodalReaction& r = sums[static_cast<std::size_t>(slot)];
                r.Fx += f.At(0);
                r.Fy += f.At(1);
                r.Mz += f.At(2);
            }
            if (const long slot = find(b); slot >= 0) {
                NodalReaction& r = sums[static_cast<std::size_t>(slot)];
                r.Fx += f.At(3);
                r.Fy += f.At(4);
                r.Mz += f.At(5);
            }
        }
        for (int i = 0; i < model.m_NFOR; ++i) {
            const force_2d& load = model.m_Forces[static_cast<std::size_t>(i)];
            if (const long slot = find(load.Node.No); slot >= 0) {
                NodalReaction& r = sums[static_cast<std::size_t>(slot)];
                r.Fx -= load.Fx;
                r.Fy -= load.Fy;
                r.Mz -= load.Mz;
            }
        }
    }

    std::vector<NodalReaction> reactions;
    reactions.reserve(static_cast<std::size_t>(supports));
    for (int k = 0; k < supports; ++k)
        reactions.push_back(sums[slotOfEntry[static_cast<std::size_t>(k)]]);
    return reactions;
}
