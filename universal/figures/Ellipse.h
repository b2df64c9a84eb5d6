#pragma once

#include "base/Point.h"
#include "figures/FigureDatum.h"
#include "figures/Shape.h"

namespace Stimora {

class Rectangle;

/// An ellipse of full extents width x height (pixels) centred on its datum.
class Ellipse : public virtual Shape, public virtual FigureDatum {
public:
    /// Full horizontal extent in pixels.
    double width = 0.0;
    /// Full vertical extent in pixels.
    double height = 0.0;

    /// Size and centre all zero.
    Ellipse();
    /// A negative height makes a circle (height = width); other values are stored as given.
    Ellipse(double width, double height, const Point& centre = Point());
    /// Inscribed in a rectangle: its centre, width and height.
    explicit Ellipse(const Rectangle& rect);
    ~Ellipse() override;

    /// As Ellipse(width, height, centre): a negative height makes a circle.
    Ellipse& set(double width, double height, const Point& centre = Point());
    /// As Ellipse(rect): the rectangle's centre, width and height.
    Ellipse& set(const Rectangle& rect);

    /// The centre.
    Point getDatum() const override { return datum; }
    /// Moves the centre.
    Ellipse& setDatum(const Point& p) override;
    /// Moves the centre.
    Ellipse& centerAt(const Point& p) override;
    /// Fills in opaque white.
    Ellipse& draw(Drawable& target = defaultTarget()) override;
    Ellipse& draw(const Stroke& stroke, Drawable& target = defaultTarget()) override;
    Ellipse& draw(const Color& color, Drawable& target = defaultTarget()) override;
};

} // namespace Stimora
