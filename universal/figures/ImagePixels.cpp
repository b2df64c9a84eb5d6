// The image's pixels: their storage per precision and layout, single pixels, the drawing
// operations and copies between images.

#include "figures/Image.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <typeinfo>

#include "base/Exception.h"
#include "base/Rounding.h"

namespace Stimora {

namespace {

[[noreturn]] void fail(const char* kind, const char* message) {
    throw Exception(typeid(Image), kind, message);
}

/// Far beyond any image, yet small enough that differences of such coordinates stay finite.
constexpr double farAway = 1e18;

/// roundToInt's rule without the int range, for ends far outside the image.
double roundWhole(double v) {
    if (std::fabs(v) < INT_MAX) {
        return roundToInt(v);
    }
    return v < 0.0 ? std::trunc(v) : std::nearbyint(v);
}

/// A component in 0..1 to a byte: nearest, halves to even, low 8 bits kept (no clamping).
inline unsigned char toByte(double c) {
    return static_cast<unsigned char>(static_cast<unsigned>(roundToInt(c * 255.0)) & 0xFFu);
}

inline void store(unsigned char& slot, double c) {
    slot = toByte(c);
}
inline void store(float& slot, double c) {
    slot = static_cast<float>(c);
}
inline double load(unsigned char v) {
    return v / 255.0;
}
inline double load(float v) {
    return v;
}

/// The intersection of a rectangle with 0..w-1 x 0..h-1 in whole pixels; false when empty.
bool clipToPixels(const Rectangle& r, int w, int h, int& left, int& top, int& right, int& bottom) {
    const double l = std::max(std::min(r.left, r.right), 0.0);
    const double t = std::max(std::min(r.top, r.bottom), 0.0);
    const double rt = std::min(std::max(r.left, r.right), static_cast<double>(w - 1));
    const double b = std::min(std::max(r.top, r.bottom), static_cast<double>(h - 1));
    if (l > rt || t > b) {
        return false;
    }
    left = roundToInt(l);
    top = roundToInt(t);
    right = std::min(roundToInt(rt), w - 1);
    bottom = std::min(roundToInt(b), h - 1);
    return left <= right && top <= bottom;
}

} // namespace

/// The pixel operations of one precision (T) and component count (N), chosen once per bitmap.
template <class T, int N> struct ImagePixels {
    static T* at(Image& image, std::size_t offset) {
        if constexpr (std::is_same_v<T, float>) {
            return &image.floats[offset];
        } else {
            return &image.bytes[offset];
        }
    }
    static const T* at(const Image& image, std::size_t offset) {
        return at(const_cast<Image&>(image), offset);
    }

    static void raw(Image& image, std::size_t offset, const Color& c) {
        T* p = at(image, offset);
        store(p[0], c.r);
        if constexpr (N >= 3) {
            store(p[1], c.g);
            store(p[2], c.b);
        }
        if constexpr (N == 4) {
            store(p[3], c.a);
        }
    }

    static void blend(Image& image, std::size_t offset, const Color& c) {
        if constexpr (N == 1) {
            raw(image, offset, c); // grey has no alpha to blend with
        } else {
            T* p = at(image, offset);
            const double a = c.a;
            const double oldAlpha = N == 4 ? load(p[N - 1]) : 1.0;
            const double newAlpha = oldAlpha * (1.0 - a) + a * a;
            if (Color::softwareCalibration()) {
                // Blend requested intensities, then store through the calibration again.
                const Color old(Color::raw, load(p[0]), load(p[1]), load(p[2]), oldAlpha);
                const Color mixed(old.getR() * (1.0 - a) + a * c.getR(),
                                  old.getG() * (1.0 - a) + a * c.getG(),
                                  old.getB() * (1.0 - a) + a * c.getB(), newAlpha);
                store(p[0], mixed.r);
                store(p[1], mixed.g);
                store(p[2], mixed.b);
            } else {
                store(p[0], load(p[0]) * (1.0 - a) + a * c.r);
                store(p[1], load(p[1]) * (1.0 - a) + a * c.g);
                store(p[2], load(p[2]) * (1.0 - a) + a * c.b);
            }
            if constexpr (N == 4) {
                store(p[3], newAlpha);
            }
        }
    }

    static void alpha(Image& image, std::size_t offset, double value) {
        if constexpr (N == 4) {
            store(at(image, offset)[3], value);
        }
    }

    static Color read(const Image& image, std::size_t offset) {
        const T* p = at(image, offset);
        if constexpr (N == 1) {
            return Color(Color::raw, load(p[0]), load(p[0]), load(p[0]), 1.0);
        } else {
            return Color(Color::raw, load(p[0]), load(p[1]), load(p[2]), N == 4 ? load(p[N - 1]) : 1.0);
        }
    }
};

void Image::choosePixelOperations() {
    // One row per precision x 3 + layout: bytes then floats; grey, RGB, RGBA.
    struct Operations {
        PixelWrite blend, raw;
        AlphaWrite alpha;
        PixelRead read;
    };
    static const Operations table[] = {
        {&ImagePixels<unsigned char, 1>::blend, &ImagePixels<unsigned char, 1>::raw,
         &ImagePixels<unsigned char, 1>::alpha, &ImagePixels<unsigned char, 1>::read},
        {&ImagePixels<unsigned char, 3>::blend, &ImagePixels<unsigned char, 3>::raw,
         &ImagePixels<unsigned char, 3>::alpha, &ImagePixels<unsigned char, 3>::read},
        {&ImagePixels<unsigned char, 4>::blend, &ImagePixels<unsigned char, 4>::raw,
         &ImagePixels<unsigned char, 4>::alpha, &ImagePixels<unsigned char, 4>::read},
        {&ImagePixels<float, 1>::blend, &ImagePixels<float, 1>::raw, &ImagePixels<float, 1>::alpha,
         &ImagePixels<float, 1>::read},
        {&ImagePixels<float, 3>::blend, &ImagePixels<float, 3>::raw, &ImagePixels<float, 3>::alpha,
         &ImagePixels<float, 3>::read},
        {&ImagePixels<float, 4>::blend, &ImagePixels<float, 4>::raw, &ImagePixels<float, 4>::alpha,
         &ImagePixels<float, 4>::read},
    };
    const Operations& chosen = table[precision * 3 + layout];
    blendOp = chosen.blend;
    rawOp = chosen.raw;
    alphaOp = chosen.alpha;
    readOp = chosen.read;
}

// ---- pixels

void Image::checkBounds(int x, int y) const {
    if (!bitmap || x < 0 || x > width - 1 || y < 0 || y > height - 1) {
        fail("Out Of Bound Exception", "Specified coordinate is out of bound.");
    }
}

std::size_t Image::offsetOf(int x, int y) const {
    return static_cast<std::size_t>(x) * components +
           static_cast<std::size_t>(elementsPerRow) * static_cast<std::size_t>(height - 1 - y);
}

Image& Image::pix(int x, int y, const Color& color) {
    checkBounds(x, y);
    blendOp(*this, offsetOf(x, y), color);
    return *this;
}

Image& Image::rawPix(int x, int y, const Color& color) {
    checkBounds(x, y);
    rawOp(*this, offsetOf(x, y), color);
    return *this;
}

Image& Image::alpha(int x, int y, double value) {
    checkBounds(x, y);
    alphaOp(*this, offsetOf(x, y), value);
    return *this;
}

Color Image::getPix(int x, int y) const {
    checkBounds(x, y);
    return readOp(*this, offsetOf(x, y));
}

Image& Image::clear(const Color& color) {
    if (!bitmap) {
        return *this;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rawOp(*this, offsetOf(x, y), color);
        }
    }
    return *this;
}

Image& Image::line(double x1, double y1, double x2, double y2, const Color& color) {
    if (!bitmap || std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) {
        return *this;
    }
    // An infinite end becomes a very distant one, so that the slope stays defined.
    for (double* v : {&x1, &y1, &x2, &y2}) {
        *v = std::clamp(*v, -farAway, farAway);
    }
    auto plot = [&](int x, int y) {
        if (x >= 0 && x < width && y >= 0 && y < height) {
            blendOp(*this, offsetOf(x, y), color);
        }
    };
    if (x1 == x2) {
        const int x = roundToInt(x1);
        const int from = roundToInt(std::min(y1, y2));
        const int to = roundToInt(std::max(y1, y2));
        for (int y = std::max(from, 0); y <= std::min(to, height - 1); ++y) {
            plot(x, y);
        }
        return *this;
    }
    // Steps run along the longer axis from its rounded start; only the steps that land inside
    // the image are taken, so an end far outside costs nothing.
    const double slope = (y1 - y2) / (x1 - x2);
    const bool shallow = std::fabs(slope) < 1.0;
    const double a1 = shallow ? x1 : y1;
    const double a2 = shallow ? x2 : y2;
    const double across = a1 < a2 ? (shallow ? y1 : x1) : (shallow ? y2 : x2);
    const double from = roundWhole(std::min(a1, a2));
    const double last = std::min(roundWhole(std::max(a1, a2)), (shallow ? width : height) - 1.0);
    for (double along = std::max(from, 0.0); along <= last; ++along) {
        const double step = along - from;
        if (shallow) {
            plot(static_cast<int>(along), roundToInt(across + slope * step));
        } else {
            plot(roundToInt(across + step / slope), static_cast<int>(along));
        }
    }
    return *this;
}

Image& Image::line(const Point& p1, const Point& p2, const Color& color) {
    return line(p1.x, p1.y, p2.x, p2.y, color);
}

Image& Image::rect(const Rectangle& rectangle, const Color& color) {
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!bitmap || !clipToPixels(rectangle, width, height, left, top, right, bottom)) {
        return *this;
    }
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            blendOp(*this, offsetOf(x, y), color);
        }
    }
    return *this;
}

Image& Image::oval(const Rectangle& rectangle, const Color& color) {
    if (!bitmap) {
        return *this;
    }
    const double cx = rectangle.getCenterX();
    const double cy = rectangle.getCenterY();
    const double ry = rectangle.getHeight() / 2.0;
    const double ratio = rectangle.getWidth() / rectangle.getHeight();
    const int from = std::max(roundToInt(std::min(rectangle.top, rectangle.bottom)), 0);
    const int to = std::min(roundToInt(std::max(rectangle.top, rectangle.bottom)), height - 1);
    for (int y = from; y <= to; ++y) {
        const double e = (y - cy) / ry;
        const double chord = 1.0 - e * e;
        if (chord < 0.0) {
            continue;
        }
        const int x0 = roundToInt(cx - std::sqrt(chord) * ry * ratio);
        const int x1 = roundToInt(cx + (cx - x0));
        for (int x = std::max(x0, 0); x <= std::min(x1, width - 1); ++x) {
            blendOp(*this, offsetOf(x, y), color);
        }
    }
    return *this;
}

// ---- copies between images

Image& Image::to(const Rectangle& source, Image& target, const Rectangle& targetArea) {
    int sl = 0, st = 0, sr = -1, sb = -1;
    int tl = 0, tt = 0, tr = -1, tb = -1;
    const bool sourceInside = bitmap && clipToPixels(source, width, height, sl, st, sr, sb);
    const bool targetInside =
        target.bitmap && clipToPixels(targetArea, target.width, target.height, tl, tt, tr, tb);
    if (!sourceInside) {
        sl = st = 0;
        sr = sb = -1;
    }
    if (!targetInside) {
        tl = tt = 0;
        tr = tb = -1;
    }
    if (sr - sl != tr - tl || sb - st != tb - tt) {
        throw new Exception("Image.to: source area does not match target area.");
    }
    // An image copied onto itself reads from a snapshot, so that it sees only unchanged pixels.
    std::unique_ptr<Image> copy;
    if (&target == this) {
        copy = std::make_unique<Image>(*this);
    }
    const Image& snapshot = copy ? *copy : *this;
    for (int dy = 0; dy <= sb - st; ++dy) {
        for (int dx = 0; dx <= sr - sl; ++dx) {
            target.blendOp(target, target.offsetOf(tl + dx, tt + dy),
                           snapshot.readOp(snapshot, snapshot.offsetOf(sl + dx, st + dy)));
        }
    }
    return *this;
}

} // namespace Stimora
