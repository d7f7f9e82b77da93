#pragma once

#include "core/Records.h"
#include "graphics/Detail.h"

class BeamElement;
class Canvas;
class StructureModel;
class ViewTransform;

// The layers of the undeformed structure and its input: element lines,
// node and element numbers, supports, concentrated and distributed loads.
// Each draws on the canvas through the view, records in index order (a
// later record over an earlier one), and draws nothing when the view's
// mapping cannot show anything. The detail says what is left out; by
// default nothing is.
void DrawStructure(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                   const DrawDetail& detail = kDrawEverything);
void DrawNodeNumbers(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                     const DrawDetail& detail = kDrawEverything);
void DrawElementNumbers(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                        const DrawDetail& detail = kDrawEverything);
void DrawRestrictedNodes(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                         const DrawDetail& detail = kDrawEverything);
void DrawForces(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                const DrawDetail& detail = kDrawEverything);
void DrawDistributedLoads(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                          const DrawDetail& detail = kDrawEverything);

// A halo around the element and the node under the pointer (either may be
// -1, none): drawn before the structure, whose line then lies inside it.
void DrawHighlight(Canvas& canvas, const ViewTransform& view, const StructureModel& model, int element, int node);

// One record each. A concentrated load's arrow is forceScale world units
// long per unit of force, a distributed load's outline pressScale per unit
// of intensity.
void DrawLine(Canvas& canvas, const ViewTransform& view, const BeamElement& element, int width);
void Draw(Canvas& canvas, const ViewTransform& view, const RestrictedNode& support);
void Draw(Canvas& canvas, const ViewTransform& view, const force_2d& force, double forceScale);
void Draw(Canvas& canvas, const ViewTransform& view, const DistributedLoad& load, double pressScale);
