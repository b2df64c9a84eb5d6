#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace Stimora {

/// An RGBA colour for vision experiments. The application names colours in linear (requested)
/// intensity; Color stores the display-side value that makes the screen show that intensity,
/// through the process-wide calibration selected below. Reading a colour converts back.
/// The drawing operations send the stored components unchanged.
class Color {
public:
    /// Tag selecting the uncalibrated constructor.
    struct Raw {};
    /// Pass as the first argument to build a colour from stored components.
    static constexpr Raw raw{};

    ///@{
    /// Stored (display-side) components, each normally in [0, 1].
    double r, g, b, a;
    ///@}

    /// Opaque black in the current calibration.
    Color();
    /// Requested intensities in [0, 1] (clamped unless strictMatch), through the calibration.
    Color(double r, double g, double b, double a = 1.0);
    /// Grey level: (gray, gray, gray, 1) through the calibration.
    explicit Color(double gray);
    /// Stored components taken as given after the component check only (no calibration).
    constexpr Color(Raw, double r_, double g_, double b_, double a_)
        : r(check(r_)), g(check(g_)), b(check(b_)), a(check(a_)) {}

    /// Sets requested intensities through the calibration.
    Color& set(double r, double g, double b, double a = 1.0);
    /// Sets (gray, gray, gray, 1) through the calibration.
    Color& set(double gray);
    /// Stores the components after the component check only (no calibration).
    Color& setRaw(double r, double g, double b, double a = 1.0);

    /// Requested red intensity (the stored value converted back through the calibration).
    double getR() const;
    /// Requested green intensity.
    double getG() const;
    /// Requested blue intensity.
    double getB() const;
    /// Stored alpha.
    double getA() const { return a; }
    /// All four requested components.
    void get(double& r, double& g, double& b, double& a) const;

    /// Exact comparison of the four stored components.
    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    /// Not ==: some stored component differs.
    bool operator!=(const Color& o) const { return !(*this == o); }
    /// Adds the other's checked stored components (the sum itself is not checked).
    Color& operator+=(const Color& o);
    /// Subtracts the other's checked stored components (the difference is not checked).
    Color& operator-=(const Color& o);
    /// A copy with the other's checked stored components added (the sum is not checked).
    Color operator+(const Color& o) const;
    /// A copy with the other's checked stored components subtracted (not checked either).
    Color operator-(const Color& o) const;

    /// Component check: a value below 0 becomes 0 and above 1 becomes 1; with strictMatch
    /// either throws a new Exception (by pointer) instead.
    static constexpr double check(double x) { return x < 0.0 ? under() : (x > 1.0 ? over() : x); }

    /// Calibration mode: none; colours are stored as requested (the start-up mode).
    static constexpr int32_t noCalibration = 0;
    /// Calibration mode: gamma values loaded into the display's gamma ramp; colours stored as requested.
    static constexpr int32_t gammaValueHardware = 1;
    /// Calibration mode: gamma tables loaded into the display's gamma ramp; colours stored as requested.
    static constexpr int32_t gammaTableHardware = 2;
    /// Calibration mode: gamma values applied by the colour setters, stored = requested ^ (1 / gamma).
    static constexpr int32_t gammaValueSoftware = 101;
    /// Calibration mode: gamma tables applied by the colour setters, stored = table[round(255 x requested)].
    static constexpr int32_t gammaTableSoftware = 102;
    /// 16-bit luminance encoded for a Bits++ processor: high byte in red, low byte in green.
    static constexpr int32_t bitsPlusPlus = -100;

    /// The current calibration mode (one of the constants above).
    static int32_t calibrationMode;
    /// Latest gamma values, red, green, blue.
    static double gamma[3];
    /// 1 / gamma per channel, as used by the software gamma setter.
    static double inverseGamma[3];
    /// Apply gamma values and tables in software without trying the display's gamma ramp.
    static bool preferSoftware;
    /// Raise errors instead of clamping out-of-range components or falling back to software.
    static bool strictMatch;
    /// Gamma tables, red, green, blue: stored value per requested level i / 255.
    static std::vector<double> gammaTable[3];
    /// Entries per gamma table once tables are loaded (256).
    static int32_t tableSize;
    /// Per channel: table value -> requested level i / 255 (first entry wins on lookup).
    static std::multimap<double, double> inverseMap[3];

    /// Calibrates by gamma values; mode is gammaValueHardware, gammaValueSoftware or bitsPlusPlus.
    static void setGammaValue(double r, double g, double b, int32_t mode);
    /// Where hardware ramps go. The canvas installs loaders that put a ramp on the current
    /// canvas's display and say whether it took; until then (no canvas) none loads, and
    /// calibration falls back to software.
    struct HardwareGamma {
        /// Loads the ramp of three gamma values.
        bool (*values)(double r, double g, double b) = nullptr;
        /// Loads the ramp of three 256-entry tables of values in 0..1.
        bool (*tables)(const std::vector<double>& red, const std::vector<double>& green,
                       const std::vector<double>& blue) = nullptr;
    };
    /// Installs the hardware ramp loaders (the canvas does, when it opens).
    static void installHardwareGamma(const HardwareGamma& loader);
    /// Calibrates by tables; shorter lists than 256 are resampled linearly, longer ones cut to
    /// their first 256 entries.
    static void setGammaTable(const std::vector<double>& red, const std::vector<double>& green,
                              const std::vector<double>& blue);
    /// Calibrates by tables given as three arrays of count entries each.
    static void setGammaTable(const double* red, const double* green, const double* blue, int count);
    /// Whether the calibration in force is applied in software (gamma values or tables), so that
    /// values stored elsewhere, such as an image's pixels, must be converted as Color's are.
    static bool softwareCalibration();
    /// Moves the current gamma calibration between hardware (off) and software (on).
    static void setSoftwareCalibration(bool on);
    /// Back to the start-up state: noCalibration with identity converters, gamma 1, no tables,
    /// preferSoftware off, gray 0.5. strictMatch is left as it is. A ramp already loaded on
    /// the display stays until its canvas is released.
    static void resetCalibration();

    /// Luminances of the calibrated display in cd/m², set with its calibration (a monitor
    /// profile's applyCalibration() sets them; resetCalibration() clears them). Under a
    /// calibration whose tables make requested intensity linear in luminance, requested x shows
    /// black + x (white - black).
    struct Photometry {
        bool calibrated = false;       ///< the luminance operations below work
        double black = 0.0;            ///< all channels at 0
        double white = 0.0;            ///< all channels at 1
        bool channels = false;         ///< red, green and blue were measured separately
        double primary[3] = {0, 0, 0}; ///< each channel alone at 1 (the black included)
    };
    /// The display's luminances; see Photometry.
    static Photometry photometry;
    /// Grey of a luminance in cd/m². Outside black..white: with strictMatch an Exception
    /// (thrown by pointer) naming the luminance and the range, otherwise the nearest end.
    static Color luminance(double candelas);
    /// A colour whose channels add these luminances (cd/m² each, above black) to the black
    /// level; needs the primaries measured. Out-of-range values as for luminance(candelas).
    static Color luminance(double red, double green, double blue);
    /// The requested intensity (0..1) of a grey luminance, as luminance(candelas) finds it, for
    /// figures that take a mean level (Grating, ProceduralGabor setMean).
    static double level(double candelas);
    /// The contrast to give a grating or Gabor patch (amplitude as a fraction of its mean level)
    /// so that it shows a Michelson contrast (Lmax - Lmin) / (Lmax + Lmin) of contrast about a
    /// mean luminance of meanCandelas. Extremes outside the calibrated range: with strictMatch
    /// an Exception (by pointer), otherwise the largest contrast that fits.
    static double michelsonContrast(double meanCandelas, double contrast);
    /// Michelson contrast (L1 - L2) / (L1 + L2) between the luminances of two colours.
    static double michelson(const Color& light, const Color& dark);
    /// Luminance in cd/m² this colour shows. A colour other than grey needs the primaries
    /// measured; without it, or without a calibration, an Exception (by pointer).
    double getLuminance() const;
    /// Luminance in cd/m² (above black) one channel (0 red, 1 green, 2 blue) adds; needs the
    /// primaries measured.
    double getLuminance(int channel) const;

    ///@{
    /// Opaque white (1, 1, 1) and black (0, 0, 0) as stored values, set at start-up and kept
    /// whatever calibration follows.
    static Color white;
    static Color black;
    ///@}
    /// Recomputed from (0.5, 0.5, 0.5, 1) whenever gamma values are applied in software
    /// (not when setSoftwareCalibration moves a hardware calibration).
    static Color gray;
    ///@{
    /// Opaque colours of full-intensity channels as stored values (red (1, 0, 0), cyan (0, 1, 1),
    /// ...), set at start-up and kept whatever calibration follows.
    static Color red;
    static Color green;
    static Color blue;
    static Color cyan;
    static Color magenta;
    static Color yellow;
    ///@}
    /// (0, 0, 0, 0): fully transparent; a shape filled with it draws nothing.
    static const Color null;

private:
    static double under();
    static double over();
};

} // namespace Stimora
