#pragma once

// The platform half of a network marker sender: a UDP socket with one destination. Not part
// of the framework's interface.

#include <cstddef>
#include <cstdint>
#include <string>

namespace Stimora {

/// A UDP socket that sends datagrams to one host and port. Failures raise an Exception
/// attributed to APIUdpSocket ("DEVICE ERROR") naming the destination and the reason.
class APIUdpSocket {
public:
    /// Looks up host (a name or a numeric IPv4 or IPv6 address) once, here.
    APIUdpSocket(const std::string& host, int port);
    /// Closes the socket.
    ~APIUdpSocket();

    APIUdpSocket(const APIUdpSocket&) = delete;
    APIUdpSocket& operator=(const APIUdpSocket&) = delete;

    /// Sends one datagram of n bytes without waiting; before and after are the clock counts
    /// around the call.
    void send(const void* bytes, std::size_t n, std::int64_t& before, std::int64_t& after);
    /// "host:port".
    const std::string& destination() const { return name; }

private:
    std::string name;
    int fd = -1;
    unsigned char address[128] = {};
    unsigned addressLength = 0;
};

} // namespace Stimora
