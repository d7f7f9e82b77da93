#pragma once

#include "core/BeamElement.h"

#include <vector>

class StructureModel;

// The results of a solved model in the form the desktop reads them: per
// member its element-axis values and the largest values the result files
// report, per held node its reaction. Computed once after a solution (on
// every core), so that labels, the read-out and the tables of even a very
// large frame need no sampling while the user looks at it. Refers to the
// model, which must outlive it and not change.

// The largest magnitude along a member and its distance from the first
// node, as "MForInElemCS.txt" and "MDisInGlobalCS.txt" print them.
struct MemberExtreme {
    double value = 0;
    double x = 0;
};

struct MemberResults {
    // End displacements and end forces in element axes, and the length.
    BeamElement::AxisResults axis{};
    MemberExtreme moment;
    MemberExtreme shear;
    MemberExtreme displacement;
};

// A node held by a support or a prescribed displacement.
struct NodeSupport {
    int node = 0;
    // Fx, Fy, Mz: the components a support's codes or a prescribed value
    // hold.
    bool held[3] = {false, false, false};
    // Listed among the restricted nodes, so in "Nodal_Reaction.txt".
    bool supported = false;
    // The force and moment the support exerts on the node, global axes,
    // computed as for "Nodal_Reaction.txt".
    double reaction[3] = {0, 0, 0};
};

class ModelResults {
public:
    // The model must be solved and post-processed.
    explicit ModelResults(const StructureModel& model);

    const StructureModel& Model() const { return m_Model; }
    int MemberCount() const { return static_cast<int>(m_Members.size()); }
    const MemberResults& Member(int element) const { return m_Members[static_cast<std::size_t>(element)]; }
    // Held nodes in node order.
    const std::vector<NodeSupport>& Supports() const { return m_Supports; }
    // The held node's entry, or null for a free node (or a number out of
    // range).
    const NodeSupport* SupportAt(int node) const;

    // Over all members: the largest ABSmax(M), ABSmax(V), Dmax and |N|
    // (numbers only: a NaN never wins).
    double LargestMoment() const { return m_LargestMoment; }
    double LargestShear() const { return m_LargestShear; }
    double LargestDisplacement() const { return m_LargestDisplacement; }
    double LargestAxial() const { return m_LargestAxial; }

private:
    const StructureModel& m_Model;
    std::vector<MemberResults> m_Members;
    std::vector<NodeSupport> m_Supports;
    std::vector<int> m_SupportOfNode;
    double m_LargestMoment = 0;
    double m_LargestShear = 0;
    double m_LargestDisplacement = 0;
    double m_LargestAxial = 0;
};
