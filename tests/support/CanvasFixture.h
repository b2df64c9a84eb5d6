#pragma once

// Display tests: a canvas on the virtual X display and the back buffer read back as bytes.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "display/Canvas.h"
#include "figures/Rectangle.h"

namespace Stimora::Testing {

/// One pixel as the back buffer holds it: red, green, blue, alpha bytes.
struct Rgba {
    unsigned char r = 0, g = 0, b = 0, a = 0;

    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Rgba& o) const { return !(*this == o); }
    /// Same colour, alpha ignored.
    bool sameColor(const Rgba& o) const { return r == o.r && g == o.g && b == o.b; }
    /// Any of red, green, blue above 0.
    bool lit() const { return r || g || b; }
};
std::ostream& operator<<(std::ostream& out, const Rgba& p);

/// A window canvas of width x height pixels on the primary display.
std::unique_ptr<Canvas> openWindowCanvas(int width = 320, int height = 240);
/// A full-screen canvas at the primary display's current mode.
std::unique_ptr<Canvas> openFullScreenCanvas();

/// The pixel at canvas (x, y), y downwards, of the back buffer (or Canvas::front).
Rgba readPixel(Canvas& canvas, int x, int y, int buffer = Canvas::back);
/// The pixels of a width x height area at (left, top), top row first, of the back buffer
/// (or Canvas::front: what was drawn into it directly, such as the progress bar). llvmpipe
/// swaps by copying, so right after a flip the back buffer holds the frame just shown.
std::vector<Rgba> readPixels(Canvas& canvas, int left, int top, int width, int height,
                             int buffer = Canvas::back);
/// Number of pixels of the area whose colour (alpha ignored) is color.
int countPixels(Canvas& canvas, int left, int top, int width, int height, const Rgba& color);
/// Number of pixels of the area with any colour above black.
int countLit(Canvas& canvas, int left, int top, int width, int height);

/// Writes the back buffer as a PNG named name + ".png" into $STIMORA_TEST_OUTPUT
/// (the current directory when unset); returns the path written, empty on failure.
std::string saveBackBuffer(Canvas& canvas, const std::string& name);

/// A rectangle by its inclusive edges, in pixels; one row or column is allowed (the
/// constructor refuses those).
Rectangle box(double left, double top, double right, double bottom);

/// A test suite sharing one window canvas; every test starts on a black back buffer.
class CanvasFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    /// The shared canvas (320 x 240 window).
    static Canvas& canvas();
    /// readPixel on the shared canvas.
    static Rgba at(int x, int y) { return readPixel(canvas(), x, y); }

private:
    static std::unique_ptr<Canvas> shared;
};

} // namespace Stimora::Testing
