#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "reports/FrameBuilder.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kHeaderDisp = "           Node             dx             dy             rz\n";
const char* const kHeaderForce = "           Node             Fx             Fy             Mz\n";
const char* const kTitleGlobal = "Member forces in the global coordinate system\n";
const char* const kTitleElem = "Member forces in the element coordinate system\n";
const char* const kTitleDis = "Member displacements in the global coordinate system\n";

const std::vector<std::string> kResultFiles = {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt",
                                               "Nodal_Reaction.txt", "MDisInGlobalCS.txt"};

} // namespace

TEST(ResultFiles, ShortCantileverWritesAllFiveFilesExactly)
{
    ScratchDir dir;
    FrameBuilder b = ShortCantilever();
    b.Run(dir.Path());

    EXPECT_EQ(ReadFile(dir.File("Nodal_Displacement.txt")),
              std::string(kHeaderDisp) + "             0:        -1e-019        -3e-019        -6e-019\n"
                                         "             1:         -0.002          -0.08          -0.06\n");
    EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")),
              std::string(kHeaderForce) + "             0:             10             30             60\n");
    EXPECT_EQ(ReadFile(dir.File("MForInGlobalCS.txt")),
              std::string(kTitleGlobal) + "Element 0\n" + kHeaderForce +
                  "             0:             10             30             60\n"
                  "             1:            -10            -30              0\n"
                  "\n");
    EXPECT_EQ(ReadFile(dir.File("MForInElemCS.txt")),
              std::string(kTitleElem) + "Element 0\n" + kHeaderForce +
                  "             0:             10             30             60\n"
                  "             1:            -10            -30              0\n"
                  "   The maximum absolute value of bending moment and shearing force, and corresponding location "
                  "in the local coordinate system\n"
                  "   ABSmax(M) =              60         , x =               0\n"
                  "   ABSmax(N) =              30         , x =               0\n"
                  "\n");
    EXPECT_EQ(ReadFile(dir.File("MDisInGlobalCS.txt")),
              std::string(kTitleDis) + "Element 0\n" + kHeaderDisp +
                  "             0:        -1e-019        -3e-019        -6e-019\n"
                  "             1:         -0.002          -0.08          -0.06\n"
                  "        The maximum displacement and its location in the local coordinate system\n"
                  "        Dmax =        0.080025         , x =               2\n"
                  "\n");
}

TEST(ResultFiles, VerticalMemberListsElementAxesApartFromGlobalAxes)
{
    // A column of height 2 fixed at its foot, pushed sideways at its top by
    // 10: element x is global y, element y is global -x.
    ScratchDir dir;
    FrameBuilder b;
    b.AddProperty(1000, 10, 1);
    b.AddNode(0, 0);
    b.AddNode(0, 2);
    b.AddElement(0, 1, 0);
    b.AddSupport(0, 1, 1, 1);
    b.AddForce(1, 10, 0, 0);
    b.Run(dir.Path());

    const std::string global = ReadFile(dir.File("MForInGlobalCS.txt"));
    EXPECT_NE(global.find("             0:            -10              0             20\n"
                          "             1:             10              0              0\n"),
              std::string::npos)
        << global;
    const std::string elem = ReadFile(dir.File("MForInElemCS.txt"));
    EXPECT_NE(elem.find("             0:              0             10             20\n"
                        "             1:              0            -10              0\n"),
              std::string::npos)
        << elem;
    EXPECT_NE(elem.find("   ABSmax(M) =              20         , x =               0\n"
                        "   ABSmax(N) =              10         , x =               0\n"),
              std::string::npos)
        << elem;
}

TEST(ResultFiles, BlocksFollowEachOtherAndRowsCarryTheEndNodesNumbers)
{
    // Two elements, the second listed from node 2 back to node 1.
    ScratchDir dir;
    FrameBuilder b;
    b.AddProperty(1000, 10, 1);
    b.AddNode(0, 0);
    b.AddNode(1, 0);
    b.AddNode(2, 0);
    b.AddElement(0, 1, 0);
    b.AddElement(2, 1, 0);
    b.AddSupport(0, 1, 1, 1);
    b.AddForce(2, 0, -1, 0);
    b.Run(dir.Path());

    for (const char* name : {"MForInGlobalCS.txt", "MForInElemCS.txt", "MDisInGlobalCS.txt"}) {
        const std::string text = ReadFile(dir.File(name));
        const std::size_t second = text.find("\n\nElement 1\n");
        ASSERT_NE(second, std::string::npos) << name;
        EXPECT_EQ(text.find("Element 0\n"), text.find('\n') + 1) << name;
        const std::string block = text.substr(second + 2);
        EXPECT_NE(block.find("\n             2:"), std::string::npos) << name;
        EXPECT_LT(block.find("\n             2:"), block.find("\n             1:")) << name;
        EXPECT_EQ(text.substr(text.size() - 2), "\n\n") << name;
    }
}

TEST(ResultFiles, ModelWithoutElementsOrSupportsWritesOnlyTheHeaders)
{
    {
        // Two fully fixed nodes and nothing else: rows of zero reactions,
        // member files with their title alone.
        ScratchDir dir;
        FrameBuilder b;
        b.AddProperty(1, 1, 1);
        b.AddNode(0, 0);
        b.AddNode(1, 1);
        b.AddSupport(0, 1, 1, 1);
        b.AddSupport(1, 1, 1, 1);
        b.Run(dir.Path());
        EXPECT_EQ(ReadFile(dir.File("MForInGlobalCS.txt")), kTitleGlobal);
        EXPECT_EQ(ReadFile(dir.File("MForInElemCS.txt")), kTitleElem);
        EXPECT_EQ(ReadFile(dir.File("MDisInGlobalCS.txt")), kTitleDis);
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")),
                  std::string(kHeaderForce) + "             0:              0              0              0\n"
                                              "             1:              0              0              0\n");
    }
    {
        // Held by prescribed values alone: no restricted node at all.
        ScratchDir dir;
        FrameBuilder b;
        b.AddProperty(1000, 10, 1);
        b.AddNode(0, 0);
        b.AddNode(2, 0);
        b.AddElement(0, 1, 0);
        b.AddPrescribed(0, 0.0, 0.0, 0.0);
        b.AddForce(1, -10, -30, 0);
        b.Run(dir.Path());
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")), kHeaderForce);
        EXPECT_NE(ReadFile(dir.File("MForInGlobalCS.txt")).find("Element 0"), std::string::npos);
    }
    {
        // An empty model: nothing to list anywhere, and nothing breaks.
        ScratchDir dir;
        StructureModel m;
        m.m_OutputDir = dir.Path();
        PostProcess(m);
        EXPECT_EQ(ReadFile(dir.File("Nodal_Displacement.txt")), kHeaderDisp);
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")), kHeaderForce);
        EXPECT_EQ(ReadFile(dir.File("MForInGlobalCS.txt")), kTitleGlobal);
        EXPECT_EQ(ReadFile(dir.File("MForInElemCS.txt")), kTitleElem);
        EXPECT_EQ(ReadFile(dir.File("MDisInGlobalCS.txt")), kTitleDis);
    }
}

TEST(ResultFiles, ReactionsSubtractNodalLoadsRepeatSupportsAndIgnoreSprings)
{
    const std::string base =
        std::string(kHeaderForce) + "             0:             10             30             60\n";
    {
        // A load on the support itself goes straight into the support.
        ScratchDir dir;
        FrameBuilder b = ShortCantilever();
        b.AddForce(0, 5, 7, 1);
        b.Run(dir.Path());
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")),
                  std::string(kHeaderForce) + "             0:              5             23             59\n");
    }
    {
        // A support that carries only a load reports the load reversed.
        ScratchDir dir;
        FrameBuilder b = ShortCantilever();
        const int lone = b.AddNode(5, 5);
        b.AddSupport(lone, 1, 1, 1);
        b.AddForce(lone, 3, -4, 2);
        b.Run(dir.Path());
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")),
                  base + "             2:             -3              4             -2\n");
    }
    {
        ScratchDir dir;
        FrameBuilder b = ShortCantilever();
        b.AddSupport(0, 1, 1, 1);
        b.Run(dir.Path());
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")),
                  base + "             0:             10             30             60\n");
    }
    {
        ScratchDir dir;
        FrameBuilder b = ShortCantilever();
        b.AddSpring(0, 1e6, 1, 1);
        b.AddTorsionalSpring(0, 1e6);
        b.Run(dir.Path());
        EXPECT_EQ(ReadFile(dir.File("Nodal_Reaction.txt")), base);
    }
}

TEST(ResultFiles, FailedWriteStopsAtThatFileWithItsMessage)
{
    const std::vector<std::string> messages = {
        "file write error!", "The file which record the member forces in the global coordinate system , write error!",
        "The file which record the member forces in the element coordinate system , write error!", "file write error!",
        "The file which record the member displacements in the global coordinate system , write error!"};
    for (std::size_t blocked = 0; blocked < kResultFiles.size(); ++blocked) {
        // A folder in the file's place cannot be replaced by a file.
        ScratchDir dir;
        std::filesystem::create_directory(dir.File(kResultFiles[blocked]));
        FrameBuilder b = ShortCantilever();
        b.Prepare(dir.Path()).Solve();
        try {
            PostProcess(b.m_Model);
            ADD_FAILURE() << kResultFiles[blocked] << " was not reported";
        } catch (const FatalError& e) {
            EXPECT_EQ(FirstLine(e.Message()), messages[blocked]);
            EXPECT_NE(std::string(e.Message()).find("\ncannot write " + dir.File(kResultFiles[blocked]) + ": "),
                      std::string::npos)
                << e.Message();
            EXPECT_EQ(e.Status(), 1);
        }
        for (std::size_t i = 0; i < kResultFiles.size(); ++i) {
            if (i == blocked)
                continue;
            EXPECT_EQ(FileExists(dir.File(kResultFiles[i])), i < blocked)
                << kResultFiles[i] << " with " << kResultFiles[blocked] << " blocked";
        }
    }
}

TEST(ResultFiles, UnwritableFolderEndsAtTheFirstWriter)
{
    // A path below a regular file cannot be written, whoever runs the test.
    ScratchDir dir;
    dir.Write("afile", "x");
    FrameBuilder b = ShortCantilever();
    b.Prepare(dir.Path()).Solve();
    b.m_Model.m_OutputDir = dir.File("afile/sub");
    try {
        PostProcess(b.m_Model);
        FAIL() << "no error";
    } catch (const FatalError& e) {
        EXPECT_EQ(FirstLine(e.Message()), "file write error!");
        // The second line names the file and the system's reason, in the
        // system's words.
        const std::string message = e.Message();
        const std::string named = "\ncannot write " + b.m_Model.m_OutputDir + "/Nodal_Displacement.txt: ";
        const std::size_t at = message.find(named);
        ASSERT_NE(at, std::string::npos) << message;
        EXPECT_GT(message.size(), at + named.size()) << message;
        EXPECT_EQ(e.Status(), 1);
    }
    EXPECT_EQ(ReadFile(dir.File("afile")), "x");
    for (const std::string& name : kResultFiles)
        EXPECT_FALSE(FileExists(dir.File(name)));
}
