#include "figures/Angle.h"

#include <cmath>

namespace Stimora {

namespace {
const double pi = std::acos(-1.0);
} // namespace

Angle Angle::fromDegrees(double degrees) {
    return Angle(degrees * 10.0);
}

Angle Angle::fromRadians(double radians) {
    return Angle(radians * 1800.0 / pi);
}

double Angle::toDegrees() const {
    return value / 10.0;
}

double Angle::toRadians() const {
    return value * pi / 1800.0;
}

double Angle::normalizedDegrees() const {
    return (value - std::floor(value / 3600.0) * 3600.0) / 10.0;
}

} // namespace Stimora
