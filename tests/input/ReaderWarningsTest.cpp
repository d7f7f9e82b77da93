// What the reader reads as it always has, but tells the user about: numbers
// cut short, properties that cannot carry load, supports that fix nothing,
// members given twice. Nothing here is refused, and no value changes.
#include "core/Warnings.h"
#include "input/InputTestSupport.h"
#include "input/ReadBeamSystemFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Read {
    std::vector<std::string> warnings;
    StructureModel model;
};

Read ReadWithWarnings(const std::string& text)
{
    Read read;
    CollectingWarnings sink;
    read.model.m_Warnings = &sink;
    ReadBeamSystemText(read.model, text);
    read.model.m_Warnings = nullptr;
    read.warnings = sink.m_Texts;
    return read;
}

bool Has(const std::vector<std::string>& texts, const std::string& part)
{
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

TEST(ReaderWarnings, TheExampleFramesReadWithoutAWord)
{
    EXPECT_TRUE(ReadWithWarnings(PortalText()).warnings.empty());
    EXPECT_TRUE(ReadWithWarnings(ReadFile(VELA_EXAMPLES_DIR "/综合算例.txt")).warnings.empty());
}

TEST(ReaderWarnings, ANumberThatSeemsToGoOnNamesItsLineAndWhatWasIgnored)
{
    // A decimal comma: E is read as 2, as it always was, but the user hears it.
    Read read = ReadWithWarnings(Replace(PortalText(), "E=2.0e8", "E=2,0e8"));
    EXPECT_EQ(read.model.m_Properties[0].E, 2);
    ASSERT_EQ(read.warnings.size(), 1u);
    EXPECT_EQ(read.warnings[0], "line 5 (\"E=2,0e8\"): E was read as 2 and the rest of the line, \",0e8\", was "
                                "ignored (numbers are written with a decimal point, not a comma)");

    // A second point, an exponent without digits, a count with a fraction.
    for (const auto& [from, to, part] : {std::tuple{"A=0.01", "A=0.01.5", "A was read as 0.01 and"},
                                         {"I=1.2e-4", "I=1.2e", "\"e\", was ignored"},
                                         {"NEP=2", "NEP=2.5", "the number of element properties was read as 2"},
                                         {"1:-5,-5", "1:-5,-5,5", "q2 was read as -5"},
                                         {"3:2000", "3:2000.0.0", "rotational spring's stiffness was read as 2000"},
                                         {"0:1 1 1", "0:1 1 1.0", "the last support code was read as 1"}}) {
        read = ReadWithWarnings(Replace(PortalText(), from, to));
        EXPECT_EQ(read.warnings.size(), 1u) << to;
        EXPECT_TRUE(Has(read.warnings, part)) << to << ": " << (read.warnings.empty() ? "" : read.warnings[0]);
    }

    // Text after a number that is not part of one is a comment, as before.
    for (const auto& [from, to] :
         {std::pair{"E=2.0e8", "E=2.0e8 steel"}, {"I=8.0e-5", "I=8.0e-5;"}, {"3:2000", "3:2000 kNm/rad"}})
        EXPECT_TRUE(ReadWithWarnings(Replace(PortalText(), from, to)).warnings.empty()) << to;
}

TEST(ReaderWarnings, PropertiesSupportsAndMembersThatCannotBeMeant)
{
    std::string text = Replace(PortalText(), "I=8.0e-5", "I=0");
    text = Replace(text, "E=2.0e8\nA=0.012", "E=-2.0e8\nA=0.012");
    text = Replace(text, "3:1 1 0", "3:0 0 0");
    text = Replace(text, "NELEM=3", "NELEM=5");
    text = Replace(text, "2:2,3,0\n", "2:2,3,0\n3:2,1,1\n4:1,2,0\n");
    const Read read = ReadWithWarnings(text);
    EXPECT_EQ(read.model.m_NELEM, 5);
    EXPECT_EQ(read.model.m_NRN, 2);
    EXPECT_EQ(read.warnings,
              (std::vector<std::string>{
                  "element property 0 has I = 0 (not positive), and elements 0, 2, 4 use it: a member needs a "
                  "positive E, A and I to carry load",
                  "element property 1 has E = -2e+008 (not positive), and elements 1, 3 use it: a member needs a "
                  "positive E, A and I to carry load",
                  "element 3 joins nodes 1 and 2, as element 1 does: both are counted, so the connection is as "
                  "stiff as both together",
                  "element 4 joins nodes 1 and 2, as element 1 does: both are counted, so the connection is as "
                  "stiff as both together",
                  "line 25: the support of node 3 fixes nothing (its three codes are 0): it is not a support"}));

    // A property no element uses changes nothing and goes unmentioned.
    text = Replace(PortalText(), "NEP=2", "NEP=3");
    text = Replace(text, "Number of nodal", "Property 2: unused\nE=0\nA=0\nI=0\nNumber of nodal");
    EXPECT_TRUE(ReadWithWarnings(text).warnings.empty());
}

TEST(ReaderWarnings, ManyOfAKindAreCountedAfterTheFirstTen)
{
    // Thirty members along one line, each given twice.
    std::string text = "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\nP\nE=1\nA=1\nI=1\n"
                       "Number of nodal points in the structure:NPOIN=31\n";
    for (int n = 0; n <= 30; ++n)
        text += std::to_string(n) + ":" + std::to_string(n) + ",0\n";
    text += "Number of elements in the structure:NELEM=60\n";
    for (int e = 0; e < 60; ++e)
        text += std::to_string(e) + ":" + std::to_string(e % 30) + "," + std::to_string(e % 30 + 1) + ",0\n";
    text += "Number of restricted nodal points:NRN=1\n0:1 1 1\nNumber of force_2d:NFOR=0\n"
            "Number of distributed load:NDIS=0\nNumber of prescribed nodal points:NPRESC=0\n"
            "Number of Spring_2ds:NSPR=0\nNumber of Torsional_Spring_2ds:NTSPR=0\n";
    const Read read = ReadWithWarnings(text);
    ASSERT_EQ(read.warnings.size(), 11u);
    EXPECT_EQ(read.warnings[0].rfind("element 30 joins nodes 0 and 1, as element 0 does", 0), 0u);
    EXPECT_EQ(read.warnings[10], "and 20 more elements given twice like those above");
}

TEST(ReaderWarnings, ARefusedFileGetsItsErrorAlone)
{
    CollectingWarnings sink;
    StructureModel model;
    model.m_Warnings = &sink;
    const std::string text = Replace(Replace(PortalText(), "E=2.0e8", "E=2,0e8"), "3:1 1 0", "9:1 1 0");
    EXPECT_THROW(ReadBeamSystemText(model, text), FatalError);
    EXPECT_TRUE(sink.m_Texts.empty());
}

} // namespace
