#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "CanvasFixture.h"
#include "CountingAllocations.h"
#include "ExpectException.h"
#include "display/Canvas.h"
#include "display/Color.h"
#include "figures/Grating.h"
#include "figures/PatchBatch.h"
#include "figures/ProceduralGabor.h"
#include "figures/QuickGabor.h"

using namespace Stimora;
using namespace Stimora::StimulusTemplate;
using namespace Stimora::Testing;

namespace {

// Run first, on a canvas of its own whose driver (Mesa) is told to offer OpenGL 2.1 with
// GLSL 1.10 (Mesa then reports no GLSL version at all): a patch refuses to be made and says
// what is missing.
TEST(ProceduralGaborWithoutGlsl, ConstructionNamesWhatIsMissing) {
    setenv("STIMORA_SIMULATED_REFRESH", "1000", 1);
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    setenv("MESA_GLSL_VERSION_OVERRIDE", "110", 1);
    {
        std::unique_ptr<Canvas> old = openWindowCanvas(64, 64);
        const Exception e = raised([] { ProceduralGabor gabor(16.0, 10.0, 0.5, 0.0, 0.0); });
        EXPECT_NE(e.message().find("GLSL 1.20"), std::string::npos) << e.message();
        EXPECT_NE(e.message().find("this context has OpenGL 2.1"), std::string::npos) << e.message();
        EXPECT_THROW(Grating(10.0, 10.0), Exception);
    }
    unsetenv("MESA_GL_VERSION_OVERRIDE");
    unsetenv("MESA_GLSL_VERSION_OVERRIDE");
}

class ProceduralGaborDisplayTest : public CanvasFixture {
protected:
    static void SetUpTestSuite() {
        setenv("STIMORA_SIMULATED_REFRESH", "1000", 1);
        CanvasFixture::SetUpTestSuite();
    }
    void SetUp() override {
        CanvasFixture::SetUp();
        Color::resetCalibration();
    }
    void TearDown() override { Color::resetCalibration(); }
};

// The shader's patch against the bar template's, pixel by pixel, on mid-grey. Not judged: pixels
// within a pixel and a half of the bars' disc edge, where a bar's end and the shader's chord
// test may take a pixel centre differently (the window leaves 2% of the difference there), and
// pixels whose centre lies within 0.01 px of a turned bar's edge, which the rasteriser's
// rounding gives to either bar.
TEST_F(ProceduralGaborDisplayTest, MatchesTheBarTemplateWithinOneLevel) {
    const int n = 60, left = 30, top = 20;
    for (double orientation : {0.0, 30.0, 90.0}) {
        for (double phase : {0.0, 90.0}) {
            canvas().clear(Color(0.5));
            QuickGabor(16.0, 10.0, 0.8, orientation, phase).draw(left, top, canvas());
            const std::vector<Rgba> cpu = readPixels(canvas(), left, top, n, n);
            canvas().clear(Color(0.5));
            ProceduralGabor(16.0, 10.0, 0.8, orientation, phase).draw(left, top, canvas());
            const std::vector<Rgba> gpu = readPixels(canvas(), left, top, n, n);
            int judged = 0, worst = 0;
            for (int row = 0; row < n; ++row) {
                for (int col = 0; col < n; ++col) {
                    const double dx = col + 0.125 - 29.0, dy = row + 0.125 - 29.0;
                    const double turn = orientation * std::acos(-1.0) / 180.0;
                    const double across = std::cos(turn) * dx + std::sin(turn) * dy + 29.5;
                    const double tie = std::fabs(across - std::round(across));
                    if (std::fabs(std::hypot(dx, dy) - 29.0) < 1.5 || tie < 0.01)
                        continue;
                    const Rgba& a = cpu[static_cast<std::size_t>(row * n + col)];
                    const Rgba& b = gpu[static_cast<std::size_t>(row * n + col)];
                    worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
                    ++judged;
                }
            }
            EXPECT_LE(worst, 1) << "orientation " << orientation << ", phase " << phase;
            EXPECT_GT(judged, n * n * 8 / 10);
        }
    }
    saveBackBuffer(canvas(), "ProceduralGabor");
}

// Over whole cycles a grating averages to its mean, whatever its phase or profile.
TEST_F(ProceduralGaborDisplayTest, GratingMeanOverCyclesIsTheBackground) {
    const Rgba background = [] {
        canvas().clear(Color(0.5));
        return at(5, 5);
    }();
    for (int profile : {ShaderPatch::sine, ShaderPatch::square}) {
        for (double phase : {0.0, 37.0}) {
            Grating grating(240.0, 4.0, 24.0, 0.9, 0.0, phase);
            grating.setProfile(profile).setDatum(Point(160.0, 100.0, 0.0));
            grating.draw(canvas());
            const std::vector<Rgba> row = readPixels(canvas(), 40, 100, 240, 1);
            double sum = 0.0;
            int lowest = 255;
            for (const Rgba& p : row) {
                sum += p.r;
                lowest = std::min(lowest, int(p.r));
            }
            EXPECT_NEAR(sum / 240.0, background.r, 1.0) << "profile " << profile << ", phase " << phase;
            EXPECT_LT(lowest, 30); // it is modulated
        }
    }
}

// In every software calibration the shader sends what a Color of the same requested
// luminance sends: uniform patches (contrast 0) beside rectangles filled by the CPU path,
// eleven levels per mode, all patches of a mode in one batch.
TEST_F(ProceduralGaborDisplayTest, CalibratedAsColorInEverySoftwareMode) {
    std::vector<double> red, green, blue;
    for (int i = 0; i < 256; ++i) {
        red.push_back(std::pow(i / 255.0, 1 / 2.2));
        green.push_back(std::pow(i / 255.0, 1 / 1.8));
        blue.push_back(0.1 + 0.8 * i / 255.0);
    }
    for (int mode : {Color::gammaValueSoftware, Color::gammaTableSoftware, Color::bitsPlusPlus}) {
        Color::resetCalibration();
        Color::setSoftwareCalibration(true);
        if (mode == Color::gammaTableSoftware)
            Color::setGammaTable(red, green, blue);
        else
            Color::setGammaValue(2.2, 1.8, 2.6, mode);
        ASSERT_EQ(Color::calibrationMode, mode);
        canvas().clear(Color::black);
        PatchBatch batch(11);
        for (int k = 0; k <= 10; ++k) {
            const double level = 0.013 + k * 0.0987;
            Grating flat(10.0, 10.0, 20.0, 0.0);
            flat.setMean(level).setDatum(Point(15.0 + 20 * k, 50.0, 0.0));
            batch.add(flat.patch());
            canvas().rect(box(10.0 + 20 * k, 70.0, 19.0 + 20 * k, 79.0), Color(level, level, level, 1.0));
        }
        batch.draw(canvas());
        for (int k = 0; k <= 10; ++k)
            EXPECT_EQ(at(15 + 20 * k, 50), at(15 + 20 * k, 75)) << "mode " << mode << ", level " << k;
    }
}

// A new phase, orientation, contrast and wavelength at every frame allocate nothing, for one
// patch or a batch, once each has drawn.
TEST_F(ProceduralGaborDisplayTest, FramesWithNewParametersAllocateNothing) {
    ProceduralGabor gabor(16.0, 10.0, 0.5, 0.0, 0.0);
    PatchBatch batch(50);
    for (int i = 0; i < 50; ++i)
        batch.add(gabor.patchAt(i * 5, i * 3));
    gabor.draw(20, 20, canvas());
    batch.draw(canvas());
    allocations = 0;
    countingAllocations = true;
    for (int frame = 1; frame <= 5; ++frame) {
        gabor.setPhase(Angle::fromDegrees(frame * 30.0)).setOrientation(Angle::fromDegrees(frame * 7.0));
        gabor.setContrast(0.1 * frame).setWavelength(Length(8.0 + frame)).draw(20, 20, canvas());
        for (std::size_t i = 0; i < batch.size(); ++i)
            batch.at(i).phase = frame + 0.1 * static_cast<double>(i);
        batch.draw(canvas());
    }
    countingAllocations = false;
    EXPECT_EQ(allocations, 0);
}

} // namespace
