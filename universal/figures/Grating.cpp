#include "figures/Grating.h"

#include "APIPatchShader.h"
#include "figures/PatchBatch.h"

namespace Stimora {
namespace StimulusTemplate {

Grating::Grating(double width, double height, double wavelength, double contrast, double orientation,
                 double phase) {
    APIPatchShader::require();
    setSize(width, height);
    parameters.wavelength = wavelength;
    parameters.contrast = contrast;
    parameters.orientation = Angle::fromDegrees(orientation).toRadians();
    parameters.phase = Angle::fromDegrees(phase).toRadians();
}

Grating& Grating::setSize(double width, double height) {
    const Point centre = getDatum();
    parameters.width = width;
    parameters.height = height;
    return setDatum(centre);
}

Grating& Grating::setWavelength(Length length) {
    parameters.wavelength = length.value;
    return *this;
}

Grating& Grating::setOrientation(Angle angle) {
    parameters.orientation = angle.toRadians();
    return *this;
}

Grating& Grating::setPhase(Angle angle) {
    parameters.phase = angle.toRadians();
    return *this;
}

Grating& Grating::setContrast(double contrast) {
    parameters.contrast = contrast;
    return *this;
}

Grating& Grating::setMean(double mean) {
    parameters.mean = mean;
    return *this;
}

Grating& Grating::setProfile(int profile) {
    parameters.profile = profile;
    return *this;
}

Grating& Grating::setAperture(int aperture, double radiusOrSigma, double aspect) {
    parameters.aperture = aperture;
    parameters.radius = radiusOrSigma;
    parameters.sigma = radiusOrSigma;
    parameters.aspect = aspect;
    return *this;
}

Point Grating::getDatum() const {
    return Point(parameters.gratingX, parameters.gratingY, 0.0);
}

Grating& Grating::setDatum(const Point& p) {
    parameters.gratingX = parameters.envelopeX = p.x;
    parameters.gratingY = parameters.envelopeY = p.y;
    parameters.left = p.x - parameters.width * 0.5;
    parameters.top = p.y - parameters.height * 0.5;
    return *this;
}

Grating& Grating::centerAt(const Point& p) {
    return setDatum(p);
}

Grating& Grating::draw(Drawable& target) {
    PatchBatch::draw(&parameters, 1, target);
    return *this;
}

} // namespace StimulusTemplate
} // namespace Stimora
