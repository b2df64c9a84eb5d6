#pragma once

#include "base/Point.h"
#include "figures/FigureDatum.h"
#include "figures/Shape.h"

namespace Stimora {

/// A line segment from its datum (the start point) to end, both absolute pixel coordinates.
class Line : public virtual Shape, public virtual FigureDatum {
public:
    /// The end point (absolute).
    Point end;

    /// Both points at the origin.
    Line();
    /// From (x1, y1, 0) to (x2, y2, 0).
    Line(double x1, double y1, double x2, double y2);
    /// From start to end.
    Line(const Point& start, const Point& end);
    ~Line() override;

    /// Moves both ends: from (x1, y1, 0) to (x2, y2, 0).
    Line& set(double x1, double y1, double x2, double y2);
    /// Moves both ends: from start to end.
    Line& set(const Point& start, const Point& end);
    /// The start point (the datum).
    Point getStart() const { return datum; }
    /// The end point.
    Point getEnd() const { return end; }

    /// The start point.
    Point getDatum() const override { return datum; }
    /// Moves the start point only; the end point stays.
    Line& setDatum(const Point& p) override;
    /// Moves the start point only, like setDatum.
    Line& centerAt(const Point& p) override;
    /// Draws the line in opaque white.
    Line& draw(Drawable& target = defaultTarget()) override;
    /// Draws with the stroke's colour, width and pattern.
    Line& draw(const Stroke& stroke, Drawable& target = defaultTarget()) override;
    /// Draws one pixel wide in color.
    Line& draw(const Color& color, Drawable& target = defaultTarget()) override;
};

} // namespace Stimora
