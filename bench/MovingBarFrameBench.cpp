// Cost of the heaviest moving-bar frame (108 bars a row: 219 filled rectangles and the rate
// text, after a clear), issued through the canvas and issued as raw OpenGL calls, each
// finished with glFinish but without the hold and swap of flip: wall time, and in the CPU
// column the whole process's (the renderer's threads included). A third benchmark counts the
// allocations of flip itself (it must make none).
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/MovingBarFrameBench

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "display/Canvas.h"
#include "figures/Rectangle.h"

#include "../tests/support/CountingAllocations.h"
#include "BenchSupport.h"

namespace {

using namespace Stimora;
using namespace Stimora::Bench;
using namespace Stimora::Testing;

// Bar width 3, interval 2, eccentricity 40 on 1024 x 768: path 648, 108 bars a row, 6 apart.
constexpr int screenWidth = 1024, screenHeight = 768;
constexpr int barWidth = 3, barInterval = 2, barHeight = 40, eccentricity = 40;
constexpr int pathLength = 650 - 650 % (2 * barWidth * barInterval);
constexpr int barsPerRow = pathLength / (barWidth * barInterval);
constexpr int spacing = barWidth * barInterval;
constexpr int maskHeight = 600;
constexpr int maskWidth = screenWidth / 2 - (pathLength / 2 - 2 * barWidth * barInterval);
static_assert(barsPerRow == 108, "the heaviest frame has 108 bars a row");

// The frame's rectangles, placed as the moving-bar routine places them at frame h = 1.
struct Frame {
    Rectangle fixation, leftMask, rightMask;
    Rectangle rowA[barsPerRow], rowB[barsPerRow];
    Color first{1.0, 0.0, 0.0, 1.0}, second{0.0, 1.0, 0.0, 1.0};

    Frame() {
        const int x0 = screenWidth / 2 - pathLength / 2, x1 = screenWidth / 2 + pathLength / 2;
        const int yu = screenHeight / 2 - eccentricity, yl = screenHeight / 2 + eccentricity;
        fixation.set(5, 5);
        fixation.centerAt(screenWidth * 0.5, screenHeight * 0.5);
        leftMask.set(maskWidth, maskHeight);
        leftMask.centerAt(maskWidth / 2, screenHeight / 2);
        rightMask.set(maskWidth, maskHeight);
        rightMask.centerAt(screenWidth - maskWidth / 2, screenHeight / 2);
        for (int s = 0; s < barsPerRow; ++s) {
            rowA[s].set(barWidth, barHeight);
            rowA[s].centerAt(x0 + barWidth, yu).shift(s * spacing, 0);
            rowB[s].set(barWidth, barHeight);
            rowB[s].centerAt(x1 - barWidth, yl).shift(-s * spacing, 0);
        }
    }
};

void BM_FrameThroughCanvas(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    Frame f;
    for (auto _ : state) {
        c->clear(Color::black);
        c->rect(f.fixation, Color::white);
        for (int s = 0; s < barsPerRow; ++s) {
            c->rect(f.rowA[s], s % 2 ? f.second : f.first);
            c->rect(f.rowB[s], s % 2 ? f.second : f.first);
        }
        c->segmentText("15", 320, 80, Color::white, false);
        c->rect(f.leftMask, Color::black);
        c->rect(f.rightMask, Color::black);
        glFinish();
    }
    state.counters["rectangles"] = 1 + 2 * barsPerRow + 2;
}
BENCHMARK(BM_FrameThroughCanvas)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same picture as a hand-written immediate-mode program would draw it: the same
// coordinates, a colour per rectangle as the routine gives one, the digits' line segments.
void rawRect(const Rectangle& r) {
    glRectd(r.left, r.top, r.right + 1.0, r.bottom + 1.0);
}

void rawSegmentText(int right, int baseline) {
    // "15": the 1 (two right segments) and the 5 (top, upper left, middle, lower right, bottom).
    glBegin(GL_LINES);
    const int one = right - 24, five = right - 12;
    const int lines[][4] = {{one + 8, -15, one + 8, -8},    {one + 8, -7, one + 8, 0},
                            {five + 1, -16, five + 8, -16}, {five, -15, five, -8},
                            {five + 1, -8, five + 8, -8},   {five + 8, -7, five + 8, 0},
                            {five + 1, 0, five + 8, 0}};
    for (const auto& l : lines) {
        glVertex2i(l[0], baseline + l[1]);
        glVertex2i(l[2], baseline + l[3]);
    }
    glEnd();
}

void BM_FrameRawOpenGL(benchmark::State& state) {
    if (!canvas()) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    Frame f;
    for (auto _ : state) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4ub(255, 255, 255, 255);
        rawRect(f.fixation);
        for (int s = 0; s < barsPerRow; ++s) {
            const GLubyte r = s % 2 ? 0 : 255, g = s % 2 ? 255 : 0;
            glColor4ub(r, g, 0, 255);
            rawRect(f.rowA[s]);
            glColor4ub(r, g, 0, 255);
            rawRect(f.rowB[s]);
        }
        glColor4ub(255, 255, 255, 255);
        rawSegmentText(320, 80);
        glColor4ub(0, 0, 0, 255);
        rawRect(f.leftMask);
        glColor4ub(0, 0, 0, 255);
        rawRect(f.rightMask);
        glFinish();
    }
    state.counters["rectangles"] = 1 + 2 * barsPerRow + 2;
}
BENCHMARK(BM_FrameRawOpenGL)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);

// A whole flip (overlay with the warning bar, statistics panel, wait, swap, accounting):
// the counter "allocations" must stay 0.
void BM_FlipAllocations(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    c->showFrameStatistics().startFrameCounting();
    // llvmpipe compiles a new pipeline variant (with LLVM, which allocates through operator
    // new) the first time a state combination is drawn; let it do so before counting.
    for (int i = 0; i < 10; ++i)
        c->flip();
    allocations = 0;
    for (auto _ : state) {
        countingAllocations = true;
        c->flip();
        countingAllocations = false;
    }
    c->hideFrameStatistics().stopFrameCounting();
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK(BM_FlipAllocations)->Iterations(60)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
