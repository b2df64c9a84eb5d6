#include "figures/Polygon.h"

#include "display/Drawable.h"

namespace Stimora {

Polygon::Polygon() = default;

Polygon::~Polygon() = default;

Polygon& Polygon::append(const Point& p) {
    vertices.push_back(p);
    return *this;
}

Polygon& Polygon::append(double x, double y, double z) {
    return append(Point(x, y, z));
}

Polygon& Polygon::clear() {
    vertices.clear();
    return *this;
}

Polygon& Polygon::setDatum(const Point& p) {
    FigureDatum::setDatum(p);
    return *this;
}

Polygon& Polygon::centerAt(const Point& p) {
    FigureDatum::centerAt(p);
    return *this;
}

// An empty polygon is still handed over: the target draws nothing for it.
Polygon& Polygon::draw(Drawable& target) {
    target.polygon(*this);
    return *this;
}

Polygon& Polygon::draw(const Stroke& stroke, Drawable& target) {
    target.polygon(*this, stroke);
    return *this;
}

Polygon& Polygon::draw(const Color& color, Drawable& target) {
    target.polygon(*this, color);
    return *this;
}

} // namespace Stimora
