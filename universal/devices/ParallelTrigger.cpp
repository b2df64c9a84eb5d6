#include "devices/ParallelTrigger.h"

namespace Stimora {

ParallelTrigger::ParallelTrigger(const std::string& path) : Trigger(255, true), lines(path) {}

Trigger::Sent ParallelTrigger::write(int code) {
    const ParallelPort::Stamps stamps = lines.write(static_cast<std::uint8_t>(code));
    return Sent{code, stamps.before, stamps.after};
}

} // namespace Stimora
