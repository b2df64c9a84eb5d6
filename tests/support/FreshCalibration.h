#pragma once

// Colour calibration is process-wide: tests that change it start and end at the start-up state.

#include <gtest/gtest.h>

#include "display/Color.h"

namespace Stimora::Testing {

/// A fixture that resets the calibration and strict matching before and after every test.
class FreshCalibration : public ::testing::Test {
protected:
    void SetUp() override {
        Color::strictMatch = false;
        Color::resetCalibration();
    }
    void TearDown() override {
        Color::strictMatch = false;
        Color::resetCalibration();
    }
};

} // namespace Stimora::Testing
