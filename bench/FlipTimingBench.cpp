// What the frame log adds to a flip: flip with the log off and with it on, on a small window
// under a simulated 10 kHz refresh, the fastest there is: a flip whose own work fits in the
// 100 us period takes exactly one period, log on or off, in wall-clock time because
// llvmpipe does part of each swap in its own threads. The log-on benchmark also counts
// allocations, which must stay 0.
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/FlipTimingBench

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "base/Exception.h"
#include "display/Canvas.h"
#include "display/Display.h"

#include "../tests/support/CountingAllocations.h"

namespace {

using namespace Stimora;
using namespace Stimora::Testing;

Canvas* smallCanvas() {
    static std::unique_ptr<Canvas> shared;
    static bool tried = false;
    if (!tried) {
        tried = true;
        setenv("STIMORA_SIMULATED_REFRESH", "10000", 1);
        try {
            shared = std::make_unique<Canvas>(64, 64, Display::primary());
        } catch (const Exception&) {
        }
        unsetenv("STIMORA_SIMULATED_REFRESH");
    }
    return shared.get();
}

void flips(benchmark::State& state, bool logged) {
    Canvas* c = smallCanvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    c->startFrameCounting();
    if (logged)
        c->startFrameLog(2'000'000);
    for (int i = 0; i < 100; ++i) // pipeline variants compiled before anything is counted
        c->flip();
    allocations = 0;
    for (auto _ : state) {
        countingAllocations = logged;
        c->flip();
        countingAllocations = false;
    }
    c->stopFrameLog().stopFrameCounting();
    if (logged)
        state.counters["allocations"] = static_cast<double>(allocations);
}

void BM_FlipLogOff(benchmark::State& state) {
    flips(state, false);
}
void BM_FlipLogOn(benchmark::State& state) {
    flips(state, true);
}
BENCHMARK(BM_FlipLogOff)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(BM_FlipLogOn)->UseRealTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

} // namespace

BENCHMARK_MAIN();
