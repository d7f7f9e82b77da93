#pragma once

class Canvas;
class StructureModel;
class ViewTransform;

// The twelve drawing layers a user can switch on, under the names the
// application state gives them.
struct LayerFlags {
    bool m_ShowNodeNumbers = false;
    bool m_ShowElementNumbers = false;
    bool m_ShowStructure = false;
    bool m_ShowDeformed = false;
    bool m_ShowMoment = false;
    bool m_ShowShear = false;
    bool m_ShowDistributedLoads = false;
    bool m_ShowForces = false;
    bool m_ShowSprings = false;
    bool m_ShowTorsionalSprings = false;
    bool m_ShowPrescribed = false;
    bool m_ShowSupports = false;
};

// The layers shown right after a file has been opened: the structure with
// its loads and supports.
LayerFlags FreshStructureLayers();

// Every layer, the result diagrams only for a solved model: what checks
// that each layer draws safely switch on.
LayerFlags AllLayers(bool solved);

// Draws the layers that are switched on, on the canvas through the view, in
// the fixed painting order: numbers lie under the structure, the result
// diagram over it, loads and supports on top. Every front end paints
// through this.
void DrawLayers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags);
