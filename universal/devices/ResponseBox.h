#pragma once

#include <string>

#include "devices/SerialPort.h"

namespace Stimora {

/// A button box on a serial line that sends one byte per press, the byte naming the button.
/// Presses are stamped on the clock as their bytes arrive, by the port's own thread, so a
/// press during a held frame is timed as well as one between frames: a response time is a
/// press's time minus getLastFlipTime() of the stimulus frame.
class ResponseBox {
public:
    /// A button press as it arrived.
    struct Press {
        /// The byte the box sent for the button (0 to 255).
        int button = 0;
        /// When its byte arrived.
        Clock time;
    };

    /// Opens the box's line at 115200 baud, 8 data bits, no parity, 1 stop bit.
    explicit ResponseBox(const std::string& path);
    /// Opens the box's line with the given settings (it always listens).
    ResponseBox(const std::string& path, SerialPort::Settings settings);

    /// Takes the oldest press into press; false when none is waiting. A box that went away
    /// raises its Exception once its waiting presses are taken.
    bool nextPress(Press& press);
    /// Drops every press that has arrived so far (before a stimulus, so that only answers to
    /// it count).
    void clearPresses() { line.clearBytes(); }
    /// Presses lost because the queue was full since the box opened.
    long long droppedPresses() const { return line.droppedBytes(); }
    /// The serial line, to send the box commands or light its lamps.
    SerialPort& port() { return line; }

private:
    SerialPort line;
};

} // namespace Stimora
