#pragma once

#include "figures/Gabor.h"

namespace Stimora {
namespace StimulusTemplate {

/// A Gabor patch drawn fast: the grating is filled as one thin rotated bar per pixel column
/// and the Gaussian window is one cached RGBA texture laid on top, both prepared once per
/// sigma and shared through the renderer pool. The patch holds its renderer from its first
/// set until it is destroyed. Wavelength 0, or sigma below 5/6 pixel, draws nothing.
class QuickGabor : public Gabor {
public:
    /// Wavelength 0 and no renderer; the parameters come with a later set.
    QuickGabor();
    /// wavelength and sigma in pixels, contrast 0..1, orientation and phase in degrees.
    QuickGabor(double wavelength, double sigma, double contrast, double orientation, double phase);
    /// The same with lengths and angles as values that carry their units.
    QuickGabor(Length wavelength, Length sigma, double contrast, Angle orientation, Angle phase);
    /// A copy shares the renderer (counted as one more user).
    QuickGabor(const QuickGabor& other);
    /// Takes other's parameters and shares its renderer; the one held before is released.
    QuickGabor& operator=(const QuickGabor& other);
    /// Releases the renderer.
    ~QuickGabor() override;

    QuickGabor& set(Length wavelength, Length sigma, double contrast, Angle orientation,
                    Angle phase) override;
    QuickGabor& set(double wavelength, double sigma, double contrast, double orientation,
                    double phase) override;
    QuickGabor& setContrast(double contrast) override;
    QuickGabor& setWavelength(Length length) override;
    QuickGabor& setOrientation(Angle angle) override;
    QuickGabor& setPhase(Angle angle) override;
    QuickGabor& shift(double dx, double dy, double dz = 0.0) override;
    QuickGabor& centerAt(Drawable& target) override;
    QuickGabor& centerAt(double x, double y, double z = 0.0) override;
    QuickGabor& draw(int x, int y, Drawable& target = defaultTarget()) override;

    /// Centres the patch at p, like centerAt(p).
    QuickGabor& setDatum(const Point& p) override;
    QuickGabor& centerAt(const Point& p) override;
    /// Draws at the patch's corner truncated toward zero.
    QuickGabor& draw(Drawable& target = defaultTarget()) override;

private:
    void releaseRenderer();
};

} // namespace StimulusTemplate
} // namespace Stimora
