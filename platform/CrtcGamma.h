#pragma once

// The gamma ramp of one display output (RandR CRTC), through the X RandR extension. Not part
// of the framework's interface. SDL2's own window ramp is kept in memory and never reaches the
// server for a GL window, so ramps are loaded here instead.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
struct _XDisplay;

namespace Stimora {

/// One RandR CRTC and its ramp. The framework's tables have 256 entries per channel; a CRTC
/// ramp of another size is filled from them by linear interpolation, and read back by sampling
/// it at the 256 positions. Full ramps (3 x size entries, red, green, blue blocks) are kept
/// exactly as the server holds them.
class CrtcGamma {
public:
    /// A rectangle of the root window; an inactive CRTC shows nothing.
    struct Area {
        int x = 0;          ///< left edge, root-window pixels
        int y = 0;          ///< top edge, root-window pixels
        int width = 0;      ///< pixels
        int height = 0;     ///< pixels
        bool active = true; ///< shows anything (has a mode)
    };
    /// Indices of the CRTCs that show some part of window: every one it overlaps, mirrors
    /// included. Empty where it lies over none.
    static std::vector<std::size_t> covering(const Area& window, const std::vector<Area>& crtcs);
    /// The CRTCs that show the window; empty where the host has none to offer (not X11, no
    /// RandR, no CRTC under the window, a ramp of size 0).
    static std::vector<std::unique_ptr<CrtcGamma>> forWindow(SDL_Window* window);
    ~CrtcGamma();
    CrtcGamma(const CrtcGamma&) = delete;
    CrtcGamma& operator=(const CrtcGamma&) = delete;

    /// The server's id of the CRTC, the same on every connection.
    unsigned long id() const { return crtc; }
    /// The display's name, for another connection to the same server.
    std::string displayName() const;
    /// The ramp now on the output, as 3 x 256 entries.
    bool read(std::uint16_t ramp[3 * 256]) const;
    /// The ramp now on the output at its own size.
    bool fetch(std::vector<std::uint16_t>& full) const;
    /// A 3 x 256 table spread over the output's own ramp size.
    std::vector<std::uint16_t> expand(const std::uint16_t ramp[3 * 256]) const;
    /// Loads a ramp of the output's own size; it is on the output when this returns.
    bool load(const std::vector<std::uint16_t>& full);

private:
    CrtcGamma(_XDisplay* display, unsigned long crtc, int size);
    _XDisplay* display;
    unsigned long crtc;
    int size;
};

} // namespace Stimora
