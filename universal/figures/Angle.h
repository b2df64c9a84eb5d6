#pragma once

namespace Stimora {

/// An angle, held in tenths of a degree (so that whole and half degrees are exact).
class Angle {
public:
    /// Tenths of a degree.
    double value = 0.0;

    /// An angle of tenths tenths of a degree.
    constexpr explicit Angle(double tenths = 0.0) : value(tenths) {}
    /// From degrees: value = degrees x 10.
    static Angle fromDegrees(double degrees);
    /// From radians: value = radians x 1800 / pi.
    static Angle fromRadians(double radians);
    /// value / 10.
    double toDegrees() const;
    /// value x pi / 1800.
    double toRadians() const;
    /// Degrees brought into [0, 360).
    double normalizedDegrees() const;
    /// Exact comparison of the tenths.
    constexpr bool operator==(const Angle& o) const { return value == o.value; }
    /// Not ==.
    constexpr bool operator!=(const Angle& o) const { return value != o.value; }
};

} // namespace Stimora
