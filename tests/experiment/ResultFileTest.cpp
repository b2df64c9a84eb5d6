// The result file of the method of constant stimuli: its bytes, its name and time stamp, the
// journal kept during the run, and where the file goes when its folder cannot be written.

#include "ConstantExperiment.h"
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
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

using ConstantTesting::declareThreeByTwo;
using ConstantTesting::Experiment;
using ConstantTesting::makeFolder;
using ConstantTesting::respondWithTrialNumber;

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
