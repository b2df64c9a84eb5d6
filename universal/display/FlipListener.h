#pragma once

#include "devices/Clock.h"

namespace Stimora {

class FrameLog;

/// A device whose work is tied to a canvas's flips: a sound scheduled for a frame's onset, a
/// trigger code sent as the frame appears. A canvas calls its listeners on the experiment's
/// thread inside every flip; both calls must be quick and must not throw.
class FlipListener {
public:
    virtual ~FlipListener() = default;
    /// Called as a flip begins, before the overlay is drawn and the previous frame's hold is
    /// waited out: predictedOnset is when the new frame should appear, on the refresh grid
    /// the canvas keeps (the previous onset plus its hold, or the next refresh after now when
    /// that is already past).
    virtual void beforeSwap(Clock predictedOnset) noexcept { (void)predictedOnset; }
    /// Called as soon as the swap has returned: onset is the frame's onset estimate (the one
    /// the frame log records), log the canvas's frame log, on or off, to mark this flip in.
    virtual void afterSwap(Clock onset, FrameLog& log) noexcept {
        (void)onset;
        (void)log;
    }
};

} // namespace Stimora
