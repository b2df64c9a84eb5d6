#include "CanvasFixture.h"
#include "CountingAllocations.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "base/Exception.h"
#include "devices/Clock.h"
#include "devices/Mouse.h"
#include "display/FlipListener.h"
#include "display/FrameLog.h"

namespace Stimora::Testing {
namespace {

// A counter that moves 1 microsecond each time it is read, plus whatever a test adds: a
// flip's busy wait ends after a known number of reads, and intervals are exact.
std::int64_t fakeTicks = 0;
std::int64_t step = 1;
std::int64_t fakeCounter() {
    fakeTicks += step;
    return fakeTicks;
}

class Flip : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        rate = Clock::tickRate();
        ASSERT_GT(rate, 0);
        step = rate >= 1000 ? rate / 1000 : 1;
        // Continue from the real counter, so the canvas's stamps stay in the past.
        fakeTicks = Clock::counterNow();
        Clock::setCounterSource(fakeCounter);
        canvas().stopFrameCounting().resetFrameCounts();
        canvas().flip(); // leaves holdFrames 1 and every stamp on the fake counter
        period = canvas().getFramePeriod();
    }
    void TearDown() override {
        canvas().stopFrameCounting().resetFrameCounts();
        Clock::setCounterSource(nullptr);
    }
    // Lets ms milliseconds pass between flips.
    void wait(double ms) { fakeTicks += static_cast<std::int64_t>(ms * rate); }
    // Slack for the handful of counter reads inside one flip.
    double slack() const { return 20.0 * step / rate; }

    std::int64_t rate = 0;
    double period = 0.0;
};

TEST_F(Flip, VirtualDisplayRunsAtSixtyHertz) {
    EXPECT_EQ(canvas().getRefreshRate(), 60.0);
    EXPECT_DOUBLE_EQ(period, 1000.0 / 60.0);
}

TEST_F(Flip, FrameCountBelowOneIsRefusedAndChangesNothing) {
    canvas().flip(2);
    for (int frames : {0, -1}) {
        try {
            canvas().flip(frames);
            ADD_FAILURE() << "flip(" << frames << ") accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.text(),
                      "class Stimora::Canvas [ARGUMENT ERROR] frame duration must be more than zero.");
        }
        EXPECT_EQ(canvas().getHoldFrames(), 2);
    }
}

TEST_F(Flip, FractionalFrameCountsAreRefusedNotTruncated) {
    const std::string text =
        "class Stimora::Canvas [Specification Error] Canvas::flip can not accept float point number.";
    try {
        canvas().flip(2.0);
        ADD_FAILURE() << "flip(2.0) accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), text);
    }
    try {
        canvas().flip(1.5f);
        ADD_FAILURE() << "flip(1.5f) accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), text);
    }
    EXPECT_EQ(canvas().getHoldFrames(), 1);
}

TEST_F(Flip, OneFrameNeedsOnlyATenthOfAPeriod) {
    canvas().flip();
    EXPECT_GE(canvas().getLastInterval(), 0.1 * period);
    EXPECT_LT(canvas().getLastInterval(), 0.1 * period + slack());
}

TEST_F(Flip, TwoFramesAreHeldForTwoPeriodsBeforeTheNextSwap) {
    canvas().flip(2);
    EXPECT_EQ(canvas().getHoldFrames(), 2);
    canvas().flip(1);
    EXPECT_GE(canvas().getLastInterval(), 2 * period);
    EXPECT_LT(canvas().getLastInterval(), 2 * period + slack());
    EXPECT_EQ(canvas().getHoldFrames(), 1);
}

TEST_F(Flip, ALateFrameIsNotHeldAgain) {
    canvas().flip(3);
    wait(80);
    canvas().flip(1);
    EXPECT_GE(canvas().getLastInterval(), 80.0);
    EXPECT_LT(canvas().getLastInterval(), 80.0 + slack());
}

TEST_F(Flip, FlipAfterStretchesTheFrameOnScreenAndFlipsForOne) {
    canvas().flip(1);
    canvas().startFrameCounting();
    canvas().flip(1); // arms the count
    canvas().flipAfter(3);
    EXPECT_GE(canvas().getLastInterval(), 3 * period);
    EXPECT_LT(canvas().getLastInterval(), 3 * period + slack());
    EXPECT_EQ(canvas().getHoldFrames(), 1);
    // Judged against one period: floor((3 period - 1) / period) = 2.
    EXPECT_EQ(canvas().getLastDroppedFrames(), 2);
}

// flipsWithDrops and the latest drop count survive resetFrameCounts(): the shared canvas
// carries them from test to test, so they are compared with their values before.
TEST_F(Flip, FirstCountedFlipIsNotJudged) {
    const int flipsWithDrops = canvas().frameStatistics.flipsWithDrops;
    const int lastDrops = canvas().getLastDroppedFrames();
    canvas().startFrameCounting();
    wait(100);
    canvas().flip();
    EXPECT_EQ(canvas().frameStatistics.droppedFrames, 0);
    EXPECT_EQ(canvas().frameStatistics.frames, 0);
    EXPECT_EQ(canvas().frameStatistics.flipsWithDrops, flipsWithDrops);
    EXPECT_EQ(canvas().getLastDroppedFrames(), lastDrops);
    wait(17.5);
    canvas().flip();
    // Both counted flips are in frames once the count is armed.
    EXPECT_EQ(canvas().frameStatistics.frames, 2);
    EXPECT_EQ(canvas().frameStatistics.refreshes, 2);
}

TEST_F(Flip, MissedRefreshesAreCountedFromOnePeriodPlusOneMillisecond) {
    const int flipsWithDrops = canvas().frameStatistics.flipsWithDrops;
    canvas().startFrameCounting();
    canvas().flip();
    wait(33.5);
    canvas().flip();
    EXPECT_EQ(canvas().getLastDroppedFrames(), 1); // floor((33.5 - 1) / 16.667)
    wait(17.5);
    canvas().flip();
    EXPECT_EQ(canvas().getLastDroppedFrames(), 0);
    wait(period + 1.0 - 0.01);
    canvas().flip();
    EXPECT_EQ(canvas().getLastDroppedFrames(), 0);
    wait(period + 1.0);
    canvas().flip();
    EXPECT_EQ(canvas().getLastDroppedFrames(), 1);
    wait(2 * period + 1.0);
    canvas().flip();
    EXPECT_EQ(canvas().getLastDroppedFrames(), 2);

    const Canvas::FrameStatistics& s = canvas().frameStatistics;
    EXPECT_EQ(s.droppedFrames, 4);
    EXPECT_EQ(s.frames, 6);
    EXPECT_EQ(s.refreshes, 10);
    EXPECT_EQ(s.lastDroppedFrames, 2);
    EXPECT_EQ(s.flipsWithDrops, flipsWithDrops + 3);
}

TEST_F(Flip, AnEarlyFrameCountsNegativeDrops) {
    const int flipsWithDrops = canvas().frameStatistics.flipsWithDrops;
    canvas().startFrameCounting();
    canvas().flip();
    wait(17.5);
    canvas().flip(3); // judged against its own three refreshes
    EXPECT_EQ(canvas().getLastDroppedFrames(), -2);
    EXPECT_EQ(canvas().frameStatistics.droppedFrames, -2);
    EXPECT_EQ(canvas().frameStatistics.flipsWithDrops, flipsWithDrops + 1);
    EXPECT_EQ(canvas().frameStatistics.refreshes, 1 + 3 - 2);
}

TEST_F(Flip, StoppingDisarmsResettingZeroesTheTotals) {
    const int flipsWithDrops = canvas().frameStatistics.flipsWithDrops;
    canvas().startFrameCounting();
    canvas().flip();
    wait(30);
    canvas().flip();
    ASSERT_EQ(canvas().frameStatistics.droppedFrames, 1);

    canvas().stopFrameCounting();
    wait(30);
    canvas().flip(); // not counting
    EXPECT_EQ(canvas().frameStatistics.frames, 2);

    canvas().resetFrameCounts();
    EXPECT_EQ(canvas().frameStatistics.frames, 0);
    EXPECT_EQ(canvas().frameStatistics.droppedFrames, 0);
    EXPECT_EQ(canvas().frameStatistics.refreshes, 0);
    EXPECT_EQ(canvas().frameStatistics.flipsWithDrops, flipsWithDrops + 1); // kept
    EXPECT_EQ(canvas().frameStatistics.lastDroppedFrames, 1);

    canvas().startFrameCounting();
    wait(30);
    canvas().flip(); // first after a stop: not judged
    EXPECT_EQ(canvas().frameStatistics.droppedFrames, 0);
    EXPECT_EQ(canvas().getLastDroppedFrames(), 1);
}

TEST_F(Flip, StartingTheCountRestampsTheLastSwap) {
    canvas().startFrameCounting();
    canvas().flip();
    wait(30);
    canvas().startFrameCounting(); // the time before this does not count
    wait(10);
    canvas().flip();
    EXPECT_GE(canvas().getLastInterval(), 10.0);
    EXPECT_LT(canvas().getLastInterval(), 10.0 + slack());
    EXPECT_EQ(canvas().getLastDroppedFrames(), 0);
}

TEST_F(Flip, StatisticsPanelColoursTheLastIntervalByHowLateItWas) {
    // The third line, ending at x = width - 12 on baseline 65: rows 49..65.
    const int w = canvas().getWidth();
    auto third = [&](const Rgba& colour) { return countPixels(canvas(), w - 100, 46, 98, 21, colour); };
    const Rgba red{255, 0, 0, 255}, cyan{0, 255, 255, 255}, white{255, 255, 255, 255};
    canvas().showFrameStatistics();
    canvas().startFrameCounting();
    canvas().flip(); // arms the count

    // Late by a refresh: red.
    wait(33.5);
    canvas().flip();
    ASSERT_EQ(canvas().getLastDroppedFrames(), 1);
    canvas().clear(Color::black);
    canvas().flip(); // the panel shows the interval before this flip: 33
    EXPECT_GT(third(red), 0);
    EXPECT_EQ(third(cyan) + third(white), 0);
    // "33": two cells, 284..292 and 296..304 for a 320-pixel canvas; none beyond w - 12.
    EXPECT_GT(countPixels(canvas(), w - 36, 46, 9, 21, red), 0);
    EXPECT_GT(countPixels(canvas(), w - 24, 46, 9, 21, red), 0);
    EXPECT_EQ(countPixels(canvas(), w - 11, 46, 11, 21, red), 0);
    EXPECT_EQ(countPixels(canvas(), w - 48, 46, 12, 21, red), 0);

    // Longer than a period, no refresh missed: cyan.
    wait(period + 0.5);
    canvas().flip();
    ASSERT_EQ(canvas().getLastDroppedFrames(), 0);
    ASSERT_GT(canvas().getLastInterval(), period);
    canvas().clear(Color::black);
    canvas().flip();
    EXPECT_GT(third(cyan), 0);
    EXPECT_EQ(third(red) + third(white), 0);

    // Within a period: white (the previous flip came a tenth of a period after its own).
    canvas().clear(Color::black);
    canvas().flip();
    EXPECT_GT(third(white), 0);
    EXPECT_EQ(third(red) + third(cyan), 0);
    canvas().hideFrameStatistics();
}

TEST_F(Flip, FreeFunctionsActOnTheCurrentCanvas) {
    ASSERT_EQ(currentCanvas(), &canvas());
    flip(2);
    EXPECT_EQ(canvas().getHoldFrames(), 2);
    flip();
    EXPECT_EQ(canvas().getHoldFrames(), 1);
    EXPECT_THROW(flip(0), Exception);
    EXPECT_THROW(flip(1.0), Exception);
    startFrameCounting();
    flip();
    wait(30);
    flip();
    EXPECT_EQ(getLastDroppedFrames(), 1);
    EXPECT_EQ(frameStatistics().droppedFrames, 1);
    resetFrameCounts();
    EXPECT_EQ(frameStatistics().droppedFrames, 0);
    stopFrameCounting();
}

// A canvas never set has nothing to draw into: the same refusal as before any canvas exists,
// not a call through a null pointer. Null text draws nothing.
TEST_F(Flip, AnUnsetCanvasRefusesAndNullTextDrawsNothing) {
    Canvas unset;
    for (auto draw : {+[](Canvas& c) { c.flip(); }, +[](Canvas& c) { c.rect(box(0, 0, 3, 3), Color::white); },
                      +[](Canvas& c) { c.segmentText("1", 0, 20, Color::white); }}) {
        try {
            draw(unset);
            ADD_FAILURE() << "an unset canvas drew";
        } catch (Exception* e) {
            EXPECT_EQ(e->text(),
                      "class Stimora::Exception [] Canvas-dependent function was called before the "
                      "instantiation of Canvas.");
            delete e;
        }
    }
    canvas().clear(Color::black).segmentText(nullptr, 10, 30, Color::white);
    EXPECT_EQ(countLit(canvas(), 0, 0, 320, 240), 0);
}

TEST_F(Flip, ListenersSeeTheRefreshGridAndMarkTheirFlip) {
    struct Listener : FlipListener {
        Clock predicted, onset;
        void beforeSwap(Clock at) noexcept override { predicted = at; }
        void afterSwap(Clock at, FrameLog& log) noexcept override {
            onset = at;
            log.mark("trigger", 7, predicted, at);
        }
    } listener;
    canvas().addFlipListener(listener).addFlipListener(listener).startFrameLog(4);
    canvas().flip(2);
    const Clock first = canvas().getLastFlipTime();
    EXPECT_EQ(listener.onset, first);
    // Within the hold the frame comes when the hold ends; past it, at the grid's next refresh.
    EXPECT_NEAR((canvas().predictNextOnset() - first).milliseconds(), 2 * period, slack());
    wait(3.5 * period);
    canvas().flip();
    EXPECT_NEAR((listener.predicted - first).milliseconds(), 4 * period, slack());
    canvas().removeFlipListener(listener).flip();
    const FrameLog& log = canvas().stopFrameLog().frameLog();
    ASSERT_EQ(log.markCount(), 2u);
    EXPECT_EQ(log.markAt(1).flip, 1);
    EXPECT_EQ(log.markAt(1).value, 7);
    EXPECT_DOUBLE_EQ(log.markAt(1).reported, log[1].onset);
}

TEST_F(Flip, AllocatesNothing) {
    if (!STIMORA_COUNT_ALLOCATIONS)
        GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
    Rectangle dot;
    dot.set(1, 1);
    dot.setColor(Color::white);
    canvas().overlay.push_back(&dot);
    canvas().showFrameStatistics();
    Mouse::showSoftwareCursor();
    canvas().startFrameCounting();
    // llvmpipe compiles a pipeline variant (allocating, through LLVM) the first time a state
    // combination is drawn: those allocations are the driver's, made before counting.
    for (int i = 0; i < 10; ++i)
        canvas().flip();

    // The counter sees an allocation...
    allocations = 0;
    countingAllocations = true;
    int* volatile probe = new int(1);
    delete probe;
    countingAllocations = false;
    ASSERT_EQ(allocations, 1);

    // ... and none in five flips with every part of a frame switched on.
    allocations = 0;
    countingAllocations = true;
    for (int i = 0; i < 5; ++i) {
        wait(30);
        canvas().flip(i % 2 + 1);
    }
    countingAllocations = false;

    Mouse::hideSoftwareCursor();
    canvas().hideFrameStatistics();
    canvas().overlay.pop_back();
    EXPECT_EQ(allocations, 0);
}

} // namespace
} // namespace Stimora::Testing
