#include "inspect/HitTest.h"

#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace {

struct Pixel {
    double x, y;
};

Pixel ToPixels(const ViewTransform& view, double x, double y)
{
    return {view.m_OriginX + (x - view.m_CenterX) * view.m_Scale, view.m_OriginY - (y - view.m_CenterY) * view.m_Scale};
}

bool Finite(const Pixel& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

Hit HitTest(const StructureModel& model, const ViewTransform& view, int x, int y)
{
    Hit hit;
    if (!CanDraw(view))
        return hit;
    const double px = x, py = y;

    // Nodes first: the point where members meet belongs to none of them.
    double best = kNodeReach * kNodeReach;
    const std::size_t nodes = model.m_NPOIN > 0 ? std::min<std::size_t>(model.m_NPOIN, model.m_Nodes.size()) : 0;
    for (std::size_t i = 0; i < nodes; ++i) {
        const Pixel p = ToPixels(view, model.m_Nodes[i].x, model.m_Nodes[i].y);
        const double dx = p.x - px, dy = p.y - py;
        const double d2 = dx * dx + dy * dy;
        if (d2 <= best && !(hit.kind == Hit::Kind::Node && d2 == best)) {
            best = d2;
            hit.kind = Hit::Kind::Node;
            hit.index = static_cast<int>(i);
        }
    }
    if (hit.kind == Hit::Kind::Node)
        return hit;

    best = kElementReach * kElementReach;
    const std::size_t elements = model.m_NELEM > 0 ? std::min<std::size_t>(model.m_NELEM, model.m_Elements.size()) : 0;
    for (std::size_t e = 0; e < elements; ++e) {
        const BeamElement& element = model.m_Elements[e];
        const Pixel a = ToPixels(view, element.m_Node1.x, element.m_Node1.y);
        const Pixel b = ToPixels(view, element.m_Node2.x, element.m_Node2.y);
        if (!Finite(a) || !Finite(b))
            continue;
        // A cheap test of the bounding box first: most members are far.
        if (px < std::min(a.x, b.x) - kElementReach || px > std::max(a.x, b.x) + kElementReach ||
            py < std::min(a.y, b.y) - kElementReach || py > std::max(a.y, b.y) + kElementReach)
            continue;
        const double ex = b.x - a.x, ey = b.y - a.y;
        const double length2 = ex * ex + ey * ey;
        double t = length2 > 0 ? ((px - a.x) * ex + (py - a.y) * ey) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const double dx = a.x + t * ex - px, dy = a.y + t * ey - py;
        const double d2 = dx * dx + dy * dy;
        if (d2 < best || (d2 == best && hit.kind == Hit::Kind::None)) {
            best = d2;
            hit.kind = Hit::Kind::Element;
            hit.index = static_cast<int>(e);
        }
    }
    if (hit.kind != Hit::Kind::Element)
        return hit;

    // The fraction along the member from the pointer's world point, so that
    // the pixel over a point of the axis gives that point exactly.
    const BeamElement& element = model.m_Elements[static_cast<std::size_t>(hit.index)];
    const int pixel[2] = {x, y};
    double world[2];
    view.ScreenToWorld(pixel, world);
    const double ex = element.m_Node2.x - element.m_Node1.x, ey = element.m_Node2.y - element.m_Node1.y;
    const double length2 = ex * ex + ey * ey;
    double t = length2 > 0 ? ((world[0] - element.m_Node1.x) * ex + (world[1] - element.m_Node1.y) * ey) / length2 : 0;
    if (!std::isfinite(t))
        t = 0;
    hit.xi = std::clamp(t, 0.0, 1.0);
    return hit;
}
