#pragma once

#include <vector>

#include "base/Point.h"
#include "figures/FigureDatum.h"
#include "figures/Shape.h"

namespace Stimora {

/// A filled polygon: vertices relative to the datum, which translates the whole polygon.
class Polygon : public virtual Shape, public virtual FigureDatum {
public:
    /// Vertices in order, relative to the datum; owned.
    std::vector<Point> vertices;

    /// No vertices; an empty polygon draws nothing.
    Polygon();
    ~Polygon() override;

    /// Adds a vertex (relative to the datum) at the end.
    Polygon& append(const Point& p);
    /// Adds the vertex (x, y, z) (relative to the datum) at the end.
    Polygon& append(double x, double y, double z = 0.0);
    /// Whether the polygon has no vertex.
    bool empty() const { return vertices.empty(); }
    /// Removes every vertex.
    Polygon& clear();

    /// The translation applied when drawing.
    Point getDatum() const override { return datum; }
    /// Moves the whole polygon.
    Polygon& setDatum(const Point& p) override;
    /// Moves the whole polygon.
    Polygon& centerAt(const Point& p) override;
    /// Fills with the target's current colour.
    Polygon& draw(Drawable& target = defaultTarget()) override;
    Polygon& draw(const Stroke& stroke, Drawable& target = defaultTarget()) override;
    Polygon& draw(const Color& color, Drawable& target = defaultTarget()) override;
};

} // namespace Stimora
