// A Demo on a real canvas: its console is drawn over the frames while the routine runs and
// leaves the canvas's overlay with the Demo.

#include "CanvasFixture.h"

#include "experiment/Demo.h"
#include "experiment/VariableInstance.h"
#include "figures/FigureDatum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;
using namespace Stimora::Testing;

namespace {

// Drawn by the flip after the console: reads the back buffer just before the swap.
class PixelSpy : public FigureDatum {
public:
    PixelSpy(Canvas& canvas, int x, int y) : canvas_(canvas), x_(x), y_(y) {}
    PixelSpy& draw(Drawable&) override {
        seen = readPixel(canvas_, x_, y_);
        return *this;
    }
    Rgba seen;

private:
    Canvas& canvas_;
    int x_, y_;
};

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
        PixelSpy spy(canvas, 215, 18); // inside the panel, between the two rows' texts
        canvas.overlay.push_back(&spy);
        canvas.clear(Color::black, Canvas::back);
        canvas.flip();
        canvas.overlay.pop_back();
        panelPixel = spy.seen;
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
