#include "devices/SerialTrigger.h"

namespace Stimora {

namespace {

SerialPort::Settings writeOnly() {
    SerialPort::Settings settings;
    settings.listen = false;
    return settings;
}

} // namespace

SerialTrigger::SerialTrigger(const std::string& path) : Trigger(255, true), line(path, writeOnly()) {}

SerialTrigger::SerialTrigger(const std::string& path, const SerialPort::Settings& settings)
    : Trigger(255, true), line(path, settings) {}

Trigger::Sent SerialTrigger::write(int code) {
    const SerialPort::Stamps stamps = line.write(static_cast<std::uint8_t>(code));
    return Sent{code, stamps.before, stamps.after};
}

} // namespace Stimora
