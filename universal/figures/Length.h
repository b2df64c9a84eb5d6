#pragma once

namespace Stimora {

/// A length on the drawing target, in pixels. A unit-carrying value so that stimulus
/// parameters say what they measure.
class Length {
public:
    /// Pixel count.
    double value = 0.0;

    /// A length of pixels pixels.
    constexpr explicit Length(double pixels = 0.0) : value(pixels) {}
    /// The length in pixels.
    constexpr double getPixels() const { return value; }
    /// Exact comparison of the pixel counts.
    constexpr bool operator==(const Length& o) const { return value == o.value; }
    /// Not ==.
    constexpr bool operator!=(const Length& o) const { return value != o.value; }
};

} // namespace Stimora
