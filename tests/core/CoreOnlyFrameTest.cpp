// The analysis core stands on its own: this program links the core library
// and nothing else, builds frames in code as the reader would, assembles
// and solves them and reads the element results.
#include "core/StructureModel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A frame made record by record; every record refers to its node by
// position, as a valid file does.
struct CoreFrame {
    StructureModel m;

    explicit CoreFrame(const ScratchDir& dir) { m.m_OutputDir = dir.Path(); }

    void Node_(double x, double y)
    {
        m.m_Nodes.push_back(Node{x, y, m.m_NPOIN});
        ++m.m_NPOIN;
    }
    void Property(double E, double A, double I)
    {
        m.m_Properties.push_back(ElementProperty{E, A, I});
        ++m.m_NEP;
    }
    void Element(int a, int b, int property)
    {
        m.m_ElemNodes.push_back(a);
        m.m_ElemNodes.push_back(b);
        m.m_ElemProp.push_back(property);
        ++m.m_NELEM;
    }
    void Support(int node, int dx, int dy, int rz)
    {
        RestrictedNode r;
        r.NodeNo = node;
        r.Fix[0] = dx;
        r.Fix[1] = dy;
        r.Fix[2] = rz;
        m.m_RestrictedNodes.push_back(r);
        ++m.m_NRN;
    }
    void Force(int node, double fx, double fy, double mz)
    {
        force_2d f;
        f.Node = m.m_Nodes[static_cast<std::size_t>(node)];
        f.Fx = fx;
        f.Fy = fy;
        f.Mz = mz;
        m.m_Forces.push_back(f);
        ++m.m_NFOR;
    }
    // After InitElements: the load's record and its element's intensities.
    void Press(int element, double q1, double q2)
    {
        const std::size_t e = static_cast<std::size_t>(element);
        DistributedLoad d;
        d.Init(element, m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[2 * e])],
               m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[2 * e + 1])], q1, q2);
        m.m_DistributedLoads.push_back(d);
        ++m.m_NDIS;
        m.m_Elements[e].SetDistributedLoad(q1, q2);
    }

    void Solve()
    {
        ASSERT_EQ(m.InitElements(), -1);
        Finish();
    }
    void Finish()
    {
        m.ComputeInertiaLevels();
        m.ComputeBoundingBox();
        m.AssembleStiffness();
        m.AssembleLoads();
        m.Solve();
        m.ComputeElementResults();
    }
    double D(int node, int component) const { return m.m_D.At(3 * node + component); }
};

TEST(CoreOnly, CantileverUnderATipLoadDeflectsAsTheBeamTheoryGives)
{
    // L = 2, EA = 10000, EI = 1000, tip load (-10, -30): dx = FL/EA,
    // dy = PL^3/3EI, rz = PL^2/2EI.
    ScratchDir dir;
    CoreFrame f(dir);
    f.Node_(0, 0);
    f.Node_(2, 0);
    f.Property(1e4, 1, 0.1);
    f.Element(0, 1, 0);
    f.Support(0, 1, 1, 1);
    f.Force(1, -10, -30, 0);
    f.Solve();
    EXPECT_NEAR(f.D(1, 0), -0.002, 1e-15);
    EXPECT_NEAR(f.D(1, 1), -0.08, 1e-14);
    EXPECT_NEAR(f.D(1, 2), -0.06, 1e-14);
    // The support's end forces balance the load: N1 = 10, V1 = 30, M1 = 60
    // in element axes (what the nodes exert on the element).
    const Matrix f1 = f.m.m_Elements[0].ForInElemCS();
    EXPECT_NEAR(f1.At(0), 10, 1e-9);
    EXPECT_NEAR(f1.At(1), 30, 1e-9);
    EXPECT_NEAR(f1.At(2), 60, 1e-9);
    EXPECT_NEAR(f.m.m_Elements[0].MomentAt(1.0), 0, 1e-9);
}

TEST(CoreOnly, SimplySupportedBeamUnderAUniformLoad)
{
    // Pinned at 0, roller at 2, two elements of 3, q = -4 downwards on both:
    // midspan deflection 5qL^4/384EI and moment qL^2/8 (L = 6).
    ScratchDir dir;
    CoreFrame f(dir);
    f.Node_(0, 0);
    f.Node_(3, 0);
    f.Node_(6, 0);
    f.Property(2e5, 0.01, 2e-4);
    f.Element(0, 1, 0);
    f.Element(1, 2, 0);
    f.Support(0, 1, 1, 0);
    f.Support(2, 0, 1, 0);
    ASSERT_EQ(f.m.InitElements(), -1);
    f.Press(0, -4, -4);
    f.Press(1, -4, -4);
    f.Finish();
    const double EI = 2e5 * 2e-4, q = -4, L = 6;
    EXPECT_NEAR(f.D(1, 1), 5 * q * std::pow(L, 4) / (384 * EI), 1e-12);
    EXPECT_NEAR(f.D(1, 0), 0, 1e-15);
    // The moment at the midspan node, where both elements meet: sagging,
    // so positive (the beam bends concave towards its y axis).
    EXPECT_NEAR(f.m.m_Elements[0].MomentAt(1.0), -q * L * L / 8, 1e-9);
    EXPECT_NEAR(f.m.m_Elements[1].MomentAt(0.0), -q * L * L / 8, 1e-9);
    EXPECT_NEAR(f.m.m_Elements[0].ShearAt(1.0), 0, 1e-9);
    // Rotations at the supports: qL^3/24EI, opposite signs.
    EXPECT_NEAR(f.D(0, 2), q * L * L * L / (24 * EI), 1e-12);
    EXPECT_NEAR(f.D(2, 2), -q * L * L * L / (24 * EI), 1e-12);
}

TEST(CoreOnly, AnElementThatOverflowsIsNamed)
{
    ScratchDir dir;
    CoreFrame f(dir);
    f.Node_(0, 0);
    f.Node_(1, 0);
    f.Node_(1, 1e-300);
    f.Property(1, 1, 1);
    f.Property(1e300, 1, 1);
    f.Element(0, 1, 0);
    f.Element(1, 2, 1);
    f.Element(0, 2, 1);
    EXPECT_EQ(f.m.InitElements(), 1);
}

} // namespace
