// Contrast detection with the method of constant stimuli.
//
// A Gabor patch (wavelength 20 px, sigma 20 px) is flashed for 200 ms at the centre of a
// mid-grey screen, at one of five contrasts and in one of two orientations. The observer
// reports the orientation, which can only be told when the patch was seen: the proportion
// correct rises from chance (0.5) to 1 across the contrasts, and the contrast at 75 %
// correct estimates the detection threshold.
//
// Keys: space starts the run; V answers "vertical stripes", H "horizontal stripes";
// Escape stops early (the finished trials stay in the journal, <result file>.partial).
// Output: ContrastDetection_<date>_<time>.dat in the current folder, one line per trial.
// STIMORA_REPETITIONS sets the presentations per combination (default 10, so 100 trials).

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

namespace {

constexpr int fixationFrames = 30; // 500 ms at 60 Hz before each patch
constexpr int stimulusFrames = 12; // 200 ms
constexpr int answerVertical = 1;
constexpr int answerHorizontal = 2;

// Raised by a trial when the observer pushes Escape.
struct Stopped {};

int repetitionsFromEnvironment(int fallback) {
    const char* text = std::getenv("STIMORA_REPETITIONS");
    if (text == nullptr || *text == '\0')
        return fallback;
    return std::atoi(text);
}

} // namespace

class ContrastDetection : public Constant {
public:
    void declareVariables() override {
        auto* contrastVariable = new VariableInstance<double>(contrast);
        contrastVariable->label("Contrast").level(0.005).level(0.01).level(0.02).level(0.04).level(0.08);
        independentVariables.push_back(contrastVariable);

        auto* orientationVariable = new VariableInstance<int>(orientation);
        orientationVariable->label("Orientation").level(0).level(90);
        independentVariables.push_back(orientationVariable);

        // A single level: written once on the result file's third line.
        auto* wavelengthVariable = new VariableInstance<double>(wavelength);
        wavelengthVariable->label("Wavelength").level(20.0);
        independentVariables.push_back(wavelengthVariable);

        dependentVariables.push_back(&(new VariableInstance<int>(response))->label("Response"));
        dependentVariables.push_back(&(new VariableInstance<int>(correct))->label("Correct"));

        repetitions = repetitionsFromEnvironment(10);
        headerNote = "Orientation 0 = vertical stripes, 90 = horizontal; Response 1 = V, 2 = H";
    }

    void runTrial() override {
        Canvas& canvas = *currentCanvas();
        const Point center = canvas.getCenter();
        Rectangle fixation(5, 5);
        fixation.centerAt(center.x, center.y);

        Keyboard::clear();
        for (int frame = 0; frame < fixationFrames; ++frame)
            showFixation(canvas, fixation);

        StimulusTemplate::QuickGabor patch(wavelength, 20.0, contrast, orientation, 0.0);
        patch.centerAt(center.x, center.y);
        canvas.clear(Color::gray, Canvas::back);
        patch.draw(canvas);
        fixation.draw(Color::black, canvas);
        canvas.flip(stimulusFrames);

        // The answer: the screen goes back to the fixation mark until a key is pushed.
        Keyboard::clear();
        response = 0;
        while (response == 0) {
            showFixation(canvas, fixation);
            if (Keyboard::pushed(Keyboard::escape))
                throw Stopped();
            if (Keyboard::pushed(Keyboard::v))
                response = answerVertical;
            else if (Keyboard::pushed(Keyboard::h))
                response = answerHorizontal;
        }
        const int shown = orientation == 0 ? answerVertical : answerHorizontal;
        correct = response == shown ? 1 : 0;
    }

private:
    void showFixation(Canvas& canvas, Rectangle& fixation) {
        canvas.clear(Color::gray, Canvas::back);
        fixation.draw(Color::black, canvas);
        canvas.message(std::to_string(currentTrial) + " / " + std::to_string(trialCount), 10, 20, Color(0.3),
                       0, -1);
        canvas.flip();
    }

    double contrast = 0.0;
    int orientation = 0;
    double wavelength = 20.0;
    int response = 0;
    int correct = 0;
};

int main() {
    return runExample([] {
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        ContrastDetection experiment;
        try {
            experiment.run();
            std::printf("Results written to %s\n", experiment.savedPath().c_str());
        } catch (Stopped&) {
            std::printf("Stopped at trial %d; finished trials are in %s\n", experiment.currentTrial,
                        experiment.journalPath().c_str());
        }
        return 0;
    });
}
