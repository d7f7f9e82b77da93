#include "graphics/ReactionSymbols.h"

#include "graphics/Detail.h"
#include "graphics/Drawing.h"
#include "graphics/SymbolOutlines.h"
#include "graphics/ViewTransform.h"

#include <cmath>

namespace {

// In units of the symbol span S: the arrow's length, the clearance between
// its tip and the node (the support square is 0.04 S wide), the head's
// length, and the arc's radius (loads' arcs have 0.03 S).
constexpr double kArrowLength = 0.07;
constexpr double kTipClearance = 0.025;
constexpr double kHeadLength = 0.02;
constexpr double kArcRadius = 0.045;

// The unit direction of a force component: +x or -x for Fx, +y or -y for Fy.
void Direction(int component, double value, double& dx, double& dy)
{
    const double sign = value < 0 ? -1.0 : 1.0;
    dx = component == 0 ? sign : 0.0;
    dy = component == 1 ? sign : 0.0;
}

struct Arrow {
    double tipX, tipY, tailX, tailY;
};

Arrow ArrowOf(const ReactionSymbol& r, int component, double span)
{
    double dx, dy;
    Direction(component, r.value[component], dx, dy);
    const double tipX = r.x - dx * kTipClearance * span, tipY = r.y - dy * kTipClearance * span;
    return {tipX, tipY, tipX - dx * kArrowLength * span, tipY - dy * kArrowLength * span};
}

const char* const kPrefixes[3] = {"Fx = ", "Fy = ", "Mz = "};

} // namespace

void DrawReactions(Canvas& canvas, const ViewTransform& view, const std::vector<ReactionSymbol>& reactions, bool cull)
{
    if (!CanDraw(view) || reactions.empty())
        return;
    const double span = SymbolSpan(view);
    PenScope pen(canvas, PenDesc{1, kReactionColor});
    const double delta = std::acos(-1.0) * 11 / 180;
    for (const ReactionSymbol& r : reactions) {
        if (!std::isfinite(r.x) || !std::isfinite(r.y))
            continue;
        // Arrows end within their clearance, length and head of the node;
        // the arc lies closer.
        if (cull && !NearClient(view, r.x, r.y, (kTipClearance + kArrowLength + kHeadLength + 0.01) * span, 4))
            continue;
        for (int c = 0; c < 2; ++c) {
            if (!r.shown[c])
                continue;
            const Arrow a = ArrowOf(r, c, span);
            DrawWorldSegment(canvas, view, a.tailX, a.tailY, a.tipX, a.tipY);
            const double theta = DirectionAngle(a.tipX - a.tailX, a.tipY - a.tailY);
            const double s = kHeadLength * span;
            const double b1x = a.tipX - s * std::cos(theta - delta), b1y = a.tipY - s * std::sin(theta - delta);
            const double b2x = a.tipX - s * std::cos(theta + delta), b2y = a.tipY - s * std::sin(theta + delta);
            DrawWorldSegment(canvas, view, a.tipX, a.tipY, b1x, b1y);
            DrawWorldSegment(canvas, view, a.tipX, a.tipY, b2x, b2y);
            DrawWorldSegment(canvas, view, b1x, b1y, b2x, b2y);
        }
        if (r.shown[2]) {
            // The loads' arc (radius 2.25 in its table), larger, turning
            // counter-clockwise for a positive moment.
            TraceSymbol(canvas, view, MomentArcOutline(),
                        SymbolTransform(span * kArcRadius / 2.25, r.value[2] < 0, r.x, r.y));
        }
    }
}

std::vector<ValueLabel> ReactionLabels(const ViewTransform& view, const std::vector<ReactionSymbol>& reactions)
{
    std::vector<ValueLabel> labels;
    const double span = SymbolSpan(view);
    for (const ReactionSymbol& r : reactions) {
        for (int c = 0; c < 3; ++c) {
            if (!r.shown[c])
                continue;
            ValueLabel label;
            if (c < 2) {
                // Beside the arrow's shaft from its tail towards the node (to
                // the right of an upright arrow, above a level one), free
                // to slide along it, or to the other side, to stay on the
                // screen.
                const Arrow a = ArrowOf(r, c, span);
                label.x = a.tailX;
                label.y = a.tailY;
                label.baseX = a.tipX;
                label.baseY = a.tipY;
                label.sideX = c == 1 ? 1 : 0;
                label.sideY = c == 0 ? 1 : 0;
                label.alongX = a.tipX - a.tailX;
                label.alongY = a.tipY - a.tailY;
                label.mayFlip = true;
            } else {
                const double d = kArcRadius * span * std::sqrt(0.5);
                label.x = r.x + d;
                label.y = r.y + d;
                label.sideX = 1;
                label.sideY = 1;
                label.mayFlip = true;
            }
            label.value = r.value[c];
            label.prefix = kPrefixes[c];
            label.color = kReactionColor;
            label.rank = kReactionRank;
            label.priority = std::fabs(r.value[c]);
            labels.push_back(label);
        }
    }
    return labels;
}
