#pragma once

#include "base/Point.h"
#include "display/Color.h"
#include "figures/Shape.h"

namespace Stimora {

/// A rectangle with inclusive pixel edges: left = 0, right = 99 covers the 100 pixels 0..99
/// (width = |right - left| + 1). It is both the framework's area type and a drawable shape.
class Rectangle : public virtual Shape {
public:
    ///@{
    /// Inclusive pixel edges (left <= right, top <= bottom once set through an operation).
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    ///@}
    /// Fill colour used by draw(target); opaque black by default.
    Color color;

    /// Edges at 0; the caller sets them before use.
    Rectangle();
    /// left = top = 0, right = width - 1, bottom = height - 1; sizes must be positive
    /// (else Exception "SIZE ERROR").
    Rectangle(double width, double height);
    /// Edges stored ordered; right - left and bottom - top must be positive (else "SIZE ERROR").
    Rectangle(double left, double top, double right, double bottom);
    /// Copies the edges and the colour.
    Rectangle(const Rectangle& other);
    /// Copies the edges and the colour.
    Rectangle& operator=(const Rectangle& other);
    ~Rectangle() override;

    /// The centre ((left + right) / 2, (top + bottom) / 2, 0).
    Point getDatum() const override;
    /// Puts the top-left corner at p (keeps the size).
    Rectangle& setDatum(const Point& p) override;
    /// Puts the centre at p (keeps the size).
    Rectangle& centerAt(const Point& p) override;
    /// Fills the rectangle with its own colour.
    Rectangle& draw(Drawable& target = defaultTarget()) override;
    /// Draws the outline loop through the four corner pixels.
    Rectangle& draw(const Stroke& stroke, Drawable& target = defaultTarget()) override;
    /// Fills from (left, top) to (right + 1, bottom + 1) with color.
    Rectangle& draw(const Color& color, Drawable& target = defaultTarget()) override;

    /// Keeps the size and puts the centre at (x, y); z is ignored.
    virtual Rectangle& centerAt(double x, double y, double z = 0.0);
    /// Centres on another figure's datum.
    virtual Rectangle& centerAt(const Figure& figure);
    /// Centres on a drawing target's centre.
    virtual Rectangle& centerAt(Drawable& target);
    /// Keeps the size and puts the top-left corner at (x, y); z is ignored.
    virtual Rectangle& setDatum(double x, double y, double z = 0.0);
    /// Translates by (dx, dy); dz is ignored. The edges stay ordered.
    virtual Rectangle& shift(double dx, double dy, double dz = 0.0);

    /// left = top = 0, right = width - 1, bottom = height - 1; no check.
    Rectangle& set(double width, double height);
    /// Keeps the centre and sets a new size.
    Rectangle& resize(double width, double height);
    /// Stores the edges ordered; no check.
    Rectangle& set(double left, double top, double right, double bottom);
    /// The box spanned by two corner points.
    Rectangle& set(const Point& p1, const Point& p2);
    /// Copies another rectangle's edges, ordered (the colour stays).
    Rectangle& set(const Rectangle& other);
    /// Replaces the colour used by draw(target).
    Rectangle& setColor(const Color& c);

    /// Whether (x, y) lies inside, both edges inclusive.
    bool contains(double x, double y) const;
    /// Whether p lies inside, both edges inclusive (z is ignored).
    bool contains(const Point& p) const;
    /// Whether other lies wholly inside this rectangle.
    bool contains(const Rectangle& other) const;

    /// |right - left| + 1 pixels.
    double getWidth() const;
    /// |bottom - top| + 1 pixels.
    double getHeight() const;
    /// (left + right) / 2.
    double getCenterX() const;
    /// (top + bottom) / 2.
    double getCenterY() const;
    /// (getCenterX(), getCenterY(), 0).
    Point getCenter() const;
    ///@{
    /// One inclusive edge, in pixels.
    double getLeft() const { return left; }
    double getTop() const { return top; }
    double getRight() const { return right; }
    double getBottom() const { return bottom; }
    ///@}

    /// Intersects with other; disjoint rectangles give the ordered box between the crossed edges.
    Rectangle& clipBy(const Rectangle& other);
};

} // namespace Stimora
