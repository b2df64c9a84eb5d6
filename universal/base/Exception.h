#pragma once

#include <string>
#include <typeinfo>

namespace Stimora {

/// The framework's error value: the class that raised it, a short upper-case kind
/// ("SIZE ERROR", "API ERROR", ...) and a sentence explaining the failure.
/// Raised by value, or (for misuse detected deep in a call) as a pointer to a new one.
class Exception {
public:
    ///@{
    /// Message-only form; the thrower is Exception itself.
    explicit Exception(const char* message);
    explicit Exception(const std::string& message);
    ///@}
    ///@{
    /// Raised by the class thrower (typeid), with a kind such as "SIZE ERROR" and a message;
    /// parts left out are empty.
    explicit Exception(const std::type_info& thrower);
    Exception(const std::type_info& thrower, const char* kind);
    Exception(const std::type_info& thrower, const std::string& kind);
    Exception(const std::type_info& thrower, const char* kind, const char* message);
    Exception(const std::type_info& thrower, const std::string& kind, const std::string& message);
    ///@}

    /// "class Stimora::Clock [HARDWARE NOT SUPPORTED] This computer does not ..."
    std::string text() const;

    /// The raising class.
    const std::type_info& thrower() const { return *thrower_; }
    /// The kind of error, such as "SIZE ERROR" (may be empty).
    const std::string& kind() const { return kind_; }
    /// What went wrong, for the user (may be empty).
    const std::string& message() const { return message_; }

private:
    const std::type_info* thrower_;
    std::string kind_;
    std::string message_;
};

/// The demangled, namespace-qualified name of a type ("Stimora::Clock").
std::string qualifiedTypeName(const std::type_info& type);

} // namespace Stimora
