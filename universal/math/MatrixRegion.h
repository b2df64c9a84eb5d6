#pragma once

#include "math/Matrix.h"

#include <cstddef>

namespace Stimora {

/// The row-major elements of a matrix or a view, as its storage reports them: the first
/// element, the row stride of the matrix that holds them, and the shape. Used inside the
/// matrix code only.
struct MatrixRegion {
    double* first;
    int stride;
    int rows;
    int cols;

    double* row(int i) const { return first + static_cast<std::ptrdiff_t>(i) * stride; }

    static MatrixRegion of(const Matrix& node) {
        double* first = nullptr;
        double* origin = nullptr;
        int stride = 0;
        node.storage(first, origin, stride);
        return {first, stride, node.rows(), node.cols()};
    }
};

} // namespace Stimora
