#include "experiment/Constant.h"

#include "ConstantExperiment.h"
#include "base/Exception.h"
#include "devices/Clock.h"
#include "experiment/VariableInstance.h"
#include "file/Paths.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

using ConstantTesting::declareThreeByTwo;
using ConstantTesting::Experiment;
using ConstantTesting::makeFolder;
using ConstantTesting::respondWithTrialNumber;

// ---- trial order and decoding

TEST(ConstantTrials, ThreeByTwoLevelsTwiceGiveTwelveTrialsWithEachCombinationTwice) {
    const std::string folder = makeFolder();
    Experiment e;
    e.fileTemplate = folder + "/order.dat";
    e.declare = declareThreeByTwo;
    std::map<std::pair<int, int>, int> seen;
    std::vector<int> numbers;
    e.trial = [&](Experiment& x) {
        seen[{x.intValue(*x.independentVariables[0]), x.intValue(*x.independentVariables[1])}]++;
        numbers.push_back(x.currentTrial);
    };
    e.run();
    EXPECT_EQ(e.trialCount, 12);
    EXPECT_EQ(e.trialsRun, 12);
    EXPECT_EQ(e.starts, 1);
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& entry : seen)
        EXPECT_EQ(entry.second, 2) << entry.first.first << "," << entry.first.second;
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    std::vector<std::int32_t> sorted = e.trialOrder;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(ConstantTrials, CodeSevenSetsFirstVariableToLevelOneAndSecondToLevelZero) {
    const std::string folder = makeFolder();
    Experiment e;
    e.fileTemplate = folder + "/decode.dat";
    e.declare = declareThreeByTwo;
    std::map<std::int32_t, std::pair<int, int>> byCode;
    e.trial = [&](Experiment& x) {
        byCode[x.trialOrder[static_cast<std::size_t>(x.currentTrial - 1)]] = {
            x.intValue(*x.independentVariables[0]), x.intValue(*x.independentVariables[1])};
    };
    e.run();
    EXPECT_EQ(e.levelOf(7, 0), 1);
    EXPECT_EQ(e.levelOf(7, 1), 0);
    EXPECT_EQ(byCode.at(7), std::make_pair(200, 7));
    // Least significant digit first; the repetition number (code div 6) is not used.
    EXPECT_EQ(byCode.at(0), std::make_pair(100, 7));
    EXPECT_EQ(byCode.at(5), std::make_pair(300, 8));
    EXPECT_EQ(byCode.at(11), std::make_pair(300, 8));
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(ConstantTrials, RecordsHoldLevelValuesAndResponsesPerTrial) {
    const std::string folder = makeFolder();
    Experiment e;
    e.fileTemplate = folder + "/records.dat";
    e.declare = declareThreeByTwo;
    e.trial = respondWithTrialNumber;
    e.run();
    auto& a = static_cast<VariableInstance<int>&>(*e.independentVariables[0]);
    auto& response = static_cast<VariableInstance<int>&>(*e.dependentVariables[0]);
    ASSERT_EQ(a.record.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(a.record[static_cast<std::size_t>(i)],
                  100 * (e.trialOrder[static_cast<std::size_t>(i)] % 3 + 1));
        EXPECT_EQ(response.record[static_cast<std::size_t>(i)], (i + 1) * 10);
    }
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(ConstantTrials, SameSeedGivesSameOrderAndShuffleDrawsCountMinusOneValues) {
    auto orderFor = [](std::uint32_t value) {
        Experiment e;
        e.declare = declareThreeByTwo;
        Stimora::seed(value);
        e.prepare();
        EXPECT_EQ(Stimora::randomStateIndex(), 11); // one draw for each k = 1 .. 11
        return e.trialOrder;
    };
    const auto first = orderFor(4711);
    const auto second = orderFor(4711);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, orderFor(4712));
    EXPECT_NE(first, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(ConstantTrials, ShuffleSwapsPositionKWithDrawnPositionJ) {
    Stimora::seed(99);
    std::vector<std::int32_t> expected = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    for (int k = 1; k < 12; ++k) {
        const int j = Stimora::random(k + 1);
        std::swap(expected[static_cast<std::size_t>(k)], expected[static_cast<std::size_t>(j)]);
    }
    Experiment e;
    e.declare = declareThreeByTwo;
    Stimora::seed(99);
    e.prepare();
    EXPECT_EQ(e.trialOrder, expected);
}

TEST(ConstantTrials, OneTrialDrawsNothing) {
    Experiment e;
    e.declare = [](Experiment& x) {
        x.addInt(x.independentVariables, "Only", 3, {5});
        x.addInt(x.dependentVariables, "R", 0);
    };
    Stimora::seed(5);
    e.prepare();
    EXPECT_EQ(Stimora::randomStateIndex(), 382);
    EXPECT_EQ(e.trialOrder, (std::vector<std::int32_t>{0}));
}

// ---- variables

TEST(ConstantVariables, FixedVariablesAreSortedByLabelAndTheFirstOfALabelWins) {
    Experiment e;
    Variable* firstAlpha = nullptr;
    Variable* secondAlpha = nullptr;
    e.declare = [&](Experiment& x) {
        x.addInt(x.independentVariables, "Zeta", 1, {42});
        firstAlpha = &x.addInt(x.independentVariables, "Alpha", 9); // no level: keeps 9
        secondAlpha = &x.addInt(x.independentVariables, "Alpha", 3, {4});
        x.addInt(x.independentVariables, "Mid", 0, {1, 2});
        x.addInt(x.independentVariables, "Beta", 0, {6});
        x.addInt(x.dependentVariables, "R", 0);
    };
    e.prepare();
    ASSERT_EQ(e.fixedVariables.size(), 3u);
    std::vector<std::string> labels;
    for (const auto& entry : e.fixedVariables)
        labels.push_back(entry.first);
    EXPECT_EQ(labels, (std::vector<std::string>{"Alpha", "Beta", "Zeta"}));
    EXPECT_EQ(e.fixedVariables.at("Alpha"), firstAlpha);
    EXPECT_EQ(e.fixedVariables.at("Alpha")->toText(), "9");
    EXPECT_EQ(e.fixedVariables.at("Zeta")->toText(), "42"); // set to its single level
    EXPECT_EQ(secondAlpha->toText(), "4");                  // set too, though not kept
    ASSERT_EQ(e.independentVariables.size(), 1u);           // neighbours removed, none skipped
    EXPECT_EQ(e.independentVariables[0]->label(), "Mid");
    EXPECT_EQ(e.trialOrder.size(), 2u);
}

TEST(ConstantVariables, EveryVariableFixedGivesRepetitionsTrials) {
    Experiment e;
    e.declare = [](Experiment& x) {
        x.addInt(x.independentVariables, "Size", 1, {64});
        x.addInt(x.dependentVariables, "R", 0);
        x.repetitions = 3;
    };
    e.prepare();
    EXPECT_TRUE(e.independentVariables.empty());
    EXPECT_EQ(e.trialOrder.size(), 3u);
}

TEST(ConstantVariables, NoIndependentVariableIsRefusedWithTheProceduresType) {
    Experiment e;
    bool declared = false;
    e.declare = [&](Experiment& x) {
        declared = true;
        x.addInt(x.dependentVariables, "R", 0);
    };
    try {
        e.run();
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.thrower(), typeid(Experiment));
        EXPECT_EQ(error.kind(), "VARIABLE REQUIRED");
        EXPECT_EQ(error.message(), "No independent variable was set.");
        EXPECT_EQ(error.text(),
                  "class ConstantTesting::Experiment [VARIABLE REQUIRED] No independent variable was set.");
    }
    EXPECT_TRUE(declared);
    EXPECT_EQ(e.starts, 0);
    EXPECT_EQ(e.trialsRun, 0);
}

TEST(ConstantVariables, NoDependentVariableIsRefusedAfterTheFixedOnesMoved) {
    Experiment e;
    e.declare = [](Experiment& x) {
        x.addInt(x.independentVariables, "Fixed", 0, {1});
        x.addInt(x.independentVariables, "Free", 0, {1, 2, 3});
    };
    try {
        e.prepare();
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.thrower(), typeid(Experiment));
        EXPECT_EQ(error.kind(), "VARIABLE REQUIRED");
        EXPECT_EQ(error.message(), "No dependent variable was set.");
    }
    EXPECT_EQ(e.fixedVariables.count("Fixed"), 1u);
    ASSERT_EQ(e.independentVariables.size(), 1u);
    EXPECT_EQ(static_cast<VariableInstance<int>&>(*e.independentVariables[0]).record.size(), 3u);
    EXPECT_EQ(e.starts, 0);
}

TEST(ConstantVariables, NegativeRepetitionsAreRefused) {
    Experiment e;
    e.declare = [](Experiment& x) {
        declareThreeByTwo(x);
        x.repetitions = -1;
    };
    try {
        e.run();
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.kind(), "ARGUMENT ERROR");
        EXPECT_EQ(error.message(), "Repetitions must not be negative.");
    }
    EXPECT_EQ(e.starts, 0);
    EXPECT_EQ(e.trialsRun, 0);
}

// ---- naming and the order of the steps

namespace ConstantTesting {

class Steps : public Experiment {
public:
    std::string calls;
    void takeName() override {
        calls += "N";
        Experiment::takeName();
    }
    void prepare() override {
        calls += "P";
        Experiment::prepare();
    }
    void runTrials() override { calls += "T"; }
    void saveResults() override { calls += "S"; }
    void afterSave() override { calls += "A"; }
};

} // namespace ConstantTesting

TEST(ConstantSteps, RunDispatchesEveryStepVirtuallyInOrder) {
    ConstantTesting::Steps e;
    e.declare = declareThreeByTwo;
    e.run();
    EXPECT_EQ(e.calls, "NPTSA");
    EXPECT_EQ(e.starts, 1);
    EXPECT_EQ(e.name, "ConstantTesting::Steps");
    EXPECT_EQ(Stimora::currentExperimentName(), "ConstantTesting::Steps");
}

namespace ConstantTesting {
namespace {
template <int N> class Hidden : public Experiment {};
} // namespace
} // namespace ConstantTesting

TEST(ConstantSteps, NamesFromAnonymousNamespacesAndTemplatesAreFileNameSafe) {
    ConstantTesting::Hidden<2> e;
    e.declare = declareThreeByTwo;
    e.run();
    EXPECT_EQ(e.name, "ConstantTesting::Hidden_2_");
}

namespace ConstantTesting {

std::string* destructionLog = nullptr;

class Logged : public VariableInstance<int> {
public:
    Logged(int& value, char tag) : VariableInstance<int>(value), tag_(tag) {}
    ~Logged() override { *destructionLog += tag_; }

private:
    char tag_;
};

} // namespace ConstantTesting

TEST(ConstantSteps, DestructionDeletesDependentThenIndependentAndTheFixedOnes) {
    std::string log;
    ConstantTesting::destructionLog = &log;
    int a = 0, b = 0, c = 0, d = 0;
    {
        Experiment e;
        e.declare = [&](Experiment& x) {
            auto* fixed = new ConstantTesting::Logged(a, 'f');
            fixed->label("F");
            x.independentVariables.push_back(fixed);
            auto* free = new ConstantTesting::Logged(b, 'i');
            free->label("I").level(1).level(2);
            x.independentVariables.push_back(free);
            auto* response = new ConstantTesting::Logged(c, 'd');
            x.dependentVariables.push_back(response);
            auto* second = new ConstantTesting::Logged(d, 'e');
            x.dependentVariables.push_back(second);
        };
        e.prepare();
        EXPECT_EQ(log, "");
    }
    EXPECT_EQ(log, "fdei");
    ConstantTesting::destructionLog = nullptr;
}
