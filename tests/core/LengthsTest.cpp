// Lengths are sqrt(dx * dx + dy * dy) to the last bit, and stay right where
// the squares would overflow or underflow.
#include "core/BeamElement.h"
#include "core/Geometry.h"
#include "core/Records.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Lengths, OrdinaryLengthsAreTheRootOfTheSquares)
{
    for (const double dx : {3.0, -0.1, 1e-150, 7e150, 0.0})
        for (const double dy : {4.0, 0.3, -2e-151, 1e150, 0.0}) {
            const double squares = dx * dx + dy * dy;
            if (squares >= 1e-300 && squares <= 1e300) {
                EXPECT_EQ(Length(dx, dy), std::sqrt(squares)) << dx << ", " << dy;
            }
        }
    EXPECT_EQ(Length(0, 0), 0);
}

TEST(Lengths, HugeAndTinyLengthsDoNotOverflowOrVanish)
{
    EXPECT_DOUBLE_EQ(Length(3e160, 4e160), 5e160);
    EXPECT_DOUBLE_EQ(Length(-3e-170, 4e-170), 5e-170);
    EXPECT_DOUBLE_EQ(Length(1e308, 1e308), std::sqrt(2.0) * 1e308);

    // A bar 1e155 long with EA = 1e155 has an axial stiffness of 1, not 0.
    BeamElement bar;
    bar.Init(0, Node{0, 0, 0}, Node{1e155, 0, 1}, ElementProperty{1e155, 1, 1});
    EXPECT_DOUBLE_EQ(bar.m_Length, 1e155);
    EXPECT_DOUBLE_EQ(bar.m_KInGlobalCS.At(0), 1);
    EXPECT_DOUBLE_EQ(bar.m_KInGlobalCS.At(3), -1);

    // A spring's direction is only a direction, however short its vector.
    Spring_2d spring;
    spring.Init(Node{0, 0, 0}, 100, 3e-162, 4e-162);
    EXPECT_DOUBLE_EQ(spring.KInGlobalCS.At(0), 36);
    EXPECT_DOUBLE_EQ(spring.KInGlobalCS.At(1), 48);
    EXPECT_DOUBLE_EQ(spring.KInGlobalCS.At(3), 64);

    // A load on a member far longer than 1e154 still has a direction.
    DistributedLoad load;
    load.Init(0, Node{0, 0, 0}, Node{0, 1e160, 1}, 1, 1);
    EXPECT_TRUE(std::isfinite(load.EquForce1.Fx));
    EXPECT_LT(load.EquForce1.Fx, 0); // the load's +y is global -x for a member along +y
}

} // namespace
