#pragma once

#include <string>

#include "devices/ParallelPort.h"
#include "devices/Trigger.h"

namespace Stimora {

/// Trigger codes (0 to 255) on a parallel port's data lines, which hold a code until the next:
/// set a pulse width for amplifiers that look for a change. The stamps are the driver call's:
/// the lines are set when it returns.
class ParallelTrigger : public Trigger {
public:
    /// Opens and claims path (/dev/parport0, ...).
    explicit ParallelTrigger(const std::string& path = "/dev/parport0");
    /// The port.
    ParallelPort& port() { return lines; }

protected:
    /// Puts code on the data lines.
    Sent write(int code) override;

private:
    ParallelPort lines;
};

} // namespace Stimora
