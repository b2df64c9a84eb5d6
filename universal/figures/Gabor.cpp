#include "figures/Gabor.h"

namespace Stimora {
namespace StimulusTemplate {

Gabor::~Gabor() = default;

Gabor& Gabor::setContrast(double value) {
    contrast = value;
    return *this;
}

Gabor& Gabor::setWavelength(Length length) {
    wavelength = length;
    return *this;
}

Gabor& Gabor::setOrientation(Angle angle) {
    orientation = angle;
    return *this;
}

Gabor& Gabor::setPhase(Angle angle) {
    phase = angle;
    return *this;
}

Point Gabor::getDatum() const {
    return Point(x + width * 0.5, y + height * 0.5, 0.0);
}

} // namespace StimulusTemplate
} // namespace Stimora
