#include "graphics/ResultDiagrams.h"

#include "core/BeamElement.h"
#include "core/Geometry.h"
#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/SpanMask.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

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

// A polyline through world points as WorldPolyline draws it. When only
// what can be seen is drawn, a member whose polyline cannot reach the
// client rectangle is left out; when only what can be read is, one shorter
// on screen than it has stations (where they crowd into a few pixels) is
// drawn through fewer of them.
// Where the last polyline of a layer ended, when the layer draws its
// members in one pen: a member that starts there continues it, so that a
// run of members is one polyline.
struct Chain {
    bool open = false;
    int x = 0;
    int y = 0;
    // Where the layer's lines go: on a raster canvas the short ones onto a
    // mask of the layer's pixels.
    MaskedLines* lines = nullptr;
};

class MemberPolyline {
public:
    // chain: the layer's, when it has selected the pen for all its members
    // (null: each member selects it and starts its own polyline).
    MemberPolyline(Canvas& canvas, const ViewTransform& view, const DrawDetail& detail, Chain* chain = nullptr)
        : m_Canvas(canvas), m_View(view), m_Detail(detail), m_Chain(chain)
    {
    }

    void Add(double x, double y)
    {
        if (m_Count < kMost)
            m_Points[m_Count++] = {x, y};
    }

    void Draw(const Node& n1, const Node& n2)
    {
        if (m_Detail.cull) {
            double xMin = INFINITY, yMin = INFINITY, xMax = -INFINITY, yMax = -INFINITY;
            for (int i = 0; i < m_Count; ++i) {
                const WorldPoint& p = m_Points[i];
                if (!std::isfinite(p.x) || !std::isfinite(p.y))
                    continue;
                xMin = std::min(xMin, p.x);
                xMax = std::max(xMax, p.x);
                yMin = std::min(yMin, p.y);
                yMax = std::max(yMax, p.y);
            }
            if (xMin > xMax || !WorldBoxMeetsClient(m_View, xMin, yMin, xMax, yMax, 2))
                return;
        }
        // Crowded: as many points as the member is long in pixels (two
        // pixels a step), always with both ends of the polyline and its
        // point farthest from the chord, so that the outline keeps its
        // reach; the points left out lie within a pixel or two of the line
        // through their neighbours at this size, and a point in the pixel
        // of the one before adds nothing.
        const double pixels = Length(n1.x - n2.x, n1.y - n2.y) * m_View.m_Scale;
        const bool crowded = m_Detail.readableOnly && pixels < kStations;
        bool keep[kMost];
        std::fill(keep, keep + kMost, !crowded);
        if (crowded) {
            const int steps = std::clamp(static_cast<int>(std::ceil(pixels / 2)), 1, std::max(1, m_Count - 1));
            for (int k = 0; k <= steps; ++k)
                keep[static_cast<std::size_t>((k * (m_Count - 1) + steps / 2) / steps)] = true;
            keep[static_cast<std::size_t>(Farthest(n1, n2))] = true;
        }

        MaskedLines direct(m_Canvas, nullptr);
        Chain own{false, 0, 0, &direct};
        Chain& chain = m_Chain ? *m_Chain : own;
        MaskedLines& lines = chain.lines ? *chain.lines : direct;
        std::optional<PenScope> pen;
        if (!m_Chain)
            pen.emplace(m_Canvas, PenDesc{1, kLoadColor});
        bool first = true;
        for (int i = 0; i < m_Count; ++i) {
            const WorldPoint& p = m_Points[i];
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                chain.open = false;
                first = false;
                continue;
            }
            if (!keep[static_cast<std::size_t>(i)])
                continue;
            const double world[2] = {p.x, p.y};
            int pixel[2];
            m_View.WorldToScreen(world, pixel);
            const bool here = chain.open && pixel[0] == chain.x && pixel[1] == chain.y;
            if (!chain.open || (first && !here)) {
                lines.MoveTo(pixel[0], pixel[1]);
            } else if (here && (first || crowded)) {
                // Continues where the polyline stands.
            } else {
                lines.LineTo(pixel[0], pixel[1]);
            }
            chain.open = true;
            chain.x = pixel[0];
            chain.y = pixel[1];
            first = false;
        }
        if (!m_Chain)
            chain.open = false;
    }

private:
    // The point farthest from the line through the member's ends.
    int Farthest(const Node& n1, const Node& n2) const
    {
        const double dx = n2.x - n1.x, dy = n2.y - n1.y;
        int farthest = 0;
        double largest = -1;
        for (int i = 0; i < m_Count; ++i) {
            const double d = std::fabs((m_Points[i].x - n1.x) * dy - (m_Points[i].y - n1.y) * dx);
            if (d > largest) {
                largest = d;
                farthest = i;
            }
        }
        return farthest;
    }

    static constexpr int kMost = kStations + 2;
    Canvas& m_Canvas;
    const ViewTransform& m_View;
    const DrawDetail& m_Detail;
    Chain* m_Chain;
    WorldPoint m_Points[kMost];
    int m_Count = 0;
};

// The moment and shear outlines: from the first node through the stations'
// ordinates, laid off along the left-hand normal, to the second node.
template <typename Value>
void DrawOrdinates(Canvas& canvas, const ViewTransform& view, const Node& n1, const Node& n2, double scale, Value value,
                   const DrawDetail& detail, Chain* chain)
{
    const double x1 = n1.x, y1 = n1.y, x2 = n2.x, y2 = n2.y;
    const double L = Length(x1 - x2, y1 - y2);
    const double nx = -(y2 - y1) / L;
    const double ny = (x2 - x1) / L;

    MemberPolyline line(canvas, view, detail, chain);
    line.Add(x1, y1);
    for (int i = 0; i < kStations; ++i) {
        const double ordinate = scale * value(static_cast<double>(i) / kIntervals);
        line.Add(x1 + i * (x2 - x1) / kIntervals + ordinate * nx, y1 + i * (y2 - y1) / kIntervals + ordinate * ny);
    }
    line.Add(x2, y2);
    line.Draw(n1, n2);
}

// Each element's rotation and end vectors are matrices of their own, spread
// over the heap: a layer that walks a large frame's members waited on memory
// for most of the time it spent on their results. Asking for a member's a
// few members ahead lets the reads overlap.
constexpr std::size_t kAhead = 6;

void Prefetch(const BeamElement& element)
{
#if defined(__GNUC__) || defined(__clang__)
    for (const Matrix* m : {&element.m_T, &element.m_DisInGlobalCS, &element.m_ForInGlobalCS}) {
        const char* data = reinterpret_cast<const char*>(m->Data());
        const std::size_t bytes = m->m_Data.size() * sizeof(double);
        for (std::size_t at = 0; at < bytes; at += 64)
            __builtin_prefetch(data + at);
    }
#else
    (void)element;
#endif
}

template <typename Element>
void ForEachElement(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail,
                    double reach, Element draw)
{
    if (!CanDraw(view))
        return;
    const std::size_t count =
        model.m_NELEM > 0 ? std::min(static_cast<std::size_t>(model.m_NELEM), model.m_Elements.size()) : 0;
    if (!detail.cull) {
        for (std::size_t e = 0; e < count; ++e)
            draw(model.m_Elements[e], nullptr);
        return;
    }
    // One pen for the layer, and members that meet continue one polyline.
    // A member whose chord, grown by the layer's reach, misses the client
    // rectangle cannot draw on it.
    PenScope pen(canvas, PenDesc{1, kLoadColor});
    std::optional<SpanMask> mask;
    if (canvas.PaintsPixels())
        mask.emplace(view.m_Width, view.m_Height);
    MaskedLines lines(canvas, mask ? &*mask : nullptr);
    Chain chain{false, 0, 0, &lines};
    const bool bounded = std::isfinite(reach);
    const double grow = bounded ? std::fabs(reach) : 0;
    for (std::size_t e = 0; e < count; ++e) {
        if (e + kAhead < count)
            Prefetch(model.m_Elements[e + kAhead]);
        const BeamElement& element = model.m_Elements[e];
        if (bounded) {
            const Node& a = element.m_Node1;
            const Node& b = element.m_Node2;
            if (!WorldBoxMeetsClient(view, std::min(a.x, b.x) - grow, std::min(a.y, b.y) - grow,
                                     std::max(a.x, b.x) + grow, std::max(a.y, b.y) + grow, 2))
                continue;
        }
        draw(element, &chain);
    }
    if (mask)
        mask->Flush(canvas);
}

// The one-element drawing with the detail of the layer.
void Deformed(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale,
              const DrawDetail& detail, Chain* chain)
{
    const Node& n1 = element.m_Node1;
    const Node& n2 = element.m_Node2;
    if (!CanDraw(view) || !HasLength(n1, n2))
        return;
    const double x1 = n1.x, y1 = n1.y, x2 = n2.x, y2 = n2.y;
    const double s = scale;
    const BeamElement::AxisResults axis = element.ComputeAxisResults();

    MemberPolyline line(canvas, view, detail, chain);
    for (int i = 0; i < kStations; ++i) {
        double u[2];
        element.DisplacementAt(static_cast<double>(i) / kIntervals, axis, u);
        line.Add(x1 + (x2 - x1) * i / kIntervals + u[0] * s, y1 + (y2 - y1) * i / kIntervals + u[1] * s);
    }
    line.Draw(n1, n2);
}

void Moment(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale,
            const DrawDetail& detail, Chain* chain)
{
    if (!CanDraw(view) || !HasLength(element.m_Node1, element.m_Node2))
        return;
    const BeamElement::AxisResults axis = element.ComputeAxisResults();
    DrawOrdinates(
        canvas, view, element.m_Node1, element.m_Node2, scale, [&](double xi) { return element.MomentAt(xi, axis); },
        detail, chain);
}

void Shear(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale,
           const DrawDetail& detail, Chain* chain)
{
    if (!CanDraw(view) || !HasLength(element.m_Node1, element.m_Node2))
        return;
    const BeamElement::AxisResults axis = element.ComputeAxisResults();
    DrawOrdinates(
        canvas, view, element.m_Node1, element.m_Node2, scale, [&](double xi) { return element.ShearAt(xi, axis); },
        detail, chain);
}

void Axial(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale,
           const DrawDetail& detail, Chain* chain)
{
    if (!CanDraw(view) || !HasLength(element.m_Node1, element.m_Node2))
        return;
    const double N = BeamElement::AxialForce(element.ComputeAxisResults());
    DrawOrdinates(
        canvas, view, element.m_Node1, element.m_Node2, scale, [N](double) { return N; }, detail, chain);
}

} // namespace

// An element whose ends coincide has neither a direction nor values along
// it: the diagrams leave it out.

void DrawDeformed(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    Deformed(canvas, view, element, scale, kDrawEverything, nullptr);
}

void DrawMoment(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    Moment(canvas, view, element, scale, kDrawEverything, nullptr);
}

void DrawShear(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    Shear(canvas, view, element, scale, kDrawEverything, nullptr);
}

void DrawAxial(Canvas& canvas, const ViewTransform& view, const BeamElement& element, double scale)
{
    Axial(canvas, view, element, scale, kDrawEverything, nullptr);
}

void DrawDeformedShape(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail,
                       double reach)
{
    ForEachElement(canvas, view, model, detail, reach, [&](const BeamElement& element, Chain* chain) {
        Deformed(canvas, view, element, model.m_VisualScaleofDisp, detail, chain);
    });
}

void DrawMomentDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail,
                       double reach)
{
    ForEachElement(canvas, view, model, detail, reach, [&](const BeamElement& element, Chain* chain) {
        Moment(canvas, view, element, model.m_VisualScaleofMoment, detail, chain);
    });
}

void DrawShearDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail,
                      double reach)
{
    ForEachElement(canvas, view, model, detail, reach, [&](const BeamElement& element, Chain* chain) {
        Shear(canvas, view, element, model.m_VisualScaleofShear, detail, chain);
    });
}

void DrawAxialDiagram(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail,
                      double reach)
{
    ForEachElement(canvas, view, model, detail, reach, [&](const BeamElement& element, Chain* chain) {
        Axial(canvas, view, element, model.m_VisualScaleofAxial, detail, chain);
    });
}
