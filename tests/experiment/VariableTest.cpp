#include "experiment/VariableList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

using Stimora::Interval;
using namespace Stimora::ExperimentalMethods;

namespace {

// Expects std::out_of_range with the library's subscript text.
template <class Call> void expectSubscriptError(Call call) {
    try {
        call();
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
}

// A variable that counts its destructions, to watch the list's ownership.
int destroyed = 0;
std::string destructionOrder;

class Tracked : public VariableInstance<int> {
public:
    Tracked(int& value, char name) : VariableInstance<int>(value), name_(name) {}
    ~Tracked() override {
        ++destroyed;
        destructionOrder += name_;
    }

private:
    char name_;
};

} // namespace

TEST(VariableRegistration, ChainedDeclarationAsTheRoutineWritesIt) {
    VariableList list;
    int barInterval = 2;
    Interval r;
    VariableInstance<int>& v =
        list.append(barInterval).label("Bar Interval").range(2 <= r <= 6).step(2).step(1);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(&list[0], &v);
    EXPECT_EQ(v.label(), "Bar Interval");
    EXPECT_EQ(v.stepCount(), 2);
    EXPECT_EQ(v.steps[0], 2);
    EXPECT_EQ(v.steps[1], 1);
    EXPECT_EQ(v.levelCount(), 0);
    EXPECT_EQ(v.initialValue, 2);
    EXPECT_EQ(v.levelIndex, 0);
    EXPECT_EQ(v.target, &barInterval);
    const Interval range = v.getRange();
    EXPECT_EQ(range.lowerValue, 2.0);
    EXPECT_EQ(range.upperValue, 6.0);
    EXPECT_TRUE(range.isBounded());
}

TEST(VariableRegistration, RangeIsACopyAndDefaultsToTheWholeLine) {
    VariableList list;
    double x = 0.5;
    VariableInstance<double>& v = list.append(x);
    EXPECT_FALSE(v.getRange().isBounded());
    Interval r;
    v.range(0 <= r <= 1);
    1 <= r <= 9; // changing the caller's interval afterwards does not reach the variable
    EXPECT_EQ(v.getRange().upperValue, 1.0);
}

TEST(VariableRegistration, DoubleVariableTakesIntSteps) {
    VariableList list;
    double x = 0.0;
    VariableInstance<double>& v = list.append(x).step(2);
    EXPECT_EQ(v.steps[0], 2.0);
}

TEST(VariableRegistration, LabelIsEmptyAtRegistration) {
    VariableList list;
    int a = 0;
    list.append(a);
    EXPECT_EQ(list[0].label(), "");
}

TEST(VariableStepping, BarIntervalAtTheTopRefusesEveryStep) {
    VariableList list;
    int value = 6;
    Interval r;
    VariableInstance<int>& v = list.append(value).label("Bar Interval").range(2 <= r <= 6).step(2).step(1);
    v.increment(0);
    EXPECT_EQ(value, 6);
    v.increment(1);
    EXPECT_EQ(value, 6);
    value = 5;
    v.increment(0);
    EXPECT_EQ(value, 5); // 7 is outside: refused, never clamped
    v.increment(1);
    EXPECT_EQ(value, 6);
    v.decrement(0);
    EXPECT_EQ(value, 4);
    v.decrement(0);
    EXPECT_EQ(value, 2);
    v.decrement(1);
    EXPECT_EQ(value, 2);
}

TEST(VariableStepping, EccentricityNearTheTop) {
    VariableList list;
    int value = 130;
    Interval r;
    VariableInstance<int>& v =
        list.append(value).label("Eccentricity").range(20 <= r <= 140).step(10).step(20);
    v.increment(1);
    EXPECT_EQ(value, 130);
    v.increment(0);
    EXPECT_EQ(value, 140);
}

TEST(VariableStepping, DoubleStepsAccumulateRoundingError) {
    VariableList list;
    double value = 1.0;
    Interval r;
    VariableInstance<double>& v = list.append(value).range(0.0 <= r <= 1.0).step(0.05);
    for (int i = 0; i < 19; ++i)
        v.decrement(0);
    EXPECT_EQ(value, 0.049999999999999684);
    EXPECT_EQ(v.toText(), "0.05");
    v.decrement(0); // would land a little below 0.0
    EXPECT_EQ(value, 0.049999999999999684);
}

TEST(VariableStepping, StepIndexOutsideTheListDoesNothing) {
    VariableList list;
    int value = 3;
    VariableInstance<int>& v = list.append(value).step(1).step(2);
    v.increment(2);
    v.increment(-1);
    v.decrement(2);
    v.decrement(-1);
    EXPECT_EQ(value, 3);
    v.increment(1);
    EXPECT_EQ(value, 5); // unbounded range accepts any step
}

TEST(VariableStepping, IntStepsNeverOverflow) {
    VariableList list;
    int value = std::numeric_limits<int>::max() - 1;
    VariableInstance<int>& v = list.append(value).step(5);
    v.increment(0);
    EXPECT_EQ(value, std::numeric_limits<int>::max() - 1);
}

TEST(VariableStepping, OneLevelStillMovesBySteps) {
    VariableList list;
    int value = 1;
    VariableInstance<int>& v = list.append(value).step(1).level(10);
    EXPECT_EQ(v.levelCount(), 1);
    v.increment(0);
    EXPECT_EQ(value, 2);
}

TEST(VariableLevels, IncrementAndDecrementWrapAroundTheLevels) {
    VariableList list;
    double value = 0.0;
    VariableInstance<double>& v = list.append(value).step(100).level(0.1).level(0.2).level(0.4);
    EXPECT_EQ(v.levelCount(), 3);
    v.increment(0);
    EXPECT_EQ(value, 0.2);
    EXPECT_EQ(v.levelIndex, 1);
    v.increment(0);
    EXPECT_EQ(value, 0.4);
    v.increment(0);
    EXPECT_EQ(value, 0.1);
    EXPECT_EQ(v.levelIndex, 0);
    v.decrement(0);
    EXPECT_EQ(value, 0.4);
    EXPECT_EQ(v.levelIndex, 2);
}

TEST(VariableLevels, SetLevelIsBoundsCheckedAndStepsGoOnFromIt) {
    VariableList list;
    int value = 0;
    VariableInstance<int>& v = list.append(value).level(7).level(8).level(9);
    v.setLevel(1);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(v.levelIndex, 1);
    expectSubscriptError([&] { v.setLevel(3); });
    expectSubscriptError([&] { v.setLevel(-1); });
    EXPECT_EQ(value, 8);
    EXPECT_EQ(v.levelIndex, 1);
    v.increment(0); // from the level shown, not from level 0
    EXPECT_EQ(value, 9);
    v.setLevel(1);
    v.decrement(0);
    EXPECT_EQ(value, 7);
}

TEST(VariableRatio, SetByRatioOnAnIntRange) {
    VariableList list;
    int value = 0;
    Interval r;
    VariableInstance<int>& v = list.append(value).range(3 <= r <= 10);
    v.setByRatio(0.5);
    EXPECT_EQ(value, 6); // roundToInt(6.5)
    v.setByRatio(2);
    EXPECT_EQ(value, 10);
    v.setByRatio(-1);
    EXPECT_EQ(value, 3);
    v.setByRatio(std::nan(""));
    EXPECT_EQ(value, 3);
}

TEST(VariableRatio, IntRangeUsesItsIntegerEnds) {
    VariableList list;
    int value = 0;
    Interval r;
    VariableInstance<int>& v = list.append(value).range(0.5 < r < 4.5);
    v.setByRatio(0.0);
    EXPECT_EQ(value, 1);
    v.setByRatio(1.0);
    EXPECT_EQ(value, 4);
}

TEST(VariableRatio, DoubleRangeUsesTheStoredBoundsWhateverTheirOpenFlags) {
    VariableList list;
    double value = 0;
    Interval r;
    VariableInstance<double>& v = list.append(value).range(1.0 < r < 3.0);
    v.setByRatio(0.0);
    EXPECT_EQ(value, 1.0);
    v.setByRatio(0.25);
    EXPECT_EQ(value, 1.5);
    v.setByRatio(1.0);
    EXPECT_EQ(value, 3.0);
}

TEST(VariableRatio, UnboundedRangeChangesNothing) {
    VariableList list;
    double value = 42;
    Interval r;
    VariableInstance<double>& v = list.append(value).range(0 <= r);
    v.setByRatio(0.5);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(v.ratio(), 0.0);
}

TEST(VariableRatio, SetByRatioWithLevelsReachesTheLastLevel) {
    VariableList list;
    int value = 0;
    VariableInstance<int>& v = list.append(value).level(10).level(20).level(30).level(40);
    v.setByRatio(0.0);
    EXPECT_EQ(value, 10);
    v.setByRatio(0.5);
    EXPECT_EQ(value, 30); // roundToInt(2.0)
    v.setByRatio(0.99);
    EXPECT_EQ(value, 40);
    v.setByRatio(1.0);
    EXPECT_EQ(value, 40);
}

TEST(VariableRatio, RatioOfMotionDirection) {
    VariableList list;
    int value = 1;
    Interval r;
    VariableInstance<int>& v = list.append(value).label("Motion Direction").range(-1 <= r <= 1);
    EXPECT_EQ(v.ratio(), 1.0);
    value = 0;
    EXPECT_EQ(v.ratio(), 0.5);
    value = -1;
    EXPECT_EQ(v.ratio(), 0.0);
}

TEST(VariableRatio, SingleIntegerRangeGivesANonFiniteRatio) {
    VariableList list;
    int value = 2;
    Interval r;
    VariableInstance<int>& v = list.append(value).range(1.5 <= r <= 2.5);
    EXPECT_FALSE(std::isfinite(v.ratio()));
}

TEST(VariableRecord, PrepareRecordAndPrint) {
    VariableList list;
    double value = 2.5;
    VariableInstance<double>& v = list.append(value).level(0.25).level(0.75);
    v.prepareRecord(3);
    ASSERT_EQ(v.record.size(), 3u);
    EXPECT_EQ(v.record[2], 0.0);
    v.recordValue(0);
    v.recordLevel(2, 1);
    std::ostringstream out;
    v.printRecorded(0, out) << ' ';
    v.printRecorded(1, out) << ' ';
    v.printRecorded(2, out);
    EXPECT_EQ(out.str(), "2.5 0 0.75");
    v.prepareRecord(1);
    EXPECT_EQ(v.record.size(), 1u);
    EXPECT_EQ(v.record[0], 0.0);
    v.prepareRecord(-4);
    EXPECT_TRUE(v.record.empty());
}

TEST(VariableRecord, IndicesAreBoundsChecked) {
    VariableList list;
    int value = 1;
    VariableInstance<int>& v = list.append(value).level(5);
    v.prepareRecord(2);
    std::ostringstream out;
    expectSubscriptError([&] { v.recordValue(2); });
    expectSubscriptError([&] { v.recordLevel(0, 1); });
    expectSubscriptError([&] { v.recordLevel(5, 0); });
    expectSubscriptError([&] { v.printRecorded(-1, out); });
    EXPECT_EQ(v.record[0], 0);
}

TEST(VariableText, PrintUsesTheStreamsFormattingAndToTextTheDefault) {
    VariableList list;
    double value = 3.14159265;
    Variable& v = list.append(value);
    std::ostringstream fixed;
    fixed.precision(2);
    fixed << std::fixed;
    v.print(fixed);
    EXPECT_EQ(fixed.str(), "3.14");
    EXPECT_EQ(v.toText(), "3.14159");
    value = 1e7;
    EXPECT_EQ(v.toText(), "1e+07");
    int count = -12;
    EXPECT_EQ(list.append(count).toText(), "-12");
    std::ostringstream streamed;
    streamed << list[1];
    EXPECT_EQ(streamed.str(), "-12");
}

TEST(VariableList, OwnsAndDeletesInListOrder) {
    destroyed = 0;
    destructionOrder.clear();
    int a = 1, b = 2, c = 3;
    {
        VariableList list;
        list.append(std::make_unique<Tracked>(a, 'a'));
        list.append(std::make_unique<Tracked>(b, 'b'));
        list.append(std::make_unique<Tracked>(c, 'c'));
        EXPECT_EQ(list.size(), 3u);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(destructionOrder, "abc");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(c, 3);
}

TEST(VariableList, ClearDeletesEveryVariableAndLeavesTheValues) {
    VariableList list;
    int a = 4;
    double b = 0.5;
    list.append(a).label("A");
    list.append(b).label("B");
    std::string labels;
    for (const Variable* v : list)
        labels += v->label();
    EXPECT_EQ(labels, "AB");
    EXPECT_EQ(&list.at(1), &list[1]);
    EXPECT_THROW(list.at(2), std::out_of_range);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 0.5);
}

TEST(VariableList, GlobalListIsOneObject) {
    EXPECT_EQ(&globalVariables(), &globalVariables());
    const std::size_t before = globalVariables().size();
    static int kept = 3;
    globalVariables().append(kept).label("Global");
    EXPECT_EQ(globalVariables().size(), before + 1);
    EXPECT_EQ(globalVariables()[before].label(), "Global");
}
