#pragma once

#include <cstddef>

namespace Stimora {

struct ShaderPatch;

/// The platform half of the shader-drawn gratings and Gabor patches: one GLSL 1.20 program
/// and one gamma-table texture per set of objects the live canvases share. The program
/// applies the calibration that Color applies, so the pixels sent equal what a Color of the
/// same requested luminance would send.
class APIPatchShader {
public:
    /// Raises an Exception naming what the current OpenGL context lacks (OpenGL 2.1, GLSL
    /// 1.20, an entry point) for shader-drawn patches; does nothing without a current context.
    static void require();
    /// Draws count patches with one draw call in the current context, calibrated for the
    /// current Color mode (an Exception for a mode the shader cannot reproduce). The caller
    /// saves and restores the fixed-function state; the program is unbound afterwards.
    static void draw(const ShaderPatch* patches, std::size_t count);
};

} // namespace Stimora
