#pragma once

// The platform half of a serial port: a termios line opened exclusively, writes stamped on the
// clock, and a reader thread that stamps bytes as they arrive. Not part of the framework's
// interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Stimora {

/// How the line is set up, in plain values.
struct SerialLine {
    int baud = 115200;  ///< bits per second; one of the standard rates
    int dataBits = 8;   ///< 5 to 8
    char parity = 'N';  ///< 'N' none, 'E' even, 'O' odd
    int stopBits = 1;   ///< 1 or 2
    char flow = 'N';    ///< 'N' none, 'H' hardware (RTS/CTS), 'S' software (XON/XOFF)
    bool listen = true; ///< start the reader thread
};

/// A byte as it arrived, with the framework clock's count when the reader woke for it.
struct SerialByte {
    std::uint8_t value = 0;   ///< the byte
    std::int64_t counter = 0; ///< clock count of its arrival
};

/// One open serial line. Every failure raises an Exception attributed to APISerialPort
/// ("DEVICE ERROR") that names the path and the system's reason.
class APISerialPort {
public:
    /// Opens path (read and write, no controlling terminal), locks it against every other
    /// opener, sets the line raw with the given settings and starts the reader if asked.
    APISerialPort(const std::string& path, const SerialLine& line);
    /// Stops the reader and closes the line.
    ~APISerialPort();

    APISerialPort(const APISerialPort&) = delete;
    APISerialPort& operator=(const APISerialPort&) = delete;

    /// Hands n bytes to the driver without waiting: before is the clock count just before the
    /// write call, after the count when it returned with every byte taken. A line that takes
    /// no more (full output buffer) or has gone raises an Exception.
    void write(const std::uint8_t* bytes, std::size_t n, std::int64_t& before, std::int64_t& after);
    /// Takes the oldest byte the reader stamped; false when none is waiting.
    bool take(SerialByte& byte);
    /// Bytes the reader could not queue because the queue was full.
    long long dropped() const;
    /// The system error (errno) that stopped the reader, 0 while it runs.
    int readerError() const;
    /// Capacity of the reader's queue, in bytes.
    static std::size_t queueCapacity();
    /// The path the line was opened by.
    const std::string& path() const { return path_; }

private:
    struct Reader;
    std::string path_;
    int fd = -1;
    std::unique_ptr<Reader> reader;
};

/// The system's reason for an error number, and for permission errors a hint naming the group
/// the device files belong to (dialout for serial lines, lp for parallel ports).
std::string platformDeviceReason(int error, const char* group);

} // namespace Stimora
