#pragma once

#include <optional>
#include <string>

#include "base/Exception.h"
#include "devices/Clock.h"
#include "display/FlipListener.h"

namespace Stimora {

/// Event codes for a recording (EEG, MEG, eye tracking): a byte on a serial or parallel port,
/// or a network marker. send writes a code now; sendAtFlip writes it as soon as the swap of
/// the canvas's next flip has returned, that is, as the frame appears, and marks the frame log
/// with the code, the write time and the flip (kind "trigger"). For that the trigger listens
/// to the canvas: canvas.addFlipListener(trigger), and removeFlipListener before the trigger
/// is destroyed.
///
/// With a pulse width, a port's lines go back to 0 once a code has stood that long. The reset
/// never delays a frame: it is done at a flip, just before the frame is waited out or just
/// after its swap, the first at which the width has passed. A code therefore stands its width
/// rounded up to the flips the program makes; a width shorter than a frame returns the lines
/// to 0 before the next frame's code, so that a repeated code is seen twice. Resets are marked
/// "trigger reset" in the frame log.
///
/// A write that fails at a flip (a device unplugged) is marked "trigger failed", and the flip
/// and those after it go on; the next send or sendAtFlip raises its Exception.
class Trigger : public FlipListener {
public:
    /// A code that went out.
    struct Sent {
        /// The code.
        int code = 0;
        /// The clock just before the write.
        Clock before;
        /// The clock just after the device had taken it.
        Clock after;
    };
    /// Codes one flip can carry.
    static constexpr int codesPerFlip = 16;

    ~Trigger() override;

    /// Writes code now (0 .. maxCode()). Raises the failure of a write made at a flip, if
    /// there was one, or this write's.
    Sent send(int code);
    /// Writes code right after the next flip's swap; codes given for one flip go out in order.
    /// Raises an earlier flip's write failure, and refuses a code out of range or more than
    /// codesPerFlip for one flip.
    Trigger& sendAtFlip(int code);
    /// Sets how long a code stands before the lines return to 0, in ms; 0 (the default) leaves
    /// them at the code. Network markers have no lines: they ignore it.
    Trigger& setPulseWidth(double ms);
    /// The pulse width in ms.
    double getPulseWidth() const { return pulseWidth; }
    /// Returns the lines to 0 when the latest code has stood its pulse width; true when it did.
    /// Flips call it; a program that sends without flipping may call it itself.
    bool update();
    /// The latest code that went out (code 0 and zero stamps before the first).
    const Sent& lastSent() const { return latest; }
    /// The highest code the device can carry.
    int maxCode() const { return highest; }

    /// Resets the lines when the pulse width has passed.
    void beforeSwap(Clock predictedOnset) noexcept override;
    /// Resets the lines when due, then writes the codes given for this flip and marks them.
    void afterSwap(Clock onset, FrameLog& log) noexcept override;

protected:
    /// A trigger whose codes run from 0 to highest; holdsLines for ports whose lines keep a
    /// code until the next (a pulse width applies).
    Trigger(int highest, bool holdsLines);
    /// Writes one code to the device, raising an Exception when it fails.
    virtual Sent write(int code) = 0;

private:
    void check(int code, const char* operation);
    bool resetIfDue() noexcept;

    int codes[codesPerFlip] = {};
    int pending = 0;
    int highest;
    bool holdsLines;
    double pulseWidth = 0.0;
    bool up = false;
    Sent latest;
    std::optional<Sent> reset;
    std::optional<Exception> failure;
};

} // namespace Stimora
