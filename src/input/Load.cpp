#include "core/StructureModel.h"
#include "core/ViewTransform.h"

void StructureModel::Load(const char* fileName, ViewTransform* view)
{
    ReadBeamSystemFile(fileName);
    ComputeInertiaLevels();
    m_View = view;
    ComputeBoundingBox();
    AssembleStiffness();
    AssembleLoads();
    m_AverageElemLength = ComputeAverageElemLength();
    ComputeForceScale();
    if (m_View)
        m_View->m_VisualScaleofForce = m_VisualScaleofForce;
    ComputePressScale();
    if (m_View)
        m_View->m_VisualScaleofPress = m_VisualScaleofPress;
}
