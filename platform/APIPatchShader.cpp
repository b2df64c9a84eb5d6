#include "APIPatchShader.h"
#include "GLCheck.h"

#include "Platform.h"
#include "base/Exception.h"
#include "base/ShaderPatch.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Stimora {

namespace {

// One program per calibration mode, aperture, sampling (smooth or in bars) and profile, so
// that no pixel tests what is the same for the whole draw. Everything constant over a patch is
// worked out per vertex; per pixel remain the grating's value, the aperture and the
// calibration. A batch is one draw call per run of patches that share a program.
const char* const vertexSource = R"(
attribute vec2 corner;
attribute vec4 wave;  // wavelength, phase, orientation, contrast
attribute vec4 shape; // sigma, aspect, profile, aperture
attribute vec4 frame; // grating origin x, y; aperture centre x, y
attribute vec4 extra; // mean, radius, bar radius, last bar
varying vec2 place;   // the pixel
CONSTANT vec4 centre; // grating origin, aperture centre
CONSTANT vec4 turn;   // cosine and sine of the orientation, 2 pi / wavelength (square: the
                      // wavelength), phase
CONSTANT vec4 level;  // mean, amplitude (0 without a grating), radius^2, Gaussian's e.x e.y term
CONSTANT vec2 aside;  // cosine and sine x aspect, or the Gaussian's e.x^2 and e.y^2 terms
CONSTANT vec4 bars;   // bar radius r, r^2, last bar + 0.5, r + 0.5
void main() {
    place = corner;
    centre = frame;
    float c = cos(wave.z);
    float s = sin(wave.z);
#if SQUARE
    // The square wave's edges fall where the sine changes sign, which the rounding of its
    // argument decides on a pixel centre: worked out per pixel as always.
    turn = vec4(c, s, wave.x > 0.0 ? wave.x : 1.0, wave.y);
#else
    turn = vec4(c, s, wave.x > 0.0 ? 6.283185307179586 / wave.x : 0.0, wave.y);
#endif
    level = vec4(extra.x, wave.x > 0.0 ? extra.x * wave.w : 0.0, extra.y * extra.y, 0.0);
#if APERTURE == 2
    // The Gaussian's exponent as a quadratic form of the offset from its centre, the distance
    // across the stripes and aspect x the distance along them over 2 sigma^2.
    float reach = 1.0 / (2.0 * shape.x * shape.x);
    float a2 = shape.y * shape.y;
    aside = vec2(reach * (c * c + a2 * s * s), reach * (s * s + a2 * c * c));
    level.w = reach * 2.0 * c * s * (1.0 - a2);
#else
    aside = turn.xy * shape.y;
#endif
    bars = vec4(extra.z, extra.z * extra.z, extra.w + 0.5, extra.z + 0.5);
    gl_Position = gl_ModelViewProjectionMatrix * vec4(corner, 0.0, 1.0);
}
)";

const char* const fragmentSource = R"(
varying vec2 place;
CONSTANT vec4 centre;
CONSTANT vec4 turn;
CONSTANT vec4 level;
CONSTANT vec2 aside;
CONSTANT vec4 bars;
#if MODE == 1 || MODE == 3
uniform vec3 inverseGamma;
#elif MODE == 2
uniform sampler1D table;
#endif
void main() {
    float c = turn.x;
    float s = turn.y;
    vec2 g = place - centre.xy;
    float u = c * g.x + s * g.y;
#if BARS
    // The bar covering the pixel: bar i spans i - r - 0.5 .. i - r + 0.6, later bars on top.
    // Bars 1 to the last lie within the disc, so a bar's chord is where v^2 + d^2 <= r^2.
    float t = floor(u + bars.w);
    float d = t - bars.x;
    float v = c * g.y - s * g.x;
    bool inside = t > 0.5 && t < bars.z && v * v + d * d <= bars.y;
#else
    float t = u;
#endif
#if SQUARE
    float profile = sin(6.283185307179586 * t / turn.z + turn.w) >= 0.0 ? 1.0 : -1.0;
#else
    float profile = sin(turn.z * t + turn.w);
#endif
#if BARS
    float modulation = inside ? profile : 0.0;
#else
    float modulation = profile;
#endif
#if APERTURE != 0
#if BARS
    vec2 e = floor(place - centre.zw);
#else
    vec2 e = place - centre.zw;
#endif
#endif
#if APERTURE == 1
    float across = c * e.x + s * e.y;
    float along = aside.x * e.y - aside.y * e.x;
    if (across * across + along * along > level.z)
        discard;
#elif APERTURE == 2
    float exponent = (aside.x * e.x) * e.x + (aside.y * e.y) * e.y + (level.w * e.x) * e.y;
#endif
#if APERTURE == 2 && MODE == 0
    // The frame buffer holds linear luminance: the Gaussian becomes the opacity, so that
    // overlapping patches blend instead of hiding each other; on a background of the mean it
    // gives the same pixels.
    float alpha = exp(-exponent);
    float envelope = 1.0;
#elif APERTURE == 2
    // Calibrated values do not blend linearly: there the patch is opaque.
    float alpha = 1.0;
    float envelope = exp(-exponent);
#else
    float alpha = 1.0;
    float envelope = 1.0;
#endif
#if MODE == 0
    // A fixed-point frame buffer clamps to 0..1 itself.
    vec3 sent = vec3(level.x + level.y * modulation * envelope);
#else
    float value = clamp(level.x + level.y * modulation * envelope, 0.0, 1.0);
#if MODE == 1
    vec3 sent = pow(vec3(value), inverseGamma);
#elif MODE == 2
    float index = floor(value * 255.0 + 0.5);
    vec3 sent = texture1D(table, (index + 0.5) / 256.0).rgb;
#else
    // 16-bit luminance for the Bits++ processor: high byte in red, low byte in green.
    float x = floor(pow(value, inverseGamma.r) * 65535.0);
    float high = floor(x / 256.0);
    vec3 sent = vec3(high / 255.0, (x - high * 256.0) / 255.0, 0.0);
#endif
#endif
    gl_FragColor = vec4(sent, alpha);
}
)";

enum Attribute : GLuint {
    cornerAttribute = 0,
    waveAttribute,
    shapeAttribute,
    frameAttribute,
    extraAttribute
};
constexpr int floatsPerVertex = 18;

struct Entry {
    PFNGLCREATESHADERPROC createShader = nullptr;
    PFNGLSHADERSOURCEPROC shaderSource = nullptr;
    PFNGLCOMPILESHADERPROC compileShader = nullptr;
    PFNGLGETSHADERIVPROC getShaderiv = nullptr;
    PFNGLGETSHADERINFOLOGPROC getShaderInfoLog = nullptr;
    PFNGLDELETESHADERPROC deleteShader = nullptr;
    PFNGLCREATEPROGRAMPROC createProgram = nullptr;
    PFNGLATTACHSHADERPROC attachShader = nullptr;
    PFNGLBINDATTRIBLOCATIONPROC bindAttribLocation = nullptr;
    PFNGLLINKPROGRAMPROC linkProgram = nullptr;
    PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
    PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog = nullptr;
    PFNGLUSEPROGRAMPROC useProgram = nullptr;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
    PFNGLUNIFORM1IPROC uniform1i = nullptr;
    PFNGLUNIFORM3FPROC uniform3f = nullptr;
    PFNGLBLENDFUNCSEPARATEPROC blendFuncSeparate = nullptr;
    PFNGLVERTEXATTRIBPOINTERPROC vertexAttribPointer = nullptr;
    PFNGLENABLEVERTEXATTRIBARRAYPROC enableVertexAttribArray = nullptr;
    PFNGLDISABLEVERTEXATTRIBARRAYPROC disableVertexAttribArray = nullptr;
};

// What draws one kind of patch: the program and its uniforms.
struct Program {
    GLuint name = 0;
    GLint inverseGamma = -1, tableSampler = -1;
};

// The kinds of patch a batch can hold, each drawn by a program of its own: aperture (none,
// circular, Gaussian), sampled in bars or smooth, sine or square profile.
constexpr int kinds = 3 * 2 * 2;
constexpr int modes = 4;

int kindOf(const ShaderPatch& p) {
    const int aperture = p.aperture >= ShaderPatch::gaussian   ? 2
                         : p.aperture == ShaderPatch::circular ? 1
                                                               : 0;
    return (aperture * 2 + (p.lastBar > 0 ? 1 : 0)) * 2 + (p.profile > 0 ? 1 : 0);
}

// What one set of shared objects holds for the patches: the programs made so far (each the
// first time a patch of its kind is drawn in its mode) and the gamma-table texture.
struct Objects {
    std::uint64_t set = 0;
    Program programs[modes][kinds];
    GLuint table = 0;
    std::vector<double> tableLoaded; // the three tables the texture holds, red first
};

Entry gl;
Objects objects;
std::vector<float> vertices; // grows to the largest batch drawn, never shrinks

[[noreturn]] void fail(const std::string& message) {
    throw Exception(typeid(APIPatchShader), "API ERROR", message);
}

template <typename F> void load(F& pointer, const char* name, std::string& missing) {
    pointer = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    if (pointer == nullptr)
        missing += missing.empty() ? name : std::string(", ") + name;
}

// Major * 100 + minor of a version string such as "2.1 Mesa ..." or "1.20"; 0 if none.
int versionOf(const GLubyte* text) {
    int major = 0, minor = 0;
    if (text == nullptr || std::sscanf(reinterpret_cast<const char*>(text), "%d.%d", &major, &minor) != 2)
        return 0;
    return major * 100 + (minor < 10 ? minor * 10 : minor);
}

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCheckValue(gl.createShader(kind));
    glCheck(gl.shaderSource(shader, 1, &source, nullptr));
    glCheck(gl.compileShader(shader));
    GLint ok = GL_FALSE;
    glCheck(gl.getShaderiv(shader, GL_COMPILE_STATUS, &ok));
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glCheck(gl.getShaderInfoLog(shader, sizeof log, nullptr, log));
        glCheck(gl.deleteShader(shader));
        fail(std::string("The patch shader does not compile with this driver: ") + log);
    }
    return shader;
}

// Forgets the objects of an ended set: they ended with it.
void reachLiveSet() {
    const std::uint64_t set = platformObjectSet();
    if (objects.set != set) {
        objects = Objects();
        objects.set = set;
    }
}

// The program for a mode and a kind in the live set, made the first time it is needed.
const Program& programFor(int mode, int kind) {
    Program& slot = objects.programs[mode][kind];
    if (slot.name != 0)
        return slot;
    const int aperture = kind / 4, bars = kind / 2 % 2, square = kind % 2;
    const std::string defines = "#define MODE " + std::to_string(mode) + "\n#define APERTURE " +
                                std::to_string(aperture) + "\n#define BARS " + std::to_string(bars) +
                                "\n#define SQUARE " + std::to_string(square) + "\n";
    // Where GLSL 1.30 is there, what is constant over a patch is not interpolated per pixel.
    const bool flat = versionOf(glCheckValue(glGetString(GL_SHADING_LANGUAGE_VERSION))) >= 130;
    const std::string version = flat ? "#version 130\n" : "#version 120\n";
    const GLuint vertex = compile(GL_VERTEX_SHADER, (version + defines + "#define CONSTANT " +
                                                     (flat ? "flat out" : "varying") + "\n" + vertexSource)
                                                        .c_str());
    const GLuint fragment =
        compile(GL_FRAGMENT_SHADER, (version + defines + "#define CONSTANT " +
                                     (flat ? "flat in" : "varying") + "\n" + fragmentSource)
                                        .c_str());
    const GLuint program = glCheckValue(gl.createProgram());
    glCheck(gl.attachShader(program, vertex));
    glCheck(gl.attachShader(program, fragment));
    glCheck(gl.bindAttribLocation(program, cornerAttribute, "corner"));
    glCheck(gl.bindAttribLocation(program, waveAttribute, "wave"));
    glCheck(gl.bindAttribLocation(program, shapeAttribute, "shape"));
    glCheck(gl.bindAttribLocation(program, frameAttribute, "frame"));
    glCheck(gl.bindAttribLocation(program, extraAttribute, "extra"));
    glCheck(gl.linkProgram(program));
    glCheck(gl.deleteShader(vertex)); // freed with the program
    glCheck(gl.deleteShader(fragment));
    GLint ok = GL_FALSE;
    glCheck(gl.getProgramiv(program, GL_LINK_STATUS, &ok));
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glCheck(gl.getProgramInfoLog(program, sizeof log, nullptr, log));
        fail(std::string("The patch shader does not link with this driver: ") + log);
    }
    slot.name = program;
    slot.inverseGamma = glCheckValue(gl.getUniformLocation(program, "inverseGamma"));
    slot.tableSampler = glCheckValue(gl.getUniformLocation(program, "table"));
    return slot;
}

// The gamma tables as a 256-texel texture, loaded again whenever the tables change.
void bindTable(const PatchCalibration& calibration) {
    const std::size_t n = 256;
    const std::size_t given = calibration.tableSize;
    bool same = objects.table != 0 && objects.tableLoaded.size() == 3 * n;
    for (int channel = 0; channel < 3 && same; ++channel)
        for (std::size_t i = 0; i < n && same; ++i)
            same = i < given && objects.tableLoaded[channel * n + i] == calibration.tables[channel][i];
    if (objects.table == 0)
        glCheck(glGenTextures(1, &objects.table));
    glCheck(glBindTexture(GL_TEXTURE_1D, objects.table));
    if (same)
        return;
    objects.tableLoaded.assign(3 * n, 0.0);
    std::vector<float> texels(3 * n, 0.0f);
    for (int channel = 0; channel < 3; ++channel)
        for (std::size_t i = 0; i < n && i < given; ++i) {
            objects.tableLoaded[channel * n + i] = calibration.tables[channel][i];
            texels[i * 3 + channel] = static_cast<float>(calibration.tables[channel][i]);
        }
    const char* extensions = reinterpret_cast<const char*>(glCheckValue(glGetString(GL_EXTENSIONS)));
    const bool floats =
        extensions != nullptr && std::string(extensions).find("GL_ARB_texture_float") != std::string::npos;
    glCheck(glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST));
    glCheck(glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST));
    glCheck(glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE));
    glCheck(glTexImage1D(GL_TEXTURE_1D, 0, floats ? GL_RGB32F_ARB : GL_RGB16, static_cast<GLsizei>(n), 0,
                         GL_RGB, GL_FLOAT, texels.data()));
}

void fill(float* out, const ShaderPatch& p) {
    const double xs[4] = {p.left, p.left + p.width, p.left + p.width, p.left};
    const double ys[4] = {p.top, p.top, p.top + p.height, p.top + p.height};
    const double values[16] = {p.wavelength, p.phase,    p.orientation,     p.contrast,
                               p.sigma,      p.aspect,   double(p.profile), double(p.aperture),
                               p.gratingX,   p.gratingY, p.envelopeX,       p.envelopeY,
                               p.mean,       p.radius,   p.barRadius,       double(p.lastBar)};
    for (int corner = 0; corner < 4; ++corner) {
        float* vertex = out + corner * floatsPerVertex;
        vertex[0] = static_cast<float>(xs[corner]);
        vertex[1] = static_cast<float>(ys[corner]);
        for (int k = 0; k < 16; ++k)
            vertex[2 + k] = static_cast<float>(values[k]);
    }
}

} // namespace

void APIPatchShader::require() {
    if (SDL_GL_GetCurrentContext() == nullptr)
        return;
    const GLubyte* version = glCheckValue(glGetString(GL_VERSION));
    const GLubyte* language = glCheckValue(glGetString(GL_SHADING_LANGUAGE_VERSION));
    if (versionOf(version) < 201 || versionOf(language) < 120) {
        fail(std::string("Shader-drawn patches need OpenGL 2.1 with GLSL 1.20; this context has OpenGL ") +
             (version ? reinterpret_cast<const char*>(version) : "of unknown version") + " and GLSL " +
             (language ? reinterpret_cast<const char*>(language) : "none") + ".");
    }
    if (gl.vertexAttribPointer != nullptr && gl.disableVertexAttribArray != nullptr)
        return;
    std::string missing;
    Entry e;
    load(e.createShader, "glCreateShader", missing);
    load(e.shaderSource, "glShaderSource", missing);
    load(e.compileShader, "glCompileShader", missing);
    load(e.getShaderiv, "glGetShaderiv", missing);
    load(e.getShaderInfoLog, "glGetShaderInfoLog", missing);
    load(e.deleteShader, "glDeleteShader", missing);
    load(e.createProgram, "glCreateProgram", missing);
    load(e.attachShader, "glAttachShader", missing);
    load(e.bindAttribLocation, "glBindAttribLocation", missing);
    load(e.linkProgram, "glLinkProgram", missing);
    load(e.getProgramiv, "glGetProgramiv", missing);
    load(e.getProgramInfoLog, "glGetProgramInfoLog", missing);
    load(e.useProgram, "glUseProgram", missing);
    load(e.getUniformLocation, "glGetUniformLocation", missing);
    load(e.uniform1i, "glUniform1i", missing);
    load(e.uniform3f, "glUniform3f", missing);
    load(e.blendFuncSeparate, "glBlendFuncSeparate", missing);
    load(e.vertexAttribPointer, "glVertexAttribPointer", missing);
    load(e.enableVertexAttribArray, "glEnableVertexAttribArray", missing);
    load(e.disableVertexAttribArray, "glDisableVertexAttribArray", missing);
    if (!missing.empty())
        fail("Shader-drawn patches need OpenGL 2.1 entry points this driver does not give: " + missing + ".");
    gl = e;
}

void APIPatchShader::draw(const ShaderPatch* patches, std::size_t count,
                          const PatchCalibration& calibration) {
    require();
    if (count == 0)
        return;
    reachLiveSet();
    const int mode = calibration.mode < 0 || calibration.mode >= modes ? 0 : calibration.mode;
    const double* inverse = calibration.inverse;
    // Every program the batch needs is made before any state changes, so that a driver that
    // refuses one leaves the state as it was.
    for (std::size_t i = 0; i < count; ++i)
        programFor(mode, kindOf(patches[i]));
    GLint boundTable = 0;
    if (mode == 2) {
        glCheck(glGetIntegerv(GL_TEXTURE_BINDING_1D, &boundTable));
        bindTable(calibration);
    }

    const std::size_t needed = count * 4 * floatsPerVertex;
    if (vertices.size() < needed)
        vertices.resize(needed);
    for (std::size_t i = 0; i < count; ++i)
        fill(vertices.data() + i * 4 * floatsPerVertex, patches[i]);

    // What the draw changes is put back afterwards: pushing and popping attribute groups
    // costs the software renderer a validation of its whole state.
    const GLboolean blending = glCheckValue(glIsEnabled(GL_BLEND));
    GLint blend[4] = {GL_ONE, GL_ZERO, GL_ONE, GL_ZERO};
    glCheck(glGetIntegerv(GL_BLEND_SRC_RGB, &blend[0]));
    glCheck(glGetIntegerv(GL_BLEND_DST_RGB, &blend[1]));
    glCheck(glGetIntegerv(GL_BLEND_SRC_ALPHA, &blend[2]));
    glCheck(glGetIntegerv(GL_BLEND_DST_ALPHA, &blend[3]));

    const GLsizei stride = floatsPerVertex * sizeof(float);
    const float* base = vertices.data();
    glCheck(gl.vertexAttribPointer(cornerAttribute, 2, GL_FLOAT, GL_FALSE, stride, base));
    for (GLuint a = waveAttribute; a <= extraAttribute; ++a)
        glCheck(gl.vertexAttribPointer(a, 4, GL_FLOAT, GL_FALSE, stride, base + 2 + 4 * (a - waveAttribute)));
    for (GLuint a = cornerAttribute; a <= extraAttribute; ++a)
        glCheck(gl.enableVertexAttribArray(a));
    glCheck(glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
    // Patches in order, one draw call per run of the same kind: overlapping patches still
    // cover each other in the order given.
    for (std::size_t first = 0; first < count;) {
        const int kind = kindOf(patches[first]);
        std::size_t end = first + 1;
        while (end < count && kindOf(patches[end]) == kind)
            ++end;
        const Program& program = programFor(mode, kind);
        glCheck(gl.useProgram(program.name));
        if (mode == 1 || mode == 3)
            glCheck(gl.uniform3f(program.inverseGamma, static_cast<float>(inverse[0]),
                                 static_cast<float>(inverse[1]), static_cast<float>(inverse[2])));
        else if (mode == 2)
            glCheck(gl.uniform1i(program.tableSampler, 0));
        // Only where the frame buffer holds linear luminance does the Gaussian composite.
        if (mode == 0 && kind / 4 == 2)
            glCheck(glEnable(GL_BLEND));
        else
            glCheck(glDisable(GL_BLEND));
        glCheck(
            glDrawArrays(GL_QUADS, static_cast<GLint>(first * 4), static_cast<GLsizei>((end - first) * 4)));
        first = end;
    }
    for (GLuint a = cornerAttribute; a <= extraAttribute; ++a)
        glCheck(gl.disableVertexAttribArray(a));
    glCheck(gl.useProgram(0));
    glCheck(gl.blendFuncSeparate(static_cast<GLenum>(blend[0]), static_cast<GLenum>(blend[1]),
                                 static_cast<GLenum>(blend[2]), static_cast<GLenum>(blend[3])));
    if (blending)
        glCheck(glEnable(GL_BLEND));
    else
        glCheck(glDisable(GL_BLEND));
    if (mode == 2)
        glCheck(glBindTexture(GL_TEXTURE_1D, static_cast<GLuint>(boundTable)));
}

} // namespace Stimora
