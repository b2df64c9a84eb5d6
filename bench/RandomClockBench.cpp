// Cost of the calls made inside a frame: a clock read around the buffer swap, and random
// draws (one array read per draw, a whole-state regeneration every 382 draws).

#include "devices/Clock.h"
#include "math/Random.h"

#include <benchmark/benchmark.h>

#include <vector>

static void ClockUpdate(benchmark::State& state) {
    Stimora::Clock clock;
    for (auto _ : state)
        benchmark::DoNotOptimize(clock.update());
}
BENCHMARK(ClockUpdate);

static void RandomDraw(benchmark::State& state) {
    Stimora::seed(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(Stimora::random());
}
BENCHMARK(RandomDraw);

static void RandomFill(benchmark::State& state) {
    Stimora::seed(1);
    std::vector<double> values(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        Stimora::random(values.data(), static_cast<int>(values.size()), -1.0, 1.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RandomFill)->Arg(382)->Arg(1024 * 768);

BENCHMARK_MAIN();
