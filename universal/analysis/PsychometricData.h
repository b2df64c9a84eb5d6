#pragma once

#include <string>
#include <vector>

namespace Stimora {
namespace Analysis {

class ResultTable;

/// Trials grouped for a psychometric fit: one condition per combination of the grouping
/// variables' values, and within it one entry per intensity with its trials and correct ones.
class PsychometricData {
public:
    /// The trials at one intensity.
    struct Level {
        /// The intensity, in the variable's units.
        double intensity = 0.0;
        /// Trials run at it.
        int trials = 0;
        /// Of those, answered correctly.
        int correct = 0;
        /// correct / trials.
        double proportion() const { return trials > 0 ? static_cast<double>(correct) / trials : 0.0; }
    };
    /// One condition: its name ("Orientation=90", or "all") and its levels by intensity.
    struct Condition {
        /// "label=value, ..." of the grouping variables, or "all".
        std::string name;
        /// Sorted by intensity.
        std::vector<Level> levels;
    };

    /// Groups table's trials by the intensity column and the columns in by. The response
    /// column must hold 0 (wrong) or 1 (correct); anything else, a missing column or a value
    /// that is not a number raises Exception "FORMAT ERROR" naming the file and line.
    static std::vector<Condition> group(const ResultTable& table, const std::string& intensity,
                                        const std::string& response, const std::vector<std::string>& by);
};

} // namespace Analysis
} // namespace Stimora
