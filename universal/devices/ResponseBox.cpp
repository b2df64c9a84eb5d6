#include "devices/ResponseBox.h"

namespace Stimora {

namespace {

SerialPort::Settings listening(SerialPort::Settings settings) {
    settings.listen = true;
    return settings;
}

} // namespace

ResponseBox::ResponseBox(const std::string& path) : line(path) {}

ResponseBox::ResponseBox(const std::string& path, SerialPort::Settings settings)
    : line(path, listening(settings)) {}

bool ResponseBox::nextPress(Press& press) {
    SerialPort::Byte byte;
    if (!line.nextByte(byte))
        return false;
    press.button = byte.value;
    press.time = byte.time;
    return true;
}

} // namespace Stimora
