#include "inspect/ResultsJson.h"

#include "core/StructureModel.h"
#include "inspect/ModelResults.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

void Numbers(std::string& out, const double* values, int count)
{
    out += '[';
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ", ";
        out += JsonNumber(values[i]);
    }
    out += ']';
}

void Extreme(std::string& out, const char* key, const MemberExtreme& extreme)
{
    out += ", \"";
    out += key;
    out += "\": {\"value\": ";
    out += JsonNumber(extreme.value);
    out += ", \"x\": ";
    out += JsonNumber(extreme.x);
    out += '}';
}

} // namespace

std::string JsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string ResultsJson(const ModelResults& results, const std::vector<std::string>& warnings)
{
    const StructureModel& model = results.Model();
    std::string out = "{\n  \"nodes\": [";
    const int nodes = std::max(0, std::min(model.m_NPOIN, static_cast<int>(model.m_Nodes.size())));
    const int unknowns = model.m_D.GetRows() * model.m_D.GetCols();
    for (int i = 0; i < nodes; ++i) {
        const Node& node = model.m_Nodes[static_cast<std::size_t>(i)];
        out += i > 0 ? ",\n    " : "\n    ";
        out += "{\"number\": " + std::to_string(i) + ", \"x\": " + JsonNumber(node.x) +
               ", \"y\": " + JsonNumber(node.y) + ", \"displacement\": ";
        double d[3] = {0, 0, 0};
        for (int c = 0; c < 3; ++c)
            if (3 * i + c < unknowns)
                d[c] = model.m_D.At(3 * i + c);
        Numbers(out, d, 3);
        out += ", \"reaction\": ";
        if (const NodeSupport* support = results.SupportAt(i))
            Numbers(out, support->reaction, 3);
        else
            out += "null";
        out += '}';
    }
    out += nodes > 0 ? "\n  ],\n  \"elements\": [" : "],\n  \"elements\": [";
    for (int e = 0; e < results.MemberCount(); ++e) {
        const BeamElement& element = model.m_Elements[static_cast<std::size_t>(e)];
        const MemberResults& r = results.Member(e);
        const std::size_t slot = 2 * static_cast<std::size_t>(e);
        out += e > 0 ? ",\n    " : "\n    ";
        out += "{\"number\": " + std::to_string(e) + ", \"nodes\": [" + std::to_string(model.m_ElemNodes[slot]) + ", " +
               std::to_string(model.m_ElemNodes[slot + 1]) +
               "], \"property\": " + std::to_string(model.m_ElemProp[static_cast<std::size_t>(e)]) +
               ", \"length\": " + JsonNumber(element.m_Length) + ", \"end_forces_element_axes\": ";
        Numbers(out, r.axis.f, 6);
        out += ", \"end_forces_global_axes\": ";
        double global[6];
        for (int k = 0; k < 6; ++k)
            global[k] = element.m_ForInGlobalCS.At(k);
        Numbers(out, global, 6);
        Extreme(out, "max_moment", r.moment);
        Extreme(out, "max_shear", r.shear);
        Extreme(out, "max_displacement", r.displacement);
        out += '}';
    }
    out += results.MemberCount() > 0 ? "\n  ],\n  \"warnings\": [" : "],\n  \"warnings\": [";
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        out += i > 0 ? ",\n    " : "\n    ";
        out += JsonString(warnings[i]);
    }
    out += warnings.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}
