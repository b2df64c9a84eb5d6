#pragma once

#include <memory>
#include <string>

#include "devices/Trigger.h"

namespace Stimora {

class APIUdpSocket;

/// Trigger codes as network markers for recording software that takes them: one UDP datagram
/// per code, holding the code as decimal text ("17"). Codes run from 0 to 2^31 - 1; a marker
/// is an event, not a line level, so the pulse width does not apply. The stamps are the send
/// call's: the datagram is in the system's network stack when it returns.
class UdpTrigger : public Trigger {
public:
    /// Sends to host (a name or a numeric address) at port.
    UdpTrigger(const std::string& host, int port);
    ~UdpTrigger() override;

protected:
    /// Sends code as one datagram.
    Sent write(int code) override;

private:
    std::unique_ptr<APIUdpSocket> socket;
};

} // namespace Stimora
