// The read-out under the pointer against closed-form beam results, and the
// hit-testing that decides what the pointer is over.
#include "Solved.h"

#include "graphics/ValueLabels.h"
#include "inspect/HitTest.h"
#include "inspect/ModelResults.h"
#include "inspect/ReadOut.h"
#include "reports/FrameBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double E = 2.0e8;
constexpr double A = 0.01;
constexpr double I = 1.0e-4;

// Relative closeness for results of the penalty method, whose supports
// give way by a part in 1e12 or so.
void ExpectClose(double actual, double expected, double scale)
{
    EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(scale)) << "expected " << expected;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A simply supported span from (-L/2, 0) to (L/2, 0), pinned at the left
// and on a roller at the right, under the load q1 -> q2 (negative: down).
// The view is fitted to the box x -L/2..L/2, y 0..1 (a line's box gets a
// unit height), so the middle of the span is on the origin pixel's column.
struct SimpleSpan {
    ScratchDir out;
    FrameBuilder frame;
    StructureModel* model = nullptr;
    ViewTransform view;

    SimpleSpan(double L, double q1, double q2)
    {
        frame.AddProperty(E, A, I);
        frame.AddNode(-L / 2, 0);
        frame.AddNode(L / 2, 0);
        frame.AddElement(0, 1, 0);
        frame.AddSupport(0, 1, 1, 0);
        frame.AddSupport(1, 0, 1, 0);
        frame.AddDistributedLoad(0, q1, q2);
        model = &frame.Run(out.Path());
        view.SetUp(800, 600, model->m_XMin, model->m_XMax, model->m_YMin, model->m_YMax);
    }
};

TEST(ReadOut, MidSpanOfASimplySupportedBeamUnderUniformLoad)
{
    const double L = 10, q = -2;
    SimpleSpan span(L, q, q);
    const ModelResults results(*span.model);

    // The pixel over the middle of the span: x is exactly L / 2.
    const double middle[2] = {0, 0};
    int pixel[2];
    span.view.WorldToScreen(middle, pixel);
    const ReadOut readOut = ReadOutAt(*span.model, &results, span.view, pixel[0], pixel[1]);
    ASSERT_EQ(readOut.hit.kind, Hit::Kind::Element);
    EXPECT_EQ(readOut.hit.index, 0);
    EXPECT_EQ(readOut.hit.xi, 0.5);

    const MemberPoint p = MemberValuesAt(results, 0, L / 2);
    ExpectClose(p.M, -q * L * L / 8, q * L * L);
    ExpectClose(p.V, 0, q * L);
    ExpectClose(p.N, 0, q * L);
    // Deflection at mid-span: 5 q L^4 / (384 E I), downwards.
    ExpectClose(p.dy, 5 * q * L * L * L * L / (384 * E * I), std::fabs(q) * L * L * L * L / (E * I));

    EXPECT_TRUE(Contains(readOut.text, "Element 0 (nodes 0-1): x = 5 of 10")) << readOut.text;
    EXPECT_TRUE(Contains(readOut.text, "M = 25")) << readOut.text;
    // The rounding residue of a shear that is zero reads as 0.
    EXPECT_TRUE(Contains(readOut.text, "V = 0 ")) << readOut.text;
}

TEST(ReadOut, TipOfACantileverUnderAPointLoad)
{
    const double L = 4, P = -10;
    ScratchDir out;
    FrameBuilder frame;
    frame.AddProperty(E, A, I);
    frame.AddNode(0, 0);
    frame.AddNode(L, 0);
    frame.AddElement(0, 1, 0);
    frame.AddSupport(0, 1, 1, 1);
    frame.AddForce(1, 0, P, 0);
    StructureModel& model = frame.Run(out.Path());
    const ModelResults results(model);
    const double tip = P * L * L * L / (3 * E * I);

    // Over the tip node: its displacements (and no reaction: it is free).
    ViewTransform view;
    view.SetUp(800, 600, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    const double world[2] = {L, 0};
    int pixel[2];
    view.WorldToScreen(world, pixel);
    const ReadOut readOut = ReadOutAt(model, &results, view, pixel[0] + 2, pixel[1] - 3);
    ASSERT_EQ(readOut.hit.kind, Hit::Kind::Node);
    EXPECT_EQ(readOut.hit.index, 1);
    ExpectClose(model.m_D.At(4), tip, std::fabs(tip));
    EXPECT_TRUE(Contains(readOut.text, "dy = -0.01067")) << readOut.text;
    EXPECT_FALSE(Contains(readOut.text, "reaction")) << readOut.text;

    // Along the member, in closed form: P x^2 (3L - x) / (6EI).
    ExpectClose(MemberValuesAt(results, 0, L).dy, tip, std::fabs(tip));
    ExpectClose(MemberValuesAt(results, 0, L / 2).dy, P * 4 * (3 * L - 2) / (6 * E * I), std::fabs(tip));
    ExpectClose(MemberValuesAt(results, 0, L / 2).M, P * L / 2, std::fabs(P * L));
    ExpectClose(MemberValuesAt(results, 0, 0).V, -P, std::fabs(P));

    // Over the support: its reaction, as "Nodal_Reaction.txt" has it.
    const double base[2] = {0, 0};
    view.WorldToScreen(base, pixel);
    const ReadOut support = ReadOutAt(model, &results, view, pixel[0], pixel[1]);
    ASSERT_EQ(support.hit.kind, Hit::Kind::Node);
    EXPECT_TRUE(Contains(support.text, "reaction Fx = 0   Fy = 10   Mz = 40")) << support.text;
}

// The load that varies along the member, 0 at the first node to q at the
// second: the only case where the coefficient of the varying term of
// MomentAt and ShearAt shows.
TEST(ReadOut, SimplySupportedSpanUnderATriangularLoad)
{
    const double L = 6, q = -6, w = -q;
    SimpleSpan span(L, 0, q);
    const ModelResults results(*span.model);

    ExpectClose(MemberValuesAt(results, 0, 0).V, w * L / 6, w * L);
    ExpectClose(MemberValuesAt(results, 0, L).V, -w * L / 3, w * L);
    ExpectClose(MemberValuesAt(results, 0, L / 2).M, w * L * L / 16, w * L * L);
    const double xMax = L / std::sqrt(3.0);
    ExpectClose(MemberValuesAt(results, 0, xMax).M, w * L * L / (9 * std::sqrt(3.0)), w * L * L);
    ExpectClose(MemberValuesAt(results, 0, xMax).V, 0, w * L);

    // What the result files report: the sampled largest moment, within the
    // sampling's reach of the closed form.
    const MemberExtreme& moment = results.Member(0).moment;
    EXPECT_NEAR(moment.value, w * L * L / (9 * std::sqrt(3.0)), 1e-5 * w * L * L);
    EXPECT_NEAR(moment.x, xMax, L / 1000);
    EXPECT_NEAR(results.Member(0).shear.value, w * L / 3, 1e-9 * w * L);
    EXPECT_EQ(results.Member(0).shear.x, L);
}

TEST(ReadOut, BeforeASolutionAndAwayFromTheStructure)
{
    ScratchDir out;
    FrameBuilder frame;
    frame.AddProperty(E, A, I);
    frame.AddNode(0, 0);
    frame.AddNode(4, 0);
    frame.AddElement(0, 1, 0);
    frame.AddSupport(0, 1, 1, 1);
    frame.AddForce(1, 3, -10, 0);
    StructureModel& model = frame.Prepare(out.Path());
    ViewTransform view;
    view.SetUp(800, 600, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);

    const double middle[2] = {2, 0};
    int pixel[2];
    view.WorldToScreen(middle, pixel);
    const ReadOut member = ReadOutAt(model, nullptr, view, pixel[0], pixel[1]);
    ASSERT_EQ(member.hit.kind, Hit::Kind::Element);
    EXPECT_EQ(member.text, "Element 0 (nodes 0-1): length 4   property 0: E = 2e+08   A = 0.01   I = 1e-04");

    const double tip[2] = {4, 0};
    view.WorldToScreen(tip, pixel);
    EXPECT_EQ(ReadOutAt(model, nullptr, view, pixel[0], pixel[1]).text,
              "Node 1: x = 4   y = 0   load Fx = 3   Fy = -10   Mz = 0");
    const double base[2] = {0, 0};
    view.WorldToScreen(base, pixel);
    EXPECT_EQ(ReadOutAt(model, nullptr, view, pixel[0], pixel[1]).text, "Node 0: x = 0   y = 0   support 1 1 1");

    // Far from both: the pointer's world coordinates (the origin pixel
    // shows the box's centre, (2, 0.5)).
    const ReadOut point = ReadOutAt(model, nullptr, view, 400, 100);
    EXPECT_EQ(point.hit.kind, Hit::Kind::None);
    EXPECT_DOUBLE_EQ(point.worldX, 2);
    EXPECT_DOUBLE_EQ(point.worldY, 0.5 + 200 / view.m_Scale);
    EXPECT_EQ(point.text, "x = 2   y = " + FormatValue(0.5 + 200 / view.m_Scale));
}

// Box x 0..10, y 0..5 in 800 x 600: 76 pixels per unit, (0, 0) at pixel
// (20, 490). A beam along y = 0 and a column up from (10, 0).
struct Frame {
    ScratchDir out;
    FrameBuilder frame;
    StructureModel* model = nullptr;
    ViewTransform view;

    Frame()
    {
        frame.AddProperty(E, A, I);
        frame.AddNode(0, 0);
        frame.AddNode(10, 0);
        frame.AddNode(10, 5);
        frame.AddElement(0, 1, 0);
        frame.AddElement(1, 2, 0);
        model = &frame.Prepare(out.Path());
        view.SetUp(800, 600, model->m_XMin, model->m_XMax, model->m_YMin, model->m_YMax);
    }
    Hit At(int x, int y) const { return HitTest(*model, view, x, y); }
};

TEST(HitTest, WithinFourPixelsOfAMemberAndSixOfANode)
{
    const Frame f;
    // The beam runs along pixel row 490 from x 20 to 780.
    EXPECT_EQ(f.At(400, 490).kind, Hit::Kind::Element);
    EXPECT_EQ(f.At(400, 494).index, 0);
    EXPECT_EQ(f.At(400, 486).kind, Hit::Kind::Element);
    EXPECT_EQ(f.At(400, 495).kind, Hit::Kind::None);
    EXPECT_EQ(f.At(400, 485).kind, Hit::Kind::None);
    EXPECT_NEAR(f.At(210, 492).xi, 0.25, 1e-12);
    // The column, x = 780, from row 490 up to row 110.
    const Hit column = f.At(783, 300);
    EXPECT_EQ(column.kind, Hit::Kind::Element);
    EXPECT_EQ(column.index, 1);
    EXPECT_NEAR(column.xi, 0.5, 1e-12);
    // Beyond a member's end it is not over the member.
    EXPECT_EQ(f.At(12, 490).kind, Hit::Kind::None);

    // A node wins over the members that meet there, within 6 pixels.
    const Hit corner = f.At(784, 486);
    EXPECT_EQ(corner.kind, Hit::Kind::Node);
    EXPECT_EQ(corner.index, 1);
    EXPECT_EQ(f.At(26, 490).kind, Hit::Kind::Node);
    EXPECT_EQ(f.At(27, 490).kind, Hit::Kind::Element);
}

TEST(HitTest, NothingWithoutAUsableView)
{
    Frame f;
    f.view.m_Width = 0;
    EXPECT_EQ(f.At(400, 490).kind, Hit::Kind::None);
    EXPECT_EQ(ReadOutAt(*f.model, nullptr, f.view, 400, 490).text, "");
}

} // namespace
