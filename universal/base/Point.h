#pragma once

namespace Stimora {

/// A point in drawing-target pixels (origin top left, y downwards); z is carried along.
struct Point {
    /// Horizontal position in pixels, from the left.
    double x = 0.0;
    /// Vertical position in pixels, downwards from the top.
    double y = 0.0;
    /// Depth, handed to OpenGL by polygons and text; the projection shows only -1..1 (0 for flat drawing).
    double z = 0.0;

    /// The origin (0, 0, 0).
    Point() = default;
    /// The point (x_, y_, z_).
    Point(double x_, double y_, double z_ = 0.0) : x(x_), y(y_), z(z_) {}

    /// Exact comparison of the three coordinates.
    bool operator==(const Point& o) const { return x == o.x && y == o.y && z == o.z; }
    /// Not ==.
    bool operator!=(const Point& o) const { return !(*this == o); }
};

} // namespace Stimora
