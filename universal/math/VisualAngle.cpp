#include "math/VisualAngle.h"

#include <cmath>
#include <typeinfo>

#include "base/Exception.h"

namespace Stimora {

namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

} // namespace

VisualAngle::VisualAngle(double physicalWidth, double physicalHeight, double viewingDistance, int pixelWidth,
                         int pixelHeight, const Point& centre)
    : middle(centre.x, centre.y) {
    if (!(physicalWidth > 0.0) || !(physicalHeight > 0.0) || !(viewingDistance > 0.0) || pixelWidth < 1 ||
        pixelHeight < 1 || !std::isfinite(physicalWidth + physicalHeight + viewingDistance))
        throw Exception(typeid(VisualAngle), "ARGUMENT ERROR",
                        "VisualAngle: screen size, pixel size and viewing distance must be above 0.");
    perLengthX = pixelWidth / physicalWidth;
    perLengthY = pixelHeight / physicalHeight;
    distance = viewingDistance;
}

void VisualAngle::requireSet() const {
    if (distance <= 0.0)
        throw Exception(typeid(VisualAngle), "ARGUMENT ERROR",
                        "VisualAngle: no screen geometry (size and viewing distance) was given.");
}

double VisualAngle::density(double ux, double uy) const {
    return std::hypot(ux * perLengthX, uy * perLengthY);
}

Point VisualAngle::toPixels(double xDegrees, double yDegrees) const {
    requireSet();
    const double e = std::hypot(xDegrees, yDegrees);
    if (e == 0.0)
        return middle;
    // On screen the point lies tan(e) x distance from the centre, in the direction of (x, y).
    const double r = std::tan(e * radiansPerDegree) * distance;
    return Point(middle.x + r * xDegrees / e * perLengthX, middle.y + r * yDegrees / e * perLengthY);
}

Point VisualAngle::toDegrees(const Point& pixel) const {
    requireSet();
    const double dx = (pixel.x - middle.x) / perLengthX, dy = (pixel.y - middle.y) / perLengthY;
    const double r = std::hypot(dx, dy);
    if (r == 0.0)
        return Point();
    const double e = std::atan2(r, distance) / radiansPerDegree;
    return Point(e * dx / r, e * dy / r);
}

double VisualAngle::eccentricity(const Point& pixel) const {
    const Point p = toDegrees(pixel);
    return std::hypot(p.x, p.y);
}

double VisualAngle::sizeToPixels(double sizeDegrees, double eccentricityDegrees) const {
    requireSet();
    const double near = (eccentricityDegrees - sizeDegrees / 2.0) * radiansPerDegree;
    const double far = (eccentricityDegrees + sizeDegrees / 2.0) * radiansPerDegree;
    return (std::tan(far) - std::tan(near)) * distance * perLengthX;
}

double VisualAngle::degreesPerPixel(const Point& pixel) const {
    requireSet();
    const double dx = (pixel.x - middle.x) / perLengthX, dy = (pixel.y - middle.y) / perLengthY;
    const double r = std::hypot(dx, dy);
    const double ux = r > 0.0 ? dx / r : 1.0, uy = r > 0.0 ? dy / r : 0.0;
    // d(eccentricity) / d(radius) = distance / (distance² + radius²), per length unit.
    const double perLength = distance / (distance * distance + r * r);
    return perLength / density(ux, uy) / radiansPerDegree;
}

double VisualAngle::wavelengthPixels(double cyclesPerDegree, const Point& position,
                                     double orientationDegrees) const {
    requireSet();
    if (!(cyclesPerDegree > 0.0))
        throw Exception(typeid(VisualAngle), "ARGUMENT ERROR",
                        "VisualAngle::wavelengthPixels: the spatial frequency must be above 0.");
    // The normal's direction on the screen, in length units (pixels need not be square).
    const double px = std::cos(orientationDegrees * radiansPerDegree) / perLengthX;
    const double py = std::sin(orientationDegrees * radiansPerDegree) / perLengthY;
    const double nx = px / std::hypot(px, py), ny = py / std::hypot(px, py);
    const double dx = (position.x - middle.x) / perLengthX, dy = (position.y - middle.y) / perLengthY;
    const double r = std::hypot(dx, dy);
    // The screen magnifies the visual field by distance / cos²(e) along the radius and by
    // distance / cos(e) across it; the grating's normal splits between the two.
    const double cosE = distance / std::hypot(distance, r);
    const double radial = r > 0.0 ? (nx * dx + ny * dy) / r : 1.0;
    const double tangential2 = 1.0 - radial * radial;
    const double stretch = std::sqrt(radial * radial / std::pow(cosE, 4) + tangential2 / (cosE * cosE));
    const double cyclesPerRadian = cyclesPerDegree / radiansPerDegree;
    // Length per cycle along the normal, then pixels along it.
    const double length = distance * stretch / cyclesPerRadian;
    return length * density(nx, ny);
}

double VisualAngle::lengthToPixelsX(double length) const {
    requireSet();
    return length * perLengthX;
}

double VisualAngle::lengthToPixelsY(double length) const {
    requireSet();
    return length * perLengthY;
}

double VisualAngle::pixelsToLengthX(double pixels) const {
    requireSet();
    return pixels / perLengthX;
}

double VisualAngle::pixelsToLengthY(double pixels) const {
    requireSet();
    return pixels / perLengthY;
}

} // namespace Stimora
