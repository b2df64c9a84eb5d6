// The outputs a canvas calibrates: every CRTC its window overlaps, mirrors included, and none
// for a window beside every output (which then gets the gamma error, not the first monitor).

#include <gtest/gtest.h>

#include "CrtcGamma.h"

namespace Stimora {

TEST(CrtcGamma, AWindowCalibratesEveryOutputItOverlapsAndNoOther) {
    using A = CrtcGamma::Area;
    const std::vector<A> crtcs = {
        {0, 0, 1920, 1080},         // left monitor
        {1920, 0, 1280, 1024},      // right monitor
        {0, 0, 1920, 1080},         // a projector mirroring the left one
        {0, 0, 1920, 1080, false},  // switched off
        {3200, 0, 800, 600, false}, // switched off
    };
    using V = std::vector<std::size_t>;
    EXPECT_EQ(CrtcGamma::covering({100, 100, 800, 600}, crtcs), (V{0, 2}));
    EXPECT_EQ(CrtcGamma::covering({1800, 100, 400, 300}, crtcs), (V{0, 1, 2}));
    EXPECT_EQ(CrtcGamma::covering({1920, 0, 1280, 1024}, crtcs), (V{1}));
    EXPECT_EQ(CrtcGamma::covering({3200, 0, 800, 600}, crtcs), V{});
    EXPECT_EQ(CrtcGamma::covering({1920, 1024, 10, 10}, crtcs), V{}); // touches a corner only
}

} // namespace Stimora
