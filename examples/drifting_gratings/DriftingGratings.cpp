// A field of drifting Gabor patches drawn by the graphics card, under the variable console.
//
// One hundred Gabor patches (sigma 16 px) at random places and orientations drift on a mid-grey
// screen, each at the same temporal frequency. Every patch takes a new phase at every frame;
// all hundred go to the graphics card as one PatchBatch, one draw call, and the shader
// calibrates them as Color would. Three variables set the display: contrast, wavelength
// (pixels per cycle) and speed (cycles per second, 2 at the start).
//
// Keys: Up / Down select a variable; Right / Left step it to its next / previous level
// (levels wrap around); a click on a bar in the console sets that variable directly;
// Escape ends the demo.

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <cmath>
#include <cstdio>
#include <exception>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;
using namespace Stimora::StimulusTemplate;

class DriftingGratings : public Demo {
public:
    void declareVariables() override {
        Interval r; // the ranges place each value on its console bar
        auto* contrastVariable = new VariableInstance<double>(contrast);
        contrastVariable->label("Contrast")
            .range(0.0 <= r <= 1.0)
            .level(0.1)
            .level(0.25)
            .level(0.5)
            .level(1.0);
        independentVariables.push_back(contrastVariable);

        auto* wavelengthVariable = new VariableInstance<double>(wavelength);
        wavelengthVariable->label("Wavelength")
            .range(4.0 <= r <= 48.0)
            .level(8.0)
            .level(16.0)
            .level(24.0)
            .level(48.0);
        independentVariables.push_back(wavelengthVariable);

        auto* speedVariable = new VariableInstance<double>(cyclesPerSecond);
        speedVariable->label("Speed")
            .range(0.0 <= r <= 8.0)
            .level(0.0)
            .level(1.0)
            .level(2.0)
            .level(4.0)
            .level(8.0);
        independentVariables.push_back(speedVariable);
    }

    // The frame loop: the patches are laid out once; each frame changes numbers only.
    void runTrial() override {
        Canvas& canvas = *currentCanvas();
        const double pi = std::acos(-1.0);
        ProceduralGabor gabor(wavelength, 16.0, contrast, 0.0, 0.0);
        const int size = gabor.getWidth();
        PatchBatch field(patchCount);
        for (int i = 0; i < patchCount; ++i) {
            gabor.setOrientation(Angle::fromDegrees(random(180.0)));
            field.add(gabor.patchAt(static_cast<int>(random(canvas.getWidth() - size)),
                                    static_cast<int>(random(canvas.getHeight() - size))));
        }
        double phase = 0.0;
        while (!Keyboard::pushed(Keyboard::escape)) {
            phase += 2.0 * pi * cyclesPerSecond * canvas.getFramePeriod() / 1000.0;
            phase = std::fmod(phase, 2.0 * pi);
            for (int i = 0; i < patchCount; ++i) {
                ShaderPatch& patch = field.at(static_cast<std::size_t>(i));
                patch.phase = phase;
                patch.wavelength = wavelength;
                patch.contrast = contrast;
            }
            canvas.clear(Color(0.5), Canvas::back);
            field.draw(canvas);
            canvas.flip();
        }
    }

private:
    static constexpr int patchCount = 100;
    double contrast = 0.5;
    double wavelength = 16.0;
    double cyclesPerSecond = 2.0;
};

int main() {
    return runExample([] {
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        DriftingGratings demo; // destroyed before the canvas: it takes its console out of the overlay
        demo.run();
        return 0;
    });
}
