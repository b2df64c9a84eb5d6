#include "devices/ParallelPort.h"

#include "APIParallelPort.h"

namespace Stimora {

ParallelPort::ParallelPort(const std::string& path) : api(std::make_unique<APIParallelPort>(path)) {}

ParallelPort::~ParallelPort() = default;

ParallelPort::Stamps ParallelPort::write(std::uint8_t value) {
    std::int64_t before = 0, after = 0;
    api->write(value, before, after);
    return Stamps{Clock(before), Clock(after)};
}

const std::string& ParallelPort::path() const {
    return api->path();
}

} // namespace Stimora
