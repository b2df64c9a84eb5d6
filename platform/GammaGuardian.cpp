#include "GammaGuardian.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Stimora {

namespace {

// Our end of the socket; -1 before the guardian starts and after release().
volatile std::sig_atomic_t channel = -1;
// The guardian's connection, kept reachable here (the guardian alone uses it).
::Display* guardianConnection = nullptr;

struct Message {
    std::uint32_t kind; // hold or drop
    std::uint32_t crtc;
    std::uint32_t entries; // 16-bit ramp entries that follow a hold
};
constexpr std::uint32_t holdRamp = 1, dropRamp = 2;

bool sendAll(int fd, const void* data, std::size_t length) {
    const char* at = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t sent = send(fd, at, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        at += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

// True when all length bytes came; false at the end of the stream, even part-way through.
bool readAll(int fd, void* data, std::size_t length) {
    char* at = static_cast<char*>(data);
    while (length > 0) {
        const ssize_t got = read(fd, at, length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

extern "C" int lostServer(::Display*) {
    _exit(3);
}

struct Held {
    RRCrtc crtc;
    std::vector<unsigned short> ramp;
};

// The guardian's whole life. It runs in a fork of a process that may have other threads, so
// it touches nothing the experiment's threads could have held: it has its own X connection,
// opened before the fork, and glibc's allocator is safe after fork.
[[noreturn]] void guard(::Display* x, int fd) {
    // Out of the terminal's process group: the Ctrl-C that stops the experiment must not stop
    // the guardian before it has done its work.
    setsid();
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            std::signal(signal, SIG_DFL);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU})
        std::signal(signal, SIG_IGN);
    // Nothing of the experiment's stays open here but standard error: a pipe the guardian
    // held would keep whoever reads it waiting.
    rlimit files{};
    const int top = getrlimit(RLIMIT_NOFILE, &files) == 0
                        ? static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536))
                        : 1024;
    for (int other = 0; other < top; ++other)
        if (other != fd && other != 2 && other != ConnectionNumber(x))
            close(other);
    XSetIOErrorHandler(lostServer);

    std::vector<Held> held;
    for (Message message{}; readAll(fd, &message, sizeof message);) {
        auto found =
            std::find_if(held.begin(), held.end(), [&](const Held& h) { return h.crtc == message.crtc; });
        if (message.kind == dropRamp) {
            if (found != held.end())
                held.erase(found);
            continue;
        }
        std::vector<unsigned short> ramp(message.entries);
        if (message.kind != holdRamp || message.entries % 3 != 0 ||
            !readAll(fd, ramp.data(), ramp.size() * sizeof(unsigned short)))
            break;
        if (found != held.end())
            found->ramp = std::move(ramp);
        else
            held.push_back({message.crtc, std::move(ramp)});
    }
    // The experiment has ended, or is ending: a dead server or a hung one must not keep the
    // guardian alive.
    alarm(5);
    for (const Held& h : held) {
        const int size = static_cast<int>(h.ramp.size() / 3);
        if (XRRCrtcGamma* gamma = XRRAllocGamma(size)) {
            std::copy_n(h.ramp.begin(), size, gamma->red);
            std::copy_n(h.ramp.begin() + size, size, gamma->green);
            std::copy_n(h.ramp.begin() + 2 * size, size, gamma->blue);
            XRRSetCrtcGamma(x, h.crtc, gamma);
            XRRFreeGamma(gamma);
        }
    }
    XSync(x, False);
    _exit(0);
}

bool start(const std::string& displayName) {
    ::Display* x = XOpenDisplay(displayName.c_str());
    int event = 0, error = 0;
    if (x == nullptr || !XRRQueryExtension(x, &event, &error)) {
        std::fprintf(stderr,
                     "Stimora: no guardian for the gamma ramp (cannot reach display \"%s\"); a crash "
                     "would leave the experiment's ramp on the screen.\n",
                     displayName.c_str());
        if (x != nullptr)
            XCloseDisplay(x);
        return false;
    }
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        XCloseDisplay(x);
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        guard(x, ends[1]);
    }
    // The guardian's connection is its own from now on: only our copy of the socket goes.
    close(ConnectionNumber(x));
    guardianConnection = x;
    close(ends[1]);
    if (pid < 0) {
        std::fprintf(stderr, "Stimora: no guardian for the gamma ramp (%s).\n", std::strerror(errno));
        close(ends[0]);
        return false;
    }
    channel = ends[0];
    return true;
}

} // namespace

bool GammaGuardian::hold(const std::string& displayName, unsigned long crtc,
                         const std::vector<std::uint16_t>& ramp) {
    if (channel < 0 && !start(displayName))
        return false;
    const Message message{holdRamp, static_cast<std::uint32_t>(crtc),
                          static_cast<std::uint32_t>(ramp.size())};
    return sendAll(channel, &message, sizeof message) &&
           sendAll(channel, ramp.data(), ramp.size() * sizeof(std::uint16_t));
}

void GammaGuardian::drop(unsigned long crtc) {
    if (channel < 0)
        return;
    const Message message{dropRamp, static_cast<std::uint32_t>(crtc), 0};
    sendAll(channel, &message, sizeof message);
}

void GammaGuardian::release() noexcept {
    const int fd = channel;
    channel = -1;
    if (fd >= 0)
        close(fd);
}

} // namespace Stimora
