#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CanvasFixture.h"
#include "display/Canvas.h"
#include "figures/QuickGabor.h"

using namespace Stimora;
using namespace Stimora::StimulusTemplate;
using namespace Stimora::Testing;

namespace {

const double pi = std::acos(-1.0);

/// The 8-bit level the canvas stores for a component.
double level(double c) {
    return std::nearbyint(c * 255.0);
}

/// Checks a sigma-10 patch (N = 60) drawn at (left, top) against the documented luminance:
/// bar i (grey 0.5 + 0.5 contrast sin(2 pi i / wavelength + phase)) covers pixel column
/// left + i (or row top + i when turned by 90 degrees) over the chord of the disc of radius 29,
/// and the window, grey 0.5 with alpha 1 - exp(-d^2 / 2 sigma^2) about pixel (30, 30) of the
/// patch, is blended over it. Pixels within a pixel of a chord's end are not judged.
int checkPatch(Canvas& canvas, int left, int top, double wavelength, double contrast, double phaseDegrees,
               bool turned, double background) {
    const int n = 60;
    const double r = 29.0;
    const double sigma = 10.0;
    const std::vector<Rgba> shown = readPixels(canvas, left, top, n, n);
    int judged = 0;
    for (int row = 0; row < n; ++row) {
        for (int col = 0; col < n; ++col) {
            const int along = turned ? row : col;
            const int across = turned ? col : row;
            double under = background;
            if (along >= 1 && along <= n - 4) {
                const double d = along - r;
                const double f = std::sqrt(std::max(r * r - d * d, 0.0));
                const double offset = across + 0.125 - r; // pixel centre, relative to the disc's centre
                if (std::fabs(std::fabs(offset) - f) < 1.0) {
                    continue;
                }
                if (offset >= -f && offset < f) {
                    under =
                        level(0.5 + 0.5 * contrast *
                                        std::sin(2.0 * pi * along / wavelength + phaseDegrees * pi / 180.0));
                }
            }
            const double dx = col - 30.0;
            const double dy = row - 30.0;
            const double alpha = 1.0 - std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
            // The window texture holds 8-bit grey and alpha; the blend is then exact up to its rounding.
            const double a = level(alpha) / 255.0;
            const double expected = level(0.5) * a + under * (1.0 - a);
            const Rgba& p = shown[static_cast<std::size_t>(row) * n + col];
            EXPECT_LE(std::fabs(p.r - expected), 1.0) << "pixel " << col << "," << row << ": " << p;
            EXPECT_EQ(p.r, p.g);
            EXPECT_EQ(p.r, p.b);
            ++judged;
        }
    }
    return judged;
}

} // namespace

using QuickGaborDisplay = CanvasFixture;

TEST_F(QuickGaborDisplay, PixelsFollowTheLuminanceFormula) {
    canvas().clear(Color(0.5));
    QuickGabor patch(16.0, 10.0, 1.0, 0.0, 0.0);
    patch.draw(100, 60, canvas());
    EXPECT_GT(checkPatch(canvas(), 100, 60, 16.0, 1.0, 0.0, false, 128.0), 3000);
    // Outside the patch the background is untouched.
    EXPECT_TRUE(at(99, 90).sameColor(Rgba{128, 128, 128, 255}));
    EXPECT_TRUE(at(160, 90).sameColor(Rgba{128, 128, 128, 255}));
}

TEST_F(QuickGaborDisplay, ContrastAndPhaseEnterTheFormula) {
    canvas().clear(Color(0.5));
    QuickGabor patch(11.0, 10.0, 0.4, 0.0, 60.0);
    patch.draw(20, 30, canvas());
    EXPECT_GT(checkPatch(canvas(), 20, 30, 11.0, 0.4, 60.0, false, 128.0), 3000);
}

TEST_F(QuickGaborDisplay, OrientationTurnsTheGratingClockwise) {
    canvas().clear(Color(0.5));
    QuickGabor patch(16.0, 10.0, 1.0, 90.0, 0.0);
    patch.draw(100, 60, canvas());
    EXPECT_GT(checkPatch(canvas(), 100, 60, 16.0, 1.0, 0.0, true, 128.0), 3000);
}

TEST_F(QuickGaborDisplay, PatchesOfOneSigmaLookAlikeAnywhere) {
    canvas().clear(Color(0.5));
    QuickGabor a(12.0, 10.0, 0.8, 0.0, 45.0);
    QuickGabor b(12.0, 10.0, 0.8, 0.0, 45.0);
    ASSERT_EQ(a.getRenderer(), b.getRenderer());
    a.draw(10, 10, canvas());
    b.centerAt(200, 150, 0);
    b.draw(canvas()); // corner (170, 120)
    const std::vector<Rgba> first = readPixels(canvas(), 10, 10, 60, 60);
    const std::vector<Rgba> second = readPixels(canvas(), 170, 120, 60, 60);
    int different = 0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        different += first[i].sameColor(second[i]) ? 0 : 1;
    }
    EXPECT_EQ(different, 0);
}

TEST_F(QuickGaborDisplay, WavelengthZeroAndTinySigmaDrawNothing) {
    canvas().clear(Color(0.5));
    QuickGabor flat(0.0, 10.0, 1.0, 0.0, 0.0);
    flat.draw(10, 10, canvas());
    QuickGabor tiny(8.0, 0.7, 1.0, 0.0, 0.0);
    tiny.draw(100, 100, canvas());
    EXPECT_EQ(countPixels(canvas(), 0, 0, 320, 240, Rgba{128, 128, 128, 255}), 320 * 240);
}
