#include "devices/UdpTrigger.h"

#include <climits>
#include <cstdio>

#include "APIUdpSocket.h"

namespace Stimora {

UdpTrigger::UdpTrigger(const std::string& host, int port)
    : Trigger(INT_MAX, false), socket(std::make_unique<APIUdpSocket>(host, port)) {}

UdpTrigger::~UdpTrigger() = default;

Trigger::Sent UdpTrigger::write(int code) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%d", code);
    std::int64_t before = 0, after = 0;
    socket->send(text, static_cast<std::size_t>(n), before, after);
    return Sent{code, Clock(before), Clock(after)};
}

} // namespace Stimora
