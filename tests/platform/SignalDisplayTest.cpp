// A full-screen canvas with a gamma of 2.0 loads the ramp onto the display's output (read
// back from the X server), and a process ended by SIGTERM or SIGINT puts it back before it
// exits with 128 + the signal; one ended by a fault puts it back before the fault ends it.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "Display.h"
#include "application/StartUp.h"
#include "display/Canvas.h"

// Last: Xlib's macros (None, Status) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

// The child ends through exit() with SDL's and the driver's memory still held, as any program
// killed mid-run does; that is not a leak of the code under test.
extern "C" int __lsan_is_turned_off() {
    return getenv("STIMORA_SIGNAL_CHILD") != nullptr;
}

namespace Stimora {
namespace {

// The red ramp of the first output that shows anything, as the X server holds it; with
// identity, first loads the identity ramp there (a virtual display starts with none set).
// The test keeps its connection open throughout: an X server with no client left resets.
std::vector<unsigned short> serverRamp(::Display* x, bool identity = false) {
    std::vector<unsigned short> red;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, DefaultRootWindow(x));
    for (int i = 0; resources && i < resources->ncrtc && red.empty(); ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(x, resources, resources->crtcs[i]);
        if (info && info->mode != None) {
            XRRCrtcGamma* gamma = XRRGetCrtcGamma(x, resources->crtcs[i]);
            for (int j = 0; identity && j < gamma->size; ++j)
                gamma->red[j] = gamma->green[j] = gamma->blue[j] =
                    static_cast<unsigned short>(j * 65535 / (gamma->size - 1));
            if (identity) {
                XRRSetCrtcGamma(x, resources->crtcs[i], gamma);
                XSync(x, False);
            }
            red.assign(gamma->red, gamma->red + gamma->size);
            XRRFreeGamma(gamma);
        }
        if (info)
            XRRFreeCrtcInfo(info);
    }
    if (resources)
        XRRFreeScreenResources(resources);
    return red;
}

TEST(Signals, StoppingAndFatalSignalsRestoreTheRamp) {
    ::Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    const std::vector<unsigned short> before = serverRamp(x, true);
    ASSERT_GT(before.size(), 1u) << "no RandR output on this display";
    for (int signal : {SIGTERM, SIGINT, SIGSEGV}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            setenv("STIMORA_SIGNAL_CHILD", "1", 1);
            std::signal(signal, SIG_DFL); // a background job may have been started ignoring SIGINT
            startUp();
            Canvas canvas(Canvas::fullscreen, Display::primary());
            canvas.setGammaValue(2.0, 2.0, 2.0);
            if (write(ready[1], "!", 1) != 1)
                _exit(2);
            for (;;)
                canvas.flip();
        }
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1) << "the child never loaded its ramp";
        const std::vector<unsigned short> loaded = serverRamp(x);
        ASSERT_EQ(loaded.size(), before.size());
        const std::size_t middle = loaded.size() / 2;
        EXPECT_GT(loaded[middle], before[middle] + 1000) << "gamma 2.0 did not reach the output";
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (signal == SIGSEGV) // a fault: undone, then the signal acts as before and ends the process
            EXPECT_TRUE(WIFSIGNALED(status)) << "status " << status;
        else
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << "status " << status;
        EXPECT_EQ(serverRamp(x), before) << "ramp left on the output after signal " << signal;
        close(ready[0]);
        close(ready[1]);
    }
    XCloseDisplay(x);
}

} // namespace
} // namespace Stimora
