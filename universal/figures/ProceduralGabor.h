#pragma once

#include "base/ShaderPatch.h"
#include "figures/Gabor.h"

namespace Stimora {
namespace StimulusTemplate {

/// A Gabor patch computed per pixel by the graphics card (OpenGL 2.1, GLSL 1.20): any
/// parameter can change at every frame at no cost and without allocating. With the default
/// sine profile, Gaussian aperture and aspect 1 it draws the pixels QuickGabor draws (the
/// grating sampled once per pixel-wide bar over the same disc, the same window), on a mean
/// luminance 0.5, calibrated as Color calibrates.
class ProceduralGabor : public Gabor {
public:
    /// Wavelength 0 (mean luminance only) and sigma 0 (nothing to draw). Raises an Exception
    /// naming what is missing when the current OpenGL context cannot run the shader (made
    /// before any canvas, the patch is checked at its first draw instead).
    ProceduralGabor();
    /// wavelength and sigma in pixels, contrast 0..1, orientation and phase in degrees.
    ProceduralGabor(double wavelength, double sigma, double contrast, double orientation, double phase);
    /// The same with lengths and angles as values that carry their units.
    ProceduralGabor(Length wavelength, Length sigma, double contrast, Angle orientation, Angle phase);

    ProceduralGabor& set(Length wavelength, Length sigma, double contrast, Angle orientation,
                         Angle phase) override;
    ProceduralGabor& set(double wavelength, double sigma, double contrast, double orientation,
                         double phase) override;
    ProceduralGabor& setContrast(double contrast) override;
    ProceduralGabor& setWavelength(Length length) override;
    ProceduralGabor& setOrientation(Angle angle) override;
    ProceduralGabor& setPhase(Angle angle) override;
    /// Gaussian standard deviation in pixels; the patch becomes (int)(sigma x 6) pixels square.
    ProceduralGabor& setSigma(double sigma);
    /// Scale of the aperture along the stripes relative to across them (1: round).
    ProceduralGabor& setAspect(double aspect);
    /// ShaderPatch::sine or ShaderPatch::square.
    ProceduralGabor& setProfile(int profile);
    /// ShaderPatch::gaussian (default), ShaderPatch::circular (the disc of the bars) or
    /// ShaderPatch::none.
    ProceduralGabor& setAperture(int aperture);
    /// Mean luminance (requested intensity, 0..1); 0.5 by default.
    ProceduralGabor& setMean(double mean);
    ProceduralGabor& shift(double dx, double dy, double dz = 0.0) override;
    ProceduralGabor& centerAt(Drawable& target) override;
    ProceduralGabor& centerAt(double x, double y, double z = 0.0) override;
    ProceduralGabor& draw(int x, int y, Drawable& target = defaultTarget()) override;

    /// Centres the patch at p, like centerAt(p).
    ProceduralGabor& setDatum(const Point& p) override;
    ProceduralGabor& centerAt(const Point& p) override;
    /// Draws at the patch's corner truncated toward zero.
    ProceduralGabor& draw(Drawable& target = defaultTarget()) override;

    /// The patch as the shader draws it with its top-left corner at (x, y), for a PatchBatch.
    ShaderPatch patchAt(int x, int y) const;
    /// The same at the patch's own corner truncated toward zero.
    ShaderPatch patch() const { return patchAt(static_cast<int>(x), static_cast<int>(y)); }

private:
    double aspect = 1.0;
    int profile = ShaderPatch::sine;
    int aperture = ShaderPatch::gaussian;
    double mean = 0.5;
};

} // namespace StimulusTemplate
} // namespace Stimora
