#include "inspect/ReadOut.h"

#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/ValueLabels.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kSeparator = "   ";

// "name = value", with the separator before it unless it starts the text.
void Append(std::string& text, const char* name, double value)
{
    if (!text.empty() && text.back() != ' ')
        text += kSeparator;
    text += name;
    text += " = ";
    text += FormatValue(value);
}

// "Node 3: x = 6   y = 0".
std::string NodeTitle(const StructureModel& model, int node)
{
    const Node& n = model.m_Nodes[static_cast<std::size_t>(node)];
    std::string text = "Node " + std::to_string(node) + ": ";
    Append(text, "x", n.x);
    Append(text, "y", n.y);
    return text;
}

std::string ElementTitle(const StructureModel& model, int element)
{
    const std::size_t slot = 2 * static_cast<std::size_t>(element);
    std::string title = "Element " + std::to_string(element);
    if (slot + 1 < model.m_ElemNodes.size())
        title += " (nodes " + std::to_string(model.m_ElemNodes[slot]) + "-" +
                 std::to_string(model.m_ElemNodes[slot + 1]) + ")";
    return title + ": ";
}

std::string NodeSolved(const StructureModel& model, const ModelResults& results, int node)
{
    std::string text = NodeTitle(model, node);
    const char* const names[3] = {"dx", "dy", "rz"};
    for (int c = 0; c < 3; ++c) {
        const int index = 3 * node + c;
        Append(text, names[c], index < model.m_D.GetRows() * model.m_D.GetCols() ? model.m_D.At(index) : 0.0);
    }
    if (const NodeSupport* support = results.SupportAt(node)) {
        text += kSeparator;
        text += "reaction ";
        const char* const forces[3] = {"Fx", "Fy", "Mz"};
        for (int c = 0; c < 3; ++c)
            Append(text, forces[c], support->reaction[c]);
    }
    return text;
}

std::string NodeUnsolved(const StructureModel& model, int node)
{
    std::string text = NodeTitle(model, node);
    // The concentrated loads at the node, summed.
    double load[3] = {0, 0, 0};
    bool loaded = false;
    for (int i = 0; i < model.m_NFOR && static_cast<std::size_t>(i) < model.m_Forces.size(); ++i) {
        const force_2d& f = model.m_Forces[static_cast<std::size_t>(i)];
        if (f.Node.No != node)
            continue;
        load[0] += f.Fx;
        load[1] += f.Fy;
        load[2] += f.Mz;
        loaded = true;
    }
    if (loaded) {
        text += kSeparator;
        text += "load ";
        Append(text, "Fx", load[0]);
        Append(text, "Fy", load[1]);
        Append(text, "Mz", load[2]);
    }
    for (int i = 0; i < model.m_NRN && static_cast<std::size_t>(i) < model.m_RestrictedNodes.size(); ++i) {
        const RestrictedNode& r = model.m_RestrictedNodes[static_cast<std::size_t>(i)];
        if (r.NodeNo != node)
            continue;
        text += kSeparator;
        text += "support " + std::to_string(r.Fix[0]) + " " + std::to_string(r.Fix[1]) + " " + std::to_string(r.Fix[2]);
        break;
    }
    for (int i = 0; i < model.m_NPRESC && static_cast<std::size_t>(i) < model.m_Prescribed.size(); ++i) {
        const PrescribedDisplacement& p = model.m_Prescribed[static_cast<std::size_t>(i)];
        if (p.Node.No != node)
            continue;
        text += kSeparator;
        text += "prescribed ";
        if (p.HasDx)
            Append(text, "dx", p.Dx);
        if (p.HasDy)
            Append(text, "dy", p.Dy);
        if (p.HasRz)
            Append(text, "rz", p.Rz);
    }
    return text;
}

// The rounding residue of a value that is zero (the shear where it changes
// sign, a node that does not move) reads as 0: below this part of the
// member's largest value of the kind.
double Snapped(double value, double largest)
{
    return std::fabs(value) <= 1e-10 * largest ? 0.0 : value;
}

std::string ElementSolved(const StructureModel& model, const ModelResults& results, int element, double xi)
{
    const MemberResults& r = results.Member(element);
    const MemberPoint p = MemberValuesAt(results, element, xi * r.axis.chord);
    std::string text = ElementTitle(model, element);
    text += "x = " + FormatValue(p.x) + " of " + FormatValue(p.length);
    Append(text, "N", p.N);
    Append(text, "V", Snapped(p.V, r.shear.value));
    Append(text, "M", Snapped(p.M, r.moment.value));
    Append(text, "dx", Snapped(p.dx, r.displacement.value));
    Append(text, "dy", Snapped(p.dy, r.displacement.value));
    return text;
}

std::string ElementUnsolved(const StructureModel& model, int element)
{
    const BeamElement& e = model.m_Elements[static_cast<std::size_t>(element)];
    std::string text = ElementTitle(model, element);
    text += "length " + FormatValue(e.m_Length);
    text += kSeparator;
    const std::size_t e0 = static_cast<std::size_t>(element);
    if (e0 < model.m_ElemProp.size())
        text += "property " + std::to_string(model.m_ElemProp[e0]) + ": ";
    Append(text, "E", e.m_Property.E);
    Append(text, "A", e.m_Property.A);
    Append(text, "I", e.m_Property.I);
    return text;
}

} // namespace

MemberPoint MemberValuesAt(const ModelResults& results, int element, double x)
{
    const BeamElement& e = results.Model().m_Elements[static_cast<std::size_t>(element)];
    const BeamElement::AxisResults& axis = results.Member(element).axis;
    MemberPoint p;
    p.length = axis.chord;
    p.x = std::clamp(x, 0.0, p.length);
    if (std::isnan(x))
        p.x = 0;
    const double xi = p.length > 0 ? p.x / p.length : 0.0;
    p.N = BeamElement::AxialForce(axis);
    p.V = e.ShearAt(xi, axis);
    p.M = e.MomentAt(xi, axis);
    double d[2];
    e.DisplacementAt(xi, axis, d);
    p.dx = d[0];
    p.dy = d[1];
    return p;
}

ReadOut ReadOutAt(const StructureModel& model, const ModelResults* results, const ViewTransform& view, int x, int y)
{
    ReadOut out;
    if (!CanDraw(view))
        return out;
    if (results && &results->Model() != &model)
        results = nullptr;
    const int pixel[2] = {x, y};
    double world[2];
    view.ScreenToWorld(pixel, world);
    out.worldX = world[0];
    out.worldY = world[1];
    out.hit = HitTest(model, view, x, y);
    switch (out.hit.kind) {
    case Hit::Kind::Node:
        out.text = results ? NodeSolved(model, *results, out.hit.index) : NodeUnsolved(model, out.hit.index);
        break;
    case Hit::Kind::Element:
        if (results && out.hit.index < results->MemberCount())
            out.text = ElementSolved(model, *results, out.hit.index, out.hit.xi);
        else
            out.text = ElementUnsolved(model, out.hit.index);
        break;
    case Hit::Kind::None:
        Append(out.text, "x", world[0]);
        Append(out.text, "y", world[1]);
        break;
    }
    return out;
}
