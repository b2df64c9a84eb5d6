// One frame of N Gabor patches of 128 x 128 px (sigma 21.34), each with a new phase at every
// frame, for N = 1, 100 and 500: drawn by the graphics card (ProceduralGabor patches in one
// PatchBatch, one draw call) and by the bar template (QuickGabor: one bar per pixel column
// and the window texture per patch), after a clear and finished with glFinish (no flip).
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/ProceduralGaborBench

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "display/Canvas.h"
#include "figures/PatchBatch.h"
#include "figures/ProceduralGabor.h"
#include "figures/QuickGabor.h"

#include "BenchSupport.h"

namespace {

using namespace Stimora;
using namespace Stimora::Bench;
using namespace Stimora::StimulusTemplate;

constexpr double sigma = 21.34; // (int)(sigma x 6) = 128
constexpr double wavelength = 16.0;
constexpr double pi = 3.14159265358979323846;

// Patch i's corner: patches laid in rows over the screen, overlapping when many.
int cornerX(int i, Canvas& c) {
    return (i * 37) % (c.getWidth() - 128);
}
int cornerY(int i, Canvas& c) {
    return (i * 53) % (c.getHeight() - 128);
}

void BM_ShaderPatches(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    ProceduralGabor gabor(wavelength, sigma, 1.0, 0.0, 0.0);
    PatchBatch batch(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        gabor.setOrientation(Angle::fromDegrees(i * 7.0));
        batch.add(gabor.patchAt(cornerX(i, *c), cornerY(i, *c)));
    }
    const Color grey(0.5);
    double phase = 0.0;
    for (auto _ : state) {
        phase += 0.1;
        for (int i = 0; i < n; ++i)
            batch.at(static_cast<std::size_t>(i)).phase = phase + i;
        c->clear(grey);
        batch.draw(*c);
        glFinish();
    }
}
BENCHMARK(BM_ShaderPatches)->Arg(1)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_TemplatePatches(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    std::vector<QuickGabor> patches;
    patches.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        patches.emplace_back(wavelength, sigma, 1.0, i * 7.0, 0.0);
    const Color grey(0.5);
    double phase = 0.0;
    for (auto _ : state) {
        phase += 0.1;
        c->clear(grey);
        for (int i = 0; i < n; ++i) {
            QuickGabor& patch = patches[static_cast<std::size_t>(i)];
            patch.setPhase(Angle::fromRadians(std::fmod(phase + i, 2.0 * pi)));
            patch.draw(cornerX(i, *c), cornerY(i, *c), *c);
        }
        glFinish();
    }
}
BENCHMARK(BM_TemplatePatches)->Arg(1)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
