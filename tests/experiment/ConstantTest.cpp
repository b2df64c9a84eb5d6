#include "experiment/Constant.h"

#include "base/Exception.h"
#include "devices/Clock.h"
#include "experiment/VariableInstance.h"
#include "file/Paths.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

// Named (not anonymous) so that takeName() gives a plain qualified name.
namespace ConstantTesting {

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

} // namespace ConstantTesting

using ConstantTesting::Experiment;

namespace {

std::string makeFolder() {
    std::string pattern = ::testing::TempDir() + "stimora-constant-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    return made ? std::string(made) : std::string();
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Two factors, 3 x 2 levels, one response that the trial sets to 10 x the trial number.
void declareThreeByTwo(Experiment& e) {
    e.addInt(e.independentVariables, "A", -1, {100, 200, 300});
    e.addInt(e.independentVariables, "B", -1, {7, 8});
    e.addInt(e.dependentVariables, "Response", 0);
    e.repetitions = 2;
}

void respondWithTrialNumber(Experiment& e) {
    e.intValue(*e.dependentVariables[0]) = e.currentTrial * 10;
}

// Restores an environment variable when the test ends.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

class ConstantFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = makeFolder();
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
    std::string folder;
};

} // namespace

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

// ---- the result file and its journal

TEST_F(ConstantFiles, ResultFileMatchesItsBytesExactly) {
    Experiment e;
    e.fileTemplate = folder + "/result.dat";
    e.forcedOrder = {3, 0, 2, 1};
    e.declare = [](Experiment& x) {
        x.headerNote = "contrast run 1";
        x.addInt(x.independentVariables, "Size", 0, {64});
        x.addDouble(x.independentVariables, "Contrast", 0.0, {0.1, 1.0 / 3.0});
        x.addInt(x.independentVariables, "Eye", 2);
        x.addInt(x.independentVariables, "Orientation", 0, {0, 90});
        x.addInt(x.dependentVariables, "Response", 0);
        x.addDouble(x.dependentVariables, "Time", 0.0);
    };
    e.trial = [](Experiment& x) {
        x.intValue(*x.dependentVariables[0]) = x.currentTrial * 10;
        *static_cast<VariableInstance<double>&>(*x.dependentVariables[1]).target = 0.5 * x.currentTrial;
    };
    e.run();
    const std::string expected = "ConstantTesting::Experiment\r\n"
                                 "contrast run 1\r\n"
                                 "Eye\t2;\tSize\t64;\t\r\n"
                                 "TRIAL#\tContrast\tOrientation\tResponse\tTime\t\r\n"
                                 "1\t0.333333\t90\t10\t0.5\t\r\n"
                                 "2\t0.1\t0\t20\t1\t\r\n"
                                 "3\t0.1\t90\t30\t1.5\t\r\n"
                                 "4\t0.333333\t0\t40\t2\t\r\n";
    EXPECT_EQ(readBytes(folder + "/result.dat"), expected);
    EXPECT_EQ(e.savedPath(), folder + "/result.dat");
    EXPECT_FALSE(exists(folder + "/result.dat.partial")); // removed once the file is complete
}

TEST_F(ConstantFiles, DefaultTemplateNamesTheFileAfterTheExperimentAndTheTime) {
    Experiment e;
    e.fileTemplate = folder + "/%EXPNAME__%TIME_.dat";
    e.declare = declareThreeByTwo;
    e.run();
    const std::string prefix = folder + "/ConstantTesting::Experiment_";
    ASSERT_EQ(e.resultPath().compare(0, prefix.size(), prefix), 0) << e.resultPath();
    const std::string stamp = e.resultPath().substr(prefix.size());
    ASSERT_EQ(stamp.size(), std::string("20090908_153012.dat").size()) << stamp;
    EXPECT_EQ(stamp[8], '_');
    EXPECT_EQ(stamp.substr(15), ".dat");
    EXPECT_TRUE(exists(e.resultPath()));
    EXPECT_EQ(Experiment().fileTemplate, "%EXPNAME__%TIME_.dat");
}

// The result file carries the time it was written (the end of the run), not the start.
TEST_F(ConstantFiles, TheResultFileIsStampedWhenItIsSaved) {
    static std::time_t now = 1252416612; // 2009-09-08 13:30:12 UTC
    setCalendarTimeSource([] { return now; });
    Experiment e;
    e.fileTemplate = folder + "/run_%TIME_.dat";
    e.declare = declareThreeByTwo;
    e.trial = [](Experiment&) { now += 3600; };
    e.run();
    setCalendarTimeSource(nullptr);
    char stamp[32];
    std::tm end{};
    localtime_r(&now, &end);
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &end);
    EXPECT_EQ(e.resultPath(), folder + "/run_" + stamp + ".dat");
}

TEST_F(ConstantFiles, ZeroRepetitionsWriteOnlyTheFourHeaderLines) {
    Experiment e;
    e.fileTemplate = folder + "/empty.dat";
    e.declare = [](Experiment& x) {
        declareThreeByTwo(x);
        x.repetitions = 0;
    };
    e.run();
    EXPECT_EQ(e.starts, 1);
    EXPECT_EQ(e.trialsRun, 0);
    EXPECT_EQ(e.trialCount, 0);
    EXPECT_EQ(readBytes(folder + "/empty.dat"),
              "ConstantTesting::Experiment\r\n\r\n\r\nTRIAL#\tA\tB\tResponse\t\r\n");
}

TEST_F(ConstantFiles, JournalHoldsTheFinishedTrialsWhileTheRunGoesOn) {
    Experiment e;
    e.fileTemplate = folder + "/journal.dat";
    e.declare = declareThreeByTwo;
    std::vector<std::string> snapshots;
    e.trial = [&](Experiment& x) {
        respondWithTrialNumber(x);
        snapshots.push_back(readBytes(folder + "/journal.dat.partial"));
    };
    e.run();
    const std::string result = readBytes(folder + "/journal.dat");
    ASSERT_EQ(snapshots.size(), 12u);
    // Before trial n the journal is the result file's first 4 + (n - 1) lines.
    for (std::size_t n = 0; n < snapshots.size(); ++n) {
        std::size_t end = 0;
        for (std::size_t line = 0; line < 4 + n; ++line)
            end = result.find("\r\n", end) + 2;
        EXPECT_EQ(snapshots[n], result.substr(0, end)) << "before trial " << n + 1;
    }
    EXPECT_FALSE(exists(folder + "/journal.dat.partial"));
}

TEST_F(ConstantFiles, RunEndedByAnExceptionKeepsItsJournalAndWritesNoResult) {
    Experiment e;
    e.fileTemplate = folder + "/stopped.dat";
    e.declare = declareThreeByTwo;
    e.trial = [](Experiment& x) {
        respondWithTrialNumber(x);
        if (x.currentTrial == 3)
            throw Exception("observer stopped");
    };
    EXPECT_THROW(e.run(), Exception);
    EXPECT_FALSE(exists(folder + "/stopped.dat"));
    const std::string journal = readBytes(folder + "/stopped.dat.partial");
    EXPECT_NE(journal.find("\r\n2\t"), std::string::npos);
    EXPECT_EQ(journal.find("\r\n3\t"), std::string::npos); // trial 3 did not finish
}

TEST_F(ConstantFiles, UnwritableFolderFallsBackToTheHomeFolder) {
    ScopedEnvironment home("HOME", folder);
    if (!pathTokenValue("%USER_HOME%").empty())
        GTEST_SKIP() << "home token filled by start-up";
    Experiment e;
    e.fileTemplate = folder + "/missing/fallback.dat";
    e.declare = declareThreeByTwo;
    e.run();
    EXPECT_EQ(e.savedPath(), folder + "/fallback.dat");
    EXPECT_EQ(e.journalPath(), folder + "/fallback.dat.partial");
    EXPECT_TRUE(exists(folder + "/fallback.dat"));
    EXPECT_FALSE(exists(folder + "/fallback.dat.partial"));
}

TEST_F(ConstantFiles, FolderThatVanishesDuringTheRunFallsBackToTheHomeFolder) {
    ScopedEnvironment home("HOME", folder);
    if (!pathTokenValue("%USER_HOME%").empty())
        GTEST_SKIP() << "home token filled by start-up";
    const std::string data = folder + "/data";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    Experiment e;
    e.fileTemplate = data + "/late.dat";
    e.declare = declareThreeByTwo;
    e.trial = [&](Experiment& x) {
        if (x.currentTrial == x.trialCount)
            std::system(("rm -rf '" + data + "'").c_str());
    };
    e.run();
    EXPECT_EQ(e.savedPath(), folder + "/late.dat");
    const std::string result = readBytes(folder + "/late.dat");
    EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 16);
}

TEST_F(ConstantFiles, NoWritableFolderRaisesAnExceptionNamingThePath) {
    ScopedEnvironment home("HOME", folder + "/no-home");
    if (!pathTokenValue("%USER_HOME%").empty())
        GTEST_SKIP() << "home token filled by start-up";
    Experiment e;
    e.fileTemplate = folder + "/missing/lost.dat";
    e.declare = declareThreeByTwo;
    try {
        e.run();
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.thrower(), typeid(Experiment));
        EXPECT_EQ(error.kind(), "FILE ERROR");
        EXPECT_NE(error.message().find(folder + "/missing/lost.dat"), std::string::npos) << error.message();
    }
    EXPECT_EQ(e.trialsRun, 0); // refused before the observer spends a session on it
}

TEST_F(ConstantFiles, ResultThatCannotBeWrittenAnywhereRaisesAndKeepsTheJournal) {
    ScopedEnvironment home("HOME", folder + "/no-home");
    if (!pathTokenValue("%USER_HOME%").empty())
        GTEST_SKIP() << "home token filled by start-up";
    const std::string data = folder + "/data";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    Experiment e;
    e.fileTemplate = data + "/result.dat";
    e.declare = declareThreeByTwo;
    e.trial = [&](Experiment& x) {
        // Make the result's own name unusable: a folder stands where the file would go.
        if (x.currentTrial == x.trialCount) {
            ASSERT_EQ(mkdir((data + "/result.dat").c_str(), 0755), 0);
        }
    };
    try {
        e.run();
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.kind(), "FILE ERROR");
        EXPECT_NE(error.message().find(data + "/result.dat"), std::string::npos) << error.message();
    }
    EXPECT_EQ(e.trialsRun, 12);
    const std::string journal = readBytes(data + "/result.dat.partial");
    EXPECT_NE(journal.find("\r\n12\t"), std::string::npos);
}

TEST_F(ConstantFiles, RunKilledInsideATrialLeavesAJournalOfExactlyTheFinishedTrials) {
    const std::string killed = folder + "/killed.dat";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        Experiment e;
        e.fileTemplate = killed;
        e.declare = declareThreeByTwo;
        e.trial = [&](Experiment& x) {
            respondWithTrialNumber(x);
            if (x.currentTrial == 4) {
                const char byte = 'k';
                (void)!write(ready[1], &byte, 1);
                for (;;)
                    pause();
            }
        };
        Stimora::seed(2024);
        e.run();
        _exit(3); // never reached
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

    EXPECT_FALSE(exists(killed));
    const std::string journal = readBytes(killed + ".partial");

    // The same run to its end here: its first 4 + 3 lines are what the journal must hold.
    Experiment whole;
    whole.fileTemplate = folder + "/whole.dat";
    whole.declare = declareThreeByTwo;
    whole.trial = respondWithTrialNumber;
    Stimora::seed(2024);
    whole.run();
    const std::string result = readBytes(folder + "/whole.dat");
    std::size_t end = 0;
    for (int line = 0; line < 7; ++line)
        end = result.find("\r\n", end) + 2;
    EXPECT_EQ(journal, result.substr(0, end));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 7);
}
