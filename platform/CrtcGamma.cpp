#include "CrtcGamma.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>

namespace Stimora {

std::vector<std::size_t> CrtcGamma::covering(const Area& window, const std::vector<Area>& crtcs) {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < crtcs.size(); ++i) {
        const Area& c = crtcs[i];
        const int left = std::max(window.x, c.x), right = std::min(window.x + window.width, c.x + c.width);
        const int top = std::max(window.y, c.y), bottom = std::min(window.y + window.height, c.y + c.height);
        if (c.active && left < right && top < bottom)
            shown.push_back(i);
    }
    return shown;
}

std::vector<std::unique_ptr<CrtcGamma>> CrtcGamma::forWindow(SDL_Window* window) {
    std::vector<std::unique_ptr<CrtcGamma>> found;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return found;
    ::Display* display = info.info.x11.display;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 2))
        return found;
    Area shown;
    SDL_GetWindowPosition(window, &shown.x, &shown.y);
    SDL_GetWindowSize(window, &shown.width, &shown.height);

    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr)
        return found;
    std::vector<Area> areas;
    for (int i = 0; i < resources->ncrtc; ++i) {
        Area area;
        area.active = false;
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i])) {
            area = {crtc->x, crtc->y, static_cast<int>(crtc->width), static_cast<int>(crtc->height),
                    crtc->mode != None};
            XRRFreeCrtcInfo(crtc);
        }
        areas.push_back(area);
    }
    for (std::size_t i : covering(shown, areas)) {
        const RRCrtc id = resources->crtcs[i];
        const int size = XRRGetCrtcGammaSize(display, id);
        if (size >= 2)
            found.emplace_back(new CrtcGamma(display, id, size));
    }
    XRRFreeScreenResources(resources);
    return found;
}

CrtcGamma::CrtcGamma(_XDisplay* display_, unsigned long crtc_, int size_)
    : display(display_), crtc(crtc_), size(size_) {}

CrtcGamma::~CrtcGamma() = default;

std::string CrtcGamma::displayName() const {
    const char* name = DisplayString(display);
    return name != nullptr ? name : "";
}

bool CrtcGamma::fetch(std::vector<std::uint16_t>& full) const {
    XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, crtc);
    const bool ok = gamma != nullptr && gamma->size == size;
    if (ok) {
        full.assign(gamma->red, gamma->red + size);
        full.insert(full.end(), gamma->green, gamma->green + size);
        full.insert(full.end(), gamma->blue, gamma->blue + size);
    }
    if (gamma != nullptr)
        XRRFreeGamma(gamma);
    return ok;
}

bool CrtcGamma::read(std::uint16_t ramp[3 * 256]) const {
    std::vector<std::uint16_t> full;
    if (!fetch(full))
        return false;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            ramp[c * 256 + i] =
                full[static_cast<std::size_t>(c * size + std::lround(i * (size - 1) / 255.0))];
    return true;
}

std::vector<std::uint16_t> CrtcGamma::expand(const std::uint16_t ramp[3 * 256]) const {
    std::vector<std::uint16_t> full(3 * static_cast<std::size_t>(size));
    for (int c = 0; c < 3; ++c) {
        const std::uint16_t* table = ramp + c * 256;
        for (int j = 0; j < size; ++j) {
            const double at = j * 255.0 / (size - 1);
            const int i = std::min(static_cast<int>(at), 254);
            const double v = table[i] + (at - i) * (table[i + 1] - table[i]);
            full[static_cast<std::size_t>(c * size + j)] = static_cast<std::uint16_t>(std::lround(v));
        }
    }
    return full;
}

bool CrtcGamma::load(const std::vector<std::uint16_t>& full) {
    if (full.size() != 3 * static_cast<std::size_t>(size))
        return false;
    XRRCrtcGamma* gamma = XRRAllocGamma(size);
    if (gamma == nullptr)
        return false;
    std::copy_n(full.begin(), size, gamma->red);
    std::copy_n(full.begin() + size, size, gamma->green);
    std::copy_n(full.begin() + 2 * size, size, gamma->blue);
    XRRSetCrtcGamma(display, crtc, gamma);
    XRRFreeGamma(gamma);
    // The ramp is on the output when this returns, not whenever Xlib's buffer is flushed.
    XSync(display, False);
    return true;
}

} // namespace Stimora
