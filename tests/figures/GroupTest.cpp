#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <type_traits>

#include "display/Color.h"
#include "display/Drawable.h"
#include "figures/Ellipse.h"
#include "figures/Group.h"
#include "figures/Image.h"
#include "figures/Line.h"
#include "figures/Rectangle.h"
#include "figures/Stroke.h"

#include "MockDrawable.h"

using namespace Stimora;
using Stimora::Testing::MockDrawable;
using ::testing::_;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::Ref;
using ::testing::ReturnRef;
using ::testing::StrictMock;

namespace {

// What a target does with a group, less the graphics state: draw the members in order.
void drawMembers(MockDrawable& target) {
    EXPECT_CALL(target, group(_)).WillRepeatedly(Invoke([&target](Group& g) -> Drawable& {
        for (Figure* member : g.getMembers())
            member->draw(target);
        return target;
    }));
}

} // namespace

TEST(GroupTest, NewGroupIsEmptyUnclippedAndUntransformed) {
    const Group g;
    EXPECT_EQ(g.getClipMode(), 0);
    EXPECT_EQ(g.getMask(), nullptr);
    EXPECT_TRUE(g.getMembers().empty());
    EXPECT_EQ(g.size(), 0u);
    EXPECT_EQ(g.angle, 0.0);
    EXPECT_EQ(g.axisX, 0.0);
    EXPECT_EQ(g.axisY, 0.0);
    EXPECT_EQ(g.axisZ, 1.0);
    EXPECT_EQ(g.scaleX, 1.0);
    EXPECT_EQ(g.scaleY, 1.0);
    EXPECT_EQ(g.scaleZ, 1.0);
    EXPECT_EQ(g.getDatum(), Point(0, 0, 0));
}

TEST(GroupTest, DrawHandsTheGroupToTheTarget) {
    StrictMock<MockDrawable> target;
    Group g;
    EXPECT_CALL(target, group(Ref(g))).WillOnce(ReturnRef(target));
    EXPECT_EQ(&g.draw(target), &g);
    static_assert(std::is_same_v<decltype(g.draw(target)), Group&>);
}

TEST(GroupTest, MembersDrawInAppendOrder) {
    StrictMock<MockDrawable> target;
    Rectangle first(10, 10);
    Line second(0, 0, 5, 5);
    Ellipse third(4, 4, Point(2, 2));
    Group g;
    g.append(first).append(&second);
    third.appendTo(g);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g.getMembers()[0], &first);
    EXPECT_EQ(g.getMembers()[1], &second);
    EXPECT_EQ(g.getMembers()[2], &third);

    drawMembers(target);
    InSequence order;
    EXPECT_CALL(target, rect(Ref(first), ::testing::An<const Color&>())).WillOnce(ReturnRef(target));
    EXPECT_CALL(target, line(Ref(second), ::testing::An<const Color&>())).WillOnce(ReturnRef(target));
    EXPECT_CALL(target, ellipse(Ref(third), ::testing::An<const Color&>())).WillOnce(ReturnRef(target));
    g.draw(target);
}

TEST(GroupTest, SameFigureListedTwiceDrawsTwice) {
    StrictMock<MockDrawable> target;
    Rectangle r(3, 3);
    Group g;
    g.append(r).append(r);
    EXPECT_EQ(g.size(), 2u);
    drawMembers(target);
    EXPECT_CALL(target, rect(Ref(r), ::testing::An<const Color&>()))
        .Times(2)
        .WillRepeatedly(ReturnRef(target));
    g.draw(target);
}

TEST(GroupTest, AppendToReturnsTheFigure) {
    Group g;
    Rectangle r(3, 3);
    Figure& result = r.appendTo(g);
    EXPECT_EQ(&result, &r);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g.getMembers()[0], &r);
}

TEST(GroupTest, NullPointerIsNotListed) {
    Group g;
    g.append(static_cast<Figure*>(nullptr));
    EXPECT_EQ(g.size(), 0u);
}

TEST(GroupTest, RemoveShiftsLaterMembersDown) {
    Rectangle a(1, 1), b(2, 2), c(3, 3);
    Group g;
    g.append(a).append(b).append(c);
    g.remove(1);
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g.getMembers()[0], &a);
    EXPECT_EQ(g.getMembers()[1], &c);
    g.remove(0);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g.getMembers()[0], &c);
}

TEST(GroupTest, RemovePastTheEndChangesNothing) {
    Rectangle a(1, 1), b(2, 2), c(3, 3);
    Group g;
    g.append(a).append(b).append(c);
    g.remove(5);
    g.remove(3);
    EXPECT_EQ(g.size(), 3u);
    EXPECT_EQ(g.getMembers()[2], &c);
    Group empty;
    EXPECT_NO_THROW(empty.remove(0));
}

TEST(GroupTest, ReplacePutsTheFigureAtTheIndex) {
    Rectangle a(1, 1), b(2, 2), c(3, 3), d(4, 4);
    Group g;
    g.append(a).append(b).append(c);
    g.replace(1, d);
    EXPECT_EQ(g.getMembers()[1], &d);
    g.replace(2, &a);
    EXPECT_EQ(g.getMembers()[2], &a);
    EXPECT_EQ(g.size(), 3u);
}

TEST(GroupTest, ReplacePastTheEndIsOutOfRange) {
    Rectangle a(1, 1), f(2, 2);
    Group g;
    g.append(a).append(a).append(a);
    EXPECT_THROW(g.replace(5, f), std::out_of_range);
    EXPECT_THROW(g.replace(3, &f), std::out_of_range);
    EXPECT_THROW(g.replace(3, static_cast<Figure*>(nullptr)), std::out_of_range);
    for (Figure* member : g.getMembers())
        EXPECT_EQ(member, &a);
    g.replace(0, static_cast<Figure*>(nullptr));
    EXPECT_EQ(g.getMembers()[0], &a);
}

TEST(GroupTest, SetClipStoresTopLeftWidthHeight) {
    Group g;
    g.setClip(Rectangle(10, 20, 109, 69));
    EXPECT_EQ(g.getClipMode(), 1);
    EXPECT_EQ(g.getClipTop(), 20);
    EXPECT_EQ(g.getClipLeft(), 10);
    EXPECT_EQ(g.getClipWidth(), 100);
    EXPECT_EQ(g.getClipHeight(), 50);
}

TEST(GroupTest, ClipModesFollowTheLastCall) {
    Group g;
    Image mask;
    g.setClip(Rectangle(0, 0, 9, 19));
    g.setMask(mask);
    EXPECT_EQ(g.getClipMode(), 3);
    EXPECT_EQ(g.getMask(), &mask);
    EXPECT_EQ(g.getClipHeight(), 20);
    g.clearClip();
    EXPECT_EQ(g.getClipMode(), 0);
    // Cleared, but kept: the stored rectangle and mask have no effect until set again.
    EXPECT_EQ(g.getMask(), &mask);
    EXPECT_EQ(g.getClipWidth(), 10);
    g.setClip(Rectangle(5, 5));
    EXPECT_EQ(g.getClipMode(), 1);
    EXPECT_EQ(g.getClipTop(), 0);
}

TEST(GroupTest, ClipOperationsChain) {
    Group g;
    Rectangle r(4, 4);
    static_assert(std::is_same_v<decltype(g.setClip(r)), Group&>);
    static_assert(std::is_same_v<decltype(g.clearClip()), Group&>);
    EXPECT_EQ(&g.setClip(r).clearClip().append(r), &g);
}

TEST(GroupTest, SetDatumAndCenterAtGiveTheSameResult) {
    Group a, b;
    a.setDatum(Point(3, 4, 5));
    b.centerAt(Point(3, 4, 5));
    EXPECT_EQ(a.getDatum(), b.getDatum());
    EXPECT_EQ(a.getDatum(), Point(3, 4, 5));
}

TEST(GroupTest, DestroyingAGroupLeavesItsMembers) {
    Rectangle r(10, 10);
    {
        Group g;
        g.append(r);
    }
    EXPECT_EQ(r.getWidth(), 10);
}

TEST(GroupTest, GroupsNest) {
    StrictMock<MockDrawable> target;
    Rectangle r(3, 3);
    Group inner, outer;
    inner.append(r);
    outer.append(inner);
    drawMembers(target);
    EXPECT_CALL(target, rect(Ref(r), ::testing::An<const Color&>())).WillOnce(ReturnRef(target));
    outer.draw(target);
}
