#include "experiment/Quest.h"
#include "experiment/Staircase.h"

#include "ExpectException.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;
using Stimora::Testing::raised;

namespace {

// An experiment whose observer answers through `answer`; the start screen is skipped.
template <class Method> class Observer : public Method {
public:
    std::function<void(Observer&)> declare;
    std::function<int(double intensity)> answer;
    double intensity = 0, size = 64, time = 0;
    int correct = 0, trialsRun = 0;

    void declareVariables() override {
        this->independentVariables.push_back(&(new VariableInstance<double>(intensity))->label("Contrast"));
        this->independentVariables.push_back(&(new VariableInstance<double>(size))->label("Size").level(64));
        this->dependentVariables.push_back(&(new VariableInstance<int>(correct))->label("Correct"));
        this->dependentVariables.push_back(&(new VariableInstance<double>(time))->label("Time"));
        if (declare)
            declare(*this);
    }
    void runTrial() override {
        ++trialsRun;
        time = 0.5 * this->currentTrial;
        correct = answer(intensity);
    }
    void waitForStart() override {}
};

std::string readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A two-alternative Weibull observer, slope 3.5, lapse rate delta, in log10 intensity.
int weibullObserver(double x, double alpha, double delta) {
    const double p = 0.5 * delta + (1 - delta) * (1 - 0.5 * std::exp(-std::pow(10.0, 3.5 * (x - alpha))));
    return Stimora::random() < p ? 1 : 0;
}

// Where that observer is correct with probability p: solves the Weibull for x.
double pointOf(double p, double alpha, double delta) {
    return alpha + std::log10(-std::log(2 * (1 - (p - 0.5 * delta) / (1 - delta)))) / 3.5;
}

Staircase::Track twoDownOneUp(double start) {
    Staircase::Track track;
    track.start = start;
    track.steps = {0.2, 0.1, 0.05};
    track.scale = Staircase::Scale::log10;
    track.maximum = 1.0;
    track.reversals = 16;
    track.trials = 120;
    track.averaged = 10;
    return track;
}

// Every run writes to one file of this process, removed after each test.
class AdaptiveRuns : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char* suffix : {"", ".partial", ".whole", ".whole.partial"})
            std::remove((scratch + suffix).c_str());
    }
    const std::string scratch =
        ::testing::TempDir() + "stimora-adaptive-" + std::to_string(getpid()) + ".dat";
};

} // namespace

TEST_F(AdaptiveRuns, StaircaseRunWritesEveryTrialAndTheThreshold) {
    Observer<Staircase> e;
    e.fileTemplate = scratch;
    e.headerNote = "note";
    e.declare = [](Observer<Staircase>& x) {
        Staircase::Track track; // 4 -> down 2 (clamped to 2.5) -> up 1 ...: reversals 2.5, 3.5, 2.5
        track.start = 4;
        track.steps = {2, 1};
        track.minimum = 2.5;
        track.reversals = 3;
        track.averaged = 2;
        x.staircases.push_back(track);
    };
    e.answer = [](double contrast) { return contrast >= 3 ? 1 : 0; };
    e.run();
    EXPECT_EQ(readBytes(e.savedPath()), e.name + "\r\nnote\r\nSize\t64;\t\r\n"
                                                 "TRIAL#\tSTAIRCASE\tContrast\tCorrect\tREVERSAL\tTime\t\r\n"
                                                 "1\t1\t4\t1\t0\t0.5\t\r\n"
                                                 "2\t1\t4\t1\t0\t1\t\r\n"
                                                 "3\t1\t2.5\t0\t1\t1.5\t\r\n"
                                                 "4\t1\t3.5\t1\t0\t2\t\r\n"
                                                 "5\t1\t3.5\t1\t1\t2.5\t\r\n"
                                                 "6\t1\t2.5\t0\t1\t3\t\r\n"
                                                 "STAIRCASE\tTHRESHOLD\tREVERSALS\tTRIALS\t\r\n"
                                                 "1\t3\t3\t6\t\r\n");
    EXPECT_EQ(e.trialCount, 6);
    EXPECT_EQ(e.reversalValues(0), (std::vector<double>{2.5, 3.5, 2.5}));
    EXPECT_EQ(std::ifstream(e.journalPath()).good(), false); // removed with the result written
}

// Interleaved 1-up-2-down staircases, started above threshold as two alternatives need, converge
// on a Weibull observer's 70.7 % point: the mean of 100 runs lies within 0.05 log units of it.
TEST_F(AdaptiveRuns, SimulatedObserverStaircasesConvergeOnTheirTarget) {
    const double alpha = -1.5, target = pointOf(std::sqrt(0.5), alpha, 0);
    Stimora::seed(20240611);
    double sum = 0;
    int estimates = 0;
    for (int run = 0; run < 100; ++run) {
        Observer<Staircase> e;
        e.fileTemplate = scratch;
        e.declare = [](Observer<Staircase>& x) { x.staircases = {twoDownOneUp(0.3), twoDownOneUp(0.1)}; };
        e.answer = [&](double contrast) { return weibullObserver(std::log10(contrast), alpha, 0); };
        e.run();
        ASSERT_EQ(e.trialCount, static_cast<int>(e.trackOfTrial().size()));
        for (int track = 0; track < 2; ++track) {
            ASSERT_EQ(e.reversalValues(track).size(), 16u) << "run " << run;
            sum += std::log10(e.threshold(track));
            ++estimates;
        }
    }
    EXPECT_NEAR(sum / estimates, target, 0.05);
}

// QUEST (mean placement, default settings) against an observer of the same function: after 40
// trials the estimate lies within 0.1 log units of the true 82 % point in at least 80 of 100 runs.
TEST_F(AdaptiveRuns, SimulatedObserverQuestFindsTheThresholdWithin40Trials) {
    const double alpha = -1.2, truth = pointOf(0.82, alpha, 0.01);
    Stimora::seed(7);
    int close = 0;
    for (int run = 0; run < 100; ++run) {
        Observer<Quest> e;
        e.fileTemplate = scratch;
        e.declare = [](Observer<Quest>& x) {
            x.quests.resize(1);
            x.quests[0].model.guess = -0.5;
            x.quests[0].maximum = 0;
        };
        e.answer = [&](double x) { return weibullObserver(x, alpha, 0.01); };
        e.run();
        ASSERT_EQ(e.posterior(0).trials(), 40);
        close += std::fabs(e.posterior(0).mean() - truth) <= 0.1 ? 1 : 0;
    }
    EXPECT_GE(close, 80);
}

TEST_F(AdaptiveRuns, BadSettingsAreRefusedBeforeAnyTrial) {
    const auto staircaseRefusal = [](std::function<void(Staircase::Track&)> change) {
        Observer<Staircase> e;
        e.declare = [&](Observer<Staircase>& x) {
            x.staircases = {twoDownOneUp(0.3)};
            change(x.staircases[0]);
        };
        const Exception error = raised([&] { e.run(); });
        EXPECT_EQ(e.trialsRun, 0);
        EXPECT_EQ(error.kind(), "ARGUMENT ERROR");
        return error.message();
    };
    EXPECT_EQ(staircaseRefusal([](Staircase::Track& t) { t.steps.clear(); }),
              "Staircase 1: the list of step sizes is empty.");
    EXPECT_EQ(staircaseRefusal([](Staircase::Track& t) { t.steps[1] = 0; }),
              "Staircase 1: the step size 0 is not positive.");
    EXPECT_EQ(staircaseRefusal([](Staircase::Track& t) { t.minimum = 1; }),
              "Staircase 1: the minimum 1 is not below the maximum 1.");
    EXPECT_EQ(staircaseRefusal([](Staircase::Track& t) { t.start = 0, t.scale = Staircase::Scale::decibel; }),
              "Staircase 1: log10 or decibel steps need a positive start value, not 0.");

    Observer<Quest> quest;
    quest.declare = [](Observer<Quest>& x) {
        x.quests.resize(2);
        x.quests[1].model.grain = 0;
    };
    const Exception error = raised([&] { quest.run(); });
    EXPECT_EQ(error.thrower(), typeid(Observer<Quest>));
    EXPECT_EQ(error.message(), "QUEST 2: QUEST's grain must be positive (got 0).");

    Observer<Quest> unanswered;
    unanswered.declare = [](Observer<Quest>& x) { x.quests.resize(1); };
    unanswered.fileTemplate = scratch;
    unanswered.answer = [](double) { return 2; };
    EXPECT_EQ(raised([&] { unanswered.run(); }).message(),
              "Trial 1 left \"Correct\" at 2; a response is 1 (correct) or 0 (wrong).");
}

// A run killed inside trial 4 leaves a journal of exactly the lines the full run starts with.
TEST_F(AdaptiveRuns, RunKilledInsideATrialLeavesAJournalOfExactlyTheFinishedTrials) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    // The same seeded run twice: stopped inside trial stopAt (and killed there), or to its end.
    const auto run = [&](const std::string& file, int stopAt) {
        Observer<Staircase> e;
        e.fileTemplate = file;
        e.declare = [](Observer<Staircase>& x) { x.staircases = {twoDownOneUp(0.3), twoDownOneUp(0.01)}; };
        e.answer = [&](double contrast) {
            if (e.currentTrial == stopAt) {
                (void)!write(ready[1], "k", 1);
                for (;;)
                    pause();
            }
            return contrast > 0.05 ? 1 : 0;
        };
        Stimora::seed(2024);
        e.run();
        return readBytes(e.savedPath());
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        run(scratch, 4);
        _exit(3);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(kill(child, SIGKILL), 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    EXPECT_FALSE(std::ifstream(scratch).good());

    const std::string result = run(scratch + ".whole", 0);
    std::size_t end = 0;
    for (int line = 0; line < 4 + 3; ++line)
        end = result.find("\r\n", end) + 2;
    EXPECT_EQ(readBytes(scratch + ".partial"), result.substr(0, end));
}
