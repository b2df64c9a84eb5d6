#include "APIUdpSocket.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Platform.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

[[noreturn]] void fail(const std::string& name, const std::string& what) {
    throw Exception(typeid(APIUdpSocket), "DEVICE ERROR", "Network markers to " + name + ": " + what);
}

} // namespace

APIUdpSocket::APIUdpSocket(const std::string& host, int port) : name(host + ":" + std::to_string(port)) {
    if (port < 1 || port > 65535)
        fail(name, "the port must be 1 to 65535.");
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0)
        fail(name, std::string("cannot find the host (") + gai_strerror(status) + ").");
    fd = socket(found->ai_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int error = errno;
    if (fd >= 0 && found->ai_addrlen <= sizeof address) {
        std::memcpy(address, found->ai_addr, found->ai_addrlen);
        addressLength = static_cast<unsigned>(found->ai_addrlen);
    }
    freeaddrinfo(found);
    if (fd < 0)
        fail(name, "no socket (" + std::string(std::strerror(error)) + ").");
}

APIUdpSocket::~APIUdpSocket() {
    ::close(fd);
}

void APIUdpSocket::send(const void* bytes, std::size_t n, std::int64_t& before, std::int64_t& after) {
    before = platformClockCounter();
    // Not connected: a receiver that is not listening yet does not turn later sends into errors.
    const ssize_t sent = sendto(fd, bytes, n, 0, reinterpret_cast<const sockaddr*>(address),
                                static_cast<socklen_t>(addressLength));
    after = platformClockCounter();
    if (sent != static_cast<ssize_t>(n))
        fail(name, "cannot send: " + std::string(std::strerror(errno)) + ".");
}

} // namespace Stimora
