#pragma once

#include "base/Point.h"
#include "display/Drawable.h"

namespace Stimora {

class Group;

/// Everything that can be placed and drawn. A figure never issues graphics calls: it hands
/// itself to a Drawable, which draws it (double dispatch). Figure is always a virtual base.
/// Overrides return the most derived type so that calls chain.
class Figure {
public:
    virtual ~Figure() = default;
    /// The figure's reference point.
    virtual Point getDatum() const = 0;
    /// Moves the figure so that its reference point is at p.
    virtual Figure& setDatum(const Point& p) = 0;
    /// Moves the figure so that its centre is at p.
    virtual Figure& centerAt(const Point& p) = 0;
    /// Draws on target; without a target, on the default drawing target.
    virtual Figure& draw(Drawable& target = defaultTarget()) = 0;

    /// Appends this figure to a group (not owned by it).
    Figure& appendTo(Group& group);
};

} // namespace Stimora
