// However an experiment ends (a stop signal, a fault in the allocator or inside Xlib, kill -9,
// two Ctrl-C while no frame comes), the desktop's gamma ramp is back on the output within 2 s,
// read from the X server; canvases sharing an output hand the ramp on in the right order.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Platform.h"
#include "application/StartUp.h"
#include "display/Canvas.h"
#include "display/Display.h"
#include "figures/Rectangle.h"

// Last: Xlib's macros (None, Status) would clash with the names above.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

// The child ends with SDL's and the driver's memory still held, as any program killed mid-run
// does; that is not a leak of the code under test.
extern "C" int __lsan_is_turned_off() {
    return getenv("STIMORA_SIGNAL_CHILD") != nullptr;
}

namespace Stimora {
namespace {

using Seconds = std::chrono::duration<double>;

// The red ramp of the first output that shows anything, as the X server holds it; with
// identity, first loads the identity ramp there (a virtual display starts with none set).
std::vector<unsigned short> serverRamp(::Display* x, bool identity = false) {
    std::vector<unsigned short> red;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, DefaultRootWindow(x));
    for (int i = 0; resources && i < resources->ncrtc && red.empty(); ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(x, resources, resources->crtcs[i]);
        if (info && info->mode != None) {
            XRRCrtcGamma* gamma = XRRGetCrtcGamma(x, resources->crtcs[i]);
            for (int j = 0; identity && j < gamma->size; ++j)
                gamma->red[j] = gamma->green[j] = gamma->blue[j] =
                    static_cast<unsigned short>(j * 65535 / (gamma->size - 1));
            if (identity) {
                XRRSetCrtcGamma(x, resources->crtcs[i], gamma);
                XSync(x, False);
            }
            red.assign(gamma->red, gamma->red + gamma->size);
            XRRFreeGamma(gamma);
        }
        if (info)
            XRRFreeCrtcInfo(info);
    }
    if (resources)
        XRRFreeScreenResources(resources);
    return red;
}

// The middle entry a ramp of gamma g has (0 for the desktop's identity ramp).
int middleOf(const std::vector<unsigned short>& ramp) {
    return ramp[ramp.size() / 2];
}
int middleFor(double g, std::size_t size) {
    return static_cast<int>(std::pow((size / 2) / (size - 1.0), 1.0 / g) * 65535.0);
}

// A child process that runs body; body calls step() to let the test look, and goes on when
// the test says so.
class Child {
public:
    explicit Child(const std::function<void(const std::function<void()>&)>& body) {
        if (pipe(up) != 0 || pipe(down) != 0)
            std::abort();
        pid = fork();
        if (pid == 0) {
            setenv("STIMORA_SIGNAL_CHILD", "1", 1);
            setenv("STIMORA_SIMULATED_REFRESH", "1000", 1);
            for (int s : {SIGINT, SIGTERM}) // a background job may have been started ignoring them
                std::signal(s, SIG_DFL);
            startUp();
            body([this] {
                char byte = 0;
                if (write(up[1], "!", 1) != 1 || read(down[0], &byte, 1) != 1)
                    _exit(2);
            });
            _exit(0);
        }
    }
    ~Child() {
        for (int fd : {up[0], up[1], down[0], down[1]})
            close(fd);
    }
    bool reached() {
        char byte = 0;
        return read(up[0], &byte, 1) == 1;
    }
    void proceed() { ASSERT_EQ(write(down[1], "!", 1), 1); }
    // The status it ended with, and how long after this call.
    int end(double& after) {
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        waitpid(pid, &status, 0);
        after = Seconds(std::chrono::steady_clock::now() - start).count();
        return status;
    }
    pid_t pid = 0;

private:
    int up[2] = {-1, -1}, down[2] = {-1, -1};
};

class Signals : public ::testing::Test {
protected:
    // One connection for every test: an X server with no client left resets.
    static void SetUpTestSuite() { x = XOpenDisplay(nullptr); }
    static void TearDownTestSuite() {
        if (x != nullptr)
            XCloseDisplay(x);
    }
    void SetUp() override {
        ASSERT_NE(x, nullptr);
        desktop = serverRamp(x, true);
        ASSERT_GT(desktop.size(), 1u) << "no RandR output on this display";
    }
    // Whether the desktop's ramp is on the output within 2 s.
    bool desktopBack() {
        const auto start = std::chrono::steady_clock::now();
        while (serverRamp(x) != desktop) {
            if (Seconds(std::chrono::steady_clock::now() - start).count() > 2.0)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    void expectGamma(double g, const char* when) {
        const std::vector<unsigned short> now = serverRamp(x);
        EXPECT_NEAR(middleOf(now), middleFor(g, now.size()), 2) << when;
    }
    static ::Display* x;
    std::vector<unsigned short> desktop;
};
::Display* Signals::x = nullptr;

// A canvas with gamma 2.0 that then meets its end.
void calibratedCanvas(const std::function<void()>& step, const std::function<void(Canvas&)>& end) {
    Canvas canvas(Canvas::fullscreen, Display::primary());
    canvas.setGammaValue(2.0, 2.0, 2.0);
    step();
    end(canvas);
}

TEST_F(Signals, EveryEndPutsTheDesktopRampBack) {
    const struct {
        const char* name;
        std::function<void(Canvas&)> end;
        int signal; // sent by the test, or 0
    } ends[] = {
        {"SIGTERM",
         [](Canvas& c) {
             for (;;)
                 c.flip();
         },
         SIGTERM},
        {"SIGINT",
         [](Canvas& c) {
             for (;;)
                 c.flip();
         },
         SIGINT},
        {"SIGQUIT",
         [](Canvas& c) {
             for (;;)
                 c.flip();
         },
         SIGQUIT},
        {"kill -9",
         [](Canvas& c) {
             for (;;)
                 c.flip();
         },
         SIGKILL},
        {"double free",
         [](Canvas&) {
             char* volatile block = static_cast<char*>(std::malloc(64));
             std::free(block);
             std::free(block);
         },
         0},
        {"fault holding Xlib's lock",
         [](Canvas&) {
             XLockDisplay(glXGetCurrentDisplay());
             *static_cast<volatile int*>(nullptr) = 1;
         },
         0},
    };
    for (const auto& e : ends) {
        Child child([&](const std::function<void()>& step) { calibratedCanvas(step, e.end); });
        ASSERT_TRUE(child.reached()) << e.name;
        expectGamma(2.0, e.name);
        if (e.signal != 0)
            kill(child.pid, e.signal);
        child.proceed();
        double after = 0;
        const int status = child.end(after);
        if (e.signal == SIGTERM || e.signal == SIGINT)
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + e.signal)
                << e.name << " " << status;
        else // a signal, or the sanitizers' report and exit that come before the fault
            EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0))
                << e.name << " " << status;
        EXPECT_LT(after, 2.0) << e.name;
        EXPECT_TRUE(desktopBack()) << "ramp left on the output after " << e.name;
    }
}

TEST_F(Signals, StopSignalsActAtOnceWithoutACanvasAndASecondOneEndsAStretchWithoutFrames) {
    Child idle([](const std::function<void()>& step) {
        { Canvas canvas(Canvas::fullscreen, Display::primary()); }
        step();
        for (;;)
            pause();
    });
    ASSERT_TRUE(idle.reached());
    kill(idle.pid, SIGTERM);
    double after = 0;
    const int status = idle.end(after);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_LT(after, 0.5);

    Child busy([](const std::function<void()>& step) {
        calibratedCanvas(step, [](Canvas&) {
            const auto start = std::chrono::steady_clock::now();
            while (Seconds(std::chrono::steady_clock::now() - start).count() < 6.0) {
            }
        });
    });
    ASSERT_TRUE(busy.reached());
    busy.proceed();
    kill(busy.pid, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(busy.pid, SIGINT);
    const int twice = busy.end(after);
    EXPECT_TRUE(WIFEXITED(twice) && WEXITSTATUS(twice) == 128 + SIGINT) << twice;
    EXPECT_LT(after, 0.5);
    EXPECT_TRUE(desktopBack());

    // An error box waits for a click no frame will interrupt: SIGTERM ends it at once. SDL shows
    // the box through zenity; a zenity that waits ten seconds stands in for a user who does not
    // click.
    Child boxed([](const std::function<void()>& step) {
        unsetenv("STIMORA_NO_MESSAGE_BOX");
        const std::string folder =
            std::string(std::getenv("STIMORA_TEST_OUTPUT") ? std::getenv("STIMORA_TEST_OUTPUT") : "/tmp");
        std::ofstream(folder + "/zenity") << "#!/bin/sh\nexec sleep 10 >/dev/null 2>&1\n";
        chmod((folder + "/zenity").c_str(), 0755);
        setenv("PATH", (folder + ":" + std::getenv("PATH")).c_str(), 1);
        calibratedCanvas(step, [](Canvas&) { platformMessageBox("Stimora Notification", "waiting"); });
    });
    ASSERT_TRUE(boxed.reached());
    boxed.proceed();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(boxed.pid, SIGTERM);
    const int ended = boxed.end(after);
    EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == 128 + SIGTERM) << ended;
    EXPECT_LT(after, 0.5);
    EXPECT_TRUE(desktopBack());
}

TEST_F(Signals, CanvasesOnOneOutputHandTheRampOnInOrder) {
    Child child([](const std::function<void()>& step) {
        auto open = [](double g, int left) {
            auto canvas = std::make_unique<Canvas>(Rectangle(left, 10, left + 64, 74));
            canvas->setGammaValue(g, g, g);
            return canvas;
        };
        auto a = open(2.0, 10);
        step();
        auto b = open(1.5, 100);
        step();
        b.reset();
        step();
        b = open(1.5, 100);
        step();
        a.reset();
        step();
        b.reset();
        step();
        a = open(2.0, 10);
        b = open(1.5, 100);
        step();
        *static_cast<volatile int*>(nullptr) = 1;
    });
    const struct {
        double gamma; // 1 for the desktop's
        const char* when;
    } steps[] = {{2.0, "A loaded"},       {1.5, "B loaded over A"}, {2.0, "B closed"},     {1.5, "B again"},
                 {1.5, "A closed first"}, {1.0, "both closed"},     {1.5, "A and B again"}};
    for (const auto& s : steps) {
        ASSERT_TRUE(child.reached()) << s.when;
        expectGamma(s.gamma, s.when);
        child.proceed();
    }
    double after = 0;
    child.end(after);
    EXPECT_TRUE(desktopBack()) << "after a fault with two canvases";
}

} // namespace
} // namespace Stimora
