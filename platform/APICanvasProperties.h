#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace Stimora {

/// The monitor a canvas opens on: the platform's display index (-1 or out of range: the
/// first), and the top-left corner of its work area in desktop pixels.
struct DisplayPlace {
    int handle = -1;  ///< display index
    int areaLeft = 0; ///< work area's left edge
    int areaTop = 0;  ///< work area's top edge
};

/// The platform half of a Canvas: the display-mode switch, one top-most borderless window,
/// a double-buffered OpenGL context swapping at the vertical refresh, the gamma ramp.
/// Everything it changed is undone by release() (also run by the destructor).
/// Every failure raises an Exception attributed to APICanvasProperties ("API ERROR").
class APICanvasProperties {
public:
    /// Full screen at the display's current mode.
    explicit APICanvasProperties(const DisplayPlace& display);
    /// Full screen at the given mode; refreshRate is truncated to whole Hz.
    APICanvasProperties(int width, int height, int colorDepth, double refreshRate,
                        const DisplayPlace& display);
    /// A window of the given size at the display's work area left + 10, top + 10.
    APICanvasProperties(int width, int height, const DisplayPlace& display);
    /// A window at the given place and size (desktop pixels).
    APICanvasProperties(int left, int top, int width, int height);
    ~APICanvasProperties();

    APICanvasProperties(const APICanvasProperties&) = delete;
    APICanvasProperties& operator=(const APICanvasProperties&) = delete;

    /// Presents the back buffer: at the next vertical refresh when the driver synchronises,
    /// else at the next boundary of a refresh grid kept in software (paced). Returns once the
    /// swap has completed: the counter value of the onset where the driver stamps its swaps,
    /// else 0 (the onset is then the moment this returns).
    std::int64_t swapBuffers();
    /// Paces swaps in software from now on, for a driver that accepted refresh-synchronised
    /// swaps but does not wait for the refresh.
    void pace();
    /// Makes this canvas's OpenGL context the current one on the calling thread.
    void makeCurrent();
    /// Loads a ramp computed from gamma values; nothing unless created.
    void setGammaValue(double r, double g, double b);
    /// Loads a ramp from three tables of exactly 256 values in 0..1; nothing unless created.
    void setGammaTable(const std::vector<double>& r, const std::vector<double>& g,
                       const std::vector<double>& b);
    /// Takes this canvas's ramp off its outputs: the ramp of another canvas still open there
    /// goes back on, else the desktop's.
    void restoreGamma();
    /// Copies the ramp the window's display has now (red, green, blue blocks of 256 entries);
    /// false unless created or where the platform cannot read it.
    bool readGammaRamp(std::uint16_t ramp[3 * 256]) const;
    /// Restores gamma, deletes the context, destroys the window, restores the display mode
    /// and the cursor. Safe to call again.
    void release();

    /// The window and its context exist; false before set-up finishes and after release().
    bool created = false;
    /// Swaps are refresh-locked: by the driver, or by the simulated refresh
    /// (STIMORA_SIMULATED_REFRESH set to a rate in Hz).
    bool vsyncEnabled = false;
    /// Swaps wait for a software refresh grid of period 1000 / refreshRate ms, started at the
    /// first swap: the simulated refresh, or the stand-in where the driver cannot synchronise.
    bool paced = false;
    /// The refresh is simulated (STIMORA_SIMULATED_REFRESH), not the display's.
    bool simulatedRefresh = false;
    /// Where the onset stamps come from, for the timing report.
    const char* onsetSource = "";
    /// The display mode was switched and the window covers it; false for a window.
    bool fullScreen = false;
    ///@{
    /// Size of the window in pixels (in full screen, the mode's).
    int width = 0;
    int height = 0;
    ///@}
    /// Bits per pixel: in full screen the depth asked for (the mode is chosen by size and rate
    /// only), else the display's current mode.
    int colorDepth = 0;
    double refreshRate = 0.0;              ///< Hz; 60 where the platform reports 0
    int gammaMode = 0;                     ///< 0 none loaded, 1 from values, 2 from tables
    std::uint16_t savedRamp[3 * 256] = {}; ///< what the output showed before this canvas's first load

    /// Whether a display mode the host offers serves a full-screen request: the same size and
    /// the same whole-Hz rate (a rate reported as 0 counts as 60 Hz; a request for 0 takes any).
    static bool acceptsMode(int width, int height, int refreshRate, int modeWidth, int modeHeight,
                            int modeRefreshRate);
    /// Whether an out-of-range ramp entry becomes 0 rather than an error; installed by the
    /// colour layer (Color's strict matching). Unset: an error.
    static bool (*strictRamps)();
    /// Releases every live canvas's platform half (used before the process is ended).
    static void releaseAll();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;

    void readScreen(int displayIndex);
    void openFullScreen(int width, int height, int colorDepth, int refreshRate, int displayIndex);
    void openWindow(int left, int top, int width, int height, int displayIndex);
    void createWindow(int left, int top, int width, int height);
    void setUpContext();
    void finishCreation();
    void loadRamp(const std::uint16_t ramp[3 * 256]);
    void abandon() noexcept;
};

} // namespace Stimora
