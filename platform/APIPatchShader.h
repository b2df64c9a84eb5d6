#pragma once

#include <cstddef>

namespace Stimora {

struct ShaderPatch;

/// How the shader turns a requested intensity into the value sent, filled by the canvas from
/// the colour calibration in force: 0 passes values through (no calibration, or the display's
/// ramp), 1 raises them to inverse (software gamma), 2 looks them up in the three 256-entry
/// tables, 3 encodes them for a Bits++ processor with inverse[0].
struct PatchCalibration {
    int mode = 0;                                          ///< 0 to 3, as above
    double inverse[3] = {1.0, 1.0, 1.0};                   ///< 1 / gamma per channel
    const double* tables[3] = {nullptr, nullptr, nullptr}; ///< red, green, blue tables (mode 2)
    std::size_t tableSize = 0;                             ///< entries in each table
};

/// The platform half of the shader-drawn gratings and Gabor patches: one GLSL 1.20 program
/// and one gamma-table texture per set of objects the live canvases share. The program
/// applies the calibration that Color applies, so the pixels sent equal what a Color of the
/// same requested luminance would send.
class APIPatchShader {
public:
    /// Raises an Exception naming what the current OpenGL context lacks (OpenGL 2.1, GLSL
    /// 1.20, an entry point) for shader-drawn patches; does nothing without a current context.
    static void require();
    /// Draws count patches with one draw call in the current context, calibrated as given.
    /// The blending state and the texture binding it changes are put back afterwards, and
    /// the program is unbound.
    static void draw(const ShaderPatch* patches, std::size_t count, const PatchCalibration& calibration);
};

} // namespace Stimora
