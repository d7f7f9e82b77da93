#include "core/Cores.h"
#include "core/StructureModel.h"
#include "input/ReadBeamSystemFile.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

// The result files of a large frame are built in chunks on several threads;
// they must not depend on how many.

namespace {

const std::vector<std::string> kResultFiles = {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt",
                                               "Nodal_Reaction.txt", "MDisInGlobalCS.txt"};

// A braced frame of 40 storeys of 30 bays, 3,040 elements: columns, beams and
// diagonals in both directions, loads uniform, varying, from one side only
// and twice on one member, concentrated loads on supports and floors.
std::string BracedFrame()
{
    const int storeys = 40, bays = 30, perLevel = bays + 1;
    auto node = [&](int level, int column) { return level * perLevel + column; };
    std::string text = "### Vela release=1.07\nBeam\nNumber of element property:NEP=3\n"
                       "columns\nE=2.1e8\nA=0.02\nI=2.0e-4\nbeams\nE=2.1e8\nA=0.015\nI=3.0e-4\n"
                       "braces\nE=2.0e8\nA=0.004\nI=1.3e-6\n";
    text += "Number of nodal points in the structure:NPOIN=" + std::to_string((storeys + 1) * perLevel) + "\n";
    for (int level = 0; level <= storeys; ++level)
        for (int column = 0; column <= bays; ++column)
            text += std::to_string(node(level, column)) + ":" + std::to_string(column * 6.0 + 0.1 * (level % 3)) + "," +
                    std::to_string(level * 3.5) + "\n";
    std::vector<std::string> elements;
    for (int level = 0; level < storeys; ++level)
        for (int column = 0; column <= bays; ++column)
            elements.push_back(std::to_string(node(level, column)) + "," + std::to_string(node(level + 1, column)) +
                               ",0");
    for (int level = 1; level <= storeys; ++level)
        for (int column = 0; column < bays; ++column)
            elements.push_back(std::to_string(node(level, column)) + "," + std::to_string(node(level, column + 1)) +
                               ",1");
    for (int level = 0; level < storeys; ++level)
        for (int column = 0; column < bays; column += 2)
            elements.push_back(
                (level + column) % 4 == 0
                    ? std::to_string(node(level, column)) + "," + std::to_string(node(level + 1, column + 1)) + ",2"
                    : std::to_string(node(level + 1, column + 1)) + "," + std::to_string(node(level, column)) + ",2");
    text += "Number of elements in the structure:NELEM=" + std::to_string(elements.size()) + "\n";
    for (std::size_t e = 0; e < elements.size(); ++e)
        text += std::to_string(e) + ":" + elements[e] + "\n";
    text += "Number of restricted nodal points:NRN=" + std::to_string(perLevel) + "\n";
    for (int column = 0; column <= bays; ++column)
        text += std::to_string(node(0, column)) + (column % 2 ? ":1 1 0\n" : ":1 1 1\n");
    text += "Number of force_2d:NFOR=" + std::to_string(storeys + 2) + "\n";
    for (int level = 1; level <= storeys; ++level)
        text += std::to_string(node(level, 0)) + ":<10,-1.5,0.25>\n";
    text += "0:<3,4,5>\n" + std::to_string(node(0, bays)) + ":<-2,0,0>\n";
    std::vector<std::string> loads;
    for (std::size_t e = 0; e < elements.size(); ++e) {
        switch (e % 5) {
        case 0:
            loads.push_back(std::to_string(e) + ":-20,-20");
            break;
        case 1:
            loads.push_back(std::to_string(e) + ":-5,-17.5");
            break;
        case 2:
            loads.push_back(std::to_string(e) + ":3.3,0");
            break;
        default:
            break;
        }
    }
    loads.push_back("7:1,2");
    text += "Number of distributed load:NDIS=" + std::to_string(loads.size()) + "\n";
    for (const std::string& load : loads)
        text += load + "\n";
    text += "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
            "Number of Torsional_Spring_2ds:NTSPR=0\n";
    return text;
}

struct Outputs {
    std::vector<std::string> files;
    double scales[3];
};

// Post-processes the frame under a smooth displacement field with the given
// thread limit.
Outputs PostProcessWith(int threads)
{
    const int previous = SetCoreLimit(threads);
    ScratchDir dir;
    StructureModel m;
    ReadBeamSystemText(m, BracedFrame());
    m.m_OutputDir = dir.Path();
    m.ComputeBoundingBox();
    m.m_D.Resize(3 * m.m_NPOIN, 1);
    for (int i = 0; i < m.m_NPOIN; ++i) {
        const Node& n = m.m_Nodes[static_cast<std::size_t>(i)];
        m.m_D.At(3 * i) = n.y > 0 ? 1e-3 * n.y / 3 + 1e-7 * n.x * n.x : -1e-19 * (i + 1);
        m.m_D.At(3 * i + 1) = -1e-4 * std::sin(n.x) * n.y / 7;
        m.m_D.At(3 * i + 2) = 1e-5 * std::cos(n.x + n.y) / 3;
    }
    PostProcess(m);
    SetCoreLimit(previous);
    Outputs run{{}, {m.m_VisualScaleofShear, m.m_VisualScaleofDisp, m.m_VisualScaleofMoment}};
    for (const std::string& name : kResultFiles)
        run.files.push_back(ReadFile(dir.File(name)));
    return run;
}

} // namespace

TEST(ParallelFiles, ManyThreadsWriteWhatOneThreadWrites)
{
    const Outputs one = PostProcessWith(1);
    const Outputs many = PostProcessWith(4);
    for (std::size_t f = 0; f < kResultFiles.size(); ++f)
        EXPECT_TRUE(one.files[f] == many.files[f]) << kResultFiles[f] << " differs";
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(one.scales[s], many.scales[s]);

    // Every member once, in order, with its whole block: chunks are joined
    // without a gap or an overlap.
    const std::string& elem = many.files[2];
    std::size_t at = 0;
    const int elements = 40 * 31 + 40 * 30 + 40 * 15;
    for (int e = 0; e < elements; ++e) {
        const std::string title = "\nElement " + std::to_string(e) + "\n";
        const std::size_t found = elem.find(title, at);
        ASSERT_NE(found, std::string::npos) << "no block for element " << e;
        EXPECT_EQ(elem.compare(found + title.size(), 15, "           Node"), 0) << "element " << e;
        at = found + title.size();
    }
    EXPECT_EQ(elem.find("\nElement ", at), std::string::npos);
    EXPECT_EQ(std::count(elem.begin(), elem.end(), '\n'), 1 + 8 * elements);
    EXPECT_EQ(std::count(many.files[4].begin(), many.files[4].end(), '\n'), 1 + 7 * elements);
    EXPECT_EQ(std::count(many.files[0].begin(), many.files[0].end(), '\n'), 1 + 41 * 31);
}
