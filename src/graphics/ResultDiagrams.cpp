#include "graphics/ResultDiagrams.h"

#include "core/BeamElement.h"
#include "core/Geometry.h"
#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/ViewTransform.h"

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
void DrawOrdinates(Canvas& canvas, const ViewTransform& view, const Node& n1, const Node& n2, double scale, Value value)
{
    const double x1 = n1.x, y1 = n1.y, x2 = n2.x, y2 = n2.y;
    const double L = Length(x1 - x2, y1 - y2);
    const double nx = -(y2 - y1) / L;
    const double ny = (x2 - x1) / L;

    Stations points;
    for (int i = 0; i < kStations; ++i) {
        const double ordinate = scale * value(static_cast<double>(i) / kIntervals);
        points[static_cast<std::size_t>(i)] = {x1 + i * (x2 - x1) / kIntervals + ordinate * nx,
                                               y1 + i * (y2 - y1) / kIntervals + ordinate * ny};
    }

    PenScope pen(canvas, PenDesc{1, kLoadColor});
    WorldPolyline line(canvas, view);
    line.To(x1, y1);
    for (const WorldPoint& p : points)
        line.To(p.x, p.y);
    line.To(x2, y2);
}

template <typename Element>
void ForEachElement(const ViewTransform& view, const StructureModel& model, Element draw)
{
    if (!CanDraw(view))
        return;
    const std::size_t count =
        model.m_NELEM > 0 ? std::min(static_cast<std::size_t>(model.m_NELEM), model.m_Elements.size()) : 0;
    for (std::size_t e = 0; e < count; ++e)
        draw(model.m_Elements[e]);
}

} // namespace

// An element whose ends coincide has neither a direction nor values along
// it: the three diagrams leave it out.

void DrawDeformed(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    const Node& n1 = element.m_Node1;
    const Node& n2 = element.m_Node2;
    if (!CanDraw(view) || !HasLength(n1, n2))
        return;
    const double x1 = n1.x, y1 = n1.y, x2 = n2.x, y2 = n2.y;
    const double s = scale;
    const BeamElement::AxisResults axis = element.ComputeAxisResults();

    Stations points;
    for (int i = 0; i < kStations; ++i) {
        double u[2];
        element.DisplacementAt(static_cast<double>(i) / kIntervals, axis, u);
        points[static_cast<std::size_t>(i)] = {x1 + (x2 - x1) * i / kIntervals + u[0] * s,
                                               y1 + (y2 - y1) * i / kIntervals + u[1] * s};
    }

    PenScope pen(canvas, PenDesc{1, kLoadColor});
    WorldPolyline line(canvas, view);
    for (const WorldPoint& p : points)
        line.To(p.x, p.y);
}

void DrawMoment(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    if (!CanDraw(view) || !HasLength(element.m_Node1, element.m_Node2))
        return;
    const BeamElement::AxisResults axis = element.ComputeAxisResults();
    DrawOrdinates(canvas, view, element.m_Node1, element.m_Node2, scale,
                  [&](double xi) { return element.MomentAt(xi, axis); });
}

void DrawShear(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    if (!CanDraw(view) || !HasLength(element.m_Node1, element.m_Node2))
        return;
    const BeamElement::AxisResults axis = element.ComputeAxisResults();
    DrawOrdinates(canvas, view, element.m_Node1, element.m_Node2, scale,
                  [&](double xi) { return element.ShearAt(xi, axis); });
}

void DrawAxial(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    if (!CanDraw(view) || !HasLength(element.m_Node1, element.m_Node2))
        return;
    const double N = BeamElement::AxialForce(element.ComputeAxisResults());
    DrawOrdinates(canvas, view, element.m_Node1, element.m_Node2, scale, [N](double) { return N; });
}

void DrawDeformedShape(Canvas& canvas, const ViewTransform& view, const StructureModel& model)
{
    ForEachElement(view, model,
                   [&](const BeamElement& element) { DrawDeformed(canvas, view, element, model.m_VisualScaleofDisp); });
}

void DrawMomentDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model)
{
    ForEachElement(view, model,
                   [&](const BeamElement& element) { DrawMoment(canvas, view, element, model.m_VisualScaleofMoment); });
}

void DrawShearDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model)
{
    ForEachElement(view, model,
                   [&](const BeamElement& element) { DrawShear(canvas, view, element, model.m_VisualScaleofShear); });
}

void DrawAxialDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model)
{
    ForEachElement(view, model,
                   [&](const BeamElement& element) { DrawAxial(canvas, view, element, model.m_VisualScaleofAxial); });
}
