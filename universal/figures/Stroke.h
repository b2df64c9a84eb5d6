#pragma once

#include <cstdint>

#include "display/Color.h"

namespace Stimora {

/// An outline style: colour, line width in pixels and a 16-bit line-stipple pattern
/// (bit 0 first; 0xFFFF is a solid line).
class Stroke {
public:
    /// Colour of the line.
    Color color;
    /// Line width in pixels; a width of 0 marks a stroke that draws nothing.
    double width;
    /// Stipple pattern, bit 0 first, each bit stretched over width pixels (rounded); 0xFFFF is solid.
    uint16_t pattern;

    /// Opaque white (all four stored components 1), width 1, solid.
    constexpr Stroke() : color(Color::raw, 1.0, 1.0, 1.0, 1.0), width(1.0), pattern(0xFFFF) {}
    /// A stroke of the given colour, width in pixels and stipple pattern.
    constexpr Stroke(const Color& color_, double width_ = 1.0, uint16_t pattern_ = 0xFFFF)
        : color(color_), width(width_), pattern(pattern_) {}

    /// Exact comparison of colour, width and pattern.
    bool operator==(const Stroke& o) const {
        return color == o.color && width == o.width && pattern == o.pattern;
    }
    /// Not ==.
    bool operator!=(const Stroke& o) const { return !(*this == o); }

    /// The null stroke: null colour, width 0, solid pattern.
    static const Stroke null;
};

} // namespace Stimora
