// Time and process services of the platform half, on Linux with SDL2.

#include "Platform.h"
#include "PlatformVideo.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace Stimora {

namespace {

// Windows priority classes, kept as the framework's vocabulary.
constexpr unsigned idleClass = 0x40;
constexpr unsigned belowNormalClass = 0x4000;
constexpr unsigned normalClass = 0x20;
constexpr unsigned aboveNormalClass = 0x8000;
constexpr unsigned highClass = 0x80;
constexpr unsigned realtimeClass = 0x100;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::int64_t platformCounter() {
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}

std::int64_t platformCounterFrequency() {
    return static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
}

void platformWaitUntil(std::int64_t target, bool rest) {
    const double ticksPerMs = static_cast<double>(platformCounterFrequency()) / 1000.0;
    const auto quarterMs = static_cast<std::int64_t>(0.25 * ticksPerMs);
    const auto lastMs = static_cast<std::int64_t>(ticksPerMs);
    std::int64_t nextSample = 0;
    for (std::int64_t now = platformCounter(); now < target; now = platformCounter()) {
        if (now >= nextSample) {
            platformSampleInput();
            nextSample = now + quarterMs;
        }
        // Sleep while more than a millisecond is left (a sleep can overrun by tens of
        // microseconds); spin through the last one.
        if (rest && target - now > lastMs) {
            const std::int64_t slice = std::min(quarterMs, target - now - lastMs);
            const timespec pause{0, static_cast<long>(slice / ticksPerMs * 1e6)};
            nanosleep(&pause, nullptr);
        }
    }
}

void platformSetPriorityClass(unsigned priorityClass) {
    int nice = 0;
    switch (priorityClass) {
    case highClass:
        nice = -10;
        break;
    case normalClass:
        nice = 0;
        break;
    case belowNormalClass:
        nice = 5;
        break;
    case idleClass:
        nice = 19;
        break;
    case aboveNormalClass:
        nice = -5;
        break;
    case realtimeClass:
        nice = -20;
        break;
    default:
        return;
    }
    // Raising the priority needs privileges; a refused change leaves the process as it was.
    const int saved = errno;
    setpriority(PRIO_PROCESS, 0, nice);
    errno = saved;
}

unsigned platformGetPriorityClass() {
    const int saved = errno;
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    const bool failed = nice == -1 && errno != 0;
    errno = saved;
    if (failed)
        return normalClass;
    if (nice >= 15)
        return idleClass;
    if (nice > 0)
        return belowNormalClass;
    if (nice == 0)
        return normalClass;
    if (nice > -10)
        return aboveNormalClass;
    if (nice > -20)
        return highClass;
    return realtimeClass;
}

unsigned platformThreadId() {
    return static_cast<unsigned>(syscall(SYS_gettid));
}

std::string platformLastErrorText() {
    return std::strerror(errno);
}

std::string platformExecutablePath() {
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", &buffer[0], buffer.size());
    if (length <= 0)
        return std::string();
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

std::string platformHomeDirectory() {
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid()))
            if (entry->pw_dir)
                home = entry->pw_dir;
    }
    return withoutTrailingSeparators(home);
}

std::string platformConfigDirectory() {
    const std::string configHome = environment("XDG_CONFIG_HOME");
    if (!configHome.empty())
        return withoutTrailingSeparators(configHome);
    const std::string home = platformHomeDirectory();
    return home.empty() ? std::string() : withoutTrailingSeparators(home + "/.config");
}

std::string platformDocumentsDirectory() {
    const std::string home = platformHomeDirectory();
    const std::string config = platformConfigDirectory();
    if (!config.empty()) {
        // Lines such as XDG_DOCUMENTS_DIR="$HOME/Documents", as xdg-user-dirs writes them.
        std::ifstream dirs(config + "/user-dirs.dirs");
        std::string line;
        const std::string key = "XDG_DOCUMENTS_DIR=";
        while (std::getline(dirs, line)) {
            const std::size_t start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
                continue;
            std::string value = line.substr(start + key.size());
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
                value.pop_back();
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            if (value.compare(0, 5, "$HOME") == 0)
                value = home + value.substr(5);
            value = withoutTrailingSeparators(value);
            if (!value.empty())
                return value;
        }
    }
    return home.empty() ? std::string() : home + "/Documents";
}

void platformMessageBox(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
    // Automated runs must never wait on a box nobody can close.
    if (std::getenv("STIMORA_NO_MESSAGE_BOX"))
        return;
    if (environment("DISPLAY").empty() && environment("WAYLAND_DISPLAY").empty())
        return;
    // A stop signal while the box waits acts at once: the frame that would honour it never comes.
    platformWaitingOnUser(true);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), nullptr);
    platformWaitingOnUser(false);
}

namespace {
std::int64_t (*clockCounter)() = nullptr;
std::time_t (*calendarSource)() = nullptr;
} // namespace

std::int64_t platformClockCounter() {
    return clockCounter != nullptr ? clockCounter() : platformCounter();
}

void platformSetClockCounter(std::int64_t (*source)()) {
    clockCounter = source;
}

std::time_t platformCalendarTime() {
    return calendarSource != nullptr ? calendarSource() : std::time(nullptr);
}

void platformSetCalendarTime(std::time_t (*source)()) {
    calendarSource = source;
}

std::tm platformLocalCalendarTime() {
    const std::time_t now = platformCalendarTime();
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace Stimora
