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

void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
                const DrawDetail& detail)
{
    DrawLayers(canvas, view, model, flags, ResultOverlay{}, detail);
}

void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
                const ResultOverlay& overlay, const DrawDetail& detail)
{
    DrawLayersUnderHighlight(canvas, view, model, flags, detail);
    DrawHighlight(canvas, view, model, overlay.highlightElement, overlay.highlightNode);
    DrawLayersOverHighlight(canvas, view, model, flags, overlay, detail);
}

void DrawLayersUnderHighlight(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                              const LayerFlags& flags, const DrawDetail& detail)
{
    if (flags.m_ShowNodeNumbers)
        DrawNodeNumbers(canvas, view, model, detail);
    if (flags.m_ShowElementNumbers)
        DrawElementNumbers(canvas, view, model, detail);
}

void DrawLayersOverHighlight(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                             const LayerFlags& flags, const ResultOverlay& overlay, const DrawDetail& detail)
{
    if (flags.m_ShowStructure)
        DrawStructure(canvas, view, model, detail);
    if (flags.m_ShowDeformed)
        DrawDeformedShape(canvas, view, model, detail, overlay.deformedReach);
    if (flags.m_ShowMoment)
        DrawMomentDiagram(canvas, view, model, detail, overlay.momentReach);
    if (flags.m_ShowShear)
        DrawShearDiagram(canvas, view, model, detail, overlay.shearReach);
    if (flags.m_ShowAxial)
        DrawAxialDiagram(canvas, view, model, detail, overlay.axialReach);
    if (flags.m_ShowDistributedLoads)
        DrawDistributedLoads(canvas, view, model, detail);
    if (flags.m_ShowForces)
        DrawForces(canvas, view, model, detail);
    if (flags.m_ShowSprings)
        DrawSprings(canvas, view, model, detail);
    if (flags.m_ShowTorsionalSprings)
        DrawTorsionalSprings(canvas, view, model, detail);
    if (flags.m_ShowPrescribed)
        DrawPrescribedDisplacements(canvas, view, model, detail);
    if (flags.m_ShowSupports)
        DrawRestrictedNodes(canvas, view, model, detail);

    // The values last, so that nothing covers them; the reactions' values
    // are placed before the diagram's. Reactions are symbols: drawn only
    // where they can be read.
    std::vector<ValueLabel> reactionValues;
    if (flags.m_ShowReactions && SymbolsShown(view, model, detail)) {
        DrawReactions(canvas, view, overlay.reactions, detail.cull);
        reactionValues = ReactionLabels(view, overlay.reactions);
    }
    static const std::vector<ValueLabel> none;
    DrawPlacedLabels(canvas, PlaceLabels(view, reactionValues, flags.m_ShowValues ? overlay.values : none));
}
