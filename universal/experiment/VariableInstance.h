#pragma once

#include "experiment/Variable.h"
#include "math/Interval.h"

#include <vector>

namespace Stimora {
namespace ExperimentalMethods {

/// An experiment variable bound to an int or a double of the experiment code. Every read
/// and write of the value goes through the bound reference, so the experiment code always
/// sees the current setting. T is int or double.
template <class T> class VariableInstance : public Variable {
public:
    /// Binds to value (not owned; it must outlive every call on the variable). The range is
    /// the whole real line, all lists empty.
    explicit VariableInstance(T& value);

    std::ostream& print(std::ostream& stream) const override;
    std::string toText() const override;
    std::ostream& printRecorded(int trial, std::ostream& stream) const override;
    void setByRatio(double r) override;
    void setLevel(int index) override;
    void increment(int stepIndex) override;
    void decrement(int stepIndex) override;
    double ratio() const override;
    Interval getRange() const override;
    int levelCount() const override;
    int stepCount() const override;
    void prepareRecord(int n) override;
    void recordValue(int trial) override;
    void recordLevel(int trial, int level) override;

    using Variable::label;
    /// Sets the label; returns this variable, so range() and step() can follow.
    VariableInstance& label(const std::string& text) {
        Variable::label(text);
        return *this;
    }
    /// Replaces the range with a copy of range; returns this variable.
    VariableInstance& range(const Interval& range);
    /// Appends a step size (index 0 the plain step, index 1 the shift step); returns this.
    VariableInstance& step(T size);
    /// Appends an explicit level; with two or more levels the variable moves between levels
    /// instead of by steps. Returns this.
    VariableInstance& level(T value);

    /// The bound value.
    T& value() const { return *target; }

    T* target;             ///< the experiment's own value; never owned
    T initialValue;        ///< the bound value at registration
    std::vector<T> steps;  ///< step sizes, in the order added
    std::vector<T> record; ///< one entry per trial of the running procedure
    std::vector<T> levels; ///< explicit level values
    int levelIndex = 0;    ///< current level for increment and decrement

private:
    bool tryStep(T s, int direction);

    Interval range_;
};

extern template class VariableInstance<int>;
extern template class VariableInstance<double>;

} // namespace ExperimentalMethods
} // namespace Stimora
