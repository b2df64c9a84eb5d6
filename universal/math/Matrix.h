#pragma once

// Dense real matrices with 1-based element access. Arithmetic is lazy: the operators
// (declared in MatrixExpression.h) build an expression tree that refers to its operands,
// and the tree is evaluated only when it is assigned to a matrix or to a sub-matrix view,
// accumulating straight into the destination unless the destination is read by the tree.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iosfwd>

#include "math/Interval.h"

namespace Stimora {

class MatrixExpression;

/// A rows x cols matrix of doubles stored row after row (element (i, j) at
/// (i - 1) * cols + (j - 1)). A matrix owns its storage and frees it on destruction;
/// a default-constructed matrix has none until `allocate` or an assignment gives it some.
class Matrix {
public:
    /// Node kinds of an expression tree; a plain matrix is kind PLAIN.
    enum Kind : std::int32_t {
        PLAIN = 1,              ///< a plain matrix (or an empty expression)
        VIEW = 2,               ///< the rows and columns of another matrix selected by two intervals
        SUM = 3,                ///< left + right, element by element
        DIFFERENCE = 4,         ///< left - right
        PRODUCT = 5,            ///< matrix product left x right
        RESERVED_PAIR = 6,      ///< built by no operator; evaluates to nothing
        PLUS_SCALAR = 7,        ///< left + scalar on every element
        MINUS_SCALAR = 8,       ///< left - scalar
        TIMES_SCALAR = 9,       ///< left x scalar
        DIVIDED_BY_SCALAR = 10, ///< left / scalar
        ELEMENT_PRODUCT = 11,   ///< element-by-element product
        POWER = 12,             ///< matrix power of a square left by a whole scalar
        ELEMENT_POWER = 13,     ///< every element of left raised to scalar
        RESERVED_INDEXED = 14,  ///< built by no operator; evaluates to nothing
        WHOLE = 15,             ///< `~m`: asks the operator for element-wise treatment of m
    };

    /// An empty matrix: 0 x 0, no storage.
    Matrix();
    /// A rows x cols matrix of zeros; rows and cols must be positive.
    Matrix(int rows, int cols);
    /// A copy of a matrix, or the value of an expression (evaluated first). An empty
    /// source gives an empty matrix.
    Matrix(const Matrix& source);
    /// Takes the storage of a plain matrix; an expression is evaluated as in the copy.
    Matrix(Matrix&& source);
    /// A column-index grid: count rows, each holding the integers of colValues from its
    /// lowest to its highest, in order. colValues must be bounded (else its end type is raised).
    Matrix(int count, const Interval& colValues);
    /// A row-index grid: one row per integer of rowValues, each holding that integer count times.
    Matrix(const Interval& rowValues, int count);
    /// A stepped grid over two bounded ranges: (upper - lower) / step rows (and columns),
    /// truncated toward zero; element (i, j) = (rowLower + (i - 1) * rowStep) +
    /// (colLower + (j - 1) * colStep). A range with an unlimited or undefined end raises
    /// that end's `Interval::TYPES`; a step that is not positive raises "FORMAT ERROR".
    Matrix(const Interval& rowRange, const Interval& colRange, double rowStep = 1.0, double colStep = 1.0);
    virtual ~Matrix();

    /// Gives an empty matrix rows x cols uninitialised elements; a matrix that already owns
    /// storage is left as it is (no resizing). Raises "FORMAT ERROR" for rows or cols <= 0.
    void allocate(int rows, int cols);

    /// Number of rows (0 without storage; the result's rows for an expression).
    int rows() const { return rows_; }
    /// Number of columns.
    int cols() const { return cols_; }
    /// rows x cols.
    int size() const { return size_; }
    /// The node kind (PLAIN for a matrix).
    int kind() const { return kind_; }
    /// First element of a plain matrix's own storage (row-major, stride cols), or null.
    double* data() { return data_; }
    /// First element of a plain matrix's own storage, or null.
    const double* data() const { return data_; }

    /// Debug listing on standard output: indent blanks, "Matrix <rows>*<cols>:<address>".
    virtual void dump(int indent = 0) const;
    /// Exchanges contents: storage pointers when both own storage; elements (through a
    /// temporary) when both have storage behind them (views included) and equal shapes.
    virtual void swap(Matrix& other);
    /// True when the matrix owns storage.
    virtual bool isAllocated() const;
    /// The plain matrix that holds the storage (itself), or null for a computed node.
    virtual const Matrix* instance() const;
    /// The first element, the storage origin and the row stride in elements.
    /// Raises "NO MEMORY ERROR" without storage.
    virtual void storage(double*& first, double*& origin, int& stride) const;
    /// Whether evaluating this node reads matrix (aliasing test before an assignment).
    virtual bool dependsOn(const Matrix& matrix) const;
    /// Adds this node's value to target (add true) or subtracts it; target is a plain
    /// matrix or a view of this node's shape. A tree that reads target is evaluated aside first.
    virtual void accumulateInto(Matrix& target, bool add) const;
    /// Assigns an expression: allocates an empty matrix with its shape, then evaluates it
    /// here (through a temporary only when it reads this matrix).
    virtual Matrix& assign(const MatrixExpression& expression);
    /// Copies a matrix (allocating an empty one); shapes must then agree.
    virtual Matrix& assign(const Matrix& matrix);
    /// Sets every element; raises "NO MEMORY ERROR" without storage.
    virtual Matrix& assign(double value);
    /// Element-wise copy of a node of the same shape that has storage of its own.
    void copyFrom(const Matrix& node);
    /// Sets every element to value.
    void fill(double value);

    /// A view of the rows in rowRange and the columns in colRange (clipped to the matrix).
    virtual MatrixExpression operator()(const Interval& rowRange, const Interval& colRange);
    /// A view of the rows in rowRange of column col.
    virtual MatrixExpression operator()(const Interval& rowRange, int col);
    /// A view of the columns in colRange of row row.
    virtual MatrixExpression operator()(int row, const Interval& colRange);

    /// Element (i, j), 1-based; i in 1..rows and j in 1..cols, else "OPERAND ERROR".
    virtual double& at(int i, int j);
    /// Element (i, j), 1-based, read only.
    virtual const double& at(int i, int j) const;

    /// Circular shift: element (i, j) moves dRows rows down and dCols columns right, wrapping.
    virtual void slide(int dRows, int dCols);
    /// Exchanges rows and columns in place.
    virtual void transpose();
    /// Rotates by quarterTurns quarter turns counter-clockwise as printed (-1 acts as 3).
    virtual void rotate(int quarterTurns);
    /// Reads the same elements as rows x cols; the element count must not change.
    virtual void setShape(int rows, int cols);
    /// Appends other's rows below this matrix's; both need storage and equal cols.
    virtual void catRows(const Matrix& other);
    /// The smallest element.
    virtual double min() const;
    /// The largest element.
    virtual double max() const;
    /// The sum of the diagonal of a square matrix (0 for an empty one).
    virtual double trace() const;

    /// Same as assign(matrix) (an expression is evaluated).
    Matrix& operator=(const Matrix& other);
    /// Same as assign(expression).
    Matrix& operator=(const MatrixExpression& expression);
    /// Same as assign(value).
    Matrix& operator=(double value);

    /// Lets a matrix product use count threads (at least 1). Products run on the calling
    /// thread by default, so that they never compete with the drawing for the cores.
    static void setProductThreads(int count);
    /// Threads a matrix product may use (1 unless an experiment asked for more).
    static int productThreads();

    /// True for expression nodes (which never own storage).
    virtual bool isExpression() const { return false; }
    /// True when the node reads and writes elements of its own (a plain matrix, a view,
    /// or a marker of one of them) rather than computing them.
    virtual bool hasOwnStorage() const { return true; }

protected:
    /// A node of the given kind and shape without storage (for expression nodes).
    Matrix(int kind, int rows, int cols, bool);
    /// Exchanges shape and storage with another plain matrix.
    void swapStorage(Matrix& other);

    int rows_ = 0;              ///< Rows.
    int cols_ = 0;              ///< Columns.
    int size_ = 0;              ///< Elements (rows x columns).
    double* data_ = nullptr;    ///< The elements, row by row; null without storage.
    bool allocated_ = false;    ///< Whether data_ is owned here.
    std::int32_t kind_ = PLAIN; ///< PLAIN or the kind of expression node.

    friend class MatrixExpression;
};

/// Writes every row: each element in the stream's number format followed by a TAB, then a
/// carriage return (0x0D). An empty matrix writes nothing; an expression is evaluated first.
std::ostream& operator<<(std::ostream& out, const Matrix& matrix);

// Element functions share the names of the <cmath> ones; keep those visible in this namespace.
using std::exp;
using std::log;
using std::max;
using std::min;
using std::pow;
using std::sin;
using std::sqrt;
using std::tan;

/// Sine of every element (radians).
Matrix sin(const Matrix& m);
/// Natural logarithm of every element.
Matrix log(const Matrix& m);
/// Tangent of every element (radians).
Matrix tan(const Matrix& m);
/// e raised to every element.
Matrix exp(const Matrix& m);
/// Square root of every element.
Matrix sqrt(const Matrix& m);
/// Every element raised to the power x.
Matrix pow(const Matrix& m, double x);
/// Element-by-element larger of a and b (equal shapes).
Matrix max(const Matrix& a, const Matrix& b);
/// Element-by-element smaller of a and b (equal shapes).
Matrix min(const Matrix& a, const Matrix& b);
/// Index grids: rowGrid(i, j) = i-th integer of rowValues, colGrid(i, j) = j-th integer of
/// colValues, both (integers in rowValues) x (integers in colValues).
void mesh(const Interval& rowValues, const Interval& colValues, Matrix& rowGrid, Matrix& colGrid);
/// The n-th matrix power of a square matrix, by repeated squaring: n must be a whole number
/// from 0 (the identity) to 2^31 - 1, else "EXPRESSION ERROR".
Matrix power(const Matrix& m, double n);

} // namespace Stimora

#include "math/MatrixExpression.h"
