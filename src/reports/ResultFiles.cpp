#include "core/StructureModel.h"

#include "core/NumberFormat.h"
#include "core/TextFile.h"
#include "reports/NodalReactions.h"

#include <cstddef>
#include <string>

// The five result files share one layout: every label and number
// right-aligned in a field of 15 characters, a row starting with its node
// number in 14 characters followed by ":", and "\n" after every line. Each
// file is built whole in memory and written once, so a failed write never
// leaves half a file behind.

namespace {

constexpr int kFieldWidth = 15;
constexpr int kRowLabelWidth = 14;

// Rough upper bounds of the text per line, to build each file without
// reallocating.
constexpr std::size_t kRowChars = 64;
constexpr std::size_t kLongLineChars = 128;

void AppendHeader(std::string& out, const char* c1, const char* c2, const char* c3)
{
    AppendField(out, "Node", kFieldWidth);
    AppendField(out, c1, kFieldWidth);
    AppendField(out, c2, kFieldWidth);
    AppendField(out, c3, kFieldWidth);
    out += '\n';
}

void AppendRow(std::string& out, long long label, double v1, double v2, double v3)
{
    AppendIntField(out, label, kRowLabelWidth);
    out += ':';
    AppendNumberField(out, v1, kFieldWidth);
    AppendNumberField(out, v2, kFieldWidth);
    AppendNumberField(out, v3, kFieldWidth);
    out += '\n';
}

// Label, value, ", x = ", position: a summary line under a member.
void AppendSummary(std::string& out, const char* label, double value, double position)
{
    AppendField(out, label, kFieldWidth);
    AppendNumberField(out, value, kFieldWidth);
    AppendField(out, ", x = ", kFieldWidth);
    AppendNumberField(out, position, kFieldWidth);
    out += '\n';
}

void AppendElementTitle(std::string& out, int e)
{
    out += "Element ";
    AppendIntField(out, e, 0);
    out += '\n';
}

std::size_t Count(int n)
{
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

const char* const kNodalFileError = "file write error!";

} // namespace

void StructureModel::OutputNodalDisplacement() const
{
    std::string text;
    text.reserve((Count(m_NPOIN) + 1) * kRowChars);
    AppendHeader(text, "dx", "dy", "rz");
    const int perNode = m_DOFPerNode;
    for (int i = 0; i < m_NPOIN; ++i) {
        AppendIntField(text, i, kRowLabelWidth);
        text += ':';
        for (int j = 0; j < perNode; ++j)
            AppendNumberField(text, m_D.At(perNode * i + j), kFieldWidth);
        text += '\n';
    }
    WriteTextFile(OutputPath("Nodal_Displacement.txt"), text, kNodalFileError);
}

void StructureModel::OutputNodalReaction() const
{
    const std::vector<NodalReaction> reactions = ComputeNodalReactions(*this);
    std::string text;
    text.reserve((reactions.size() + 1) * kRowChars);
    AppendHeader(text, "Fx", "Fy", "Mz");
    for (const NodalReaction& r : reactions)
        AppendRow(text, r.NodeNo, r.Fx, r.Fy, r.Mz);
    WriteTextFile(OutputPath("Nodal_Reaction.txt"), text, kNodalFileError);
}

void StructureModel::OutputMForInGlobalCS() const
{
    std::string text;
    text.reserve(kRowChars + Count(m_NELEM) * 5 * kRowChars);
    text += "Member forces in the global coordinate system\n";
    for (int e = 0; e < m_NELEM; ++e) {
        const BeamElement& element = m_Elements[static_cast<std::size_t>(e)];
        const Matrix& f = element.m_ForInGlobalCS;
        AppendElementTitle(text, e);
        AppendHeader(text, "Fx", "Fy", "Mz");
        AppendRow(text, element.m_Node1.No, f.At(0), f.At(1), f.At(2));
        AppendRow(text, element.m_Node2.No, f.At(3), f.At(4), f.At(5));
        text += '\n';
    }
    WriteTextFile(OutputPath("MForInGlobalCS.txt"), text,
                  "The file which record the member forces in the global coordinate system , write error!");
}

void StructureModel::OutputMForInElemCS() const
{
    std::string text;
    text.reserve(kRowChars + Count(m_NELEM) * (6 * kRowChars + kLongLineChars));
    text += "Member forces in the element coordinate system\n";
    for (int e = 0; e < m_NELEM; ++e) {
        const BeamElement& element = m_Elements[static_cast<std::size_t>(e)];
        // The same values as ForInElemCS(), without a matrix per element.
        const BeamElement::AxisResults axis = element.ComputeAxisResults();
        const double* f = axis.f;
        AppendElementTitle(text, e);
        AppendHeader(text, "Fx", "Fy", "Mz");
        AppendRow(text, element.m_Node1.No, f[0], f[1], f[2]);
        AppendRow(text, element.m_Node2.No, f[3], f[4], f[5]);
        AppendField(text, " ", 3);
        text += "The maximum absolute value of bending moment and shearing force, and corresponding location in "
                "the local coordinate system\n";
        double value = 0, x = 0;
        element.AbsMaxMoment(value, x);
        AppendSummary(text, "ABSmax(M) = ", value, x);
        element.AbsMaxShear(value, x);
        AppendSummary(text, "ABSmax(N) = ", value, x);
        text += '\n';
    }
    WriteTextFile(OutputPath("MForInElemCS.txt"), text,
                  "The file which record the member forces in the element coordinate system , write error!");
}

void StructureModel::OutputMDisInGlobalCS() const
{
    std::string text;
    text.reserve(kRowChars + Count(m_NELEM) * (5 * kRowChars + kLongLineChars));
    text += "Member displacements in the global coordinate system\n";
    for (int e = 0; e < m_NELEM; ++e) {
        const BeamElement& element = m_Elements[static_cast<std::size_t>(e)];
        const Matrix& d = element.m_DisInGlobalCS;
        AppendElementTitle(text, e);
        AppendHeader(text, "dx", "dy", "rz");
        AppendRow(text, element.m_Node1.No, d.At(0), d.At(1), d.At(2));
        AppendRow(text, element.m_Node2.No, d.At(3), d.At(4), d.At(5));
        AppendField(text, " ", 8);
        text += "The maximum displacement and its location in the local coordinate system\n";
        double value = 0, x = 0;
        element.MaxDisplacement(value, x);
        AppendSummary(text, "Dmax = ", value, x);
        text += '\n';
    }
    WriteTextFile(OutputPath("MDisInGlobalCS.txt"), text,
                  "The file which record the member displacements in the global coordinate system , write error!");
}
