#include "input/Load.h"

#include "core/StructureModel.h"
#include "input/ReadBeamSystemFile.h"

void Load(StructureModel& model, const char* fileName)
{
    ReadBeamSystemFile(model, fileName);
    model.ComputeInertiaLevels();
    model.ComputeBoundingBox();
    model.AssembleStiffness();
    model.AssembleLoads();
    model.m_AverageElemLength = model.ComputeAverageElemLength();
    model.ComputeForceScale();
    model.ComputePressScale();
}
