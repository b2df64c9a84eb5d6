#pragma once

#include <string>

#include "display/MonitorProfile.h"

// The calibration drawn for the eye: the readings with both fitted responses above, the
// residuals of both below, and a caption with the fit and the validation.
class CalibrationFigure {
public:
    /// Writes the figure of profile's calibration to path (.png, .pdf or .svg).
    static void write(const std::string& path, const Stimora::MonitorProfile& profile);
};
