#include "core/StructureModel.h"
#include "core/Warnings.h"
#include "input/Load.h"
#include "reports/NodalReactions.h"
#include "reports/PostProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The shipped example uses every kind of record. Its supports carry both
// springs (node 4), so the reported reactions, which include whatever the
// springs take at a supported node, balance the applied loads on their own:
// forces and moments about the origin.
TEST(ComprehensiveExample, IsInEquilibriumAndHonoursItsPrescribedValues)
{
    ScratchDir dir;
    StructureModel m;
    CollectingWarnings warnings;
    m.m_OutputDir = dir.Path();
    m.m_Warnings = &warnings;
    Load(m, VELA_EXAMPLES_DIR "/综合算例.txt");
    m.Solve();
    PostProcess(m);
    EXPECT_TRUE(warnings.m_Texts.empty());

    double fx = 0, fy = 0, mz = 0;
    auto apply = [&](double x, double y, double px, double py, double moment) {
        fx += px;
        fy += py;
        mz += x * py - y * px + moment;
    };
    for (const force_2d& f : m.m_Forces)
        apply(f.Node.x, f.Node.y, f.Fx, f.Fy, f.Mz);
    for (const DistributedLoad& d : m.m_DistributedLoads) {
        // Resultant of the trapezoid along the element's local y axis.
        const double dx = d.Node2.x - d.Node1.x, dy = d.Node2.y - d.Node1.y;
        const double L = std::sqrt(dx * dx + dy * dy);
        const double total = (d.q1 + d.q2) / 2 * L;
        const double at = L * (d.q1 + 2 * d.q2) / (3 * (d.q1 + d.q2));
        apply(d.Node1.x + dx / L * at, d.Node1.y + dy / L * at, -dy / L * total, dx / L * total, 0);
    }
    for (const NodalReaction& r : ComputeNodalReactions(m)) {
        const Node& n = m.m_Nodes[static_cast<std::size_t>(r.NodeNo)];
        apply(n.x, n.y, r.Fx, r.Fy, r.Mz);
    }
    EXPECT_NEAR(fx, 0, 1e-9);
    EXPECT_NEAR(fy, 0, 1e-9);
    EXPECT_NEAR(mz, 0, 1e-8);

    EXPECT_NEAR(m.m_D.At(3 * 0 + 2), 0.001, 1e-12);   // prescribed base rotation
    EXPECT_NEAR(m.m_D.At(3 * 2 + 1), -0.005, 1e-12);  // prescribed settlement
    EXPECT_LT(std::fabs(m.m_D.At(3 * 4 + 1)), 1e-15); // roller: no vertical movement
    EXPECT_GT(std::fabs(m.m_D.At(3 * 4)), 1e-4);      // ... but free to slide
    for (const char* name : {"Nodal_Displacement.txt", "MForInGlobalCS.txt", "MForInElemCS.txt", "Nodal_Reaction.txt",
                             "MDisInGlobalCS.txt"})
        EXPECT_TRUE(FileExists(dir.File(name))) << name;
}

} // namespace
