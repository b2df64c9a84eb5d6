// The canvas's frames: flip, its hold and accounting, the statistics panel, the progress bar.

#include "display/Canvas.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "APICanvasProperties.h"
#include "GLCheck.h"
#include "Platform.h"
#include "base/Exception.h"
#include "devices/Mouse.h"
#include "display/CanvasInternal.h"
#include "display/FlipListener.h"
#include "figures/Rectangle.h"

namespace Stimora {

using namespace detail;

// ---------------------------------------------------------------- frames

Canvas& Canvas::flip() {
    activate();
    return flip(1);
}

Canvas& Canvas::flip(int frames) {
    activate();
    if (frames < 1)
        throw Exception(typeid(Canvas), "ARGUMENT ERROR", "frame duration must be more than zero.");
    if (!flipListeners.empty()) {
        const Clock predicted = predictNextOnset();
        for (FlipListener* listener : flipListeners)
            listener->beforeSwap(predicted);
    }

    // Index loop: a figure may append to the overlay while it is drawn.
    for (std::size_t i = 0; i < overlay.size(); ++i)
        overlay[i]->draw(*this);
    if (statisticsShown)
        drawStatistics();
    drawSoftwareCursor();
    // The cursor goes to the default drawing target, which may be another canvas: finish
    // and swap in this one's context.
    activate();
    glCheck(glFinish());

    holdPreviousFrame();
    beforeLastSwap.update();
    const std::int64_t onset = api->swapBuffers();
    // The hold the replaced frame was given (flipAfter may have stretched it).
    const int scheduled = holdFrames > 1 ? holdFrames : 1;
    holdFrames = frames;

    Clock now(onset);
    if (onset == 0)
        now.update();
    lastInterval = (now - lastSwapEnd).milliseconds();
    lastSwapEnd = now;
    lastFlipInterval = (now - lastFlipTime).milliseconds();
    lastFlipTime = now;

    if (counting) {
        countedFrames += frames;
        if (countingArmed) {
            // Judged against the count of the flip now being made; an early frame gives a
            // negative count.
            const int missed = missedRefreshes(lastInterval, holdFrames);
            countedDrops += missed;
            statistics.droppedFrames = countedDrops;
            lastDrops = missed;
            statistics.frames = countedFrames;
            statistics.lastDroppedFrames = missed;
            if (missed != 0)
                statistics.flipsWithDrops += 1;
            statistics.refreshes = countedDrops + countedFrames;
        } else {
            countingArmed = true;
        }
    }
    if (log.isOn())
        log.record(frames, now, lastFlipInterval, missedRefreshes(lastFlipInterval, scheduled));
    for (FlipListener* listener : flipListeners)
        listener->afterSwap(now, log);
    return *this;
}

// Holds the frame now on screen for its refreshes; a one-refresh frame only needs a short
// guard so that two swaps never fall into one refresh. The wait spins on the clock, and
// reads the window system every quarter millisecond so that responses are stamped when
// they arrive, not when the experiment next asks.
void Canvas::holdPreviousFrame() {
    const double hold = holdFrames >= 2 ? holdFrames * framePeriod : 0.1 * framePeriod;
    double nextSample = 0.0;
    for (;;) {
        const double waited = (Clock::now() - beforeLastSwap).milliseconds();
        if (waited >= hold)
            return;
        if (waited >= nextSample) {
            platformSampleInput();
            nextSample = waited + 0.25;
        }
    }
}

int Canvas::missedRefreshes(double interval, int heldFrames) const {
    const double margin = std::min(1.0, 0.5 * framePeriod);
    return static_cast<int>(std::floor(((interval - margin) - (heldFrames - 1) * framePeriod) / framePeriod));
}

// A short run of flips (about half a second, 10 to 60 of them) on a black frame: the
// refresh the canvas really gets, which a mode switch or a driver can make differ from the
// nominal one.
void Canvas::measureRefresh() {
    timeFlips();
    // A driver that accepted refresh-locked swaps and then does not wait for the refresh would
    // run free, showing frames faster than they are counted: pace it, and say so on screen.
    if (refreshSource == refreshDisplay && measuredPeriod < 0.75 * framePeriod) {
        std::fprintf(
            stderr,
            "Stimora: swaps came every %.3f ms although the refresh period is %.3f ms: the driver does "
            "not wait for the refresh. Frames are paced in software from now on.\n",
            measuredPeriod, framePeriod);
        api->pace();
        refreshSource = refreshPaced;
        showSyncWarning();
        timeFlips();
    }
}

void Canvas::timeFlips() {
    const int flips = std::clamp(static_cast<int>(std::lround(500.0 / framePeriod)), 10, 60);
    clear(back);
    flip(1);
    double sum = 0.0, squares = 0.0;
    for (int i = 0; i < flips; ++i) {
        clear(back);
        flip(1);
        sum += lastFlipInterval;
        squares += lastFlipInterval * lastFlipInterval;
    }
    measuredPeriod = sum / flips;
    measuredPeriodSD = std::sqrt(std::max(0.0, (squares - sum * sum / flips) / (flips - 1)));
    if (std::fabs(measuredPeriod - framePeriod) > 0.01 * framePeriod)
        std::fprintf(stderr,
                     "Stimora: the measured refresh period, %.3f ms (sd %.3f ms over %d flips), differs from "
                     "the nominal %.3f ms (%.2f Hz) by more than 1 %%.\n",
                     measuredPeriod, measuredPeriodSD, flips, framePeriod, refreshRate);
}

Clock Canvas::predictNextOnset() const {
    const double period = framePeriod > 0.0 ? framePeriod : 1000.0 / 60.0;
    const double hold = (holdFrames > 1 ? holdFrames : 1) * period;
    const double since = (Clock::now() - lastFlipTime).milliseconds();
    // Past the hold already: the frame can only come at a later refresh of the same grid.
    const double ahead = since <= hold ? hold : std::ceil(since / period) * period;
    return lastFlipTime + Clock(static_cast<std::int64_t>(std::llround(ahead * Clock::tickRate())));
}

Canvas& Canvas::addFlipListener(FlipListener& listener) {
    if (std::find(flipListeners.begin(), flipListeners.end(), &listener) == flipListeners.end())
        flipListeners.push_back(&listener);
    return *this;
}

Canvas& Canvas::removeFlipListener(FlipListener& listener) {
    flipListeners.erase(std::remove(flipListeners.begin(), flipListeners.end(), &listener),
                        flipListeners.end());
    return *this;
}

// ---------------------------------------------------------------- frame log

Canvas& Canvas::startFrameLog(int capacity) {
    log.start(capacity, Clock::now());
    return *this;
}

Canvas& Canvas::stopFrameLog() {
    log.stop();
    return *this;
}

Canvas& Canvas::saveFrameLog(const std::string& path) {
    log.save(path);
    return *this;
}

std::string Canvas::timingReport() const {
    const FrameLog::Summary s = log.summarize();
    const char* source = refreshSource == refreshSimulated ? "simulated"
                         : refreshSource == refreshPaced
                             ? "paced in software (no vsync; the picture may tear)"
                             : "locked to the display's vertical refresh";
    char text[768];
    int n = std::snprintf(
        text, sizeof text,
        "Frame timing: %d flips showed %d frames over %d refreshes; %d refreshes dropped at "
        "%d flips. Interval mean %.3f ms, sd %.3f ms, max %.3f ms (nominal %.3f ms, measured "
        "at start %.3f ms). Refresh %.2f Hz, %s. Onsets stamped at %s.",
        s.flips, s.frames, s.frames + s.drops, s.drops, s.flipsWithDrops, s.meanInterval, s.sdInterval,
        s.maxInterval, framePeriod, measuredPeriod, refreshRate, source, api->onsetSource);
    if (log.overflow() > 0 && n > 0 && n < static_cast<int>(sizeof text))
        std::snprintf(text + n, sizeof text - n, " %d later flips did not fit in the log.", log.overflow());
    return text;
}

namespace {
[[noreturn]] void refuseFractionalFrames() {
    throw Exception(typeid(Canvas), "Specification Error", "Canvas::flip can not accept float point number.");
}
} // namespace

Canvas& Canvas::flip(float) {
    refuseFractionalFrames();
}
Canvas& Canvas::flip(double) {
    refuseFractionalFrames();
}
Canvas& Canvas::flip(long double) {
    refuseFractionalFrames();
}

Canvas& Canvas::flipAfter(int frames) {
    holdFrames += frames - 1;
    return flip(1);
}

void Canvas::drawStatistics() {
    // Panel of 3.5 lines of the seven-segment font (line height 19 + 3 = 22).
    constexpr int lineHeight = segmentFontSize + 3;
    Rectangle panel;
    panel.set(width - 100, 1, width - 2, static_cast<int>(3.5 * lineHeight));
    rect(panel, Color(Color::raw, 0.0, 0.0, 0.0, 0.5));

    char text[16];
    const double right = width - 12;
    std::snprintf(text, sizeof text, "%i", statistics.droppedFrames);
    segmentText(text, right, lineHeight - 1, Color::red, false);
    std::snprintf(text, sizeof text, "%i", statistics.refreshes);
    segmentText(text, right, 2 * lineHeight - 1, Color::white, false);
    std::snprintf(text, sizeof text, "%i", static_cast<int>(lastInterval));
    const Color& intervalColor = statistics.lastDroppedFrames >= 1 ? Color::red
                                 : lastInterval > framePeriod      ? Color::cyan
                                                                   : Color::white;
    segmentText(text, right, 3 * lineHeight - 1, intervalColor, false);
}

void Canvas::drawSoftwareCursor() {
    if (!Mouse::softwareCursorShown())
        return;
    // A white cross with a black border on the last polled cursor position.
    const double x = Mouse::x(), y = Mouse::y();
    Drawable& target = defaultTarget();
    Rectangle bar;
    target.rect(bar.set(11, 3).centerAt(x, y), Color::black);
    target.rect(bar.set(3, 11).centerAt(x, y), Color::black);
    target.rect(bar.set(9, 1).centerAt(x, y), Color::white);
    target.rect(bar.set(1, 9).centerAt(x, y), Color::white);
}

// ---------------------------------------------------------------- statistics

Canvas& Canvas::startFrameCounting() {
    counting = true;
    lastSwapEnd.update();
    return *this;
}

Canvas& Canvas::stopFrameCounting() {
    counting = false;
    countingArmed = false;
    return *this;
}

Canvas& Canvas::resetFrameCounts() {
    countedFrames = 0;
    countedDrops = 0;
    statistics.frames = 0;
    statistics.droppedFrames = 0;
    statistics.refreshes = 0;
    return *this;
}

int Canvas::getLastDroppedFrames() {
    return lastDrops;
}

Canvas& Canvas::showFrameStatistics() {
    statisticsShown = true;
    return *this;
}

Canvas& Canvas::hideFrameStatistics() {
    statisticsShown = false;
    return *this;
}

// ---------------------------------------------------------------- progress bar

Canvas& Canvas::progressBar(double fraction) {
    activate();
    if (fraction > 1.0)
        fraction = 1.0;
    glCheck(glDrawBuffer(GL_FRONT));
    rect(progressRectangle, progressBackColor);
    if (fraction > 0.0) {
        const double left = progressRectangle.getLeft();
        Rectangle bar;
        bar.set(left, progressRectangle.getTop(), left + std::trunc(fraction * progressRectangle.getWidth()),
                progressRectangle.getBottom());
        rect(bar, progressBarColor);
    }
    glCheck(glFlush());
    glCheck(glDrawBuffer(GL_BACK));
    return *this;
}

Canvas& Canvas::setProgressBar(const Rectangle& rectangle, const Color& barColor, const Color& backColor) {
    progressRectangle.set(rectangle);
    progressBarColor = barColor;
    progressBackColor = backColor;
    return *this;
}

Canvas& Canvas::setProgressBar(double left, double top, double right, double bottom, const Color& barColor,
                               const Color& backColor) {
    progressRectangle.set(left, top, right, bottom);
    progressBarColor = barColor;
    progressBackColor = backColor;
    return *this;
}

} // namespace Stimora
