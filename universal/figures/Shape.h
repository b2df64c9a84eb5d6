#pragma once

#include "figures/Figure.h"

namespace Stimora {

class Color;
class Stroke;

/// A geometric figure that can be outlined with a Stroke or filled with a Color.
/// A shape never issues graphics calls; it hands itself to the matching Drawable operation.
class Shape : public virtual Figure {
public:
    /// A shape T with its own fill colour and outline (defined in figures/Colored.h).
    template <class T> class Colored;

    ~Shape() override = default;

    /// Draws the shape in its default way on target.
    Shape& draw(Drawable& target = defaultTarget()) override = 0;
    /// Draws the outline with a stroke on target.
    virtual Shape& draw(const Stroke& stroke, Drawable& target = defaultTarget()) = 0;
    /// Draws the shape filled with a colour on target.
    virtual Shape& draw(const Color& color, Drawable& target = defaultTarget()) = 0;
};

} // namespace Stimora
