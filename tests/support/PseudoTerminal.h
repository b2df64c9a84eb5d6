#pragma once

// A pseudo-terminal pair: the framework opens the terminal end by its path as it would a
// serial port, the test holds the other end and plays the device.

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <string>

namespace Stimora::Testing {

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

} // namespace Stimora::Testing
