#include "InputTestSupport.h"

#include "core/Cores.h"

#include <initializer_list>
#include <string>

// The elements of a file are initialised in chunks on several cores; a
// large file must come out as if they had been initialised one by one.

namespace {

// A zigzag chain of `elements` members through inclined and axis-parallel
// directions, property 0, or property 1 for the members listed in `odd`,
// with a distributed load on every third member.
std::string Chain(int elements, std::initializer_list<int> odd = {}, const char* oddProperty = "E=3e7\nA=0.2\nI=0.004")
{
    std::string text = "### Vela release=1.07\nBeam\nNumber of element property:NEP=2\n"
                       "steel\nE=2.1e8\nA=0.01\nI=1e-4\nodd\n" +
                       std::string(oddProperty) + "\n";
    text += "Number of nodal points in the structure:NPOIN=" + std::to_string(elements + 1) + "\n";
    for (int i = 0; i <= elements; ++i)
        text +=
            std::to_string(i) + ":" + std::to_string(1.5 * i) + "," + std::to_string((i % 4) * 0.75 * (i % 3)) + "\n";
    text += "Number of elements in the structure:NELEM=" + std::to_string(elements) + "\n";
    for (int e = 0; e < elements; ++e) {
        bool isOdd = false;
        for (int o : odd)
            isOdd = isOdd || o == e;
        text += std::to_string(e) + ":" + std::to_string(e) + "," + std::to_string(e + 1) + (isOdd ? ",1\n" : ",0\n");
    }
    text += "Number of restricted nodal points:NRN=1\n0:1 1 1\nNumber of force_2d:NFOR=0\n";
    text += "Number of distributed load:NDIS=" + std::to_string((elements + 2) / 3) + "\n";
    for (int e = 0; e < elements; e += 3)
        text += std::to_string(e) + ":-2," + std::to_string(-1 - e % 7) + "\n";
    text += "Number of prescribed nodal points:NPRESC=0\nNumber of Spring_2ds:NSPR=0\n"
            "Number of Torsional_Spring_2ds:NTSPR=0\n";
    return text;
}

} // namespace

TEST(LargeFrame, EveryElementIsWhatInitAloneMakesIt)
{
    ScratchDir dir;
    const int elements = 10000;
    ReadResult r = ReadText(dir, Chain(elements, {17, 4096, 9999}));
    ASSERT_TRUE(r.ok) << r.message;
    const StructureModel& m = r.model;
    ASSERT_EQ(m.m_Elements.size(), static_cast<std::size_t>(elements));
    for (int e = 0; e < elements; ++e) {
        const BeamElement& read = m.m_Elements[static_cast<std::size_t>(e)];
        BeamElement alone;
        alone.Init(e, m.m_Nodes[static_cast<std::size_t>(e)], m.m_Nodes[static_cast<std::size_t>(e + 1)],
                   m.m_Properties[static_cast<std::size_t>(m.m_ElemProp[static_cast<std::size_t>(e)])]);
        if (e % 3 == 0)
            alone.SetDistributedLoad(-2, -1 - e % 7);
        ASSERT_EQ(read.m_No, e);
        ASSERT_EQ(read.m_Length, alone.m_Length) << e;
        ASSERT_EQ(read.m_q1, alone.m_q1) << e;
        ASSERT_EQ(read.m_q2, alone.m_q2) << e;
        for (const auto member :
             {&BeamElement::m_KInGlobalCS, &BeamElement::m_KInElemCS, &BeamElement::m_T, &BeamElement::m_DisInGlobalCS,
              &BeamElement::m_ForInGlobalCS, &BeamElement::m_KDisInGlobalCS, &BeamElement::m_FixForInGlobalCS}) {
            ASSERT_EQ((read.*member).GetRows(), (alone.*member).GetRows()) << e;
            ASSERT_EQ((read.*member).GetCols(), (alone.*member).GetCols()) << e;
            ASSERT_EQ((read.*member).m_Data, (alone.*member).m_Data) << e;
        }
    }
}

TEST(LargeFrame, TheFirstElementThatOverflowsIsTheOneReported)
{
    // Members 5000 and 8500 fall into different chunks; whichever chunk is
    // done first, the message names the first member in the file.
    const char* overflow = "E=1e308\nA=1e300\nI=1e300";
    for (int threads : {1, 4}) {
        const int previous = SetCoreLimit(threads);
        ScratchDir dir;
        ReadResult r = ReadText(dir, Chain(10000, {8500, 5000}, overflow));
        SetCoreLimit(previous);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("the stiffness of element 5000 is too large"), std::string::npos) << r.message;
        EXPECT_FALSE(FileExists(dir.File("Point.txt")));
    }
}
