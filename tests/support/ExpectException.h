#pragma once

// Catching what a call raises by value, so that a test can compare its kind, message or text.

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "base/Exception.h"

namespace Stimora::Testing {

/// Runs f and returns the Exception it raised; a test fails when it raises nothing.
inline Exception raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e;
    }
    ADD_FAILURE() << "no Exception raised";
    return Exception("nothing raised");
}

/// The Exception text a call raises ("" when it raises none).
template <class F> std::string errorOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.text();
    }
    return "";
}

} // namespace Stimora::Testing
