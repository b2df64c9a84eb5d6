#pragma once

#include "base/Point.h"

namespace Stimora {

/// Visual angle on a flat screen viewed square-on from its centre, with the exact geometry: a
/// point at eccentricity e lies tan(e) x viewing distance from the screen's centre. Positions in
/// degrees are (x, y) components of the eccentricity, centred on the screen's centre, x to the
/// right and y downwards as pixels are: (x, y) lies at eccentricity hypot(x, y) in the direction
/// atan2(y, x). Lengths are in one unit of the caller's choice (a monitor profile uses cm).
class VisualAngle {
public:
    /// An unset geometry: every conversion raises an Exception until one is given.
    VisualAngle() = default;
    /// physicalWidth x physicalHeight of the area holding pixelWidth x pixelHeight pixels, seen
    /// from viewingDistance; centre is the pixel position of the screen's centre (a canvas's
    /// getCenter()). Raises an Exception "ARGUMENT ERROR" for a size or distance not above 0.
    VisualAngle(double physicalWidth, double physicalHeight, double viewingDistance, int pixelWidth,
                int pixelHeight, const Point& centre);

    /// The pixel at the position (xDegrees, yDegrees).
    Point toPixels(double xDegrees, double yDegrees) const;
    /// The position in degrees (x, y components of the eccentricity; z 0) of a pixel.
    Point toDegrees(const Point& pixel) const;
    /// Eccentricity in degrees of a pixel.
    double eccentricity(const Point& pixel) const;

    /// Pixels spanned along the radius by an extent of sizeDegrees centred at
    /// eccentricityDegrees (horizontal pixels); at 0 this is 2 tan(size / 2) x distance.
    double sizeToPixels(double sizeDegrees, double eccentricityDegrees = 0.0) const;
    /// Degrees of visual angle covered by one pixel along the radius at a pixel's place
    /// (horizontally at the centre).
    double degreesPerPixel(const Point& pixel) const;
    /// Pixels per cycle of a grating of cyclesPerDegree at a pixel's place whose stripes' normal
    /// points orientationDegrees clockwise from the x axis: the on-screen wavelength that gives
    /// that spatial frequency there, the radial and tangential magnification of the flat screen
    /// both taken into account.
    double wavelengthPixels(double cyclesPerDegree, const Point& position,
                            double orientationDegrees = 0.0) const;

    /// Horizontal pixels of a length.
    double lengthToPixelsX(double length) const;
    /// Vertical pixels of a length.
    double lengthToPixelsY(double length) const;
    /// Length of a horizontal run of pixels.
    double pixelsToLengthX(double pixels) const;
    /// Length of a vertical run of pixels.
    double pixelsToLengthY(double pixels) const;

    /// The viewing distance.
    double viewingDistance() const { return distance; }
    /// The screen's centre in pixels.
    const Point& centre() const { return middle; }

private:
    void requireSet() const;
    /// Pixels per length unit along the unit direction (ux, uy).
    double density(double ux, double uy) const;

    double perLengthX = 0.0, perLengthY = 0.0, distance = 0.0;
    Point middle;
};

} // namespace Stimora
