// Contrast threshold with two interleaved up-down staircases.
//
// A Gabor patch (wavelength 20 px, sigma 20 px) is flashed for 200 ms at the centre of a
// mid-grey screen, its stripes vertical or horizontal at random, and the observer reports the
// orientation. Two 1-up-2-down staircases, drawn in random order, set the contrast: it drops
// one step after two correct answers in a row and rises one step after each error, so each
// staircase settles where the observer is right 70.7 % of the time. Steps are log10 units,
// 0.2 until the first reversal, then 0.1, then 0.05. Both start above threshold (contrast 0.2
// and 0.1), as a two-alternative task needs; each stops after 12 reversals or 60 trials, and
// its threshold is the geometric mean of its last 8 reversal contrasts. Each answer gets a
// feedback beep on the default sound output: a high tone (1000 Hz, 80 ms) when correct, a low
// one (300 Hz, 200 ms) when wrong. Without a sound device the run goes on silently after a
// one-line warning.
//
// Keys: space starts the run; V answers "vertical stripes", H "horizontal stripes";
// Escape stops early (the finished trials stay in the journal, <result file>.partial).
// Output: ContrastStaircase_<date>_<time>.dat in the current folder, one line per trial and
// the two thresholds at the end. STIMORA_TRIALS sets each staircase's trial limit.

#include "../common/OrientationTask.h"

#include <cstdio>
#include <memory>
#include <string>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

class ContrastStaircase : public Staircase {
public:
    void declareVariables() override {
        // The staircases set the first independent variable and read the first dependent one.
        independentVariables.push_back(&(new VariableInstance<double>(contrast))->label("Contrast"));
        dependentVariables.push_back(&(new VariableInstance<int>(correct))->label("Correct"));
        dependentVariables.push_back(&(new VariableInstance<int>(orientation))->label("Orientation"));
        dependentVariables.push_back(&(new VariableInstance<int>(answer))->label("Answer"));
        headerNote = "Orientation and Answer: 0 = vertical stripes, 90 = horizontal";

        for (double start : {0.2, 0.1}) {
            Track track;
            track.start = start;
            track.steps = {0.2, 0.1, 0.05};
            track.scale = Scale::log10;
            track.down = 2;
            track.up = 1;
            track.maximum = 1.0; // full contrast
            track.reversals = 12;
            track.trials = OrientationTask::fromEnvironment("STIMORA_TRIALS", 60);
            track.averaged = 8;
            staircases.push_back(track);
        }
    }

    void runTrial() override {
        orientation = Stimora::random(2) == 0 ? OrientationTask::vertical : OrientationTask::horizontal;
        const std::string status =
            "trial " + std::to_string(currentTrial) + ", at most " + std::to_string(trialCount);
        answer = OrientationTask::askOrientation(contrast, orientation, status);
        correct = answer == orientation ? 1 : 0;
        if (audio)
            audio->play(correct ? high : low);
    }

private:
    // The default output, or none (with a warning) where the machine has no sound device.
    static std::unique_ptr<AudioOutput> openAudio() {
        try {
            return std::make_unique<AudioOutput>();
        } catch (const Exception& e) {
            std::fprintf(stderr, "No feedback beeps: %s\n", e.message().c_str());
            return nullptr;
        }
    }

    std::unique_ptr<AudioOutput> audio = openAudio();
    const int rate = audio ? audio->rate() : 48000;
    const Sound high = Sound::tone(1000.0, 80.0, -12.0, 5.0, rate);
    const Sound low = Sound::tone(300.0, 200.0, -12.0, 5.0, rate);
    double contrast = 0.0;
    int correct = 0;
    int orientation = 0;
    int answer = 0;
};

int main() {
    return OrientationTask::runOnFullScreen<ContrastStaircase>([](ContrastStaircase& experiment) {
        for (int track = 0; track < 2; ++track)
            std::printf("Staircase %d: threshold contrast %.4f\n", track + 1, experiment.threshold(track));
    });
}
