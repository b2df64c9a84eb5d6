#pragma once

#include <string>

#include "devices/SerialPort.h"
#include "devices/Trigger.h"

namespace Stimora {

/// Trigger codes as single bytes (0 to 255) on a serial line: a USB trigger interface, or an
/// amplifier's serial input. A code's stamps are the write call's: after is when the driver
/// had taken the byte; it reaches the line at the next character time (87 µs at 115200 baud,
/// plus the adapter's USB frame for a USB adapter).
class SerialTrigger : public Trigger {
public:
    /// Opens path at 115200 baud, 8 data bits, no parity, 1 stop bit, not listening.
    explicit SerialTrigger(const std::string& path);
    /// Opens path with the given settings.
    SerialTrigger(const std::string& path, const SerialPort::Settings& settings);
    /// The serial line (to read what the device answers, when opened listening).
    SerialPort& port() { return line; }

protected:
    /// Writes code as one byte.
    Sent write(int code) override;

private:
    SerialPort line;
};

} // namespace Stimora
