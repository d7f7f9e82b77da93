#include "graphics/StructureLayers.h"

#include "core/BeamElement.h"
#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/SpanMask.h"
#include "graphics/SymbolOutlines.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// How many records of an array a layer walks: its count, never more than
// the array holds.
template <typename T>
std::size_t Walk(int count, const std::vector<T>& records)
{
    return count > 0 ? std::min(static_cast<std::size_t>(count), records.size()) : 0;
}

bool Finite(double x, double y)
{
    return std::isfinite(x) && std::isfinite(y);
}

// The width class of an element's line: the position of its second moment
// of area among the distinct levels, or one past the last level when none
// lies within a thousandth of it.
int InertiaClass(const StructureModel& model, std::size_t e)
{
    const int levels = static_cast<int>(Walk(model.m_NumInertiaLevels, model.m_InertiaLevels));
    if (e >= model.m_ElemProp.size())
        return levels;
    const int property = model.m_ElemProp[e];
    if (property < 0 || static_cast<std::size_t>(property) >= model.m_Properties.size())
        return levels;
    const double I = model.m_Properties[static_cast<std::size_t>(property)].I;
    for (int k = 0; k < levels; ++k)
        if (std::fabs(I - model.m_InertiaLevels[static_cast<std::size_t>(k)]) < 0.001 * I)
            return k;
    return levels;
}

// Cell height of the number labels: a fifteenth of the mean element length.
int NumberHeight(const StructureModel& model, const ViewTransform& view)
{
    return std::max(0, TruncatePixels(model.m_AverageElemLength / 15 * view.m_Scale));
}

const Node* NodeAt(const StructureModel& model, std::size_t slot)
{
    if (slot >= model.m_ElemNodes.size())
        return nullptr;
    const int index = model.m_ElemNodes[slot];
    if (index < 0 || static_cast<std::size_t>(index) >= model.m_Nodes.size())
        return nullptr;
    return &model.m_Nodes[static_cast<std::size_t>(index)];
}

void ToScreen(const ViewTransform& view, double x, double y, int pixel[2])
{
    const double world[2] = {x, y};
    view.WorldToScreen(world, pixel);
}

// Numbers are written only at a readable size when only what can be read
// is drawn.
bool NumbersReadable(int height, const DrawDetail& detail)
{
    return !detail.readableOnly || height >= kReadableNumberPixels;
}

// Whether a number whose cell starts at (x, y) may reach the client
// rectangle: up to ten characters, none wider than the cell is high (the
// default font, for a height of 0, is about 16 pixels).
bool TextMayShow(const ViewTransform& view, int x, int y, int height)
{
    const double h = std::max(height, 32);
    return PixelBoxMeetsClient(view, x, y, x + 10 * h, y + h, 2);
}

// The arrowhead angle of forces and distributed loads: 11 degrees.
double HeadAngle()
{
    return std::acos(-1.0) * 11 / 180;
}

} // namespace

// --- element lines -------------------------------------------------------

void DrawLine(Canvas& canvas, const ViewTransform& view, const BeamElement& element, int width)
{
    const Node& n1 = element.m_Node1;
    const Node& n2 = element.m_Node2;
    if (!CanDraw(view) || !Finite(n1.x, n1.y) || !Finite(n2.x, n2.y))
        return;
    PenScope pen(canvas, PenDesc{width, kElementLineColor});
    DrawWorldSegment(canvas, view, n1.x, n1.y, n2.x, n2.y);
}

namespace {

// Where the last line ended: a member that starts or ends there continues
// the polyline, so that a run of members along a floor or a column is one
// polyline with joins instead of as many lines with two caps each.
struct Chain {
    bool open = false;
    int x = 0;
    int y = 0;
};

// One member in the pen in force, unless it cannot reach the client
// rectangle or is a point already drawn.
void DrawMemberOnce(MaskedLines& canvas, const ViewTransform& view, const BeamElement& element, int width,
                    std::vector<unsigned char>& pointDrawn, Chain& chain)
{
    const Node& n1 = element.m_Node1;
    const Node& n2 = element.m_Node2;
    if (!Finite(n1.x, n1.y) || !Finite(n2.x, n2.y))
        return;
    double x1, y1, x2, y2;
    ToClientPixels(view, n1.x, n1.y, x1, y1);
    ToClientPixels(view, n2.x, n2.y, x2, y2);
    if (!PixelBoxMeetsClient(view, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2),
                             width / 2.0 + 2))
        return;
    int s1[2], s2[2];
    ToScreen(view, n1.x, n1.y, s1);
    ToScreen(view, n2.x, n2.y, s2);
    const bool point = s1[0] == s2[0] && s1[1] == s2[1];
    if (point && s1[0] >= 0 && s1[0] < view.m_Width && s1[1] >= 0 && s1[1] < view.m_Height) {
        if (pointDrawn.empty())
            pointDrawn.assign(static_cast<std::size_t>(view.m_Width) * static_cast<std::size_t>(view.m_Height), 0);
        unsigned char& mark = pointDrawn[static_cast<std::size_t>(s1[1]) * static_cast<std::size_t>(view.m_Width) +
                                         static_cast<std::size_t>(s1[0])];
        const unsigned char key = static_cast<unsigned char>(std::min(width, 255));
        if (mark == key)
            return;
        mark = key;
    }
    if (point) {
        canvas.MoveTo(s1[0], s1[1]);
        canvas.LineTo(s1[0] + 1, s1[1]);
        chain.open = false;
        return;
    }
    const int* to = s2;
    if (chain.open && chain.x == s2[0] && chain.y == s2[1]) {
        to = s1;
    } else if (!chain.open || chain.x != s1[0] || chain.y != s1[1]) {
        canvas.MoveTo(s1[0], s1[1]);
    }
    canvas.LineTo(to[0], to[1]);
    chain = {true, to[0], to[1]};
}

} // namespace

void DrawStructure(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail)
{
    if (!CanDraw(view))
        return;
    const std::size_t count = Walk(model.m_NELEM, model.m_Elements);
    if (!detail.cull) {
        for (std::size_t e = 0; e < count; ++e)
            DrawLine(canvas, view, model.m_Elements[e], 3 + 3 * InertiaClass(model, e));
        return;
    }

    // The same segments with the same pens, but only those that can reach
    // the client rectangle, one width after another, each pen selected once:
    // every line has the one colour, opaque, so the order in which they
    // cover the surface does not change the picture. A member whose ends
    // fall in one pixel is that pixel: a one-pixel line (a line from a pixel
    // to itself draws nothing), drawn once per pixel and width however many
    // members share it. Members that meet continue one polyline.
    std::vector<std::pair<int, std::size_t>> order(count);
    for (std::size_t e = 0; e < count; ++e)
        order[e] = {3 + 3 * InertiaClass(model, e), e};
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // On a raster the short lines go onto a mask of their pixels, filled at
    // the end: one colour, opaque, so that too leaves the picture as it was.
    std::vector<unsigned char> pointDrawn;
    Chain chain;
    std::optional<SpanMask> mask;
    if (canvas.PaintsPixels())
        mask.emplace(view.m_Width, view.m_Height);
    MaskedLines lines(canvas, mask ? &*mask : nullptr);
    const PenDesc previous = canvas.SelectPen(PenDesc{1, kElementLineColor});
    int selected = 0;
    for (const auto& [width, e] : order) {
        if (width != selected) {
            canvas.SelectPen(PenDesc{width, kElementLineColor});
            lines.SetWidth(width);
            selected = width;
            chain.open = false;
        }
        DrawMemberOnce(lines, view, model.m_Elements[e], width, pointDrawn, chain);
    }
    if (mask)
        mask->Flush(canvas);
    canvas.SelectPen(previous);
}

void DrawHighlight(Canvas& canvas, const ViewTransform& view, const StructureModel& model, int element, int node)
{
    if (!CanDraw(view))
        return;
    if (element >= 0 && static_cast<std::size_t>(element) < Walk(model.m_NELEM, model.m_Elements)) {
        const std::size_t e = static_cast<std::size_t>(element);
        const BeamElement& beam = model.m_Elements[e];
        if (Finite(beam.m_Node1.x, beam.m_Node1.y) && Finite(beam.m_Node2.x, beam.m_Node2.y)) {
            PenScope pen(canvas, PenDesc{3 + 3 * InertiaClass(model, e) + 6, kHighlightColor});
            DrawWorldSegment(canvas, view, beam.m_Node1.x, beam.m_Node1.y, beam.m_Node2.x, beam.m_Node2.y);
        }
    }
    if (node >= 0 && static_cast<std::size_t>(node) < Walk(model.m_NPOIN, model.m_Nodes)) {
        const Node& n = model.m_Nodes[static_cast<std::size_t>(node)];
        if (Finite(n.x, n.y)) {
            // A square ring a few pixels around the node, whatever the zoom.
            constexpr int kHalf = 7;
            int pixel[2];
            ToScreen(view, n.x, n.y, pixel);
            if (std::abs(pixel[0]) > (1 << 28) || std::abs(pixel[1]) > (1 << 28))
                return;
            PenScope pen(canvas, PenDesc{3, kHighlightColor});
            canvas.MoveTo(pixel[0] - kHalf, pixel[1] - kHalf);
            canvas.LineTo(pixel[0] + kHalf, pixel[1] - kHalf);
            canvas.LineTo(pixel[0] + kHalf, pixel[1] + kHalf);
            canvas.LineTo(pixel[0] - kHalf, pixel[1] + kHalf);
            canvas.LineTo(pixel[0] - kHalf, pixel[1] - kHalf);
        }
    }
}

// --- numbers -------------------------------------------------------------

void DrawNodeNumbers(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail)
{
    if (model.m_NPOIN <= 0 || !CanDraw(view))
        return;
    const int h = NumberHeight(model, view);
    if (!NumbersReadable(h, detail))
        return;
    TextScope text(canvas, FontDesc{kLabelFace, h, 0}, kNodeNumberColor);
    const int drop = TruncatePixels(0.2 * h);
    const std::size_t count = Walk(model.m_NPOIN, model.m_Nodes);
    for (std::size_t i = 0; i < count; ++i) {
        const Node& node = model.m_Nodes[i];
        if (!Finite(node.x, node.y))
            continue;
        int pixel[2];
        ToScreen(view, node.x, node.y, pixel);
        if (detail.cull && !TextMayShow(view, pixel[0], pixel[1] + drop, h))
            continue;
        canvas.TextOut(pixel[0], pixel[1] + drop, std::to_string(i));
    }
}

void DrawElementNumbers(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                        const DrawDetail& detail)
{
    if (model.m_NELEM <= 0 || !CanDraw(view))
        return;
    const int h = NumberHeight(model, view);
    if (!NumbersReadable(h, detail))
        return;
    const int w = h / 2;
    TextScope text(canvas, FontDesc{kLabelFace, h, w}, kElementNumberColor);
    const std::size_t count = static_cast<std::size_t>(model.m_NELEM);
    for (std::size_t e = 0; e < count; ++e) {
        const Node* p1 = NodeAt(model, 2 * e);
        const Node* p2 = NodeAt(model, 2 * e + 1);
        if (!p1 || !p2 || !Finite(p1->x, p1->y) || !Finite(p2->x, p2->y))
            continue;
        int mid[2], s1[2], s2[2];
        ToScreen(view, (p1->x + p2->x) * 0.5, (p1->y + p2->y) * 0.5, mid);
        // The number stands within about 1.1 h of the midpoint.
        if (detail.cull && !TextMayShow(view, mid[0] - w * 10 - 2 * h, mid[1] - 2 * h, 3 * h))
            continue;
        ToScreen(view, p1->x, p1->y, s1);
        ToScreen(view, p2->x, p2->y, s2);
        const std::string label = std::to_string(e);
        const int n = static_cast<int>(label.size());

        // Centred on the midpoint, then pushed 0.6 h along the on-screen
        // left-hand normal. An element whose ends share one pixel has no
        // normal: its number stays centred.
        const double dxS = static_cast<double>(s2[0]) - s1[0];
        const double dyS = static_cast<double>(s2[1]) - s1[1];
        const double len = std::sqrt(dxS * dxS + dyS * dyS);
        int offsetX = 0, offsetY = 0;
        if (len > 0) {
            offsetX = TruncatePixels(h * 0.6 * dyS / len);
            offsetY = TruncatePixels(h * 0.6 * (-dxS) / len);
        }
        canvas.TextOut(mid[0] - (w * n) / 2 + offsetX, mid[1] - h / 2 + offsetY, label);
    }
}

// --- supports ------------------------------------------------------------

void Draw(Canvas& canvas, const ViewTransform& view, const RestrictedNode& support)
{
    const double x = support.x, y = support.y;
    if (!CanDraw(view) || !Finite(x, y))
        return;
    const COLORREF color = static_cast<COLORREF>(support.Color);
    const double size = SymbolSpan(view) / 25;
    const double half = 0.5 * size;
    {
        PenScope pen(canvas, PenDesc{1, color});
        WorldPolyline square(canvas, view);
        square.To(x - half, y - half);
        square.To(x + half, y - half);
        square.To(x + half, y + half);
        square.To(x - half, y + half);
        square.To(x - half, y - half);
    }

    const int h = std::max(0, TruncatePixels(size * 0.7 * view.m_Scale));
    TextScope text(canvas, FontDesc{kLabelFace, h, 0}, color);
    char code[40];
    std::snprintf(code, sizeof code, "%2d%2d%2d", support.Fix[0], support.Fix[1], support.Fix[2]);
    int pixel[2];
    ToScreen(view, x, y, pixel);
    // At the square's lower-right corner on screen.
    const int g = TruncatePixels(size * (-0.5) * view.m_Scale);
    canvas.TextOut(pixel[0] - g, pixel[1] - g, code);
}

void DrawRestrictedNodes(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                         const DrawDetail& detail)
{
    if (!CanDraw(view) || !SymbolsShown(view, model, detail))
        return;
    // The square is S / 25 wide; its code, six characters of 0.7 of that
    // height, starts at its corner: all within five widths of the node.
    const double reach = 5 * SymbolSpan(view) / 25;
    const std::size_t count = Walk(model.m_NRN, model.m_RestrictedNodes);
    for (std::size_t i = 0; i < count; ++i) {
        const RestrictedNode& support = model.m_RestrictedNodes[i];
        if (detail.cull && !NearClient(view, support.x, support.y, reach, 4))
            continue;
        Draw(canvas, view, support);
    }
}

// --- concentrated loads --------------------------------------------------

void Draw(Canvas& canvas, const ViewTransform& view, const force_2d& force, double forceScale)
{
    const double x = force.Node.x, y = force.Node.y;
    if (!CanDraw(view) || !Finite(x, y))
        return;
    PenScope pen(canvas, PenDesc{1, kLoadColor});
    const double S = SymbolSpan(view);
    const double Fx = force.Fx, Fy = force.Fy, Mz = force.Mz;

    if (Fx != 0 || Fy != 0) {
        // From the node away in the force's direction; the head's size is
        // fixed by the model's extent whatever the load.
        const double theta = DirectionAngle(Fx, Fy);
        const double length = forceScale * std::sqrt(Fx * Fx + Fy * Fy);
        const double tipX = x + length * std::cos(theta);
        const double tipY = y + length * std::sin(theta);
        DrawWorldSegment(canvas, view, x, y, tipX, tipY);

        const double s = 0.02 * S;
        const double delta = HeadAngle();
        const double b1x = tipX - s * std::cos(theta - delta), b1y = tipY - s * std::sin(theta - delta);
        const double b2x = tipX - s * std::cos(theta + delta), b2y = tipY - s * std::sin(theta + delta);
        DrawWorldSegment(canvas, view, tipX, tipY, b1x, b1y);
        DrawWorldSegment(canvas, view, tipX, tipY, b2x, b2y);
        DrawWorldSegment(canvas, view, b1x, b1y, b2x, b2y);
    }

    if (Mz != 0) {
        // Counter-clockwise for a positive moment, mirrored for a negative
        // one; radius 0.03 S.
        TraceSymbol(canvas, view, MomentArcOutline(), SymbolTransform(S * 0.06 / 4.5, Mz < 0, x, y));
    }
}

void DrawForces(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const DrawDetail& detail)
{
    if (!CanDraw(view) || !SymbolsShown(view, model, detail))
        return;
    const double S = SymbolSpan(view);
    const std::size_t count = Walk(model.m_NFOR, model.m_Forces);
    for (std::size_t i = 0; i < count; ++i) {
        const force_2d& force = model.m_Forces[i];
        if (detail.cull) {
            // The arrow with its head, and the moment's arc of radius
            // 0.03 S with its head.
            const double length = model.m_VisualScaleofForce * std::hypot(force.Fx, force.Fy);
            if (!NearClient(view, force.Node.x, force.Node.y, length + 0.05 * S, 4))
                continue;
        }
        Draw(canvas, view, force, model.m_VisualScaleofForce);
    }
}

// --- distributed loads ---------------------------------------------------

void Draw(Canvas& canvas, const ViewTransform& view, const DistributedLoad& load, double pressScale)
{
    const double x1 = load.Node1.x, y1 = load.Node1.y, x2 = load.Node2.x, y2 = load.Node2.y;
    if (!CanDraw(view) || !Finite(x1, y1) || !Finite(x2, y2))
        return;
    // An element whose ends coincide gives the load no direction to stand
    // on: nothing is drawn for it.
    if (x1 == x2 && y1 == y2)
        return;
    PenScope pen(canvas, PenDesc{1, kLoadColor});
    const double a = pressScale;
    const double q1 = load.q1, q2 = load.q2;
    const double theta = DirectionAngle(x2 - x1, y2 - y1);
    const double sinT = std::sin(theta), cosT = std::cos(theta);

    // Positive intensities on the right-hand side walking from N1 to N2.
    const double q1x = x1 + sinT * a * q1, q1y = y1 - cosT * a * q1;
    const double q2x = x2 + sinT * a * q2, q2y = y2 - cosT * a * q2;
    DrawWorldSegment(canvas, view, q1x, q1y, q2x, q2y);
    DrawWorldSegment(canvas, view, q1x, q1y, x1, y1);
    DrawWorldSegment(canvas, view, q2x, q2y, x2, y2);

    // Heads on the element, barbs on the load's side.
    const double s = 0.02 * SymbolSpan(view);
    const double delta = HeadAngle();
    auto head = [&](double nx, double ny, double q) {
        const double sq = q < 0 ? -s : s;
        const double c1x = nx + std::sin(theta - delta) * sq, c1y = ny - std::cos(theta - delta) * sq;
        const double c2x = nx + std::sin(theta + delta) * sq, c2y = ny - std::cos(theta + delta) * sq;
        DrawWorldSegment(canvas, view, c1x, c1y, nx, ny);
        DrawWorldSegment(canvas, view, c2x, c2y, nx, ny);
        DrawWorldSegment(canvas, view, c2x, c2y, c1x, c1y);
    };
    if (q2 != 0 && !std::isnan(q2))
        head(x2, y2, q2);
    if (q1 != 0 && !std::isnan(q1))
        head(x1, y1, q1);
}

void DrawDistributedLoads(Canvas& canvas, const ViewTransform& view, const StructureModel& model,
                          const DrawDetail& detail)
{
    if (!CanDraw(view) || !SymbolsShown(view, model, detail))
        return;
    const double a = model.m_VisualScaleofPress;
    const double head = 0.02 * SymbolSpan(view);
    const std::size_t count = Walk(model.m_NDIS, model.m_DistributedLoads);
    for (std::size_t i = 0; i < count; ++i) {
        const DistributedLoad& load = model.m_DistributedLoads[i];
        if (detail.cull) {
            // The element, the outline laid off from it by the larger
            // intensity, and the heads at its ends.
            const double offset = a * std::max(std::fabs(load.q1), std::fabs(load.q2)) + head;
            const double xMin = std::min(load.Node1.x, load.Node2.x), xMax = std::max(load.Node1.x, load.Node2.x);
            const double yMin = std::min(load.Node1.y, load.Node2.y), yMax = std::max(load.Node1.y, load.Node2.y);
            if (!WorldBoxMeetsClient(view, xMin - offset, yMin - offset, xMax + offset, yMax + offset, 4))
                continue;
        }
        Draw(canvas, view, load, a);
    }
}
