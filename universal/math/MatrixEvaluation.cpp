#include "math/MatrixEvaluation.h"

#include <cblas.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/Exception.h"
#include "math/MatrixExpression.h"

namespace Stimora {

namespace {

// What one term computes from its operands p and q and its scalar x.
enum Op { COPY, SCALED, DIVIDED, ELEMENT_PRODUCT, ELEMENT_POWER, CONSTANT };

// Elements of a row evaluated together: their running sums stay in registers while every
// term is applied to them.
constexpr int kChunk = 16;

int productThreads = 1;
bool threadsApplied = false;

/// Evaluates every term for n (at most kChunk) consecutive elements of one destination row
/// starting at column c: each element starts from 0 (Start) or from its current value, and
/// takes the terms in order. out never overlaps the terms' operands.
template <bool Full, bool Start>
void evaluateChunk(double* __restrict out, const MatrixEvaluation::Term* terms, std::size_t count, int c,
                   int n) {
    const int width = Full ? kChunk : n;
    double sum[kChunk];
    for (int w = 0; w < width; ++w)
        sum[w] = Start ? 0.0 : out[w];
    for (std::size_t k = 0; k < count; ++k) {
        const MatrixEvaluation::Term& term = terms[k];
        const double* __restrict p = term.rowP + c;
        const double* __restrict q = term.rowQ + c;
        const double x = term.x;
        double v[kChunk];
        switch (term.op) {
        case COPY:
            for (int w = 0; w < width; ++w)
                v[w] = p[w];
            break;
        case SCALED:
            for (int w = 0; w < width; ++w)
                v[w] = p[w] * x;
            break;
        case DIVIDED:
            for (int w = 0; w < width; ++w)
                v[w] = p[w] / x;
            break;
        case ELEMENT_PRODUCT:
            for (int w = 0; w < width; ++w)
                v[w] = p[w] * q[w];
            break;
        case ELEMENT_POWER:
            for (int w = 0; w < width; ++w)
                v[w] = std::pow(p[w], x);
            break;
        default:
            for (int w = 0; w < width; ++w)
                v[w] = x;
        }
        if (term.add)
            for (int w = 0; w < width; ++w)
                sum[w] += v[w];
        else
            for (int w = 0; w < width; ++w)
                sum[w] -= v[w];
    }
    for (int w = 0; w < width; ++w)
        out[w] = sum[w];
}

[[noreturn]] void refuseEmptyOperand(const std::type_info& raiser) {
    throw Exception(raiser, "SYSTEM EXPRESSION ERROR", "Please notify this error to developers");
}

} // namespace

MatrixEvaluation::MatrixEvaluation(Matrix& target, bool targetHoldsValue)
    : target_(MatrixRegion::of(target)), targetHoldsValue_(targetHoldsValue) {
    terms_.reserve(8);
}

void MatrixEvaluation::assign(const Matrix& node, Matrix& target) {
    MatrixEvaluation evaluation(target, false);
    evaluation.flatten(node, true);
    evaluation.run();
}

void MatrixEvaluation::accumulate(const Matrix& node, Matrix& target, bool add) {
    const Matrix* holder = target.instance();
    if (holder != nullptr && node.dependsOn(*holder)) {
        // The tree reads the target: take its whole value first.
        Matrix value(target.rows(), target.cols());
        assign(node, value);
        accumulate(value, target, add);
        return;
    }
    MatrixEvaluation evaluation(target, true);
    evaluation.flatten(node, add);
    evaluation.run();
}

void MatrixEvaluation::multiply(const MatrixRegion& target, const MatrixRegion& a, const MatrixRegion& b,
                                double alpha, double beta) {
    if (!threadsApplied)
        setThreads(productThreads);
    cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, a.rows, b.cols, a.cols, alpha, a.first, a.stride,
                b.first, b.stride, beta, target.first, target.stride);
}

void MatrixEvaluation::setThreads(int count) {
    productThreads = std::max(1, count);
    openblas_set_num_threads(productThreads);
    threadsApplied = true;
}

int MatrixEvaluation::threads() {
    return productThreads;
}

bool MatrixEvaluation::isPowerExponent(double n) {
    return n >= 0.0 && n < 2147483648.0 && n == std::floor(n);
}

Matrix& MatrixEvaluation::temporary(int rows, int cols) {
    Matrix& value = temporaries_.emplace_back();
    value.allocate(rows, cols);
    return value;
}

void MatrixEvaluation::push(int op, bool add, const MatrixRegion& p, const MatrixRegion& q, double x) {
    terms_.push_back(Term{op, add, p, q, x, nullptr, nullptr});
}

MatrixRegion MatrixEvaluation::operand(const Matrix& node) {
    if (node.hasOwnStorage()) {
        if (!node.isExpression() && !node.isAllocated())
            refuseEmptyOperand(typeid(MatrixExpression));
        return MatrixRegion::of(node);
    }
    Matrix& value = temporary(node.rows(), node.cols());
    assign(node, value);
    return MatrixRegion::of(value);
}

void MatrixEvaluation::flatten(const Matrix& node, bool add) {
    if (!node.isExpression()) {
        if (!node.isAllocated())
            refuseEmptyOperand(typeid(Matrix));
        const MatrixRegion p = MatrixRegion::of(node);
        push(COPY, add, p, p, 0.0);
        return;
    }
    const auto& e = static_cast<const MatrixExpression&>(node);
    const double x = e.scalar();
    switch (e.kind()) {
    case Matrix::VIEW: {
        const MatrixRegion p = MatrixRegion::of(e);
        push(COPY, add, p, p, 0.0);
        break;
    }
    case Matrix::WHOLE:
        flatten(*e.left(), add);
        break;
    case Matrix::SUM:
    case Matrix::DIFFERENCE:
        flatten(*e.left(), add);
        flatten(*e.right(), e.kind() == Matrix::SUM ? add : !add);
        break;
    case Matrix::PRODUCT: {
        const MatrixRegion a = operand(*e.left());
        const MatrixRegion b = operand(*e.right());
        const double sign = add ? 1.0 : -1.0;
        if (terms_.empty()) {
            // Nothing precedes it: the BLAS writes (or adds) straight into the destination.
            multiply(target_, a, b, sign, targetHoldsValue_ ? 1.0 : 0.0);
            targetHoldsValue_ = true;
        } else {
            const MatrixRegion value = MatrixRegion::of(temporary(e.rows(), e.cols()));
            multiply(value, a, b, 1.0, 0.0);
            push(COPY, add, value, value, 0.0);
        }
        break;
    }
    case Matrix::PLUS_SCALAR:
    case Matrix::MINUS_SCALAR:
        flatten(*e.left(), add);
        push(CONSTANT, true, target_, target_, (e.kind() == Matrix::PLUS_SCALAR) == add ? x : -x);
        break;
    case Matrix::TIMES_SCALAR:
    case Matrix::DIVIDED_BY_SCALAR:
    case Matrix::ELEMENT_POWER: {
        const MatrixRegion p = operand(*e.left());
        const int op = e.kind() == Matrix::TIMES_SCALAR        ? SCALED
                       : e.kind() == Matrix::DIVIDED_BY_SCALAR ? DIVIDED
                                                               : ELEMENT_POWER;
        push(op, add, p, p, x);
        break;
    }
    case Matrix::ELEMENT_PRODUCT: {
        const MatrixRegion p = operand(*e.left());
        const MatrixRegion q = operand(*e.right());
        push(ELEMENT_PRODUCT, add, p, q, 0.0);
        break;
    }
    case Matrix::POWER: {
        Matrix& value = temporaries_.emplace_back(power(*e.left(), x));
        const MatrixRegion p = MatrixRegion::of(value);
        push(COPY, add, p, p, 0.0);
        break;
    }
    default: // an empty expression and the reserved kinds add nothing
        break;
    }
}

void MatrixEvaluation::run() {
    const MatrixRegion& t = target_;
    if (terms_.empty() && targetHoldsValue_)
        return;
    const int full = t.cols - t.cols % kChunk;
    for (int i = 0; i < t.rows; ++i) {
        for (Term& term : terms_) {
            term.rowP = term.p.row(i);
            term.rowQ = term.q.row(i);
        }
        double* out = t.row(i);
        const Term* terms = terms_.data();
        const std::size_t count = terms_.size();
        if (targetHoldsValue_) {
            for (int c = 0; c < full; c += kChunk)
                evaluateChunk<true, false>(out + c, terms, count, c, kChunk);
            if (full < t.cols)
                evaluateChunk<false, false>(out + full, terms, count, full, t.cols - full);
        } else {
            for (int c = 0; c < full; c += kChunk)
                evaluateChunk<true, true>(out + c, terms, count, c, kChunk);
            if (full < t.cols)
                evaluateChunk<false, true>(out + full, terms, count, full, t.cols - full);
        }
    }
}

} // namespace Stimora
