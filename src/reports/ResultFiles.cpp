#include "reports/ResultFiles.h"

#include "core/NumberFormat.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "reports/MemberSampling.h"
#include "reports/NodalReactions.h"
#include "reports/TextChunks.h"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The five result files share one layout: every label and number
// right-aligned in a field of 15 characters, a row starting with its node
// number in 14 characters followed by ":", and "\n" after every line. Each
// file goes to a temporary file that replaces it only when complete, so a
// failed write never leaves half a file behind. The files of a large frame
// are built in chunks of members (or nodes) on every core and written in
// order while the next chunks are built.

namespace {

constexpr int kFieldWidth = 15;
constexpr int kRowLabelWidth = 14;

// The most characters one row or one member block can take (a row is at
// most 14 + 1 + 3 * 15 + 1; a number never needs more than 13 characters,
// a row label more than 11), and what they usually take.
constexpr std::size_t kMaxRowChars = 64;
constexpr std::size_t kMaxBlockChars = 1024;

char* Put(char* p, std::string_view text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// text right-aligned in width (setw semantics: a longer text is written
// whole).
char* PutField(char* p, std::string_view text, int width)
{
    for (int pad = width - static_cast<int>(text.size()); pad > 0; --pad)
        *p++ = ' ';
    return Put(p, text);
}

// A number right-aligned in a field of 15, which it always fits.
char* PutNumber(char* p, double value)
{
    static_assert(kFieldWidth == 15 && kNumberBufferSize >= 16);
    // Fifteen spaces and then the number: its last fifteen characters are
    // the field.
    char text[kFieldWidth + kNumberBufferSize];
    std::memset(text, ' ', kFieldWidth);
    const int length = FormatNumberTo(text + kFieldWidth, value);
    std::memcpy(p, text + length, kFieldWidth);
    return p + kFieldWidth;
}

char* PutInteger(char* p, long long value, int width)
{
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return PutField(p, std::string_view(text, static_cast<std::size_t>(result.ptr - text)), width);
}

constexpr std::string_view kDisplacementHeader = "           Node             dx             dy             rz\n";
constexpr std::string_view kForceHeader = "           Node             Fx             Fy             Mz\n";

char* PutRow(char* p, long long label, const double* values)
{
    p = PutInteger(p, label, kRowLabelWidth);
    *p++ = ':';
    p = PutNumber(p, values[0]);
    p = PutNumber(p, values[1]);
    p = PutNumber(p, values[2]);
    *p++ = '\n';
    return p;
}

// Label, value, ", x = ", position: a summary line under a member.
char* PutSummary(char* p, std::string_view label, double value, double position)
{
    p = PutField(p, label, kFieldWidth);
    p = PutNumber(p, value);
    p = Put(p, "         , x = ");
    p = PutNumber(p, position);
    *p++ = '\n';
    return p;
}

char* PutElementTitle(char* p, int e)
{
    p = Put(p, "Element ");
    p = PutInteger(p, e, 0);
    *p++ = '\n';
    return p;
}

const char* const kNodalFileError = "file write error!";

// Writes the file: head, then items 0 .. count - 1 (put(p, i) writes item
// i at p, at most maxChars characters, and returns the end).
template <typename PutItem>
void WriteItems(DeferredCommits* files, const std::string& path, const std::string& error, std::string_view head,
                int count, std::size_t maxChars, PutItem put)
{
    TextFileWriter file(path, error, files);
    file.Write(head);
    StreamItems(count, maxChars, put, [&file](std::string_view text) { file.Write(text); });
    file.Commit();
}

} // namespace

void OutputNodalDisplacement(const StructureModel& model, DeferredCommits* files)
{
    const int perNode = model.m_DOFPerNode;
    const double* d = model.m_D.Data();
    WriteItems(files, model.OutputPath("Nodal_Displacement.txt"), kNodalFileError, kDisplacementHeader, model.m_NPOIN,
               kRowLabelWidth + 2 + static_cast<std::size_t>(perNode > 0 ? perNode : 0) * kFieldWidth,
               [&](char* p, int i) {
                   p = PutInteger(p, i, kRowLabelWidth);
                   *p++ = ':';
                   for (int j = 0; j < perNode; ++j)
                       p = PutNumber(p, d[perNode * i + j]);
                   *p++ = '\n';
                   return p;
               });
}

void OutputNodalReaction(const StructureModel& model, DeferredCommits* files)
{
    const std::vector<NodalReaction> reactions = ComputeNodalReactions(model);
    WriteItems(files, model.OutputPath("Nodal_Reaction.txt"), kNodalFileError, kForceHeader,
               static_cast<int>(reactions.size()), kMaxRowChars, [&](char* p, int k) {
                   const NodalReaction& r = reactions[static_cast<std::size_t>(k)];
                   const double values[3] = {r.Fx, r.Fy, r.Mz};
                   return PutRow(p, r.NodeNo, values);
               });
}

void OutputMForInGlobalCS(const StructureModel& model, DeferredCommits* files)
{
    WriteItems(files, model.OutputPath("MForInGlobalCS.txt"),
               "The file which record the member forces in the global coordinate system , write error!",
               "Member forces in the global coordinate system\n", model.m_NELEM, kMaxBlockChars, [&](char* p, int e) {
                   const BeamElement& element = model.m_Elements[static_cast<std::size_t>(e)];
                   const double* f = element.m_ForInGlobalCS.Data();
                   p = PutElementTitle(p, e);
                   p = Put(p, kForceHeader);
                   p = PutRow(p, element.m_Node1.No, f);
                   p = PutRow(p, element.m_Node2.No, f + 3);
                   *p++ = '\n';
                   return p;
               });
}

void OutputMForInElemCS(const StructureModel& model, DeferredCommits* files)
{
    WriteItems(files, model.OutputPath("MForInElemCS.txt"),
               "The file which record the member forces in the element coordinate system , write error!",
               "Member forces in the element coordinate system\n", model.m_NELEM, kMaxBlockChars, [&](char* p, int e) {
                   const BeamElement& element = model.m_Elements[static_cast<std::size_t>(e)];
                   // The same values as ForInElemCS(), without a matrix per
                   // element, and shared with the sampling.
                   const BeamElement::AxisResults axis = element.ComputeAxisResults();
                   p = PutElementTitle(p, e);
                   p = Put(p, kForceHeader);
                   p = PutRow(p, element.m_Node1.No, axis.f);
                   p = PutRow(p, element.m_Node2.No, axis.f + 3);
                   p = Put(p, "   The maximum absolute value of bending moment and shearing force, and corresponding "
                              "location in the local coordinate system\n");
                   double value = 0, x = 0;
                   AbsMaxMoment(element, axis, value, x);
                   p = PutSummary(p, "ABSmax(M) = ", value, x);
                   AbsMaxShear(element, axis, value, x);
                   p = PutSummary(p, "ABSmax(N) = ", value, x);
                   *p++ = '\n';
                   return p;
               });
}

void OutputMDisInGlobalCS(const StructureModel& model, DeferredCommits* files)
{
    WriteItems(files, model.OutputPath("MDisInGlobalCS.txt"),
               "The file which record the member displacements in the global coordinate system , write error!",
               "Member displacements in the global coordinate system\n", model.m_NELEM, kMaxBlockChars,
               [&](char* p, int e) {
                   const BeamElement& element = model.m_Elements[static_cast<std::size_t>(e)];
                   const double* d = element.m_DisInGlobalCS.Data();
                   p = PutElementTitle(p, e);
                   p = Put(p, kDisplacementHeader);
                   p = PutRow(p, element.m_Node1.No, d);
                   p = PutRow(p, element.m_Node2.No, d + 3);
                   p = Put(p, "        The maximum displacement and its location in the local coordinate system\n");
                   double value = 0, x = 0;
                   MaxDisplacement(element, value, x);
                   p = PutSummary(p, "Dmax = ", value, x);
                   *p++ = '\n';
                   return p;
               });
}
