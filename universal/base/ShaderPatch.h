#pragma once

namespace Stimora {

/// One grating or Gabor patch as the graphics card draws it: a quad whose every pixel is
/// computed by a fragment shader. Coordinates are canvas pixels (y down); lengths in pixels,
/// angles in radians. Plain values, so that a frame's parameters change without allocating.
struct ShaderPatch {
    /// Luminance profile across the stripes.
    enum Profile { sine = 0, square = 1 };
    /// Window through which the grating is seen.
    enum Aperture { none = 0, circular = 1, gaussian = 2 };

    ///@{
    /// The quad's top-left corner.
    double left = 0.0, top = 0.0;
    ///@}
    ///@{
    /// The quad's size.
    double width = 0.0, height = 0.0;
    ///@}
    ///@{
    /// Where the grating's phase is measured from.
    double gratingX = 0.0, gratingY = 0.0;
    ///@}
    ///@{
    /// Centre of the aperture.
    double envelopeX = 0.0, envelopeY = 0.0;
    ///@}
    double wavelength = 0.0;  ///< pixels per cycle; 0 draws the mean luminance only
    double phase = 0.0;       ///< radians
    double orientation = 0.0; ///< radians, clockwise on the screen
    double contrast = 0.0;    ///< amplitude as a fraction of the mean (0..1)
    double sigma = 0.0;       ///< standard deviation of the Gaussian aperture, pixels
    double aspect = 1.0;      ///< aperture scale along the stripes relative to across them
    double mean = 0.5;        ///< mean (background) luminance, requested intensity 0..1
    double radius = 0.0;      ///< radius of the circular aperture, pixels
    /// A Profile value.
    int profile = sine;
    /// An Aperture value.
    int aperture = none;
    /// 0: smooth. Otherwise the grating is sampled as the bar template draws it: one value
    /// per bar a pixel wide (bars 1 to lastBar) over a disc of radius barRadius about
    /// (gratingX, gratingY), and the Gaussian evaluated at whole-pixel offsets.
    int lastBar = 0;
    /// Radius in pixels of the disc the sampled bars cover (with lastBar other than 0).
    double barRadius = 0.0;
};

} // namespace Stimora
