#include "devices/Trigger.h"

#include <string>
#include <typeinfo>

#include "display/FrameLog.h"

namespace Stimora {

Trigger::Trigger(int highest_, bool holdsLines_) : highest(highest_), holdsLines(holdsLines_) {}

Trigger::~Trigger() = default;

void Trigger::check(int code, const char* operation) {
    if (failure) {
        Exception raised = *failure;
        failure.reset();
        throw raised;
    }
    if (code < 0 || code > highest)
        throw Exception(typeid(Trigger), "ARGUMENT ERROR",
                        std::string(operation) + ": code " + std::to_string(code) + " is outside 0 to " +
                            std::to_string(highest) + ".");
}

Trigger::Sent Trigger::send(int code) {
    check(code, "Trigger.send");
    latest = write(code);
    up = holdsLines && code != 0;
    return latest;
}

Trigger& Trigger::sendAtFlip(int code) {
    check(code, "Trigger.sendAtFlip");
    if (pending == codesPerFlip)
        throw Exception(typeid(Trigger), "ARGUMENT ERROR",
                        "Trigger.sendAtFlip: one flip carries at most " + std::to_string(codesPerFlip) +
                            " codes.");
    codes[pending++] = code;
    return *this;
}

Trigger& Trigger::setPulseWidth(double ms) {
    if (!(ms >= 0.0))
        throw Exception(typeid(Trigger), "ARGUMENT ERROR",
                        "Trigger.setPulseWidth: the width must be 0 ms or more.");
    pulseWidth = ms;
    return *this;
}

bool Trigger::update() {
    if (failure)
        check(0, "Trigger.update");
    if (!up || pulseWidth <= 0.0 || (Clock::now() - latest.after).milliseconds() < pulseWidth)
        return false;
    reset = write(0);
    up = false;
    return true;
}

bool Trigger::resetIfDue() noexcept {
    try {
        return update();
    } catch (const Exception& e) {
        failure = e;
    } catch (...) {
        failure = Exception(typeid(Trigger), "DEVICE ERROR", "The trigger's device failed.");
    }
    up = false;
    return false;
}

void Trigger::beforeSwap(Clock) noexcept {
    if (!failure)
        resetIfDue();
}

void Trigger::afterSwap(Clock onset, FrameLog& log) noexcept {
    if (failure) {
        pending = 0;
        return;
    }
    resetIfDue();
    if (reset) {
        log.mark("trigger reset", 0,
                 latest.after + Clock(static_cast<std::int64_t>(pulseWidth * Clock::tickRate())),
                 reset->after);
        reset.reset();
    }
    for (int i = 0; i < pending && !failure; ++i) {
        try {
            latest = write(codes[i]);
            up = holdsLines && codes[i] != 0;
            log.mark("trigger", codes[i], onset, latest.after);
            continue;
        } catch (const Exception& e) {
            failure = e;
        } catch (...) {
            failure = Exception(typeid(Trigger), "DEVICE ERROR", "The trigger's device failed.");
        }
        log.mark("trigger failed", codes[i], onset, Clock::now());
        up = false;
    }
    pending = 0;
}

} // namespace Stimora
