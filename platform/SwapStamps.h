#pragma once

// When a refresh-synchronised swap really completed. Not part of the framework's interface.

#include <cstdint>

namespace Stimora {

/// A driver may queue a swap and return before the frame is on screen, which would make every
/// onset stamp early by up to a refresh. Where the driver stamps its swaps
/// (GLX_OML_sync_control), the stamp is taken from it, mapped onto the framework's counter;
/// elsewhere the swap is waited for with glFinish.
class SwapStamps {
public:
    /// For the current context: finds the driver's swap stamps, and names the onsets' source.
    const char* start();
    /// Waits for the last swap to complete; its onset as a counter value, or 0 where the driver
    /// gave none (the onset is then now).
    std::int64_t waitForSwap();

private:
    using WaitForSbc = int (*)(void*, unsigned long, std::int64_t, std::int64_t*, std::int64_t*,
                               std::int64_t*);
    WaitForSbc waitForSbc = nullptr;
};

} // namespace Stimora
