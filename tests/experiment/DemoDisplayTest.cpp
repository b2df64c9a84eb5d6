// A Demo on a real canvas: its console is drawn over the frames while the routine runs and
// leaves the canvas's overlay with the Demo.

#include "CanvasFixture.h"

#include "experiment/Demo.h"
#include "experiment/VariableInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;
using namespace Stimora::Testing;

namespace {

class Routine : public Demo {
public:
    int width = 0;
    int gap = 0;
    bool consoleShown = false;
    Rgba panelPixel;

    void declareVariables() override {
        independentVariables.push_back(&(new VariableInstance<int>(width))->label("Width").level(2).level(4));
        independentVariables.push_back(
            &(new VariableInstance<int>(gap))->label("Gap").level(1).level(2).level(3));
    }
    void runTrial() override {
        Canvas& canvas = *currentCanvas();
        const auto& overlay = canvas.overlay;
        consoleShown = std::count(overlay.begin(), overlay.end(), static_cast<Figure*>(&console)) == 1;
        canvas.clear(Color::black, Canvas::back);
        canvas.flip();
        // The flip drew the console into the back buffer before the swap; it is on screen now.
        panelPixel = readPixel(canvas, 215, 18, Canvas::front);
    }
};

} // namespace

TEST(DemoOnCanvas, ConsoleIsInTheOverlayWhileTheRoutineRunsAndLeavesWithTheDemo) {
    std::unique_ptr<Canvas> canvas = openWindowCanvas(320, 240);
    ASSERT_EQ(isCanvasTarget(), canvas.get());
    const std::size_t before = canvas->overlay.size();
    {
        Routine demo;
        demo.run();
        EXPECT_TRUE(demo.consoleShown);
        EXPECT_EQ(demo.width, 4); // middle levels
        EXPECT_EQ(demo.gap, 2);
        // Two rows of the half-transparent grey panel over black: 0.5 x 0.5 of full grey.
        EXPECT_TRUE(demo.panelPixel.sameColor(Rgba{64, 64, 64, 255})) << demo.panelPixel;
        EXPECT_EQ(canvas->overlay.size(), before + 1);
    }
    EXPECT_EQ(canvas->overlay.size(), before);
}
