// The parallel port against its ioctl layer: the calls ppdev is given, and its refusals. A
// real port is needed to see the lines change.

#include "devices/ParallelTrigger.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <linux/ppdev.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "APIParallelPort.h"
#include "ExpectException.h"

namespace Stimora::Testing {
namespace {

// A port driver that records what it is asked: "open", "claim", "data 5", ...
std::vector<std::string> calls;
int refuseOpen = 0, refuseClaim = 0, refuseWrite = 0;

int fakeOpen(const char* path, int) {
    calls.push_back(std::string("open ") + path);
    errno = refuseOpen;
    return refuseOpen != 0 ? -1 : 7;
}
int fakeIoctl(int fd, unsigned long request, void* argument) {
    const unsigned char* byte = static_cast<const unsigned char*>(argument);
    const std::string on = " fd " + std::to_string(fd);
    errno = 0;
    if (request == PPEXCL)
        calls.push_back("exclusive" + on);
    else if (request == PPCLAIM)
        calls.push_back("claim" + on), errno = refuseClaim;
    else if (request == PPDATADIR)
        calls.push_back("direction " + std::to_string(*static_cast<const int*>(argument)));
    else if (request == PPWDATA)
        calls.push_back("data " + std::to_string(*byte)), errno = refuseWrite;
    else if (request == PPRELEASE)
        calls.push_back("release" + on);
    return errno != 0 ? -1 : 0;
}
int fakeClose(int fd) {
    calls.push_back("close fd " + std::to_string(fd));
    return 0;
}
const ParallelPortCalls fake{fakeOpen, fakeIoctl, fakeClose};

class ParallelPort : public ::testing::Test {
protected:
    void SetUp() override {
        APIParallelPort::setCalls(&fake);
        calls.clear();
        refuseOpen = refuseClaim = refuseWrite = 0;
    }
    void TearDown() override { APIParallelPort::setCalls(nullptr); }
};

TEST_F(ParallelPort, ClaimsWritesCodesAndReleases) {
    {
        ParallelTrigger trigger("/dev/parport1");
        const Stimora::Trigger::Sent sent = trigger.send(200);
        EXPECT_LE(sent.before, sent.after);
        trigger.send(0);
    }
    EXPECT_EQ(calls,
              (std::vector<std::string>{"open /dev/parport1", "exclusive fd 7", "claim fd 7", "direction 0",
                                        "data 200", "data 0", "release fd 7", "close fd 7"}));
}

TEST_F(ParallelPort, RefusalsNameThePortAndTheReason) {
    refuseOpen = EACCES;
    const std::string forbidden = errorOf([] { ParallelTrigger("/dev/parport0"); });
    EXPECT_NE(forbidden.find("/dev/parport0: cannot open it: Permission denied"), std::string::npos)
        << forbidden;
    EXPECT_NE(forbidden.find("group lp"), std::string::npos) << forbidden;
    refuseOpen = 0;
    refuseClaim = EBUSY;
    const std::string busy = errorOf([] { ParallelTrigger("/dev/parport0"); });
    EXPECT_NE(busy.find("/dev/parport0: busy"), std::string::npos) << busy;
    EXPECT_EQ(calls.back(), "close fd 7");
    refuseClaim = 0;
    ParallelTrigger trigger;
    refuseWrite = ENODEV;
    const std::string gone = errorOf([&] { trigger.send(3); });
    EXPECT_NE(gone.find("cannot write to it: No such device"), std::string::npos) << gone;
}

} // namespace
} // namespace Stimora::Testing
