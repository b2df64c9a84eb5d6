// Contrast threshold with QUEST.
//
// The task of contrast_staircase: a Gabor patch (wavelength 20 px, sigma 20 px) flashed for
// 200 ms, its stripes vertical or horizontal at random, the observer reporting the orientation.
// QUEST (Watson and Pelli 1983) places each trial at the posterior mean of the threshold, in
// log10 contrast, given every answer so far: a prior around contrast 0.05 (log10 -1.3, sd 1),
// a Weibull with slope 3.5, lapse rate 0.01 and guess rate 0.5, and the threshold defined as
// 82 % correct. After 40 trials the posterior mean and sd are the estimate.
//
// Keys: space starts the run; V answers "vertical stripes", H "horizontal stripes";
// Escape stops early (the finished trials stay in the journal, <result file>.partial).
// Output: QuestContrast_<date>_<time>.dat in the current folder, one line per trial with the
// posterior after it, and the final estimate. STIMORA_TRIALS sets the number of trials.

#include "../common/OrientationTask.h"

#include <cmath>
#include <cstdio>
#include <string>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

class QuestContrast : public Quest {
public:
    void declareVariables() override {
        // QUEST sets the first independent variable (log10 units) and reads the first dependent one.
        independentVariables.push_back(&(new VariableInstance<double>(logContrast))->label("log10 Contrast"));
        dependentVariables.push_back(&(new VariableInstance<int>(correct))->label("Correct"));
        dependentVariables.push_back(&(new VariableInstance<int>(orientation))->label("Orientation"));
        dependentVariables.push_back(&(new VariableInstance<int>(answer))->label("Answer"));
        headerNote = "Orientation and Answer: 0 = vertical stripes, 90 = horizontal";

        Track track;
        track.model.guess = -1.3;
        track.model.guessSd = 1.0;
        track.model.thresholdProbability = 0.82;
        track.model.beta = 3.5;
        track.model.delta = 0.01;
        track.model.gamma = 0.5;
        track.placement = Placement::mean;
        track.maximum = 0.0; // full contrast
        track.trials = OrientationTask::fromEnvironment("STIMORA_TRIALS", 40);
        quests.push_back(track);
    }

    void runTrial() override {
        orientation = Stimora::random(2) == 0 ? OrientationTask::vertical : OrientationTask::horizontal;
        const std::string status =
            "trial " + std::to_string(currentTrial) + " / " + std::to_string(trialCount);
        answer = OrientationTask::askOrientation(std::pow(10.0, logContrast), orientation, status);
        correct = answer == orientation ? 1 : 0;
    }

private:
    double logContrast = 0.0;
    int correct = 0;
    int orientation = 0;
    int answer = 0;
};

int main() {
    return OrientationTask::runOnFullScreen<QuestContrast>([](QuestContrast& experiment) {
        const QuestPosterior& posterior = experiment.posterior(0);
        std::printf("Threshold: log10 contrast %.3f (sd %.3f), contrast %.4f\n", posterior.mean(),
                    posterior.sd(), std::pow(10.0, posterior.mean()));
    });
}
