#include "core/StructureModel.h"

#include "core/TextFile.h"
#include "core/ViewTransform.h"

// After a solution: element results, the five result files, and the three
// result drawing scales, which the view receives as well. The order is
// fixed: the nodal displacements need only the solution, every other file
// needs the element results, and the reactions come after both force files.
void StructureModel::PostProcess()
{
    // Each file is put in place while the next is computed; every one is in
    // place (or its failure reported) before the scales.
    DeferredCommits files;
    OutputNodalDisplacement();
    ComputeElementResults();
    OutputMForInGlobalCS();
    OutputMForInElemCS();
    OutputNodalReaction();
    OutputMDisInGlobalCS();
    files.Finish();

    ComputeShearScale();
    if (m_View)
        m_View->m_VisualScaleofShear = m_VisualScaleofShear;
    ComputeDispScale();
    if (m_View)
        m_View->m_VisualScaleofDeformation = m_VisualScaleofDisp;
    ComputeMomentScale();
    if (m_View)
        m_View->m_VisualScaleofMoment = m_VisualScaleofMoment;
}
