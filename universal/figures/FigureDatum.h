#pragma once

#include "figures/Figure.h"

namespace Stimora {

/// A figure placed by one point, its datum; that point is both its reference and its centre.
class FigureDatum : public virtual Figure {
public:
    /// The figure's place and centre, in pixels.
    Point datum;

    /// The datum.
    Point getDatum() const override { return datum; }
    /// Moves the figure: the datum becomes p.
    FigureDatum& setDatum(const Point& p) override {
        datum = p;
        return *this;
    }
    /// Centres the figure on p: the datum becomes p, as setDatum() does.
    FigureDatum& centerAt(const Point& p) override {
        datum = p;
        return *this;
    }
};

} // namespace Stimora
