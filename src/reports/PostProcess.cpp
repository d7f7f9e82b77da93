#include "core/StructureModel.h"

#include "core/ViewTransform.h"

// After a solution: element results, the five result files, and the three
// result drawing scales, which the view receives as well. The order is
// fixed: the nodal displacements need only the solution, every other file
// needs the element results, and the reactions come after both force files.
void StructureModel::PostProcess()
{
    OutputNodalDisplacement();
    ComputeElementResults();
    OutputMForInGlobalCS();
    OutputMForInElemCS();
    OutputNodalReaction();
    OutputMDisInGlobalCS();

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
