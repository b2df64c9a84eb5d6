#include "math/MatrixExpression.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iostream>
#include <string>

#include "base/Exception.h"
#include "math/MatrixEvaluation.h"
#include "math/MatrixRegion.h"

namespace Stimora {

namespace {

const char* const kSizeMismatch = "Matrix size did not matched";

[[noreturn]] void raise(const char* kind, const char* message) {
    throw Exception(typeid(MatrixExpression), kind, message);
}

using Region = MatrixRegion;

Region regionOf(const Matrix& node) {
    return MatrixRegion::of(node);
}

/// Shape of a two-operand node; refuses kinds that take no two operands.
int pairRows(int kind, const Matrix& left) {
    switch (kind) {
    case Matrix::SUM:
    case Matrix::DIFFERENCE:
    case Matrix::PRODUCT:
    case Matrix::RESERVED_PAIR:
    case Matrix::ELEMENT_PRODUCT:
        return left.rows();
    default:
        raise("EXPRESSION ERROR", "Operad format was failed.");
    }
}

int pairCols(int kind, const Matrix& left, const Matrix& right) {
    return kind == Matrix::PRODUCT ? right.cols() : left.cols();
}

int scalarRows(int kind, const Matrix& left) {
    switch (kind) {
    case Matrix::PLUS_SCALAR:
    case Matrix::MINUS_SCALAR:
    case Matrix::TIMES_SCALAR:
    case Matrix::DIVIDED_BY_SCALAR:
    case Matrix::POWER:
    case Matrix::ELEMENT_POWER:
        return left.rows();
    default:
        raise("EXPRESSION ERROR", "Operad format was failed.");
    }
}

int unaryRows(int kind, const Matrix& left) {
    if (kind != Matrix::WHOLE && kind != Matrix::RESERVED_INDEXED)
        raise("EXPRESSION ERROR", "Operad format was failed.");
    return left.rows();
}

char symbolOf(int kind) {
    switch (kind) {
    case Matrix::PLAIN:
        return '=';
    case Matrix::VIEW:
        return 'v';
    case Matrix::SUM:
    case Matrix::PLUS_SCALAR:
        return '+';
    case Matrix::DIFFERENCE:
    case Matrix::MINUS_SCALAR:
        return '-';
    case Matrix::PRODUCT:
    case Matrix::TIMES_SCALAR:
        return '*';
    case Matrix::DIVIDED_BY_SCALAR:
        return '/';
    case Matrix::ELEMENT_PRODUCT:
        return 'x';
    case Matrix::POWER:
        return '^';
    case Matrix::ELEMENT_POWER:
        return 'p';
    case Matrix::WHOLE:
        return '~';
    default:
        return '?';
    }
}

/// The closed interval [lowest, highest].
Interval closed(int lowest, int highest) {
    Interval range;
    range.lowerType = Interval::FINITE;
    range.lowerValue = lowest;
    range.upperType = Interval::FINITE;
    range.upperValue = highest;
    return range;
}

/// The operand behind a `~` marker, or the node itself.
const Matrix& unmarked(const Matrix& node) {
    if (node.kind() == Matrix::WHOLE)
        return *static_cast<const MatrixExpression&>(node).left();
    return node;
}

} // namespace

MatrixExpression::MatrixExpression() : Matrix(PLAIN, 0, 0, true) {}

MatrixExpression::MatrixExpression(int kind, const Matrix& left, const Matrix& right)
    : Matrix(kind, pairRows(kind, left), pairCols(kind, left, right), true), left_(&left), right_(&right) {}

MatrixExpression::MatrixExpression(int kind, const Matrix& left, double scalar)
    : Matrix(kind, scalarRows(kind, left), left.cols(), true), left_(&left), scalar_(scalar) {}

MatrixExpression::MatrixExpression(int kind, const Matrix& left)
    : Matrix(kind, unaryRows(kind, left), left.cols(), true), left_(&left) {}

MatrixExpression::MatrixExpression(Matrix& viewed, const Interval& rowRange, const Interval& colRange)
    : Matrix(VIEW, 0, 0, true), rowRange_(rowRange), colRange_(colRange) {
    if (viewed.isExpression() && !viewed.hasOwnStorage())
        throw Exception(typeid(MatrixExpression), "MEMORY ERROR", "No instance.");
    if (!viewed.isAllocated()) {
        // Nothing to select from yet: the view stays 0 x 0 and refuses element access.
        left_ = viewed.instance();
        return;
    }
    const int firstRow = rowRange.clipLowerInt(1);
    const int lastRow = rowRange.clipUpperInt(viewed.rows());
    const int firstCol = colRange.clipLowerInt(1);
    const int lastCol = colRange.clipUpperInt(viewed.cols());
    if (lastRow < firstRow || lastCol < firstCol)
        raise("OPERAND ERROR", "Matrix index out of range.");
    placeView(viewed, firstRow, firstCol, lastRow - firstRow + 1, lastCol - firstCol + 1);
}

void MatrixExpression::placeView(const Matrix& viewed, int row, int col, int rows, int cols) {
    if (viewed.kind() == VIEW || viewed.kind() == WHOLE) {
        const auto& outer = static_cast<const MatrixExpression&>(viewed);
        if (viewed.kind() == WHOLE) {
            placeView(*outer.left_, row, col, rows, cols);
            return;
        }
        // A view of a view reads the same matrix, one offset further in.
        left_ = outer.left_;
        firstRow_ = outer.firstRow_ + row - 1;
        firstCol_ = outer.firstCol_ + col - 1;
        rowRange_ = closed(firstRow_, firstRow_ + rows - 1);
        colRange_ = closed(firstCol_, firstCol_ + cols - 1);
    } else {
        left_ = &viewed;
        firstRow_ = row;
        firstCol_ = col;
    }
    rows_ = rows;
    cols_ = cols;
    size_ = rows * cols;
}

MatrixExpression::MatrixExpression(const MatrixExpression& other)
    : Matrix(other.kind_, other.rows_, other.cols_, true), left_(other.left_), right_(other.right_),
      reservedA_(other.reservedA_), reservedB_(other.reservedB_), rowRange_(other.rowRange_),
      colRange_(other.colRange_), scalar_(other.scalar_), firstRow_(other.firstRow_),
      firstCol_(other.firstCol_) {}

MatrixExpression::~MatrixExpression() = default;

void MatrixExpression::refuseNoInstance() const {
    raise("MEMORY ERROR", "No instance.");
}

bool MatrixExpression::hasOwnStorage() const {
    if (kind_ == VIEW)
        return true;
    if (kind_ == WHOLE)
        return left_->hasOwnStorage();
    return false;
}

void MatrixExpression::dump(int indent) const {
    std::cout << std::string(indent > 0 ? indent : 0, ' ') << "Matrix op" << symbolOf(kind_) << ":"
              << static_cast<const void*>(this) << std::endl;
    if (left_ != nullptr)
        left_->dump(indent + 1);
    if (right_ != nullptr)
        right_->dump(indent + 1);
}

void MatrixExpression::swap(Matrix& other) {
    Matrix::swap(other);
}

bool MatrixExpression::isAllocated() const {
    if ((kind_ == VIEW || kind_ == WHOLE) && left_ != nullptr)
        return left_->isAllocated();
    return false;
}

const Matrix* MatrixExpression::instance() const {
    if ((kind_ == VIEW || kind_ == WHOLE) && left_ != nullptr)
        return left_->instance();
    return nullptr;
}

void MatrixExpression::storage(double*& first, double*& origin, int& stride) const {
    if (kind_ == WHOLE) {
        left_->storage(first, origin, stride);
        return;
    }
    if (kind_ != VIEW)
        refuseNoInstance();
    if (left_ == nullptr || !left_->isAllocated())
        raise("NO MEMORY ERROR", "Memory not allocated");
    double* viewedFirst = nullptr;
    left_->storage(viewedFirst, origin, stride);
    first = viewedFirst + static_cast<std::ptrdiff_t>(firstRow_ - 1) * stride + (firstCol_ - 1);
}

bool MatrixExpression::dependsOn(const Matrix& matrix) const {
    return (left_ != nullptr && left_->dependsOn(matrix)) || (right_ != nullptr && right_->dependsOn(matrix));
}

void MatrixExpression::accumulateInto(Matrix& target, bool add) const {
    MatrixEvaluation::accumulate(*this, target, add);
}

Matrix& MatrixExpression::assign(const MatrixExpression& expression) {
    if (!hasOwnStorage())
        refuseNoInstance();
    if (rows_ != expression.rows() || cols_ != expression.cols())
        raise("EXPRESSION ERROR", kSizeMismatch);
    if (!isAllocated())
        raise("NO MEMORY ERROR", "Memory not allocated");
    if (expression.hasOwnStorage()) {
        copyFrom(expression);
    } else if (expression.dependsOn(*instance())) {
        // The tree reads the viewed matrix: evaluate aside, then write the region.
        Matrix result;
        result.allocate(rows_, cols_);
        MatrixEvaluation::assign(expression, result);
        copyFrom(result);
    } else {
        MatrixEvaluation::assign(expression, *this);
    }
    return *this;
}

Matrix& MatrixExpression::assign(const Matrix& matrix) {
    if (matrix.isExpression())
        return assign(static_cast<const MatrixExpression&>(matrix));
    if (!hasOwnStorage())
        refuseNoInstance();
    if (rows_ != matrix.rows() || cols_ != matrix.cols())
        raise("EXPRESSION ERROR", kSizeMismatch);
    if (!isAllocated() || !matrix.isAllocated())
        raise("NO MEMORY ERROR", "Memory not allocated");
    copyFrom(matrix);
    return *this;
}

Matrix& MatrixExpression::assign(double value) {
    if (!hasOwnStorage())
        refuseNoInstance();
    if (!isAllocated())
        raise("NO MEMORY ERROR", "Memory not allocated");
    fill(value);
    return *this;
}

MatrixExpression MatrixExpression::operator()(const Interval& rowRange, const Interval& colRange) {
    return MatrixExpression(*this, rowRange, colRange);
}

MatrixExpression MatrixExpression::operator()(const Interval& rowRange, int col) {
    return MatrixExpression(*this, rowRange, closed(col, col));
}

MatrixExpression MatrixExpression::operator()(int row, const Interval& colRange) {
    return MatrixExpression(*this, closed(row, row), colRange);
}

double& MatrixExpression::at(int i, int j) {
    return const_cast<double&>(static_cast<const MatrixExpression&>(*this).at(i, j));
}

const double& MatrixExpression::at(int i, int j) const {
    if (!hasOwnStorage() || !isAllocated())
        raise("NO MEMORY ERROR", "Memory not allocated");
    if (i < 1 || i > rows_ || j < 1 || j > cols_)
        raise("OPERAND ERROR", "Matrix index out of range.");
    const Region r = regionOf(*this);
    return r.row(i - 1)[j - 1];
}

MatrixExpression& MatrixExpression::operator=(const MatrixExpression& expression) {
    assign(expression);
    return *this;
}

MatrixExpression& MatrixExpression::operator=(const Matrix& matrix) {
    assign(matrix);
    return *this;
}

MatrixExpression& MatrixExpression::operator=(double value) {
    assign(value);
    return *this;
}

MatrixExpression operator+(const Matrix& a, const Matrix& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols())
        throw Exception("Argument Error +: Matrix size was unmatched.");
    return MatrixExpression(Matrix::SUM, a, b);
}

MatrixExpression operator-(const Matrix& a, const Matrix& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols())
        throw Exception("Argument Error -: Matrix size was unmatched.");
    return MatrixExpression(Matrix::DIFFERENCE, a, b);
}

MatrixExpression operator*(const Matrix& a, const Matrix& b) {
    if (a.kind() == Matrix::WHOLE || b.kind() == Matrix::WHOLE) {
        if (a.rows() != b.rows() || a.cols() != b.cols())
            throw Exception("Argument Error *~: Matrix size was unmatched.");
        return MatrixExpression(Matrix::ELEMENT_PRODUCT, unmarked(a), unmarked(b));
    }
    if (a.cols() != b.rows())
        throw Exception("Argument Error *: Matrix size was unmatched.");
    return MatrixExpression(Matrix::PRODUCT, a, b);
}

MatrixExpression operator~(const Matrix& m) {
    return MatrixExpression(Matrix::WHOLE, m);
}

MatrixExpression operator+(const Matrix& a, double x) {
    return MatrixExpression(Matrix::PLUS_SCALAR, a, x);
}

MatrixExpression operator-(const Matrix& a, double x) {
    return MatrixExpression(Matrix::MINUS_SCALAR, a, x);
}

MatrixExpression operator*(const Matrix& a, double x) {
    return MatrixExpression(Matrix::TIMES_SCALAR, a, x);
}

MatrixExpression operator/(const Matrix& a, double x) {
    return MatrixExpression(Matrix::DIVIDED_BY_SCALAR, a, x);
}

MatrixExpression operator^(const Matrix& a, double x) {
    if (a.kind() == Matrix::WHOLE)
        return MatrixExpression(Matrix::ELEMENT_POWER, unmarked(a), x);
    if (a.rows() != a.cols())
        throw Exception("Argument Error ^: This operator is under testing.");
    if (!MatrixEvaluation::isPowerExponent(x))
        raise("EXPRESSION ERROR", "Matrix must powered by int.");
    return MatrixExpression(Matrix::POWER, a, x);
}

} // namespace Stimora
