#pragma once

// One node of a lazy matrix expression. A node refers to its operands and owns nothing, so
// it must not outlive them: build it and assign it within one statement.

#include <cstdint>

#include "math/Interval.h"
#include "math/Matrix.h"

namespace Stimora {

/// A node of a matrix expression tree: a sum, difference, product, scalar operation, power,
/// the `~` marker, or a view that reads and writes a rectangular region of another matrix.
/// Its rows and cols are the shape of its value; it has no storage of its own.
class MatrixExpression : public Matrix {
public:
    /// An empty expression (kind PLAIN, 0 x 0) that evaluates to nothing.
    MatrixExpression();
    /// A two-operand node: SUM, DIFFERENCE, PRODUCT, ELEMENT_PRODUCT or RESERVED_PAIR.
    /// Shape tests are the operators' job. Other kinds raise "EXPRESSION ERROR".
    MatrixExpression(int kind, const Matrix& left, const Matrix& right);
    /// A node with a scalar operand: PLUS_SCALAR, MINUS_SCALAR, TIMES_SCALAR,
    /// DIVIDED_BY_SCALAR, POWER or ELEMENT_POWER. Other kinds raise "EXPRESSION ERROR".
    MatrixExpression(int kind, const Matrix& left, double scalar);
    /// A one-operand node: WHOLE (the `~` marker) or RESERVED_INDEXED.
    /// Other kinds raise "EXPRESSION ERROR".
    MatrixExpression(int kind, const Matrix& left);
    /// A view of the rows in rowRange and the columns in colRange of viewed, clipped to its
    /// shape. A region that lies wholly outside an allocated matrix raises "OPERAND ERROR".
    MatrixExpression(Matrix& viewed, const Interval& rowRange, const Interval& colRange);
    /// Copies the node (not its value): the copy refers to the same operands.
    MatrixExpression(const MatrixExpression& other);
    ~MatrixExpression() override;

    /// Debug listing: "Matrix op<symbol>:<address>", then the operands one blank deeper.
    void dump(int indent = 0) const override;
    /// For a view: exchanges elements with other (equal shapes, both with storage).
    void swap(Matrix& other) override;
    /// For a view or marker, whether the matrix behind it has storage; false otherwise.
    bool isAllocated() const override;
    /// For a view or marker, the plain matrix behind it; null otherwise.
    const Matrix* instance() const override;
    /// For a view, the region's first element, the viewed storage origin and its stride.
    /// Raises "NO MEMORY ERROR" behind an empty matrix, "MEMORY ERROR" for a computed node.
    void storage(double*& first, double*& origin, int& stride) const override;
    /// Whether any operand, at any depth, is (or views) matrix.
    bool dependsOn(const Matrix& matrix) const override;
    /// Evaluates the tree into target, adding (add true) or subtracting.
    void accumulateInto(Matrix& target, bool add) const override;
    /// Writes the expression's value into the viewed region.
    Matrix& assign(const MatrixExpression& expression) override;
    /// Copies matrix into the viewed region (equal shapes).
    Matrix& assign(const Matrix& matrix) override;
    /// Sets every viewed element.
    Matrix& assign(double value) override;

    /// A view of part of this view (ranges counted within the view).
    MatrixExpression operator()(const Interval& rowRange, const Interval& colRange) override;
    /// A view of the rows in rowRange of column col of this view.
    MatrixExpression operator()(const Interval& rowRange, int col) override;
    /// A view of the columns in colRange of row row of this view.
    MatrixExpression operator()(int row, const Interval& colRange) override;

    /// Element (i, j) of a view, 1-based within the view; outside it raises "OPERAND ERROR".
    double& at(int i, int j) override;
    /// Element (i, j) of a view, read only.
    const double& at(int i, int j) const override;

    /// Writes into the viewed region (a view), as assign(expression).
    MatrixExpression& operator=(const MatrixExpression& expression);
    /// Copies a matrix into the viewed region.
    MatrixExpression& operator=(const Matrix& matrix);
    /// Sets every viewed element.
    MatrixExpression& operator=(double value);

    /// The left operand (the viewed matrix for a view), or null.
    const Matrix* left() const { return left_; }
    /// The right operand, or null.
    const Matrix* right() const { return right_; }
    /// The scalar operand of the scalar kinds.
    double scalar() const { return scalar_; }
    /// The selected rows of a view.
    const Interval& rowRange() const { return rowRange_; }
    /// The selected columns of a view.
    const Interval& colRange() const { return colRange_; }
    /// Row of the viewed matrix holding the view's first row (1-based).
    int firstRow() const { return firstRow_; }
    /// Column of the viewed matrix holding the view's first column (1-based).
    int firstCol() const { return firstCol_; }

    bool isExpression() const override { return true; }
    bool hasOwnStorage() const override;

private:
    /// Points this view at the rows x cols region of viewed that starts at its (row, col).
    void placeView(const Matrix& viewed, int row, int col, int rows, int cols);
    /// Raised when an operation needs storage but this node is computed.
    [[noreturn]] void refuseNoInstance() const;

    const Matrix* left_ = nullptr;  // not owned
    const Matrix* right_ = nullptr; // not owned
    std::int32_t reservedA_ = 0;
    std::int32_t reservedB_ = 0;
    Interval rowRange_;
    Interval colRange_;
    double scalar_ = 0.0;
    int firstRow_ = 1;
    int firstCol_ = 1;
};

/// a + b, element by element; shapes must be equal.
MatrixExpression operator+(const Matrix& a, const Matrix& b);
/// a - b, element by element; shapes must be equal.
MatrixExpression operator-(const Matrix& a, const Matrix& b);
/// The matrix product (cols of a = rows of b); with a `~` operand, the element-by-element
/// product of two matrices of equal shape.
MatrixExpression operator*(const Matrix& a, const Matrix& b);
/// The `~` marker: asks `*` and `^` to treat m element by element.
MatrixExpression operator~(const Matrix& m);
/// x added to every element.
MatrixExpression operator+(const Matrix& a, double x);
/// x taken from every element.
MatrixExpression operator-(const Matrix& a, double x);
/// Every element times x.
MatrixExpression operator*(const Matrix& a, double x);
/// Every element divided by x.
MatrixExpression operator/(const Matrix& a, double x);
/// `a ^ n`: the n-th matrix power of a square a (n whole, 0 to 2^31 - 1; identity for 0);
/// `~a ^ x`: every element of a raised to x. Note that ^ binds more loosely than + and *.
MatrixExpression operator^(const Matrix& a, double x);

} // namespace Stimora
