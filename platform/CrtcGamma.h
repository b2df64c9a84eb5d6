#pragma once

// The gamma ramp of the display output that holds a window, through the X RandR extension.
// Not part of the framework's interface. SDL2's own window ramp is kept in memory and never
// reaches the server for a GL window, so the ramp is loaded here instead.

#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Window;
struct _XRRCrtcGamma;

namespace Stimora {

/// The RandR CRTC under a window's centre and its ramp. The framework's tables have 256
/// entries per channel; a CRTC ramp of another size is filled from them by linear
/// interpolation, and read back by sampling it at the 256 positions.
class CrtcGamma {
public:
    /// The CRTC that shows the window, or null where the host has none to offer (not X11,
    /// no RandR, no CRTC under the window, a ramp of size 0).
    static std::unique_ptr<CrtcGamma> forWindow(SDL_Window* window);
    ~CrtcGamma();
    CrtcGamma(const CrtcGamma&) = delete;
    CrtcGamma& operator=(const CrtcGamma&) = delete;

    /// The ramp now on the output, as 3 x 256 entries (red, green, blue blocks).
    bool read(std::uint16_t ramp[3 * 256]) const;
    /// Loads 3 x 256 entries onto the output.
    bool load(const std::uint16_t ramp[3 * 256]);
    /// Keeps the output's whole ramp, at its own size, for restore().
    bool save();
    /// Puts the saved ramp back exactly; nothing when none was saved.
    bool restore();

private:
    struct Handles;
    explicit CrtcGamma(std::unique_ptr<Handles> handles);
    bool loadFull(const std::vector<std::uint16_t>& ramp);
    std::unique_ptr<_XRRCrtcGamma, void (*)(_XRRCrtcGamma*)> fetch() const;
    std::unique_ptr<Handles> x;
    int size = 0;
    std::vector<std::uint16_t> saved; // 3 x size, empty until save()
};

} // namespace Stimora
