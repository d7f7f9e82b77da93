#pragma once

#include "graphics/Detail.h"

#include <cmath>

class BeamElement;
class Canvas;
class StructureModel;
class ViewTransform;

// The result layers of a solved model: each element's polyline through 30
// stations, magnified by the model's drawing scale of the quantity. The
// detail says what is left out (by default nothing); reach, when known, is
// the farthest any point of the layer lies from its member, in world units
// (the scale times the structure's largest value), so that members far off
// the screen are passed over without computing their stations.
void DrawDeformedShape(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                       const DrawDetail& detail = kDrawEverything, double reach = INFINITY);
void DrawMomentDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                       const DrawDetail& detail = kDrawEverything, double reach = INFINITY);
void DrawShearDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                      const DrawDetail& detail = kDrawEverything, double reach = INFINITY);
// The axial force N, tension positive, drawn like the shear force with its
// own scale: a band of constant height along each member.
void DrawAxialDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                      const DrawDetail& detail = kDrawEverything, double reach = INFINITY);

// One element each; scale is in world units per unit of the quantity.
void DrawDeformed(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
void DrawMoment(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
void DrawShear(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
void DrawAxial(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale);
