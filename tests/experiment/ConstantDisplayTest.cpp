// The start screen of the method of constant stimuli on the virtual display, with real X input
// from xdotool: the prompt's place and colour, and that only the space bar leaves it.

#include "CanvasFixture.h"

#include "base/Exception.h"
#include "devices/Keyboard.h"
#include "devices/Mouse.h"
#include "display/Color.h"
#include "experiment/Constant.h"
#include "figures/FigureDatum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Stimora;
using namespace Stimora::ExperimentalMethods;
using namespace Stimora::Testing;

namespace {

// Rows above the canvas's own vsync warning bar, which sits near the bottom edge.
constexpr int upperRows = 700;

// An overlay figure that reads the back buffer each time a flip draws the overlay, just
// before the swap: what it sees is the frame the flip shows.
class FrameSpy : public FigureDatum {
public:
    explicit FrameSpy(Canvas& canvas) : canvas_(canvas) {}
    FrameSpy& draw(Drawable&) override {
        frames.push_back(readPixels(canvas_, 0, 0, canvas_.getWidth(), upperRows));
        ++draws;
        return *this;
    }
    std::vector<std::vector<Rgba>> frames;
    std::atomic<int> draws{0};

private:
    Canvas& canvas_;
};

class Procedure : public Constant {
public:
    void declareVariables() override {}
    void runTrial() override {}
};

void xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

class StartScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xdotool is not installed";
        canvas = openFullScreenCanvas();
        ASSERT_EQ(canvas->getWidth(), 1024);
        ASSERT_EQ(canvas->getHeight(), 768);
        // Without a window manager the keyboard follows the pointer.
        xdotool("mousemove 512 384");
        resetInput();
    }
    void TearDown() override { canvas.reset(); }

    std::unique_ptr<Canvas> canvas;
};

} // namespace

TEST_F(StartScreen, ShowsThePromptAndWaitsForTheSpaceBarOnly) {
    FrameSpy spy(*canvas);
    canvas->overlay.push_back(&spy);
    canvas->clear(Color(0.0, 0.6, 0.0), Canvas::back); // anything left over must be cleared away

    std::atomic<bool> returned{false};
    std::atomic<bool> spaceSent{false};
    std::atomic<int> flipsAfterEscape{-1};
    std::thread keys([&] {
        pause(0.5);
        xdotool("key Escape");
        pause(1.0);
        flipsAfterEscape = spy.draws.load();
        spaceSent = true;
        xdotool("key space");
        // A start screen that never leaves would hang the suite: stop it here instead.
        for (int i = 0; i < 100 && !returned; ++i)
            pause(0.1);
        if (!returned) {
            std::fprintf(stderr, "the start screen did not leave after the space bar\n");
            std::_Exit(1);
        }
    });
    Procedure procedure;
    std::string failure;
    try {
        procedure.waitForStart();
    } catch (Exception* e) {
        failure = e->text();
        delete e;
    } catch (const Exception& e) {
        failure = e.text();
    }
    const bool afterSpace = spaceSent;
    returned = true;
    keys.join();
    canvas->overlay.pop_back();
    ASSERT_EQ(failure, "");

    EXPECT_TRUE(afterSpace) << "left the start screen before the space bar";
    EXPECT_EQ(flipsAfterEscape, 1) << "Escape changed the screen";
    EXPECT_TRUE(Keyboard::pushed(Keyboard::escape)) << "Escape never reached the program";
    ASSERT_EQ(spy.frames.size(), 2u); // the prompt, then a blank frame

    // The prompt: a quarter of the way across and down (cx 511.5, cy 383.5), white, starting at x.
    canvas->clear(Color::black, Canvas::back);
    canvas->message("Push space bar to start.", 225.75, 188.75, Color::white, 0, -1);
    const std::vector<Rgba> expected = readPixels(*canvas, 0, 0, 1024, upperRows);
    const std::vector<Rgba>& prompt = spy.frames[0];
    int lit = 0, left = 1024, top = upperRows, right = -1, bottom = -1;
    for (int y = 0; y < upperRows; ++y)
        for (int x = 0; x < 1024; ++x) {
            const Rgba& p = prompt[static_cast<std::size_t>(y) * 1024 + x];
            ASSERT_TRUE(p.sameColor(expected[static_cast<std::size_t>(y) * 1024 + x])) << x << "," << y;
            if (p.lit()) {
                ++lit;
                EXPECT_TRUE(p.sameColor(Rgba{255, 255, 255, 255})) << x << "," << y << " " << p;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    EXPECT_GT(lit, 50);
    EXPECT_GE(left, 224);
    EXPECT_LE(left, 232);
    EXPECT_GE(top, 180);
    EXPECT_LE(bottom, 189);
    EXPECT_LT(right, 400);

    // The first trial starts from a blank screen.
    int litAfter = 0;
    for (const Rgba& p : spy.frames[1])
        litAfter += p.lit() ? 1 : 0;
    EXPECT_EQ(litAfter, 0);
}
