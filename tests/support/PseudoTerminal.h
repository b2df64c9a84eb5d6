#pragma once

// A pseudo-terminal pair: the framework opens the terminal end by its path as it would a
// serial port, the test holds the other end and plays the device.

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace Stimora::Testing {

// Sanitized builds run too slowly for their times to mean anything: they check the rest.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool timed = false;
#else
constexpr bool timed = true;
#endif

struct PseudoTerminal {
    int far = -1;     ///< the device's end, held by the test
    int near = -1;    ///< the terminal end, held open so that the far end never reads a hang-up
    std::string path; ///< the terminal end's path (/dev/pts/N)

    PseudoTerminal() {
        char name[128] = {};
        if (openpty(&far, &near, name, nullptr, nullptr) != 0)
            ADD_FAILURE() << "openpty failed";
        path = name;
    }
    ~PseudoTerminal() {
        hangUp();
        ::close(near);
    }
    /// Closes the device's end: the terminal end reads and writes an error from then on.
    void hangUp() {
        if (far >= 0)
            ::close(far);
        far = -1;
    }
};

/// Sorts 200 delays (ms), prints their median, 99th percentile and maximum after what, and
/// checks them: none negative and, where timed, median and 99th percentile within 1 ms.
inline void expectWithinAMillisecond(std::vector<double>& delays, const char* what, bool timed) {
    ASSERT_EQ(delays.size(), 200u);
    std::sort(delays.begin(), delays.end());
    std::printf("%s: median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n", what, delays[100], delays[197],
                delays.back());
    EXPECT_GE(delays.front(), 0.0);
    if (timed) {
        EXPECT_LE(delays[100], 1.0);
        EXPECT_LE(delays[197], 1.0);
    }
}

} // namespace Stimora::Testing
