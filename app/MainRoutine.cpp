#include "MainRoutine.h"

#include "MovingBarRoutine.h"
#include "ScreenMode.h"

#include <Stimora.h>

namespace Stimora {

void mainRoutine() {
    ExperimentalMethods::ProcedureHost host;
    Canvas canvas(screenWidth, screenHeight, 32, screenRefreshRate, Display::primary());
    host.hideConsole(0);
    host.setRoutine(movingBarRoutine);
    host.run(canvas);
    // The canvas goes first (it restores the display), then the host: reverse order of construction.
}

} // namespace Stimora
