#pragma once

#include <string>

namespace Stimora {

/// A serial line opened raw (8 data bits, no parity, 1 stop bit, no flow control) through
/// termios, for instruments that answer commands with lines of text. Owns the descriptor.
class SerialLine {
public:
    /// Opens device at baud (one of the standard rates). Raises an Exception "DEVICE ERROR"
    /// naming the device when it cannot be opened or set up.
    SerialLine(const std::string& device, int baud);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    /// Sends text as it is. Raises "DEVICE ERROR" when the line refuses it.
    void send(const std::string& text);
    /// The next line received, without its CR / LF, waiting at most timeoutMs milliseconds for
    /// it to be complete. Raises "DEVICE ERROR" naming the device on a timeout (with what came
    /// so far) or a read error. A line longer than 4096 characters is an error too.
    std::string receiveLine(int timeoutMs);
    /// Discards whatever was received and not read yet.
    void discardInput();
    /// The device path.
    const std::string& device() const { return path; }

private:
    std::string path;
    int fd = -1;
    std::string pending;
};

} // namespace Stimora
