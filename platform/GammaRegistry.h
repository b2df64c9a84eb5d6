#pragma once

// The gamma ramps the live canvases have loaded, one record per display output (CRTC). Not
// part of the framework's interface.

#include <cstdint>

struct SDL_Window;

namespace Stimora {

/// Each output's record keeps the desktop's ramp, saved once when a canvas first loads one
/// there, and every canvas's ramp in the order they were loaded: the newest shows. When a
/// canvas lets go, the newest ramp of those left goes back on, and the desktop's when none is
/// left. Every desktop ramp is also handed to the guardian process, which puts it back if the
/// experiment ends without doing so.
class GammaRegistry {
public:
    /// How a load went.
    enum Result { loaded, noOutput, unreadable };
    /// Loads ramp (3 x 256 entries) for owner onto every output its window shows on; before,
    /// when given, receives what the first of them showed until now. noOutput where the window
    /// lies over no output whose ramp can be loaded, unreadable where a ramp there cannot be
    /// read back.
    static Result load(const void* owner, SDL_Window* window, const std::uint16_t ramp[3 * 256],
                       std::uint16_t before[3 * 256] = nullptr);
    /// The ramp now on the first output the window shows on; false where none can be read.
    static bool read(SDL_Window* window, std::uint16_t ramp[3 * 256]);
    /// Takes owner's ramps off every output (nothing when it has none).
    static void release(const void* owner);
};

} // namespace Stimora
