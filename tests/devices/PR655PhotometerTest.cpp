#include <gtest/gtest.h>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/Exception.h"
#include "devices/PR655Photometer.h"

using namespace Stimora;

namespace {

// The instrument's end of a pseudo-terminal, played by the test: each command ("PHOTO", or
// one ending in CR) gets the next scripted answer; an empty answer is silence.
struct Device {
    int master = -1, slave = -1;
    std::string path;
    std::thread player;
    explicit Device(std::vector<std::string> answers) {
        char name[256];
        EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        player = std::thread([this, answers] {
            std::string command;
            std::size_t next = 0;
            char c;
            while (next < answers.size() && read(master, &c, 1) == 1) {
                command += c;
                if (command.find("PHOTO") == std::string::npos && c != '\r')
                    continue;
                command.clear();
                const std::string& a = answers[next++];
                if (!a.empty() && write(master, a.data(), a.size()) != static_cast<ssize_t>(a.size()))
                    return;
            }
        });
    }
    ~Device() {
        close(slave); // ends the player's read
        player.join();
        close(master);
    }
};

std::string failure(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return "";
}

} // namespace

TEST(PR655Photometer, ReadsAndRefusesWhatIsNoReading) {
    Device device({" REMOTE MODE\r\n", "00000,0,4.2500e+01,0.3127,0.3290\r\n", "\x01\x02garbage\r\n",
                   "00018,0,1.0e+00,0.3,0.3\r\n", ""});
    PR655Photometer meter(device.path, 300);
    EXPECT_DOUBLE_EQ(meter.measure(), 42.5);

    std::string e = failure([&] { meter.measure(); });
    EXPECT_NE(e.find("answered no measurement"), std::string::npos) << e;
    EXPECT_NE(e.find(device.path), std::string::npos) << e;
    EXPECT_EQ(e.find('\n'), std::string::npos) << e;

    e = failure([&] { meter.measure(); });
    EXPECT_NE(e.find("reported error 00018"), std::string::npos) << e;

    // Silence: the reading times out, and the message says so on one line.
    e = failure([&] { meter.measure(); });
    EXPECT_NE(e.find("no answer within 300 ms"), std::string::npos) << e;
    EXPECT_EQ(e.find('\n'), std::string::npos) << e;
}

TEST(PR655Photometer, NeedsTheRemoteModeGreeting) {
    Device device({"hello\r\n"});
    const std::string e = failure([&] { PR655Photometer(device.path, 300); });
    EXPECT_NE(e.find("instead of entering remote mode"), std::string::npos) << e;
    Device silent({""});
    EXPECT_NE(failure([&] { PR655Photometer(silent.path, 200); }).find("no answer"), std::string::npos);
}
