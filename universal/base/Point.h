#pragma once

namespace Stimora {

/// A point in drawing-target pixels (origin top left, y downwards); z is carried along.
struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Point() = default;
    Point(double x_, double y_, double z_ = 0.0) : x(x_), y(y_), z(z_) {}

    bool operator==(const Point& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Point& o) const { return !(*this == o); }
};

} // namespace Stimora
