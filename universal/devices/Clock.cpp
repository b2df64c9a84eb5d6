#include "devices/Clock.h"

#include "Platform.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

std::int64_t tickRate_ = 0;
std::int64_t (*frequencySource_)() = nullptr;

std::int64_t counterFrequency() {
    return frequencySource_ ? frequencySource_() : platformCounterFrequency();
}

// Two's-complement wrap without signed overflow.
std::int64_t wrapAdd(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t wrapSub(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

} // namespace

std::int64_t Clock::counterNow() {
    return platformClockCounter();
}

Clock& Clock::update() {
    count_ = counterNow();
    return *this;
}

Clock Clock::operator+(const Clock& other) const {
    return Clock(wrapAdd(count_, other.count_));
}
Clock Clock::operator-(const Clock& other) const {
    return Clock(wrapSub(count_, other.count_));
}

Clock& Clock::operator+=(const Clock& other) {
    count_ = wrapAdd(count_, other.count_);
    return *this;
}

Clock& Clock::operator-=(const Clock& other) {
    count_ = wrapSub(count_, other.count_);
    return *this;
}

double Clock::milliseconds() const {
    return static_cast<double>(static_cast<long double>(count_) / static_cast<long double>(tickRate()));
}

void Clock::initialize() {
    const std::int64_t frequency = counterFrequency();
    // A counter slower than 1 kHz would give a tick rate of 0 and divide by zero later.
    if (frequency < 1000)
        throw Exception(typeid(Clock), "HARDWARE NOT SUPPORTED",
                        "This computer does not support high-resolution performance counter.");
    tickRate_ = frequency / 1000;
}

std::int64_t Clock::tickRate() {
    if (tickRate_ == 0) {
        const std::int64_t frequency = counterFrequency();
        if (frequency >= 1000)
            tickRate_ = frequency / 1000;
    }
    return tickRate_;
}

void Clock::setTickRate(std::int64_t ticksPerMillisecond) {
    tickRate_ = ticksPerMillisecond;
}
void Clock::setCounterSource(std::int64_t (*source)()) {
    platformSetClockCounter(source);
}
void Clock::setFrequencySource(std::int64_t (*source)()) {
    frequencySource_ = source;
}

std::int64_t nowMilliseconds() {
    const std::int64_t rate = Clock::tickRate();
    return rate > 0 ? Clock::counterNow() / rate : 0;
}

std::time_t calendarTime() {
    return platformCalendarTime();
}

std::tm localCalendarTime() {
    return platformLocalCalendarTime();
}

void setCalendarTimeSource(std::time_t (*source)()) {
    platformSetCalendarTime(source);
}

} // namespace Stimora
