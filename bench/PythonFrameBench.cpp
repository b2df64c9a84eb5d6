// Python's cost on a frame, against the same frame in C++, frame by frame: the heaviest
// moving-bar frame (clear, the 219 rectangles, the rate text), drawn from Python through one
// batched rect call and from C++ rectangle by rectangle as the routine draws it; and a frame
// of 100 Gabor patches of a PatchBatch whose phases change at every frame, set from a numpy
// array in one call against a C++ loop over the patches. Each frame ends with glFinish (no
// flip). The module is the same bindings, embedded, on the same canvas. Counters: each one's
// mean wall time and the ratio Python / C++.
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/PythonFrameBench

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <vector>

#include <pybind11/embed.h>

#include "Bindings.h"

#include "BenchSupport.h"

PYBIND11_EMBEDDED_MODULE(stimora, module) {
    StimoraPython::bindAll(module);
}

namespace {

using namespace Stimora;
using namespace Stimora::Bench;
using namespace Stimora::StimulusTemplate;
namespace py = pybind11;

// The frames as an experiment script writes them. The bars are placed as the moving-bar
// routine places them at frame h = 1 with bar width 3, interval 2 and eccentricity 40 on
// 1024 x 768: 108 bars a row, 6 apart, between two masks.
const char* script = R"(
import numpy as np
import stimora

def movingBars(canvas):
    width, height, bar, spacing, path = 1024, 768, 3, 6, 648
    mask = width // 2 - (path // 2 - 4 * bar)
    def centred(w, h, x, y):  # a w x h rectangle centred on (x, y) as Rectangle.centerAt does
        return [x - (w - 1) / 2, y - (h - 1) / 2, x + (w - 1) / 2, y + (h - 1) / 2]
    edges = [centred(5, 5, width * 0.5, height * 0.5)]
    colors = [[1, 1, 1]]
    for s in range(108):
        edges.append(centred(bar, 40, width // 2 - path // 2 + bar + s * spacing, height // 2 - 40))
        edges.append(centred(bar, 40, width // 2 + path // 2 - bar - s * spacing, height // 2 + 40))
        colors += [[0, 1, 0] if s % 2 else [1, 0, 0]] * 2
    edges += [centred(mask, 600, mask // 2, height // 2), centred(mask, 600, width - mask // 2, height // 2)]
    colors += [[0, 0, 0]] * 2
    edges, colors = np.array(edges, dtype=float), np.array(colors, dtype=float)
    black, white = stimora.Color.black, stimora.Color.white

    def frame():
        canvas.clear(black)
        canvas.rect(edges, colors)
        canvas.segmentText("15", 320, 80, white, False)
    return frame

def driftingPatches(canvas, batch):
    phases = np.arange(batch.size(), dtype=float)
    grey = stimora.Color(0.5)

    def frame():
        phases[:] += 0.1
        batch.set("phase", phases)
        canvas.clear(grey)
        batch.draw(canvas)
    return frame
)";

py::object scriptFunction(const char* name) {
    static py::scoped_interpreter* interpreter = new py::scoped_interpreter; // lives to the exit
    (void)interpreter;
    static py::dict* scope = [] {
        auto* made = new py::dict(py::module_::import("__main__").attr("__dict__"));
        py::exec(script, *made);
        return made;
    }();
    return (*scope)[name];
}

// The C++ frame, as bench/MovingBarFrameBench draws it through the canvas.
struct Bars {
    Rectangle fixation, leftMask, rightMask, rowA[108], rowB[108];
    Color first{1.0, 0.0, 0.0, 1.0}, second{0.0, 1.0, 0.0, 1.0};
    Bars() {
        const int bar = 3, spacing = 6, path = 648, mask = 1024 / 2 - (path / 2 - 4 * bar);
        fixation.set(5, 5);
        fixation.centerAt(1024 * 0.5, 768 * 0.5);
        leftMask.set(mask, 600);
        leftMask.centerAt(mask / 2, 768 / 2);
        rightMask.set(mask, 600);
        rightMask.centerAt(1024 - mask / 2, 768 / 2);
        for (int s = 0; s < 108; ++s) {
            rowA[s].set(bar, 40);
            rowA[s].centerAt(1024 / 2 - path / 2 + bar, 768 / 2 - 40).shift(s * spacing, 0);
            rowB[s].set(bar, 40);
            rowB[s].centerAt(1024 / 2 + path / 2 - bar, 768 / 2 + 40).shift(-s * spacing, 0);
        }
    }
};

// Wall time of one call of draw, finished with glFinish, in microseconds.
template <class Draw> double timed(Draw draw) {
    const auto begin = std::chrono::steady_clock::now();
    draw();
    glFinish();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count();
}

// Each iteration draws the frame once from C++ and once from Python, so that both see the
// same machine; the counters give each one's mean wall time and their ratio.
template <class Cpp> void compare(benchmark::State& state, Cpp cpp, const py::object& python) {
    double cppTotal = 0.0, pythonTotal = 0.0;
    for (int i = 0; i < 10; ++i) { // llvmpipe compiles its pipeline variants on first use
        cpp();
        python();
    }
    bool cppFirst = true; // turn about, so that neither always follows the other
    for (auto _ : state) {
        if (cppFirst)
            cppTotal += timed(cpp);
        pythonTotal += timed([&] { python(); });
        if (!cppFirst)
            cppTotal += timed(cpp);
        cppFirst = !cppFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cppFrame_us"] = cppTotal / n;
    state.counters["pythonFrame_us"] = pythonTotal / n;
    state.counters["ratio"] = pythonTotal / cppTotal;
}

void BM_MovingBarFrame(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    Bars f;
    const py::object python = scriptFunction("movingBars")(py::cast(c, py::return_value_policy::reference));
    compare(
        state,
        [&] {
            c->clear(Color::black);
            c->rect(f.fixation, Color::white);
            for (int s = 0; s < 108; ++s) {
                c->rect(f.rowA[s], s % 2 ? f.second : f.first);
                c->rect(f.rowB[s], s % 2 ? f.second : f.first);
            }
            c->segmentText("15", 320, 80, Color::white, false);
            c->rect(f.leftMask, Color::black);
            c->rect(f.rightMask, Color::black);
        },
        python);
}
BENCHMARK(BM_MovingBarFrame)->Unit(benchmark::kMicrosecond);

// 100 patches of 96 x 96 px (sigma 16) over the screen, as the drifting-gratings example lays them.
PatchBatch patches(Canvas& c) {
    ProceduralGabor gabor(16.0, 16.0, 0.5, 0.0, 0.0);
    PatchBatch batch(100);
    for (int i = 0; i < 100; ++i) {
        gabor.setOrientation(Angle::fromDegrees(i * 7.0));
        batch.add(gabor.patchAt((i * 37) % (c.getWidth() - 96), (i * 53) % (c.getHeight() - 96)));
    }
    return batch;
}

void BM_PatchFrame(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    PatchBatch cppBatch = patches(*c), pythonBatch = patches(*c);
    std::vector<double> phases(cppBatch.size());
    for (std::size_t i = 0; i < phases.size(); ++i)
        phases[i] = static_cast<double>(i);
    const Color grey(0.5);
    const py::object python =
        scriptFunction("driftingPatches")(py::cast(c, py::return_value_policy::reference),
                                          py::cast(&pythonBatch, py::return_value_policy::reference));
    compare(
        state,
        [&] {
            for (std::size_t i = 0; i < phases.size(); ++i) {
                phases[i] += 0.1;
                cppBatch.at(i).phase = phases[i];
            }
            c->clear(grey);
            cppBatch.draw(*c);
        },
        python);
}
BENCHMARK(BM_PatchFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
