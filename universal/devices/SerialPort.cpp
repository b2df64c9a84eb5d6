#include "devices/SerialPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "APISerialPort.h"
#include "base/Exception.h"

namespace Stimora {

namespace {

SerialLine lineOf(const SerialPort::Settings& s) {
    SerialLine line;
    line.baud = s.baud;
    line.dataBits = s.dataBits;
    line.parity = s.parity == SerialPort::Parity::even  ? 'E'
                  : s.parity == SerialPort::Parity::odd ? 'O'
                                                        : 'N';
    line.stopBits = s.stopBits;
    line.flow = s.flow == SerialPort::FlowControl::hardware   ? 'H'
                : s.flow == SerialPort::FlowControl::software ? 'S'
                                                              : 'N';
    line.listen = s.listen;
    return line;
}

} // namespace

SerialPort::SerialPort(const std::string& path) : SerialPort(path, Settings()) {}

SerialPort::SerialPort(const std::string& path, const Settings& settings)
    : api(std::make_unique<APISerialPort>(path, lineOf(settings))) {}

SerialPort::~SerialPort() {
    if (droppedBytes() > 0)
        std::fprintf(stderr, "Serial port %s: %lld bytes were lost because they were not read in time.\n",
                     path().c_str(), droppedBytes());
}

SerialPort::Stamps SerialPort::write(const void* bytes, std::size_t n) {
    std::int64_t before = 0, after = 0;
    api->write(static_cast<const std::uint8_t*>(bytes), n, before, after);
    return Stamps{Clock(before), Clock(after)};
}

SerialPort::Stamps SerialPort::write(std::uint8_t byte) {
    return write(&byte, 1);
}

bool SerialPort::nextByte(Byte& byte) {
    SerialByte arrived;
    if (api->take(arrived)) {
        byte.value = arrived.value;
        byte.time = Clock(arrived.counter);
        return true;
    }
    if (const int error = api->readerError())
        throw Exception(typeid(SerialPort), "DEVICE ERROR",
                        "Serial port " + path() + " stopped: " + std::strerror(error) +
                            " (was the device unplugged?).");
    return false;
}

void SerialPort::clearBytes() {
    SerialByte arrived;
    while (api->take(arrived)) {
    }
}

long long SerialPort::droppedBytes() const {
    return api->dropped();
}

std::size_t SerialPort::queueCapacity() {
    return APISerialPort::queueCapacity();
}

const std::string& SerialPort::path() const {
    return api->path();
}

} // namespace Stimora
