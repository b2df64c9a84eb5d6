// Plain matrices: construction, element access, whole-matrix operations, element
// functions, grids, powers and stream output.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "math/Interval.h"
#include "math/Matrix.h"

#include "ExpectException.h"
#include "MatrixRows.h"

using namespace Stimora;
using namespace Stimora::Testing;

namespace {

Interval::TYPES raisedType(const std::function<void()>& f) {
    try {
        f();
    } catch (Interval::TYPES t) {
        return t;
    }
    ADD_FAILURE() << "no Interval::TYPES raised";
    return Interval::FINITE;
}

} // namespace

// ---------------------------------------------------------------- construction

TEST(MatrixConstruction, DefaultIsEmptyPlainMatrix) {
    Matrix m;
    EXPECT_EQ(m.rows(), 0);
    EXPECT_EQ(m.cols(), 0);
    EXPECT_EQ(m.size(), 0);
    EXPECT_FALSE(m.isAllocated());
    EXPECT_EQ(m.kind(), Matrix::PLAIN);
    EXPECT_EQ(m.data(), nullptr);
}

TEST(MatrixConstruction, RowsByColsHoldsZerosAndLastElementIsLastInStorage) {
    Matrix m(2, 3);
    EXPECT_EQ(m.rows(), 2);
    EXPECT_EQ(m.cols(), 3);
    EXPECT_EQ(m.size(), 6);
    EXPECT_TRUE(m.isAllocated());
    EXPECT_EQ(toRows(m), (Rows{{0, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(&m.at(2, 3), m.data() + 5);
    EXPECT_EQ(&m.at(2, 1), m.data() + 3); // row-major, stride = cols
}

TEST(MatrixConstruction, NonPositiveShapesAreRefused) {
    Exception rows = raised([] { Matrix m(0, 3); });
    EXPECT_EQ(rows.text(), "class Stimora::Matrix [FORMAT ERROR] Number of rows must be positive integer.");
    Exception cols = raised([] { Matrix m(3, 0); });
    EXPECT_EQ(cols.text(),
              "class Stimora::Matrix [FORMAT ERROR] Number of columns must be positive integer.");
    EXPECT_EQ(raised([] { Matrix m(-1, -1); }).message(), "Number of rows must be positive integer.");
}

TEST(MatrixConstruction, AllocatingAgainKeepsTheOldShapeAndData) {
    Matrix m(2, 2);
    m.at(1, 2) = 7;
    double* before = m.data();
    m.allocate(5, 5);
    EXPECT_EQ(m.rows(), 2);
    EXPECT_EQ(m.cols(), 2);
    EXPECT_EQ(m.data(), before);
    EXPECT_EQ(m.at(1, 2), 7);
}

TEST(MatrixConstruction, AllocateOnEmptyStoresShape) {
    Matrix m;
    m.allocate(3, 4);
    EXPECT_TRUE(m.isAllocated());
    EXPECT_EQ(m.size(), 12);
    EXPECT_EQ(raised([&] { m.allocate(0, 1); }).kind(), "FORMAT ERROR");
}

TEST(MatrixConstruction, CopyIsDeepAndCopyOfEmptyIsEmpty) {
    Matrix a = fromRows({{1, 2}, {3, 4}});
    Matrix b(a);
    b.at(1, 1) = 9;
    EXPECT_EQ(a.at(1, 1), 1);
    EXPECT_EQ(toRows(b), (Rows{{9, 2}, {3, 4}}));
    Matrix empty;
    Matrix c(empty);
    EXPECT_FALSE(c.isAllocated());
}

TEST(MatrixConstruction, MoveTakesTheStorage) {
    Matrix a = fromRows({{1, 2}, {3, 4}});
    const double* storage = a.data();
    Matrix b(std::move(a));
    EXPECT_EQ(b.data(), storage);
    EXPECT_EQ(toRows(b), (Rows{{1, 2}, {3, 4}}));
}

TEST(MatrixConstruction, ColumnIndexGrid) {
    Interval I;
    Matrix m(2, (1 <= I) <= 3);
    EXPECT_EQ(toRows(m), (Rows{{1, 2, 3}, {1, 2, 3}}));
    Matrix open(1, (0.5 < I) < 3);
    EXPECT_EQ(toRows(open), (Rows{{1, 2}}));
}

TEST(MatrixConstruction, RowIndexGrid) {
    Interval I;
    Matrix m((-1 <= I) <= 1, 2);
    EXPECT_EQ(toRows(m), (Rows{{-1, -1}, {0, 0}, {1, 1}}));
}

TEST(MatrixConstruction, IndexGridsNeedBoundedIntervals) {
    Interval whole;
    EXPECT_EQ(raisedType([&] { Matrix m(2, whole); }), Interval::MINUS_INFINITY);
    Interval fromOne;
    EXPECT_EQ(raisedType([&] { Matrix m(1 <= fromOne, 2); }), Interval::PLUS_INFINITY);
    Interval I;
    EXPECT_EQ(raised([&] { Matrix m(0, (1 <= I) <= 2); }).message(),
              "Number of rows must be positive integer.");
}

TEST(MatrixConstruction, SteppedGridSumsRowAndColumnValues) {
    Interval R, C;
    Matrix m((0 <= R) <= 1, (10 <= C) <= 12, 0.5, 1.0);
    // rows = (1 - 0) / 0.5 = 2, cols = (12 - 10) / 1 = 2
    EXPECT_EQ(toRows(m), (Rows{{10, 11}, {10.5, 11.5}}));
}

TEST(MatrixConstruction, SteppedGridTruncatesCounts) {
    Interval R, C;
    Matrix m((0 <= R) <= 1.9, (0 <= C) <= 3.5); // unit steps
    EXPECT_EQ(m.rows(), 1);
    EXPECT_EQ(m.cols(), 3);
    EXPECT_EQ(toRows(m), (Rows{{0, 1, 2}}));
}

TEST(MatrixConstruction, SteppedGridRefusesUnboundedRangesAndBadSteps) {
    Interval R, C;
    EXPECT_EQ(raisedType([&] { Matrix m(1 <= R, (0 <= C) <= 2); }), Interval::PLUS_INFINITY);
    EXPECT_EQ(raisedType([&] { Matrix m((0 <= R) <= 2, C <= 2); }), Interval::MINUS_INFINITY);
    Interval U;
    U.lowerType = Interval::UNDEFINED;
    U.upperType = Interval::FINITE;
    EXPECT_EQ(raisedType([&] { Matrix m(U, (0 <= C) <= 2); }), Interval::UNDEFINED);
    Interval R2, C2;
    EXPECT_EQ(raised([&] { Matrix m((0 <= R2) <= 2, (0 <= C2) <= 2, 0.0, 1.0); }).message(),
              "Number of rows must be positive integer.");
    EXPECT_EQ(raised([&] { Matrix m((0 <= R2) <= 2, (0 <= C2) <= 2, 1.0, -1.0); }).message(),
              "Number of columns must be positive integer.");
    // A range narrower than one step holds no row.
    EXPECT_EQ(raised([&] { Matrix m((0 <= R2) <= 0.5, (0 <= C2) <= 2); }).message(),
              "Number of rows must be positive integer.");
}

// ---------------------------------------------------------------- element access

TEST(MatrixAccess, AtIsOneBasedAndWritable) {
    Matrix m(2, 3);
    m.at(1, 1) = 1;
    m.at(2, 3) = 6;
    EXPECT_EQ(m.data()[0], 1);
    EXPECT_EQ(m.data()[5], 6);
    const Matrix& c = m;
    EXPECT_EQ(c.at(2, 3), 6);
}

TEST(MatrixAccess, AtWithoutStorageIsRefused) {
    Matrix m;
    EXPECT_EQ(raised([&] { m.at(1, 1); }).text(),
              "class Stimora::Matrix [OPERAND ERROR] This operated matrix has no instance");
}

TEST(MatrixAccess, AtNeverLeavesTheStorage) {
    Matrix m(2, 3);
    for (auto ij : std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {3, 1}, {1, 4}, {-1, 2}, {2, 4}}) {
        Exception e = raised([&] { m.at(ij.first, ij.second) = 1.0; });
        EXPECT_EQ(e.kind(), "OPERAND ERROR");
        EXPECT_EQ(e.message(), "Matrix index out of range.");
    }
    const Matrix& c = m;
    EXPECT_EQ(raised([&] { c.at(3, 3); }).message(), "Matrix index out of range.");
    EXPECT_EQ(toRows(m), (Rows{{0, 0, 0}, {0, 0, 0}}));
}

// ---------------------------------------------------------------- assignment

TEST(MatrixAssignment, ValueFillsEveryElement) {
    Matrix m(2, 2);
    m = 2.5;
    EXPECT_EQ(toRows(m), (Rows{{2.5, 2.5}, {2.5, 2.5}}));
}

TEST(MatrixAssignment, ValueToEmptyMatrixIsRefused) {
    Matrix m;
    EXPECT_EQ(raised([&] { m = 1.0; }).text(),
              "class Stimora::Matrix [NO MEMORY ERROR] Memory not allocated");
}

TEST(MatrixAssignment, MatrixToEmptyAllocatesAndCopies) {
    Matrix a = fromRows({{1, 2, 3}});
    Matrix m;
    m = a;
    EXPECT_EQ(toRows(m), (Rows{{1, 2, 3}}));
    EXPECT_NE(m.data(), a.data());
}

TEST(MatrixAssignment, MatrixOfOtherShapeIsRefused) {
    Matrix a(2, 3);
    Matrix b(3, 2);
    Exception e = raised([&] { a = b; });
    EXPECT_EQ(e.text(), "class Stimora::Matrix [EXPRESSION ERROR] Matrix size did not matched");
    EXPECT_EQ(a.rows(), 2);
}

TEST(MatrixAssignment, SelfAssignmentKeepsElements) {
    Matrix a = fromRows({{1, 2}});
    Matrix& same = a;
    a = same;
    EXPECT_EQ(toRows(a), (Rows{{1, 2}}));
}

// ---------------------------------------------------------------- whole-matrix operations

TEST(MatrixWhole, MinAndMaxScanEveryElement) {
    Matrix m = fromRows({{3, -2, 5}, {7, 0, -9}});
    EXPECT_EQ(m.min(), -9);
    EXPECT_EQ(m.max(), 7);
    Matrix empty;
    EXPECT_EQ(raised([&] { empty.min(); }).kind(), "NO MEMORY ERROR");
}

TEST(MatrixWhole, TraceOfSquareNonSquareAndEmpty) {
    EXPECT_EQ(fromRows({{1, 2}, {3, 4}}).trace(), 5);
    Matrix empty;
    EXPECT_EQ(empty.trace(), 0);
    Exception e = raised([] { Matrix(2, 3).trace(); });
    EXPECT_EQ(e.kind(), "EXPRESSION ERROR");
    EXPECT_EQ(e.message(), "Matrix size did not matched");
}

TEST(MatrixWhole, TransposeExchangesShape) {
    Matrix m = fromRows({{1, 2, 3}, {4, 5, 6}});
    m.transpose();
    EXPECT_EQ(m.rows(), 3);
    EXPECT_EQ(m.cols(), 2);
    EXPECT_EQ(toRows(m), (Rows{{1, 4}, {2, 5}, {3, 6}}));
    Matrix empty;
    empty.transpose();
    EXPECT_FALSE(empty.isAllocated());
}

TEST(MatrixWhole, RotateQuarterTurns) {
    const Matrix start = fromRows({{1, 2, 3}, {4, 5, 6}});
    Matrix m(start);
    m.rotate(1); // counter-clockwise as printed: (i, j) -> (Q - j + 1, i)
    EXPECT_EQ(toRows(m), (Rows{{3, 6}, {2, 5}, {1, 4}}));
    Matrix k2(start);
    k2.rotate(2);
    EXPECT_EQ(toRows(k2), (Rows{{6, 5, 4}, {3, 2, 1}}));
    Matrix k3(start);
    k3.rotate(3); // clockwise: (i, j) -> (j, R - i + 1)
    EXPECT_EQ(toRows(k3), (Rows{{4, 1}, {5, 2}, {6, 3}}));
}

TEST(MatrixWhole, RotateTakesTurnsModuloFour) {
    const Matrix start = fromRows({{1, 2, 3}, {4, 5, 6}});
    Matrix minusOne(start), three(start), four(start), minusSix(start);
    minusOne.rotate(-1);
    three.rotate(3);
    four.rotate(4);
    minusSix.rotate(-6);
    EXPECT_EQ(toRows(minusOne), toRows(three));
    EXPECT_EQ(toRows(four), toRows(start));
    Matrix two(start);
    two.rotate(2);
    EXPECT_EQ(toRows(minusSix), toRows(two));
}

TEST(MatrixWhole, SlideShiftsRowsCircularly) {
    Matrix m = fromRows({{1, 1}, {2, 2}, {3, 3}});
    m.slide(1, 0);
    EXPECT_EQ(toRows(m), (Rows{{3, 3}, {1, 1}, {2, 2}}));
    m.slide(-1, 0);
    EXPECT_EQ(toRows(m), (Rows{{1, 1}, {2, 2}, {3, 3}}));
    m.slide(-4, 0); // -4 wraps like -1 and 2
    EXPECT_EQ(toRows(m), (Rows{{2, 2}, {3, 3}, {1, 1}}));
}

TEST(MatrixWhole, SlideShiftsColumnsCircularly) {
    Matrix m = fromRows({{1, 2, 3}, {4, 5, 6}});
    m.slide(0, 1);
    EXPECT_EQ(toRows(m), (Rows{{3, 1, 2}, {6, 4, 5}}));
    m.slide(1, -2);
    EXPECT_EQ(toRows(m), (Rows{{5, 6, 4}, {2, 3, 1}}));
}

TEST(MatrixWhole, SetShapeReadsTheSameElements) {
    Matrix m = fromRows({{1, 2, 3}, {4, 5, 6}});
    m.setShape(3, 2);
    EXPECT_EQ(toRows(m), (Rows{{1, 2}, {3, 4}, {5, 6}}));
    m.setShape(6, 1);
    EXPECT_EQ(m.at(6, 1), 6);
}

TEST(MatrixWhole, SetShapeRefusesAChangedElementCount) {
    Matrix m(2, 3);
    Exception e = raised([&] { m.setShape(3, 3); });
    EXPECT_EQ(
        e.text(),
        "class Stimora::Matrix [EXPRESSION ERROR] Rows*Cols must be equal before and after the reshape.");
    EXPECT_EQ(m.rows(), 2);
    EXPECT_EQ(m.cols(), 3);
    EXPECT_EQ(raised([&] { m.setShape(-2, -3); }).message(), "Number of rows must be positive integer.");
    Matrix empty;
    EXPECT_EQ(raised([&] { empty.setShape(2, 2); }).message(),
              "Rows*Cols must be equal before and after the reshape.");
}

TEST(MatrixWhole, CatRowsAppendsBelow) {
    Matrix m = fromRows({{1, 2}, {3, 4}});
    m.catRows(fromRows({{5, 6}}));
    EXPECT_EQ(toRows(m), (Rows{{1, 2}, {3, 4}, {5, 6}}));
    m.catRows(m);
    EXPECT_EQ(m.rows(), 6);
    EXPECT_EQ(m.at(6, 2), 6);
}

TEST(MatrixWhole, CatRowsRefusesOtherColsOrNoStorage) {
    Matrix m(2, 2);
    const std::string message = "Both cols must be same when cat Matrix in row.";
    Exception e = raised([&] { m.catRows(Matrix(1, 3)); });
    EXPECT_EQ(e.kind(), "EXPRESSION ERROR");
    EXPECT_EQ(e.message(), message);
    Matrix empty;
    EXPECT_EQ(raised([&] { m.catRows(empty); }).message(), message);
    EXPECT_EQ(raised([&] { empty.catRows(m); }).message(), message);
    EXPECT_EQ(m.rows(), 2);
}

TEST(MatrixWhole, SwapExchangesShapesAndStorage) {
    Matrix a = fromRows({{1, 2}, {3, 4}});
    Matrix b = fromRows({{5}, {6}, {7}});
    double* aData = a.data();
    a.swap(b);
    EXPECT_EQ(b.data(), aData);
    EXPECT_EQ(toRows(a), (Rows{{5}, {6}, {7}}));
    EXPECT_EQ(toRows(b), (Rows{{1, 2}, {3, 4}}));
}

TEST(MatrixWhole, SwapWithoutStorageIsRefused) {
    Matrix a(2, 2);
    Matrix empty;
    EXPECT_EQ(raised([&] { a.swap(empty); }).text(),
              "class Stimora::Matrix [NO MEMORY ERROR] Memory not allocated");
    EXPECT_TRUE(a.isAllocated());
}

// ---------------------------------------------------------------- element functions

TEST(MatrixFunctions, ElementFunctionsReturnNewMatrices) {
    const Matrix m = fromRows({{0, 1}, {4, 9}});
    EXPECT_EQ(toRows(sqrt(m)), (Rows{{0, 1}, {2, 3}}));
    EXPECT_EQ(toRows(sin(m)), (Rows{{0, std::sin(1.0)}, {std::sin(4.0), std::sin(9.0)}}));
    EXPECT_EQ(toRows(tan(m)), (Rows{{0, std::tan(1.0)}, {std::tan(4.0), std::tan(9.0)}}));
    EXPECT_EQ(toRows(exp(m)), (Rows{{1, std::exp(1.0)}, {std::exp(4.0), std::exp(9.0)}}));
    EXPECT_EQ(toRows(pow(m, 2.0)), (Rows{{0, 1}, {16, 81}}));
    const Matrix l = log(m);
    EXPECT_TRUE(std::isinf(l.at(1, 1)) && l.at(1, 1) < 0);
    EXPECT_EQ(l.at(2, 1), std::log(4.0));
    EXPECT_EQ(toRows(m), (Rows{{0, 1}, {4, 9}})); // argument untouched
}

TEST(MatrixFunctions, ElementFunctionsEvaluateExpressionsFirst) {
    const Matrix m = fromRows({{1, 4}});
    EXPECT_EQ(toRows(sqrt(m * 4.0)), (Rows{{2, 4}}));
    EXPECT_FALSE(sqrt(Matrix()).isAllocated());
}

TEST(MatrixFunctions, CmathNamesStayUsable) {
    // The element functions share names with <cmath>; plain numbers still reach <cmath>.
    EXPECT_EQ(Stimora::sqrt(16.0), 4.0);
    EXPECT_EQ(Stimora::max(2, 3), 3);
}

TEST(MatrixFunctions, ElementwiseMaxAndMin) {
    const Matrix a = fromRows({{1, 5}, {-3, 0}});
    const Matrix b = fromRows({{2, 4}, {-4, 0}});
    EXPECT_EQ(toRows(max(a, b)), (Rows{{2, 5}, {-3, 0}}));
    EXPECT_EQ(toRows(min(a, b)), (Rows{{1, 4}, {-4, 0}}));
    Exception e = raised([&] { max(a, Matrix(2, 3)); });
    EXPECT_EQ(e.kind(), "EXPRESSION ERROR");
    EXPECT_EQ(e.message(), "Matrix size did not matched");
    EXPECT_EQ(raised([&] { min(Matrix(1, 2), a); }).message(), "Matrix size did not matched");
}

TEST(MatrixFunctions, MeshBuildsBothIndexGrids) {
    Interval R, C;
    Matrix rowGrid, colGrid;
    mesh((1 <= R) <= 3, (5 <= C) <= 6, rowGrid, colGrid);
    EXPECT_EQ(toRows(rowGrid), (Rows{{1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(toRows(colGrid), (Rows{{5, 6}, {5, 6}, {5, 6}}));
}

TEST(MatrixFunctions, MeshIntoAllocatedGridsOfOtherShapeIsRefused) {
    Interval R, C;
    Matrix rowGrid(2, 2), colGrid;
    EXPECT_EQ(raised([&] { mesh((1 <= R) <= 3, (5 <= C) <= 6, rowGrid, colGrid); }).message(),
              "Matrix size did not matched");
}

TEST(MatrixFunctions, PowerZeroIsIdentity) {
    const Matrix m = fromRows({{2, 1}, {1, 3}});
    EXPECT_EQ(toRows(power(m, 0)), (Rows{{1, 0}, {0, 1}}));
    EXPECT_EQ(toRows(power(m, 1)), toRows(m));
}

TEST(MatrixFunctions, PowerIsRepeatedProduct) {
    const Matrix m = fromRows({{1, 1}, {1, 0}}); // Fibonacci matrix
    EXPECT_EQ(toRows(power(m, 2)), (Rows{{2, 1}, {1, 1}}));
    EXPECT_EQ(toRows(power(m, 10)), (Rows{{89, 55}, {55, 34}}));
    EXPECT_EQ(toRows(m), (Rows{{1, 1}, {1, 0}}));
    // Repeated squaring reaches the largest exponent in 61 products.
    EXPECT_EQ(toRows(power(fromRows({{1, 1}, {0, 1}}), 2147483647.0)), (Rows{{1, 2147483647.0}, {0, 1}}));
}

TEST(MatrixFunctions, PowerRefusesFractionalNegativeAndNonSquare) {
    const Matrix m = fromRows({{1, 1}, {1, 0}});
    for (double n : {1.5, -1.0, std::nan(""), HUGE_VAL, 2147483648.0}) {
        Exception e = raised([&] { power(m, n); });
        EXPECT_EQ(e.text(), "class Stimora::Matrix [EXPRESSION ERROR] Matrix must powered by int.") << n;
    }
    EXPECT_EQ(raised([] { power(Matrix(2, 3), 2); }).message(), "Matrix size did not matched");
}

// ---------------------------------------------------------------- output

TEST(MatrixOutput, TabAfterEachElementCarriageReturnAfterEachRow) {
    std::ostringstream out;
    out << fromRows({{1, 2.5}, {-3, 4}});
    EXPECT_EQ(out.str(), "1\t2.5\t\r-3\t4\t\r");
    EXPECT_EQ(out.str().find('\n'), std::string::npos);
}

TEST(MatrixOutput, UsesTheStreamNumberFormat) {
    std::ostringstream out;
    out.precision(3);
    out << fromRows({{1.0 / 3.0}});
    EXPECT_EQ(out.str(), "0.333\t\r");
}

TEST(MatrixOutput, EmptyMatrixWritesNothing) {
    std::ostringstream out;
    out << Matrix();
    EXPECT_EQ(out.str(), "");
}

TEST(MatrixOutput, DumpNamesShapeAndAddress) {
    Matrix m(2, 3);
    testing::internal::CaptureStdout();
    m.dump(2);
    const std::string text = testing::internal::GetCapturedStdout();
    std::ostringstream address;
    address << static_cast<const void*>(&m);
    EXPECT_EQ(text, "  Matrix 2*3:" + address.str() + "\n");
}
