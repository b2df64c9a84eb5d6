#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "CanvasFixture.h"
#include "FreshCalibration.h"
#include "base/Exception.h"
#include "display/Canvas.h"
#include "display/Color.h"

using namespace Stimora;

namespace {

// Every test starts from the start-up calibration.
class ColorDisplayTest : public Testing::FreshCalibration {};

} // namespace

// With a canvas the ramp is tried first: either the display takes it (identity conversion in
// Color) or the attempt fails and the software converters take over. Never a half state.
TEST_F(ColorDisplayTest, GammaValueGoesToTheCurrentCanvasFirst) {
    auto canvas = Testing::openWindowCanvas();
    ASSERT_EQ(currentCanvas(), canvas.get());
    Color::setGammaValue(2, 2, 2, Color::gammaValueHardware);
    EXPECT_FALSE(Color::preferSoftware);
    if (Color::calibrationMode == Color::gammaValueHardware) {
        EXPECT_EQ(Color(0.25).r, 0.25);
        EXPECT_EQ(Color::gray.r, 0.5);
    } else {
        EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
        EXPECT_EQ(Color(0.25).r, 0.5);
    }
}

TEST_F(ColorDisplayTest, GammaTableGoesToTheCurrentCanvasFirst) {
    auto canvas = Testing::openWindowCanvas();
    Color::setGammaTable({0, 0.5}, {0, 0.5}, {0, 0.5});
    if (Color::calibrationMode == Color::gammaTableHardware)
        EXPECT_EQ(Color(1.0).r, 1.0);
    else
        EXPECT_EQ(Color(1.0).r, 0.5);
}

TEST_F(ColorDisplayTest, PreferSoftwareNeverTouchesTheRamp) {
    auto canvas = Testing::openWindowCanvas();
    Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
    EXPECT_EQ(Color(0.25).r, 0.5);
}

TEST_F(ColorDisplayTest, AfterTheCanvasIsReleasedCalibrationFallsBackToSoftware) {
    { auto canvas = Testing::openWindowCanvas(); }
    ASSERT_EQ(currentCanvas(), nullptr);
    Color::setGammaValue(2, 2, 2, Color::gammaValueHardware);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
}

TEST_F(ColorDisplayTest, SoftwareSwitchRoundTrip) {
    auto canvas = Testing::openWindowCanvas();
    Color::setGammaValue(2, 2, 2, Color::gammaValueHardware);
    const int32_t tried = Color::calibrationMode;
    Color::setSoftwareCalibration(true);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
    EXPECT_EQ(Color(0.25).r, 0.5);
    Color::setSoftwareCalibration(false);
    EXPECT_EQ(Color::calibrationMode, tried);
}
