#pragma once

// Key and button transitions stamped on the clock as they reach the program, by a thread of
// its own with its own connection to the X server (XInput 2 raw events). The frame loop may
// be drawing, waiting in glFinish or swapping: the stamp does not wait for it. Not part of the
// framework's interface.

#include "Platform.h"

namespace Stimora {

/// The stamping thread. It allocates nothing of its own in its loop and takes no lock the
/// frame loop holds; transitions reach the frame loop through bounded rings.
class InputStamper {
public:
    /// Starts the thread once per process on the named X display. False where the server has
    /// no XInput 2, or its key codes are not the Linux ones (evdev): then the window system's
    /// own events are stamped as the frame loop reads them.
    static bool start(const char* displayName);
    /// Whether the thread stamps real input.
    static bool running();
    /// Takes the oldest transition the thread stamped: a key (key true) or a button.
    static bool take(InputTransition& transition, bool key);
    /// Transitions the thread could not hand over because its ring was full.
    static long long dropped(bool key);
};

} // namespace Stimora
