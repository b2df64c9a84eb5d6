#include "base/Exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace Stimora {

Exception::Exception(const char* message) : thrower_(&typeid(Exception)), message_(message) {}
Exception::Exception(const std::string& message) : thrower_(&typeid(Exception)), message_(message) {}
Exception::Exception(const std::type_info& thrower) : thrower_(&thrower) {}
Exception::Exception(const std::type_info& thrower, const char* kind) : thrower_(&thrower), kind_(kind) {}
Exception::Exception(const std::type_info& thrower, const std::string& kind)
    : thrower_(&thrower), kind_(kind) {}
Exception::Exception(const std::type_info& thrower, const char* kind, const char* message)
    : thrower_(&thrower), kind_(kind), message_(message) {}
Exception::Exception(const std::type_info& thrower, const std::string& kind, const std::string& message)
    : thrower_(&thrower), kind_(kind), message_(message) {}

std::string Exception::text() const {
    return "class " + qualifiedTypeName(*thrower_) + " [" + kind_ + "] " + message_;
}

std::string qualifiedTypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

} // namespace Stimora
