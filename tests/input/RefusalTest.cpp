#include "InputTestSupport.h"
#include "input/ReadBeamSystemFile.h"

#include <filesystem>

namespace {

struct Refusal {
    const char* name;
    std::string text;
    const char* message; // first line of the message
};

std::string FirstLine(const std::string& message)
{
    return message.substr(0, message.find('\n'));
}

// Every refused file is refused with status 1, with the program's message
// as its first line, and leaves no side file behind.
void ExpectRefused(const Refusal& refusal)
{
    ScratchDir dir;
    ReadResult r = ReadText(dir, refusal.text);
    EXPECT_FALSE(r.ok) << refusal.name;
    EXPECT_EQ(r.status, 1) << refusal.name;
    EXPECT_EQ(FirstLine(r.message), refusal.message) << refusal.name << ": " << r.message;
    EXPECT_FALSE(FileExists(dir.File("Point.txt"))) << refusal.name;
    EXPECT_FALSE(FileExists(dir.File("Me.txt"))) << refusal.name;
}

const char* const kRead = "前处理文本文件读取错误!";
const char* const kVersion = "前处理文本文件版本错误!";
const char* const kNode = "节点号错误!";

TEST(ReaderRefuses, WrongOrMissingRelease)
{
    const std::string portal = PortalText();
    for (const Refusal& r : {
             Refusal{"release 1.06", Replace(portal, "1.07", "1.06"), kVersion},
             Refusal{"release 1.071", Replace(portal, "1.07", "1.071"), kVersion},
             Refusal{"no header", portal.substr(portal.find('\n') + 1), kVersion},
             Refusal{"empty file", "", kVersion},
             Refusal{"binary garbage", std::string("\x00\xff\x13\x37garbage\x00", 12), kVersion},
             Refusal{"indented header", " " + portal, kVersion},
         })
        ExpectRefused(r);
}

TEST(ReaderRefuses, IndicesOutOfRange)
{
    const std::string portal = PortalText();
    for (const Refusal& r : {
             Refusal{"support node = NPOIN", Replace(portal, "3:1 1 0", "4:1 1 0"), kNode},
             Refusal{"support node -1", Replace(portal, "3:1 1 0", "-1:1 1 0"), kNode},
             Refusal{"element node", Replace(portal, "2:2,3,0", "2:2,4,0"), kNode},
             Refusal{"element node negative", Replace(portal, "0:0,1,0", "0:-1,1,0"), kNode},
             Refusal{"property index", Replace(portal, "2:2,3,0", "2:2,3,2"), "单元属性号错误!"},
             Refusal{"force node", Replace(portal, "1:<10,0,0>", "9:<10,0,0>"), kNode},
             Refusal{"distributed load element", Replace(portal, "1:-5,-5", "3:-5,-5"), "单元号错误!"},
             Refusal{"prescribed node", Replace(portal, "3:<,-0.001,>", "4:<,-0.001,>"), kNode},
             Refusal{"spring node", Replace(portal, "2:5000<1,0>", "-2:5000<1,0>"), kNode},
             Refusal{"rotational spring node", Replace(portal, "3:2000", "12:2000"), kNode},
             Refusal{"node numbered off its position", Replace(portal, "2:6,4\n", "5:6,4\n"), kNode},
         })
        ExpectRefused(r);
}

TEST(ReaderRefuses, CountsThatCannotBeRight)
{
    const std::string portal = PortalText();
    for (const Refusal& r : {
             Refusal{"negative count", Replace(portal, "NFOR=1", "NFOR=-1"), kRead},
             Refusal{"absurd count", Replace(portal, "NPOIN=4", "NPOIN=2000000000"), kRead},
             Refusal{"count beyond int", Replace(portal, "NELEM=3", "NELEM=99999999999999999999"), kRead},
             Refusal{"more nodes than lines", Replace(portal, "NPOIN=4", "NPOIN=5"), kRead},
             Refusal{"zero properties", Replace(portal, "NEP=2", "NEP=0"), kRead},
         })
        ExpectRefused(r);
}

TEST(ReaderRefuses, FilesThatEndEarlyOrDoNotMatch)
{
    const std::string portal = PortalText();
    // Cut the file at the start of every section header and in the middle
    // of every kind of record.
    for (const char* cut :
         {"Beam", "Property 0", "E=2.0e8", "I=1.2e-4", "Number of nodal", "3:6,0", "Number of elements", "2:2,3",
          "Number of restricted", "3:1 1", "Number of force", "1:<10,0", "Number of distributed", "1:-5",
          "Number of prescribed", "Number of Spring", "2:5000<1", "Number of Torsional"}) {
        const std::string text = portal.substr(0, portal.find(cut) + std::string(cut).size() / 2);
        ScratchDir dir;
        ReadResult r = ReadText(dir, text);
        EXPECT_FALSE(r.ok) << "cut at " << cut;
        EXPECT_EQ(r.status, 1);
        EXPECT_FALSE(FileExists(dir.File("Point.txt")));
    }
    ExpectRefused({"last value missing", portal.substr(0, portal.rfind("2000")), kRead});
    for (const Refusal& r : {
             Refusal{"blank line before the force count", Replace(portal, "Number of force", "\nNumber of force"),
                     kRead},
             Refusal{"codes separated by commas", Replace(portal, "0:1 1 1", "0:1,1,1"), kRead},
             Refusal{"three value lines without title", Replace(portal, "Property 0: columns\n", ""), kRead},
             Refusal{"missing bracket", Replace(portal, "1:<10,0,0>", "1:<10,0,0"), kRead},
             Refusal{"letters for a number", Replace(portal, "E=2.0e8", "E=two"), kRead},
         })
        ExpectRefused(r);
}

TEST(ReaderRefuses, ValuesThatCannotBeComputedWith)
{
    const std::string portal = PortalText();
    for (const Refusal& r : {
             Refusal{"inf", Replace(portal, "E=2.0e8", "E=inf"), kRead},
             Refusal{"nan", Replace(portal, "0:0,0", "0:nan,0"), kRead},
             Refusal{"overflow", Replace(portal, "1:<10,0,0>", "1:<1e999,0,0>"), kRead},
             Refusal{"prescribed inf", Replace(portal, "3:<,-0.001,>", "3:<,-inf,>"), kRead},
             // 1e20 times the settlement is the load that imposes it.
             Refusal{"prescribed overflows the penalty", Replace(portal, "3:<,-0.001,>", "3:<,-1e300,>"), kRead},
             Refusal{"coincident element nodes", Replace(portal, "2:6,4", "2:0,4"), "单元长度为零!"},
             Refusal{"zero spring direction", Replace(portal, "2:5000<1,0>", "2:5000<0,0>"), "弹簧方向错误!"},
             Refusal{"stiffness overflow", Replace(Replace(portal, "E=2.0e8", "E=1e308"), "A=0.01", "A=1e300"), kRead},
             Refusal{"word over 99 characters", Replace(portal, "3:<,-0.001,>", "3:<," + std::string(100, '1') + ",>"),
                     kRead},
         })
        ExpectRefused(r);
    // 99 characters still fit.
    ScratchDir dir;
    std::string word = "3:<,-0.001,>";
    word.insert(4, std::string(99 - word.size(), '0'));
    ASSERT_EQ(word.size(), 99u);
    EXPECT_TRUE(ReadText(dir, Replace(portal, "3:<,-0.001,>", word)).ok);
}

TEST(ReaderRefuses, AFileThatCannotBeOpened)
{
    ScratchDir dir;
    StructureModel model;
    model.m_OutputDir = dir.Path();
    try {
        ReadBeamSystemFile(model, dir.File("no such file.txt").c_str());
        FAIL() << "a missing file was read";
    } catch (const FatalError& error) {
        EXPECT_EQ(FirstLine(error.Message()), kRead);
        EXPECT_EQ(error.Status(), 1);
    }
    try {
        ReadBeamSystemFile(model, dir.Path().c_str());
        FAIL() << "a folder was read";
    } catch (const FatalError& error) {
        EXPECT_EQ(FirstLine(error.Message()), kRead);
    }
}

TEST(ReaderRefuses, SideFilesThatCannotBeWritten)
{
    ScratchDir dir;
    const std::string path = dir.Write("input.txt", PortalText());
    dir.Write("afile", "");
    StructureModel model;
    model.m_OutputDir = dir.File("afile");
    try {
        ReadBeamSystemFile(model, path.c_str());
        FAIL() << "side files written into a file";
    } catch (const FatalError& error) {
        EXPECT_EQ(FirstLine(error.Message()), "Point.txt open error!");
        EXPECT_EQ(error.Status(), 1);
    }
}

TEST(ReaderRefuses, ALargeFileOfNoiseQuickly)
{
    std::string noise(50 << 20, 'x');
    for (std::size_t i = 0; i < noise.size(); i += 97)
        noise[i] = static_cast<char>(i * 31);
    ExpectRefused({"50 MB of noise", noise, kVersion});
    ExpectRefused({"50 MB after a good header", "### Vela release=1.07\n" + noise, kRead});
}

} // namespace
