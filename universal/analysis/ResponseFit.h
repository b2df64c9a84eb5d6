#pragma once

#include <vector>

#include "display/MonitorProfile.h"
#include "display/ResponseCurve.h"

namespace Stimora {
namespace Analysis {

/// Fits a display's luminance response to photometer readings: the power function with an
/// offset L = a + (b v)^gamma by least squares on the relative error (NLopt, BOBYQA), and the
/// monotone spline through the points, each with its residuals.
class ResponseFit {
public:
    /// The power function closest to the points (values in 0..1, luminances in cd/m²).
    /// Raises an Exception "ARGUMENT ERROR" for fewer than three points or a flat response, and
    /// "FIT ERROR" when NLopt fails.
    static ResponseCurve::Power power(const std::vector<double>& values,
                                      const std::vector<double>& luminances);
    /// Per point, (measured - predicted) / measured in %: of the power function, and of the
    /// spline through all other points (an end point, which every spline must pass through, 0).
    static std::vector<double> residuals(const ResponseCurve& curve, const std::vector<double>& values,
                                         const std::vector<double>& luminances);
    /// Leave-one-out residuals of the spline, in %.
    static std::vector<double> splineResiduals(const std::vector<double>& values,
                                               const std::vector<double>& luminances);
    /// Fills a measured channel's power fit and both residual lists.
    static void fit(MonitorProfile::Channel& channel);
    /// Root mean square of a list of residuals.
    static double rms(const std::vector<double>& residuals);
};

} // namespace Analysis
} // namespace Stimora
