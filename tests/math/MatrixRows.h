#pragma once

// Matrices written and read as nested lists of rows, for the matrix tests.

#include <initializer_list>
#include <vector>

#include "math/Matrix.h"

namespace Stimora::Testing {

/// A matrix's elements, top row first.
using Rows = std::vector<std::vector<double>>;

/// A plain matrix holding rows (all as long as the first).
inline Matrix fromRows(std::initializer_list<std::initializer_list<double>> rows) {
    Matrix m(static_cast<int>(rows.size()), static_cast<int>(rows.begin()->size()));
    int i = 1;
    for (const auto& row : rows) {
        int j = 1;
        for (double v : row)
            m.at(i, j++) = v;
        ++i;
    }
    return m;
}

/// The elements of m, top row first.
inline Rows toRows(const Matrix& m) {
    Rows rows;
    for (int i = 1; i <= m.rows(); ++i) {
        rows.emplace_back();
        for (int j = 1; j <= m.cols(); ++j)
            rows.back().push_back(m.at(i, j));
    }
    return rows;
}

} // namespace Stimora::Testing
