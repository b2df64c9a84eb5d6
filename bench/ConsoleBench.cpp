// CPU cost of the variable console's frame (input queries, panel, bars and texts) with six
// rows, as the moving-bar program shows, and with fifty; and of drawing one cached 20-character
// outline text, which must be one display-list call per character and allocate nothing.
// Each iteration ends with glFinish outside the timing, so the driver's work is not left
// queued and the numbers are the submitting thread's own.
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/ConsoleBench

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <vector>

#include "APIFontProperties.h"
#include "display/Canvas.h"
#include "experiment/VariableConsole.h"
#include "experiment/VariableList.h"
#include "figures/Letters.h"

#include "../tests/support/CountingAllocations.h"
#include "BenchSupport.h"

namespace {

using namespace Stimora;
using namespace Stimora::Bench;
using namespace Stimora::Testing;
using namespace Stimora::ExperimentalMethods;

void consoleFrame(benchmark::State& state) {
    Canvas* target = canvas();
    if (!target) {
        state.SkipWithError("no display");
        return;
    }
    const int rows = static_cast<int>(state.range(0));
    VariableList variables;
    std::vector<int> ints(static_cast<std::size_t>(rows));
    std::vector<double> doubles(static_cast<std::size_t>(rows));
    for (int k = 0; k < rows; ++k) {
        Interval r;
        if (k % 2 == 0) {
            ints[static_cast<std::size_t>(k)] = 2 + k % 5;
            variables.append(ints[static_cast<std::size_t>(k)])
                .label("Bar Interval")
                .range(2 <= r <= 6)
                .step(2);
        } else {
            doubles[static_cast<std::size_t>(k)] = 0.35;
            variables.append(doubles[static_cast<std::size_t>(k)])
                .label("Green Luminance")
                .range(0.0 <= r <= 1.0)
                .step(0.05);
        }
    }
    VariableConsole console(&variables);
    for (int warmUp = 0; warmUp < 5; ++warmUp)
        console.draw(*target);
    glFinish();
    long allocated = 0;
    for (auto _ : state) {
        allocations = 0;
        countingAllocations = true;
        console.draw(*target);
        countingAllocations = false;
        allocated += allocations;
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
    state.counters["allocs/frame"] =
        benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
    state.counters["rows"] = rows;
}
BENCHMARK(consoleFrame)->Arg(6)->Arg(50)->Unit(benchmark::kMicrosecond);

void cachedLetters(benchmark::State& state) {
    Canvas* target = canvas();
    if (!target) {
        state.SkipWithError("no display");
        return;
    }
    Letters text(u"Twenty characters ok", Font(24, 0, 0, "default"));
    text.setDatum(Point(100, 300));
    const Color white(Color::raw, 1, 1, 1, 1);
    target->letters(text, white);
    glFinish();
    long allocated = 0;
    for (auto _ : state) {
        allocations = 0;
        countingAllocations = true;
        target->letters(text, white);
        countingAllocations = false;
        allocated += allocations;
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
    state.counters["allocs/draw"] =
        benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
    state.counters["lists"] = text.glyphCache ? text.glyphCache->count : 0;
}
BENCHMARK(cachedLetters)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
