// The image's life cycle and state: allocation, copies, release, files, the texture and placement.

#include "figures/Image.h"

#include "APIImageProperties.h"

#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>
#include <typeinfo>

#include "base/Exception.h"
#include "base/Rounding.h"
#include "display/Drawable.h"
#include "figures/PNG_BRIDGE.h"
#include "file/Paths.h"

namespace Stimora {

namespace {

[[noreturn]] void fail(const char* kind, const char* message) {
    throw Exception(typeid(Image), kind, message);
}

/// Smallest power of two, at least 2, not below n.
int textureSide(int n) {
    int side = 2;
    while (side < n) {
        side *= 2;
    }
    return side;
}

} // namespace

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
    if (Color::softwareCalibration()) {
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
    if (Color::softwareCalibration()) {
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
