#include "application/StartUp.h"

#include "application/ApplicationRecord.h"
#include "devices/Clock.h"
#include "devices/Keyboard.h"
#include "file/Paths.h"
#include "math/Random.h"

namespace Stimora {

namespace {
bool startedUp = false;
} // namespace

void startUp() {
    if (startedUp)
        return;
    initializeRandom();
    ApplicationRecord::instance().initialize();
    Clock::initialize();
    resetInput();
    initializePaths();
    startedUp = true;
}

bool isStartedUp() {
    return startedUp;
}

} // namespace Stimora
