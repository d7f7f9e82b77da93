#pragma once

class BeamElement;
class Canvas;
class StructureModel;
class ViewTransform;

// The result layers of a solved model: each element's polyline through 30
// stations, magnified by the model's drawing scale of the quantity.
void DrawDeformedShape(Canvas& canvas, const ViewTransform& view, const StructureModel& model);
void DrawMomentDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model);
void DrawShearDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model);
// The axial force N, tension positive, drawn like the shear force with its
// own scale: a band of constant height along each member.
void DrawAxialDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model);

// One element each; scale is in world units per unit of the quantity.
void DrawDeformed(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
void DrawMoment(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
void DrawShear(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
void DrawAxial(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
