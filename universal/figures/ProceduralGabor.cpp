#include "figures/ProceduralGabor.h"

#include "APIPatchShader.h"
#include "figures/PatchBatch.h"

namespace Stimora {
namespace StimulusTemplate {

ProceduralGabor::ProceduralGabor() {
    APIPatchShader::require();
}

ProceduralGabor::ProceduralGabor(double wavelength_, double sigma_, double contrast_, double orientation_,
                                 double phase_) {
    APIPatchShader::require();
    set(wavelength_, sigma_, contrast_, orientation_, phase_);
}

ProceduralGabor::ProceduralGabor(Length wavelength_, Length sigma_, double contrast_, Angle orientation_,
                                 Angle phase_) {
    APIPatchShader::require();
    set(wavelength_, sigma_, contrast_, orientation_, phase_);
}

ProceduralGabor& ProceduralGabor::set(Length wavelength_, Length sigma_, double contrast_, Angle orientation_,
                                      Angle phase_) {
    wavelength = wavelength_;
    contrast = contrast_;
    orientation = orientation_;
    phase = phase_;
    x = 0.0;
    y = 0.0;
    return setSigma(sigma_.value);
}

ProceduralGabor& ProceduralGabor::set(double wavelength_, double sigma_, double contrast_,
                                      double orientation_, double phase_) {
    return set(Length(wavelength_), Length(sigma_), contrast_, Angle::fromDegrees(orientation_),
               Angle::fromDegrees(phase_));
}

ProceduralGabor& ProceduralGabor::setContrast(double value) {
    Gabor::setContrast(value);
    return *this;
}

ProceduralGabor& ProceduralGabor::setWavelength(Length length) {
    Gabor::setWavelength(length);
    return *this;
}

ProceduralGabor& ProceduralGabor::setOrientation(Angle angle) {
    Gabor::setOrientation(angle);
    return *this;
}

ProceduralGabor& ProceduralGabor::setPhase(Angle angle) {
    Gabor::setPhase(angle);
    return *this;
}

ProceduralGabor& ProceduralGabor::setSigma(double value) {
    sigma = value;
    width = height = static_cast<int>(sigma * 6.0);
    return *this;
}

ProceduralGabor& ProceduralGabor::setAspect(double value) {
    aspect = value;
    return *this;
}

ProceduralGabor& ProceduralGabor::setProfile(int value) {
    profile = value;
    return *this;
}

ProceduralGabor& ProceduralGabor::setAperture(int value) {
    aperture = value;
    return *this;
}

ProceduralGabor& ProceduralGabor::setMean(double value) {
    mean = value;
    return *this;
}

ProceduralGabor& ProceduralGabor::shift(double dx, double dy, double) {
    x += dx;
    y += dy;
    return *this;
}

ProceduralGabor& ProceduralGabor::centerAt(Drawable& target) {
    const Point c = target.getCenter();
    return centerAt(c.x, c.y, 0.0);
}

ProceduralGabor& ProceduralGabor::centerAt(double cx, double cy, double) {
    x = cx - width * 0.5;
    y = cy - height * 0.5;
    return *this;
}

ProceduralGabor& ProceduralGabor::setDatum(const Point& p) {
    return centerAt(p.x, p.y, 0.0);
}

ProceduralGabor& ProceduralGabor::centerAt(const Point& p) {
    return centerAt(p.x, p.y, 0.0);
}

ProceduralGabor& ProceduralGabor::draw(Drawable& target) {
    return draw(static_cast<int>(x), static_cast<int>(y), target);
}

ProceduralGabor& ProceduralGabor::draw(int px, int py, Drawable& target) {
    if (width < 5)
        return *this; // as the bar template: no bar fits
    const ShaderPatch p = patchAt(px, py);
    PatchBatch::draw(&p, 1, target);
    return *this;
}

ShaderPatch ProceduralGabor::patchAt(int px, int py) const {
    // The bar template's geometry: bars turn about (c, c) from the corner, the window is
    // centred on pixel (n / 2, n / 2), bars 1 to n - 4 tile the disc of radius c.
    const int n = width;
    const int c = n / 2 - 1;
    ShaderPatch p;
    p.left = px;
    p.top = py;
    p.width = p.height = n;
    p.gratingX = px + c;
    p.gratingY = py + c;
    p.envelopeX = px + n / 2;
    p.envelopeY = py + n / 2;
    p.wavelength = wavelength.value;
    p.phase = phase.toRadians();
    p.orientation = orientation.toRadians();
    p.contrast = contrast;
    p.sigma = sigma;
    p.aspect = aspect;
    p.mean = mean;
    p.radius = c;
    p.profile = profile;
    p.aperture = aperture;
    p.lastBar = n - 4;
    p.barRadius = c;
    return p;
}

} // namespace StimulusTemplate
} // namespace Stimora
