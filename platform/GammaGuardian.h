#pragma once

// A process of its own that puts the desktop's gamma ramps back when the experiment ends,
// whatever way it ends: a fault, a hang ended with kill -9, or a normal exit. The X server
// keeps a loaded ramp after its client dies, so without it a crashed experiment would leave
// the monitor miscalibrated for whoever uses it next. Not part of the framework's interface.

#include <cstdint>
#include <string>
#include <vector>

namespace Stimora {

/// The guardian is forked at the first ramp it is handed. It holds its own connection to the
/// X server and the other end of a socket; when the experiment's end closes (the process
/// ended, or release() was called), it loads every ramp it still holds and exits.
class GammaGuardian {
public:
    /// Hands over the desktop's ramp of a CRTC (3 x size entries, as the server holds it),
    /// to be put back if the experiment ends without doing so itself. False, with the reason
    /// on standard error, where no guardian can run.
    static bool hold(const std::string& displayName, unsigned long crtc,
                     const std::vector<std::uint16_t>& ramp);
    /// The experiment has put the CRTC's desktop ramp back itself.
    static void drop(unsigned long crtc);
    /// The experiment is ending now: the guardian restores what it holds at once.
    /// Async-signal-safe.
    static void release() noexcept;
};

} // namespace Stimora
