#include "graphics/SymbolOutlines.h"

#include "graphics/Drawing.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace {

std::vector<int> Run(int first, int last)
{
    std::vector<int> indices;
    for (int i = first; i <= last; ++i)
        indices.push_back(i);
    return indices;
}

// 0 … last, then back to `back`.
std::vector<int> RunThenBack(int last, int back)
{
    std::vector<int> indices = Run(0, last);
    indices.push_back(back);
    return indices;
}

} // namespace

int SymbolOutline::SegmentCount() const
{
    int count = 0;
    for (const std::vector<int>& line : polylines)
        count += std::max(0, static_cast<int>(line.size()) - 1);
    return count;
}

// The outline tables keep their hand-laid rows, a few points a line.
// clang-format off

// Points 0 to 20 lie on a circle from -45 degrees counter-clockwise to 250
// degrees; 20 to 24 and the line back to 20 are the head, tip at 20.
const SymbolOutline& MomentArcOutline()
{
    static const SymbolOutline outline{{
        {1.591, -1.591}, {1.9436, -1.1335}, {2.1682, -0.6013}, {2.2498, -0.0295},
        {2.1832, 0.5443}, {1.9726, 1.0822}, {1.6321, 1.5488}, {1.184, 1.9133},
        {0.6578, 2.1517}, {0.0883, 2.2483}, {-0.487, 2.1967}, {-1.0302, 2.0003},
        {-1.5055, 1.6721}, {-1.8816, 1.2337}, {-2.1337, 0.7139}, {-2.2452, 0.1472},
        {-2.2087, -0.4293}, {-2.0266, -0.9775}, {-1.7574, -1.405}, {-1.2825, -1.8487},
        {-0.7695, -2.1143}, {-1.4489, -1.9004}, {-1.9527, -1.5611}, {-1.5622, -1.2489},
        {-1.2423, -1.7177},
    }, {RunThenBack(24, 20)}};
    return outline;
}

// Palm up and cupped, wrist at the bottom, fingertips up and outward; it
// stands below and to the left of the node without touching it.
const SymbolOutline& HandOutline()
{
    static const SymbolOutline outline{{
        {-1.7885, -4.0251}, {-1.0085, -3.9621}, {-0.8008, -3.6286}, {-0.7987, -3.4744},
        {-0.7124, -3.5186}, {-0.6628, -3.5265}, {-0.6419, -3.5134}, {-0.4984, -3.4769},
        {-0.3496, -3.4717}, {-0.2591, -3.5029}, {-0.5975, -3.3961}, {-0.2707, -3.4169},
        {-0.2269, -3.3829}, {-0.8328, -3.3124}, {-0.221, -3.2425}, {-0.8454, -3.143},
        {-0.7515, -3.1614}, {-0.6654, -3.164}, {-0.8684, -3.0871}, {-0.7672, -3.104},
        {-0.8619, -3.0344}, {-0.8089, -3.0414}, {-0.7515, -3.0232}, {-0.4766, -3.0032},
        {-0.8802, -2.9757}, {-0.8142, -2.9475}, {-0.4825, -2.8918}, {-0.3689, -2.9015},
        {-1.0541, -2.8568}, {-0.9245, -2.8532}, {-0.6001, -2.7669}, {-0.5319, -2.7794},
        {-1.0992, -2.5898}, {-1.1025, -2.5404}, {-0.8058, -2.5173}, {-1.3936, -2.4514},
        {-1.142, -2.4054}, {-1.1206, -2.4378}, {-1.0661, -2.4362}, {-0.9929, -2.371},
        {-0.8124, -2.4383}, {-1.1947, -2.3164}, {-1.2211, -2.2341}, {-1.0634, -2.1805},
        {-0.9904, -2.2045}, {-1.1091, -2.1254}, {-1.175, -2.1221}, {-1.2178, -2.1452},
        {-1.2186, -2.1653}, {-1.2198, -2.1984}, {-1.2463, -2.1618}, {-1.2887, -2.1758},
        {-1.3538, -2.194}, {-1.3982, -2.2305}, {-1.2665, -2.1416}, {-1.2848, -2.127},
        {-1.3278, -2.1316}, {-1.3617, -2.1394}, {-1.3929, -2.1602}, {-1.3408, -2.1055},
        {-1.3123, -2.0977}, {-1.3531, -2.0897}, {-1.3233, -2.0848}, {-1.3178, -2.0629},
        {-1.3563, -2.0354}, {-1.6861, -1.9949}, {-1.5885, -2.0103}, {-1.5223, -1.9587},
        {-1.4868, -1.9519}, {-1.4477, -1.9675}, {-1.492, -1.905}, {-1.4608, -1.9035},
        {-1.5071, -1.8894}, {-1.5754, -1.8191}, {-1.6457, -1.754}, {-1.737, -1.7357},
        {-1.7848, -1.737}, {-1.8058, -1.7505}, {-1.8077, -1.765}, {-0.4172, -4.1347},
        {-0.3791, -3.9299}, {-0.2679, -3.6901}, {-0.9338, -3.1443}, {-1.2588, -2.5861},
        {-1.1321, -2.4581},
    }, {
        {0, 1, 2, 3, 4, 5},
        {3, 13, 6},
        {13, 82, 28, 83, 35, 65, 78, 77, 76, 75, 74, 73, 72, 70, 68, 67, 66},
        {68, 69},
        {70, 69, 61, 59, 56, 51, 42},
        {72, 71, 64, 62, 60, 55, 54, 50, 49},
        {64, 63, 48},
        {62, 61, 60},
        {55, 56, 54},
        {59, 57, 56},
        {57, 58},
        {51, 52, 53},
        {47, 48, 49, 42, 41, 36, 37, 38, 39, 43, 45, 46, 47},
        {36, 84, 33, 32, 29, 24, 20, 18, 15},
        {45, 44, 40, 34, 30, 31, 27, 14, 11, 8, 7, 10, 17, 22, 25},
        {24, 21, 19, 16},
        {30, 26, 23},
        {14, 12, 9, 81, 80, 79},
    }};
    return outline;
}

// Tip at (0, 2.985), head beginning at the node, shaft reaching back to
// v = -1.9538.
const SymbolOutline& TranslationArrowOutline()
{
    static const SymbolOutline outline{{
        {0, 2.985}, {2.2578, 0}, {1.1289, 0}, {1.1289, -1.9538},
        {-1.1289, -1.9538}, {-1.1289, 0}, {-2.2578, 0},
    }, {RunThenBack(6, 0)}};
    return outline;
}

// 0 to 12: outer edge (radius 3.7427) from the left over the top to the
// right; 13 to 25: inner edge (radius 3.1427) back; 26 to 28: the head at
// the left end, tip at 27.
const SymbolOutline& RotationArrowOutline()
{
    static const SymbolOutline outline{{
        {-3.6454, -0.8479}, {-3.7332, 0.2669}, {-3.4878, 1.3578}, {-2.931, 2.3275},
        {-2.1126, 3.0895}, {-1.1056, 3.5757}, {0, 3.7427}, {1.1056, 3.5757},
        {2.1126, 3.0895}, {2.931, 2.3275}, {3.4878, 1.3578}, {3.7332, 0.2669},
        {3.6454, -0.8479}, {3.0831, -0.6092}, {3.1273, 0.3114}, {2.9025, 1.2051},
        {2.4281, 1.9953}, {1.7449, 2.6138}, {0.9117, 3.0076}, {0, 3.1427},
        {-0.9117, 3.0076}, {-1.7449, 2.6138}, {-2.4281, 1.9953}, {-2.9025, 1.2051},
        {-3.1273, 0.3114}, {-3.0831, -0.6092}, {-2.2121, -0.2395}, {-2.7128, -2.1197},
        {-4.4131, -1.1737},
    }, {RunThenBack(28, 0)}};
    return outline;
}

// Apex at the node, the coil below it, the ground line at v = -10 and seven
// hatch strokes under it; 11.5858 units long.
const SymbolOutline& SpringOutline()
{
    static const SymbolOutline outline{{
        {0, 0}, {-1.9982, -3.4609}, {0, -3.4609}, {1.9982, -3.4609},
        {0, -4.1148}, {-1.9982, -4.7687}, {1.9982, -4.7687}, {-1.9982, -6.0765},
        {1.9982, -6.0765}, {-1.9982, -7.3844}, {1.9982, -7.3844}, {-1.9982, -8.6922},
        {1.9982, -8.6922}, {0, -9.3461}, {-3.9859, -10}, {-3.6841, -10},
        {-2.3283, -10}, {-0.9726, -10}, {0, -10}, {0.3832, -10},
        {1.7389, -10}, {3.0947, -10}, {3.9859, -10}, {-3.9859, -10.3018},
        {3.9859, -10.4645}, {-3.9142, -11.5858}, {-2.5584, -11.5858}, {-1.2026, -11.5858},
        {0.1531, -11.5858}, {1.5089, -11.5858}, {2.8647, -11.5858},
    }, {
        {0, 1, 3, 0},
        {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 18},
        {14, 22},
        {23, 15},
        {25, 16},
        {26, 17},
        {27, 19},
        {28, 20},
        {29, 21},
        {30, 24},
    }};
    return outline;
}

// A 16-gon of radius 5 around the node and two legs rising from its lower
// side outward to v = 5.
const SymbolOutline& TorsionalSpringOutline()
{
    static const SymbolOutline outline{{
        {0, 5}, {1.9134, 4.6194}, {3.5355, 3.5355}, {4.6194, 1.9134},
        {5, 0}, {4.5048, -2.1694}, {3.5355, -3.5355}, {1.9134, -4.6194},
        {0, -5}, {-1.9134, -4.6194}, {-3.5355, -3.5355}, {-4.5048, -2.1694},
        {-5, 0}, {-4.6194, 1.9134}, {-3.5355, 3.5355}, {-1.9134, 4.6194},
        {-7.9575, 5}, {7.9575, 5},
    }, {RunThenBack(15, 0), {11, 16}, {5, 17}}};
    return outline;
}

// clang-format on

SymbolTransform::SymbolTransform(double factor, bool mirror, double x, double y)
    : m_Factor(factor), m_Mirror(mirror), m_X(x), m_Y(y)
{
}

void SymbolTransform::TurnTowards(double dx, double dy)
{
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return;
    double l = std::sqrt(dx * dx + dy * dy);
    if (!(l > 0) || !std::isfinite(l)) {
        // Squares that under- or overflow do not make a direction lose its
        // length: measure it in units of its larger component instead.
        const double m = std::max(std::fabs(dx), std::fabs(dy));
        if (!(m > 0))
            return;
        dx /= m;
        dy /= m;
        l = std::sqrt(dx * dx + dy * dy);
    }
    m_Cos = dy / l;
    m_Sin = dx / l;
}

void SymbolTransform::Apply(const OutlinePoint& p, double world[2]) const
{
    const double u = (m_Mirror ? -p.u : p.u) * m_Factor;
    const double v = p.v * m_Factor;
    world[0] = m_Cos * u + m_Sin * v + m_X;
    world[1] = -m_Sin * u + m_Cos * v + m_Y;
}

void TraceSymbol(Canvas& canvas, const ViewTransform& view, const SymbolOutline& outline,
                 const SymbolTransform& transform)
{
    if (!CanDraw(view))
        return;
    for (const std::vector<int>& indices : outline.polylines) {
        WorldPolyline line(canvas, view);
        for (int index : indices) {
            double world[2];
            transform.Apply(outline.points[static_cast<std::size_t>(index)], world);
            line.To(world[0], world[1]);
        }
    }
}

void DrawSymbol(Canvas& canvas, const ViewTransform& view, const SymbolOutline& outline,
                const SymbolTransform& transform, COLORREF color)
{
    if (!CanDraw(view))
        return;
    PenScope pen(canvas, PenDesc{1, color});
    TraceSymbol(canvas, view, outline, transform);
}
