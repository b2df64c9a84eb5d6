#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "base/Exception.h"
#include "display/Color.h"
#include "display/Drawable.h"
#include "figures/Ellipse.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"

#include "MockDrawable.h"

using namespace Stimora;
using namespace Stimora::Testing;
using ::testing::_;
using ::testing::An;
using ::testing::Eq;
using ::testing::Ref;
using ::testing::Return;
using ::testing::ReturnRef;
using ::testing::StrictMock;

namespace {

// The recording target, answering the rectangle operations with itself unless a test says otherwise.
class RectangleTarget : public MockDrawable {
public:
    RectangleTarget() {
        ON_CALL(*this, rect(_, ::testing::An<const Stroke&>())).WillByDefault(ReturnRef(*this));
        ON_CALL(*this, rect(_, ::testing::An<const Color&>())).WillByDefault(ReturnRef(*this));
    }
};

void expectEdges(const Rectangle& r, double left, double top, double right, double bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

template <class F> void expectSizeError(F f) {
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.thrower(), typeid(Rectangle));
        EXPECT_EQ(e.kind(), "SIZE ERROR");
        EXPECT_EQ(e.message(), "Width and Height must be defined as positive value.");
        EXPECT_EQ(
            e.text(),
            "class Stimora::Rectangle [SIZE ERROR] Width and Height must be defined as positive value.");
    }
}

} // namespace

// ---- construction

TEST(RectangleTest, SizeConstructorSpansWholePixels) {
    const Rectangle r(100, 50);
    expectEdges(r, 0, 0, 99, 49);
    EXPECT_EQ(r.getWidth(), 100);
    EXPECT_EQ(r.getHeight(), 50);
    EXPECT_EQ(r.getCenter(), Point(49.5, 24.5, 0));
    EXPECT_EQ(r.getCenterX(), 49.5);
    EXPECT_EQ(r.getCenterY(), 24.5);
    EXPECT_EQ(r.color, Color(0, 0, 0, 1));
}

TEST(RectangleTest, DefaultHasZeroEdgesAndOpaqueBlack) {
    const Rectangle r;
    expectEdges(r, 0, 0, 0, 0);
    EXPECT_EQ(r.color, Color(Color::raw, 0, 0, 0, 1));
}

TEST(RectangleTest, NonPositiveSizesAreRefused) {
    expectSizeError([] { Rectangle r(0, 10); });
    expectSizeError([] { Rectangle r(10, -1); });
    expectSizeError([] { Rectangle r(5, 5, 5, 9); });
    expectSizeError([] { Rectangle r(9, 0, 5, 9); });
    expectSizeError([] { Rectangle r(0, 9, 5, 0); });
}

TEST(RectangleTest, EdgeConstructorAcceptsOneStepAndStoresEdges) {
    const Rectangle r(10, 20, 11, 21);
    expectEdges(r, 10, 20, 11, 21);
    EXPECT_EQ(r.getWidth(), 2);
    EXPECT_EQ(r.getHeight(), 2);
}

TEST(RectangleTest, CopyAndAssignmentTakeEdgesAndColour) {
    Rectangle a(1, 2, 30, 40);
    a.setColor(Color::red);
    const Rectangle b(a);
    expectEdges(b, 1, 2, 30, 40);
    EXPECT_EQ(b.color, Color::red);
    Rectangle c(5, 5);
    c = a;
    expectEdges(c, 1, 2, 30, 40);
    EXPECT_EQ(c.color, Color::red);
}

// ---- setting edges

TEST(RectangleTest, SetOrdersEdgesWithoutChecking) {
    Rectangle r;
    r.set(9, 0, 5, 9);
    expectEdges(r, 5, 0, 9, 9);
    r.set(0, 0);
    expectEdges(r, 0, 0, -1, -1);
    r.set(Point(30, 5), Point(10, 25));
    expectEdges(r, 10, 5, 30, 25);
}

TEST(RectangleTest, SetFromRectangleCopiesEdgesOrderedButKeepsColour) {
    Rectangle other;
    other.left = 50;
    other.right = 10;
    other.top = 3;
    other.bottom = 1;
    other.color = Color::red;
    Rectangle r;
    r.set(other);
    expectEdges(r, 10, 1, 50, 3);
    EXPECT_EQ(r.color, Color::black);
}

TEST(RectangleTest, ResizeKeepsTheCentre) {
    Rectangle r(100, 50);
    r.resize(10, 10);
    expectEdges(r, 45, 20, 54, 29);
    EXPECT_EQ(r.getCenter(), Point(49.5, 24.5, 0));
}

// ---- placing

TEST(RectangleTest, SetDatumPlacesCornerWhileGetDatumReportsCentre) {
    Rectangle r(100, 50);
    r.setDatum(10, 20);
    expectEdges(r, 10, 20, 109, 69);
    EXPECT_EQ(r.getDatum(), Point(59.5, 44.5, 0));
    r.setDatum(Point(1, 2, 3));
    expectEdges(r, 1, 2, 100, 51);
}

TEST(RectangleTest, CenterAtKeepsSizeAndIgnoresZ) {
    Rectangle r(100, 50);
    r.centerAt(50, 30, 99);
    expectEdges(r, 0.5, 5.5, 99.5, 54.5);
    r.centerAt(Point(0, 0, 7));
    expectEdges(r, -49.5, -24.5, 49.5, 24.5);
    EXPECT_EQ(r.getWidth(), 100);
}

TEST(RectangleTest, CenterAtTargetLandsOnWholePixels) {
    StrictMock<RectangleTarget> target;
    EXPECT_CALL(target, getCenter()).WillOnce(Return(Point(511.5, 383.5, 0)));
    Rectangle r(100, 50);
    r.centerAt(target);
    expectEdges(r, 462, 359, 561, 408);
}

TEST(RectangleTest, CenterAtFigureUsesItsDatum) {
    const Ellipse e(10, 10, Point(30, 40));
    Rectangle r(11, 21);
    r.centerAt(e);
    expectEdges(r, 25, 30, 35, 50);
    Rectangle s(3, 3);
    s.centerAt(static_cast<const Figure&>(r));
    expectEdges(s, 29, 39, 31, 41);
}

TEST(RectangleTest, ShiftTranslatesAndKeepsEdgesOrdered) {
    Rectangle r(100, 50);
    r.shift(-200, 0, 5);
    expectEdges(r, -200, 0, -101, 49);
    r.left = 10;
    r.right = 0;
    r.shift(1, 1);
    expectEdges(r, 1, 1, 11, 50);
}

// ---- queries

TEST(RectangleTest, ContainsIncludesBothEdges) {
    const Rectangle r(100, 50);
    EXPECT_TRUE(r.contains(99, 49));
    EXPECT_TRUE(r.contains(0, 0));
    EXPECT_FALSE(r.contains(100, 49));
    EXPECT_FALSE(r.contains(-0.5, 10));
    EXPECT_TRUE(r.contains(Point(99, 0)));
    EXPECT_FALSE(r.contains(Point(10, 50)));
}

TEST(RectangleTest, ContainsRectangleWhollyInside) {
    const Rectangle r(100, 50);
    EXPECT_TRUE(r.contains(r));
    EXPECT_TRUE(r.contains(Rectangle(10, 10, 20, 20)));
    EXPECT_FALSE(r.contains(Rectangle(10, 10, 100, 20)));
    EXPECT_FALSE(r.contains(Rectangle(-1, 10, 20, 20)));
}

TEST(RectangleTest, ClipByIntersects) {
    Rectangle r(0, 0, 99, 49);
    r.clipBy(Rectangle(50, 10, 200, 20));
    expectEdges(r, 50, 10, 99, 20);
}

TEST(RectangleTest, ClipByDisjointGivesOrderedCrossedBox) {
    Rectangle r(0, 0, 9, 9);
    EXPECT_NO_THROW(r.clipBy(Rectangle(20, 30, 29, 39)));
    expectEdges(r, 9, 9, 20, 30);
}

// ---- drawing

TEST(RectangleTest, DrawFillsWithOwnColour) {
    StrictMock<RectangleTarget> target;
    Rectangle r(10, 10);
    r.setColor(Color::green);
    EXPECT_CALL(target, rect(Ref(r), isColor(Color::green))).WillOnce(ReturnRef(target));
    EXPECT_EQ(&r.draw(target), &r);
}

TEST(RectangleTest, DrawWithColourOrStrokePassesThem) {
    StrictMock<RectangleTarget> target;
    Rectangle r(10, 10);
    const Stroke stroke(Color::red, 3, 0x0F0F);
    EXPECT_CALL(target, rect(Ref(r), isColor(Color::blue))).WillOnce(ReturnRef(target));
    EXPECT_CALL(target, rect(Ref(r), isStroke(stroke))).WillOnce(ReturnRef(target));
    r.draw(Color::blue, target).draw(stroke, target);
}

TEST(RectangleTest, OperationsChainAsRectangle) {
    Rectangle r(10, 10);
    static_assert(std::is_same_v<decltype(r.centerAt(Point())), Rectangle&>);
    static_assert(std::is_same_v<decltype(r.setDatum(Point())), Rectangle&>);
    static_assert(std::is_same_v<decltype(r.shift(1, 1)), Rectangle&>);
    StrictMock<RectangleTarget> target;
    EXPECT_CALL(target, rect(Ref(r), An<const Color&>())).WillOnce(ReturnRef(target));
    r.set(20, 10).centerAt(100, 100).draw(target).shift(1, 0);
    expectEdges(r, 91.5, 95.5, 110.5, 104.5);
}
