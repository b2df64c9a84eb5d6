#include "MainRoutine.h"

#include "MovingBarRoutine.h"
#include "ScreenMode.h"

#include <Stimora.h>

#include <cstdlib>

namespace Stimora {

void mainRoutine() {
    ExperimentalMethods::ProcedureHost host;
    Canvas canvas(screenWidth, screenHeight, 32, screenRefreshRate, Display::primary());
    host.hideConsole(0);
    host.setRoutine(movingBarRoutine);
    // STIMORA_FRAME_LOG=<path> keeps a log of up to an hour of frames at 60 Hz and saves it
    // after Escape; the timing summary goes to standard error.
    const char* logPath = std::getenv("STIMORA_FRAME_LOG");
    if (logPath && *logPath)
        canvas.startFrameLog(60 * 60 * 60);
    host.run(canvas);
    if (logPath && *logPath)
        canvas.saveFrameLog(logPath);
    // The canvas goes first (it restores the display), then the host: reverse order of construction.
}

} // namespace Stimora
