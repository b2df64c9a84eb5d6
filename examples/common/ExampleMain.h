#pragma once

// What every example's main() does with a failure: the framework's errors (by value or by
// pointer) and the standard library's are printed on standard error, and the exit code is 1.

#include <Stimora.h>

#include <cstdio>
#include <exception>

/// Runs body, which returns the program's exit code; returns 1 after printing any failure.
template <class Body> int runExample(Body body) {
    try {
        return body();
    } catch (Stimora::Exception& e) {
        std::fprintf(stderr, "%s\n", e.text().c_str());
    } catch (Stimora::Exception* e) {
        std::fprintf(stderr, "%s\n", e->text().c_str());
        delete e;
    } catch (std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
