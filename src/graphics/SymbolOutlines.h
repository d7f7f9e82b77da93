#pragma once

#include "core/Records.h"

#include <vector>

class Canvas;
class ViewTransform;

// A point of a symbol outline, in the outline's own table units.
struct OutlinePoint {
    double u;
    double v;
};

// A fixed line figure: its points and the polylines drawn over them. A
// polyline {a, b, c} moves to point a and draws lines to b and c.
struct SymbolOutline {
    std::vector<OutlinePoint> points;
    std::vector<std::vector<int>> polylines;

    int SegmentCount() const;
};

// The figures, with the size each is drawn at: factor = span * Numerator /
// Denominator (see SymbolTransform).
const SymbolOutline& MomentArcOutline();        // arc with head around a node, radius 2.25
const SymbolOutline& HandOutline();             // the hand on the left of the node
const SymbolOutline& TranslationArrowOutline(); // block arrow along +v
const SymbolOutline& RotationArrowOutline();    // band arrow turning counter-clockwise
const SymbolOutline& SpringOutline();           // triangle, coil and ground along -v
const SymbolOutline& TorsionalSpringOutline();  // circle with two legs

// Places outline points at a node: mirror (u -> -u) if asked, scale by the
// factor, turn the +v axis onto a direction if one is given, move to the
// node.
class SymbolTransform {
public:
    SymbolTransform(double factor, bool mirror, double x, double y);

    // Turns the outline's +v axis onto (dx, dy) and its +u axis onto
    // (dy, -dx). A direction without a length (zero, or not finite) leaves
    // the outline upright.
    void TurnTowards(double dx, double dy);

    void Apply(const OutlinePoint& p, double world[2]) const;

private:
    double m_Factor;
    bool m_Mirror;
    double m_X;
    double m_Y;
    double m_Cos = 1;
    double m_Sin = 0;
};

// Draws every polyline of the outline through the transform with the pen in
// force.
void TraceSymbol(Canvas& canvas, const ViewTransform& view, const SymbolOutline& outline,
                 const SymbolTransform& transform);

// The same with a solid 1-pixel pen of the colour, put back afterwards.
void DrawSymbol(Canvas& canvas, const ViewTransform& view, const SymbolOutline& outline,
                const SymbolTransform& transform, COLORREF color);
