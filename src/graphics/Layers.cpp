#include "graphics/Layers.h"

#include "graphics/BoundarySymbols.h"
#include "graphics/ResultDiagrams.h"
#include "graphics/StructureLayers.h"

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
    flags.m_ShowAxial = solved;
    flags.m_ShowReactions = solved;
    flags.m_ShowValues = solved;
    return flags;
}

void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags)
{
    DrawLayers(canvas, view, model, flags, ResultOverlay{});
}

void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
                const ResultOverlay& overlay)
{
    if (flags.m_ShowNodeNumbers)
        DrawNodeNumbers(canvas, view, model);
    if (flags.m_ShowElementNumbers)
        DrawElementNumbers(canvas, view, model);
    DrawHighlight(canvas, view, model, overlay.highlightElement, overlay.highlightNode);
    if (flags.m_ShowStructure)
        DrawStructure(canvas, view, model);
    if (flags.m_ShowDeformed)
        DrawDeformedShape(canvas, view, model);
    if (flags.m_ShowMoment)
        DrawMomentDiagram(canvas, view, model);
    if (flags.m_ShowShear)
        DrawShearDiagram(canvas, view, model);
    if (flags.m_ShowAxial)
        DrawAxialDiagram(canvas, view, model);
    if (flags.m_ShowDistributedLoads)
        DrawDistributedLoads(canvas, view, model);
    if (flags.m_ShowForces)
        DrawForces(canvas, view, model);
    if (flags.m_ShowSprings)
        DrawSprings(canvas, view, model);
    if (flags.m_ShowTorsionalSprings)
        DrawTorsionalSprings(canvas, view, model);
    if (flags.m_ShowPrescribed)
        DrawPrescribedDisplacements(canvas, view, model);
    if (flags.m_ShowSupports)
        DrawRestrictedNodes(canvas, view, model);

    // The values last, so that nothing covers them; the reactions' values
    // are placed before the diagram's.
    std::vector<ValueLabel> reactionValues;
    if (flags.m_ShowReactions) {
        DrawReactions(canvas, view, overlay.reactions);
        reactionValues = ReactionLabels(view, overlay.reactions);
    }
    static const std::vector<ValueLabel> none;
    DrawPlacedLabels(canvas, PlaceLabels(view, reactionValues, flags.m_ShowValues ? overlay.values : none));
}
