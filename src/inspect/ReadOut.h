#pragma once

#include "inspect/HitTest.h"

#include <string>

class ModelResults;
class StructureModel;
class ViewTransform;

// The values at a point of a member, computed in closed form there (not
// read off the drawing's stations), with the conventions of the result
// files: N the axial force, tension positive; V and M as "MForInElemCS.txt"
// and the diagrams give them; dx, dy the displacement in global axes.
struct MemberPoint {
    double x = 0;      // distance from the first node
    double length = 0; // the member's length
    double N = 0;
    double V = 0;
    double M = 0;
    double dx = 0;
    double dy = 0;
};

// At distance x from the element's first node (clamped to the member).
MemberPoint MemberValuesAt(const ModelResults& results, int element, double x);

// What the status bar says about the pointer at pixel (x, y): over a
// member, its number, x along it and its length, then N, V, M, dx and dy
// there; over a node, its number, coordinates, dx, dy, rz and its reaction
// where it is held; elsewhere the pointer's world coordinates. Before a
// solution (results null): a member's length and property, a node's
// coordinates, loads and support.
struct ReadOut {
    Hit hit;
    double worldX = 0;
    double worldY = 0;
    std::string text;
};

ReadOut ReadOutAt(const StructureModel& model, const ModelResults* results, const ViewTransform& view, int x, int y);
