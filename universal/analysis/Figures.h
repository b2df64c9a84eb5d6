#pragma once

#include "analysis/FrameTimes.h"
#include "analysis/PsychometricData.h"
#include "analysis/PsychometricFit.h"
#include "analysis/ResultTable.h"

#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

/// The analysis figures, each written to a PNG, PDF or SVG file chosen by its extension.
class Figures {
public:
    /// How a psychometric figure is laid out.
    struct Layout {
        /// The intensity axis' label (the variable's label).
        std::string intensityLabel;
        /// A log intensity axis.
        bool logIntensity = false;
        /// All conditions in one panel in distinct colours, instead of one panel each.
        bool overlay = false;
    };

    /// Proportion correct by intensity: points of area proportional to the trials, binomial
    /// 95 % intervals (Wilson), the fitted curve, and the threshold with its 95 % interval.
    /// fits[i] belongs to conditions[i].
    static void psychometric(const std::string& path,
                             const std::vector<PsychometricData::Condition>& conditions,
                             const std::vector<PsychometricFit::Result>& fits,
                             const PsychometricFit::Options& options, const Layout& layout);
    /// A Staircase or Quest run: intensity by trial for each track (filled: correct, open:
    /// wrong), reversals ringed, and each track's final estimate as a dashed line.
    static void track(const std::string& path, const ResultTable& table, bool logIntensity);
    /// Frame timing: the interval before each flip with the nominal period dashed and the
    /// flips that missed refreshes in red, beside a histogram of the intervals.
    static void frameTiming(const std::string& path, const FrameTimes& log);

    /// The Wilson score 95 % interval of correct out of trials, as {low, high}.
    static std::pair<double, double> binomialInterval(int correct, int trials);
};

} // namespace Analysis
} // namespace Stimora
