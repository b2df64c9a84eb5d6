#pragma once

#include "display/Drawable.h"

namespace Stimora {

/// Stands in as the drawing target before any canvas exists: every operation refuses with
/// a new Exception (thrown by pointer) "Canvas-dependent function was called before the
/// instantiation of Canvas.". One instance lives for the whole process.
class DrawableDummy : public virtual Drawable {
public:
    /// The process-wide instance.
    static DrawableDummy& instance();

    /// The refusal message.
    static const char* const message;

    ///@{
    /// Refuses: throws the refusal message as a new Exception (by pointer); never returns.
    int getWidth() override;
    int getHeight() override;
    Point getCenter() override;
    DrawableDummy& clear(const Color& color) override;
    DrawableDummy& pix(double x, double y, const Color& color) override;
    DrawableDummy& line(const Line& line, const Stroke& stroke) override;
    DrawableDummy& line(const Line& line, const Color& color) override;
    DrawableDummy& rect(const Rectangle& rectangle, const Stroke& stroke) override;
    DrawableDummy& rect(const Rectangle& rectangle, const Color& color) override;
    DrawableDummy& ellipse(const Ellipse& ellipse, const Stroke& stroke) override;
    DrawableDummy& ellipse(const Ellipse& ellipse, const Color& color) override;
    DrawableDummy& polygon(const Polygon& polygon, const Stroke& stroke) override;
    DrawableDummy& polygon(const Polygon& polygon, const Color& color) override;
    DrawableDummy& polygon(const Polygon& polygon) override;
    DrawableDummy& group(Group& group) override;
    DrawableDummy& image(Image& image, double alpha) override;
    DrawableDummy& image(Image& image, double x, double y) override;
    DrawableDummy& image(Image& image) override;
    DrawableDummy& letters(Letters& letters, const Color& color) override;
    ///@}

    /// Refuses like every other operation; never returns.
    [[noreturn]] virtual void refuse();
};

} // namespace Stimora
