#include "devices/PR655Photometer.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <typeinfo>

#include "base/Exception.h"
#include "devices/SerialPort.h"

namespace Stimora {

namespace {

// An answer fit for a one-line message: printable characters only, at most 60 of them.
std::string shown(const std::string& answer) {
    std::string out;
    for (char c : answer)
        out += c >= 32 && c < 127 ? c : '?';
    return out.size() > 60 ? out.substr(0, 60) + "..." : out;
}

} // namespace

PR655Photometer::PR655Photometer(const std::string& device, int timeoutMs)
    : port(new SerialPort(device,
                          [] {
                              SerialPort::Settings s;
                              s.baud = 9600;
                              return s;
                          }())),
      timeout(timeoutMs) {
    send("PHOTO");
    const std::string greeting = receiveLine();
    if (greeting.find("REMOTE MODE") == std::string::npos)
        throw Exception(typeid(PR655Photometer), "DEVICE ERROR",
                        "Photometer on " + device + ": answered \"" + shown(greeting) +
                            "\" instead of entering remote mode.");
}

PR655Photometer::~PR655Photometer() {
    try {
        send("Q");
    } catch (const Exception&) {
        // Closing anyway: the instrument leaves remote mode when its line drops.
    }
}

void PR655Photometer::send(const char* command) {
    // Whatever came unasked belongs to no answer of ours.
    port->clearBytes();
    pending.clear();
    port->write(command, std::strlen(command));
}

std::string PR655Photometer::receiveLine() {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeout);
    SerialPort::Byte byte;
    for (;;) {
        while (port->nextByte(byte)) {
            const char c = static_cast<char>(byte.value);
            if (c != '\r' && c != '\n') {
                if (pending.size() < 4096)
                    pending += c;
            } else if (!pending.empty()) {
                std::string line;
                line.swap(pending);
                return line;
            }
        }
        // The port's own thread stamps and queues the bytes; this side only collects them.
        if (Steady::now() >= deadline)
            throw Exception(
                typeid(PR655Photometer), "DEVICE ERROR",
                "Photometer on " + port->path() + ": no answer within " + std::to_string(timeout) + " ms" +
                    (pending.empty() ? "." : " (received \"" + shown(pending) + "\" without a line end)."));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

double PR655Photometer::measure() {
    send("M1\r");
    const std::string answer = receiveLine();
    // qqqqq,U,Y.YYYe+ee,x.xxxx,y.yyyy
    const std::size_t c1 = answer.find(','), c2 = c1 == std::string::npos ? c1 : answer.find(',', c1 + 1);
    const std::size_t c3 = c2 == std::string::npos ? c2 : answer.find(',', c2 + 1);
    auto garbage = [&](const std::string& why) {
        return Exception(typeid(PR655Photometer), "DEVICE ERROR",
                         "Photometer on " + port->path() + ": " + why + " \"" + shown(answer) + "\".");
    };
    if (c2 == std::string::npos)
        throw garbage("answered no measurement:");
    const std::string status = answer.substr(0, c1);
    if (status.empty() || status.find_first_not_of("0123456789") != std::string::npos)
        throw garbage("answered no measurement:");
    if (std::strtol(status.c_str(), nullptr, 10) != 0)
        throw garbage("reported error " + status + ":");
    const std::string field =
        answer.substr(c2 + 1, c3 == std::string::npos ? std::string::npos : c3 - c2 - 1);
    char* end = nullptr;
    const double y = std::strtod(field.c_str(), &end);
    if (field.empty() || end != field.c_str() + field.size() || !std::isfinite(y) || y < 0.0)
        throw garbage("answered a luminance that is no number:");
    return y;
}

std::string PR655Photometer::describe() const {
    return "PR-655/670 on " + port->path();
}

} // namespace Stimora
