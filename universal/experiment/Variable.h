#pragma once

#include "math/Interval.h"

#include <ostream>
#include <string>

namespace Stimora {
namespace ExperimentalMethods {

/// An experiment variable: a label, a range and step sizes tied to a value the experiment
/// code owns. The variable console and the procedures work only through these operations.
class Variable {
public:
    Variable() = default;
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;
    /// Virtual so that the variable list can delete any variable it owns.
    virtual ~Variable() = default;

    /// Writes the current value with the stream's own formatting; returns the stream.
    virtual std::ostream& print(std::ostream& stream) const = 0;
    /// The current value written with default formatting (doubles: 6 significant digits).
    virtual std::string toText() const = 0;
    /// Writes the value recorded for the trial; raises std::out_of_range past the record.
    virtual std::ostream& printRecorded(int trial, std::ostream& stream) const = 0;
    /// Sets the value from a position r in [0, 1] (clamped; NaN taken as 0).
    virtual void setByRatio(double r) = 0;
    /// Sets the value to levels[index] and makes it the level the next step starts from;
    /// raises std::out_of_range past the level list.
    virtual void setLevel(int index) = 0;
    /// Next level (wrapping), or one step of steps[stepIndex] up if it stays in the range.
    virtual void increment(int stepIndex) = 0;
    /// Previous level (wrapping), or one step of steps[stepIndex] down if it stays in the range.
    virtual void decrement(int stepIndex) = 0;
    /// Position of the value within a bounded range, 0 to 1; 0.0 for an unbounded range.
    virtual double ratio() const = 0;
    /// A copy of the range.
    virtual Interval getRange() const = 0;
    /// Number of explicit levels.
    virtual int levelCount() const = 0;
    /// Number of step sizes.
    virtual int stepCount() const = 0;
    /// Makes the per-trial record n entries of zero.
    virtual void prepareRecord(int n) = 0;
    /// Stores the current value for the trial; raises std::out_of_range past the record.
    virtual void recordValue(int trial) = 0;
    /// Stores levels[level] for the trial; raises std::out_of_range past either list.
    virtual void recordLevel(int trial, int level) = 0;

    /// The label shown by the console and written to result files.
    const std::string& label() const { return label_; }
    /// Sets the label; returns the variable.
    Variable& label(const std::string& text);

private:
    std::string label_;
};

/// Writes the variable's current value.
inline std::ostream& operator<<(std::ostream& stream, const Variable& variable) {
    return variable.print(stream);
}

} // namespace ExperimentalMethods
} // namespace Stimora
