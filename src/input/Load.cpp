#include "input/Load.h"

#include "core/Progress.h"
#include "core/StructureModel.h"
#include "input/ReadBeamSystemFile.h"

void Load(StructureModel& model, const char* fileName, Progress* progress)
{
    if (progress)
        progress->StageStarted(WorkStage::Reading);
    ReadBeamSystemFile(model, fileName);
    if (progress)
        progress->StageStarted(WorkStage::Assembling);
    model.ComputeInertiaLevels();
    model.ComputeBoundingBox();
    model.AssembleStiffness();
    model.AssembleLoads();
    model.m_AverageElemLength = model.ComputeAverageElemLength();
    model.ComputeForceScale();
    model.ComputePressScale();
}
