// The canvas's platform half on the virtual display (Xvfb 1024 x 768 x 24): monitor records,
// window and full-screen forms, gamma ramps, and the pump ending the process.
//
// Xvfb reports 0 Hz and has no swap-interval control. SDL keeps a ramp per window, loads it
// into the display while the window has the keyboard focus and puts the saved one back when
// the focus leaves; a ramp reads back through the window. The gamma tests keep the pointer
// (and with it the focus) off the window so that nothing else changes the ramp under them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "APICanvasProperties.h"
#include "Platform.h"
#include "PlatformTesting.h"
#include "PlatformVideo.h"
#include "base/Exception.h"
#include "devices/Keyboard.h"
#include "devices/Mouse.h"
#include "display/Color.h"
#include "display/Display.h"

using namespace Stimora;

namespace {

std::vector<double> ramp(std::size_t size, double value = 0.5) {
    return std::vector<double>(size, value);
}

} // namespace

// ---- monitor records

TEST(DisplayRecords, PrimaryIsTheVirtualScreen) {
    const Display display = Display::primary();
    EXPECT_EQ(display.handle, 0);
    EXPECT_EQ(display.width, 1024);
    EXPECT_EQ(display.height, 768);
    EXPECT_EQ(display.colorDepth, 24);
    EXPECT_EQ(display.refreshRate, 0.0); // Xvfb reports none
    EXPECT_FALSE(display.deviceName.empty());
    EXPECT_EQ(display.area.left, 0.0);
    EXPECT_EQ(display.area.top, 0.0);
    EXPECT_EQ(display.area.getWidth(), 1024.0);
    EXPECT_EQ(display.area.getHeight(), 768.0);
}

TEST(DisplayRecords, EnumerationListsEveryMonitorAndCopiesKeepTheHandle) {
    const std::vector<Display> displays = enumerateDisplays();
    ASSERT_EQ(displays.size(), 1u);
    const Display copy = displays[0];
    EXPECT_EQ(copy.handle, displays[0].handle);
    EXPECT_EQ(copy.deviceName, displays[0].deviceName);
}

// ---- window and full-screen forms

TEST(CanvasWindow, WindowOnADisplayTakesTheRequestedSize) {
    APICanvasProperties api(640, 480, Display::primary());
    EXPECT_TRUE(api.created);
    EXPECT_FALSE(api.fullScreen);
    EXPECT_EQ(api.width, 640);
    EXPECT_EQ(api.height, 480);
    EXPECT_EQ(api.colorDepth, 24);
    EXPECT_EQ(api.refreshRate, 60.0); // 0 Hz reported
    EXPECT_FALSE(api.vsyncEnabled);   // no swap-interval control: not an error
    EXPECT_EQ(api.gammaMode, 0);
    api.swapBuffers();
    api.release();
    EXPECT_FALSE(api.created);
    api.release(); // a second release undoes nothing
    api.swapBuffers();
    EXPECT_FALSE(api.created);
}

TEST(CanvasWindow, WindowAtAPlaceMapsTheCursorToScreenPixels) {
    APICanvasProperties api(30, 40, 200, 100);
    EXPECT_TRUE(api.created);
    EXPECT_EQ(api.width, 200);
    EXPECT_EQ(api.height, 100);
    EXPECT_EQ(Mouse::setPosition(130.7, 90.2), Point(130, 90, 0));
    for (int i = 0; i < 20; ++i)
        pumpMessage();
    EXPECT_EQ(Mouse::position(), Point(130, 90, 0));
}

TEST(CanvasWindow, FullScreenAtTheCurrentMode) {
    APICanvasProperties api(Display::primary());
    EXPECT_TRUE(api.created);
    EXPECT_TRUE(api.fullScreen);
    EXPECT_EQ(api.width, 1024);
    EXPECT_EQ(api.height, 768);
    EXPECT_EQ(api.colorDepth, 24);
    EXPECT_EQ(api.refreshRate, 60.0);
    EXPECT_FALSE(api.vsyncEnabled);
    api.release();
    EXPECT_FALSE(api.created);
    // The display is back in its desktop mode.
    const Display after = Display::primary();
    EXPECT_EQ(after.width, 1024);
    EXPECT_EQ(after.height, 768);
}

TEST(CanvasWindow, FullScreenAtAGivenModeKeepsItsDepthAndRate) {
    APICanvasProperties api(1024, 768, 32, 60.9, Display::primary());
    EXPECT_TRUE(api.fullScreen);
    EXPECT_EQ(api.width, 1024);
    EXPECT_EQ(api.height, 768);
    EXPECT_EQ(api.colorDepth, 32);
    EXPECT_EQ(api.refreshRate, 60.0);
}

TEST(CanvasWindow, AModeTheDisplayLacksIsRefusedAndLeavesNothingBehind) {
    try {
        APICanvasProperties api(800, 600, 32, 60.0, Display::primary());
        ADD_FAILURE() << "800 x 600 accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(),
                  "class Stimora::APICanvasProperties [API ERROR] API Error (Failed to switch display mode)");
    }
    const Display after = Display::primary();
    EXPECT_EQ(after.width, 1024);
    APICanvasProperties api(100, 100, after);
    EXPECT_TRUE(api.created);
}

TEST(CanvasWindow, TwoCanvasesLiveSideBySide) {
    APICanvasProperties first(0, 0, 100, 100);
    APICanvasProperties second(200, 0, 100, 100);
    EXPECT_TRUE(first.created);
    EXPECT_TRUE(second.created);
    first.release();
    EXPECT_TRUE(second.created);
    second.swapBuffers();
}

// ---- gamma ramps

class CanvasGamma : public ::testing::Test {
protected:
    void SetUp() override {
        // The pointer (and so the focus) stays off the window.
        Mouse::setPosition(1000, 700);
        api = std::make_unique<APICanvasProperties>(0, 0, 64, 64);
        Mouse::setPosition(1000, 700);
    }
    void TearDown() override { Color::strictMatch = false; }

    std::uint16_t entry(int channel, int i) {
        std::uint16_t now[3 * 256];
        EXPECT_TRUE(api->readGammaRamp(now));
        return now[channel * 256 + i];
    }

    std::unique_ptr<APICanvasProperties> api;
};

TEST_F(CanvasGamma, TablesOfOtherSizesAreRefused) {
    for (std::size_t size : {255u, 257u, 0u}) {
        try {
            api->setGammaTable(ramp(256), ramp(size), ramp(256));
            ADD_FAILURE() << size << " entries accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.text(), "class Stimora::APICanvasProperties [Gamma Table Error] Table size is out of "
                                "order (not 256).");
        }
    }
    EXPECT_EQ(api->gammaMode, 0);
}

TEST_F(CanvasGamma, ValuesOutsideZeroToOneAreOutOfRange) {
    for (double bad : {1.2, -0.1, std::nan("")}) {
        std::vector<double> blue = ramp(256);
        blue[17] = bad;
        try {
            api->setGammaTable(ramp(256), ramp(256), blue);
            ADD_FAILURE() << bad << " accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.kind(), "Gamma Table Error");
            EXPECT_EQ(e.message(), "Out of Range");
        }
    }
    EXPECT_EQ(api->gammaMode, 0);
}

TEST_F(CanvasGamma, StrictMatchTurnsOutOfRangeEntriesIntoZero) {
    Color::strictMatch = true;
    std::vector<double> red = ramp(256, 1.0);
    red[5] = 1.2;
    api->setGammaTable(red, ramp(256), ramp(256));
    EXPECT_EQ(api->gammaMode, 2);
    EXPECT_EQ(entry(0, 5), 0);
    EXPECT_EQ(entry(0, 6), 65535);
    EXPECT_EQ(entry(1, 5), 32767); // trunc(0.5 * 65535)
}

TEST_F(CanvasGamma, GammaOneLoadsTheIdentityRamp) {
    api->setGammaValue(1, 1, 1);
    EXPECT_EQ(api->gammaMode, 1);
    std::uint16_t now[3 * 256];
    ASSERT_TRUE(api->readGammaRamp(now));
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(now[c * 256 + i], 257 * i) << c << " " << i;
}

TEST_F(CanvasGamma, GammaValuesPerChannel) {
    api->setGammaValue(2.0, 1.0, 0.5);
    // trunc((i / 255) ^ (1 / g) * 65535)
    EXPECT_EQ(entry(0, 64), static_cast<std::uint16_t>(std::pow(64 / 255.0, 0.5) * 65535.0));
    EXPECT_EQ(entry(1, 64), 257 * 64);
    EXPECT_EQ(entry(2, 64), static_cast<std::uint16_t>(std::pow(64 / 255.0, 2.0) * 65535.0));
    EXPECT_EQ(entry(0, 0), 0);
    EXPECT_EQ(entry(2, 255), 65535);
}

TEST_F(CanvasGamma, RestoreBringsBackTheRampBeforeTheFirstLoad) {
    std::uint16_t before[3 * 256];
    ASSERT_TRUE(api->readGammaRamp(before));
    api->setGammaValue(2, 2, 2);
    api->setGammaValue(0.5, 0.5, 0.5);
    api->restoreGamma();
    EXPECT_EQ(api->gammaMode, 0);
    std::uint16_t after[3 * 256];
    ASSERT_TRUE(api->readGammaRamp(after));
    for (int i = 0; i < 3 * 256; ++i)
        ASSERT_EQ(after[i], before[i]) << i;
    for (int i = 0; i < 3 * 256; ++i)
        ASSERT_EQ(api->savedRamp[i], before[i]) << i;
}

TEST_F(CanvasGamma, NothingHappensUnlessCreated) {
    api->release();
    api->setGammaValue(2, 2, 2);
    api->setGammaTable(ramp(3), ramp(3), ramp(3)); // not even the size check
    EXPECT_EQ(api->gammaMode, 0);
    std::uint16_t now[3 * 256];
    EXPECT_FALSE(api->readGammaRamp(now));
}

// A failure after the display was switched (here a bad simulated refresh, read once the
// context exists) undoes the switch: no window of ours is left.
TEST(CanvasWindow, AFailureAfterTheSwitchLeavesNothingBehind) {
    // One rule for the simulated refresh: plain decimal Hz, 10 to 10,000.
    for (const char* rate : {"fast", " 60", "0x3C", "60 ", "2", "1e-300", "10001"}) {
        setenv("STIMORA_SIMULATED_REFRESH", rate, 1);
        try {
            APICanvasProperties api(Display::primary());
            ADD_FAILURE() << "a refresh of '" << rate << "' accepted";
        } catch (const Exception& e) {
            EXPECT_NE(e.text().find("STIMORA_SIMULATED_REFRESH must be a refresh rate"), std::string::npos);
        }
        EXPECT_EQ(platformCanvasWindow(), nullptr);
    }
    setenv("STIMORA_SIMULATED_REFRESH", "10000", 1);
    EXPECT_EQ(APICanvasProperties(10, 10, 64, 64).refreshRate, 10000.0);
    unsetenv("STIMORA_SIMULATED_REFRESH");
}

TEST(DisplayMode, AModeAtAnotherRefreshRateIsRefusedLikeAMissingOne) {
    EXPECT_TRUE(APICanvasProperties::acceptsMode(1024, 768, 60, 1024, 768, 60));
    EXPECT_TRUE(APICanvasProperties::acceptsMode(1024, 768, 60, 1024, 768, 0)); // virtual: 60 Hz
    EXPECT_TRUE(APICanvasProperties::acceptsMode(1024, 768, 0, 1024, 768, 75)); // no rate asked
    EXPECT_FALSE(APICanvasProperties::acceptsMode(1024, 768, 60, 1024, 768, 75));
    EXPECT_FALSE(APICanvasProperties::acceptsMode(1024, 768, 60, 1024, 768, 50));
    EXPECT_FALSE(APICanvasProperties::acceptsMode(1024, 768, 75, 1024, 768, 0));
    EXPECT_FALSE(APICanvasProperties::acceptsMode(1024, 768, 60, 1280, 1024, 60));
}

// ---- the pump ends the process

namespace {

APICanvasProperties* dying = nullptr;

// Runs at std::exit: reports whether the pump released the canvas first.
void reportRelease() {
    std::fprintf(stderr, "released=%d gammaMode=%d\n", dying->created ? 0 : 1, dying->gammaMode);
}

} // namespace

TEST(CanvasPump, AltF4EndsTheProcessWithCode1AfterReleasingEveryCanvas) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Mouse::setPosition(1000, 700);
            dying = new APICanvasProperties(1024, 768, 32, 60.0, Display::primary());
            dying->setGammaValue(2, 2, 2);
            std::atexit(reportRelease);
            platformPostKeyEvent(0x12, true, true);
            platformPostKeyEvent(0x73, true, true);
            for (int i = 0; i < 50; ++i)
                Keyboard::pushed(Keyboard::escape);
            std::exit(7);
        },
        ::testing::ExitedWithCode(1), "released=1 gammaMode=0");
}
