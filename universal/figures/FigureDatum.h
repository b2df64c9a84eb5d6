#pragma once

#include "figures/Figure.h"

namespace Stimora {

/// A figure placed by one point, its datum; that point is both its reference and its centre.
class FigureDatum : public virtual Figure {
public:
    Point datum;

    Point getDatum() const override { return datum; }
    FigureDatum& setDatum(const Point& p) override {
        datum = p;
        return *this;
    }
    FigureDatum& centerAt(const Point& p) override {
        datum = p;
        return *this;
    }
};

} // namespace Stimora
