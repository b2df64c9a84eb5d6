#include "experiment/Demo.h"

#include "display/Canvas.h"
#include "experiment/VariableInstance.h"
#include "file/Paths.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

namespace DemoTesting {

// A demo whose variables and routine are set by each test.
class Bars : public Demo {
public:
    std::function<void(Bars&)> declare;
    std::function<void(Bars&)> routine;
    std::string calls;

    void declareVariables() override {
        calls += "D";
        if (declare)
            declare(*this);
    }
    void runTrial() override {
        calls += "R";
        if (routine)
            routine(*this);
    }
    void saveResults() override {
        calls += "S";
        Demo::saveResults();
    }
    void afterSave() override { calls += "A"; }

    VariableInstance<int>& add(const std::string& label, int initial, std::initializer_list<int> levels) {
        values.push_back(initial);
        auto* variable = new VariableInstance<int>(values.back());
        variable->label(label);
        for (int level : levels)
            variable->level(level);
        independentVariables.push_back(variable);
        return *variable;
    }

    std::deque<int> values;
};

} // namespace DemoTesting

using DemoTesting::Bars;

TEST(DemoPrepare, EveryVariableStartsAtItsMiddleLevel) {
    Bars demo;
    demo.declare = [](Bars& d) {
        d.add("Four", -1, {10, 20, 30, 40});
        d.add("Five", -1, {1, 2, 3, 4, 5});
        d.add("One", -1, {7});
        d.add("Two", -1, {5, 6});
        d.add("None", -1, {});
    };
    demo.run();
    ASSERT_EQ(demo.values.size(), 5u);
    EXPECT_EQ(demo.values[0], 30); // 4 levels: level 2, the upper of the middle two
    EXPECT_EQ(demo.values[1], 3);  // 5 levels: level 2
    EXPECT_EQ(demo.values[2], 7);  // 1 level: level 0
    EXPECT_EQ(demo.values[3], 6);  // 2 levels: level 1
    EXPECT_EQ(demo.values[4], -1); // no level: left as it was
    // Variables are never fixed or reordered by a demo.
    EXPECT_EQ(demo.independentVariables.size(), 5u);
    EXPECT_TRUE(demo.fixedVariables.empty());
}

TEST(DemoRun, RunsTheRoutineOnceBetweenDeclarationAndSaving) {
    Bars demo;
    int seenDuringRoutine = 0;
    demo.declare = [](Bars& d) { d.add("Width", 0, {2, 4, 8}); };
    demo.routine = [&](Bars& d) { seenDuringRoutine = d.values[0]; };
    demo.run();
    EXPECT_EQ(demo.calls, "DRSA");
    EXPECT_EQ(seenDuringRoutine, 4);
    EXPECT_EQ(demo.name, "DemoTesting::Bars");
    EXPECT_EQ(currentExperimentName(), "DemoTesting::Bars");
}

TEST(DemoRun, NoVariablesIsNoError) {
    Bars demo;
    EXPECT_NO_THROW(demo.run());
    EXPECT_EQ(demo.calls, "DRSA");
}

TEST(DemoConsole, ShowsTheCurrentIndependentListAndStaysOffScreenWithoutACanvas) {
    ASSERT_EQ(isCanvasTarget(), nullptr);
    Bars demo;
    EXPECT_EQ(demo.console.variableArray, &demo.independentVariables);
    EXPECT_EQ(demo.console.size(), 0);
    demo.declare = [](Bars& d) {
        d.add("Width", 0, {2, 4});
        d.add("Gap", 0, {1});
    };
    demo.run();
    EXPECT_EQ(demo.console.size(), 2); // variables added later appear at once
    EXPECT_EQ(&demo.console.row(1), demo.independentVariables[1]);
}
