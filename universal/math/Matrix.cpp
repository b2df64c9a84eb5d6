#include "math/Matrix.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "math/MatrixEvaluation.h"
#include "math/MatrixExpression.h"
#include "math/MatrixRegion.h"

namespace Stimora {

namespace {

const char* const kSizeMismatch = "Matrix size did not matched";

[[noreturn]] void raise(const char* kind, const char* message) {
    throw Exception(typeid(Matrix), kind, message);
}

using Region = MatrixRegion;

Region regionOf(const Matrix& node) {
    return MatrixRegion::of(node);
}

/// Number of integers from lowest to highest, clamped so that a nonsense range reaches
/// `allocate` as a refusable count instead of overflowing.
int integerCount(int lowest, int highest) {
    const long long count = static_cast<long long>(highest) - lowest + 1;
    return count > INT_MAX ? INT_MAX : static_cast<int>(count < 0 ? 0 : count);
}

/// (upper - lower) / step truncated toward zero, clamped to int.
int steppedCount(double span, double step) {
    const double count = span / step;
    if (!(count >= 1.0))
        return 0;
    return count >= 2147483647.0 ? INT_MAX : static_cast<int>(count);
}

Interval::TYPES finiteOrRaise(const Interval& range) {
    if (range.lowerType != Interval::FINITE)
        throw range.lowerType;
    if (range.upperType != Interval::FINITE)
        throw range.upperType;
    return Interval::FINITE;
}

template <typename Function> Matrix mapElements(const Matrix& m, Function function) {
    Matrix result(m);
    double* data = result.data();
    for (int k = 0; k < result.size(); ++k)
        data[k] = function(data[k]);
    return result;
}

} // namespace

Matrix::Matrix() = default;

// Allocating constructors delegate to Matrix() so that the destructor frees the storage
// when a later step throws.
Matrix::Matrix(int rows, int cols) : Matrix() {
    allocate(rows, cols);
    fill(0.0);
}

Matrix::Matrix(int kind, int rows, int cols, bool)
    : rows_(rows), cols_(cols),
      size_(static_cast<int>(std::min<long long>(static_cast<long long>(rows) * cols, INT_MAX))),
      kind_(kind) {}

Matrix::Matrix(const Matrix& source) : Matrix() {
    if (source.rows() <= 0 || source.cols() <= 0 || (source.hasOwnStorage() && !source.isAllocated()))
        return;
    allocate(source.rows(), source.cols());
    if (source.hasOwnStorage()) {
        copyFrom(source);
    } else {
        // A new matrix cannot occur in the source's tree: evaluate straight into it.
        MatrixEvaluation::assign(source, *this);
    }
}

Matrix::Matrix(Matrix&& source) : Matrix() {
    if (source.isExpression()) {
        Matrix value(static_cast<const Matrix&>(source));
        swapStorage(value);
    } else {
        swapStorage(source);
    }
}

Matrix::Matrix(int count, const Interval& colValues) : Matrix() {
    const int lowest = colValues.lowestInt();
    const int highest = colValues.highestInt();
    allocate(count, integerCount(lowest, highest));
    for (int i = 0; i < rows_; ++i)
        for (int j = 0; j < cols_; ++j)
            data_[i * cols_ + j] = lowest + j;
}

Matrix::Matrix(const Interval& rowValues, int count) : Matrix() {
    const int lowest = rowValues.lowestInt();
    const int highest = rowValues.highestInt();
    allocate(integerCount(lowest, highest), count);
    for (int i = 0; i < rows_; ++i)
        for (int j = 0; j < cols_; ++j)
            data_[i * cols_ + j] = lowest + i;
}

Matrix::Matrix(const Interval& rowRange, const Interval& colRange, double rowStep, double colStep)
    : Matrix() {
    finiteOrRaise(rowRange);
    finiteOrRaise(colRange);
    if (!(rowStep > 0.0) || !std::isfinite(rowStep))
        raise("FORMAT ERROR", "Number of rows must be positive integer.");
    if (!(colStep > 0.0) || !std::isfinite(colStep))
        raise("FORMAT ERROR", "Number of columns must be positive integer.");
    allocate(steppedCount(rowRange.upperValue - rowRange.lowerValue, rowStep),
             steppedCount(colRange.upperValue - colRange.lowerValue, colStep));
    const double rowBase = rowRange.lowerValue - rowStep;
    const double colBase = colRange.lowerValue - colStep;
    for (int i = 1; i <= rows_; ++i)
        for (int j = 1; j <= cols_; ++j)
            data_[(i - 1) * cols_ + (j - 1)] = (rowBase + i * rowStep) + (colBase + j * colStep);
}

Matrix::~Matrix() {
    if (allocated_)
        delete[] data_;
}

void Matrix::allocate(int rows, int cols) {
    if (rows <= 0)
        raise("FORMAT ERROR", "Number of rows must be positive integer.");
    if (cols <= 0)
        raise("FORMAT ERROR", "Number of columns must be positive integer.");
    if (isExpression())
        throw Exception(typeid(*this), "MEMORY ERROR", "No instance.");
    if (allocated_)
        return;
    if (static_cast<long long>(rows) * cols > INT_MAX)
        raise("NO MEMORY ERROR", "Memory not allocated");
    data_ = new double[static_cast<std::size_t>(rows) * cols];
    rows_ = rows;
    cols_ = cols;
    size_ = rows * cols;
    allocated_ = true;
}

void Matrix::swapStorage(Matrix& other) {
    std::swap(rows_, other.rows_);
    std::swap(cols_, other.cols_);
    std::swap(size_, other.size_);
    std::swap(data_, other.data_);
    std::swap(allocated_, other.allocated_);
}

void Matrix::dump(int indent) const {
    std::cout << std::string(indent > 0 ? indent : 0, ' ') << "Matrix " << rows_ << "*" << cols_ << ":"
              << static_cast<const void*>(this) << std::endl;
}

void Matrix::swap(Matrix& other) {
    if (this == &other)
        return;
    if (!isExpression() && !other.isExpression() && allocated_ && other.allocated_) {
        swapStorage(other);
        return;
    }
    if (hasOwnStorage() && other.hasOwnStorage() && isAllocated() && other.isAllocated()) {
        if (rows_ != other.rows_ || cols_ != other.cols_)
            throw Exception(typeid(*this), "EXPRESSION ERROR", kSizeMismatch);
        Matrix mine(*this);
        copyFrom(other);
        other.copyFrom(mine);
        return;
    }
    throw Exception(typeid(*this), "NO MEMORY ERROR", "Memory not allocated");
}

bool Matrix::isAllocated() const {
    return allocated_;
}

const Matrix* Matrix::instance() const {
    return this;
}

void Matrix::storage(double*& first, double*& origin, int& stride) const {
    if (!allocated_)
        raise("NO MEMORY ERROR", "Memory not allocated");
    first = data_;
    origin = data_;
    stride = cols_;
}

bool Matrix::dependsOn(const Matrix& matrix) const {
    return this == &matrix;
}

void Matrix::accumulateInto(Matrix& target, bool add) const {
    MatrixEvaluation::accumulate(*this, target, add);
}

Matrix& Matrix::assign(const MatrixExpression& expression) {
    if (!allocated_)
        allocate(expression.rows(), expression.cols());
    if (rows_ != expression.rows() || cols_ != expression.cols())
        raise("EXPRESSION ERROR", kSizeMismatch);
    if (expression.hasOwnStorage()) {
        copyFrom(expression);
    } else if (expression.dependsOn(*this)) {
        // The tree reads this matrix: evaluate aside, then take the result's storage.
        Matrix result;
        result.allocate(rows_, cols_);
        MatrixEvaluation::assign(expression, result);
        swap(result);
    } else {
        MatrixEvaluation::assign(expression, *this);
    }
    return *this;
}

Matrix& Matrix::assign(const Matrix& matrix) {
    if (matrix.isExpression())
        return assign(static_cast<const MatrixExpression&>(matrix));
    if (this == &matrix)
        return *this;
    if (!allocated_)
        allocate(matrix.rows(), matrix.cols());
    if (rows_ != matrix.rows() || cols_ != matrix.cols())
        raise("EXPRESSION ERROR", kSizeMismatch);
    copyFrom(matrix);
    return *this;
}

Matrix& Matrix::assign(double value) {
    if (!allocated_)
        raise("NO MEMORY ERROR", "Memory not allocated");
    fill(value);
    return *this;
}

void Matrix::copyFrom(const Matrix& node) {
    if (rows_ != node.rows() || cols_ != node.cols())
        throw Exception(typeid(*this), "EXPRESSION ERROR", kSizeMismatch);
    const Region to = regionOf(*this);
    const Region from = regionOf(node);
    if (to.first == from.first && to.stride == from.stride)
        return;
    const int rows = to.rows;
    const int cols = to.cols;
    if (instance() != nullptr && instance() == node.instance()) {
        // Two regions of one matrix may overlap: read everything before writing.
        std::vector<double> buffer(static_cast<std::size_t>(rows) * cols);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j)
                buffer[static_cast<std::size_t>(i) * cols + j] =
                    from.first[static_cast<std::ptrdiff_t>(i) * from.stride + j];
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j)
                to.first[static_cast<std::ptrdiff_t>(i) * to.stride + j] =
                    buffer[static_cast<std::size_t>(i) * cols + j];
        return;
    }
    for (int i = 0; i < rows; ++i)
        std::copy(from.row(i), from.row(i) + cols, to.row(i));
}

void Matrix::fill(double value) {
    const Region to = regionOf(*this);
    for (int i = 0; i < to.rows; ++i) {
        double* out = to.first + static_cast<std::ptrdiff_t>(i) * to.stride;
        for (int j = 0; j < to.cols; ++j)
            out[j] = value;
    }
}

namespace {
/// The closed interval [index, index].
Interval single(int index) {
    Interval range;
    range.lowerType = Interval::FINITE;
    range.lowerValue = index;
    range.upperType = Interval::FINITE;
    range.upperValue = index;
    return range;
}
} // namespace

MatrixExpression Matrix::operator()(const Interval& rowRange, const Interval& colRange) {
    return MatrixExpression(*this, rowRange, colRange);
}

MatrixExpression Matrix::operator()(const Interval& rowRange, int col) {
    return MatrixExpression(*this, rowRange, single(col));
}

MatrixExpression Matrix::operator()(int row, const Interval& colRange) {
    return MatrixExpression(*this, single(row), colRange);
}

double& Matrix::at(int i, int j) {
    return const_cast<double&>(static_cast<const Matrix&>(*this).at(i, j));
}

const double& Matrix::at(int i, int j) const {
    if (!allocated_)
        raise("OPERAND ERROR", "This operated matrix has no instance");
    if (i < 1 || i > rows_ || j < 1 || j > cols_)
        raise("OPERAND ERROR", "Matrix index out of range.");
    return data_[static_cast<std::ptrdiff_t>(i - 1) * cols_ + (j - 1)];
}

void Matrix::slide(int dRows, int dCols) {
    const Region r = regionOf(*this);
    if (r.rows <= 0 || r.cols <= 0)
        return;
    std::vector<double> before(static_cast<std::size_t>(r.rows) * r.cols);
    for (int i = 0; i < r.rows; ++i)
        for (int j = 0; j < r.cols; ++j)
            before[static_cast<std::size_t>(i) * r.cols + j] =
                r.first[static_cast<std::ptrdiff_t>(i) * r.stride + j];
    // Shifts reduced first so that i + shift cannot overflow; the second % keeps them >= 0.
    const int rowShift = (dRows % r.rows + r.rows) % r.rows;
    const int colShift = (dCols % r.cols + r.cols) % r.cols;
    for (int i = 0; i < r.rows; ++i) {
        const int toRow = (i + rowShift) % r.rows;
        for (int j = 0; j < r.cols; ++j) {
            const int toCol = (j + colShift) % r.cols;
            r.first[static_cast<std::ptrdiff_t>(toRow) * r.stride + toCol] =
                before[static_cast<std::size_t>(i) * r.cols + j];
        }
    }
}

void Matrix::transpose() {
    if (isExpression())
        throw Exception(typeid(*this), "MEMORY ERROR", "No instance.");
    if (!allocated_)
        return;
    Matrix turned(cols_, rows_);
    for (int i = 0; i < rows_; ++i)
        for (int j = 0; j < cols_; ++j)
            turned.data_[static_cast<std::ptrdiff_t>(j) * rows_ + i] =
                data_[static_cast<std::ptrdiff_t>(i) * cols_ + j];
    swapStorage(turned);
}

void Matrix::rotate(int quarterTurns) {
    if (isExpression())
        throw Exception(typeid(*this), "MEMORY ERROR", "No instance.");
    const int k = (quarterTurns % 4 + 4) % 4;
    if (k == 0 || !allocated_)
        return;
    const int R = rows_;
    const int Q = cols_;
    Matrix turned(k == 2 ? R : Q, k == 2 ? Q : R);
    const int outCols = turned.cols_;
    for (int i = 0; i < R; ++i) {
        for (int j = 0; j < Q; ++j) {
            int toRow = 0;
            int toCol = 0;
            switch (k) {
            case 1: // (i, j) -> (Q - j + 1, i): counter-clockwise as printed
                toRow = Q - 1 - j;
                toCol = i;
                break;
            case 2: // (i, j) -> (R - i + 1, Q - j + 1)
                toRow = R - 1 - i;
                toCol = Q - 1 - j;
                break;
            case 3: // (i, j) -> (j, R - i + 1): clockwise
                toRow = j;
                toCol = R - 1 - i;
                break;
            default:
                raise("ARGUMENT ERROR", "Notify this error to developers.");
            }
            turned.data_[static_cast<std::ptrdiff_t>(toRow) * outCols + toCol] =
                data_[static_cast<std::ptrdiff_t>(i) * Q + j];
        }
    }
    swapStorage(turned);
}

void Matrix::setShape(int rows, int cols) {
    if (isExpression())
        throw Exception(typeid(*this), "MEMORY ERROR", "No instance.");
    if (rows == rows_ && cols == cols_)
        return;
    if (rows <= 0)
        raise("FORMAT ERROR", "Number of rows must be positive integer.");
    if (cols <= 0)
        raise("FORMAT ERROR", "Number of columns must be positive integer.");
    // A changed element count would read past the storage or lose elements.
    if (static_cast<long long>(rows) * cols != size_)
        raise("EXPRESSION ERROR", "Rows*Cols must be equal before and after the reshape.");
    rows_ = rows;
    cols_ = cols;
}

void Matrix::catRows(const Matrix& other) {
    if (isExpression())
        throw Exception(typeid(*this), "MEMORY ERROR", "No instance.");
    if (!allocated_ || !other.hasOwnStorage() || !other.isAllocated() || other.cols() != cols_)
        raise("EXPRESSION ERROR", "Both cols must be same when cat Matrix in row.");
    const Region below = regionOf(other);
    if (static_cast<long long>(rows_ + 0LL + below.rows) * cols_ > INT_MAX)
        raise("NO MEMORY ERROR", "Memory not allocated");
    Matrix joined(rows_ + below.rows, cols_);
    for (int k = 0; k < size_; ++k)
        joined.data_[k] = data_[k];
    for (int i = 0; i < below.rows; ++i)
        for (int j = 0; j < cols_; ++j)
            joined.data_[static_cast<std::ptrdiff_t>(rows_ + i) * cols_ + j] =
                below.first[static_cast<std::ptrdiff_t>(i) * below.stride + j];
    swapStorage(joined);
}

double Matrix::min() const {
    const Region r = regionOf(*this);
    double result = r.first[0];
    for (int i = 0; i < r.rows; ++i)
        for (int j = 0; j < r.cols; ++j)
            if (r.first[static_cast<std::ptrdiff_t>(i) * r.stride + j] < result)
                result = r.first[static_cast<std::ptrdiff_t>(i) * r.stride + j];
    return result;
}

double Matrix::max() const {
    const Region r = regionOf(*this);
    double result = r.first[0];
    for (int i = 0; i < r.rows; ++i)
        for (int j = 0; j < r.cols; ++j)
            if (r.first[static_cast<std::ptrdiff_t>(i) * r.stride + j] > result)
                result = r.first[static_cast<std::ptrdiff_t>(i) * r.stride + j];
    return result;
}

double Matrix::trace() const {
    if (rows_ != cols_)
        throw Exception(typeid(*this), "EXPRESSION ERROR", kSizeMismatch);
    if (rows_ == 0)
        return 0.0;
    const Region r = regionOf(*this);
    double sum = 0.0;
    for (int i = 0; i < r.rows; ++i)
        sum += r.first[static_cast<std::ptrdiff_t>(i) * r.stride + i];
    return sum;
}

Matrix& Matrix::operator=(const Matrix& other) {
    return assign(other);
}

Matrix& Matrix::operator=(const MatrixExpression& expression) {
    return assign(expression);
}

Matrix& Matrix::operator=(double value) {
    return assign(value);
}

std::ostream& operator<<(std::ostream& out, const Matrix& matrix) {
    if (matrix.rows() <= 0 || matrix.cols() <= 0)
        return out;
    if (!matrix.hasOwnStorage())
        return out << Matrix(matrix);
    if (!matrix.isAllocated())
        return out;
    const Region r = regionOf(matrix);
    for (int i = 0; i < r.rows; ++i) {
        for (int j = 0; j < r.cols; ++j)
            out << r.first[static_cast<std::ptrdiff_t>(i) * r.stride + j] << '\t';
        out << '\r';
    }
    return out;
}

Matrix sin(const Matrix& m) {
    return mapElements(m, [](double v) { return std::sin(v); });
}

Matrix log(const Matrix& m) {
    return mapElements(m, [](double v) { return std::log(v); });
}

Matrix tan(const Matrix& m) {
    return mapElements(m, [](double v) { return std::tan(v); });
}

Matrix exp(const Matrix& m) {
    return mapElements(m, [](double v) { return std::exp(v); });
}

Matrix sqrt(const Matrix& m) {
    return mapElements(m, [](double v) { return std::sqrt(v); });
}

Matrix pow(const Matrix& m, double x) {
    return mapElements(m, [x](double v) { return std::pow(v, x); });
}

namespace {
template <typename Pick> Matrix pairElements(const Matrix& a, const Matrix& b, Pick pick) {
    if (a.rows() != b.rows() || a.cols() != b.cols())
        raise("EXPRESSION ERROR", kSizeMismatch);
    Matrix result(a);
    const Matrix other(b);
    for (int k = 0; k < result.size(); ++k)
        result.data()[k] = pick(result.data()[k], other.data()[k]);
    return result;
}
} // namespace

Matrix max(const Matrix& a, const Matrix& b) {
    return pairElements(a, b, [](double x, double y) { return x < y ? y : x; });
}

Matrix min(const Matrix& a, const Matrix& b) {
    return pairElements(a, b, [](double x, double y) { return y < x ? y : x; });
}

void mesh(const Interval& rowValues, const Interval& colValues, Matrix& rowGrid, Matrix& colGrid) {
    const int m = integerCount(rowValues.lowestInt(), rowValues.highestInt());
    const int n = integerCount(colValues.lowestInt(), colValues.highestInt());
    rowGrid.assign(Matrix(rowValues, n));
    colGrid.assign(Matrix(m, colValues));
}

Matrix power(const Matrix& m, double n) {
    if (!MatrixEvaluation::isPowerExponent(n))
        raise("EXPRESSION ERROR", "Matrix must powered by int.");
    if (m.rows() != m.cols())
        raise("EXPRESSION ERROR", kSizeMismatch);
    const Matrix base(m);
    if (base.size() == 0)
        return base;
    if (n == 0.0) {
        Matrix identity(base.rows(), base.cols());
        for (int i = 1; i <= base.rows(); ++i)
            identity.at(i, i) = 1.0;
        return identity;
    }
    // Repeated squaring: the result takes m^(2^k) for every bit k set in n.
    auto bits = static_cast<std::uint32_t>(n);
    Matrix square(base);
    Matrix result;
    for (;;) {
        if ((bits & 1u) && result.isAllocated())
            result = result * square;
        else if (bits & 1u)
            result = square;
        bits >>= 1;
        if (bits == 0)
            return result;
        square = square * square;
    }
}

void Matrix::setProductThreads(int count) {
    MatrixEvaluation::setThreads(count);
}

int Matrix::productThreads() {
    return MatrixEvaluation::threads();
}

} // namespace Stimora
