#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "FreshCalibration.h"
#include "base/Exception.h"
#include "display/Color.h"
#include "display/MonitorProfile.h"

using namespace Stimora;

namespace {

std::string folder() {
    const char* out = std::getenv("STIMORA_TEST_OUTPUT");
    return std::string(out ? out : ".") + "/";
}

// A calibrated profile of the display L = 0.5 + 119.5 v^2.3.
MonitorProfile modelProfile() {
    MonitorProfile p;
    p.name = "model";
    p.widthCm = 40;
    p.heightCm = 30;
    p.distanceCm = 57;
    p.pixelWidth = 1024;
    p.pixelHeight = 768;
    p.refreshRate = 60;
    p.calibration.date = "2026-01-01T00:00:00Z";
    p.calibration.grey.power = {0.5, std::pow(119.5, 1 / 2.3), 2.3};
    for (int k = 0; k <= 16; ++k) {
        p.calibration.grey.values.push_back(k / 16.0);
        p.calibration.grey.luminances.push_back(0.5 + 119.5 * std::pow(k / 16.0, 2.3));
        p.calibration.grey.powerResiduals.push_back(0.0);
        p.calibration.grey.splineResiduals.push_back(0.0);
    }
    return p;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

using MonitorProfileTest = Testing::FreshCalibration;

// Saved and read back, the profile asks Color for luminances and Michelson contrasts.
TEST_F(MonitorProfileTest, CalibratesColorInCandelas) {
    const std::string path = folder() + "model.json";
    modelProfile().save(path);
    const MonitorProfile p = MonitorProfile::load(path);
    ASSERT_EQ(p.calibration.grey.values.size(), 17u);
    p.applyCalibration();
    EXPECT_EQ(Color::calibrationMode, Color::gammaTableSoftware);
    for (double l : {1.0, 12.45, 50.0, 110.0}) {
        const Color c = Color::luminance(l);
        EXPECT_NEAR(0.5 + 119.5 * std::pow(c.r, 2.3), l, 0.3) << l; // the 256-level table's step
        EXPECT_NEAR(c.getLuminance(), l, 0.3) << l;
    }
    // Michelson 0.5 about 50: the patch swings 25 .. 75 cd/m², an amplitude of 25 / 119.5.
    const double mean = Color::level(50.0);
    EXPECT_NEAR(Color::michelsonContrast(50.0, 0.5) * mean, 25.0 / 119.5, 1e-12);
    EXPECT_NEAR(Color::michelson(Color::luminance(75.0), Color::luminance(25.0)), 0.5, 0.01);
    // Outside the range: clamped, or an error in strict mode.
    EXPECT_EQ(Color::luminance(500.0).r, 1.0);
    EXPECT_NEAR(Color::michelsonContrast(100.0, 0.5) * Color::level(100.0), 20.0 / 119.5, 1e-9);
    Color::strictMatch = true;
    try {
        Color::luminance(500.0);
        ADD_FAILURE() << "no error in strict mode";
    } catch (Exception* e) {
        EXPECT_NE(e->message().find("500 cd/m2 is outside the calibrated range 0.5 .. 120"),
                  std::string::npos)
            << e->message();
        delete e;
    }
}

// Each fault names the file and the field on one line, and nothing is half-read.
TEST_F(MonitorProfileTest, RefusesMalformedFiles) {
    const std::string good = modelProfile().toJson();
    const struct {
        std::string text, expected;
    } faults[] = {
        {replaced(good, "\"width_cm\": 40.0,", ""), "field screen.width_cm is missing"},
        {replaced(good, "\"width_px\": 1024", "\"width_px\": \"wide\""),
         "field screen.width_px must be a whole"},
        {replaced(good, "\"version\": 1", "\"version\": 2"),
         "field version is 2; this Stimora reads version 1"},
        {replaced(good, "\"gamma\": 2.3", "\"gamma\": NaN"), "is not valid JSON"},
        {replaced(good, "\"gamma\": 2.3", "\"gamma\": null"),
         "field calibration.grey.power.gamma must be a number"},
        {replaced(good, "\"height_cm\": 30.0", "\"height_cm\": 1e999"), "number overflow"},
    };
    for (const auto& fault : faults) {
        const std::string path = folder() + "broken.json";
        std::ofstream(path) << fault.text;
        try {
            MonitorProfile::load(path);
            ADD_FAILURE() << "accepted: " << fault.expected;
        } catch (const Exception& e) {
            EXPECT_NE(e.message().find(fault.expected), std::string::npos) << e.message();
            EXPECT_NE(e.message().find(path), std::string::npos) << e.message();
            EXPECT_EQ(e.message().find('\n'), std::string::npos) << e.message();
        }
    }
}
