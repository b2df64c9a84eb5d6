#include "devices/Clock.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using Stimora::Clock;

namespace {

std::int64_t fakeCounter = 0;
std::int64_t readFakeCounter() {
    return fakeCounter;
}
std::int64_t fakeFrequency = 0;
std::int64_t readFakeFrequency() {
    return fakeFrequency;
}

// Each test starts from the platform counter and leaves it so.
class ClockTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = Clock::tickRate(); }
    void TearDown() override {
        Clock::setCounterSource(nullptr);
        Clock::setFrequencySource(nullptr);
        Clock::setTickRate(saved_);
    }

private:
    std::int64_t saved_ = 0;
};

} // namespace

TEST_F(ClockTest, PlatformCounterRunsForward) {
    ASSERT_GT(Clock::tickRate(), 0);
    Clock a;
    a.update();
    Clock b = Clock::now();
    EXPECT_GE(b, a);
    EXPECT_GE((b - a).milliseconds(), 0.0);
}

TEST_F(ClockTest, UpdateReadsTheReplaceableCounter) {
    Clock::setCounterSource(readFakeCounter);
    fakeCounter = 123456789;
    Clock c;
    EXPECT_EQ(c.update().ticks(), 123456789);
    fakeCounter = 5;
    EXPECT_EQ(Clock::now().ticks(), 5);
}

TEST_F(ClockTest, MillisecondsUseTheTruncatedTickRate) {
    Clock::setTickRate(3579);
    EXPECT_EQ(Clock(3579).milliseconds(), 1.0);
    EXPECT_NEAR(Clock(1000).milliseconds(), 0.27941, 1e-5);
    // A true second of a 3,579,545 Hz counter reads a little long.
    EXPECT_NEAR(Clock(3579545).milliseconds(), 1000.152277, 1e-6);
}

TEST_F(ClockTest, InitializeKeepsFrequencyDivThousand) {
    Clock::setFrequencySource(readFakeFrequency);
    fakeFrequency = 3579545;
    Clock::initialize();
    EXPECT_EQ(Clock::tickRate(), 3579);
    fakeFrequency = 1000000000;
    Clock::initialize();
    EXPECT_EQ(Clock::tickRate(), 1000000);
}

TEST_F(ClockTest, InitializeWithoutCounterRaises) {
    Clock::setFrequencySource(readFakeFrequency);
    for (std::int64_t frequency : {std::int64_t(0), std::int64_t(999)}) {
        fakeFrequency = frequency;
        try {
            Clock::initialize();
            FAIL() << "no exception at " << frequency << " Hz";
        } catch (const Stimora::Exception& e) {
            EXPECT_EQ(e.text(), "class Stimora::Clock [HARDWARE NOT SUPPORTED] This computer does not "
                                "support high-resolution performance counter.");
        }
    }
}

TEST_F(ClockTest, NowMillisecondsTruncates) {
    Clock::setCounterSource(readFakeCounter);
    Clock::setTickRate(3579);
    fakeCounter = 3579 * 20 + 3578;
    EXPECT_EQ(Stimora::nowMilliseconds(), 20);
    fakeCounter = -3579 * 2 - 10;
    EXPECT_EQ(Stimora::nowMilliseconds(), -2);
}

TEST_F(ClockTest, ArithmeticOnCounts) {
    const Clock a(10), b(25);
    EXPECT_EQ((a + b).ticks(), 35);
    EXPECT_EQ((b - a).ticks(), 15);
    Clock c(a);
    c += b;
    EXPECT_EQ(c.ticks(), 35);
    (c -= b) -= b;
    EXPECT_EQ(c.ticks(), -15);
}

TEST_F(ClockTest, NegativeDifference) {
    Clock::setTickRate(1000);
    const Clock earlier(5000), later(3000);
    const Clock d = later - earlier;
    EXPECT_EQ(d.ticks(), -2000);
    EXPECT_EQ(d.milliseconds(), -2.0);
}

TEST_F(ClockTest, CarryAndBorrowAcrossTheHalves) {
    const Clock low(0xFFFFFFFFLL);
    EXPECT_EQ((low + Clock(1)).ticks(), 0x100000000LL);
    EXPECT_EQ((Clock(0x100000000LL) - Clock(1)).ticks(), 0xFFFFFFFFLL);
    // Wrap-around is silent.
    EXPECT_EQ((Clock(INT64_MAX) + Clock(1)).ticks(), INT64_MIN);
    EXPECT_EQ((Clock(INT64_MIN) - Clock(1)).ticks(), INT64_MAX);
}

TEST_F(ClockTest, ComparisonIsSignedWithUnsignedLowHalf) {
    const Clock big(0xFFFFFFFFLL), small(0x7FFFFFFFLL);
    EXPECT_GT(big, small);
    EXPECT_LT(small, big);
    EXPECT_GE(big, big);
    EXPECT_LE(small, small);
    EXPECT_LT(Clock(-1), Clock(0));
    EXPECT_NE(big, small);
    EXPECT_EQ(Clock(7), Clock(7));
    EXPECT_FALSE(Clock(7) < Clock(7));
    EXPECT_FALSE(Clock(8) <= Clock(7));
}

TEST(CalendarTime, SourceIsReplaceable) {
    Stimora::setCalendarTimeSource([]() -> std::time_t { return 86400 * 365; });
    EXPECT_EQ(Stimora::calendarTime(), 86400 * 365);
    const std::tm local = Stimora::localCalendarTime();
    EXPECT_TRUE(local.tm_year == 70 || local.tm_year == 71);
    Stimora::setCalendarTimeSource(nullptr);
    const std::time_t now = std::time(nullptr);
    EXPECT_LE(std::abs(static_cast<long>(Stimora::calendarTime() - now)), 1L);
}
