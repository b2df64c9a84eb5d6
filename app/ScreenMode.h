#pragma once

// The display mode the experiment is built for; the main routine asks the canvas for it and
// the moving-bar routine computes its geometry and its displayed rate from it.
namespace Stimora {
constexpr int screenWidth = 1024;
constexpr int screenHeight = 768;
constexpr double screenRefreshRate = 60.0;
} // namespace Stimora
