#pragma once

#include <type_traits>
#include <utility>

#include "display/Color.h"
#include "figures/Shape.h"
#include "figures/Stroke.h"

namespace Stimora {

/// A shape T (Rectangle or Letters) with its own fill colour and outline. Fresh from a
/// constructor both are null, so it draws nothing until the user assigns fill or stroke.
template <class T> class Shape::Colored : public T {
public:
    /// Fill colour; skipped when its alpha is 0.
    Color fill;
    /// Outline drawn over the fill; skipped when its width is 0.
    Stroke stroke;

    /// Forwards the arguments to T's constructor.
    template <class... Args,
              class = std::enable_if_t<!(sizeof...(Args) == 1 &&
                                         (std::is_same_v<std::decay_t<Args>, Colored> && ...))>>
    Colored(Args&&... args) : T(std::forward<Args>(args)...), fill(Color::null), stroke(Stroke::null) {}
    /// Copies the shape with its fill and outline.
    Colored(const Colored&) = default;
    /// Copies the shape with its fill and outline.
    Colored& operator=(const Colored&) = default;

    using T::draw;
    /// Fill first, outline on top.
    Colored& draw(Drawable& target = defaultTarget()) override {
        if (fill.a != 0.0)
            T::draw(fill, target);
        if (stroke.width != 0.0)
            T::draw(stroke, target);
        return *this;
    }
};

} // namespace Stimora
