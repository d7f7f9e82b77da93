#pragma once

#include "core/Records.h"
#include "graphics/Detail.h"

class Canvas;
class StructureModel;
class ViewTransform;

// The layers of prescribed displacements, translational and rotational
// springs, drawn from their symbol outlines in each record's colour, with
// what the detail leaves out (by default nothing).
void DrawPrescribedDisplacements(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                                 const DrawDetail& detail = kDrawEverything);
void DrawSprings(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                 const DrawDetail& detail = kDrawEverything);
void DrawTorsionalSprings(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                          const DrawDetail& detail = kDrawEverything);

// One record each: a prescribed displacement is its pair of hands, with a
// band arrow for a given rotation and a block arrow for a given translation.
void Draw(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed);
void DrawHands(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed);
void DrawRotationArrow(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed);
void DrawTranslationArrow(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed);
void Draw(Canvas& canvas, const ViewTransform& view, const Spring_2d& spring);
void Draw(Canvas& canvas, const ViewTransform& view, const Torsional_Spring_2d& spring);
