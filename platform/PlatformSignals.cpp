// Ending in order on a signal: the display mode, gamma ramp and cursor go back to what they
// were, however the process is asked to stop.

#include <csignal>
#include <cstdlib>

#include "APICanvasProperties.h"
#include "Platform.h"
#include "PlatformVideo.h"

namespace Stimora {

namespace {

volatile std::sig_atomic_t pendingStop = 0;
volatile std::sig_atomic_t inFatal = 0;
struct sigaction previous[NSIG];

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int fatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// A stop request is only noted here: releasing a canvas is not safe inside a handler, and
// the next pump step or flip comes within a frame.
extern "C" void noteStop(int signal) {
    pendingStop = signal;
}

// After a fault nothing is safe, but leaving the desktop in the experiment's mode and ramp is
// worse: undo what can be undone once, then let the signal do what it did before.
extern "C" void undoAndRaise(int signal) {
    if (!inFatal) {
        inFatal = 1;
        APICanvasProperties::restoreDisplays();
    }
    sigaction(signal, &previous[signal], nullptr);
    std::raise(signal);
}

void install(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, &previous[signal]);
}

} // namespace

void platformInstallSignalHandlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (int signal : stopSignals) {
        // A signal the process was started to ignore (nohup, a background job) stays ignored.
        struct sigaction now {};
        sigaction(signal, nullptr, &now);
        if (now.sa_handler != SIG_IGN)
            install(signal, noteStop);
    }
    for (int signal : fatalSignals)
        install(signal, undoAndRaise);
}

void platformHonourSignals() {
    if (pendingStop == 0)
        return;
    const int signal = pendingStop;
    APICanvasProperties::releaseAll();
    std::exit(128 + signal);
}

} // namespace Stimora
