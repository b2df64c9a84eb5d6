// The image's conversions to and from matrices of components, one element per pixel.

#include "figures/Image.h"

#include <typeinfo>

#include "application/Exception.h"
#include "math/Matrix.h"

namespace Stimora {

namespace {

[[noreturn]] void fail(const char* kind, const char* message) {
    throw Exception(typeid(Image), kind, message);
}

} // namespace

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

} // namespace Stimora
