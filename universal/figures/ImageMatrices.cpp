// The image's conversions to and from matrices of components, one element per pixel.

#include "figures/Image.h"

#include <cstddef>
#include <type_traits>
#include <typeinfo>

#include "base/Exception.h"
#include "math/Matrix.h"

namespace Stimora {

namespace {

[[noreturn]] void fail(const char* kind, const char* message) {
    throw Exception(typeid(Image), kind, message);
}

/// Component k of a colour: red, green, blue, alpha.
double component(const Color& c, std::size_t k) {
    switch (k) {
    case 0:
        return c.getR();
    case 1:
        return c.getG();
    case 2:
        return c.getB();
    default:
        return c.getA();
    }
}

/// The one pass behind every conversion. Element (y + 1, x + 1) of each plane is pixel (x, y);
/// one plane holds grey levels, three red, green and blue, four alpha as well. Const planes are
/// blended into the image, which is allocated first if its width and height (as they stand) differ
/// from theirs; other planes receive the image's components and are allocated if empty.
template <class Plane, std::size_t Count>
void convert(Image& image, int width, int height, Plane* const (&planes)[Count]) {
    constexpr bool intoImage = std::is_const_v<Plane>;
    constexpr int layout = Count == 1 ? Image::GRAY : Count == 3 ? Image::RGB : Image::RGBA;
    if constexpr (!intoImage) {
        if (image.getLayout() != layout) {
            fail("Argument Error", "Color types of Image and Matrix were not matched.");
        }
        if (!image.hasBitmap()) {
            fail("Memory Error", "Image had not allocated.");
        }
    }
    for (std::size_t k = 1; k < Count; ++k) {
        if (planes[k]->rows() != planes[0]->rows() || planes[k]->cols() != planes[0]->cols()) {
            fail("Format Error", "Matrix sizes are defferent between each color.");
        }
    }
    if constexpr (intoImage) {
        if (width != planes[0]->cols() || height != planes[0]->rows()) {
            if (image.hasBitmap()) {
                fail("Memory Error", "Image has been allocated.");
            }
            width = planes[0]->cols();
            height = planes[0]->rows();
            image.set(width, height, layout, Image::BYTE);
        }
    } else {
        for (Plane* m : planes) {
            if (m->rows() != height || m->cols() != width) {
                if (m->isAllocated()) {
                    fail("Memory Error", "Target matrix has been allocated.");
                }
                m->allocate(height, width);
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if constexpr (intoImage) {
                // A grey plane stands for all three colour components; alpha is 1 unless given.
                double c[4] = {0.0, 0.0, 0.0, 1.0};
                for (std::size_t k = 0; k < Count; ++k) {
                    c[k] = planes[k]->at(y + 1, x + 1);
                }
                if constexpr (Count == 1) {
                    c[1] = c[2] = c[0];
                }
                image.pix(x, y, Color(c[0], c[1], c[2], c[3]));
            } else {
                const Color c = image.getPix(x, y);
                for (std::size_t k = 0; k < Count; ++k) {
                    planes[k]->at(y + 1, x + 1) = component(c, k);
                }
            }
        }
    }
}

} // namespace

Image& Image::from(const Matrix& gray) {
    const Matrix* const planes[] = {&gray};
    convert(*this, width, height, planes);
    return *this;
}

Image& Image::from(const Matrix& r, const Matrix& g, const Matrix& b) {
    const Matrix* const planes[] = {&r, &g, &b};
    convert(*this, width, height, planes);
    return *this;
}

Image& Image::from(const Matrix& r, const Matrix& g, const Matrix& b, const Matrix& a) {
    const Matrix* const planes[] = {&r, &g, &b, &a};
    convert(*this, width, height, planes);
    return *this;
}

Image& Image::to(Matrix& gray) {
    Matrix* const planes[] = {&gray};
    convert(*this, width, height, planes);
    return *this;
}

Image& Image::to(Matrix& r, Matrix& g, Matrix& b) {
    Matrix* const planes[] = {&r, &g, &b};
    convert(*this, width, height, planes);
    return *this;
}

Image& Image::to(Matrix& r, Matrix& g, Matrix& b, Matrix& a) {
    Matrix* const planes[] = {&r, &g, &b, &a};
    convert(*this, width, height, planes);
    return *this;
}

} // namespace Stimora
