#include "figures/Line.h"

#include "display/Color.h"
#include "display/Drawable.h"
#include "figures/Stroke.h"

namespace Stimora {

Line::Line() = default;

Line::Line(double x1, double y1, double x2, double y2) {
    set(x1, y1, x2, y2);
}

Line::Line(const Point& start, const Point& end_) {
    set(start, end_);
}

Line::~Line() = default;

Line& Line::set(double x1, double y1, double x2, double y2) {
    return set(Point(x1, y1, 0.0), Point(x2, y2, 0.0));
}

Line& Line::set(const Point& start, const Point& end_) {
    datum = start;
    end = end_;
    return *this;
}

Line& Line::setDatum(const Point& p) {
    FigureDatum::setDatum(p);
    return *this;
}

Line& Line::centerAt(const Point& p) {
    FigureDatum::centerAt(p);
    return *this;
}

Line& Line::draw(Drawable& target) {
    target.line(*this, Color::white);
    return *this;
}

Line& Line::draw(const Stroke& stroke, Drawable& target) {
    target.line(*this, stroke);
    return *this;
}

Line& Line::draw(const Color& color, Drawable& target) {
    target.line(*this, color);
    return *this;
}

} // namespace Stimora
