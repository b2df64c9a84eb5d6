// Lazy matrix expressions: operators and their shape tests, evaluation by kind, aliasing
// through a temporary, powers, the `~` marker and sub-matrix views.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "math/Interval.h"
#include "math/Matrix.h"
#include "math/MatrixExpression.h"

#include "ExpectException.h"
#include "MatrixRows.h"

using namespace Stimora;
using namespace Stimora::Testing;

namespace {

// The textbook triple loop, for comparing products.
Rows naiveProduct(const Matrix& a, const Matrix& b) {
    Rows r(a.rows(), std::vector<double>(b.cols(), 0.0));
    for (int i = 1; i <= a.rows(); ++i)
        for (int j = 1; j <= b.cols(); ++j) {
            double sum = 0.0;
            for (int k = 1; k <= a.cols(); ++k)
                sum += a.at(i, k) * b.at(k, j);
            r[i - 1][j - 1] = sum;
        }
    return r;
}

// Values with full mantissas, so that any change in the order of operations shows.
Matrix irregular(int rows, int cols, double seed) {
    Matrix m(rows, cols);
    for (int k = 0; k < m.size(); ++k)
        m.data()[k] = 1.5 + std::sin(0.7 * k + seed);
    return m;
}

Matrix sequence(int rows, int cols, double start = 1.0) {
    Matrix m(rows, cols);
    for (int k = 0; k < m.size(); ++k)
        m.data()[k] = start + k;
    return m;
}

class MatrixExpressionFixture : public ::testing::Test {
protected:
    Matrix a = fromRows({{1, 2}, {3, 4}});
    Matrix b = fromRows({{5, 6}, {7, 8}});
    Matrix c = fromRows({{1, -1}, {0, 2}});
};

} // namespace

// ---------------------------------------------------------------- node kinds and shapes

TEST_F(MatrixExpressionFixture, OperatorsBuildNodesOfTheDocumentedKinds) {
    EXPECT_EQ((a + b).kind(), 3);
    EXPECT_EQ((a - b).kind(), 4);
    EXPECT_EQ((a * b).kind(), 5);
    EXPECT_EQ((a + 1.0).kind(), 7);
    EXPECT_EQ((a - 1.0).kind(), 8);
    EXPECT_EQ((a * 2.0).kind(), 9);
    EXPECT_EQ((a / 2.0).kind(), 10);
    EXPECT_EQ((~a * b).kind(), 11);
    EXPECT_EQ((a ^ 2).kind(), 12);
    EXPECT_EQ((~a ^ 2.0).kind(), 13);
    EXPECT_EQ((~a).kind(), 15);
    Interval I, J;
    EXPECT_EQ(a((1 <= I) <= 1, (1 <= J) <= 2).kind(), 2);
}

TEST(MatrixExpressionShape, ProductHasRowsOfLeftAndColsOfRight) {
    Matrix a(2, 3), b(3, 4);
    MatrixExpression p = a * b;
    EXPECT_EQ(p.rows(), 2);
    EXPECT_EQ(p.cols(), 4);
    EXPECT_FALSE(p.isAllocated());
    EXPECT_EQ(p.instance(), nullptr);
}

TEST(MatrixExpressionShape, MismatchedOperandsAreRefusedWithTheOperatorsMessages) {
    Matrix a(2, 3), b(3, 2);
    EXPECT_EQ(raised([&] { a + b; }).message(), "Argument Error +: Matrix size was unmatched.");
    EXPECT_EQ(raised([&] { a - b; }).message(), "Argument Error -: Matrix size was unmatched.");
    EXPECT_EQ(raised([&] { a* a; }).message(), "Argument Error *: Matrix size was unmatched.");
    EXPECT_EQ(raised([&] { ~a* b; }).message(), "Argument Error *~: Matrix size was unmatched.");
    EXPECT_EQ(raised([&] { a * ~b; }).message(), "Argument Error *~: Matrix size was unmatched.");
    EXPECT_EQ(raised([&] { a ^ 2; }).message(), "Argument Error ^: This operator is under testing.");
}

TEST(MatrixExpressionShape, NodeConstructorsRefuseForeignKinds) {
    Matrix a(2, 2), b(2, 2);
    const std::string text = "class Stimora::MatrixExpression [EXPRESSION ERROR] Operad format was failed.";
    EXPECT_EQ(raised([&] { MatrixExpression(Matrix::VIEW, a, b); }).text(), text);
    EXPECT_EQ(raised([&] { MatrixExpression(Matrix::PLUS_SCALAR, a, b); }).text(), text);
    EXPECT_EQ(raised([&] { MatrixExpression(Matrix::SUM, a, 1.0); }).text(), text);
    EXPECT_EQ(raised([&] { MatrixExpression(Matrix::SUM, a); }).text(), text);
    EXPECT_EQ(raised([&] { MatrixExpression(99, a, b); }).text(), text);
}

TEST(MatrixExpressionShape, ReservedKindsEvaluateToNothing) {
    Matrix a = fromRows({{1, 2}}), b = fromRows({{3, 4}});
    Matrix m = fromRows({{9, 9}});
    m = MatrixExpression(Matrix::RESERVED_PAIR, a, b);
    EXPECT_EQ(toRows(m), (Rows{{0, 0}}));
    m = MatrixExpression(Matrix::RESERVED_INDEXED, a);
    EXPECT_EQ(toRows(m), (Rows{{0, 0}}));
}

// ---------------------------------------------------------------- evaluation

TEST_F(MatrixExpressionFixture, SumsDifferencesAndScalars) {
    Matrix m;
    m = a + b;
    EXPECT_EQ(toRows(m), (Rows{{6, 8}, {10, 12}}));
    m = a - b;
    EXPECT_EQ(toRows(m), (Rows{{-4, -4}, {-4, -4}}));
    m = a + 0.5;
    EXPECT_EQ(toRows(m), (Rows{{1.5, 2.5}, {3.5, 4.5}}));
    m = a - 0.5;
    EXPECT_EQ(toRows(m), (Rows{{0.5, 1.5}, {2.5, 3.5}}));
    m = a * 3.0;
    EXPECT_EQ(toRows(m), (Rows{{3, 6}, {9, 12}}));
    m = a / 4.0;
    EXPECT_EQ(toRows(m), (Rows{{0.25, 0.5}, {0.75, 1}}));
}

TEST_F(MatrixExpressionFixture, SubtractedSubtreesFlipEverySign) {
    Matrix m(2, 2);
    m = a - (b + 1.0);
    EXPECT_EQ(toRows(m), (Rows{{-5, -5}, {-5, -5}}));
    m = a - (b - 1.0);
    EXPECT_EQ(toRows(m), (Rows{{-3, -3}, {-3, -3}}));
    m = a - (b - c);
    EXPECT_EQ(toRows(m), (Rows{{-3, -5}, {-4, -2}}));
    m = a - b * 2.0;
    EXPECT_EQ(toRows(m), (Rows{{-9, -10}, {-11, -12}}));
    m = a - b / 2.0;
    EXPECT_EQ(toRows(m), (Rows{{-1.5, -1}, {-0.5, 0}}));
    m = a - a * c;
    EXPECT_EQ(toRows(m), (Rows{{0, -1}, {0, -1}})); // a*c = {{1,3},{3,5}}
    m = a - (~a * c);
    EXPECT_EQ(toRows(m), (Rows{{0, 4}, {3, -4}}));
    m = a - (~a ^ 2.0);
    EXPECT_EQ(toRows(m), (Rows{{0, -2}, {-6, -12}}));
    m = a - (a ^ 2);
    EXPECT_EQ(toRows(m), (Rows{{-6, -8}, {-12, -18}})); // a^2 = {{7,10},{15,22}}
}

TEST_F(MatrixExpressionFixture, ProductMatchesTheTripleLoop) {
    Matrix m;
    m = a * b;
    EXPECT_EQ(toRows(m), (Rows{{19, 22}, {43, 50}}));
    Matrix x = sequence(7, 130, 0.25), y = sequence(130, 5, -300.0);
    Matrix p;
    p = x * y;
    EXPECT_EQ(toRows(p), naiveProduct(x, y));
}

TEST_F(MatrixExpressionFixture, ComputedOperandsOfAProductAreEvaluatedFirst) {
    Matrix m;
    m = (a + b) * c;
    EXPECT_EQ(toRows(m), (Rows{{6, 10}, {10, 14}}));
    m = c * (a - b) * 0.5;
    EXPECT_EQ(toRows(m), (Rows{{0, 0}, {-4, -4}}));
}

TEST_F(MatrixExpressionFixture, ChainedElementwiseExpression) {
    Matrix m(2, 2);
    m = a + b * 2.0 - ~a * b;
    EXPECT_EQ(toRows(m), (Rows{{6, 2}, {-4, -12}}));
}

TEST_F(MatrixExpressionFixture, MarkerOnEitherSideGivesTheElementwiseProduct) {
    Matrix m;
    m = ~a * b;
    EXPECT_EQ(toRows(m), (Rows{{5, 12}, {21, 32}}));
    m = a * ~b;
    EXPECT_EQ(toRows(m), (Rows{{5, 12}, {21, 32}}));
    m = ~(a + c) * b;
    EXPECT_EQ(toRows(m), (Rows{{10, 6}, {21, 48}}));
}

TEST_F(MatrixExpressionFixture, MarkerAloneIsItsOperand) {
    Matrix m;
    m = ~a;
    EXPECT_EQ(toRows(m), toRows(a));
    m = ~a + 1.0;
    EXPECT_EQ(toRows(m), (Rows{{2, 3}, {4, 5}}));
}

TEST_F(MatrixExpressionFixture, MatrixPowerEvaluates) {
    Matrix m;
    m = a ^ 2;
    EXPECT_EQ(toRows(m), (Rows{{7, 10}, {15, 22}}));
    m = a ^ 3;
    EXPECT_EQ(toRows(m), naiveProduct(Matrix(a * a), a));
    m = a ^ 1;
    EXPECT_EQ(toRows(m), toRows(a));
    m = a ^ 0;
    EXPECT_EQ(toRows(m), (Rows{{1, 0}, {0, 1}}));
    m = (a + c) ^ 2;
    EXPECT_EQ(toRows(m), (Rows{{7, 8}, {24, 39}}));
}

TEST_F(MatrixExpressionFixture, MatrixPowerRefusesFractionalAndNegativeExponents) {
    for (double n : {0.5, -1.0, -2.0, 2147483648.0}) {
        Exception e = raised([&] { a ^ n; });
        EXPECT_EQ(e.text(), "class Stimora::MatrixExpression [EXPRESSION ERROR] Matrix must powered by int.");
    }
}

TEST_F(MatrixExpressionFixture, ElementwisePowerTakesAnyExponent) {
    Matrix m;
    m = ~a ^ 2.0;
    EXPECT_EQ(toRows(m), (Rows{{1, 4}, {9, 16}}));
    m = ~b ^ 0.5;
    EXPECT_EQ(toRows(m), (Rows{{std::sqrt(5.0), std::sqrt(6.0)}, {std::sqrt(7.0), std::sqrt(8.0)}}));
    m = ~(a * 2.0) ^ -1.0;
    EXPECT_EQ(toRows(m), (Rows{{0.5, 0.25}, {std::pow(6.0, -1.0), 0.125}}));
}

TEST(MatrixExpressionCopy, ConstructingFromAnExpressionEvaluatesIt) {
    Matrix a = fromRows({{1, 2}, {3, 4}});
    Matrix p = a * a;
    EXPECT_EQ(p.kind(), Matrix::PLAIN);
    EXPECT_EQ(toRows(p), (Rows{{7, 10}, {15, 22}}));
    Matrix q(a + 1.0);
    EXPECT_EQ(toRows(q), (Rows{{2, 3}, {4, 5}}));
}

TEST(MatrixExpressionOutput, ExpressionsPrintTheirValue) {
    Matrix a = fromRows({{1, 2}, {3, 4}});
    std::ostringstream out;
    out << a * 2.0;
    EXPECT_EQ(out.str(), "2\t4\t\r6\t8\t\r");
}

TEST(MatrixExpressionOutput, DumpListsTheTree) {
    Matrix a(2, 2), b(2, 2);
    MatrixExpression sum = a + b;
    testing::internal::CaptureStdout();
    sum.dump(0);
    const std::string text = testing::internal::GetCapturedStdout();
    auto at = [](const void* p) {
        std::ostringstream s;
        s << p;
        return s.str();
    };
    EXPECT_EQ(text, "Matrix op+:" + at(&sum) + "\n Matrix 2*2:" + at(&a) + "\n Matrix 2*2:" + at(&b) + "\n");
}

// ---------------------------------------------------------------- assignment and aliasing

TEST_F(MatrixExpressionFixture, AssignmentAllocatesEmptyAndRefusesOtherShapes) {
    Matrix m;
    m = a * b;
    EXPECT_TRUE(m.isAllocated());
    Matrix wrong(3, 3);
    Exception e = raised([&] { wrong = a + b; });
    EXPECT_EQ(e.text(), "class Stimora::Matrix [EXPRESSION ERROR] Matrix size did not matched");
}

TEST_F(MatrixExpressionFixture, UnaliasedExpressionsAccumulateStraightIntoTheDestination) {
    Matrix m(2, 2);
    const double* storage = m.data();
    m = a * b;
    EXPECT_EQ(m.data(), storage);
    m = a + b * 2.0 - ~a * b;
    EXPECT_EQ(m.data(), storage);
}

TEST_F(MatrixExpressionFixture, SquaringInPlaceGoesThroughATemporary) {
    Matrix m(a);
    const double* storage = m.data();
    m = m * m;
    EXPECT_EQ(toRows(m), (Rows{{7, 10}, {15, 22}}));
    EXPECT_NE(m.data(), storage); // the result's storage was swapped in
}

TEST_F(MatrixExpressionFixture, DestinationReadAnywhereInTheTreeIsSafe) {
    Matrix m(a);
    m = b * m + m;
    EXPECT_EQ(toRows(m), (Rows{{24, 36}, {34, 50}})); // b*a = {{23,34},{31,46}}
    Matrix n(a);
    n = c - (n * 2.0);
    EXPECT_EQ(toRows(n), (Rows{{-1, -5}, {-6, -6}}));
    Matrix p(a);
    (p * p).accumulateInto(p, true);
    EXPECT_EQ(toRows(p), (Rows{{8, 12}, {18, 26}}));
}

TEST_F(MatrixExpressionFixture, DependsOnWalksTheWholeTree) {
    Matrix d(2, 2);
    MatrixExpression inner = b * c;
    MatrixExpression tree = a + inner;
    EXPECT_TRUE(tree.dependsOn(a));
    EXPECT_TRUE(tree.dependsOn(c));
    EXPECT_FALSE(tree.dependsOn(d));
    Interval I, J;
    EXPECT_TRUE((a(1 <= I, 1 <= J) * 2.0).dependsOn(a));
}

TEST(MatrixExpressionEvaluation, PlainOperandWithoutStorageIsAnInternalError) {
    Matrix empty;
    Matrix target(2, 2);
    MatrixExpression twice(Matrix::TIMES_SCALAR, empty, 2.0);
    Exception e = raised([&] { twice.accumulateInto(target, true); });
    EXPECT_EQ(e.kind(), "SYSTEM EXPRESSION ERROR");
    EXPECT_EQ(e.message(), "Please notify this error to developers");
}

TEST(MatrixExpressionEvaluation, ComputedNodesHaveNoStorage) {
    Matrix a(2, 2);
    MatrixExpression sum = a + a;
    double* first = nullptr;
    double* origin = nullptr;
    int stride = 0;
    EXPECT_EQ(raised([&] { sum.storage(first, origin, stride); }).text(),
              "class Stimora::MatrixExpression [MEMORY ERROR] No instance.");
    EXPECT_EQ(raised([&] { sum.at(1, 1); }).text(),
              "class Stimora::MatrixExpression [NO MEMORY ERROR] Memory not allocated");
    EXPECT_EQ(raised([&] { sum = 1.0; }).message(), "No instance.");
}

// ---------------------------------------------------------------- views

class MatrixViewFixture : public ::testing::Test {
protected:
    Matrix m = fromRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}});
    Interval I, J, I2, J2, I3, J3;
};

TEST_F(MatrixViewFixture, ViewSelectsTheRegion) {
    MatrixExpression v = m((2 <= I) <= 3, (2 <= J) <= 3);
    EXPECT_EQ(v.rows(), 2);
    EXPECT_EQ(v.cols(), 2);
    EXPECT_EQ(v.firstRow(), 2);
    EXPECT_EQ(v.firstCol(), 2);
    EXPECT_EQ(toRows(v), (Rows{{6, 7}, {10, 11}}));
    EXPECT_EQ(&v.at(1, 1), &m.at(2, 2));
    EXPECT_EQ(&v.at(2, 1), &m.at(3, 2)); // rows advance by the viewed matrix's stride
    EXPECT_TRUE(v.isAllocated());
    EXPECT_EQ(v.instance(), &m);
}

TEST_F(MatrixViewFixture, UnlimitedAndOversizedEndsAreClippedToTheMatrix) {
    EXPECT_EQ(toRows(m(2 <= I, J <= 2)), (Rows{{5, 6}, {9, 10}}));
    EXPECT_EQ(toRows(m((0 <= I) <= 10, (3.5 < J) <= 40)), (Rows{{4}, {8}, {12}}));
    Interval all, every;
    EXPECT_EQ(toRows(m(all, every)), toRows(m));
}

TEST_F(MatrixViewFixture, RowAndColumnViews) {
    EXPECT_EQ(toRows(m(2, 1 <= J)), (Rows{{5, 6, 7, 8}}));
    EXPECT_EQ(toRows(m(1 <= I, 3)), (Rows{{3}, {7}, {11}}));
}

TEST_F(MatrixViewFixture, RegionOutsideTheMatrixIsRefused) {
    Exception e = raised([&] { m((4 <= I) <= 5, 1 <= J); });
    EXPECT_EQ(e.text(), "class Stimora::MatrixExpression [OPERAND ERROR] Matrix index out of range.");
    EXPECT_EQ(raised([&] { m(0, 1 <= J); }).kind(), "OPERAND ERROR");
    EXPECT_EQ(raised([&] { m(1 <= I, 5); }).kind(), "OPERAND ERROR");
}

TEST_F(MatrixViewFixture, UndefinedEndRaisesItsType) {
    I.lowerType = Interval::UNDEFINED;
    bool raisedUndefined = false;
    try {
        m(I, 1 <= J);
    } catch (Interval::TYPES t) {
        raisedUndefined = t == Interval::UNDEFINED;
    }
    EXPECT_TRUE(raisedUndefined);
}

TEST_F(MatrixViewFixture, AtOutsideTheViewIsRefused) {
    MatrixExpression v = m((2 <= I) <= 3, (2 <= J) <= 3);
    for (auto ij : std::vector<std::pair<int, int>>{{0, 1}, {3, 1}, {1, 3}, {1, 0}}) {
        Exception e = raised([&] { v.at(ij.first, ij.second) = 0; });
        EXPECT_EQ(e.kind(), "OPERAND ERROR");
        EXPECT_EQ(e.message(), "Matrix index out of range.");
    }
    EXPECT_EQ(m.at(1, 2), 2);
    EXPECT_EQ(m.at(2, 4), 8);
}

TEST_F(MatrixViewFixture, ViewOfAnEmptyMatrixRefusesAccess) {
    Matrix empty;
    MatrixExpression v = empty(1 <= I, 1 <= J);
    EXPECT_FALSE(v.isAllocated());
    EXPECT_EQ(raised([&] { v.at(1, 1); }).text(),
              "class Stimora::MatrixExpression [NO MEMORY ERROR] Memory not allocated");
    EXPECT_EQ(raised([&] { v = 1.0; }).message(), "Memory not allocated");
}

TEST_F(MatrixViewFixture, WritingThroughTheViewChangesTheParent) {
    m((2 <= I) <= 3, (2 <= J) <= 3) = 0.0;
    EXPECT_EQ(toRows(m), (Rows{{1, 2, 3, 4}, {5, 0, 0, 8}, {9, 0, 0, 12}}));
    m(1, 1 <= J) = fromRows({{-1, -2, -3, -4}});
    EXPECT_EQ(toRows(m), (Rows{{-1, -2, -3, -4}, {5, 0, 0, 8}, {9, 0, 0, 12}}));
}

TEST_F(MatrixViewFixture, ViewAssignmentChecksShapeThenStorage) {
    Exception e = raised([&] { m(1, 1 <= J) = Matrix(1, 3); });
    EXPECT_EQ(e.text(), "class Stimora::MatrixExpression [EXPRESSION ERROR] Matrix size did not matched");
    Matrix empty;
    EXPECT_EQ(raised([&] { m(1, 1 <= J) = empty; }).message(), "Matrix size did not matched");
}

TEST_F(MatrixViewFixture, ExpressionsEvaluateIntoTheRegion) {
    Matrix k = fromRows({{1, 1}, {1, 1}});
    m((1 <= I) <= 2, (3 <= J) <= 4) = k * 2.0 + k;
    EXPECT_EQ(toRows(m), (Rows{{1, 2, 3, 3}, {5, 6, 3, 3}, {9, 10, 11, 12}}));
}

TEST_F(MatrixViewFixture, ViewsAreOperandsLikeMatrices) {
    Matrix left = m((1 <= I) <= 2, (1 <= J) <= 2) + m((2 <= I2) <= 3, (3 <= J2) <= 4);
    EXPECT_EQ(toRows(left), (Rows{{8, 10}, {16, 18}}));
    Matrix p = m(1 <= I, (1 <= J) <= 2) * m((1 <= I2) <= 2, 4);
    EXPECT_EQ(toRows(p), (Rows{{20}, {68}, {116}}));
    Matrix r;
    r = m(2, 1 <= J);
    EXPECT_EQ(toRows(r), (Rows{{5, 6, 7, 8}}));
}

TEST_F(MatrixViewFixture, OverlappingCopyReadsBeforeWriting) {
    m((1 <= I) <= 2, 1 <= J) = m((2 <= I2) <= 3, 1 <= J2);
    EXPECT_EQ(toRows(m), (Rows{{5, 6, 7, 8}, {9, 10, 11, 12}, {9, 10, 11, 12}}));
    Matrix n = fromRows({{1, 2, 3, 4}});
    n(1, (2 <= J) <= 4) = n(1, (1 <= J2) <= 3);
    EXPECT_EQ(toRows(n), (Rows{{1, 1, 2, 3}}));
}

TEST_F(MatrixViewFixture, ExpressionReadingTheViewedMatrixGoesThroughATemporary) {
    Matrix s = fromRows({{1, 2}, {3, 4}});
    Interval all, every;
    s(all, every) = s * s;
    EXPECT_EQ(toRows(s), (Rows{{7, 10}, {15, 22}}));
    m((1 <= I) <= 2, (1 <= J) <= 2) =
        m((1 <= I2) <= 2, (2 <= J2) <= 3) * 10.0 + m((2 <= I3) <= 3, (1 <= J3) <= 2);
    EXPECT_EQ(toRows(m), (Rows{{25, 36, 3, 4}, {69, 80, 7, 8}, {9, 10, 11, 12}}));
}

TEST_F(MatrixViewFixture, ViewOfAViewAddressesTheSameMatrix) {
    MatrixExpression outer = m((2 <= I) <= 3, (2 <= J) <= 4);
    Interval K, L;
    MatrixExpression inner = outer(2, (2 <= L) <= 3);
    EXPECT_EQ(inner.left(), &m);
    EXPECT_EQ(toRows(inner), (Rows{{11, 12}}));
    inner = -1.0;
    EXPECT_EQ(m.at(3, 3), -1);
    EXPECT_EQ(m.at(3, 4), -1);
    EXPECT_EQ(raised([&] { outer(3, 1 <= K); }).message(), "Matrix index out of range.");
}

TEST_F(MatrixViewFixture, SwapWithAViewExchangesElements) {
    Matrix row = fromRows({{0, 0, 0, 0}});
    m(2, 1 <= J).swap(row);
    EXPECT_EQ(toRows(row), (Rows{{5, 6, 7, 8}}));
    EXPECT_EQ(toRows(m), (Rows{{1, 2, 3, 4}, {0, 0, 0, 0}, {9, 10, 11, 12}}));
    Matrix wrong(1, 3);
    EXPECT_EQ(raised([&] { m(1, 1 <= J).swap(wrong); }).message(), "Matrix size did not matched");
}

TEST_F(MatrixViewFixture, WholeMatrixOperationsWorkOnViews) {
    MatrixExpression v = m((2 <= I) <= 3, (2 <= J) <= 3);
    EXPECT_EQ(v.min(), 6);
    EXPECT_EQ(v.max(), 11);
    EXPECT_EQ(v.trace(), 17);
    v.slide(1, 0);
    EXPECT_EQ(toRows(m), (Rows{{1, 2, 3, 4}, {5, 10, 11, 8}, {9, 6, 7, 12}}));
    std::ostringstream out;
    out << v;
    EXPECT_EQ(out.str(), "10\t11\t\r6\t7\t\r");
}

TEST_F(MatrixViewFixture, ShapeChangingOperationsNeedAPlainMatrix) {
    MatrixExpression v = m((2 <= I) <= 3, (2 <= J) <= 3);
    EXPECT_EQ(raised([&] { v.transpose(); }).message(), "No instance.");
    EXPECT_EQ(raised([&] { v.setShape(1, 4); }).message(), "No instance.");
    EXPECT_EQ(raised([&] { v.rotate(1); }).message(), "No instance.");
}

// ---------------------------------------------------------------- one pass and the BLAS

extern "C" int openblas_get_num_threads(void);

TEST(MatrixExpressionSpeedPaths, ElementsTakeTheirTermsInTreeOrderFromZero) {
    // 5 x 37 rows end in a partial group of elements; the view reads with a longer stride.
    Matrix a = irregular(5, 37, 0.0), b = irregular(5, 37, 1.0), wide = irregular(7, 40, 2.0);
    Interval I, J;
    MatrixExpression v = wide((2 <= I) <= 6, (3 <= J) <= 39);
    Matrix m;
    m = a + b * 2.0 - ~a * v + 0.1 - b / 3.0 - (~a ^ 1.5);
    Rows expected(5, std::vector<double>(37));
    for (int i = 1; i <= 5; ++i)
        for (int j = 1; j <= 37; ++j) {
            double sum = 0.0;
            sum += a.at(i, j);
            sum += b.at(i, j) * 2.0;
            sum -= a.at(i, j) * v.at(i, j);
            sum += 0.1;
            sum -= b.at(i, j) / 3.0;
            sum -= std::pow(a.at(i, j), 1.5);
            expected[i - 1][j - 1] = sum;
        }
    EXPECT_EQ(toRows(m), expected);
    Matrix negativeZero = fromRows({{-0.0}}), z;
    z = negativeZero * 1.0;
    EXPECT_FALSE(std::signbit(z.at(1, 1))); // 0 + (-0) is +0
}

TEST(MatrixExpressionSpeedPaths, BlasProductsAgreeWithThePlainSum) {
    Matrix a = irregular(37, 23, 0.0), b = irregular(23, 41, 1.0), c = irregular(37, 41, 2.0);
    Matrix wide = irregular(30, 50, 3.0), big(40, 45);
    Interval I, J, I2, J2;
    MatrixExpression bView = wide((3 <= I) <= 25, (5 <= J) <= 45);
    // Into a view, after another term, with a strided operand; and first, straight in.
    big((2 <= I2) <= 38, (3 <= J2) <= 43) = c - a * bView;
    Matrix m;
    m = a * b + c;
    const Rows ab = naiveProduct(a, b), abView = naiveProduct(a, Matrix(bView));
    for (int i = 1; i <= 37; ++i)
        for (int j = 1; j <= 41; ++j) {
            const double viewed = c.at(i, j) - abView[i - 1][j - 1], plain = ab[i - 1][j - 1] + c.at(i, j);
            EXPECT_NEAR(big.at(i + 1, j + 2), viewed, 1e-12 * std::fabs(viewed));
            EXPECT_NEAR(m.at(i, j), plain, 1e-12 * plain);
        }
    EXPECT_EQ(big.at(1, 1), 0.0);
    EXPECT_EQ(big.at(39, 44), 0.0);
    EXPECT_EQ(Matrix::productThreads(), 1);
    EXPECT_EQ(openblas_get_num_threads(), 1);
    Matrix::setProductThreads(2);
    EXPECT_EQ(openblas_get_num_threads(), 2);
    Matrix::setProductThreads(0);
    EXPECT_EQ(Matrix::productThreads(), 1);
    EXPECT_EQ(openblas_get_num_threads(), 1);
}
