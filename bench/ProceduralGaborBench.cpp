// One frame of N Gabor patches of 128 x 128 px (sigma 21.34), each with a new phase at every
// frame, for N = 1, 100 and 500, after a clear and finished with glFinish (no flip), wall time:
//   - the framework: ProceduralGabor patches in one PatchBatch (one draw call), and the same
//     patches with the smooth Gaussian of a Grating;
//   - the reference: the simplest correct Gabor shader, written here: the constants of each
//     patch worked out per vertex, sin x exp per pixel, one draw call, no calibration. As the
//     framework's patches do without calibration, it composites: the Gaussian is the opacity,
//     so that overlapping patches blend. The same shader drawing opaque quads (each patch
//     hiding what lies under its square) is measured beside it;
//   - the bar template (QuickGabor: one bar per pixel column and the window texture per patch).
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/ProceduralGaborBench

#define GL_GLEXT_PROTOTYPES
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <vector>

#include "display/Canvas.h"
#include "figures/Grating.h"
#include "figures/PatchBatch.h"
#include "figures/ProceduralGabor.h"
#include "figures/QuickGabor.h"

#include "BenchSupport.h"

namespace {

using namespace Stimora;
using namespace Stimora::Bench;
using namespace Stimora::StimulusTemplate;

constexpr double sigma = 21.34; // (int)(sigma x 6) = 128
constexpr int side = 128;
constexpr double wavelength = 16.0;
constexpr double pi = 3.14159265358979323846;

// Patch i's corner: patches laid in rows over the screen, overlapping when many.
int cornerX(int i, Canvas& c) {
    return (i * 37) % (c.getWidth() - side);
}
int cornerY(int i, Canvas& c) {
    return (i * 53) % (c.getHeight() - side);
}

void BM_ShaderPatches(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    const bool smooth = state.range(1) != 0;
    ProceduralGabor gabor(wavelength, sigma, 1.0, 0.0, 0.0);
    Grating grating(side, side, wavelength, 1.0);
    grating.setAperture(ShaderPatch::gaussian, sigma);
    PatchBatch batch(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int x = cornerX(i, *c), y = cornerY(i, *c);
        gabor.setOrientation(Angle::fromDegrees(i * 7.0));
        grating.setOrientation(Angle::fromDegrees(i * 7.0)).centerAt(Point(x + side / 2, y + side / 2, 0.0));
        batch.add(smooth ? grating.patch() : gabor.patchAt(x, y));
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
BENCHMARK(BM_ShaderPatches)
    ->ArgNames({"patches", "smooth"})
    ->ArgsProduct({{1, 100, 500}, {0, 1}})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The reference shader. Per vertex: the patch's centre, its wave vector (2 pi / wavelength
// along the orientation), phase, 1 / (2 sigma^2) and amplitude; per pixel: one sine and one
// exponential, the exponential as the opacity (or as a factor of the modulation, opaque).
const char* const referenceVertex = R"(#version 120
attribute vec2 corner;
attribute vec2 centre;
attribute vec4 wave; // wavelength, phase, orientation, sigma
varying vec2 offset;
varying vec2 k;
varying float phase;
varying float falloff;
void main() {
    offset = corner - centre;
    k = 6.283185307179586 / wave.x * vec2(cos(wave.z), sin(wave.z));
    phase = wave.y;
    falloff = 1.0 / (2.0 * wave.w * wave.w);
    gl_Position = gl_ModelViewProjectionMatrix * vec4(corner, 0.0, 1.0);
}
)";
const char* const referenceFragment = R"(#version 120
varying vec2 offset;
varying vec2 k;
varying float phase;
varying float falloff;
void main() {
    float wave = 0.5 + 0.5 * sin(dot(k, offset) + phase);
    gl_FragColor = vec4(wave, wave, wave, exp(-dot(offset, offset) * falloff));
}
)";
const char* const referenceOpaqueFragment = R"(#version 120
varying vec2 offset;
varying vec2 k;
varying float phase;
varying float falloff;
void main() {
    float level = 0.5 + 0.5 * sin(dot(k, offset) + phase) * exp(-dot(offset, offset) * falloff);
    gl_FragColor = vec4(level, level, level, 1.0);
}
)";

GLuint compiled(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

void BM_ReferenceShader(benchmark::State& state) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    const bool opaque = state.range(1) != 0;
    const GLuint program = glCreateProgram();
    glAttachShader(program, compiled(GL_VERTEX_SHADER, referenceVertex));
    glAttachShader(program,
                   compiled(GL_FRAGMENT_SHADER, opaque ? referenceOpaqueFragment : referenceFragment));
    glBindAttribLocation(program, 0, "corner");
    glBindAttribLocation(program, 1, "centre");
    glBindAttribLocation(program, 2, "wave");
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        state.SkipWithError("the reference shader does not link");
        return;
    }
    constexpr int floats = 8; // corner, centre, wave
    std::vector<float> vertices(static_cast<std::size_t>(n) * 4 * floats);
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(cornerX(i, *c)), y = static_cast<float>(cornerY(i, *c));
        const float xs[4] = {x, x + side, x + side, x};
        const float ys[4] = {y, y, y + side, y + side};
        for (int k = 0; k < 4; ++k) {
            float* v = &vertices[static_cast<std::size_t>((i * 4 + k) * floats)];
            v[0] = xs[k];
            v[1] = ys[k];
            v[2] = x + side / 2;
            v[3] = y + side / 2;
            v[4] = static_cast<float>(wavelength);
            v[6] = static_cast<float>(i * 7.0 * pi / 180.0);
            v[7] = static_cast<float>(sigma);
        }
    }
    const GLsizei stride = floats * sizeof(float);
    const Color grey(0.5);
    double phase = 0.0;
    for (auto _ : state) {
        phase += 0.1;
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < 4; ++k)
                vertices[static_cast<std::size_t>((i * 4 + k) * floats + 5)] = static_cast<float>(phase + i);
        c->clear(grey);
        glUseProgram(program);
        if (!opaque) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, vertices.data());
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, vertices.data() + 2);
        glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, vertices.data() + 4);
        for (GLuint a = 0; a < 3; ++a)
            glEnableVertexAttribArray(a);
        glDrawArrays(GL_QUADS, 0, n * 4);
        for (GLuint a = 0; a < 3; ++a)
            glDisableVertexAttribArray(a);
        glUseProgram(0);
        glDisable(GL_BLEND);
        glFinish();
    }
    glDeleteProgram(program);
}
BENCHMARK(BM_ReferenceShader)
    ->ArgNames({"patches", "opaque"})
    ->ArgsProduct({{1, 100, 500}, {0, 1}})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_TemplatePatches)
    ->Arg(1)
    ->Arg(100)
    ->Arg(500)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
