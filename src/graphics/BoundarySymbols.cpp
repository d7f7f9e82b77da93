#include "graphics/BoundarySymbols.h"

#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/SymbolOutlines.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace {

// Hands and both arrows share one size: 0.04 of the span across the hand's
// height in table units.
double PrescribedFactor(const ViewTransform& view)
{
    return SymbolSpan(view) * 0.04 / 4.9388;
}

bool Finite(const Node& node)
{
    return std::isfinite(node.x) && std::isfinite(node.y);
}

// The farthest point of an outline from its node, in table units: how far
// the symbol reaches, however it is turned or mirrored.
double OutlineRadius(const SymbolOutline& outline)
{
    double radius = 0;
    for (const OutlinePoint& p : outline.points)
        radius = std::max(radius, std::hypot(p.u, p.v));
    return radius;
}

// A prescribed displacement's hands and arrows share one factor.
double PrescribedReach(const ViewTransform& view)
{
    static const double radius = std::max({OutlineRadius(HandOutline()), OutlineRadius(RotationArrowOutline()),
                                           OutlineRadius(TranslationArrowOutline())});
    return PrescribedFactor(view) * radius;
}

double SpringReach(const ViewTransform& view)
{
    static const double radius = OutlineRadius(SpringOutline());
    return SymbolSpan(view) * 0.06 / 11.5858 * radius;
}

double TorsionalSpringReach(const ViewTransform& view)
{
    static const double radius = OutlineRadius(TorsionalSpringOutline());
    return SymbolSpan(view) * 0.08 / 15.9149 * radius;
}

// Every record, or those near enough the client rectangle to show, at a
// node; symbols only where they can be read.
template <typename T>
void DrawAll(Canvas& canvas, const ViewTransform& view, const StructureModel& model, int count,
             const std::vector<T>& records, const DrawDetail& detail, double reach)
{
    if (!CanDraw(view) || count <= 0 || !SymbolsShown(view, model, detail))
        return;
    const std::size_t n = std::min(static_cast<std::size_t>(count), records.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (detail.cull && !NearClient(view, records[i].Node.x, records[i].Node.y, reach, 4))
            continue;
        Draw(canvas, view, records[i]);
    }
}

} // namespace

// --- prescribed displacements ---------------------------------------------

void Draw(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed)
{
    DrawHands(canvas, view, prescribed);
    if (prescribed.HasRz)
        DrawRotationArrow(canvas, view, prescribed);
    if (prescribed.HasDx || prescribed.HasDy)
        DrawTranslationArrow(canvas, view, prescribed);
}

void DrawHands(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed)
{
    const Node& node = prescribed.Node;
    if (!CanDraw(view) || !Finite(node))
        return;
    // Upright under the node unless a translation gives the hands a
    // direction to push in; they then stand on the side opposite to it.
    const double Dx = prescribed.Dx, Dy = prescribed.Dy;
    const bool HasDx = prescribed.HasDx, HasDy = prescribed.HasDy;
    const bool upright = (Dx == 0 && Dy == 0) || (!HasDx && !HasDy) || (Dx == 0 && !HasDy) || (!HasDx && Dy == 0);
    const double f = PrescribedFactor(view);
    SymbolTransform left(f, false, node.x, node.y);
    SymbolTransform right(f, true, node.x, node.y);
    if (!upright) {
        left.TurnTowards(Dx, Dy);
        right.TurnTowards(Dx, Dy);
    }
    PenScope pen(canvas, PenDesc{1, static_cast<COLORREF>(prescribed.Color)});
    TraceSymbol(canvas, view, HandOutline(), left);
    TraceSymbol(canvas, view, HandOutline(), right);
}

void DrawRotationArrow(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed)
{
    const Node& node = prescribed.Node;
    if (!CanDraw(view) || !Finite(node))
        return;
    const double Dx = prescribed.Dx, Dy = prescribed.Dy;
    SymbolTransform place(PrescribedFactor(view), prescribed.Rz < 0, node.x, node.y);
    if (!(std::fabs(Dx) <= 1e-20 && std::fabs(Dy) <= 1e-20))
        place.TurnTowards(Dx, Dy);
    DrawSymbol(canvas, view, RotationArrowOutline(), place, static_cast<COLORREF>(prescribed.Color));
}

void DrawTranslationArrow(Canvas& canvas, const ViewTransform& view, const PrescribedDisplacement& prescribed)
{
    const Node& node = prescribed.Node;
    if (!CanDraw(view) || !Finite(node))
        return;
    const double Dx = prescribed.Dx, Dy = prescribed.Dy;
    SymbolTransform place(PrescribedFactor(view), false, node.x, node.y);
    if (!(Dx == 0 && Dy == 0))
        place.TurnTowards(Dx, Dy);
    DrawSymbol(canvas, view, TranslationArrowOutline(), place, static_cast<COLORREF>(prescribed.Color));
}

void DrawPrescribedDisplacements(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                                 const DrawDetail& detail)
{
    DrawAll(canvas, view, model, model.m_NPRESC, model.m_Prescribed, detail, PrescribedReach(view));
}

// --- springs ---------------------------------------------------------------

void Draw(Canvas& canvas, const ViewTransform& view, const Spring_2d& spring)
{
    const Node& node = spring.Node;
    if (!CanDraw(view) || !Finite(node))
        return;
    // 0.06 of the span long, running from the node against its direction
    // vector. A spring without a direction is drawn upright, ground below.
    SymbolTransform place(SymbolSpan(view) * 0.06 / 11.5858, false, node.x, node.y);
    place.TurnTowards(spring.DirX, spring.DirY);
    DrawSymbol(canvas, view, SpringOutline(), place, static_cast<COLORREF>(spring.Color));
}

void Draw(Canvas& canvas, const ViewTransform& view, const Torsional_Spring_2d& spring)
{
    const Node& node = spring.Node;
    if (!CanDraw(view) || !Finite(node))
        return;
    const SymbolTransform place(SymbolSpan(view) * 0.08 / 15.9149, false, node.x, node.y);
    DrawSymbol(canvas, view, TorsionalSpringOutline(), place, static_cast<COLORREF>(spring.Color));
}

void DrawSprings(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail)
{
    DrawAll(canvas, view, model, model.m_NSPR, model.m_Springs, detail, SpringReach(view));
}

void DrawTorsionalSprings(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                          const DrawDetail& detail)
{
    DrawAll(canvas, view, model, model.m_NTSPR, model.m_TorsionalSprings, detail, TorsionalSpringReach(view));
}
