// Drifting bars under the on-screen variable console: a Demo procedure.
//
// A row of bars drifts to the right across a black screen. Four variables set the display, each
// starting at its middle level: bar width, number of bars, luminance and speed (pixels per frame). The
// console in the top-left corner shows them; change them while the bars run to find a setting by eye.
//
// Keys: Up / Down select a variable; Right / Left step it to its next / previous level
// (levels wrap around); a click on a bar in the console sets that variable directly;
// Escape ends the demo. The settings in force at the end are written to
// DemoBars_<date>_<time>.txt in the current folder (label TAB value, one line each).

#include <Stimora.h>

#include "../common/ExampleMain.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;

class DemoBars : public Demo {
public:
    void declareVariables() override {
        Interval r; // the ranges place each value on its console bar
        auto* width = new VariableInstance<int>(barWidth);
        width->label("Bar Width").range(4 <= r <= 32).level(4).level(8).level(16).level(32);
        independentVariables.push_back(width);

        auto* count = new VariableInstance<int>(barCount);
        count->label("Bar Count").range(2 <= r <= 10).level(2).level(4).level(6).level(8).level(10);
        independentVariables.push_back(count);

        auto* luminance = new VariableInstance<double>(barLuminance);
        luminance->label("Luminance").range(0.0 <= r <= 1.0).level(0.25).level(0.5).level(0.75).level(1.0);
        independentVariables.push_back(luminance);

        auto* speed = new VariableInstance<int>(pixelsPerFrame);
        speed->label("Speed").range(0 <= r <= 8).level(0).level(1).level(2).level(4).level(8);
        independentVariables.push_back(speed);
    }

    // The frame loop; the console changes the four values between frames.
    void runTrial() override {
        Canvas& canvas = *currentCanvas();
        const int width = canvas.getWidth();
        const double top = canvas.getCenterY() - 40;
        int offset = 0;
        Rectangle bar;
        while (!Keyboard::pushed(Keyboard::escape)) {
            canvas.clear(Color::black, Canvas::back);
            const int spacing = width / barCount;
            offset = ((offset + pixelsPerFrame) % spacing + spacing) % spacing;
            const Color color(barLuminance);
            for (int i = 0; i < barCount; ++i) {
                const double left = offset + i * spacing;
                bar.set(left, top, left + barWidth - 1, top + 79);
                bar.draw(color, canvas);
            }
            canvas.flip();
        }
    }

    // Keeps the settings the observer arrived at.
    void afterSave() override {
        const std::string path = expandPath("%EXPNAME__%TIME_.txt");
        std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
        for (const Variable* variable : independentVariables)
            file << variable->label() << '\t' << variable->toText() << "\r\n";
        file.close();
        if (file)
            std::printf("Settings written to %s\n", path.c_str());
        else
            std::fprintf(stderr, "Could not write %s\n", path.c_str());
    }

private:
    int barWidth = 8;
    int barCount = 6;
    double barLuminance = 1.0;
    int pixelsPerFrame = 2;
};

int main() {
    return runExample([] {
        startUp();
        Canvas canvas(Canvas::fullscreen, Display::primary());
        DemoBars demo; // destroyed before the canvas: it takes its console out of the overlay
        demo.run();
        return 0;
    });
}
