#include "core/StructureModel.h"
#include "core/ViewTransform.h"
#include "graphics/Drawing.h"
#include "graphics/SymbolOutlines.h"

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

template <typename T>
void DrawAll(const StructureModel& model, int count, const std::vector<T>& records)
{
    if (!model.m_View || !CanDraw(*model.m_View) || count <= 0)
        return;
    const std::size_t n = std::min(static_cast<std::size_t>(count), records.size());
    for (std::size_t i = 0; i < n; ++i)
        records[i].Draw(*model.m_View);
}

} // namespace

// --- prescribed displacements ---------------------------------------------

void PrescribedDisplacement::Draw(const ViewTransform& view) const
{
    DrawHands(view);
    if (HasRz)
        DrawRotationArrow(view);
    if (HasDx || HasDy)
        DrawTranslationArrow(view);
}

void PrescribedDisplacement::DrawHands(const ViewTransform& view) const
{
    if (!CanDraw(view) || !Finite(Node))
        return;
    // Upright under the node unless a translation gives the hands a
    // direction to push in; they then stand on the side opposite to it.
    const bool upright = (Dx == 0 && Dy == 0) || (!HasDx && !HasDy) || (Dx == 0 && !HasDy) || (!HasDx && Dy == 0);
    const double f = PrescribedFactor(view);
    SymbolTransform left(f, false, Node.x, Node.y);
    SymbolTransform right(f, true, Node.x, Node.y);
    if (!upright) {
        left.TurnTowards(Dx, Dy);
        right.TurnTowards(Dx, Dy);
    }
    PenScope pen(*view.m_hDC, PenDesc{1, static_cast<COLORREF>(Color)});
    TraceSymbol(view, HandOutline(), left);
    TraceSymbol(view, HandOutline(), right);
}

void PrescribedDisplacement::DrawRotationArrow(const ViewTransform& view) const
{
    if (!CanDraw(view) || !Finite(Node))
        return;
    SymbolTransform place(PrescribedFactor(view), Rz < 0, Node.x, Node.y);
    if (!(std::fabs(Dx) <= 1e-20 && std::fabs(Dy) <= 1e-20))
        place.TurnTowards(Dx, Dy);
    DrawSymbol(view, RotationArrowOutline(), place, static_cast<COLORREF>(Color));
}

void PrescribedDisplacement::DrawTranslationArrow(const ViewTransform& view) const
{
    if (!CanDraw(view) || !Finite(Node))
        return;
    SymbolTransform place(PrescribedFactor(view), false, Node.x, Node.y);
    if (!(Dx == 0 && Dy == 0))
        place.TurnTowards(Dx, Dy);
    DrawSymbol(view, TranslationArrowOutline(), place, static_cast<COLORREF>(Color));
}

void StructureModel::DrawPrescribedDisplacements() const
{
    DrawAll(*this, m_NPRESC, m_Prescribed);
}

// --- springs ---------------------------------------------------------------

void Spring_2d::Draw(const ViewTransform& view) const
{
    if (!CanDraw(view) || !Finite(Node))
        return;
    // 0.06 of the span long, running from the node against its direction
    // vector. A spring without a direction is drawn upright, ground below.
    SymbolTransform place(SymbolSpan(view) * 0.06 / 11.5858, false, Node.x, Node.y);
    place.TurnTowards(DirX, DirY);
    DrawSymbol(view, SpringOutline(), place, static_cast<COLORREF>(Color));
}

void Torsional_Spring_2d::Draw(const ViewTransform& view) const
{
    if (!CanDraw(view) || !Finite(Node))
        return;
    const SymbolTransform place(SymbolSpan(view) * 0.08 / 15.9149, false, Node.x, Node.y);
    DrawSymbol(view, TorsionalSpringOutline(), place, static_cast<COLORREF>(Color));
}

void StructureModel::DrawSprings() const
{
    DrawAll(*this, m_NSPR, m_Springs);
}

void StructureModel::DrawTorsionalSprings() const
{
    DrawAll(*this, m_NTSPR, m_TorsionalSprings);
}
