#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "devices/Clock.h"

namespace Stimora {

class APIParallelPort;

/// A parallel port's eight data lines, through Linux's ppdev driver (/dev/parport0, ...):
/// claimed for this program alone until destroyed. The device file belongs to the group lp.
/// A port that cannot be opened, is held by another program or the printer driver, refuses
/// permission or goes away raises an Exception naming its path and the system's reason.
class ParallelPort {
public:
    /// When a write happened.
    struct Stamps {
        /// The clock just before the driver was asked to set the lines.
        Clock before;
        /// The clock just after it returned, the lines set.
        Clock after;
    };

    /// Opens and claims path.
    explicit ParallelPort(const std::string& path = "/dev/parport0");
    /// Releases the port.
    ~ParallelPort();

    ParallelPort(const ParallelPort&) = delete;
    ParallelPort& operator=(const ParallelPort&) = delete;

    /// Puts value on the data lines D0 (bit 0) to D7; they hold it until the next write.
    Stamps write(std::uint8_t value);
    /// The path the port was opened by.
    const std::string& path() const;

private:
    std::unique_ptr<APIParallelPort> api;
};

} // namespace Stimora
