#include <gtest/gtest.h>

#include "figures/Length.h"

using Stimora::Length;

TEST(Length, IsAPixelCount) {
    EXPECT_EQ(Length().getPixels(), 0.0);
    EXPECT_EQ(Length(12.25).getPixels(), 12.25);
    EXPECT_EQ(Length(3.0), Length(3.0));
    EXPECT_NE(Length(3.0), Length(3.5));
}
