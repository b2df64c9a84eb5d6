#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "display/Canvas.h"
#include "display/Color.h"

#include "FreshCalibration.h"

using namespace Stimora;

namespace {

// Every test starts from the start-up calibration.
class ColorTest : public Testing::FreshCalibration {};

// Runs f, expecting a pointer to a new Exception; returns its message.
template <class F> std::string pointerMessage(F f) {
    try {
        f();
    } catch (Exception* e) {
        std::unique_ptr<Exception> owned(e);
        return owned->message();
    }
    return "(nothing thrown)";
}

void expectStored(const Color& c, double r, double g, double b, double a) {
    EXPECT_DOUBLE_EQ(c.r, r);
    EXPECT_DOUBLE_EQ(c.g, g);
    EXPECT_DOUBLE_EQ(c.b, b);
    EXPECT_DOUBLE_EQ(c.a, a);
}

std::vector<double> squares(int n) {
    std::vector<double> t(n);
    for (int i = 0; i < n; ++i)
        t[i] = (i / double(n - 1)) * (i / double(n - 1));
    return t;
}

const char* const rendererMessage = "Failed to set color calibration table for the video renderer.";

} // namespace

// ---- no calibration

TEST_F(ColorTest, StartsUncalibratedWithIdentityConversion) {
    ASSERT_EQ(currentCanvas(), nullptr);
    EXPECT_EQ(Color::calibrationMode, Color::noCalibration);
    Color c(0.2, 0.4, 0.6, 0.8);
    expectStored(c, 0.2, 0.4, 0.6, 0.8);
    double r, g, b, a;
    c.get(r, g, b, a);
    EXPECT_EQ(r, 0.2);
    EXPECT_EQ(g, 0.4);
    EXPECT_EQ(b, 0.6);
    EXPECT_EQ(a, 0.8);
}

TEST_F(ColorTest, ModeConstants) {
    EXPECT_EQ(Color::noCalibration, 0);
    EXPECT_EQ(Color::gammaValueHardware, 1);
    EXPECT_EQ(Color::gammaTableHardware, 2);
    EXPECT_EQ(Color::gammaValueSoftware, 101);
    EXPECT_EQ(Color::gammaTableSoftware, 102);
    EXPECT_EQ(Color::bitsPlusPlus, -100);
}

TEST_F(ColorTest, OutOfRangeComponentsAreClampedSilently) {
    expectStored(Color(1.5, -0.2, 0.5, 1), 1, 0, 0.5, 1);
    expectStored(Color(0.1, 0.2, 0.3, 7), 0.1, 0.2, 0.3, 1);
}

TEST_F(ColorTest, DefaultIsOpaqueBlackAndGrayFillsThreeChannels) {
    expectStored(Color(), 0, 0, 0, 1);
    expectStored(Color(0.3), 0.3, 0.3, 0.3, 1);
    Color c(0.1, 0.1, 0.1, 0.5);
    c.set(0.7);
    expectStored(c, 0.7, 0.7, 0.7, 1);
}

TEST_F(ColorTest, PredefinedColours) {
    expectStored(Color::white, 1, 1, 1, 1);
    expectStored(Color::black, 0, 0, 0, 1);
    expectStored(Color::gray, 0.5, 0.5, 0.5, 1);
    expectStored(Color::red, 1, 0, 0, 1);
    expectStored(Color::green, 0, 1, 0, 1);
    expectStored(Color::blue, 0, 0, 1, 1);
    expectStored(Color::cyan, 0, 1, 1, 1);
    expectStored(Color::magenta, 1, 0, 1, 1);
    expectStored(Color::yellow, 1, 1, 0, 1);
    expectStored(Color::null, 0, 0, 0, 0);
}

TEST_F(ColorTest, EqualityComparesStoredComponentsExactly) {
    EXPECT_TRUE(Color(0.25, 0.5, 0.75, 1) == Color(0.25, 0.5, 0.75, 1));
    EXPECT_FALSE(Color(0.25, 0.5, 0.75, 1) == Color(0.25, 0.5, 0.75, 0.999999));
    EXPECT_TRUE(Color(2.0, 0, 0, 1) == Color::red);
    EXPECT_TRUE(Color(0.1) != Color(0.2));
}

TEST_F(ColorTest, ArithmeticChecksTheOperandButNotTheResult) {
    Color c(0.5, 0.5, 0.5, 1);
    Color other(Color::raw, 0.25, 0.5, 0.75, 0.5);
    other.r = 2.0;  // out of range: counts as 1
    other.g = -3.0; // counts as 0
    c += other;
    expectStored(c, 1.5, 0.5, 1.25, 1.5);
    c -= Color(Color::raw, 1, 1, 1, 1);
    expectStored(c, 0.5, -0.5, 0.25, 0.5);

    const Color base(0.5, 0.5, 0.5, 1);
    const Color sum = base + Color(0.25, 0.25, 0.25, 0);
    expectStored(sum, 0.75, 0.75, 0.75, 1);
    expectStored(base, 0.5, 0.5, 0.5, 1);
    expectStored(base - Color(0.5, 0, 0, 1), 0, 0.5, 0.5, 0);
}

TEST_F(ColorTest, SetRawBypassesCalibration) {
    Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware);
    Color c;
    c.setRaw(0.25, 0.5, 1.5, -1);
    expectStored(c, 0.25, 0.5, 1, 0);
    expectStored(Color(Color::raw, 0.25, 0.5, 0.75, 1), 0.25, 0.5, 0.75, 1);
}

// ---- strict match

TEST_F(ColorTest, StrictMatchThrowsMessagesByPointer) {
    Color::strictMatch = true;
    EXPECT_EQ(pointerMessage([] { Color c(1.5, 0, 0, 1); }),
              "Color.set : STRICT MATCH FAILED : Argument was over 1.0 .");
    EXPECT_EQ(pointerMessage([] { Color c(0, -0.01, 0, 1); }),
              "Color.set : STRICT MATCH FAILED : Argument was under 0.0 .");
    EXPECT_EQ(pointerMessage([] { Color().setRaw(0, 0, 0, 1.01); }),
              "Color.set : STRICT MATCH FAILED : Argument was over 1.0 .");
    EXPECT_NO_THROW(Color(0, 1, 0.5, 1));
}

TEST_F(ColorTest, StrictMatchChecksArithmeticOperands) {
    Color::strictMatch = true;
    Color c(0.5);
    Color other(Color::raw, 0, 0, 0, 0);
    other.b = -0.5;
    EXPECT_EQ(pointerMessage([&] { c += other; }),
              "Color.set : STRICT MATCH FAILED : Argument was under 0.0 .");
}

// ---- gamma values

TEST_F(ColorTest, SoftwareGammaStoresEncodedValueAndReadsBackRequested) {
    Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
    EXPECT_TRUE(Color::preferSoftware);
    EXPECT_EQ(Color::inverseGamma[0], 0.5);
    const Color c(0.25);
    expectStored(c, 0.5, 0.5, 0.5, 1);
    EXPECT_DOUBLE_EQ(c.getR(), 0.25);
    EXPECT_DOUBLE_EQ(c.getG(), 0.25);
    EXPECT_DOUBLE_EQ(c.getB(), 0.25);
    EXPECT_EQ(c.getA(), 1);
}

TEST_F(ColorTest, SoftwareGammaPerChannelAndAlphaUnconverted) {
    Color::setGammaValue(1, 2, 4, Color::gammaValueSoftware);
    const Color c(0.25, 0.25, 0.0625, 0.25);
    expectStored(c, 0.25, 0.5, 0.5, 0.25);
    double r, g, b, a;
    c.get(r, g, b, a);
    EXPECT_DOUBLE_EQ(r, 0.25);
    EXPECT_DOUBLE_EQ(g, 0.25);
    EXPECT_DOUBLE_EQ(b, 0.0625);
    EXPECT_EQ(a, 0.25);
}

TEST_F(ColorTest, SoftwareGammaClampsOutOfRangeWithoutNaN) {
    Color::setGammaValue(2.2, 2.2, 2.2, Color::gammaValueSoftware);
    const Color c(-0.5, 1.5, 0, 1);
    expectStored(c, 0, 1, 0, 1);
    Color::strictMatch = true;
    EXPECT_EQ(pointerMessage([] { Color(-0.5); }),
              "Color.set : STRICT MATCH FAILED : Argument was under 0.0 .");
}

TEST_F(ColorTest, SoftwareGammaRecomputesGrayOnly) {
    Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware);
    expectStored(Color::gray, std::sqrt(0.5), std::sqrt(0.5), std::sqrt(0.5), 1);
    expectStored(Color::white, 1, 1, 1, 1);
    expectStored(Color::red, 1, 0, 0, 1);
}

TEST_F(ColorTest, ExistingColoursKeepStoredValuesWhenModeChanges) {
    const Color before(0.25);
    Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware);
    expectStored(before, 0.25, 0.25, 0.25, 1);
    EXPECT_DOUBLE_EQ(before.getR(), 0.0625);
}

TEST_F(ColorTest, HardwareGammaWithoutCanvasFallsBackToSoftware) {
    Color::preferSoftware = true;
    Color::setGammaValue(2.2, 2.0, 1.8, Color::gammaValueHardware);
    EXPECT_FALSE(Color::preferSoftware);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
    EXPECT_EQ(Color::gamma[0], 2.2);
    EXPECT_EQ(Color::gamma[1], 2.0);
    EXPECT_EQ(Color::gamma[2], 1.8);
    EXPECT_DOUBLE_EQ(Color::inverseGamma[2], 1 / 1.8);
    EXPECT_DOUBLE_EQ(Color(0.25).g, 0.5);
}

TEST_F(ColorTest, HardwareFailureUnderStrictMatchRaisesApiError) {
    Color::strictMatch = true;
    try {
        Color::setGammaValue(2, 2, 2, Color::gammaValueHardware);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.kind(), "API ERROR");
        EXPECT_EQ(e.message(), rendererMessage);
        EXPECT_EQ(e.text(), std::string("class Stimora::Color [API ERROR] ") + rendererMessage);
    }
    EXPECT_EQ(Color::calibrationMode, Color::noCalibration);
}

TEST_F(ColorTest, ChosenSoftwareCalibrationIsNoFailureUnderStrictMatch) {
    Color::strictMatch = true;
    EXPECT_NO_THROW(Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware));
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
}

TEST_F(ColorTest, MismatchedModeIsRefusedAndChangesNothing) {
    for (int mode : {5, 0, 2, 102}) {
        try {
            Color::setGammaValue(2, 2, 2, mode);
            FAIL() << "mode " << mode;
        } catch (const Exception& e) {
            EXPECT_EQ(
                e.message(),
                "Color::setGammaValue: Specified color calibration mode and value type are mismatched.");
            EXPECT_EQ(e.kind(), "");
        }
    }
    EXPECT_EQ(Color::calibrationMode, Color::noCalibration);
    EXPECT_EQ(Color::gamma[0], 1);
    EXPECT_FALSE(Color::preferSoftware);
    expectStored(Color(0.25), 0.25, 0.25, 0.25, 1);
}

// ---- Bits++

TEST_F(ColorTest, BitsPlusPlusEncodesSixteenBitLuminance) {
    Color::setGammaValue(1, 1, 1, Color::bitsPlusPlus);
    EXPECT_EQ(Color::calibrationMode, Color::bitsPlusPlus);
    EXPECT_TRUE(Color::preferSoftware);
    const Color c(0.5, 0.9, 0.1, 1); // only red is the luminance
    EXPECT_EQ(c.r, 127 / 255.0);
    EXPECT_EQ(c.g, 255 / 255.0);
    EXPECT_EQ(c.b, 0.0);
    EXPECT_EQ(c.a, 1.0);
    EXPECT_DOUBLE_EQ(c.getR(), 32767 / 65535.0);
    EXPECT_DOUBLE_EQ(c.getB(), 32767 / 65535.0);
    expectStored(Color(1.0), 1, 1, 0, 1);
    expectStored(Color(), 0, 0, 0, 1);
    expectStored(Color(-1.0), 0, 0, 0, 1);
}

TEST_F(ColorTest, BitsPlusPlusAppliesRedGamma) {
    Color::setGammaValue(2, 3, 4, Color::bitsPlusPlus);
    const Color c(0.25);
    EXPECT_EQ(c.r, 127 / 255.0);
    EXPECT_EQ(c.g, 1.0);
    EXPECT_DOUBLE_EQ(c.getG(), std::pow(32767 / 65535.0, 2));
    double r, g, b, a;
    c.get(r, g, b, a);
    EXPECT_EQ(r, g);
    EXPECT_EQ(g, b);
    EXPECT_EQ(a, 1.0);
}

TEST_F(ColorTest, BitsPlusPlusRefusesAlpha) {
    Color::setGammaValue(1, 1, 1, Color::bitsPlusPlus);
    EXPECT_EQ(pointerMessage([] { Color c(0.5, 0.5, 0.5, 0.5); }),
              "Color.set : alpha value is disabled for Bits++.");
}

TEST_F(ColorTest, BitsPlusPlusRoundTripsEveryByteOfTheStoredPair) {
    Color::setGammaValue(1, 1, 1, Color::bitsPlusPlus);
    for (int v : {0, 1, 255, 256, 4660, 65534, 65535}) {
        Color c(Color::raw, (v >> 8) / 255.0, (v & 0xFF) / 255.0, 0, 1);
        EXPECT_DOUBLE_EQ(c.getR(), v / 65535.0) << v;
    }
}

// ---- gamma tables

TEST_F(ColorTest, TwoEntryTableResamplesToLinearRamp) {
    Color::setGammaTable({0, 1}, {0, 1}, {0, 1});
    EXPECT_EQ(Color::calibrationMode, Color::gammaTableSoftware); // no canvas: software
    EXPECT_EQ(Color::tableSize, 256);
    for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(Color::gammaTable[ch].size(), 256u);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(Color::gammaTable[ch][i], i / 255.0) << ch << " " << i;
    }
}

TEST_F(ColorTest, ResamplingInterpolatesAndChecksEntries) {
    Color::setGammaTable({0, 0.5, 1}, {-1, 2}, {0.3});
    const auto& red = Color::gammaTable[0];
    EXPECT_DOUBLE_EQ(red[51], 0.2);  // p = 0.4
    EXPECT_DOUBLE_EQ(red[204], 0.8); // p = 1.6
    EXPECT_EQ(red[255], 1.0);        // k = n - 1
    const auto& green = Color::gammaTable[1];
    EXPECT_EQ(green[0], 0.0);  // -1 checked
    EXPECT_EQ(green[85], 0.0); // 3 f - 1 = 0
    EXPECT_NEAR(green[170], 1.0, 1e-12);
    EXPECT_EQ(green[255], 1.0); // 2 checked
    for (double v : Color::gammaTable[2])
        EXPECT_EQ(v, 0.3);
}

TEST_F(ColorTest, LongTablesContributeTheirFirst256Entries) {
    std::vector<double> longList(300);
    for (int i = 0; i < 300; ++i)
        longList[i] = i / 299.0;
    longList[10] = 1.5;
    Color::setGammaTable(longList, longList, longList);
    EXPECT_EQ(Color::gammaTable[0][255], 255 / 299.0);
    EXPECT_EQ(Color::gammaTable[1][10], 1.0);
}

TEST_F(ColorTest, ArrayFormMatchesListForm) {
    const double red[4] = {0, 0.1, 0.5, 1};
    const double green[4] = {0, 0.2, 0.6, 1};
    const double blue[4] = {0, 0.3, 0.7, 1};
    Color::setGammaTable(red, green, blue, 4);
    const std::vector<double> arrays[3] = {Color::gammaTable[0], Color::gammaTable[1], Color::gammaTable[2]};
    Color::setGammaTable({0, 0.1, 0.5, 1}, {0, 0.2, 0.6, 1}, {0, 0.3, 0.7, 1});
    for (int ch = 0; ch < 3; ++ch)
        EXPECT_EQ(arrays[ch], Color::gammaTable[ch]);
}

TEST_F(ColorTest, SoftwareTableLooksUpRoundedLevelTiesToEven) {
    Color::setGammaTable(squares(256), squares(256), squares(256));
    const Color half(0.5); // 127.5 -> 128
    EXPECT_EQ(half.r, Color::gammaTable[0][128]);
    const Color tie(2.5 / 255.0, 1.5 / 255.0, 0, 1); // 2.5 -> 2, 1.5 -> 2
    EXPECT_EQ(tie.r, Color::gammaTable[0][2]);
    EXPECT_EQ(tie.g, Color::gammaTable[1][2]);
    EXPECT_EQ(tie.b, 0.0);
}

TEST_F(ColorTest, SoftwareTableReadsLevelBack) {
    Color::setGammaTable(squares(256), squares(256), squares(256));
    const Color c(0.5, 0.25, 1, 0.5);
    EXPECT_EQ(c.getR(), 128 / 255.0);
    EXPECT_EQ(c.getG(), 64 / 255.0);
    EXPECT_EQ(c.getB(), 1.0);
    EXPECT_EQ(c.getA(), 0.5);
}

TEST_F(ColorTest, SoftwareTableIndexIsBoundedToTheTable) {
    Color::setGammaTable({0.1, 0.9}, {0.1, 0.9}, {0.1, 0.9});
    const Color c(1.5, -0.5, 7, 1);
    EXPECT_EQ(c.r, 0.9);
    EXPECT_EQ(c.g, 0.1);
    EXPECT_EQ(c.b, 0.9);
}

TEST_F(ColorTest, FlatTableReadsTheFirstLevel) {
    // Every entry is the same value: the first entry of the inverse map answers.
    Color::setGammaTable({0.4}, {0.4}, {0.4});
    EXPECT_EQ(Color(0.9).getR(), 0.0);
}

TEST_F(ColorTest, ReloadedTablesReplaceTheInverseMaps) {
    Color::setGammaTable({0, 1}, {0, 1}, {0, 1});
    Color::setGammaTable({0, 0.5}, {0, 0.5}, {0, 0.5});
    EXPECT_EQ(Color::inverseMap[0].size(), 256u);
    const Color c(Color::raw, 0.5, 0.5, 0.5, 1); // was level 0.5 in the first table
    EXPECT_EQ(c.getR(), 1.0);
}

TEST_F(ColorTest, StoredValueOutsideTheTableReadsNearestLevel) {
    Color::setGammaTable({0.2, 0.8}, {0.2, 0.8}, {0.2, 0.8});
    EXPECT_EQ(Color(Color::raw, 0.0, 1.0, 0.2, 1).getR(), 0.0);
    EXPECT_EQ(Color(Color::raw, 0.0, 1.0, 0.2, 1).getG(), 1.0);
}

TEST_F(ColorTest, UnequalTableLengthsAcceptedUnlessStrict) {
    EXPECT_NO_THROW(Color::setGammaTable({0, 1}, {0, 0.5, 1}, {0, 1}));
    Color::resetCalibration();
    Color::strictMatch = true;
    try {
        Color::setGammaTable({0, 1}, {0, 0.5, 1}, {0, 1});
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.kind(), "API ERROR");
        EXPECT_EQ(e.message(),
                  "Failed to set color calibration table because table sizes were unmatched between "
                  "R/G/B tables.");
    }
    EXPECT_EQ(Color::calibrationMode, Color::noCalibration);
    EXPECT_TRUE(Color::gammaTable[0].empty());
}

TEST_F(ColorTest, TableHardwareFailureUnderStrictMatchRaises) {
    Color::strictMatch = true;
    try {
        Color::setGammaTable({0, 1}, {0, 1}, {0, 1});
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.kind(), "API ERROR");
        EXPECT_EQ(e.message(), rendererMessage);
    }
    Color::preferSoftware = true;
    EXPECT_NO_THROW(Color::setGammaTable({0, 1}, {0, 1}, {0, 1}));
    EXPECT_EQ(Color::calibrationMode, Color::gammaTableSoftware);
}

TEST_F(ColorTest, EmptyTableIsRefusedBeforeAnythingChanges) {
    Color::setGammaTable({0, 1}, {0, 1}, {0, 1});
    try {
        Color::setGammaTable({0, 1}, {}, {0, 1});
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.kind(), "ARGUMENT ERROR");
    }
    EXPECT_THROW(Color::setGammaTable(nullptr, nullptr, nullptr, 0), Exception);
    EXPECT_EQ(Color::gammaTable[1][255], 1.0);
}

// ---- switching between hardware and software

TEST_F(ColorTest, SoftwareSwitchMovesHardwareGammaToSoftware) {
    // A hardware calibration as a canvas would have left it.
    Color::calibrationMode = Color::gammaValueHardware;
    Color::gamma[0] = Color::gamma[1] = Color::gamma[2] = 2.0;
    expectStored(Color(0.25), 0.25, 0.25, 0.25, 1);
    Color::setSoftwareCalibration(true);
    EXPECT_TRUE(Color::preferSoftware);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware);
    EXPECT_EQ(Color::inverseGamma[1], 0.5);
    expectStored(Color(0.25), 0.5, 0.5, 0.5, 1);
    // The move installs converters only; gray is recomputed when gamma values are applied.
    expectStored(Color::gray, 0.5, 0.5, 0.5, 1);
    Color::setSoftwareCalibration(false); // applies the stored values again: software, no canvas
    EXPECT_DOUBLE_EQ(Color::gray.r, std::sqrt(0.5));
}

TEST_F(ColorTest, SoftwareSwitchMovesHardwareTablesToSoftware) {
    Color::setGammaTable(squares(256), squares(256), squares(256));
    Color::setGammaValue(1, 1, 1, Color::gammaValueHardware); // identity in effect
    Color::calibrationMode = Color::gammaTableHardware;
    Color::setSoftwareCalibration(true);
    EXPECT_EQ(Color::calibrationMode, Color::gammaTableSoftware);
    EXPECT_EQ(Color(0.5).r, Color::gammaTable[0][128]);
}

TEST_F(ColorTest, SwitchingSoftwareOffRetriesHardware) {
    Color::setGammaValue(2, 2, 2, Color::gammaValueSoftware);
    Color::setSoftwareCalibration(false);
    EXPECT_FALSE(Color::preferSoftware);
    EXPECT_EQ(Color::calibrationMode, Color::gammaValueSoftware); // no canvas to take it
    Color::strictMatch = true;
    EXPECT_THROW(Color::setSoftwareCalibration(false), Exception);

    Color::strictMatch = false;
    Color::resetCalibration();
    Color::preferSoftware = true;
    Color::setGammaTable({0, 1}, {0, 1}, {0, 1});
    Color::setSoftwareCalibration(false);
    EXPECT_EQ(Color::calibrationMode, Color::gammaTableSoftware);
    EXPECT_EQ(Color::gammaTable[0][51], 0.2);
}

TEST_F(ColorTest, SoftwareSwitchLeavesOtherModesAlone) {
    Color::setSoftwareCalibration(true);
    EXPECT_TRUE(Color::preferSoftware);
    EXPECT_EQ(Color::calibrationMode, Color::noCalibration);
    expectStored(Color(0.25), 0.25, 0.25, 0.25, 1);
    Color::setGammaValue(1, 1, 1, Color::bitsPlusPlus);
    Color::setSoftwareCalibration(false);
    EXPECT_EQ(Color::calibrationMode, Color::bitsPlusPlus);
    EXPECT_EQ(Color(0.5).g, 1.0);
}
