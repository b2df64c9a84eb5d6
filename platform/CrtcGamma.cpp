#include "CrtcGamma.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>

namespace Stimora {

struct CrtcGamma::Handles {
    ::Display* display = nullptr;
    RRCrtc crtc = 0;
};

namespace {

// Does the RandR CRTC contain the point (x, y) of the root window?
bool shows(const XRRCrtcInfo& info, int x, int y) {
    return info.mode != None && x >= info.x && y >= info.y && x < info.x + static_cast<int>(info.width) &&
           y < info.y + static_cast<int>(info.height);
}

} // namespace

std::unique_ptr<CrtcGamma> CrtcGamma::forWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return nullptr;
    ::Display* display = info.info.x11.display;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 2))
        return nullptr;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    x += w / 2;
    y += h / 2;

    auto handles = std::make_unique<Handles>();
    handles->display = display;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr)
        return nullptr;
    // The CRTC under the window's centre, else the first one that shows anything.
    for (int pass = 0; pass < 2 && handles->crtc == 0; ++pass) {
        for (int i = 0; i < resources->ncrtc && handles->crtc == 0; ++i) {
            XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
            if (crtc != nullptr && (pass == 0 ? shows(*crtc, x, y) : crtc->mode != None))
                handles->crtc = resources->crtcs[i];
            if (crtc != nullptr)
                XRRFreeCrtcInfo(crtc);
        }
    }
    XRRFreeScreenResources(resources);
    if (handles->crtc == 0)
        return nullptr;
    std::unique_ptr<CrtcGamma> gamma(new CrtcGamma(std::move(handles)));
    gamma->size = XRRGetCrtcGammaSize(display, gamma->x->crtc);
    if (gamma->size < 2)
        return nullptr;
    return gamma;
}

CrtcGamma::CrtcGamma(std::unique_ptr<Handles> handles) : x(std::move(handles)) {}

CrtcGamma::~CrtcGamma() = default;

// The CRTC's ramp as the server holds it now; null when it cannot be read at our size.
std::unique_ptr<XRRCrtcGamma, void (*)(XRRCrtcGamma*)> CrtcGamma::fetch() const {
    std::unique_ptr<XRRCrtcGamma, void (*)(XRRCrtcGamma*)> gamma(XRRGetCrtcGamma(x->display, x->crtc),
                                                                 XRRFreeGamma);
    if (gamma && gamma->size != size)
        gamma.reset();
    return gamma;
}

bool CrtcGamma::read(std::uint16_t ramp[3 * 256]) const {
    const auto gamma = fetch();
    if (!gamma)
        return false;
    const unsigned short* channels[3] = {gamma->red, gamma->green, gamma->blue};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            ramp[c * 256 + i] = channels[c][static_cast<int>(std::lround(i * (size - 1) / 255.0))];
    return true;
}

bool CrtcGamma::load(const std::uint16_t ramp[3 * 256]) {
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
    return loadFull(full);
}

bool CrtcGamma::save() {
    const auto gamma = fetch();
    if (!gamma)
        return false;
    saved.assign(gamma->red, gamma->red + size);
    saved.insert(saved.end(), gamma->green, gamma->green + size);
    saved.insert(saved.end(), gamma->blue, gamma->blue + size);
    return true;
}

bool CrtcGamma::restore() {
    return saved.empty() || loadFull(saved);
}

bool CrtcGamma::loadFull(const std::vector<std::uint16_t>& ramp) {
    XRRCrtcGamma* gamma = XRRAllocGamma(size);
    if (gamma == nullptr)
        return false;
    for (int j = 0; j < size; ++j) {
        gamma->red[j] = ramp[static_cast<std::size_t>(j)];
        gamma->green[j] = ramp[static_cast<std::size_t>(size + j)];
        gamma->blue[j] = ramp[static_cast<std::size_t>(2 * size + j)];
    }
    XRRSetCrtcGamma(x->display, x->crtc, gamma);
    XRRFreeGamma(gamma);
    // The ramp is on the output when this returns, not whenever Xlib's buffer is flushed.
    XSync(x->display, False);
    return true;
}

} // namespace Stimora
