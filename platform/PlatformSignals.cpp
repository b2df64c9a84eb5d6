// Ending in order on a signal. A stop request (Ctrl-C, SIGTERM, SIGHUP) releases every canvas
// at the next frame; a fault, or a second request, ends the process at once and leaves the
// display to the gamma guardian, which runs in a process of its own.

#include <csignal>
#include <cstdlib>

#include <unistd.h>

#include "APICanvasProperties.h"
#include "GammaGuardian.h"
#include "Platform.h"
#include "PlatformVideo.h"

namespace Stimora {

namespace {

volatile std::sig_atomic_t pendingStop = 0;
volatile std::sig_atomic_t openCanvases = 0;
volatile std::sig_atomic_t waitingOnUser = 0;
struct sigaction previous[NSIG];

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int fatalSignals[] = {SIGSEGV, SIGBUS,  SIGFPE, SIGILL,  SIGABRT,
                                SIGQUIT, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ};

// Only async-signal-safe calls from here on.
void say(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0')
        ++length;
    if (write(2, text, length) < 0)
        return;
}

bool ownHandler(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) != 0 ? action.sa_sigaction != nullptr
                                               : action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN;
}

// The application's own handler, installed before ours, still hears its signal.
void chain(int signal, siginfo_t* info, void* context) {
    const struct sigaction& before = previous[signal];
    if (!ownHandler(before))
        return;
    if ((before.sa_flags & SA_SIGINFO) != 0)
        before.sa_sigaction(signal, info, context);
    else
        before.sa_handler(signal);
}

extern "C" void onStop(int signal, siginfo_t* info, void* context) {
    if (openCanvases == 0) {
        // Nothing to put back: the signal does what it did before the framework was here.
        sigaction(signal, &previous[signal], nullptr);
        raise(signal);
        return;
    }
    chain(signal, info, context);
    if (waitingOnUser != 0) {
        // No frame comes while a box waits: end now, as a frame would; the guardian restores.
        GammaGuardian::release();
        _exit(128 + signal);
    }
    if (pendingStop == 0) {
        // Releasing a canvas is not safe in a handler; the next pump step or flip does it.
        pendingStop = signal;
        return;
    }
    // Asked twice: the experiment is not reaching a frame. End now; the guardian restores.
    alarm(2);
    say("Stimora: stopped at once by a second signal.\n");
    GammaGuardian::release();
    _exit(128 + pendingStop);
}

// After a fault nothing in the process can be trusted, not even the allocator's or Xlib's
// locks: hand the display to the guardian, then let the signal do what it did before. The
// alarm ends a handler further down the chain that hangs.
extern "C" void onFatal(int signal, siginfo_t*, void*) {
    alarm(5);
    GammaGuardian::release();
    sigaction(signal, &previous[signal], nullptr);
    raise(signal);
}

void install(int signal, void (*handler)(int, siginfo_t*, void*), bool keepPrevious) {
    struct sigaction action {};
    action.sa_sigaction = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_SIGINFO;
    sigaction(signal, &action, keepPrevious ? &previous[signal] : nullptr);
}

// A stop signal the process was started to ignore (nohup, a background job) stays ignored;
// one whose handler went back after acting with no canvas open gets ours again.
void installStopHandlers() {
    for (int signal : stopSignals) {
        struct sigaction now {};
        sigaction(signal, nullptr, &now);
        const bool ours = (now.sa_flags & SA_SIGINFO) != 0 && now.sa_sigaction == onStop;
        if (!ours && now.sa_handler != SIG_IGN)
            install(signal, onStop, true);
    }
}

} // namespace

void platformInstallSignalHandlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    installStopHandlers();
    for (int signal : fatalSignals)
        install(signal, onFatal, true);
}

void platformWaitingOnUser(bool waiting) {
    waitingOnUser = waiting ? 1 : 0;
}

void platformCanvasOpened() {
    installStopHandlers();
    openCanvases = openCanvases + 1;
}

void platformCanvasClosed() {
    if (openCanvases > 0)
        openCanvases = openCanvases - 1;
}

void platformHonourSignals() {
    if (pendingStop == 0)
        return;
    const int signal = pendingStop;
    APICanvasProperties::releaseAll();
    std::exit(128 + signal);
}

} // namespace Stimora
