#pragma once

// Time points on the host's high-resolution performance counter.

#include <cstdint>
#include <ctime>

namespace Stimora {

/// A count of high-resolution counter ticks. An updated clock is an absolute count (its
/// origin is the counter's); the difference of two clocks is a duration, also a Clock,
/// read in milliseconds with milliseconds(). Plain value type.
class Clock {
public:
    /// Count 0; call update() or assign before reading a time from it.
    Clock() = default;
    /// From a tick count.
    explicit Clock(std::int64_t ticks) : count_(ticks) {}

    /// Sets the count to the counter's current value (one counter read, nothing else);
    /// returns the clock for chaining.
    Clock& update();
    /// A clock holding the counter's current value.
    static Clock now() { return Clock().update(); }

    /// The tick count.
    std::int64_t ticks() const { return count_; }

    /// Sum of the counts; wraps silently.
    Clock operator+(const Clock& other) const;
    /// Difference of the counts (a duration); wraps silently.
    Clock operator-(const Clock& other) const;
    ///@{
    /// Adds or subtracts another count in place; wraps silently.
    Clock& operator+=(const Clock& other);
    Clock& operator-=(const Clock& other);
    ///@}
    ///@{
    /// Compares the tick counts: earlier times are smaller.
    bool operator==(const Clock& other) const { return count_ == other.count_; }
    bool operator!=(const Clock& other) const { return count_ != other.count_; }
    bool operator<(const Clock& other) const { return count_ < other.count_; }
    bool operator>(const Clock& other) const { return count_ > other.count_; }
    bool operator<=(const Clock& other) const { return count_ <= other.count_; }
    bool operator>=(const Clock& other) const { return count_ >= other.count_; }
    ///@}

    /// The count in milliseconds: count / tick rate, divided in extended precision.
    /// Applied to a difference of two clocks, the elapsed time in ms.
    double milliseconds() const;

    /// Start-up step: reads the counter frequency and keeps frequency div 1000 as the tick
    /// rate. Raises Exception(Clock, "HARDWARE NOT SUPPORTED", ...) where the host has no
    /// counter of at least 1000 ticks per second.
    static void initialize();
    /// Counter ticks per millisecond (frequency div 1000, remainder dropped). Read from the
    /// counter on first use when start-up has not set it yet; 0 only without a usable counter.
    static std::int64_t tickRate();
    /// Replaces the tick rate. For start-up and tests only.
    static void setTickRate(std::int64_t ticksPerMillisecond);
    /// Replaces the counter that update() reads (a fake clock for tests); null restores the
    /// platform counter.
    static void setCounterSource(std::int64_t (*source)());
    /// Replaces the frequency (ticks per second) that initialize() reads, for tests; null
    /// restores the platform's.
    static void setFrequencySource(std::int64_t (*source)());
    /// The current counter value, through the replaceable source.
    static std::int64_t counterNow();

private:
    std::int64_t count_ = 0;
};

/// The counter's current value divided by the tick rate, truncated toward zero: whole
/// milliseconds on the counter's own origin. 0 when there is no usable counter.
std::int64_t nowMilliseconds();

/// The current calendar time in whole seconds (time()), through a source tests may replace.
std::time_t calendarTime();
/// The current calendar time as local broken-down time (localtime).
std::tm localCalendarTime();
/// Replaces the calendar time source, for tests; null restores time().
void setCalendarTimeSource(std::time_t (*source)());

} // namespace Stimora
