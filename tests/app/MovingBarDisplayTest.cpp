// The moving-bar routine on a full-screen canvas: every frame is compared, pixel for pixel
// along both rows, with the picture the routine's geometry describes.

#include "CanvasFixture.h"
#include "MovingBarRoutine.h"
#include "Platform.h"

#include <Stimora.h>

#include "PlatformTesting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace Stimora {
namespace {

using ExperimentalMethods::globalVariables;
using ExperimentalMethods::VariableInstance;
using Testing::Rgba;

constexpr int W = 1024, H = 768;
const Rgba black{0, 0, 0, 0}, red{255, 0, 0, 0}, green{0, 255, 0, 0}, white{255, 255, 255, 0};

// Variable indices in registration order.
enum { stimulusType, barInterval, barWidth, eccentricity, motionDirection, greenLuminance };

int& intVariable(int index) {
    return dynamic_cast<VariableInstance<int>&>(globalVariables()[index]).value();
}
double& doubleVariable(int index) {
    return dynamic_cast<VariableInstance<double>&>(globalVariables()[index]).value();
}

// A filled rectangle from lo to hi (inclusive edges, possibly half-integral) covers the pixels
// whose centres fall inside [lo, hi + 1) after the 0.375 projection offset.
bool covers(int pixel, double lo, double hi) {
    return pixel >= std::ceil(lo - 0.125) && pixel <= std::ceil(hi + 0.875) - 1;
}

struct Settings {
    int type = 1, interval = 2, width = 10, eccentricity = 40, direction = 1;
    double green = 1.0;
};

// One row as the display describes it: bars centred at start + direction * s * spacing.
struct RowPicture {
    bool shown = false;
    double start = 0;
    int direction = 1;
    bool swapped = false;
};

// The expected colour of pixel x on a row's centre line.
Rgba expectedOnRow(int x, const Settings& v, const RowPicture& row) {
    const int BW = v.width, BI = v.interval;
    const int L = 650 - 650 % (2 * BW * BI), M = L / (BW * BI), P = BI * BW;
    const int A = W / 2 - (L / 2 - 2 * BW * BI);
    const double half = (A - 1) / 2.0;
    if (covers(x, A / 2 - half, A / 2 + half) || covers(x, W - A / 2 - half, W - A / 2 + half))
        return black;
    if (!row.shown)
        return black;
    const Rgba second{0, static_cast<unsigned char>(std::lround(v.green * 255)), 0, 0};
    for (int s = 0; s < M; ++s) {
        const double c = row.start + row.direction * s * P;
        if (covers(x, c - (BW - 1) / 2.0, c + (BW - 1) / 2.0))
            return (s % 2 == 0) != row.swapped ? red : second;
    }
    return black;
}

// Both rows for frame counter h under the settings.
void describeFrame(const Settings& v, int h, RowPicture& upper, RowPicture& lower, int& yUpper, int& yLower) {
    const int BW = v.width, BI = v.interval, K = 2 * BI;
    const int L = 650 - 650 % (2 * BW * BI);
    const int X0 = W / 2 - L / 2, X1 = W / 2 + L / 2;
    const int R = h;
    const bool flash = h == 0 || h == K / 2, swap = h == K / 2;
    yUpper = H / 2 - v.eccentricity;
    yLower = H / 2 + v.eccentricity;
    const RowPicture right{true, double(X0 + R * BW), +1, false}, left{true, double(X1 - R * BW), -1, false};
    RowPicture a, b;
    switch (v.type) {
    case 1:
        a = right;
        b = left;
        break;
    case 2:
        a = {flash, double(X0), +1, swap};
        b = {flash, double(X1), -1, swap};
        break;
    case 3:
        a = v.direction == 1 ? right : left;
        b = v.direction == 1 ? RowPicture{flash, double(X1), -1, swap}
                             : RowPicture{flash, double(X0), +1, swap};
        upper = a;
        lower = b;
        return;
    }
    // Types 1 and 2: row A runs on the upper line when the direction is 1, else on the lower.
    upper = v.direction == 1 ? a : b;
    lower = v.direction == 1 ? b : a;
}

// Runs the routine on the canvas; onFrame is called inside every flip (after the routine
// drew the frame, before the swap) with the frame number from 1. Returns the frames drawn.
int runRoutine(Canvas& canvas, const std::function<void(int)>& onFrame) {
    struct Probe : FigureDatum {
        std::function<void(int)> callback;
        int frames = 0;
        Probe& draw(Drawable& = defaultTarget()) override {
            callback(++frames);
            return *this;
        }
    } probe;
    probe.callback = onFrame;
    canvas.overlay.insert(canvas.overlay.begin(), &probe);
    platformDiscardInput();
    movingBarRoutine(canvas);
    canvas.overlay.erase(canvas.overlay.begin());
    globalVariables().clear(); // the bound values lived in the routine
    return probe.frames;
}

void pressEscape() {
    platformPostKeyEvent(0x1B, true);
    platformPostKeyEvent(0x1B, false);
}

class MovingBarDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startUp();
        // Frames on a simulated 1,000 Hz refresh: the same pictures, in a hundredth of the time.
        setenv("STIMORA_SIMULATED_REFRESH", "1000", 1);
        canvas = new Canvas(W, H, 32, 60.0, Display::primary());
        unsetenv("STIMORA_SIMULATED_REFRESH");
    }
    static void TearDownTestSuite() {
        delete canvas;
        canvas = nullptr;
    }

    // Compares both rows' centre lines and top and bottom bar edges with the description.
    static void expectFrame(const Settings& v, int h, const char* what) {
        RowPicture upper, lower;
        int yU = 0, yL = 0;
        describeFrame(v, h, upper, lower, yU, yL);
        for (auto [row, y] : {std::pair{upper, yU}, std::pair{lower, yL}}) {
            for (int dy : {0, -19, 20}) { // centre line, first and last row of the 40-pixel bars
                const auto pixels = Testing::readPixels(*canvas, 0, y + dy, W, 1);
                int wrong = 0;
                for (int x = 0; x < W; ++x) {
                    const Rgba want = expectedOnRow(x, v, row);
                    if (!pixels[x].sameColor(want) && wrong++ < 3)
                        ADD_FAILURE() << what << ", h " << h << ": pixel (" << x << ", " << y + dy << ") is "
                                      << pixels[x] << ", expected " << want;
                }
                EXPECT_EQ(wrong, 0) << what << ": wrong pixels on line " << y + dy;
            }
            for (int dy : {-20, 21}) // just outside the bars
                EXPECT_EQ(Testing::countLit(*canvas, 240, y + dy, 540, 1), 0) << what << ", line " << y + dy;
        }
        // Fixation square: 5 x 5 centred on (512, 384).
        EXPECT_EQ(Testing::countPixels(*canvas, 510, 382, 5, 5, white), 25) << what;
        EXPECT_EQ(Testing::countLit(*canvas, 505, 377, 15, 4), 0) << what;
    }

    static Canvas* canvas;
};
Canvas* MovingBarDisplayTest::canvas = nullptr;

TEST_F(MovingBarDisplayTest, FirstFramesWithTheInitialValuesMoveBothRows) {
    Settings v;
    const int frames = runRoutine(*canvas, [&](int frame) {
        expectFrame(v, frame % 4, "type 1");
        if (frame == 1) {
            // The documented first frame: row A's bar 0 centred at x = 202 on y = 344 (masked),
            // row B's at x = 822 on y = 424; the first visible bar of row A is bar 2 at 242.
            EXPECT_TRUE(Testing::readPixel(*canvas, 242, 344).sameColor(red));
            EXPECT_TRUE(Testing::readPixel(*canvas, 262, 344).sameColor(green));
            EXPECT_TRUE(Testing::readPixel(*canvas, 782, 424).sameColor(red));
            EXPECT_TRUE(Testing::readPixel(*canvas, 232, 344).sameColor(black)); // left mask
            // The rate "15" ends at x = 320 on the baseline y = 80.
            EXPECT_GT(Testing::countPixels(*canvas, 296, 62, 25, 20, white), 20);
            EXPECT_EQ(Testing::countLit(*canvas, 321, 60, 30, 25), 0);
            EXPECT_EQ(Testing::countLit(*canvas, 260, 60, 35, 25), 0) << "a third digit";
        }
        if (frame == 6)
            pressEscape();
    });
    EXPECT_EQ(frames, 6) << "Escape ends the routine after the frame in which it was pushed";
}

TEST_F(MovingBarDisplayTest, TypeTwoFlashesStillRowsAtPhaseZeroAndHalfPhase) {
    Settings v;
    v.type = 2;
    runRoutine(*canvas, [&](int frame) {
        if (frame == 1) {
            intVariable(stimulusType) = 2; // shows from the next frame on
            return;
        }
        expectFrame(v, frame % 4, "type 2");
        if (frame == 6)
            pressEscape();
    });
}

TEST_F(MovingBarDisplayTest, TypeThreeMovesTheUpperRowAndFlashesTheLowerOneFromEitherEnd) {
    for (int direction : {1, 0}) {
        Settings v;
        v.type = 3;
        v.direction = direction;
        runRoutine(*canvas, [&](int frame) {
            if (frame == 1) {
                intVariable(stimulusType) = 3;
                intVariable(motionDirection) = direction;
                return;
            }
            expectFrame(v, frame % 4, direction == 1 ? "type 3, direction 1" : "type 3, direction 0");
            if (frame == 5)
                pressEscape();
        });
    }
}

TEST_F(MovingBarDisplayTest, DirectionZeroAndMinusOneShowTheSameFrames) {
    std::map<int, std::vector<std::vector<Rgba>>> seen;
    for (int direction : {0, -1}) {
        runRoutine(*canvas, [&](int frame) {
            if (frame == 1) {
                intVariable(motionDirection) = direction;
                return;
            }
            seen[direction].push_back(Testing::readPixels(*canvas, 0, 300, W, 150));
            if (frame == 5)
                pressEscape();
        });
    }
    ASSERT_EQ(seen[0].size(), 4u);
    EXPECT_TRUE(seen[0] == seen[-1]);
    Settings v;
    v.direction = 0;
    // And they are the swapped layout: row A moving right on the lower line.
    RowPicture upper, lower;
    int yU = 0, yL = 0;
    describeFrame(v, 1, upper, lower, yU, yL);
    EXPECT_EQ(lower.direction, +1);
}

TEST_F(MovingBarDisplayTest, NarrowBarsFillTheLongestPathAndWideSpacingShortensIt) {
    for (auto [width, interval] : {std::pair{3, 2}, std::pair{10, 6}, std::pair{7, 3}}) {
        Settings v;
        v.width = width;
        v.interval = interval;
        v.eccentricity = 140;
        v.green = 0.0; // the second colour is then the background
        int h = 0;
        runRoutine(*canvas, [&, width = width, interval = interval](int frame) {
            if (frame == 1) {
                intVariable(barWidth) = width;
                intVariable(barInterval) = interval;
                intVariable(eccentricity) = 140;
                doubleVariable(greenLuminance) = 0.0;
                h = 1; // frame 1 ran with the initial cycle of 4
                return;
            }
            h = (h + 1) % (2 * interval);
            expectFrame(v, h, "bar geometry");
            if (frame == 4)
                pressEscape();
        });
    }
}

// The program's whole frame path (routine, console over every frame, software cursor, flip)
// for 10,000 frames; the sanitizer build runs this too, so a leak or an out-of-bounds access
// anywhere on that path fails it.
TEST_F(MovingBarDisplayTest, TenThousandFramesUnderTheConsole) {
    constexpr int frameCount = 10000;
    struct Probe : FigureDatum {
        int frames = 0;
        Probe& draw(Drawable& = defaultTarget()) override {
            if (++frames == frameCount)
                pressEscape();
            // Keep the console busy: its arrow keys cycle the selection and step the values.
            if (frames % 50 == 0) {
                platformPostKeyEvent(frames % 100 ? 0x28 : 0x27, true);
                platformPostKeyEvent(frames % 100 ? 0x28 : 0x27, false);
            }
            return *this;
        }
    } probe;
    canvas->overlay.insert(canvas->overlay.begin(), &probe);
    platformDiscardInput();
    {
        ExperimentalMethods::ProcedureHost host;
        host.hideConsole(0);
        host.setRoutine(movingBarRoutine);
        host.run(*canvas);
        EXPECT_EQ(probe.frames, frameCount);
        EXPECT_EQ(canvas->overlay.back(), &host.console);
    } // the host takes its console out of the overlay
    canvas->overlay.erase(canvas->overlay.begin());
    globalVariables().clear();
    Mouse::hideSoftwareCursor();
}

} // namespace
} // namespace Stimora
