#include "inspect/Scene.h"

#include "core/Geometry.h"
#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/DrawnExtent.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTiny = 1e-10;
// A diagram value this small a part of the structure's largest is zero.
constexpr double kResidue = 1e-10;
// Inside a member, a local extreme this close (as a part of the length) to
// the reported largest value or to an end is not labelled again.
constexpr double kNearby = 0.02;

// Room for a label beyond the tip of a diagram's ordinate, in pixels.
constexpr double kLabelReach = 120;

struct ScreenPoint {
    double x, y;
};

ScreenPoint ToPixels(const ViewTransform& view, double x, double y)
{
    return {view.m_OriginX + (x - view.m_CenterX) * view.m_Scale, view.m_OriginY - (y - view.m_CenterY) * view.m_Scale};
}

bool OnScreen(const ViewTransform& view, const Node& a, const Node& b, double margin)
{
    const ScreenPoint p = ToPixels(view, a.x, a.y), q = ToPixels(view, b.x, b.y);
    const double left = std::min(p.x, q.x), right = std::max(p.x, q.x);
    const double top = std::min(p.y, q.y), bottom = std::max(p.y, q.y);
    return right >= -margin && left <= view.m_Width + margin && bottom >= -margin && top <= view.m_Height + margin;
}

bool HasLength(const Node& a, const Node& b)
{
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y) &&
           (a.x != b.x || a.y != b.y);
}

// One member's frame: its chord, unit tangent and left-hand normal.
struct MemberFrame {
    double x1, y1, x2, y2, L, tx, ty, nx, ny;

    MemberFrame(const Node& a, const Node& b) : x1(a.x), y1(a.y), x2(b.x), y2(b.y)
    {
        L = std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
        tx = (x2 - x1) / L;
        ty = (y2 - y1) / L;
        nx = -ty;
        ny = tx;
    }
    double ChordX(double xi) const { return x1 + xi * (x2 - x1); }
    double ChordY(double xi) const { return y1 + xi * (y2 - y1); }
};

// Where a value stands: an end (moved along the member into it) or inside.
enum class Place { Start, End, Inside };

class LabelMaker {
public:
    LabelMaker(std::vector<ValueLabel>& labels, double largest) : m_Labels(labels), m_Largest(largest) {}

    // A value whose ordinate is drawn along the normal: at the ordinate's
    // tip, standing off on the side the value is drawn on.
    void Ordinate(const MemberFrame& f, double xi, double value, double scale, Place place)
    {
        const double ordinate = scale * value;
        const bool drawn = std::isfinite(ordinate);
        const double side = value < 0 ? -1.0 : 1.0;
        ValueLabel label;
        label.baseX = f.ChordX(xi);
        label.baseY = f.ChordY(xi);
        label.x = label.baseX + (drawn ? ordinate * f.nx : 0);
        label.y = label.baseY + (drawn ? ordinate * f.ny : 0);
        label.sideX = side * f.nx;
        label.sideY = side * f.ny;
        Add(label, f, value, place);
    }

    // A displaced point: the value is the length of its translation, the
    // label stands off in the direction it moved.
    void Displaced(const MemberFrame& f, double xi, const double d[2], double value, double scale, Place place)
    {
        const double px = scale * d[0], py = scale * d[1];
        const bool drawn = std::isfinite(px) && std::isfinite(py);
        ValueLabel label;
        label.baseX = f.ChordX(xi);
        label.baseY = f.ChordY(xi);
        label.x = label.baseX + (drawn ? px : 0);
        label.y = label.baseY + (drawn ? py : 0);
        const double length = std::hypot(d[0], d[1]);
        if (length > 0 && std::isfinite(length)) {
            label.sideX = d[0] / length;
            label.sideY = d[1] / length;
        } else {
            label.sideX = f.nx;
            label.sideY = f.ny;
        }
        Add(label, f, value, place);
    }

private:
    void Add(ValueLabel& label, const MemberFrame& f, double value, Place place)
    {
        if (place == Place::Start) {
            label.alongX = f.tx;
            label.alongY = f.ty;
        } else if (place == Place::End) {
            label.alongX = -f.tx;
            label.alongY = -f.ty;
        }
        // The rounding residue of a value that is zero (a free end's
        // moment) reads as 0, not as 7.105e-15.
        if (std::isfinite(m_Largest) && std::fabs(value) <= kResidue * m_Largest)
            value = 0;
        label.value = value;
        label.color = kLoadColor;
        label.priority = std::fabs(value);
        // The structure's largest value, once.
        if (!m_LargestPlaced && label.priority == m_Largest) {
            label.rank = kAlwaysShown;
            m_LargestPlaced = true;
        }
        m_Labels.push_back(label);
    }

    std::vector<ValueLabel>& m_Labels;
    double m_Largest;
    bool m_LargestPlaced = false;
};

// The member's end values and its extreme, the extreme taking the place of
// an end value where the result files report it at that end.
template <typename ValueAt>
void EndsAndExtreme(LabelMaker& maker, const MemberFrame& f, const MemberExtreme& extreme, double length, double scale,
                    ValueAt valueAt)
{
    double start = valueAt(0.0);
    double end = valueAt(1.0);
    const bool atStart = extreme.x == 0;
    const bool atEnd = !atStart && extreme.x == length;
    if (atStart)
        start = std::copysign(extreme.value, start);
    if (atEnd)
        end = std::copysign(extreme.value, end);
    maker.Ordinate(f, 0.0, start, scale, Place::Start);
    maker.Ordinate(f, 1.0, end, scale, Place::End);
    if (!atStart && !atEnd && length > 0) {
        const double xi = extreme.x / length;
        maker.Ordinate(f, xi, std::copysign(extreme.value, valueAt(xi)), scale, Place::Inside);
    }
}

// The other turning points of a diagram inside a member, where its
// derivative vanishes, labelled with their values: the sagging moment of a
// beam whose ends hog more, for one. roots are distances from the first
// node.
template <typename ValueAt>
void TurningPoints(LabelMaker& maker, const MemberFrame& f, const MemberExtreme& extreme, double length, double scale,
                   const double* roots, int count, ValueAt valueAt)
{
    for (int i = 0; i < count; ++i) {
        const double x = roots[i];
        if (!(x > kNearby * length && x < (1 - kNearby) * length) || std::fabs(x - extreme.x) < kNearby * length)
            continue;
        const double xi = x / length;
        maker.Ordinate(f, xi, valueAt(xi), scale, Place::Inside);
    }
}

// Where V(x) = V1 + q1 x + (q2 - q1) x^2 / (2L), the moment's slope,
// vanishes.
int ShearZeros(double V1, double q1, double q2, double L, double roots[2])
{
    const double a = (q2 - q1) / (2 * L), b = q1, c = V1;
    if (a == 0) {
        if (b == 0)
            return 0;
        roots[0] = -c / b;
        return 1;
    }
    const double disc = b * b - 4 * a * c;
    if (!(disc >= 0))
        return 0;
    // The form without cancellation.
    const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
    int n = 0;
    if (q != 0)
        roots[n++] = c / q;
    roots[n++] = q / a;
    return n;
}

// A member's largest value of the diagram (what its labels compete with)
// and the diagram's drawing scale.
double MemberLargest(const MemberResults& r, Diagram diagram)
{
    switch (diagram) {
    case Diagram::Deformed:
        return r.displacement.value;
    case Diagram::Moment:
        return r.moment.value;
    case Diagram::Shear:
        return r.shear.value;
    case Diagram::Axial:
        return std::fabs(BeamElement::AxialForce(r.axis));
    }
    return 0;
}

double ScaleOf(const StructureModel& model, Diagram diagram)
{
    switch (diagram) {
    case Diagram::Deformed:
        return model.m_VisualScaleofDisp;
    case Diagram::Moment:
        return model.m_VisualScaleofMoment;
    case Diagram::Shear:
        return model.m_VisualScaleofShear;
    case Diagram::Axial:
        return model.m_VisualScaleofAxial;
    }
    return 0;
}

// True the first time the node at the connectivity slot is asked about.
bool FirstAtNode(const StructureModel& model, std::size_t slot, std::vector<bool>& labelled)
{
    if (slot >= model.m_ElemNodes.size())
        return true;
    const int node = model.m_ElemNodes[slot];
    if (node < 0 || static_cast<std::size_t>(node) >= labelled.size())
        return true;
    if (labelled[static_cast<std::size_t>(node)])
        return false;
    labelled[static_cast<std::size_t>(node)] = true;
    return true;
}

double LargestOf(const ModelResults& results, Diagram diagram)
{
    switch (diagram) {
    case Diagram::Deformed:
        return results.LargestDisplacement();
    case Diagram::Moment:
        return results.LargestMoment();
    case Diagram::Shear:
        return results.LargestShear();
    case Diagram::Axial:
        return results.LargestAxial();
    }
    return 0;
}

} // namespace

std::vector<ValueLabel> DiagramValues(const ModelResults& results, const ViewTransform& view, Diagram diagram,
                                      const DrawDetail& detail)
{
    std::vector<ValueLabel> labels;
    if (!CanDraw(view))
        return labels;
    const double largest = LargestOf(results, diagram);
    // All but zero everywhere: nothing worth a number (a NaN somewhere
    // still shows).
    if (std::fabs(largest) < kTiny && !std::isnan(largest)) {
        bool anyNaN = false;
        for (int e = 0; e < results.MemberCount() && !anyNaN; ++e)
            anyNaN = std::isnan(MemberLargest(results.Member(e), diagram));
        if (!anyNaN)
            return labels;
    }
    const StructureModel& model = results.Model();

    // The members whose diagram reaches the screen, as far as it can with
    // its largest value; where they crowd (a large frame seen whole), only
    // those with the largest values, as their labels would be chosen.
    const double scale = ScaleOf(model, diagram);
    LabelSieve sieve(view.m_Width, view.m_Height);
    bool largestOffered = false;
    for (int e = 0; e < results.MemberCount(); ++e) {
        const BeamElement& element = model.m_Elements[static_cast<std::size_t>(e)];
        if (!HasLength(element.m_Node1, element.m_Node2))
            continue;
        const double memberLargest = MemberLargest(results.Member(e), diagram);
        const double reach = std::fabs(memberLargest * scale) * view.m_Scale;
        const double margin = std::isfinite(reach) ? std::min(reach, 1e9) + kLabelReach : kLabelReach;
        if (!OnScreen(view, element.m_Node1, element.m_Node2, margin))
            continue;
        const ScreenPoint middle =
            ToPixels(view, (element.m_Node1.x + element.m_Node2.x) / 2, (element.m_Node1.y + element.m_Node2.y) / 2);
        int rank = kDiagramValueRank;
        if (!largestOffered && memberLargest == largest) {
            rank = kAlwaysShown;
            largestOffered = true;
        }
        if (detail.readableOnly && rank != kAlwaysShown &&
            Length(element.m_Node1.x - element.m_Node2.x, element.m_Node1.y - element.m_Node2.y) * view.m_Scale <
                kReadableMemberPixels)
            continue;
        sieve.Offer(middle.x, middle.y, rank, memberLargest, static_cast<std::size_t>(e));
    }

    LabelMaker maker(labels, largest);
    std::vector<bool> nodeLabelled(model.m_Nodes.size(), false);
    for (const std::size_t kept : sieve.Kept()) {
        const int e = static_cast<int>(kept);
        const BeamElement& element = model.m_Elements[kept];
        const MemberResults& r = results.Member(e);
        const MemberFrame f(element.m_Node1, element.m_Node2);
        const double length = element.m_Length;
        switch (diagram) {
        case Diagram::Moment: {
            auto moment = [&](double xi) { return element.MomentAt(xi, r.axis); };
            EndsAndExtreme(maker, f, r.moment, length, model.m_VisualScaleofMoment, moment);
            double roots[2];
            const int count = ShearZeros(r.axis.f[1], element.m_q1, element.m_q2, r.axis.chord, roots);
            TurningPoints(maker, f, r.moment, length, model.m_VisualScaleofMoment, roots, count, moment);
            break;
        }
        case Diagram::Shear: {
            auto shear = [&](double xi) { return element.ShearAt(xi, r.axis); };
            EndsAndExtreme(maker, f, r.shear, length, model.m_VisualScaleofShear, shear);
            // Where the load, the shear's slope, changes sign.
            const double q1 = element.m_q1, q2 = element.m_q2;
            double root = q1 != q2 ? q1 * r.axis.chord / (q1 - q2) : -1;
            TurningPoints(maker, f, r.shear, length, model.m_VisualScaleofShear, &root, 1, shear);
            break;
        }
        case Diagram::Axial:
            // Constant along the member: one value, at its middle.
            maker.Ordinate(f, 0.5, BeamElement::AxialForce(r.axis), model.m_VisualScaleofAxial, Place::Inside);
            break;
        case Diagram::Deformed: {
            const double s = model.m_VisualScaleofDisp;
            const Matrix& D = element.m_DisInGlobalCS;
            const double d1[2] = {D.At(0), D.At(1)};
            const double d2[2] = {D.At(3), D.At(4)};
            const MemberExtreme& extreme = r.displacement;
            const bool atStart = extreme.x == 0;
            const bool atEnd = !atStart && extreme.x == length;
            // A node's displacement is the same for every member there: it
            // is written once, by the first member that reaches the node
            // (unless another reports the structure's largest there).
            const double start = atStart ? extreme.value : std::hypot(d1[0], d1[1]);
            const double end = atEnd ? extreme.value : std::hypot(d2[0], d2[1]);
            const std::size_t slot = 2 * kept;
            if (FirstAtNode(model, slot, nodeLabelled) || start == largest)
                maker.Displaced(f, 0.0, d1, start, s, Place::Start);
            if (FirstAtNode(model, slot + 1, nodeLabelled) || end == largest)
                maker.Displaced(f, 1.0, d2, end, s, Place::End);
            if (!atStart && !atEnd && length > 0) {
                const double xi = extreme.x / length;
                double d[2];
                element.DisplacementAt(xi, r.axis, d);
                maker.Displaced(f, xi, d, extreme.value, s, Place::Inside);
            }
            break;
        }
        }
    }
    return labels;
}

std::vector<ReactionSymbol> ReactionSymbols(const ModelResults& results)
{
    const StructureModel& model = results.Model();
    // What counts as all but zero: below the program's threshold, or far
    // below the largest reaction of its kind (the rounding residue of a
    // held component that carries nothing).
    double largestForce = 0, largestMoment = 0;
    for (const NodeSupport& s : results.Supports()) {
        for (int c = 0; c < 2; ++c)
            if (s.held[c])
                largestForce = std::max(largestForce, std::fabs(s.reaction[c]));
        if (s.held[2])
            largestMoment = std::max(largestMoment, std::fabs(s.reaction[2]));
    }
    std::vector<ReactionSymbol> symbols;
    for (const NodeSupport& s : results.Supports()) {
        if (s.node < 0 || static_cast<std::size_t>(s.node) >= model.m_Nodes.size())
            continue;
        ReactionSymbol symbol;
        symbol.x = model.m_Nodes[static_cast<std::size_t>(s.node)].x;
        symbol.y = model.m_Nodes[static_cast<std::size_t>(s.node)].y;
        bool any = false;
        for (int c = 0; c < 3; ++c) {
            const double v = s.reaction[c];
            const double largest = c < 2 ? largestForce : largestMoment;
            const bool negligible = std::fabs(v) < kTiny || std::fabs(v) < 1e-9 * largest;
            symbol.value[c] = v;
            symbol.shown[c] = s.held[c] && !negligible;
            any = any || symbol.shown[c];
        }
        if (any)
            symbols.push_back(symbol);
    }
    return symbols;
}

ResultOverlay BuildOverlay(const ModelResults* results, const ViewTransform& view, const LayerFlags& flags,
                           int highlightElement, int highlightNode, const DrawDetail& detail)
{
    ResultOverlay overlay;
    overlay.highlightElement = highlightElement;
    overlay.highlightNode = highlightNode;
    if (!results)
        return overlay;
    if (flags.m_ShowValues) {
        const std::pair<bool, Diagram> shown[] = {{flags.m_ShowDeformed, Diagram::Deformed},
                                                  {flags.m_ShowMoment, Diagram::Moment},
                                                  {flags.m_ShowShear, Diagram::Shear},
                                                  {flags.m_ShowAxial, Diagram::Axial}};
        for (const auto& [on, diagram] : shown) {
            if (!on)
                continue;
            std::vector<ValueLabel> values = DiagramValues(*results, view, diagram, detail);
            overlay.values.insert(overlay.values.end(), values.begin(), values.end());
        }
    }
    if (flags.m_ShowReactions)
        overlay.reactions = ReactionSymbols(*results);
    // The members' largest values are sampled more finely than the
    // diagrams are drawn, but not at every point: a little to spare.
    const StructureModel& model = results->Model();
    const auto reach = [](double scale, double largest) { return 1.05 * std::fabs(scale * largest); };
    overlay.deformedReach = reach(model.m_VisualScaleofDisp, results->LargestDisplacement());
    overlay.momentReach = reach(model.m_VisualScaleofMoment, results->LargestMoment());
    overlay.shearReach = reach(model.m_VisualScaleofShear, results->LargestShear());
    overlay.axialReach = reach(model.m_VisualScaleofAxial, results->LargestAxial());
    return overlay;
}

void DrawScene(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
               const ModelResults* results, int highlightElement, int highlightNode, const DrawDetail& detail)
{
    if (results && &results->Model() != &model)
        results = nullptr;
    DrawLayers(canvas, view, model, flags, BuildOverlay(results, view, flags, highlightElement, highlightNode, detail),
               detail);
}

void FitScene(ViewTransform& view, const StructureModel& model, const LayerFlags& flags, const ModelResults* results)
{
    FitToDrawn(
        view, [&](Canvas& canvas, const ViewTransform& through) { DrawScene(canvas, through, model, flags, results); });
}

ViewTransform SceneView(const StructureModel& model, const LayerFlags& flags, const ModelResults* results, int width,
                        int height, double zoom)
{
    ViewTransform view;
    view.SetUp(width, height, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    FitScene(view, model, flags, results);
    if (std::isfinite(zoom) && zoom > 0)
        view.ZoomAt(view.m_OriginX, view.m_OriginY, view.m_Scale * zoom);
    return view;
}
