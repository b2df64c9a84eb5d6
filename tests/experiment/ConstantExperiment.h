#pragma once

// The procedure that the tests of the method of constant stimuli and of its result file drive,
// and the declarations both use.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "experiment/Constant.h"
#include "experiment/VariableInstance.h"

// Named (not anonymous) so that takeName() gives a plain qualified name.
namespace ConstantTesting {

using Stimora::ExperimentalMethods::Constant;
using Stimora::ExperimentalMethods::Variable;
using Stimora::ExperimentalMethods::VariableInstance;

// A procedure whose variables and trial are set by each test; the start screen is skipped.
class Experiment : public Constant {
public:
    std::function<void(Experiment&)> declare;
    std::function<void(Experiment&)> trial;
    std::vector<std::int32_t> forcedOrder; // replaces the shuffled order when not empty
    int starts = 0;
    int trialsRun = 0;

    void declareVariables() override {
        if (declare)
            declare(*this);
    }
    void prepare() override {
        Constant::prepare();
        if (!forcedOrder.empty())
            trialOrder = forcedOrder;
    }
    void runTrial() override {
        ++trialsRun;
        if (trial)
            trial(*this);
    }
    void waitForStart() override { ++starts; }

    // Bound values live here, so they outlive the variables.
    VariableInstance<int>& addInt(std::vector<Variable*>& list, const std::string& label, int initial,
                                  std::initializer_list<int> levels = {}) {
        ints.push_back(initial);
        auto* variable = new VariableInstance<int>(ints.back());
        variable->label(label);
        for (int level : levels)
            variable->level(level);
        list.push_back(variable);
        return *variable;
    }
    VariableInstance<double>& addDouble(std::vector<Variable*>& list, const std::string& label,
                                        double initial, std::initializer_list<double> levels = {}) {
        doubles.push_back(initial);
        auto* variable = new VariableInstance<double>(doubles.back());
        variable->label(label);
        for (double level : levels)
            variable->level(level);
        list.push_back(variable);
        return *variable;
    }
    int& intValue(const Variable& variable) const {
        return *static_cast<const VariableInstance<int>&>(variable).target;
    }

    std::deque<int> ints;
    std::deque<double> doubles;
};

inline std::string makeFolder() {
    std::string pattern = ::testing::TempDir() + "stimora-constant-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    return made ? std::string(made) : std::string();
}

// Two factors, 3 x 2 levels, one response that the trial sets to 10 x the trial number.
inline void declareThreeByTwo(Experiment& e) {
    e.addInt(e.independentVariables, "A", -1, {100, 200, 300});
    e.addInt(e.independentVariables, "B", -1, {7, 8});
    e.addInt(e.dependentVariables, "Response", 0);
    e.repetitions = 2;
}

inline void respondWithTrialNumber(Experiment& e) {
    e.intValue(*e.dependentVariables[0]) = e.currentTrial * 10;
}

} // namespace ConstantTesting
