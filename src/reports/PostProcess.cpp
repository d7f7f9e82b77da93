#include "reports/PostProcess.h"

#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "reports/ResultFiles.h"

// The order is fixed: the nodal displacements need only the solution, every
// other file needs the element results, and the reactions come after both
// force files.
void PostProcess(StructureModel& model)
{
    // Each file is put in place while the next is computed; every one is in
    // place (or its failure reported) before the scales.
    DeferredCommits files;
    OutputNodalDisplacement(model, &files);
    model.ComputeElementResults();
    OutputMForInGlobalCS(model, &files);
    OutputMForInElemCS(model, &files);
    OutputNodalReaction(model, &files);
    OutputMDisInGlobalCS(model, &files);
    files.Finish();

    model.ComputeShearScale();
    model.ComputeDispScale();
    model.ComputeMomentScale();
    model.ComputeAxialScale();
}
