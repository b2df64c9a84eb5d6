// One frame of an image-and-Gabor display: a clear, one cached 256 x 256 RGBA image and one
// sigma-20 Gabor patch (120 x 120: 116 bars and the window texture), drawn through the
// framework and drawn with the same OpenGL calls written by hand, each finished with
// glFinish (no flip). A third benchmark draws the image uncached (a pixel transfer per frame).
// The first one times a sigma-20 Gabor `set` before any canvas exists: the renderer pool builds
// the window image and the bars (no texture upload).
//
// Run on a display: xvfb-run -a -s "-screen 0 1024x768x24" bench/ImageGaborBench

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "display/Canvas.h"
#include "figures/Image.h"
#include "figures/QuickGabor.h"

#include "BenchSupport.h"

namespace {

using namespace Stimora;
using namespace Stimora::Bench;
using Stimora::StimulusTemplate::QuickGabor;

constexpr int side = 256;
constexpr double sigma = 20.0;
constexpr double wavelength = 16.0;
constexpr double orientation = 30.0;

Image makePicture() {
    Image picture(side, side, Image::RGBA, Image::BYTE);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            picture.rawPix(x, y, Color(Color::raw, x / 255.0, y / 255.0, ((x ^ y) & 255) / 255.0, 1.0));
        }
    }
    return picture;
}

// Each patch is the renderer's only user, so every set builds the renderer anew.
void BM_GaborSet(benchmark::State& state) {
    for (auto _ : state) {
        QuickGabor patch(wavelength, sigma, 1.0, orientation, 0.0);
        benchmark::DoNotOptimize(&patch);
    }
}
BENCHMARK(BM_GaborSet)->Unit(benchmark::kMicrosecond);

// The frame drawn through the framework; the picture comes from its texture when cached,
// else by a pixel transfer every frame.
void frameThroughFramework(benchmark::State& state, bool cachedPicture) {
    Canvas* c = canvas();
    if (!c) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    Image picture = makePicture();
    if (cachedPicture)
        picture.cache(true);
    QuickGabor patch(wavelength, sigma, 1.0, orientation, 0.0);
    const Color grey(0.5);
    for (auto _ : state) {
        c->clear(grey);
        picture.draw(100.0, 100.0, *c);
        patch.draw(500, 300, *c);
        glFinish();
    }
}

void BM_FrameThroughFramework(benchmark::State& state) {
    frameThroughFramework(state, true);
}
BENCHMARK(BM_FrameThroughFramework)->Unit(benchmark::kMicrosecond);

void BM_FrameUncachedImage(benchmark::State& state) {
    frameThroughFramework(state, false);
}
BENCHMARK(BM_FrameUncachedImage)->Unit(benchmark::kMicrosecond);

/// A texture of width x height texels from bottom-up rows (4-byte aligned).
GLuint makeTexture(int width, int height, GLenum format, GLenum type, const void* texels, int components) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, type, texels);
    return name;
}

void texturedQuad(GLuint name, double x, double y, double w, double h, double s, double t) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glColor4ub(255, 255, 255, 255);
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 1.0);
    glVertex2d(x, y);
    glTexCoord2d(s, 1.0);
    glVertex2d(x + w, y);
    glTexCoord2d(s, t);
    glVertex2d(x + w, y + h);
    glTexCoord2d(0.0, t);
    glVertex2d(x, y + h);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void BM_FrameRawOpenGL(benchmark::State& state) {
    if (!canvas()) {
        state.SkipWithError("no display for a canvas");
        return;
    }
    // The same picture and window as the framework's, uploaded by hand.
    const Image picture = makePicture();
    const GLuint pictureTexture = makeTexture(side, side, GL_RGBA, GL_UNSIGNED_BYTE, picture.getBuffer(), 4);
    const int n = static_cast<int>(sigma * 6.0);
    const int texSide = 128;
    std::vector<float> window(static_cast<std::size_t>(texSide) * texSide * 4, 0.0f);
    for (int row = 0; row < n; ++row) {
        for (int col = 0; col < n; ++col) {
            const double d2 = (col - n / 2) * (col - n / 2) + (row - n / 2) * (row - n / 2);
            float* p = &window[(static_cast<std::size_t>(texSide - 1 - row) * texSide + col) * 4];
            p[0] = p[1] = p[2] = 0.5f;
            p[3] = static_cast<float>(1.0 - std::exp(-d2 / (2.0 * sigma * sigma)));
        }
    }
    const GLuint windowTexture = makeTexture(texSide, texSide, GL_RGBA, GL_FLOAT, window.data(), 4);
    const double r = n / 2 - 1;
    std::vector<double> chords(static_cast<std::size_t>(n), 0.0);
    for (int i = 1; i < n - 3; ++i) {
        chords[static_cast<std::size_t>(i)] = std::sqrt(r * r - (i - r) * (i - r));
    }
    const double pi = std::acos(-1.0);
    const double t = static_cast<double>(texSide - n) / texSide;
    for (auto _ : state) {
        glClearColor(128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        texturedQuad(pictureTexture, 100.0, 100.0, side, side, 1.0, 0.0);
        glPushMatrix();
        glTranslated(500 + r, 300 + r, 0.0);
        glRotated(orientation, 0.0, 0.0, 1.0);
        for (int i = 1; i < n - 3; ++i) {
            const double grey = 0.5 + 0.5 * std::sin(2.0 * pi * i / wavelength);
            const GLubyte level = static_cast<GLubyte>(std::nearbyint(grey * 255.0));
            glColor4ub(level, level, level, 255);
            const double d = i - r, f = chords[static_cast<std::size_t>(i)];
            glRectd(d - 0.5, -f, d + 0.6, f);
        }
        glPopMatrix();
        texturedQuad(windowTexture, 500.0, 300.0, n, n, static_cast<double>(n) / texSide, t);
        glFinish();
    }
    glDeleteTextures(1, &pictureTexture);
    glDeleteTextures(1, &windowTexture);
}
BENCHMARK(BM_FrameRawOpenGL)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
