#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "devices/Clock.h"

namespace Stimora {

class APISerialPort;

/// A serial line (a USB adapter, a trigger interface that presents as one, a button box),
/// opened by path and held exclusively until destroyed. Writes report the clock just before
/// the bytes were handed to the driver and just after it took them all (the write call's
/// return: the driver sends them on at the line's rate without making the program wait).
/// Bytes coming in are stamped on the clock by a thread of the port's own as they arrive and
/// queued for the experiment, which takes them with nextByte, as Keyboard::nextEvent does for
/// keys. A port that cannot be opened, is busy, refuses permission or goes away raises an
/// Exception naming its path and the system's reason.
class SerialPort {
public:
    /// Parity bit.
    enum class Parity { none, even, odd };
    /// Flow control.
    enum class FlowControl {
        none,     ///< the line always sends
        hardware, ///< RTS/CTS
        software, ///< XON/XOFF
    };
    /// How the line is set up.
    struct Settings {
        int baud = 115200;                    ///< bits per second (a standard rate)
        int dataBits = 8;                     ///< 5 to 8
        Parity parity = Parity::none;         ///< parity bit
        int stopBits = 1;                     ///< 1 or 2
        FlowControl flow = FlowControl::none; ///< flow control
        bool listen = true;                   ///< stamp and queue incoming bytes
    };
    /// A byte as it arrived.
    struct Byte {
        /// The byte.
        std::uint8_t value = 0;
        /// When the port's thread woke for it; minus getLastFlipTime() of the stimulus frame,
        /// a response time. Bytes that arrived together share a stamp.
        Clock time;
    };
    /// When a write happened.
    struct Stamps {
        /// The clock just before the bytes were handed to the driver.
        Clock before;
        /// The clock just after the driver had taken them all.
        Clock after;
    };

    /// Opens path at 115200 baud, 8 data bits, no parity, 1 stop bit, no flow control.
    explicit SerialPort(const std::string& path);
    /// Opens path with the given settings.
    SerialPort(const std::string& path, const Settings& settings);
    /// Closes the port; reports on standard error any bytes that were lost because the queue
    /// was full.
    ~SerialPort();

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    /// Writes n bytes at once.
    Stamps write(const void* bytes, std::size_t n);
    /// Writes one byte.
    Stamps write(std::uint8_t byte);
    /// Takes the oldest byte that arrived into byte; false when none is waiting. Once the
    /// waiting bytes are taken, a port whose device went away raises its Exception here.
    bool nextByte(Byte& byte);
    /// Drops every byte that has arrived so far.
    void clearBytes();
    /// Bytes lost since the port opened because the queue (queueCapacity() bytes) was full:
    /// non-zero means the experiment left bytes unread too long.
    long long droppedBytes() const;
    /// How many bytes the queue holds.
    static std::size_t queueCapacity();
    /// The path the port was opened by.
    const std::string& path() const;

private:
    std::unique_ptr<APISerialPort> api;
};

} // namespace Stimora
