#pragma once

#include "graphics/Detail.h"
#include "graphics/ReactionSymbols.h"
#include "graphics/ValueLabels.h"

#include <cmath>
#include <vector>

class Canvas;
class StructureModel;
class ViewTransform;

// The drawing layers a user can switch on, under the names the application
// state gives them.
struct LayerFlags {
    bool m_ShowNodeNumbers = false;
    bool m_ShowElementNumbers = false;
    bool m_ShowStructure = false;
    bool m_ShowDeformed = false;
    bool m_ShowMoment = false;
    bool m_ShowShear = false;
    bool m_ShowAxial = false;
    bool m_ShowDistributedLoads = false;
    bool m_ShowForces = false;
    bool m_ShowSprings = false;
    bool m_ShowTorsionalSprings = false;
    bool m_ShowPrescribed = false;
    bool m_ShowSupports = false;
    // The reactions at supported and prescribed nodes, with their values.
    bool m_ShowReactions = false;
    // The values of the result diagram shown.
    bool m_ShowValues = false;

    bool operator==(const LayerFlags&) const = default;
};

// The layers shown right after a file has been opened: the structure with
// its loads and supports.
LayerFlags FreshStructureLayers();

// Every layer, the result layers only for a solved model: what checks that
// each layer draws safely switch on.
LayerFlags AllLayers(bool solved);

// What a picture shows beyond the model itself, worked out from the results
// by the caller (drawing never computes a reported value): the values of
// the diagram shown, the reactions, and what lies under the pointer.
struct ResultOverlay {
    std::vector<ValueLabel> values;
    std::vector<ReactionSymbol> reactions;
    int highlightElement = -1;
    int highlightNode = -1;
    // How far each result diagram reaches from its members, in world units
    // (its scale times the structure's largest value; infinite: unknown),
    // so that members far off the screen are passed over quickly.
    double deformedReach = INFINITY;
    double momentReach = INFINITY;
    double shearReach = INFINITY;
    double axialReach = INFINITY;
};

// Draws the layers that are switched on, on the canvas through the view, in
// the fixed painting order: numbers lie under the structure (with the halo
// of what is under the pointer), the result diagram over it, loads,
// supports and reactions on top, and the values over everything. Every
// front end paints through this, with what the detail leaves out: by
// default what cannot be seen or read.
void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
                const ResultOverlay& overlay, const DrawDetail& detail = DrawDetail{});
// The same without results beyond the model's own.
void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
                const DrawDetail& detail = DrawDetail{});

// The same layers in three parts, for a front end that keeps the picture
// between paints: what lies under the halo of what is under the pointer
// (the numbers), the halo, and everything above it. The three in this order
// are DrawLayers.
void DrawLayersUnderHighlight(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                              const LayerFlags& flags, const DrawDetail& detail = DrawDetail{});
void DrawLayersOverHighlight(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                             const LayerFlags& flags, const ResultOverlay& overlay,
                             const DrawDetail& detail = DrawDetail{});
