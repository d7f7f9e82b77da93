#include "core/BeamElement.h"
#include "core/StructureModel.h"
#include "core/ViewTransform.h"
#include "graphics/Drawing.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Stations per element, both ends included: xi = i / 29.
constexpr int kStations = 30;
constexpr int kIntervals = kStations - 1;

struct WorldPoint {
    double x;
    double y;
};

using Stations = std::array<WorldPoint, kStations>;

bool HasLength(const Node& a, const Node& b)
{
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y) &&
           (a.x != b.x || a.y != b.y);
}

// The moment and shear outlines: from the first node through the stations'
// ordinates, laid off along the left-hand normal, to the second node.
template <typename Value>
void DrawOrdinates(const ViewTransform& view, const Node& n1, const Node& n2, double scale, Value value)
{
    const double x1 = n1.x, y1 = n1.y, x2 = n2.x, y2 = n2.y;
    const double L = std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
    const double nx = -(y2 - y1) / L;
    const double ny = (x2 - x1) / L;

    Stations points;
    for (int i = 0; i < kStations; ++i) {
        const double ordinate = scale * value(static_cast<double>(i) / kIntervals);
        points[static_cast<std::size_t>(i)] = {x1 + i * (x2 - x1) / kIntervals + ordinate * nx,
                                               y1 + i * (y2 - y1) / kIntervals + ordinate * ny};
    }

    PenScope pen(*view.m_hDC, PenDesc{1, kLoadColor});
    WorldPolyline line(view);
    line.To(x1, y1);
    for (const WorldPoint& p : points)
        line.To(p.x, p.y);
    line.To(x2, y2);
}

template <typename Element>
void ForEachElement(const StructureModel& model, Element draw)
{
    if (!model.m_View || !CanDraw(*model.m_View))
        return;
    const std::size_t count =
        model.m_NELEM > 0 ? std::min(static_cast<std::size_t>(model.m_NELEM), model.m_Elements.size()) : 0;
    for (std::size_t e = 0; e < count; ++e)
        draw(model.m_Elements[e], *model.m_View);
}

} // namespace

// An element whose ends coincide has neither a direction nor values along
// it: the three diagrams leave it out.

void BeamElement::DrawDeformed(const ViewTransform& view) const
{
    if (!CanDraw(view) || !HasLength(m_Node1, m_Node2))
        return;
    const double x1 = m_Node1.x, y1 = m_Node1.y, x2 = m_Node2.x, y2 = m_Node2.y;
    const double s = view.m_VisualScaleofDeformation;
    const AxisResults axis = ComputeAxisResults();

    Stations points;
    for (int i = 0; i < kStations; ++i) {
        double u[2];
        DisplacementAt(static_cast<double>(i) / kIntervals, axis, u);
        points[static_cast<std::size_t>(i)] = {x1 + (x2 - x1) * i / kIntervals + u[0] * s,
                                               y1 + (y2 - y1) * i / kIntervals + u[1] * s};
    }

    PenScope pen(*view.m_hDC, PenDesc{1, kLoadColor});
    WorldPolyline line(view);
    for (const WorldPoint& p : points)
        line.To(p.x, p.y);
}

void BeamElement::DrawMoment(const ViewTransform& view) const
{
    if (!CanDraw(view) || !HasLength(m_Node1, m_Node2))
        return;
    const AxisResults axis = ComputeAxisResults();
    DrawOrdinates(view, m_Node1, m_Node2, view.m_VisualScaleofMoment,
                  [&](double xi) { return MomentAt(xi, axis); });
}

void BeamElement::DrawShear(const ViewTransform& view) const
{
    if (!CanDraw(view) || !HasLength(m_Node1, m_Node2))
        return;
    const AxisResults axis = ComputeAxisResults();
    DrawOrdinates(view, m_Node1, m_Node2, view.m_VisualScaleofShear, [&](double xi) { return ShearAt(xi, axis); });
}

void StructureModel::DrawDeformedShape() const
{
    ForEachElement(*this, [](const BeamElement& element, const ViewTransform& view) { element.DrawDeformed(view); });
}

void StructureModel::DrawMomentDiagram() const
{
    ForEachElement(*this, [](const BeamElement& element, const ViewTransform& view) { element.DrawMoment(view); });
}

void StructureModel::DrawShearDiagram() const
{
    ForEachElement(*this, [](const BeamElement& element, const ViewTransform& view) { element.DrawShear(view); });
}
