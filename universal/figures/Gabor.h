#pragma once

#include "figures/Angle.h"
#include "figures/Figure.h"
#include "figures/Length.h"

namespace Stimora {
namespace StimulusTemplate {

/// A Gabor patch: a sinusoidal luminance grating seen through a circular Gaussian window
/// on a mid-grey background. Holds the parameters and the placement (top-left corner of a
/// width x height square, width = height = (int)(sigma x 6)); subclasses draw it.
class Gabor : public virtual Figure {
public:
    ~Gabor() override;

    /// wavelength: pixels per cycle; sigma: the window's standard deviation in pixels;
    /// contrast: amplitude as a fraction of the mean (0..1); orientation and phase of the grating.
    /// The top-left corner goes back to (0, 0).
    virtual Gabor& set(Length wavelength, Length sigma, double contrast, Angle orientation, Angle phase) = 0;
    /// The same with pixel counts and the two angles in degrees.
    virtual Gabor& set(double wavelength, double sigma, double contrast, double orientation,
                       double phase) = 0;
    /// Amplitude as a fraction of the mean luminance (0..1).
    virtual Gabor& setContrast(double contrast);
    /// Pixels per grating cycle.
    virtual Gabor& setWavelength(Length length);
    /// Rotation of the grating (clockwise on the screen).
    virtual Gabor& setOrientation(Angle angle);
    /// Phase of the grating.
    virtual Gabor& setPhase(Angle angle);
    /// Moves the patch by (dx, dy) pixels; dz is ignored.
    virtual Gabor& shift(double dx, double dy, double dz = 0.0) = 0;
    /// Centres the patch on a target.
    virtual Gabor& centerAt(Drawable& target) = 0;
    /// Centres the patch at (x, y); z is ignored.
    virtual Gabor& centerAt(double x, double y, double z = 0.0) = 0;
    /// Draws the patch with its top-left corner at the pixel (x, y).
    virtual Gabor& draw(int x, int y, Drawable& target = defaultTarget()) = 0;
    // The figure's own forms, declared again so that the forms above do not hide them.
    /// Centres the patch at p.
    Gabor& centerAt(const Point& p) override = 0;
    /// Draws the patch at its placement.
    Gabor& draw(Drawable& target = defaultTarget()) override = 0;

    /// The centre (x + width x 0.5, y + height x 0.5, 0).
    Point getDatum() const override;

    /// Pixels per grating cycle.
    Length getWavelength() const { return wavelength; }
    /// Rotation of the grating (clockwise on the screen).
    Angle getOrientation() const { return orientation; }
    /// Phase of the grating.
    Angle getPhase() const { return phase; }
    /// Amplitude as a fraction of the mean luminance (0..1).
    double getContrast() const { return contrast; }
    /// The window's standard deviation in pixels.
    double getSigma() const { return sigma; }
    ///@{
    /// Top-left corner of the patch in pixels.
    double getX() const { return x; }
    double getY() const { return y; }
    ///@}
    ///@{
    /// Side of the square patch in pixels: (int)(sigma x 6).
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    ///@}
    /// Index of the shared renderer in the pool; -1 while the patch has none.
    int getRenderer() const { return renderer; }

protected:
    ///@{
    /// What the getter of the same name returns.
    Length wavelength;
    Angle orientation;
    Angle phase;
    double contrast = 0.0;
    double sigma = 0.0;
    double x = 0.0;
    double y = 0.0;
    int width = 0;
    int height = 0;
    int renderer = -1;
    ///@}
};

} // namespace StimulusTemplate
} // namespace Stimora
