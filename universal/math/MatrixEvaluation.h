#pragma once

// Evaluation of matrix expression trees. A tree is first flattened into the ordered list of
// element-wise terms it adds to or takes from the destination; products, matrix powers and
// computed operands of element-wise nodes are evaluated aside first. Then the destination is
// swept once: a few elements at a time take all their terms while their sums stay in
// registers, however many terms the expression has. Each element still starts from zero and
// takes its terms in the tree's order, as one sweep per term would, so the results keep their
// bits. Used inside the matrix code only.

#include <deque>
#include <vector>

#include "math/Matrix.h"
#include "math/MatrixRegion.h"

namespace Stimora {

/// Evaluates one expression tree into one destination region.
class MatrixEvaluation {
public:
    /// target = the value of node. node must not read target.
    static void assign(const Matrix& node, Matrix& target);
    /// target += the value of node (add true) or target -= it; safe when node reads target.
    static void accumulate(const Matrix& node, Matrix& target, bool add);
    /// target = alpha * (a x b) + beta * target through the BLAS; target must not overlap a or b.
    static void multiply(const MatrixRegion& target, const MatrixRegion& a, const MatrixRegion& b,
                         double alpha, double beta);
    /// Lets products use count threads (at least 1).
    static void setThreads(int count);
    /// Threads a product may use.
    static int threads();
    /// Whether n is a matrix-power exponent: a whole number from 0 to 2^31 - 1.
    static bool isPowerExponent(double n);

    /// One term: target (+ or -)= op(p, q, x) element by element.
    struct Term {
        int op;
        bool add;
        MatrixRegion p;
        MatrixRegion q;
        double x;
        const double* rowP; // the row of p and of q being evaluated
        const double* rowQ;
    };

private:
    MatrixEvaluation(Matrix& target, bool targetHoldsValue);
    /// Appends the terms of node, with sign add, in evaluation order.
    void flatten(const Matrix& node, bool add);
    /// The elements an operand reads: its own storage, or its value evaluated aside.
    MatrixRegion operand(const Matrix& node);
    /// A new temporary of the given shape, uninitialised, owned by this evaluation.
    Matrix& temporary(int rows, int cols);
    void push(int op, bool add, const MatrixRegion& p, const MatrixRegion& q, double x);
    /// Sweeps the target once, every element taking all its terms in order.
    void run();

    MatrixRegion target_;
    bool targetHoldsValue_;
    std::vector<Term> terms_;
    std::deque<Matrix> temporaries_;
};

} // namespace Stimora
