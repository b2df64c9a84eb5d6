// Monitor records from SDL's display list.

#include "Display.h"

#include <SDL.h>

#include "PlatformVideo.h"

namespace Stimora {

namespace {

Display describe(int index) {
    Display display;
    display.handle = index;
    SDL_Rect bounds{0, 0, 0, 0};
    SDL_GetDisplayBounds(index, &bounds);
    display.width = bounds.w;
    display.height = bounds.h;
    SDL_Rect work = bounds;
    if (SDL_GetDisplayUsableBounds(index, &work) != 0)
        work = bounds;
    display.area.set(work.x, work.y, work.x + work.w - 1, work.y + work.h - 1);
    const char* name = SDL_GetDisplayName(index);
    display.deviceName = name != nullptr ? name : "";
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(index, &mode) == 0) {
        display.colorDepth = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        display.refreshRate = mode.refresh_rate;
    }
    return display;
}

} // namespace

std::vector<Display> enumerateDisplays() {
    // The process-wide list is rebuilt on every enumeration; callers get a copy.
    static std::vector<Display> displays;
    displays.clear();
    if (platformStartVideo()) {
        const int count = SDL_GetNumVideoDisplays();
        for (int i = 0; i < count; ++i)
            displays.push_back(describe(i));
    }
    return displays;
}

Display Display::primary() {
    std::vector<Display> displays = enumerateDisplays();
    return displays.empty() ? Display() : displays.front();
}

} // namespace Stimora
