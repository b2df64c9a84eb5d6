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

// Per pixel: the grating's value at the pixel, the aperture, then the calibration Color
// applies in the current mode. Parameters come per vertex so that a batch is one draw call.
const char* const vertexSource = R"(#version 120
attribute vec2 corner;
attribute vec4 wave;
attribute vec4 shape;
attribute vec4 frame;
attribute vec4 extra;
varying vec2 position;
varying vec4 vWave;
varying vec4 vShape;
varying vec4 vFrame;
varying vec4 vExtra;
void main() {
    position = corner;
    vWave = wave;
    vShape = shape;
    vFrame = frame;
    vExtra = extra;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(corner, 0.0, 1.0);
}
)";

const char* const fragmentSource = R"(#version 120
varying vec2 position;
varying vec4 vWave;   // wavelength, phase, orientation, contrast
varying vec4 vShape;  // sigma, aspect, profile, aperture
varying vec4 vFrame;  // grating origin x, y; aperture centre x, y
varying vec4 vExtra;  // mean, radius, bar radius, last bar
uniform int mode;
uniform vec3 inverseGamma;
uniform sampler1D table;
void main() {
    float c = cos(vWave.z);
    float s = sin(vWave.z);
    vec2 g = position - vFrame.xy;
    float u = c * g.x + s * g.y;
    float v = c * g.y - s * g.x;
    bool bars = vExtra.w > 0.5;
    float modulation = 0.0;
    if (vWave.x > 0.0) {
        float t = u;
        bool inside = true;
        if (bars) {
            // The bar covering the pixel: bar i spans i - r - 0.5 .. i - r + 0.6, later bars on top.
            t = floor(u + vExtra.z + 0.5);
            float d = t - vExtra.z;
            inside = t > 0.5 && t < vExtra.w + 0.5 &&
                     abs(v) <= sqrt(max(vExtra.z * vExtra.z - d * d, 0.0));
        }
        float profile = sin(6.283185307179586 * t / vWave.x + vWave.y);
        if (vShape.z > 0.5)
            profile = profile >= 0.0 ? 1.0 : -1.0;
        modulation = inside ? profile : 0.0;
    }
    vec2 e = position - vFrame.zw;
    if (bars)
        e = floor(e);
    float across = c * e.x + s * e.y;
    float along = (c * e.y - s * e.x) * vShape.y;
    float distance2 = across * across + along * along;
    float envelope = 1.0;
    if (vShape.w > 1.5)
        envelope = exp(-distance2 / (2.0 * vShape.x * vShape.x));
    else if (vShape.w > 0.5 && distance2 > vExtra.y * vExtra.y)
        discard;
    // Where the frame buffer holds linear luminance, the Gaussian becomes the opacity, so that
    // overlapping patches blend instead of hiding each other; on a background of the mean it
    // gives the same pixels. Calibrated values do not blend linearly: there the patch is opaque.
    float alpha = 1.0;
    if (mode == 0 && vShape.w > 1.5) {
        alpha = envelope;
        envelope = 1.0;
    }
    float level = clamp(vExtra.x + vExtra.x * vWave.w * modulation * envelope, 0.0, 1.0);
    vec3 sent = vec3(level);
    if (mode == 1) {
        sent = pow(sent, inverseGamma);
    } else if (mode == 2) {
        float index = floor(level * 255.0 + 0.5);
        sent = texture1D(table, (index + 0.5) / 256.0).rgb;
    } else if (mode == 3) {
        // 16-bit luminance for the Bits++ processor: high byte in red, low byte in green.
        float x = floor(pow(level, inverseGamma.r) * 65535.0);
        float high = floor(x / 256.0);
        sent = vec3(high / 255.0, (x - high * 256.0) / 255.0, 0.0);
    }
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
    PFNGLVERTEXATTRIBPOINTERPROC vertexAttribPointer = nullptr;
    PFNGLENABLEVERTEXATTRIBARRAYPROC enableVertexAttribArray = nullptr;
    PFNGLDISABLEVERTEXATTRIBARRAYPROC disableVertexAttribArray = nullptr;
};

// What one set of shared objects holds for the patches.
struct Objects {
    std::uint64_t set = 0;
    GLuint program = 0;
    GLuint table = 0;
    GLint mode = -1, inverseGamma = -1, tableSampler = -1;
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

// The program of the live set, made the first time a set draws patches.
void prepare() {
    const std::uint64_t set = platformObjectSet();
    if (objects.set == set && objects.program != 0)
        return;
    objects = Objects();
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
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
    objects.set = set;
    objects.program = program;
    objects.mode = glCheckValue(gl.getUniformLocation(program, "mode"));
    objects.inverseGamma = glCheckValue(gl.getUniformLocation(program, "inverseGamma"));
    objects.tableSampler = glCheckValue(gl.getUniformLocation(program, "table"));
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
    prepare();
    const int mode = calibration.mode;
    const double* inverse = calibration.inverse;
    if (mode == 2)
        bindTable(calibration);

    const std::size_t needed = count * 4 * floatsPerVertex;
    if (vertices.size() < needed)
        vertices.resize(needed);
    for (std::size_t i = 0; i < count; ++i)
        fill(vertices.data() + i * 4 * floatsPerVertex, patches[i]);

    glCheck(gl.useProgram(objects.program));
    glCheck(gl.uniform1i(objects.mode, mode));
    glCheck(gl.uniform3f(objects.inverseGamma, static_cast<float>(inverse[0]), static_cast<float>(inverse[1]),
                         static_cast<float>(inverse[2])));
    glCheck(gl.uniform1i(objects.tableSampler, 0));
    glCheck(glEnable(GL_BLEND));
    glCheck(glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
    const GLsizei stride = floatsPerVertex * sizeof(float);
    const float* base = vertices.data();
    glCheck(gl.vertexAttribPointer(cornerAttribute, 2, GL_FLOAT, GL_FALSE, stride, base));
    for (GLuint a = waveAttribute; a <= extraAttribute; ++a)
        glCheck(gl.vertexAttribPointer(a, 4, GL_FLOAT, GL_FALSE, stride, base + 2 + 4 * (a - waveAttribute)));
    for (GLuint a = cornerAttribute; a <= extraAttribute; ++a)
        glCheck(gl.enableVertexAttribArray(a));
    glCheck(glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(count * 4)));
    for (GLuint a = cornerAttribute; a <= extraAttribute; ++a)
        glCheck(gl.disableVertexAttribArray(a));
    glCheck(gl.useProgram(0));
}

} // namespace Stimora
