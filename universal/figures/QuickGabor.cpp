#include "figures/QuickGabor.h"

#include <cmath>

#include "APIImageProperties.h"
#include "display/Color.h"
#include "figures/GaborRendererPool.h"

namespace Stimora {
namespace StimulusTemplate {

namespace {
const double pi = std::acos(-1.0);
} // namespace

QuickGabor::QuickGabor() = default;

QuickGabor::QuickGabor(double wavelength_, double sigma_, double contrast_, double orientation_,
                       double phase_) {
    set(wavelength_, sigma_, contrast_, orientation_, phase_);
}

QuickGabor::QuickGabor(Length wavelength_, Length sigma_, double contrast_, Angle orientation_,
                       Angle phase_) {
    set(wavelength_, sigma_, contrast_, orientation_, phase_);
}

QuickGabor::QuickGabor(const QuickGabor& other) : Figure(), Gabor(other) {
    if (renderer >= 0) {
        renderer = GaborRendererPool::instance().acquire(sigma);
    }
}

QuickGabor& QuickGabor::operator=(const QuickGabor& other) {
    if (this != &other) {
        const int held = renderer;
        Gabor::operator=(other);
        renderer = other.renderer >= 0 ? GaborRendererPool::instance().acquire(sigma) : -1;
        if (held >= 0) {
            GaborRendererPool::instance().release(held);
        }
    }
    return *this;
}

QuickGabor::~QuickGabor() {
    releaseRenderer();
}

void QuickGabor::releaseRenderer() {
    if (renderer >= 0) {
        GaborRendererPool::instance().release(renderer);
        renderer = -1;
    }
}

QuickGabor& QuickGabor::set(Length wavelength_, Length sigma_, double contrast_, Angle orientation_,
                            Angle phase_) {
    // Acquire before releasing, so that a patch keeping its sigma never rebuilds its renderer.
    const int acquired = GaborRendererPool::instance().acquire(sigma_.value);
    releaseRenderer();
    renderer = acquired;
    wavelength = wavelength_;
    contrast = contrast_;
    orientation = orientation_;
    phase = phase_;
    sigma = sigma_.value;
    x = 0.0;
    y = 0.0;
    width = height = GaborRendererPool::sizeFor(sigma);
    return *this;
}

QuickGabor& QuickGabor::set(double wavelength_, double sigma_, double contrast_, double orientation_,
                            double phase_) {
    return set(Length(wavelength_), Length(sigma_), contrast_, Angle::fromDegrees(orientation_),
               Angle::fromDegrees(phase_));
}

QuickGabor& QuickGabor::setContrast(double value) {
    Gabor::setContrast(value);
    return *this;
}

QuickGabor& QuickGabor::setWavelength(Length length) {
    Gabor::setWavelength(length);
    return *this;
}

QuickGabor& QuickGabor::setOrientation(Angle angle) {
    Gabor::setOrientation(angle);
    return *this;
}

QuickGabor& QuickGabor::setPhase(Angle angle) {
    Gabor::setPhase(angle);
    return *this;
}

QuickGabor& QuickGabor::shift(double dx, double dy, double) {
    x += dx;
    y += dy;
    return *this;
}

QuickGabor& QuickGabor::centerAt(Drawable& target) {
    const Point c = target.getCenter();
    return centerAt(c.x, c.y, 0.0);
}

QuickGabor& QuickGabor::centerAt(double cx, double cy, double) {
    x = cx - width * 0.5;
    y = cy - height * 0.5;
    return *this;
}

QuickGabor& QuickGabor::setDatum(const Point& p) {
    return centerAt(p.x, p.y, 0.0);
}

QuickGabor& QuickGabor::centerAt(const Point& p) {
    return centerAt(p.x, p.y, 0.0);
}

QuickGabor& QuickGabor::draw(Drawable& target) {
    return draw(static_cast<int>(x), static_cast<int>(y), target);
}

QuickGabor& QuickGabor::draw(int px, int py, Drawable& target) {
    if (renderer < 0) {
        return *this;
    }
    GaborRendererPool::Renderer& r = GaborRendererPool::instance().at(renderer);
    const int n = r.size;
    // No cycle length, or no bar to draw: nothing to show (and no division by zero).
    if (wavelength.value == 0.0 || !std::isfinite(wavelength.value) || n < 5 || !r.ready || !r.window) {
        return *this;
    }
    if (!r.window->isCached() && APIImageProperties::contextCurrent()) {
        r.window->cache(true); // made before any canvas existed
    }

    const int c = n / 2 - 1;
    const double phaseRadians = phase.toRadians();
    const std::vector<Rectangle>::size_type last = static_cast<std::size_t>(n - 3);
    for (std::size_t i = 1; i < last; ++i) {
        const double grey =
            0.5 +
            0.5 * contrast * std::sin(2.0 * pi * static_cast<double>(i) / wavelength.value + phaseRadians);
        r.bars[i].color = Color(grey);
    }
    // The grating group turns the bars about the disc's centre (clockwise on the screen).
    r.grating->datum = Point(px + c, py + c, 0.0);
    r.grating->angle = orientation.toDegrees();
    r.grating->draw(target);
    r.window->draw(static_cast<double>(px), static_cast<double>(py), target);
    return *this;
}

} // namespace StimulusTemplate
} // namespace Stimora
