#pragma once

namespace Stimora {

/// The framework's one-time start-up, run by the entry point before the main routine:
/// seeds the random generators from the calendar time, re-initialises the ApplicationRecord,
/// reads the clock's tick rate (raising Exception(Clock, "HARDWARE NOT SUPPORTED", ...)
/// without a high-resolution counter), resets keyboard and mouse state and fills the path
/// tokens. A second call does nothing; a call that raised may be retried.
void startUp();

/// True once startUp() has finished its first run.
bool isStartedUp();

} // namespace Stimora
