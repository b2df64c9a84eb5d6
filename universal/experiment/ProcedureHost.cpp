#include "experiment/ProcedureHost.h"

#include <algorithm>

#include "devices/Mouse.h"
#include "display/Canvas.h"
#include "experiment/VariableList.h"
#include "figures/Group.h"

namespace Stimora {
namespace ExperimentalMethods {

ProcedureHost::ProcedureHost() : console(&globalVariables()) {}

ProcedureHost::~ProcedureHost() {
    Group& group = overlayGroup();
    for (std::size_t i = group.size(); i > 0; --i)
        if (group.getMembers()[i - 1] == &console)
            group.remove(i - 1);
    if (Canvas* canvas = isCanvasTarget()) {
        auto& overlay = canvas->overlay;
        overlay.erase(std::remove(overlay.begin(), overlay.end(), static_cast<Figure*>(&console)),
                      overlay.end());
    }
}

void ProcedureHost::hideConsole(int flag) {
    consoleHidden = flag;
}

void ProcedureHost::setRoutine(Routine routine_) {
    routine = routine_;
    mode = 1;
}

void ProcedureHost::setRoutine(CanvasRoutine canvasRoutine_) {
    canvasRoutine = canvasRoutine_;
    mode = 2;
}

void ProcedureHost::run() {
    if (mode != 1)
        return;
    if (consoleHidden == 0) {
        registerOverlay(console);
        Mouse::showSoftwareCursor();
    }
    if (routine)
        routine();
}

void ProcedureHost::run(Canvas& canvas) {
    if (mode != 2)
        return;
    if (consoleHidden == 0)
        canvas.overlay.push_back(&console);
    Mouse::showSoftwareCursor();
    if (canvasRoutine)
        canvasRoutine(canvas);
}

} // namespace ExperimentalMethods
} // namespace Stimora
