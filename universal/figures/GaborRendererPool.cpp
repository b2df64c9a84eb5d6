#include "figures/GaborRendererPool.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "APIImageProperties.h"
#include "display/Color.h"

namespace Stimora {
namespace StimulusTemplate {

namespace {
// Made by static initialisation and never destroyed, so that patches with static storage
// can still release their renderers at exit.
GaborRendererPool& processPool = GaborRendererPool::instance();
} // namespace

GaborRendererPool& GaborRendererPool::instance() {
    static GaborRendererPool* pool = new GaborRendererPool();
    return *pool;
}

int GaborRendererPool::sizeFor(double sigma) {
    // Beyond this a window image could not be allocated anyway.
    if (!(sigma > 0.0) || sigma * 6.0 > 65536.0) {
        return 0;
    }
    return static_cast<int>(sigma * 6.0);
}

int GaborRendererPool::acquire(double sigma) {
    for (std::size_t i = 0; i < renderers.size(); ++i) {
        Renderer& r = *renderers[i];
        if (r.sigma == sigma) {
            if (r.users == 0) {
                build(r, sigma); // its last user had released it: rebuild at the same index
            }
            ++r.users;
            return static_cast<int>(i);
        }
    }
    auto renderer = std::make_unique<Renderer>();
    build(*renderer, sigma);
    renderer->users = 1;
    renderers.push_back(std::move(renderer));
    return static_cast<int>(renderers.size() - 1);
}

void GaborRendererPool::release(int index) {
    Renderer& r = at(index);
    if (r.users <= 0) {
        return;
    }
    if (--r.users == 0) {
        destroy(r);
    }
}

GaborRendererPool::Renderer& GaborRendererPool::at(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= renderers.size()) {
        throw std::out_of_range("GaborRendererPool::at: no renderer at this index");
    }
    return *renderers[static_cast<std::size_t>(index)];
}

void GaborRendererPool::build(Renderer& r, double sigma) {
    destroy(r);
    r.sigma = sigma;
    r.size = sizeFor(sigma);
    const int n = r.size;
    r.grating = std::make_unique<Group>();
    if (n >= 5) {
        // The window: transparent at the centre, opaque grey far out, so that blending it over
        // the grating multiplies the modulation by the Gaussian.
        auto window = std::make_unique<Image>(n, n, Image::RGBA, Image::FLOAT);
        const int h = n / 2;
        const int e = n % 2;
        const double twoSigmaSquared = 2.0 * sigma * sigma;
        for (int i = -h; i <= h + e - 1; ++i) {
            for (int j = -h; j <= h + e - 1; ++j) {
                const double alpha = 1.0 - std::exp(-(j * j + i * i) / twoSigmaSquared);
                window->rawPix(j + h, i + h, Color(0.5, 0.5, 0.5, alpha));
            }
        }
        if (APIImageProperties::contextCurrent()) {
            window->cache(true);
        }
        r.window = std::move(window);

        // Bars: strips 1.1 pixels wide (0.1 overlap, so that no gap opens when rotated),
        // as tall as the chord of the disc of radius r at their offset.
        r.bars.resize(static_cast<std::size_t>(n));
        const double radius = static_cast<double>(n / 2 - 1);
        for (int i = 1; i <= n - 2; ++i) {
            const double d = i - radius;
            const double f = std::sqrt(std::max(radius * radius - d * d, 0.0));
            r.bars[static_cast<std::size_t>(i)].set(1.1, 2.0 * f).shift(d - 0.5, -f, 0.0);
        }
        for (int i = 1; i < n - 3; ++i) {
            r.grating->append(r.bars[static_cast<std::size_t>(i)]);
        }
    }
    r.ready = true;
}

void GaborRendererPool::destroy(Renderer& r) {
    r.grating.reset();
    r.window.reset();
    r.bars.clear();
    r.bars.shrink_to_fit();
    r.ready = false;
}

} // namespace StimulusTemplate
} // namespace Stimora
