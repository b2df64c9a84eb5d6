#include "SwapStamps.h"
#include "GLCheck.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include <cstring>
#include <ctime>

#include "Platform.h"

namespace Stimora {

const char* SwapStamps::start() {
    waitForSbc = nullptr;
    ::Display* display = glXGetCurrentDisplay();
    const char* extensions =
        display != nullptr ? glXQueryExtensionsString(display, DefaultScreen(display)) : nullptr;
    if (extensions != nullptr && std::strstr(extensions, "GLX_OML_sync_control") != nullptr)
        waitForSbc = reinterpret_cast<WaitForSbc>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXWaitForSbcOML")));
    return waitForSbc != nullptr ? "the driver's swap time stamps (GLX_OML_sync_control)"
                                 : "the swap's completion (glFinish after the swap)";
}

std::int64_t SwapStamps::waitForSwap() {
    std::int64_t ust = 0, msc = 0, sbc = 0;
    if (waitForSbc == nullptr ||
        !waitForSbc(glXGetCurrentDisplay(), glXGetCurrentDrawable(), 0, &ust, &msc, &sbc) || ust <= 0) {
        glCheck(glFinish());
        return 0;
    }
    // The stamp is in microseconds of CLOCK_MONOTONIC; the framework's counter runs on its own
    // origin. Both are read together, and the stamp taken back from now.
    timespec monotonic{};
    clock_gettime(CLOCK_MONOTONIC, &monotonic);
    const std::int64_t counter = platformCounter();
    const double ago =
        static_cast<double>(monotonic.tv_sec) * 1e6 + monotonic.tv_nsec / 1e3 - static_cast<double>(ust);
    // A stamp from the future or from more than a second ago is not this swap's.
    if (ago < 0.0 || ago > 1e6) {
        glCheck(glFinish());
        return 0;
    }
    return counter - static_cast<std::int64_t>(ago * 1e-6 * static_cast<double>(platformCounterFrequency()));
}

} // namespace Stimora
