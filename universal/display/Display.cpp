// Monitor records from the platform's list.

#include "display/Display.h"

#include "APICanvasProperties.h"
#include "Platform.h"

namespace Stimora {

std::vector<Display> enumerateDisplays() {
    std::vector<Display> displays;
    const std::vector<PlatformDisplay> found = platformDisplays();
    for (std::size_t i = 0; i < found.size(); ++i) {
        const PlatformDisplay& d = found[i];
        Display display;
        display.handle = static_cast<int>(i);
        display.width = d.width;
        display.height = d.height;
        display.colorDepth = d.colorDepth;
        display.refreshRate = d.refreshRate;
        display.deviceName = d.name;
        display.area.set(d.workLeft, d.workTop, d.workLeft + d.workWidth - 1, d.workTop + d.workHeight - 1);
        displays.push_back(display);
    }
    return displays;
}

Display Display::primary() {
    std::vector<Display> displays = enumerateDisplays();
    return displays.empty() ? Display() : displays.front();
}

Display::operator DisplayPlace() const {
    return {handle, static_cast<int>(area.left), static_cast<int>(area.top)};
}

} // namespace Stimora
