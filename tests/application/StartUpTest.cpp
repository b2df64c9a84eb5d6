#include "application/StartUp.h"
#include "application/ApplicationRecord.h"
#include "base/Exception.h"
#include "devices/Clock.h"
#include "file/Paths.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Stimora;

namespace {

std::int64_t noCounter() {
    return 0;
}
std::int64_t slowCounter() {
    return 3579545;
}
std::time_t fixedTime() {
    return 1000000;
}

std::vector<double> draws(int n) {
    std::vector<double> values;
    for (int i = 0; i < n; ++i)
        values.push_back(randomRaw());
    return values;
}

} // namespace

// The guard is process-wide, so the whole life of start-up is one test.
TEST(StartUpTest, RunsOnceAndOnlyAfterItSucceeded) {
    ASSERT_FALSE(isStartedUp());

    // Without a high-resolution counter start-up stops with the clock's exception...
    Clock::setFrequencySource(noCounter);
    try {
        startUp();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.text(), "class Stimora::Clock [HARDWARE NOT SUPPORTED] This computer does not support "
                            "high-resolution performance counter.");
    }
    // ...and leaves the guard down, so a later call runs every step.
    EXPECT_FALSE(isStartedUp());

    Clock::setFrequencySource(slowCounter);
    setCalendarTimeSource(fixedTime);
    ApplicationRecord::instance().windowClassName = "changed";
    startUp();
    EXPECT_TRUE(isStartedUp());
    EXPECT_EQ(Clock::tickRate(), 3579);
    EXPECT_STREQ(ApplicationRecord::instance().windowClassName, "StimoraWindow");
    EXPECT_FALSE(pathTokenValue("%APP%").empty());
    EXPECT_FALSE(pathTokenValue("%USER_HOME%").empty());
    // The generators were seeded from the calendar time.
    const std::vector<double> afterStartUp = draws(5);
    seed(static_cast<std::uint32_t>(fixedTime()));
    EXPECT_EQ(afterStartUp, draws(5));

    // A second call does nothing: no re-seeding, no new clock rate, no exception.
    seed(77);
    Clock::setFrequencySource(noCounter);
    startUp();
    EXPECT_TRUE(isStartedUp());
    EXPECT_EQ(Clock::tickRate(), 3579);
    const std::vector<double> afterSecondCall = draws(5);
    seed(77);
    EXPECT_EQ(afterSecondCall, draws(5));

    Clock::setFrequencySource(nullptr);
    setCalendarTimeSource(nullptr);
    Clock::setTickRate(0);
}
