#include <gtest/gtest.h>

#include <cmath>

#include "display/Canvas.h"
#include "math/VisualAngle.h"

using namespace Stimora;

namespace {

const double pi = std::acos(-1.0);
// 52 x 29 cm of 1920 x 1080 pixels at 57 cm: the pixels are not quite square.
const double W = 52.0, H = 29.0, D = 57.0;
const VisualAngle geometry(W, H, D, 1920, 1080, Point(959.5, 539.5));

} // namespace

// Every direction, 0 to 30 degrees: tan(e) x distance on the screen, and back again.
TEST(VisualAngle, FollowsTheFlatScreenExactly) {
    for (double direction = 0.0; direction < 360.0; direction += 22.5)
        for (double e = 0.0; e <= 30.0; e += 0.25) {
            const double c = std::cos(direction * pi / 180), s = std::sin(direction * pi / 180);
            const Point p = geometry.toPixels(e * c, e * s);
            const double r = std::tan(e * pi / 180) * D;
            EXPECT_NEAR(p.x, 959.5 + r * c * 1920 / W, 0.01) << e << " deg at " << direction;
            EXPECT_NEAR(p.y, 539.5 + r * s * 1080 / H, 0.01) << e << " deg at " << direction;
            const Point back = geometry.toPixels(geometry.toDegrees(p).x, geometry.toDegrees(p).y);
            EXPECT_NEAR(back.x, p.x, 1e-9);
            EXPECT_NEAR(back.y, p.y, 1e-9);
            EXPECT_NEAR(geometry.eccentricity(p), e, 1e-9);
        }
    // Linear scaling is off by more than a pixel at 20 degrees.
    EXPECT_GT(geometry.toPixels(20, 0).x - 959.5 - 20 * (pi / 180) * D * 1920 / W, 1.0);
}

namespace {

// The visual angle in degrees between two pixels, from the eye's lines of sight.
double angleBetween(const Point& a, const Point& b) {
    const double ax = (a.x - 959.5) * W / 1920, ay = (a.y - 539.5) * H / 1080;
    const double bx = (b.x - 959.5) * W / 1920, by = (b.y - 539.5) * H / 1080;
    const double dot = ax * bx + ay * by + D * D;
    const double cross = std::sqrt(std::pow(ay * D - D * by, 2) + std::pow(D * bx - ax * D, 2) +
                                   std::pow(ax * by - ay * bx, 2));
    return std::atan2(cross, dot) * 180 / pi;
}

} // namespace

// Local measures agree with the lines of sight, and the canvas's documented sizes are unchanged.
TEST(VisualAngle, LocalScaleAndSpatialFrequency) {
    for (double e : {0.0, 5.0, 20.0}) {
        const Point p = geometry.toPixels(e, 0);
        const double one = geometry.degreesPerPixel(p);
        EXPECT_NEAR(angleBetween(Point(p.x - 0.5, p.y), Point(p.x + 0.5, p.y)), one, 1e-6 * one);
        // 2 cycles/degree: one wavelength along the stripes' normal spans half a degree, both
        // along the radius (0) and across it (90), where the screen magnifies differently.
        for (double orientation : {0.0, 90.0}) {
            const double half = geometry.wavelengthPixels(2.0, p, orientation) / 2;
            const double nx = std::cos(orientation * pi / 180), ny = std::sin(orientation * pi / 180);
            const Point a(p.x - nx * half, p.y - ny * half), b(p.x + nx * half, p.y + ny * half);
            EXPECT_NEAR(angleBetween(a, b), 0.5, 0.0005) << e << " deg, orientation " << orientation;
        }
    }
    Canvas canvas;
    canvas.setGeometry(W, H, D, 1920, 1080);
    for (double size : {1.0, 5.0, 12.5})
        EXPECT_EQ(canvas.degreesToPixelsX(size), static_cast<int>(geometry.sizeToPixels(size)));
}
