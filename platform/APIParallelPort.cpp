#include "APIParallelPort.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "APISerialPort.h"
#include "Platform.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

int systemOpen(const char* path, int flags) {
    return ::open(path, flags);
}

int systemIoctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}

const ParallelPortCalls systemCalls{systemOpen, systemIoctl, ::close};
const ParallelPortCalls* calls = &systemCalls;

[[noreturn]] void fail(const std::string& path, const std::string& what) {
    throw Exception(typeid(APIParallelPort), "DEVICE ERROR", "Parallel port " + path + ": " + what);
}

} // namespace

void APIParallelPort::setCalls(const ParallelPortCalls* replacement) {
    calls = replacement != nullptr ? replacement : &systemCalls;
}

APIParallelPort::APIParallelPort(const std::string& path) : path_(path) {
    fd = calls->open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        fail(path, "cannot open it: " + platformDeviceReason(errno, "lp") + ".");
    int forward = 0;
    // PPEXCL asks that no other driver share the port while it is claimed; the claim then
    // fails with EBUSY where one holds it (the printer driver lp, another program).
    if (calls->ioctl(fd, PPEXCL, nullptr) != 0 || calls->ioctl(fd, PPCLAIM, nullptr) != 0) {
        const int error = errno;
        calls->close(fd);
        fail(path, error == EBUSY ? "busy: another program or the printer driver holds it (" +
                                        std::string(std::strerror(error)) + ")."
                                  : "cannot claim it: " + platformDeviceReason(error, "lp") + ".");
    }
    if (calls->ioctl(fd, PPDATADIR, &forward) != 0) {
        const int error = errno;
        calls->ioctl(fd, PPRELEASE, nullptr);
        calls->close(fd);
        fail(path, "cannot drive its data lines: " + std::string(std::strerror(error)) + ".");
    }
}

APIParallelPort::~APIParallelPort() {
    calls->ioctl(fd, PPRELEASE, nullptr);
    calls->close(fd);
}

void APIParallelPort::write(std::uint8_t value, std::int64_t& before, std::int64_t& after) {
    unsigned char data = value;
    before = platformClockCounter();
    if (calls->ioctl(fd, PPWDATA, &data) != 0)
        fail(path_,
             "cannot write to it: " + std::string(std::strerror(errno)) + " (was the device removed?).");
    after = platformClockCounter();
}

} // namespace Stimora
