#include "app/Layers.h"

#include "core/StructureModel.h"

LayerFlags FreshStructureLayers()
{
    LayerFlags flags;
    flags.m_ShowStructure = true;
    flags.m_ShowDistributedLoads = true;
    flags.m_ShowForces = true;
    flags.m_ShowSprings = true;
    flags.m_ShowTorsionalSprings = true;
    flags.m_ShowPrescribed = true;
    flags.m_ShowSupports = true;
    return flags;
}

LayerFlags AllLayers(bool solved)
{
    LayerFlags flags = FreshStructureLayers();
    flags.m_ShowNodeNumbers = true;
    flags.m_ShowElementNumbers = true;
    flags.m_ShowDeformed = solved;
    flags.m_ShowMoment = solved;
    flags.m_ShowShear = solved;
    return flags;
}

void DrawLayers(const StructureModel& model, const LayerFlags& flags)
{
    if (flags.m_ShowNodeNumbers)
        model.DrawNodeNumbers();
    if (flags.m_ShowElementNumbers)
        model.DrawElementNumbers();
    if (flags.m_ShowStructure)
        model.DrawStructure();
    if (flags.m_ShowDeformed)
        model.DrawDeformedShape();
    if (flags.m_ShowMoment)
        model.DrawMomentDiagram();
    if (flags.m_ShowShear)
        model.DrawShearDiagram();
    if (flags.m_ShowDistributedLoads)
        model.DrawDistributedLoads();
    if (flags.m_ShowForces)
        model.DrawForces();
    if (flags.m_ShowSprings)
        model.DrawSprings();
    if (flags.m_ShowTorsionalSprings)
        model.DrawTorsionalSprings();
    if (flags.m_ShowPrescribed)
        model.DrawPrescribedDisplacements();
    if (flags.m_ShowSupports)
        model.DrawRestrictedNodes();
}
