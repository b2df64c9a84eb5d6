#include "experiment/Demo.h"

#include "display/Canvas.h"

#include <algorithm>

namespace Stimora {
namespace ExperimentalMethods {

Demo::Demo() : console(&independentVariables) {}

Demo::~Demo() {
    if (Canvas* canvas = isCanvasTarget()) {
        Figure* self = &console;
        std::vector<Figure*>& overlay = canvas->overlay;
        overlay.erase(std::remove(overlay.begin(), overlay.end(), self), overlay.end());
    }
}

void Demo::prepare() {
    declareVariables();
    for (Variable* variable : independentVariables) {
        const int levels = variable->levelCount();
        if (levels > 1)
            variable->setLevel(levels / 2); // the upper of the two middle levels when even
        else if (levels == 1)
            variable->setLevel(0);
    }
    if (Canvas* canvas = isCanvasTarget())
        canvas->overlay.push_back(&console);
}

void Demo::runTrials() {
    runTrial();
}

void Demo::finish() {
    saveResults();
    afterSave();
}

void Demo::saveResults() {}

} // namespace ExperimentalMethods
} // namespace Stimora
