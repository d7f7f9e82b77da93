#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "reports/FrameBuilder.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PostProcess, SetsTheResultScales)
{
    ScratchDir dir;
    CollectingWarnings warnings;
    FrameBuilder b = ShortCantilever();
    const StructureModel& m = b.Run(dir.Path(), &warnings);

    EXPECT_TRUE(warnings.m_Texts.empty());
    // Bounding box 2 x 1; largest shear 30, moment 60, translation 0.08.
    EXPECT_DOUBLE_EQ(m.m_VisualScaleofShear, 0.1 * 2 / 30);
    EXPECT_DOUBLE_EQ(m.m_VisualScaleofMoment, 0.1 * 2 / 60);
    EXPECT_DOUBLE_EQ(m.m_VisualScaleofDisp, 0.1 * 2 / 0.08);
}

TEST(PostProcess, UnloadedStructureWarnsShearDeformationMomentInThatOrder)
{
    ScratchDir dir;
    CollectingWarnings warnings;
    FrameBuilder b = ShortCantilever();
    b.m_Model.m_Forces.clear();
    b.m_Model.m_NFOR = 0;
    b.m_Model.m_VisualScaleofShear = b.m_Model.m_VisualScaleofMoment = b.m_Model.m_VisualScaleofDisp = 7;
    const StructureModel& m = b.Run(dir.Path(), &warnings);

    EXPECT_EQ(warnings.m_Texts, (std::vector<std::string>{"梁系剪力太小|Nmax|<1e-10!", "梁系变形太小|最大线位移<1e-10",
                                                          "梁系弯矩太小|Mmax|<1e-10!"}));
    EXPECT_EQ(m.m_VisualScaleofShear, 1.0);
    EXPECT_EQ(m.m_VisualScaleofDisp, 1.0);
    EXPECT_EQ(m.m_VisualScaleofMoment, 1.0);
    // All five files are still written.
    for (const char* name : {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt", "Nodal_Reaction.txt",
                             "MDisInGlobalCS.txt"})
        EXPECT_TRUE(FileExists(dir.File(name))) << name;
}

TEST(PostProcess, RunningAgainRewritesEveryFileFromTheNewSolution)
{
    const std::vector<std::string> names = {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt",
                                            "Nodal_Reaction.txt", "MDisInGlobalCS.txt"};
    ScratchDir dir;
    FrameBuilder b = ShortCantilever();
    StructureModel& m = b.Run(dir.Path());
    std::vector<std::string> first;
    for (const std::string& name : names) {
        first.push_back(ReadFile(dir.File(name)));
        dir.Write(name, "stale");
    }
    m.Solve();
    PostProcess(m);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadFile(dir.File(names[i])), first[i]) << names[i];
}
