#include "figures/Image.h"

#include "APIImageProperties.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <typeinfo>

#include "base/Exception.h"
#include "base/Rounding.h"
#include "display/Drawable.h"
#include "figures/PNG_BRIDGE.h"
#include "file/Paths.h"
#include "math/Matrix.h"

namespace Stimora {

namespace {

[[noreturn]] void fail(const char* kind, const char* message) {
    throw Exception(typeid(Image), kind, message);
}

bool softwareCalibration() {
    return Color::calibrationMode == Color::gammaValueSoftware ||
           Color::calibrationMode == Color::gammaTableSoftware;
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

/// Smallest power of two, at least 2, not below n.
int textureSide(int n) {
    int side = 2;
    while (side < n) {
        side *= 2;
    }
    return side;
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
            if (softwareCalibration()) {
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

// ---- construction and lifetime

Image::Image() = default;

Image::Image(int width_, int height_, int layout_, int precision_) {
    set(width_, height_, layout_, precision_);
}

Image::Image(int width_, int height_, int precision_) {
    set(width_, height_, RGB, precision_);
}

Image::Image(const Rectangle& size, int layout_, int precision_) {
    set(static_cast<int>(size.getWidth()), static_cast<int>(size.getHeight()), layout_, precision_);
}

Image::Image(const Rectangle& size, int precision_) {
    set(static_cast<int>(size.getWidth()), static_cast<int>(size.getHeight()), RGB, precision_);
}

Image::Image(const std::string& path) {
    load(path);
}

Image::Image(const char* path) {
    load(path);
}

Image::Image(const Image& other) : Figure() {
    copyFrom(other);
}

Image& Image::operator=(const Image& other) {
    if (this != &other) {
        copyFrom(other);
    }
    return *this;
}

Image::~Image() {
    release();
}

void Image::copyFrom(const Image& other) {
    release();
    width = other.width;
    height = other.height;
    layout = other.layout;
    precision = other.precision;
    ownRect = other.ownRect;
    area = other.area;
    components = other.components;
    bytesPerPixel = other.bytesPerPixel;
    bytesPerRow = other.bytesPerRow;
    totalBytes = other.totalBytes;
    elementsPerRow = other.elementsPerRow;
    totalElements = other.totalElements;
    if (other.bitmap) {
        try {
            bytes = other.bytes;
            floats = other.floats;
        } catch (const std::bad_alloc&) {
            release();
            fail("Memory Error", "Image failed to allocate memory.");
        }
        api = std::make_unique<APIImageProperties>(*this);
        choosePixelOperations();
        bitmap = true;
    }
    cached = false;
}

Image& Image::set(int width_, int height_, int layout_, int precision_) {
    if (bitmap) {
        fail("Memory Error", "Image object already has its bitmap.");
    }
    if (width_ <= 0) {
        fail("FORMAT ERROR", "The specified width is illegal");
    }
    if (height_ <= 0) {
        fail("FORMAT ERROR", "The specified height is illegal");
    }
    if (layout_ < GRAY || layout_ > RGBA) {
        fail("FORMAT ERROR", "The specified pixel component is illegal");
    }
    if (precision_ < BYTE || precision_ > FLOAT) {
        fail("FORMAT ERROR", "The specified precision is illegal");
    }

    const int count = layout_ == GRAY ? 1 : layout_ == RGB ? 3 : 4;
    const std::size_t componentBytes = precision_ == BYTE ? 1 : sizeof(float);
    const std::size_t rowBytes = (componentBytes * count * static_cast<std::size_t>(width_) + 3) / 4 * 4;
    if (rowBytes > static_cast<std::size_t>(INT_MAX)) {
        fail("Memory Error", "Image failed to allocate memory.");
    }
    const std::size_t rowElements = rowBytes / componentBytes;
    try {
        if (precision_ == BYTE) {
            bytes.assign(rowElements * static_cast<std::size_t>(height_), 0);
        } else {
            floats.assign(rowElements * static_cast<std::size_t>(height_), 0.0f);
        }
    } catch (const std::bad_alloc&) {
        bytes = std::vector<unsigned char>();
        floats = std::vector<float>();
        fail("Memory Error", "Image failed to allocate memory.");
    } catch (const std::length_error&) {
        fail("Memory Error", "Image failed to allocate memory.");
    }

    width = width_;
    height = height_;
    layout = layout_;
    precision = precision_;
    ownRect = Rectangle(width, height);
    area = Rectangle(width, height);
    components = count;
    bytesPerPixel = static_cast<int>(componentBytes) * count;
    bytesPerRow = static_cast<int>(rowBytes);
    totalBytes = rowBytes * static_cast<std::size_t>(height);
    elementsPerRow = static_cast<int>(rowElements);
    totalElements = rowElements * static_cast<std::size_t>(height);
    api = std::make_unique<APIImageProperties>(*this);
    choosePixelOperations();
    bitmap = true;
    cached = false;
    clear(Color(Color::raw, 0.0, 0.0, 0.0, 1.0));
    return *this;
}

Image& Image::set(int width_, int height_, int precision_) {
    return set(width_, height_, RGB, precision_);
}

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

void Image::release() {
    if (cached && api) {
        api->deleteTexture();
    }
    api.reset();
    bytes = std::vector<unsigned char>();
    floats = std::vector<float>();
    bitmap = false;
    cached = false;
    width = 0;
    height = 0;
    precision = BYTE;
    layout = RGB;
    components = 0;
    bytesPerPixel = 0;
    bytesPerRow = 0;
    totalBytes = 0;
    elementsPerRow = 0;
    totalElements = 0;
    blendOp = nullptr;
    rawOp = nullptr;
    alphaOp = nullptr;
    readOp = nullptr;
}

void* Image::getBuffer() {
    if (!bitmap) {
        fail("Memory Error", "The Image does not have bitmap instance.");
    }
    return precision == BYTE ? static_cast<void*>(bytes.data()) : static_cast<void*>(floats.data());
}

const void* Image::getBuffer() const {
    return const_cast<Image*>(this)->getBuffer();
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

// ---- matrices

Image& Image::from(const Matrix& gray) {
    if (width != gray.cols() || height != gray.rows()) {
        if (bitmap) {
            fail("Memory Error", "Image has been allocated.");
        }
        set(gray.cols(), gray.rows(), GRAY, BYTE);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double v = gray.at(y + 1, x + 1);
            blendOp(*this, offsetOf(x, y), Color(v, v, v, 1.0));
        }
    }
    return *this;
}

Image& Image::from(const Matrix& r, const Matrix& g, const Matrix& b) {
    if (r.rows() != g.rows() || r.rows() != b.rows() || r.cols() != g.cols() || r.cols() != b.cols()) {
        fail("Format Error", "Matrix sizes are defferent between each color.");
    }
    if (width != r.cols() || height != r.rows()) {
        if (bitmap) {
            fail("Memory Error", "Image has been allocated.");
        }
        set(r.cols(), r.rows(), RGB, BYTE);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            blendOp(*this, offsetOf(x, y),
                    Color(r.at(y + 1, x + 1), g.at(y + 1, x + 1), b.at(y + 1, x + 1), 1.0));
        }
    }
    return *this;
}

Image& Image::from(const Matrix& r, const Matrix& g, const Matrix& b, const Matrix& a) {
    if (r.rows() != g.rows() || r.rows() != b.rows() || r.rows() != a.rows() || r.cols() != g.cols() ||
        r.cols() != b.cols() || r.cols() != a.cols()) {
        fail("Format Error", "Matrix sizes are defferent between each color.");
    }
    if (width != r.cols() || height != r.rows()) {
        if (bitmap) {
            fail("Memory Error", "Image has been allocated.");
        }
        set(r.cols(), r.rows(), RGBA, BYTE);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            blendOp(*this, offsetOf(x, y),
                    Color(r.at(y + 1, x + 1), g.at(y + 1, x + 1), b.at(y + 1, x + 1), a.at(y + 1, x + 1)));
        }
    }
    return *this;
}

namespace {

/// Sizes the target matrices to the image: each one of another size must still be empty.
void prepareTargets(Matrix* const* targets, int count, int width, int height) {
    for (int k = 1; k < count; ++k) {
        if (targets[k]->rows() != targets[0]->rows() || targets[k]->cols() != targets[0]->cols()) {
            throw Exception(typeid(Image), "Format Error", "Matrix sizes are defferent between each color.");
        }
    }
    for (int k = 0; k < count; ++k) {
        Matrix& m = *targets[k];
        if (m.rows() != height || m.cols() != width) {
            if (m.isAllocated()) {
                throw Exception(typeid(Image), "Memory Error", "Target matrix has been allocated.");
            }
            m.allocate(height, width);
        }
    }
}

} // namespace

Image& Image::to(Matrix& gray) {
    Matrix* targets[] = {&gray};
    if (layout != GRAY) {
        fail("Argument Error", "Color types of Image and Matrix were not matched.");
    }
    if (!bitmap) {
        fail("Memory Error", "Image had not allocated.");
    }
    prepareTargets(targets, 1, width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            gray.at(y + 1, x + 1) = readOp(*this, offsetOf(x, y)).getR();
        }
    }
    return *this;
}

Image& Image::to(Matrix& r, Matrix& g, Matrix& b) {
    Matrix* targets[] = {&r, &g, &b};
    if (layout != RGB) {
        fail("Argument Error", "Color types of Image and Matrix were not matched.");
    }
    if (!bitmap) {
        fail("Memory Error", "Image had not allocated.");
    }
    prepareTargets(targets, 3, width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color c = readOp(*this, offsetOf(x, y));
            r.at(y + 1, x + 1) = c.getR();
            g.at(y + 1, x + 1) = c.getG();
            b.at(y + 1, x + 1) = c.getB();
        }
    }
    return *this;
}

Image& Image::to(Matrix& r, Matrix& g, Matrix& b, Matrix& a) {
    Matrix* targets[] = {&r, &g, &b, &a};
    if (layout != RGBA) {
        fail("Argument Error", "Color types of Image and Matrix were not matched.");
    }
    if (!bitmap) {
        fail("Memory Error", "Image had not allocated.");
    }
    prepareTargets(targets, 4, width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color c = readOp(*this, offsetOf(x, y));
            r.at(y + 1, x + 1) = c.getR();
            g.at(y + 1, x + 1) = c.getG();
            b.at(y + 1, x + 1) = c.getB();
            a.at(y + 1, x + 1) = c.getA();
        }
    }
    return *this;
}

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

// ---- files

void Image::checkExtension(const std::string& path) const {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.compare(dot + 1, std::string::npos, "png") != 0) {
        fail("File Type Error", "Specified image type is not supported.");
    }
}

Image& Image::load(const std::string& path) {
    release();
    checkExtension(path);
    const std::string expanded = expandPath(path);
    {
        IMAGE_FORMATS::PNG_BRIDGE bridge;
        try {
            bridge.load(expanded.c_str(), *this);
        } catch (...) {
            release();
            throw;
        }
    }
    if (softwareCalibration()) {
        // The file holds requested intensities; the pixels hold what the display is sent.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Color c = readOp(*this, offsetOf(x, y));
                rawOp(*this, offsetOf(x, y), Color(c.r, c.g, c.b, c.a));
            }
        }
    }
    return *this;
}

Image& Image::load(const char* path) {
    return load(std::string(path != nullptr ? path : ""));
}

Image& Image::save(const std::string& path) {
    if (!bitmap) {
        fail("Memory Error", "Image does not have its instance.");
    }
    checkExtension(path);
    const std::string expanded = expandPath(path);
    IMAGE_FORMATS::PNG_BRIDGE bridge;
    if (softwareCalibration()) {
        Image requested(*this);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Color c = readOp(*this, offsetOf(x, y));
                requested.rawOp(requested, offsetOf(x, y),
                                Color(Color::raw, c.getR(), c.getG(), c.getB(), c.getA()));
            }
        }
        bridge.save(expanded.c_str(), requested);
    } else {
        bridge.save(expanded.c_str(), *this);
    }
    return *this;
}

Image& Image::save(const char* path) {
    return save(std::string(path != nullptr ? path : ""));
}

// ---- texture

Image& Image::cache(bool on) {
    if (!on) {
        if (api) {
            api->deleteTexture();
        }
        cached = false;
        return *this;
    }
    if (!bitmap) {
        fail("Memory Error", "The Image does not have bitmap instance.");
    }
    const int textureWidth = textureSide(width);
    const int textureHeight = textureSide(height);
    // The picture fills the top-left of the texture in user coordinates: image row y goes to
    // texture row y, which in bottom-up storage is stored row textureHeight - 1 - y.
    const std::size_t componentBytes = precision == BYTE ? 1 : sizeof(float);
    const std::size_t textureRowBytes =
        (componentBytes * components * static_cast<std::size_t>(textureWidth) + 3) / 4 * 4;
    std::vector<unsigned char> texels(textureRowBytes * static_cast<std::size_t>(textureHeight), 0);
    const unsigned char* pixels = static_cast<const unsigned char*>(getBuffer());
    const std::size_t usedBytes = componentBytes * components * static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        std::memcpy(&texels[textureRowBytes * static_cast<std::size_t>(textureHeight - 1 - y)],
                    pixels + static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(height - 1 - y),
                    usedBytes);
    }
    if (!api->upload(texels.data(), textureWidth, textureHeight, components, precision == FLOAT)) {
        throw new Exception("Canvas-dependent function was called before the instantiation of Canvas.");
    }
    cached = true;
    api->warmUp(area.left, area.top, area.right, area.bottom);
    return *this;
}

// ---- figure

Image& Image::draw(double alphaValue, Drawable& target) {
    target.image(*this, alphaValue);
    return *this;
}

Image& Image::draw(double x, double y, Drawable& target) {
    target.image(*this, x, y);
    return *this;
}

Image& Image::centerAt(double x, double y, double z) {
    area.centerAt(x, y, z);
    return *this;
}

Image& Image::centerAt(const Figure& figure) {
    area.centerAt(figure);
    return *this;
}

Image& Image::centerAt(Drawable& target) {
    area.centerAt(target);
    return *this;
}

Image& Image::setDatum(double x, double y, double z) {
    area.setDatum(x, y, z);
    return *this;
}

Image& Image::shift(double dx, double dy, double dz) {
    area.shift(dx, dy, dz);
    return *this;
}

int Image::getWidth() const {
    return width;
}

int Image::getHeight() const {
    return height;
}

double Image::getCenterX() const {
    return width / 2 - 0.5;
}

double Image::getCenterY() const {
    return height / 2 - 0.5;
}

Point Image::getCenter() const {
    return Point(getCenterX(), getCenterY(), 0.0);
}

Point Image::getDatum() const {
    return area.getDatum();
}

Image& Image::setDatum(const Point& p) {
    return setDatum(p.x, p.y, p.z);
}

Image& Image::centerAt(const Point& p) {
    return centerAt(p.x, p.y, 0.0);
}

Image& Image::draw(Drawable& target) {
    target.image(*this);
    return *this;
}

} // namespace Stimora
