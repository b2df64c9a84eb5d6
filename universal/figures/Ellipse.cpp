#include "figures/Ellipse.h"

#include "display/Color.h"
#include "display/Drawable.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"

namespace Stimora {

Ellipse::Ellipse() = default;

Ellipse::Ellipse(double width_, double height_, const Point& centre) {
    set(width_, height_, centre);
}

Ellipse::Ellipse(const Rectangle& rect) {
    set(rect);
}

Ellipse::~Ellipse() = default;

Ellipse& Ellipse::set(double width_, double height_, const Point& centre) {
    width = width_;
    // A negative height asks for a circle.
    height = height_ < 0.0 ? width_ : height_;
    datum = centre;
    return *this;
}

Ellipse& Ellipse::set(const Rectangle& rect) {
    datum = rect.getDatum();
    width = rect.getWidth();
    height = rect.getHeight();
    return *this;
}

Ellipse& Ellipse::setDatum(const Point& p) {
    FigureDatum::setDatum(p);
    return *this;
}

Ellipse& Ellipse::centerAt(const Point& p) {
    FigureDatum::centerAt(p);
    return *this;
}

Ellipse& Ellipse::draw(Drawable& target) {
    target.ellipse(*this, Color::white);
    return *this;
}

Ellipse& Ellipse::draw(const Stroke& stroke, Drawable& target) {
    target.ellipse(*this, stroke);
    return *this;
}

Ellipse& Ellipse::draw(const Color& color, Drawable& target) {
    target.ellipse(*this, color);
    return *this;
}

} // namespace Stimora
