#pragma once

class DeferredCommits;
class StructureModel;

// The five result files of a solved model, each written into the model's
// output folder and put in place only once complete (FatalError, status 1,
// when that fails). Given a DeferredCommits, a file is put in place in the
// background while the next one is written, in the order written.
//
// "Nodal_Displacement.txt" needs only the solution; the other four need
// every element's end displacements and end forces.
void OutputNodalDisplacement(const StructureModel& model, DeferredCommits* files = nullptr);
void OutputMForInGlobalCS(const StructureModel& model, DeferredCommits* files = nullptr);
void OutputMForInElemCS(const StructureModel& model, DeferredCommits* files = nullptr);
void OutputNodalReaction(const StructureModel& model, DeferredCommits* files = nullptr);
void OutputMDisInGlobalCS(const StructureModel& model, DeferredCommits* files = nullptr);
