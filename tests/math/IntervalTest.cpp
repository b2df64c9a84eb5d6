#include "math/Interval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Stimora::Interval;

namespace {

// Runs the query and returns the TYPES value it raised, or -1 when it raised nothing.
template <class Query> int raisedType(Query query) {
    try {
        query();
    } catch (Interval::TYPES t) {
        return t;
    }
    return -1;
}

} // namespace

TEST(IntervalBuilding, DefaultIsTheWholeLine) {
    Interval i;
    EXPECT_EQ(i.lowerType, Interval::MINUS_INFINITY);
    EXPECT_EQ(i.upperType, Interval::PLUS_INFINITY);
    EXPECT_EQ(i.lowerOpen, 0);
    EXPECT_EQ(i.upperOpen, 0);
    EXPECT_TRUE(i.includes(-1e300));
    EXPECT_TRUE(i.includes(0.0));
    EXPECT_TRUE(i.includes(1e300));
    EXPECT_TRUE(i.includes(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(i.isBounded());
    EXPECT_EQ(raisedType([&] { i.lowestInt(); }), Interval::MINUS_INFINITY);
    EXPECT_EQ(raisedType([&] { i.highestInt(); }), Interval::PLUS_INFINITY);
}

TEST(IntervalBuilding, ChainedComparisonsWriteBothEnds) {
    Interval i;
    Interval& result = 1 <= i <= 3;
    EXPECT_EQ(&result, &i);
    EXPECT_EQ(i.lowerType, Interval::FINITE);
    EXPECT_EQ(i.lowerOpen, 0);
    EXPECT_EQ(i.lowerValue, 1.0);
    EXPECT_EQ(i.upperType, Interval::FINITE);
    EXPECT_EQ(i.upperOpen, 0);
    EXPECT_EQ(i.upperValue, 3.0);

    1 < i <= 3;
    EXPECT_EQ(i.lowerOpen, 1);
    EXPECT_EQ(i.upperOpen, 0);

    Interval j;
    3 >= j > 1;
    EXPECT_EQ(j.lowerType, Interval::FINITE);
    EXPECT_EQ(j.lowerValue, 1.0);
    EXPECT_EQ(j.lowerOpen, 1);
    EXPECT_EQ(j.upperValue, 3.0);
    EXPECT_EQ(j.upperOpen, 0);

    Interval k;
    3 > k >= 1;
    EXPECT_EQ(k.lowerOpen, 0);
    EXPECT_EQ(k.upperOpen, 1);
    EXPECT_FALSE(k.includes(3.0));
    EXPECT_TRUE(k.includes(1.0));
}

TEST(IntervalBuilding, FirstComparisonResetsTheOtherEnd) {
    Interval i;
    1 <= i <= 3;
    (void)(1 <= i);
    EXPECT_EQ(i.lowerType, Interval::FINITE);
    EXPECT_EQ(i.upperType, Interval::PLUS_INFINITY);
    EXPECT_EQ(i.upperOpen, 0);
    EXPECT_EQ(i.upperValue, 0.0);
    EXPECT_TRUE(i.includes(1e9));

    (void)(5 > i);
    EXPECT_EQ(i.lowerType, Interval::MINUS_INFINITY);
    EXPECT_EQ(i.lowerValue, 0.0);
    EXPECT_EQ(i.upperType, Interval::FINITE);
    EXPECT_EQ(i.upperOpen, 1);
}

TEST(IntervalBuilding, ComparisonsOnTheIntervalItself) {
    Interval i;
    (0 <= i) <= 9;
    i < 4.0; // leaves only the upper end
    EXPECT_EQ(i.lowerType, Interval::MINUS_INFINITY);
    EXPECT_EQ(i.upperType, Interval::FINITE);
    EXPECT_EQ(i.upperOpen, 1);
    EXPECT_EQ(i.upperValue, 4.0);
    EXPECT_TRUE(i.includes(-100.0));

    i >= 2.0;
    EXPECT_EQ(i.lowerType, Interval::FINITE);
    EXPECT_EQ(i.lowerOpen, 0);
    EXPECT_EQ(i.upperType, Interval::PLUS_INFINITY);
    i > 2.0;
    EXPECT_EQ(i.lowerOpen, 1);
    i <= 7.0;
    EXPECT_EQ(i.upperOpen, 0);
    EXPECT_EQ(i.lowerType, Interval::MINUS_INFINITY);
}

TEST(IntervalBuilding, TypeFormsSetTheEndKind) {
    Interval i;
    Interval::UNDEFINED <= i <= 3;
    EXPECT_EQ(i.lowerType, Interval::UNDEFINED);
    EXPECT_EQ(i.lowerValue, 0.0);
    EXPECT_EQ(i.upperType, Interval::FINITE);

    1 <= i < Interval::PLUS_INFINITY;
    EXPECT_EQ(i.upperType, Interval::PLUS_INFINITY);
    EXPECT_EQ(i.upperOpen, 1);

    i >= Interval::UNDEFINED;
    EXPECT_EQ(i.lowerType, Interval::UNDEFINED);
    EXPECT_EQ(i.upperType, Interval::PLUS_INFINITY);
}

TEST(IntervalBuilding, AccumulatorCopiesTheTargetBounds) {
    Interval i;
    Stimora::Interval_acc acc = 2 < i;
    EXPECT_EQ(&acc.target(), &i);
    EXPECT_EQ(acc.lowerType, Interval::FINITE);
    EXPECT_EQ(acc.lowerOpen, 1);
    EXPECT_EQ(acc.lowerValue, 2.0);
    EXPECT_EQ(acc.upperType, Interval::PLUS_INFINITY);
}

TEST(IntervalIncludes, ClosedBounds) {
    Interval i;
    1 <= i <= 3;
    EXPECT_TRUE(i.includes(1));
    EXPECT_TRUE(i.includes(3));
    EXPECT_FALSE(i.includes(3.0001));
    EXPECT_FALSE(i.includes(0.9999));
    EXPECT_TRUE(i.isBounded());
    EXPECT_EQ(i.lowestInt(), 1);
    EXPECT_EQ(i.highestInt(), 3);
}

TEST(IntervalIncludes, OpenBounds) {
    Interval i;
    1 < i < 3;
    EXPECT_FALSE(i.includes(1));
    EXPECT_FALSE(i.includes(3));
    EXPECT_TRUE(i.includes(2));
    EXPECT_EQ(i.lowestInt(), 2);
    EXPECT_EQ(i.highestInt(), 2);
}

TEST(IntervalIncludes, NaNIsExcludedByNothing) {
    Interval i;
    1 < i < 3;
    EXPECT_TRUE(i.includes(std::nan("")));
}

TEST(IntervalIncludes, OpenFlagOtherThanZeroOrOneImposesNoCondition) {
    Interval i;
    1 <= i <= 3;
    i.lowerOpen = 2;
    i.upperOpen = 7;
    EXPECT_TRUE(i.includes(-50));
    EXPECT_TRUE(i.includes(50));
}

TEST(IntervalIncludes, UndefinedEndRaisesTheUpperType) {
    Interval i;
    Interval::UNDEFINED <= i <= 3;
    EXPECT_EQ(raisedType([&] { i.includes(2); }), Interval::FINITE);
    EXPECT_EQ(raisedType([&] { i.includes(100); }), Interval::FINITE);
    1 <= i <= Interval::UNDEFINED;
    EXPECT_EQ(raisedType([&] { i.includes(2); }), Interval::UNDEFINED);
    // The failed query leaves the interval as it was.
    EXPECT_EQ(i.lowerType, Interval::FINITE);
    EXPECT_EQ(i.upperType, Interval::UNDEFINED);
}

TEST(IntervalIntegers, FractionalBounds) {
    Interval i;
    0.5 < i <= 2.5;
    EXPECT_EQ(i.lowestInt(), 1);
    EXPECT_EQ(i.highestInt(), 2);
    -2.5 <= i < -0.5;
    EXPECT_EQ(i.lowestInt(), -2);
    EXPECT_EQ(i.highestInt(), -1);
    -2 < i < 0;
    EXPECT_EQ(i.lowestInt(), -1);
    EXPECT_EQ(i.highestInt(), -1);
}

TEST(IntervalIntegers, LowestAndHighestNeedFiniteEnds) {
    Interval i;
    (void)(1 <= i);
    EXPECT_EQ(i.lowestInt(), 1);
    EXPECT_EQ(raisedType([&] { i.highestInt(); }), Interval::PLUS_INFINITY);
    i <= 4;
    EXPECT_EQ(raisedType([&] { i.lowestInt(); }), Interval::MINUS_INFINITY);
    EXPECT_EQ(i.highestInt(), 4);
}

TEST(IntervalIntegers, ClipLower) {
    Interval i;
    1 <= i <= 3;
    EXPECT_EQ(i.clipLowerInt(5), 5);
    EXPECT_EQ(i.clipLowerInt(0), 1);
    EXPECT_EQ(i.clipLowerInt(1), 1);
    1 < i <= 3;
    EXPECT_EQ(i.clipLowerInt(1), 2);
    EXPECT_EQ(i.clipLowerInt(2), 2);
    i <= 3; // lower end unlimited
    EXPECT_EQ(i.clipLowerInt(-1000), -1000);
    Interval::UNDEFINED <= i <= 3;
    EXPECT_EQ(raisedType([&] { i.clipLowerInt(0); }), Interval::UNDEFINED);
}

TEST(IntervalIntegers, ClipUpper) {
    Interval i;
    1 <= i <= 3;
    EXPECT_EQ(i.clipUpperInt(0), 0);
    EXPECT_EQ(i.clipUpperInt(7), 3);
    EXPECT_EQ(i.clipUpperInt(3), 3);
    1 <= i < 3;
    EXPECT_EQ(i.clipUpperInt(3), 2);
    i >= 1; // upper end unlimited
    EXPECT_EQ(i.clipUpperInt(1000), 1000);
    1 <= i <= Interval::UNDEFINED;
    EXPECT_EQ(raisedType([&] { i.clipUpperInt(0); }), Interval::UNDEFINED);
}

TEST(IntervalIntegers, MatrixColumnSelection) {
    // c0 <= I with n columns selects clipLowerInt(1) .. clipUpperInt(n).
    Interval i;
    (void)(3 <= i);
    EXPECT_EQ(i.clipLowerInt(1), 3);
    EXPECT_EQ(i.clipUpperInt(10), 10);
}

TEST(IntervalCopy, CopiesAllSixFields) {
    Interval i;
    0.5 < i <= 2.5;
    Interval c(i);
    Interval d;
    d = i;
    for (const Interval* x : {&c, &d}) {
        EXPECT_EQ(x->lowerType, Interval::FINITE);
        EXPECT_EQ(x->lowerOpen, 1);
        EXPECT_EQ(x->lowerValue, 0.5);
        EXPECT_EQ(x->upperType, Interval::FINITE);
        EXPECT_EQ(x->upperOpen, 0);
        EXPECT_EQ(x->upperValue, 2.5);
    }
}
