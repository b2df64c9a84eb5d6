#pragma once

#include <string>
#include <vector>

#include "base/Point.h"
#include "display/ResponseCurve.h"
#include "math/VisualAngle.h"

namespace Stimora {

/// What one monitor is: its physical size, the viewing distance, the display mode it was
/// measured in and its photometric calibration. Kept as a JSON file, by default in the folder
/// "%USER_SETTING%profiles/"; a project may keep one beside its experiment instead. A canvas
/// given a profile (Canvas::useProfile) checks it against the display, takes its geometry for
/// visual angle and applies its calibration, so that colours are asked for in cd/m².
class MonitorProfile {
public:
    /// The version of the file format this Stimora reads and writes.
    static constexpr int version = 1;

    /// One measured response: grey, or one primary with the others at 0.
    struct Channel {
        /// The values sent to the display (0..1, increasing).
        std::vector<double> values;
        /// The luminance measured at each value, cd/m².
        std::vector<double> luminances;
        /// The power function with an offset fitted to the points.
        ResponseCurve::Power power;
        /// Per point: (measured - power fit) / measured, in %.
        std::vector<double> powerResiduals;
        /// Per point: (measured - spline through the other points) / measured, in % (the spline
        /// passes through every point, so each is left out in turn).
        std::vector<double> splineResiduals;
        /// True when the channel was measured.
        bool measured() const { return values.size() >= 2; }
        /// The response under the model "power" or "spline".
        ResponseCurve curve(const std::string& model) const;
    };

    /// One validation level: a luminance asked for through the calibration and what was read.
    struct Check {
        double requested = 0.0;    ///< cd/m²
        double measured = 0.0;     ///< cd/m²
        double errorPercent = 0.0; ///< (measured - requested) / requested, %
        double stepPercent = 0.0;  ///< one 8-bit step of the display there, % of requested
    };

    /// The photometric calibration.
    struct Calibration {
        /// When it was made, ISO 8601 (UTC).
        std::string date;
        /// The model applied: "power" or "spline".
        std::string model = "power";
        /// The grey response (all three channels equal).
        Channel grey;
        ///@{
        /// The primaries, when they were measured separately.
        Channel red, green, blue;
        ///@}
        /// The validation run through the applied calibration.
        std::vector<Check> validation;
    };

    /// The profile's name (also its file name in the profiles folder).
    std::string name;
    ///@{
    /// Size of the screen's picture in cm.
    double widthCm = 0.0, heightCm = 0.0;
    ///@}
    /// Eye to screen centre, cm.
    double distanceCm = 0.0;
    ///@{
    /// The display mode the profile was made for.
    int pixelWidth = 0, pixelHeight = 0;
    double refreshRate = 0.0;
    ///@}
    /// The calibration; its grey channel is empty until one was made.
    Calibration calibration;

    /// True when the profile holds a grey calibration.
    bool calibrated() const { return calibration.grey.measured(); }

    /// Reads a profile file (path tokens expanded). A file that cannot be read, is no JSON, has
    /// another format version, or lacks a field or holds one of the wrong type or a value that
    /// is not finite raises an Exception "PROFILE ERROR" of one line naming the file and the
    /// field; nothing is returned half-read.
    static MonitorProfile load(const std::string& path);
    /// Writes the profile (path tokens expanded; missing folders are made). The file is written
    /// beside its place and renamed over it only when complete, so that a failure leaves the
    /// previous profile as it was. Raises an Exception "PROFILE ERROR" naming the path.
    void save(const std::string& path) const;
    /// The profile as JSON text.
    std::string toJson() const;
    /// The default place of a profile by name: "%USER_SETTING%profiles/<name>.json", expanded.
    static std::string pathFor(const std::string& name);
    /// A path as given when it names a file (holds '/' or ends in ".json"), else pathFor(it).
    static std::string locate(const std::string& nameOrPath);

    /// The geometry of visual angle for a canvas of this profile's resolution centred at centre.
    VisualAngle visualAngle(const Point& centre) const;
    /// The applied model's response of a channel (grey unless the primaries were measured).
    ResponseCurve response(const Channel& channel) const { return channel.curve(calibration.model); }
    /// Applies the calibration to Color in software (gamma tables from the applied model, one per
    /// primary where they were measured, else grey's for all three) and sets the luminances that
    /// Color::luminance() and getLuminance() work with. Raises an Exception "PROFILE ERROR" when
    /// the profile holds no calibration.
    void applyCalibration() const;
};

} // namespace Stimora
