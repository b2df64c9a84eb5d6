// The variable console on a full-screen canvas (canvas pixels = screen pixels): its panel,
// bar colours, texts, and its key and mouse handling driven by queued input events.

#include "CanvasFixture.h"
#include "Platform.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PlatformTesting.h"
#include "devices/Keyboard.h"
#include "devices/Mouse.h"
#include "experiment/ProcedureHost.h"
#include "experiment/VariableConsole.h"
#include "experiment/VariableList.h"
#include "figures/Group.h"

namespace Stimora::Testing {
namespace {

using ExperimentalMethods::Variable;
using ExperimentalMethods::VariableConsole;

// A variable that records what the console asks of it.
class FakeVariable : public Variable {
public:
    explicit FakeVariable(std::string text_, double ratio_ = 0.0)
        : text(std::move(text_)), position(ratio_) {}

    std::ostream& print(std::ostream& s) const override { return s << text; }
    std::string toText() const override { return text; }
    std::ostream& printRecorded(int, std::ostream& s) const override { return s; }
    void setByRatio(double r) override {
        ratios.push_back(r);
        position = r;
    }
    void setLevel(int) override {}
    void increment(int stepIndex) override { increments.push_back(stepIndex); }
    void decrement(int stepIndex) override { decrements.push_back(stepIndex); }
    double ratio() const override { return position; }
    Interval getRange() const override { return Interval(); }
    int levelCount() const override { return 0; }
    int stepCount() const override { return 2; }
    void prepareRecord(int) override {}
    void recordValue(int) override {}
    void recordLevel(int, int) override {}

    std::string text;
    double position;
    std::vector<double> ratios;
    std::vector<int> increments, decrements;
};

constexpr int vkShift = 0x10, vkLeft = 0x25, vkUp = 0x26, vkRight = 0x27, vkDown = 0x28;

class VariableConsoleDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { screen = openFullScreenCanvas(); }
    static void TearDownTestSuite() { screen.reset(); }

    void SetUp() override {
        ASSERT_TRUE(screen);
        screen->clear(Color::black);
        platformDiscardInput();
        Keyboard::reset();
        Mouse::clear();
        moveMouse(900, 700); // away from the panel
        for (int k = 0; k < 3; ++k)
            fakes.push_back(std::make_unique<FakeVariable>("1", 0.0));
        for (auto& f : fakes)
            list.push_back(f.get());
        fakes[0]->label("Bar Interval");
        fakes[1]->label("Green Luminance");
        fakes[2]->label("Eccentricity");
    }
    void TearDown() override {
        platformDiscardInput();
        Keyboard::reset();
        Mouse::clear();
    }

    static Canvas& canvas() { return *screen; }
    static Rgba at(int x, int y) { return readPixel(*screen, x, y); }

    // Moves the pointer and lets the warp arrive.
    static void moveMouse(int x, int y) {
        Mouse::setPosition(x, y);
        for (int i = 0; i < 20 && (Mouse::position().x != x || Mouse::position().y != y); ++i)
            pumpMessage();
    }
    void key(int vk, bool down) { platformPostKeyEvent(vk, down); }
    // Draws until every queued event has been taken, then once more.
    void settle(VariableConsole& console) {
        for (int i = 0; i < 20 && platformPendingEvents() > 0; ++i)
            console.draw(canvas());
        console.draw(canvas());
    }
    // Presses and releases the left button where the pointer is: no variable may change.
    void clickChangesNothing(VariableConsole& console) {
        platformPostButtonEvent(0, true);
        settle(console);
        for (auto& f : fakes)
            EXPECT_TRUE(f->ratios.empty());
        platformPostButtonEvent(0, false);
        settle(console);
    }

    static std::unique_ptr<Canvas> screen;
    std::vector<std::unique_ptr<FakeVariable>> fakes;
    std::vector<Variable*> list;
};

std::unique_ptr<Canvas> VariableConsoleDisplay::screen;

// The brightest red found in an area.
int brightest(Canvas& canvas, int left, int top, int width, int height) {
    int best = 0;
    for (const Rgba& p : readPixels(canvas, left, top, width, height))
        best = std::max(best, static_cast<int>(p.r));
    return best;
}

// Rightmost pixel of text brightness (the panel and the bars stay below 180 in red).
int rightmostText(Canvas& canvas, int top, int height) {
    const std::vector<Rgba> pixels = readPixels(canvas, 0, top, 400, height);
    int best = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 400; ++x)
            if (pixels[static_cast<std::size_t>(y * 400 + x)].r > 150)
                best = std::max(best, x);
    return best;
}

void expectNear(const Rgba& p, double r, double g, double b) {
    EXPECT_NEAR(p.r, r, 1.5) << p;
    EXPECT_NEAR(p.g, g, 1.5) << p;
    EXPECT_NEAR(p.b, b, 1.5) << p;
}

// Bounding box of text brightness in an area: left, top, right, bottom (-1s when none).
std::vector<int> textBox(Canvas& canvas, int left, int top, int width, int height) {
    const std::vector<Rgba> pixels = readPixels(canvas, left, top, width, height);
    std::vector<int> box{-1, -1, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[static_cast<std::size_t>(y * width + x)].r > 150) {
                if (box[0] < 0 || left + x < box[0])
                    box[0] = left + x;
                if (box[1] < 0)
                    box[1] = top + y;
                box[2] = std::max(box[2], left + x);
                box[3] = top + y;
            }
    return box;
}

TEST_F(VariableConsoleDisplay, PanelCoversTwoHundredTwentyByTwentyPixelsPerRow) {
    VariableConsole console(&list);
    console.draw(canvas());
    // Grey 0.5 at alpha 0.5 over black: 128 x 128 / 255.
    expectNear(at(215, 0), 64, 64, 64);
    expectNear(at(219, 59), 64, 64, 64);
    expectNear(at(0, 59), 64, 64, 64);
    EXPECT_EQ(at(220, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(at(219, 60), (Rgba{0, 0, 0, 255}));
}

TEST_F(VariableConsoleDisplay, PanelFollowsItsDatum) {
    VariableConsole console(&list);
    console.setDatum(Point(300, 200));
    console.draw(canvas());
    expectNear(at(300 + 215, 200), 64, 64, 64);
    EXPECT_FALSE(at(299, 200).lit());
    EXPECT_FALSE(at(300 + 220, 200).lit());
    EXPECT_FALSE(at(300 + 215, 260).lit());
}

TEST_F(VariableConsoleDisplay, BarsShowTheRatioAndTheHoveredRow) {
    fakes[1]->position = 0.5;
    fakes[2]->position = 2.0 / 3.0;
    moveMouse(300, 25); // row 1
    VariableConsole console(&list);
    console.draw(canvas());
    EXPECT_EQ(console.hovered, 1);
    // Bar colour (0.2, 0.2, 8.0, 0.4) -> 51, 51, 248 at 102 / 255 over the panel's 64.
    const double r3 = 51 * 0.4 + 64 * 0.6, b3 = 248 * 0.4 + 64 * 0.6;
    expectNear(at(10, 4), r3, r3, b3); // ratio 0: one pixel wide
    expectNear(at(11, 4), 64, 64, 64);
    expectNear(at(10, 15), r3, r3, b3); // the bar ends on the baseline
    expectNear(at(10, 16), 64, 64, 64);
    // Hovered: (0, 0, 1, 0.6) -> 153 / 255 over 64.
    expectNear(at(60, 24), 64 * 0.4, 64 * 0.4, 255 * 0.6 + 64 * 0.4);
    expectNear(at(110, 24), 64 * 0.4, 64 * 0.4, 255 * 0.6 + 64 * 0.4);
    expectNear(at(111, 24), 64, 64, 64);
    expectNear(at(100, 44), r3, r3, b3);
    saveBackBuffer(canvas(), "variable_console");
}

TEST_F(VariableConsoleDisplay, BarRunsFromTenPixelsInToTwoHundredTimesTheRatioAndTwelveRowsUp) {
    fakes[0]->position = 0.5;
    VariableConsole console(&list);
    console.setDatum(Point(300, 200));
    console.draw(canvas()); // pointer far below: no row hovered
    const double r3 = 51 * 0.4 + 64 * 0.6, b3 = 248 * 0.4 + 64 * 0.6;
    // Row 0's baseline is y0 + 15 = 215: the bar covers 310..410 by 203..215.
    expectNear(at(310, 203), r3, r3, b3);
    expectNear(at(410, 203), r3, r3, b3);
    expectNear(at(310, 215), r3, r3, b3);
    expectNear(at(410, 215), r3, r3, b3);
    expectNear(at(309, 209), 64, 64, 64);
    expectNear(at(411, 209), 64, 64, 64);
    expectNear(at(360, 202), 64, 64, 64);
    expectNear(at(360, 216), 64, 64, 64);
    // Row 1 (ratio 0) starts its one-pixel bar 20 rows lower.
    expectNear(at(310, 223), r3, r3, b3);
    expectNear(at(310, 222), 64, 64, 64);
}

TEST_F(VariableConsoleDisplay, TextsMoveWithTheDatum) {
    fakes[0]->text = "42";
    VariableConsole console(&list);
    console.draw(canvas());
    const std::vector<int> atOrigin = textBox(canvas(), 0, 0, 240, 20);
    ASSERT_GE(atOrigin[0], 10) << "the label starts at x0 + 10";
    EXPECT_LE(atOrigin[0], 14);
    EXPECT_EQ(atOrigin[2], 210) << "the value field starts at x0";
    EXPECT_LE(atOrigin[3], 15) << "the baseline is the text's bottom edge";

    canvas().clear(Color::black);
    console.setDatum(Point(300, 200));
    console.draw(canvas());
    EXPECT_EQ(textBox(canvas(), 300, 200, 240, 20),
              (std::vector<int>{atOrigin[0] + 300, atOrigin[1] + 200, atOrigin[2] + 300, atOrigin[3] + 200}));
    EXPECT_EQ(textBox(canvas(), 0, 0, 240, 20), (std::vector<int>{-1, -1, -1, -1}));
}

TEST_F(VariableConsoleDisplay, HoveredRowAndRatioAreMeasuredFromTheDatum) {
    VariableConsole console(&list);
    console.setDatum(Point(300, 200));
    moveMouse(410, 190); // half a row above the panel: floor gives -1, not 0
    console.draw(canvas());
    EXPECT_EQ(console.hovered, -1);
    clickChangesNothing(console);

    moveMouse(410, 225); // row 1, halfway along its bar
    console.draw(canvas());
    EXPECT_EQ(console.hovered, 1);
    platformPostButtonEvent(0, true);
    settle(console);
    ASSERT_FALSE(fakes[1]->ratios.empty());
    EXPECT_EQ(fakes[1]->ratios.back(), 0.5);
    moveMouse(305, 225); // left of x0 + 10: ignored
    const std::size_t calls = fakes[1]->ratios.size();
    console.draw(canvas());
    EXPECT_EQ(fakes[1]->ratios.size(), calls);
    platformPostButtonEvent(0, false);
    settle(console);
}

TEST_F(VariableConsoleDisplay, SelectedRowIsWhiteAndTheOthersGrey) {
    VariableConsole console(&list);
    console.draw(canvas());
    EXPECT_EQ(brightest(canvas(), 13, 7, 100, 7), 255);
    EXPECT_EQ(brightest(canvas(), 13, 27, 100, 7), 178); // 0.7 x 255 = 178.5 - an ulp
    EXPECT_EQ(brightest(canvas(), 13, 47, 100, 7), 178);
    key(vkDown, true);
    key(vkDown, false);
    settle(console);
    EXPECT_EQ(console.selected, 1);
    canvas().clear(Color::black);
    console.draw(canvas());
    EXPECT_EQ(brightest(canvas(), 13, 7, 100, 7), 178);
    EXPECT_EQ(brightest(canvas(), 13, 27, 100, 7), 255);
}

TEST_F(VariableConsoleDisplay, ValueTextEndsNearThePanelsRightEnd) {
    fakes[0]->text = "42";
    VariableConsole console(&list);
    console.draw(canvas());
    // 28 blanks then "42" from x = 3: the 2 starts at 3 + 29 x 7 = 206 and is 5 pixels wide.
    EXPECT_EQ(rightmostText(canvas(), 7, 7), 210);
    EXPECT_EQ(at(206, 13).r, 255); // the 2's bottom row
    EXPECT_EQ(at(210, 13).r, 255);
    // Between the label ("Bar Interval" ends at 13 + 78) and the 4 at 199 only blanks.
    EXPECT_EQ(countPixels(canvas(), 92, 7, 107, 7, Rgba{255, 255, 255, 255}), 0);
    EXPECT_GT(countPixels(canvas(), 13, 7, 79, 7, Rgba{255, 255, 255, 255}), 50);
}

TEST_F(VariableConsoleDisplay, LongValueTextIsCutToThirtyCharacters) {
    fakes[0]->text = "012345678901234567890123456789ABCDEFGHIJ";
    VariableConsole console(&list);
    console.draw(canvas());
    // Thirty glyphs of 7 pixels from x = 3: the last one ends at 3 + 29 x 7 + 4.
    EXPECT_EQ(rightmostText(canvas(), 7, 7), 3 + 29 * 7 + 4);
    EXPECT_EQ(countPixels(canvas(), 214, 7, 200, 7, Rgba{255, 255, 255, 255}), 0);
}

TEST_F(VariableConsoleDisplay, ArrowKeysStepTheSelectedVariableShiftUsesTheSecondStep) {
    VariableConsole console(&list);
    key(vkRight, true);
    key(vkRight, false);
    settle(console);
    EXPECT_EQ(fakes[0]->increments, std::vector<int>{0});
    key(vkShift, true);
    key(vkLeft, true);
    key(vkLeft, false);
    settle(console);
    key(vkShift, false);
    settle(console);
    EXPECT_EQ(fakes[0]->decrements, std::vector<int>{1});
    EXPECT_TRUE(fakes[1]->increments.empty());
}

TEST_F(VariableConsoleDisplay, AKeyHeldAcrossFramesActsOnce) {
    VariableConsole console(&list);
    key(vkRight, true);
    for (int frame = 0; frame < 6; ++frame)
        console.draw(canvas());
    EXPECT_EQ(fakes[0]->increments.size(), 1u);
    key(vkRight, false);
    settle(console);
}

TEST_F(VariableConsoleDisplay, SelectionWrapsAroundBothEnds) {
    VariableConsole console(&list);
    key(vkUp, true);
    key(vkUp, false);
    settle(console);
    EXPECT_EQ(console.selected, 2);
    key(vkDown, true);
    key(vkDown, false);
    settle(console);
    EXPECT_EQ(console.selected, 0);
    key(vkRight, true);
    key(vkRight, false);
    console.selected = 2;
    settle(console);
    EXPECT_EQ(fakes[2]->increments.size(), 1u);
}

TEST_F(VariableConsoleDisplay, PressOnABarSetsItsRatioAndADragKeepsToThatRow) {
    VariableConsole console(&list);
    moveMouse(300, 25); // row 1, button up
    console.draw(canvas());
    ASSERT_EQ(console.hovered, 1);

    moveMouse(110, 70); // now over row 3 (outside), button goes down
    platformPostButtonEvent(0, true);
    settle(console);
    ASSERT_FALSE(fakes[1]->ratios.empty());
    EXPECT_EQ(fakes[1]->ratios.back(), 0.5);
    EXPECT_EQ(console.hovered, 1) << "hovered stays while the button is held";

    moveMouse(60, 5); // over row 0 now: still row 1 changes
    console.draw(canvas());
    EXPECT_EQ(fakes[1]->ratios.back(), 0.25);
    EXPECT_TRUE(fakes[0]->ratios.empty());

    const std::size_t calls = fakes[1]->ratios.size();
    moveMouse(5, 25); // left of the bar: ignored, not clamped
    console.draw(canvas());
    moveMouse(215, 25); // beyond its end: ignored
    console.draw(canvas());
    EXPECT_EQ(fakes[1]->ratios.size(), calls);
    moveMouse(210, 25); // exactly the end: ratio 1
    console.draw(canvas());
    EXPECT_EQ(fakes[1]->ratios.back(), 1.0);

    platformPostButtonEvent(0, false);
    moveMouse(300, 45);
    settle(console);
    EXPECT_EQ(console.hovered, 2);
}

TEST_F(VariableConsoleDisplay, PressOutsideThePanelRowsChangesNothing) {
    VariableConsole console(&list);
    moveMouse(110, 200); // row 10: no such row
    console.draw(canvas());
    EXPECT_EQ(console.hovered, 10);
    clickChangesNothing(console);
}

TEST_F(VariableConsoleDisplay, RealVariablesChangeThroughTheirOwnSteps) {
    ExperimentalMethods::VariableList variables;
    int interval = 5;
    Interval r;
    variables.append(interval).label("Bar Interval").range(2 <= r <= 6).step(2).step(1);
    VariableConsole console(&variables);
    key(vkRight, true);
    key(vkRight, false);
    settle(console);
    EXPECT_EQ(interval, 5) << "7 is outside 2..6";
    key(vkShift, true);
    key(vkRight, true);
    key(vkRight, false);
    settle(console);
    key(vkShift, false);
    settle(console);
    EXPECT_EQ(interval, 6);
}

Canvas* overlayOwner = nullptr;
bool consoleInOverlay = false;
bool cursorOn = false;

void hostedRoutine() {
    const std::vector<Figure*>& overlay = overlayOwner->overlay;
    consoleInOverlay = !overlay.empty() && dynamic_cast<VariableConsole*>(overlay.back()) != nullptr;
    cursorOn = Mouse::softwareCursorShown();
}

TEST_F(VariableConsoleDisplay, HostRunPutsTheConsoleIntoTheCanvasOverlayOnceACanvasExists) {
    ASSERT_EQ(isCanvasTarget(), &canvas());
    overlayOwner = &canvas();
    const std::size_t before = canvas().overlay.size();
    const std::size_t inGroup = overlayGroup().size();
    {
        ExperimentalMethods::ProcedureHost host;
        host.setRoutine(&hostedRoutine);
        host.run();
        EXPECT_TRUE(consoleInOverlay);
        EXPECT_TRUE(cursorOn);
        ASSERT_EQ(canvas().overlay.size(), before + 1);
        EXPECT_EQ(canvas().overlay.back(), &host.console);
        EXPECT_EQ(overlayGroup().size(), inGroup) << "not the group: a canvas exists";
    }
    EXPECT_EQ(canvas().overlay.size(), before);
    Mouse::hideSoftwareCursor();
    overlayOwner = nullptr;
}

} // namespace
} // namespace Stimora::Testing
