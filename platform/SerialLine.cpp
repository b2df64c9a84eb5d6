#include "SerialLine.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <typeinfo>
#include <unistd.h>

#include "base/Exception.h"

namespace Stimora {

namespace {

speed_t speedOf(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

} // namespace

SerialLine::SerialLine(const std::string& device, int baud) : path(device) {
    auto fail = [&](const std::string& what, int error) {
        if (fd >= 0)
            close(fd);
        fd = -1;
        throw Exception(typeid(SerialLine), "DEVICE ERROR",
                        "Serial line " + path + ": " + what +
                            (error ? std::string(" (") + std::strerror(error) + ")" : ""));
    };
    const speed_t speed = speedOf(baud);
    if (speed == B0)
        fail(std::to_string(baud) + " baud is no standard rate", 0);
    fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        fail("cannot be opened", errno);
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        fail("is no serial line", errno);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0 || tcsetattr(fd, TCSANOW, &t) != 0)
        fail("cannot be set to " + std::to_string(baud) + " baud 8N1", errno);
}

SerialLine::~SerialLine() {
    if (fd >= 0)
        close(fd);
}

void SerialLine::send(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Exception(typeid(SerialLine), "DEVICE ERROR",
                            "Serial line " + path + ": cannot send (" + std::strerror(errno) + ")");
        done += static_cast<std::size_t>(n);
    }
    tcdrain(fd);
}

std::string SerialLine::receiveLine(int timeoutMs) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t end = pending.find_first_of("\r\n");
        if (end != std::string::npos) {
            std::string line = pending.substr(0, end);
            const std::size_t next = pending.find_first_not_of("\r\n", end);
            pending.erase(0, next == std::string::npos ? pending.size() : next);
            if (!line.empty())
                return line;
            continue;
        }
        if (pending.size() > 4096)
            throw Exception(typeid(SerialLine), "DEVICE ERROR",
                            "Serial line " + path + ": a line of more than 4096 characters arrived.");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        pollfd p{fd, POLLIN, 0};
        const int ready = left > 0 ? poll(&p, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            throw Exception(
                typeid(SerialLine), "DEVICE ERROR",
                "Serial line " + path + ": no answer within " + std::to_string(timeoutMs) + " ms" +
                    (pending.empty() ? "." : " (received \"" + pending + "\" without a line end)."));
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            throw Exception(typeid(SerialLine), "DEVICE ERROR",
                            "Serial line " + path + ": the line closed" +
                                (n < 0 ? std::string(" (") + std::strerror(errno) + ")." : "."));
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

void SerialLine::discardInput() {
    tcflush(fd, TCIFLUSH);
    pending.clear();
}

} // namespace Stimora
