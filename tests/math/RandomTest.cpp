#include "math/Random.h"
#include "base/Exception.h"
#include "devices/Clock.h"
#include "math/Matrix.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

using namespace Stimora;

namespace {

// The raw stored values that follow seed(value).
std::vector<double> rawSequence(std::uint32_t value, int count) {
    seed(value);
    std::vector<double> raw;
    for (int i = 0; i < count; ++i)
        raw.push_back(randomRaw());
    return raw;
}

void expectMinExceedsMax(void (*call)()) {
    try {
        call();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), "class Stimora::Exception [] min exceeds max in random(min, max)");
    }
}

} // namespace

TEST(RandomSeeding, SameSeedSameSequence) {
    const std::vector<double> first = rawSequence(4357, 1000);
    const std::vector<double> second = rawSequence(4357, 1000);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, rawSequence(4358, 1000));
}

TEST(RandomSeeding, SeedAlsoSeedsTheRuntimeGenerator) {
    seed(99);
    const int a = std::rand();
    std::srand(99);
    EXPECT_EQ(a, std::rand());
}

TEST(RandomSeeding, StartUpSeedingReadsTheCalendarTime) {
    setCalendarTimeSource([]() -> std::time_t { return 1252416612; });
    initializeRandom();
    const double afterStartUp = randomRaw();
    const int runtime = std::rand();
    setCalendarTimeSource(nullptr);
    seed(1252416612);
    EXPECT_EQ(afterStartUp, randomRaw());
    EXPECT_EQ(runtime, std::rand());
}

TEST(RandomState, RawValuesLieInOneToTwo) {
    for (double v : rawSequence(1, 5000)) {
        EXPECT_GE(v, 1.0);
        EXPECT_LT(v, 2.0);
    }
}

TEST(RandomState, ThreeHundredEightyTwoValuesPerRegeneration) {
    seed(7);
    EXPECT_EQ(randomStateIndex(), 382); // the first draw regenerates
    randomRaw();
    EXPECT_EQ(randomStateIndex(), 1);
    for (int i = 1; i < 382; ++i)
        randomRaw();
    EXPECT_EQ(randomStateIndex(), 382);
    randomRaw(); // the 383rd draw regenerates a second time
    EXPECT_EQ(randomStateIndex(), 1);
}

TEST(RandomState, EveryFormDrawsFromTheSameSequenceInOrder) {
    const std::vector<double> raw = rawSequence(2024, 12);
    seed(2024);
    EXPECT_EQ(Stimora::random(), raw[0] - 1.0);
    EXPECT_EQ(Stimora::random(10.0), (raw[1] - 1.0) * 10.0);
    EXPECT_EQ(Stimora::random(7), static_cast<int>((raw[2] - 1.0) * 7));
    EXPECT_EQ(Stimora::random(-3.0, 5.0), -3.0 + 8.0 * (raw[3] - 1.0));
    EXPECT_EQ(randomRaw(), raw[4]);
    double values[3];
    Stimora::random(values, 3, 2.0);
    EXPECT_EQ(values[0], (raw[5] - 1.0) * 2.0);
    EXPECT_EQ(values[2], (raw[7] - 1.0) * 2.0);
    Stimora::random(values, 2, 1.0, 1.5);
    EXPECT_EQ(values[1], 1.0 + 0.5 * (raw[9] - 1.0));
    Stimora::random(values, 1);
    EXPECT_EQ(values[0], raw[10] - 1.0);
    EXPECT_EQ(Stimora::random(), raw[11] - 1.0);
}

TEST(RandomDraws, NegativeMaxGivesNonPositiveValues) {
    seed(3);
    for (int i = 0; i < 200; ++i) {
        const double v = Stimora::random(-2.0);
        EXPECT_LE(v, 0.0);
        EXPECT_GT(v, -2.0);
        const int n = Stimora::random(-3);
        EXPECT_LE(n, 0);
        EXPECT_GT(n, -3);
    }
}

TEST(RandomDraws, IntegerFormTruncates) {
    seed(11);
    std::set<int> seen;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(Stimora::random(1), 0);
        EXPECT_EQ(Stimora::random(0), 0);
        seen.insert(Stimora::random(3));
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2}));
}

TEST(RandomDraws, EqualBoundsGiveTheBound) {
    seed(5);
    const std::vector<double> raw = rawSequence(5, 2);
    seed(5);
    EXPECT_EQ(Stimora::random(2.0, 2.0), 2.0);
    EXPECT_EQ(randomRaw(), raw[1]); // the draw was consumed
}

TEST(RandomDraws, MinAboveMaxRaisesAndConsumesNothing) {
    const std::vector<double> raw = rawSequence(17, 1);
    seed(17);
    expectMinExceedsMax([] { Stimora::random(3.0, 2.0); });
    double values[4] = {9, 9, 9, 9};
    try {
        Stimora::random(values, 4, 1.0, 0.0);
        FAIL();
    } catch (const Exception&) {
    }
    EXPECT_EQ(values[0], 9.0);
    EXPECT_EQ(randomRaw(), raw[0]);
}

TEST(RandomDraws, MatrixFormsFillStorageOrder) {
    const std::vector<double> raw = rawSequence(31, 6);
    Matrix m(2, 3);
    seed(31);
    Stimora::random(m, 10.0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(m.data()[i], (raw[i] - 1.0) * 10.0) << i;
    seed(31);
    Stimora::random(m);
    EXPECT_EQ(m.data()[5], raw[5] - 1.0);
    seed(31);
    Stimora::random(m, 4.0, 6.0);
    EXPECT_EQ(m.data()[0], 4.0 + 2.0 * (raw[0] - 1.0));
    try {
        Stimora::random(m, 6.0, 4.0);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "min exceeds max in random(min, max)");
    }
}

TEST(RandomDraws, MatrixFormsFillTheRegionOfAViewRowAfterRow) {
    const std::vector<double> raw = rawSequence(41, 4);
    Matrix m(3, 3);
    Interval rows, cols;
    MatrixExpression view = m(2 <= rows <= 3, 1 <= cols <= 2);
    seed(41);
    Stimora::random(view, 2.0);
    EXPECT_EQ(m.at(2, 1), (raw[0] - 1.0) * 2.0);
    EXPECT_EQ(m.at(2, 2), (raw[1] - 1.0) * 2.0);
    EXPECT_EQ(m.at(3, 1), (raw[2] - 1.0) * 2.0);
    EXPECT_EQ(m.at(3, 2), (raw[3] - 1.0) * 2.0);
    for (int j = 1; j <= 3; ++j)
        EXPECT_EQ(m.at(1, j), 0.0) << j;
    EXPECT_EQ(m.at(2, 3), 0.0);
    EXPECT_EQ(m.at(3, 3), 0.0);

    Matrix empty;
    EXPECT_NO_THROW(Stimora::random(empty));
    EXPECT_THROW(Stimora::random(empty, 1.0, 0.0), Exception);
}

TEST(ShuffledIndices, IsAPermutationDrawnWithRand) {
    std::int32_t values[50];
    std::srand(123);
    shuffledIndices(values, 50);
    std::set<std::int32_t> seen(values, values + 50);
    EXPECT_EQ(seen.size(), 50u);
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 49);

    // The first index lands where rand() % count points.
    std::srand(123);
    const int first = std::rand() % 50;
    EXPECT_EQ(values[first], 0);
}

TEST(ShuffledIndices, CollisionStepsForwardAndWraps) {
    // With count 1 every start is 0; with count 2 the second index takes whichever is free.
    std::int32_t one[1] = {42};
    shuffledIndices(one, 1);
    EXPECT_EQ(one[0], 0);
    std::int32_t two[2];
    std::srand(8);
    const int start = std::rand() % 2;
    std::srand(8);
    shuffledIndices(two, 2);
    EXPECT_EQ(two[start], 0);
    EXPECT_EQ(two[1 - start], 1);
    shuffledIndices(two, 0); // nothing to do, nothing touched
    EXPECT_EQ(two[start], 0);
}

TEST(RoundToInt, HalvesGoToEvenAboveZero) {
    EXPECT_EQ(roundToInt(0.5), 0);
    EXPECT_EQ(roundToInt(1.5), 2);
    EXPECT_EQ(roundToInt(2.5), 2);
    EXPECT_EQ(roundToInt(3.5), 4);
    EXPECT_EQ(roundToInt(2.7), 3);
    EXPECT_EQ(roundToInt(2.4999999), 2);
    EXPECT_EQ(roundToInt(6.5), 6);
    EXPECT_EQ(roundToInt(0.0), 0);
}

TEST(RoundToInt, NegativeValuesTruncate) {
    EXPECT_EQ(roundToInt(-2.7), -2);
    EXPECT_EQ(roundToInt(-0.5), 0);
    EXPECT_EQ(roundToInt(-1.5), -1);
    EXPECT_EQ(roundToInt(-3.0), -3);
}

TEST(RoundToInt, OutOfRangeSaturates) {
    EXPECT_EQ(roundToInt(1e20), INT_MAX);
    EXPECT_EQ(roundToInt(-1e20), INT_MIN);
    EXPECT_EQ(roundToInt(std::nan("")), 0);
    EXPECT_EQ(roundToInt(2147483646.5), 2147483646);
}
