// A serial port over a pseudo-terminal, the test playing the button box on the far end.

#include "devices/SerialPort.h"
#include "devices/ResponseBox.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ExpectException.h"
#include "PseudoTerminal.h"

namespace Stimora::Testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SerialPort, StampsEachButtonAsItArrives) {
    PseudoTerminal box;
    ResponseBox responses(box.path);
    // A loaded machine can hold the terminal's kernel worker back: two more tries then.
    std::vector<double> delays;
    for (int attempt = 0; attempt < (timed ? 3 : 1) && (delays.empty() || delays[197] > 1.0); ++attempt) {
        delays.clear();
        for (int i = 0; i < 200; ++i) {
            const unsigned char button = static_cast<unsigned char>(1 + i % 4);
            const Clock sent = Clock::now();
            ASSERT_EQ(::write(box.far, &button, 1), 1);
            ResponseBox::Press press;
            // Polled at leisure: the stamp is the reader's, and the worker needs the processor.
            for (; !responses.nextPress(press); usleep(200))
                ASSERT_LT((Clock::now() - sent).milliseconds(), 1000.0) << "press " << i << " never came";
            EXPECT_EQ(press.button, button);
            delays.push_back((press.time - sent).milliseconds());
            usleep(2000);
        }
        std::sort(delays.begin(), delays.end());
    }
    expectWithinAMillisecond(delays, "press stamps after the write", timed);
}

TEST(SerialPort, ABurstLosesNothingItDoesNotCount) {
    PseudoTerminal device;
    SerialPort port(device.path);
    std::vector<unsigned char> burst(10000);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<unsigned char>(i * 7 + i / 256);
    for (std::size_t done = 0; done < burst.size();) {
        const ssize_t n = ::write(device.far, burst.data() + done, burst.size() - done);
        ASSERT_GT(n, 0);
        done += static_cast<std::size_t>(n);
    }
    // Nothing is read until the burst is in: the queue keeps the first bytes, counts the rest.
    const std::size_t kept = std::min(burst.size(), SerialPort::queueCapacity());
    for (const Clock start = Clock::now();
         port.droppedBytes() < static_cast<long long>(burst.size() - kept) &&
         (Clock::now() - start).milliseconds() < 5000.0;)
        usleep(1000);
    std::vector<unsigned char> arrived;
    for (SerialPort::Byte byte; port.nextByte(byte);)
        arrived.push_back(byte.value);
    EXPECT_EQ(static_cast<long long>(arrived.size()) + port.droppedBytes(), 10000);
    EXPECT_EQ(port.droppedBytes(), static_cast<long long>(burst.size() - kept));
    EXPECT_TRUE(std::equal(arrived.begin(), arrived.end(), burst.begin()));
}

TEST(SerialPort, RefusesAMissingABusyAndAForbiddenPort) {
    const std::string missing = errorOf([] { SerialPort("/dev/ttyStimoraMissing"); });
    EXPECT_TRUE(contains(missing, "/dev/ttyStimoraMissing") && contains(missing, "No such file or directory"))
        << missing;

    PseudoTerminal device;
    SerialPort holder(device.path);
    const std::string busy = errorOf([&] { SerialPort(device.path); });
    EXPECT_TRUE(contains(busy, device.path) && contains(busy, "busy")) << busy;

    PseudoTerminal locked;
    // Root opens any file: a child that has become nobody meets the refusal instead.
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        if (geteuid() != 0)
            chmod(locked.path.c_str(), 0);
        const std::string refused = errorOf([&] { SerialPort(locked.path); });
        std::fprintf(stderr, "%s\n", refused.c_str());
        _exit(contains(refused, locked.path) && contains(refused, "Permission denied") &&
                      contains(refused, "dialout")
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(SerialPort, APortClosedUnderTheReaderRaisesOnTheNextUse) {
    PseudoTerminal device;
    SerialPort port(device.path);
    ASSERT_EQ(::write(device.far, "\x05", 1), 1);
    device.hangUp();
    SerialPort::Byte byte;
    const Clock start = Clock::now();
    std::string error;
    while (error.empty() && (Clock::now() - start).milliseconds() < 2000.0)
        error = errorOf([&] { port.nextByte(byte); });
    EXPECT_TRUE(contains(error, device.path) && contains(error, "Input/output error")) << error;
    const std::string written = errorOf([&] { port.write(std::uint8_t{1}); });
    EXPECT_TRUE(contains(written, device.path) && contains(written, "cannot write")) << written;
}

} // namespace
} // namespace Stimora::Testing
