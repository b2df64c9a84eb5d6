#pragma once

#include "base/ShaderPatch.h"
#include "figures/Angle.h"
#include "figures/Figure.h"
#include "figures/Length.h"

namespace Stimora {
namespace StimulusTemplate {

/// A luminance grating computed per pixel by the graphics card (OpenGL 2.1, GLSL 1.20):
/// width x height pixels centred on its datum, mean luminance modulated by contrast along one
/// direction, seen through no aperture (the whole rectangle), a circular one or a Gaussian
/// one. Every parameter can change at every frame without allocating.
class Grating : public virtual Figure {
public:
    /// A width x height grating of the given wavelength (pixels per cycle), contrast (0..1),
    /// orientation and phase in degrees, centred at (0, 0). Raises an Exception naming what is
    /// missing when the current OpenGL context cannot run the shader.
    Grating(double width = 0.0, double height = 0.0, double wavelength = 0.0, double contrast = 0.0,
            double orientation = 0.0, double phase = 0.0);

    /// Size of the drawn rectangle in pixels.
    Grating& setSize(double width, double height);
    /// Pixels per cycle; 0 draws the mean luminance only.
    Grating& setWavelength(Length length);
    /// Rotation of the stripes' normal (clockwise on the screen); 0 gives vertical stripes.
    Grating& setOrientation(Angle angle);
    /// Phase at the centre.
    Grating& setPhase(Angle angle);
    /// Amplitude as a fraction of the mean (0..1).
    Grating& setContrast(double contrast);
    /// Mean luminance (requested intensity, 0..1); 0.5 by default.
    Grating& setMean(double mean);
    /// ShaderPatch::sine (default) or ShaderPatch::square.
    Grating& setProfile(int profile);
    /// No aperture (default), a disc of the given radius, or a Gaussian of standard deviation
    /// sigma; aspect scales the aperture along the stripes relative to across them.
    Grating& setAperture(int aperture, double radiusOrSigma = 0.0, double aspect = 1.0);

    /// The centre.
    Point getDatum() const override;
    /// Centres the grating at p.
    Grating& setDatum(const Point& p) override;
    Grating& centerAt(const Point& p) override;
    /// Draws on target (a canvas).
    Grating& draw(Drawable& target = defaultTarget()) override;

    /// The grating as the shader draws it, for a PatchBatch.
    const ShaderPatch& patch() const { return parameters; }

private:
    ShaderPatch parameters;
};

} // namespace StimulusTemplate
} // namespace Stimora
