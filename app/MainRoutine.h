#pragma once

namespace Stimora {

/// Builds the console host and the full-screen canvas and runs the moving-bar routine on it.
void mainRoutine();

} // namespace Stimora
