#pragma once

// Synthetic input for the framework's own tests: each call queues the event the hardware
// would produce, so the pump and the key table are exercised as they are in use.
// Works without a window or a display.

namespace Stimora {

/// Queues a key-down or key-up of the physical key that carries the virtual-key code
/// (0x41 the A key, 0x10 the left Shift, ...); alt marks the Alt modifier as held.
void platformPostKeyEvent(int virtualKey, bool down, bool alt = false);
/// Queues a mouse button event: 0 left, 1 right, 2 middle.
void platformPostButtonEvent(int button, bool down);
/// Queues a quit request, as closing the session would.
void platformPostQuit();
/// Drops every queued event and releases every key in the key table.
void platformDiscardInput();
/// Number of events waiting in the queue.
int platformPendingEvents();

} // namespace Stimora
