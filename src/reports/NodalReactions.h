#pragma once

#include <vector>

class StructureModel;

// The force and moment a support exerts on its node, in global axes.
struct NodalReaction {
    int NodeNo = 0;
    double Fx = 0;
    double Fy = 0;
    double Mz = 0;
};

// One entry per restricted-node record, in list order (a node listed twice
// gets two equal entries): the end forces the node transmits to its members,
// fixed-end forces of distributed loads included, less the concentrated
// loads applied at the node. Springs do not enter. Node numbers are only
// compared with each other, so a number that matches nothing gets zeros.
// Needs every element's end forces to be up to date.
std::vector<NodalReaction> ComputeNodalReactions(const StructureModel& model);

// The same sums for any list of node numbers, one entry each in list order:
// what holds a prescribed node where it is, or a support's reaction
// computed exactly as for "Nodal_Reaction.txt".
std::vector<NodalReaction> ComputeReactionsAt(const StructureModel& model, const std::vector<int>& nodes);
