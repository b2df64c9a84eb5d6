// Monitors from SDL's display list.

#include <SDL.h>

#include "Platform.h"
#include "PlatformVideo.h"

namespace Stimora {

std::vector<PlatformDisplay> platformDisplays() {
    std::vector<PlatformDisplay> displays;
    if (!platformStartVideo())
        return displays;
    const int count = SDL_GetNumVideoDisplays();
    for (int index = 0; index < count; ++index) {
        PlatformDisplay display;
        SDL_Rect bounds{0, 0, 0, 0};
        SDL_GetDisplayBounds(index, &bounds);
        display.width = bounds.w;
        display.height = bounds.h;
        SDL_Rect work = bounds;
        if (SDL_GetDisplayUsableBounds(index, &work) != 0)
            work = bounds;
        display.workLeft = work.x;
        display.workTop = work.y;
        display.workWidth = work.w;
        display.workHeight = work.h;
        const char* name = SDL_GetDisplayName(index);
        display.name = name != nullptr ? name : "";
        SDL_DisplayMode mode{};
        if (SDL_GetCurrentDisplayMode(index, &mode) == 0) {
            display.colorDepth = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
            display.refreshRate = mode.refresh_rate;
        }
        displays.push_back(display);
    }
    return displays;
}

} // namespace Stimora
