#pragma once

#include <memory>
#include <string>

#include "devices/Photometer.h"

namespace Stimora {

class SerialPort;

/// A Photo Research SpectraScan PR-655 or PR-670 spectroradiometer on a serial line, in its
/// remote mode. The protocol is documented in the "PR-655/PR-670 SpectraScan User Manual"
/// (Photo Research / JADAK), appendix "Remote Mode": "PHOTO" enters remote mode and the
/// instrument answers "REMOTE MODE"; "M1" followed by CR measures and answers with one line
/// "qqqqq,U,Y.YYYe+ee,x.xxxx,y.yyyy", the status (00000: no error), the units code, the
/// photometric brightness Y and the CIE 1931 chromaticity x, y; "Q" leaves remote mode. The
/// instrument must be set to metric units, so that Y is a luminance in cd/m².
class PR655Photometer : public Photometer {
public:
    /// Opens device (9600 baud, 8N1, through SerialPort) and enters remote mode. Raises an
    /// Exception "DEVICE ERROR" of one line naming the device when the line cannot be opened,
    /// or the instrument gives no answer within timeoutMs or one that is not the greeting.
    explicit PR655Photometer(const std::string& device, int timeoutMs = 30000);
    /// Leaves remote mode (as best it can) and closes the line.
    ~PR655Photometer() override;
    /// Measures once (M1) and returns Y. Raises "DEVICE ERROR" naming the device on a timeout,
    /// an error status, or an answer that is no measurement (shown, cut to 60 characters).
    double measure() override;
    /// "PR-655/670 on <device>".
    std::string describe() const override;

private:
    /// The next line the instrument sends, without CR / LF, within the time limit.
    std::string receiveLine();
    /// Sends a command as it is.
    void send(const char* command);

    std::unique_ptr<SerialPort> port;
    int timeout;
    std::string pending;
};

} // namespace Stimora
