// The canvas's platform half on SDL2: display mode, borderless top-most window, OpenGL
// context with refresh-synchronised swaps, gamma ramp.

#include "APICanvasProperties.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <typeinfo>

#include "GammaRegistry.h"
#include "InputStamper.h"
#include "Platform.h"
#include "PlatformVideo.h"
#include "SwapStamps.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

const char* const windowTitle = "Stimora Window";
const char* const registerFailed = "Failed to regist main window.";
const char* const switchFailed = "API Error (Failed to switch display mode)";
const char* const pixelFormatFailed = "API Error (Failed to set pixel format).";
const char* const contextFailed = "API Error (Failed to set OpenGL context).";
const char* const gammaReadFailed = "API Error (Failed to read gamma ramp).";
const char* const pacedOnsets = "the paced refresh's boundary after the swap";
const char* const gammaLoadFailed = "API Error (Failed to load gamma ramp).";

[[noreturn]] void fail(const char* message) {
    throw Exception(typeid(APICanvasProperties), "API ERROR", message);
}

[[noreturn]] void failGamma(const char* message) {
    throw Exception(typeid(APICanvasProperties), "Gamma Table Error", message);
}

// Every live platform half with its window, oldest first, so that the pump can undo them all
// before it ends the process.
struct LiveCanvas {
    APICanvasProperties* canvas;
    SDL_Window* window;
};

std::vector<LiveCanvas>& liveCanvases() {
    static std::vector<LiveCanvas> canvases;
    return canvases;
}

// Whether the canvas was in the list.
bool forget(const APICanvasProperties* canvas) {
    auto& live = liveCanvases();
    const auto kept = std::remove_if(live.begin(), live.end(),
                                     [canvas](const LiveCanvas& entry) { return entry.canvas == canvas; });
    const bool found = kept != live.end();
    live.erase(kept, live.end());
    return found;
}

// Range check and truncation of one ramp value (0..65535). NaN is out of range too.
std::uint16_t rampEntry(double x) {
    if (!(x >= 0.0 && x <= 65535.0)) {
        if (APICanvasProperties::strictRamps == nullptr || !APICanvasProperties::strictRamps())
            failGamma("Out of Range");
        return 0;
    }
    return static_cast<std::uint16_t>(x);
}

int validDisplay(int index) {
    return (index >= 0 && index < SDL_GetNumVideoDisplays()) ? index : 0;
}

// The simulated refresh rate asked for in the environment: 0 when none is asked for. One rule:
// plain decimal digits with an optional fraction, 10 to 10,000 Hz. Slower rates would hold
// canvas creation for minutes, faster ones leave no time to draw.
double simulatedRate() {
    const char* text = SDL_getenv("STIMORA_SIMULATED_REFRESH");
    if (text == nullptr || *text == '\0')
        return 0.0;
    const char* at = text;
    while (*at >= '0' && *at <= '9')
        ++at;
    if (at != text && *at == '.' && at[1] >= '0' && at[1] <= '9')
        for (++at; *at >= '0' && *at <= '9';)
            ++at;
    const double hz = at != text && *at == '\0' ? std::strtod(text, nullptr) : 0.0;
    if (!(hz >= 10.0 && hz <= 10000.0))
        throw Exception(
            typeid(APICanvasProperties), "API ERROR",
            std::string("STIMORA_SIMULATED_REFRESH must be a refresh rate in Hz from 10 to 10000, "
                        "written as plain decimal digits, not \"") +
                text + "\".");
    return hz;
}

// Whole Hz; anything that is not a finite non-negative rate asks for no particular rate.
int wholeHz(double rate) {
    if (!(rate >= 0.0 && rate < 100000.0))
        return 0;
    return static_cast<int>(rate);
}

} // namespace

bool (*APICanvasProperties::strictRamps)() = nullptr;

struct APICanvasProperties::Impl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool cursorHidden = false;
    SDL_DisplayMode mode{};
    // The paced refresh grid: counter value of its first boundary, and its period in ticks.
    std::int64_t gridOrigin = 0;
    double gridPeriod = 0.0;
    bool gridStarted = false;
    SwapStamps swapStamps;
};

bool platformStartVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        return true;
    // The process keeps the default meaning of Ctrl-C and SIGTERM; a full-screen canvas stays
    // up when another window takes the focus.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // Without a display SDL falls back to drivers that show nothing: a stimulus nobody can see
    // (and an Escape nobody can press) is a failure, unless such a driver was asked for.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        (requested == nullptr || std::strcmp(requested, driver) != 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // Key presses must reach the pump one message each: no text events beside them.
    SDL_StopTextInput();
    SDL_EventState(SDL_TEXTINPUT, SDL_IGNORE);
    SDL_EventState(SDL_TEXTEDITING, SDL_IGNORE);
    platformIgnoreUnreadEvents();
    platformStampInput();
    if (std::strcmp(driver != nullptr ? driver : "", "x11") == 0)
        InputStamper::start(nullptr);
    platformInstallSignalHandlers();
    return true;
}

SDL_Window* platformCanvasWindow() {
    const auto& live = liveCanvases();
    return live.empty() ? nullptr : live.front().window;
}

APICanvasProperties::APICanvasProperties(const DisplayPlace& display) : impl(std::make_unique<Impl>()) {
    try {
        if (!platformStartVideo())
            fail(registerFailed);
        const int index = validDisplay(display.handle);
        readScreen(index);
        openFullScreen(width, height, colorDepth, wholeHz(refreshRate), index);
    } catch (...) {
        abandon();
        throw;
    }
}

APICanvasProperties::APICanvasProperties(int width_, int height_, int colorDepth_, double refreshRate_,
                                         const DisplayPlace& display)
    : impl(std::make_unique<Impl>()) {
    try {
        if (!platformStartVideo())
            fail(registerFailed);
        const int index = validDisplay(display.handle);
        readScreen(index);
        openFullScreen(width_, height_, colorDepth_, wholeHz(refreshRate_), index);
    } catch (...) {
        abandon();
        throw;
    }
}

APICanvasProperties::APICanvasProperties(int width_, int height_, const DisplayPlace& display)
    : impl(std::make_unique<Impl>()) {
    try {
        if (!platformStartVideo())
            fail(registerFailed);
        const int index = validDisplay(display.handle);
        readScreen(index);
        openWindow(display.areaLeft + 10, display.areaTop + 10, width_, height_, index);
    } catch (...) {
        abandon();
        throw;
    }
}

APICanvasProperties::APICanvasProperties(int left, int top, int width_, int height_)
    : impl(std::make_unique<Impl>()) {
    try {
        if (!platformStartVideo())
            fail(registerFailed);
        readScreen(0);
        openWindow(left, top, width_, height_, 0);
    } catch (...) {
        abandon();
        throw;
    }
}

APICanvasProperties::~APICanvasProperties() {
    release();
}

void APICanvasProperties::readScreen(int displayIndex) {
    created = false;
    gammaMode = 0;
    SDL_DisplayMode mode{};
    SDL_GetCurrentDisplayMode(displayIndex, &mode);
    width = mode.w;
    height = mode.h;
    colorDepth = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    refreshRate = mode.refresh_rate;
}

void APICanvasProperties::openFullScreen(int width_, int height_, int colorDepth_, int refreshRate_,
                                         int displayIndex) {
    SDL_DisplayMode wanted{};
    wanted.w = width_;
    wanted.h = height_;
    wanted.refresh_rate = refreshRate_;
    SDL_DisplayMode& mode = impl->mode;
    if (SDL_GetClosestDisplayMode(displayIndex, &wanted, &mode) == nullptr ||
        !acceptsMode(width_, height_, refreshRate_, mode.w, mode.h, mode.refresh_rate))
        fail(switchFailed);

    width = width_;
    height = height_;
    colorDepth = colorDepth_;
    // The rate the display will run at; a virtual display reports none and runs at 60 Hz.
    const int hz = mode.refresh_rate != 0 ? mode.refresh_rate : refreshRate_;
    refreshRate = hz != 0 ? hz : 60.0;

    SDL_ShowCursor(SDL_DISABLE);
    impl->cursorHidden = true;
    SDL_Rect bounds{0, 0, 0, 0};
    SDL_GetDisplayBounds(displayIndex, &bounds);
    createWindow(bounds.x, bounds.y, width, height);
    if (SDL_SetWindowDisplayMode(impl->window, &mode) != 0 ||
        SDL_SetWindowFullscreen(impl->window, SDL_WINDOW_FULLSCREEN) != 0)
        fail(switchFailed);
    fullScreen = true;
    setUpContext();
    finishCreation();
}

bool APICanvasProperties::acceptsMode(int width_, int height_, int refreshRate_, int modeWidth,
                                      int modeHeight, int modeRefreshRate) {
    // A mode at another rate would show every duration given in frames at the wrong speed. A
    // rate reported as 0 (a virtual display) is taken as the 60 Hz it runs at.
    const int rate = modeRefreshRate != 0 ? modeRefreshRate : 60;
    return modeWidth == width_ && modeHeight == height_ && (refreshRate_ == 0 || rate == refreshRate_);
}

void APICanvasProperties::openWindow(int left, int top, int width_, int height_, int displayIndex) {
    (void)displayIndex; // the depth and rate were read from this display
    width = width_;
    height = height_;
    if (refreshRate == 0.0)
        refreshRate = 60.0;
    createWindow(left, top, width, height);
    setUpContext();
    finishCreation();
}

void APICanvasProperties::createWindow(int left, int top, int width_, int height_) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    // Opacity drawing writes destination alpha.
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
    // Drawing is fixed-function OpenGL 1.x.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    for (int depth : {32, 24}) {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        impl->window = SDL_CreateWindow(windowTitle, left, top, width_, height_, flags);
        if (impl->window != nullptr)
            return;
    }
    // No window with a GL visual: tell a missing visual from a window that cannot be made.
    SDL_Window* plain =
        SDL_CreateWindow(windowTitle, left, top, width_, height_, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (plain == nullptr)
        fail(registerFailed);
    SDL_DestroyWindow(plain);
    fail(pixelFormatFailed);
}

void APICanvasProperties::setUpContext() {
    impl->context = static_cast<SDL_GLContext>(platformCreateContext(impl->window));
    if (impl->context == nullptr)
        fail(contextFailed);
    if (SDL_GL_MakeCurrent(impl->window, impl->context) != 0)
        fail(contextFailed);
    if (const double hz = simulatedRate(); hz > 0.0) {
        // The simulated refresh replaces the driver's: swaps must not wait twice.
        SDL_GL_SetSwapInterval(0);
        refreshRate = hz;
        vsyncEnabled = simulatedRefresh = paced = true;
    } else {
        vsyncEnabled = SDL_GL_SetSwapInterval(1) == 0;
        // Without the driver's synchronisation, frames are still paced to the refresh so that a
        // count of frames keeps meaning a duration.
        paced = !vsyncEnabled;
    }
    onsetSource = paced ? pacedOnsets : impl->swapStamps.start();
}

void APICanvasProperties::finishCreation() {
    created = true;
    gammaMode = 0;
    liveCanvases().push_back({this, impl->window});
    platformCanvasOpened();
    // Drop one pending window notification (never a close, never input) left by the creation.
    SDL_PumpEvents();
    SDL_Event event;
    if (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) == 1 &&
        event.window.event != SDL_WINDOWEVENT_CLOSE)
        SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    SDL_ShowWindow(impl->window);
}

void APICanvasProperties::makeCurrent() {
    if (created)
        SDL_GL_MakeCurrent(impl->window, impl->context);
}

std::int64_t APICanvasProperties::swapBuffers() {
    platformHonourSignals();
    if (!created)
        return 0;
    if (!paced) {
        SDL_GL_SwapWindow(impl->window);
        // A driver may queue the swap and return at once: the onset is when it completed.
        return impl->swapStamps.waitForSwap();
    }
    // As a display's refresh does, the swap returns at the next boundary of the grid after the
    // moment it was asked for; the return, which the canvas stamps as the onset, is then exact
    // whatever the window system's own latency.
    const std::int64_t asked = platformCounter();
    SDL_GL_SwapWindow(impl->window);
    if (!impl->gridStarted) {
        impl->gridOrigin = platformCounter();
        impl->gridPeriod = static_cast<double>(platformCounterFrequency()) / refreshRate;
        impl->gridStarted = true;
        return 0;
    }
    const double elapsed = static_cast<double>(asked - impl->gridOrigin);
    const double boundary = (std::floor(elapsed / impl->gridPeriod) + 1.0) * impl->gridPeriod;
    platformWaitUntil(impl->gridOrigin + static_cast<std::int64_t>(std::llround(boundary)), true);
    return 0;
}

void APICanvasProperties::pace() {
    if (!created || paced)
        return;
    paced = true;
    vsyncEnabled = false;
    impl->gridStarted = false;
    onsetSource = pacedOnsets;
    SDL_GL_SetSwapInterval(0);
}

void APICanvasProperties::setGammaValue(double r, double g, double b) {
    if (!created)
        return;
    const double gamma[3] = {r, g, b};
    std::uint16_t ramp[3 * 256];
    for (int c = 0; c < 3; ++c) {
        const double exponent = 1.0 / gamma[c];
        for (int i = 0; i < 256; ++i)
            ramp[c * 256 + i] = rampEntry(std::pow(i / 255.0, exponent) * 65535.0);
    }
    loadRamp(ramp);
    gammaMode = 1;
}

void APICanvasProperties::setGammaTable(const std::vector<double>& r, const std::vector<double>& g,
                                        const std::vector<double>& b) {
    if (!created)
        return;
    if (r.size() != 256 || g.size() != 256 || b.size() != 256)
        failGamma("Table size is out of order (not 256).");
    const std::vector<double>* tables[3] = {&r, &g, &b};
    std::uint16_t ramp[3 * 256];
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            ramp[c * 256 + i] = rampEntry((*tables[c])[i] * 65535.0);
    loadRamp(ramp);
    gammaMode = 2;
}

void APICanvasProperties::loadRamp(const std::uint16_t ramp[3 * 256]) {
    // A host that cannot load a ramp says so: calibration must never silently not happen. The
    // first ramp of ours keeps the one it replaces.
    const GammaRegistry::Result result =
        GammaRegistry::load(this, impl->window, ramp, gammaMode == 0 ? savedRamp : nullptr);
    if (result != GammaRegistry::loaded)
        failGamma(result == GammaRegistry::unreadable ? gammaReadFailed : gammaLoadFailed);
}

void APICanvasProperties::restoreGamma() {
    if (created && gammaMode != 0)
        GammaRegistry::release(this);
    gammaMode = 0;
}

bool APICanvasProperties::readGammaRamp(std::uint16_t ramp[3 * 256]) const {
    return created && GammaRegistry::read(impl->window, ramp);
}

void APICanvasProperties::release() {
    if (created) {
        restoreGamma();
        created = false;
        abandon();
    }
}

// Undoes whatever exists, in the order release gives: context, window, display mode, cursor.
// Also runs when a constructor fails part-way, so a switched mode is never left behind.
void APICanvasProperties::abandon() noexcept {
    if (forget(this))
        platformCanvasClosed();
    if (impl->context != nullptr) {
        platformDeleteContext(impl->window, impl->context);
        impl->context = nullptr;
    }
    if (impl->window != nullptr) {
        if (fullScreen)
            SDL_SetWindowFullscreen(impl->window, 0);
        SDL_DestroyWindow(impl->window);
        impl->window = nullptr;
    }
    if (impl->cursorHidden) {
        SDL_ShowCursor(SDL_ENABLE);
        impl->cursorHidden = false;
    }
    // Putting the desktop mode back can reset the output's ramp: the saved one goes back last.
    GammaRegistry::release(this);
    created = false;
}

void APICanvasProperties::releaseAll() {
    // Newest first; each release takes its canvas out of the list.
    auto& live = liveCanvases();
    while (!live.empty()) {
        APICanvasProperties* canvas = live.back().canvas;
        canvas->release();
        if (!live.empty() && live.back().canvas == canvas)
            canvas->abandon();
    }
}

} // namespace Stimora
