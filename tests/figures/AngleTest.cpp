#include <gtest/gtest.h>

#include <cmath>

#include "figures/Angle.h"

using Stimora::Angle;

TEST(Angle, HoldsTenthsOfADegree) {
    EXPECT_EQ(Angle::fromDegrees(45.0).value, 450.0);
    EXPECT_EQ(Angle::fromDegrees(-12.5).value, -125.0);
    EXPECT_EQ(Angle(900.0).toDegrees(), 90.0);
}

TEST(Angle, ConvertsRadians) {
    const double pi = std::acos(-1.0);
    EXPECT_DOUBLE_EQ(Angle::fromRadians(pi).value, 1800.0);
    EXPECT_DOUBLE_EQ(Angle::fromRadians(pi / 2).toDegrees(), 90.0);
    EXPECT_DOUBLE_EQ(Angle(3600.0).toRadians(), 2.0 * pi);
}

TEST(Angle, NormalisesIntoOneTurn) {
    EXPECT_EQ(Angle::fromDegrees(370.0).normalizedDegrees(), 10.0);
    EXPECT_EQ(Angle::fromDegrees(-10.0).normalizedDegrees(), 350.0);
    EXPECT_EQ(Angle::fromDegrees(360.0).normalizedDegrees(), 0.0);
    EXPECT_EQ(Angle::fromDegrees(-720.0).normalizedDegrees(), 0.0);
}

TEST(Angle, ComparesStoredValues) {
    EXPECT_EQ(Angle::fromDegrees(1.5), Angle(15.0));
    EXPECT_NE(Angle::fromDegrees(1.5), Angle(1.5));
}
