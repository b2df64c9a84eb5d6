// Real X input (xdotool) reaching the key table and the mouse through a canvas window on
// the virtual display: the physical keys behind the key objects, clicks, the cursor, Alt+F4.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "APICanvasProperties.h"
#include "devices/Keyboard.h"
#include "devices/Mouse.h"
#include "display/Display.h"

using namespace Stimora;

namespace {

void xdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Queries until the answer is true or two seconds have passed (X input arrives
// asynchronously); the queries themselves take the messages off the queue.
template <typename Query> bool eventually(Query query) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end)
        if (query())
            return true;
    return false;
}

class RealInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xdotool is not installed";
    }

    void SetUp() override {
        canvas = std::make_unique<APICanvasProperties>(100, 50, 400, 300);
        // The keyboard follows the pointer on a display without a window manager.
        xdotool("mousemove 300 200");
        eventually([] { return Mouse::position() == Point(300, 200, 0); });
        resetInput();
    }

    void tap(const char* key, Keyboard::Key expected) {
        xdotool(std::string("key ") + key);
        EXPECT_TRUE(eventually([&] { return Keyboard::pushed(expected); })) << key;
        EXPECT_TRUE(eventually([&] { return Keyboard::released(expected); })) << key;
    }

    std::unique_ptr<APICanvasProperties> canvas;
};

} // namespace

TEST_F(RealInput, PhysicalKeysReachTheirKeyObjects) {
    tap("a", Keyboard::a);
    tap("z", Keyboard::z);
    tap("5", Keyboard::five);
    tap("0", Keyboard::zero);
    tap("space", Keyboard::space);
    tap("Escape", Keyboard::escape);
    tap("Return", Keyboard::enter);
    tap("Up", Keyboard::up);
    tap("Left", Keyboard::left);
    tap("comma", Keyboard::comma);
    tap("slash", Keyboard::slash);
    tap("semicolon", Keyboard::key64);
    tap("bracketleft", Keyboard::leftBracket);
    tap("minus", Keyboard::minus);
    tap("KP_Add", Keyboard::padPlus);
    tap("KP_Divide", Keyboard::padDivide);
    tap("Shift_R", Keyboard::shift);
    tap("Control_L", Keyboard::control);
}

TEST_F(RealInput, HeldKeyReadsPressedUntilReleased) {
    xdotool("keydown Shift_L");
    EXPECT_TRUE(eventually([] { return Keyboard::pressed(Keyboard::shift); }));
    EXPECT_TRUE(Keyboard::pressed(Keyboard::shift));
    xdotool("keyup Shift_L");
    EXPECT_TRUE(eventually([] { return !Keyboard::pressed(Keyboard::shift); }));
}

TEST_F(RealInput, ClicksReachTheMouseButtons) {
    xdotool("click 1");
    EXPECT_TRUE(eventually([] { return Mouse::pushed(Mouse::left); }));
    EXPECT_TRUE(eventually([] { return Mouse::released(Mouse::left); }));
    EXPECT_FALSE(Mouse::pressed(Mouse::left));
    xdotool("click 3");
    EXPECT_TRUE(eventually([] { return Mouse::pushed(Mouse::right); }));
    xdotool("click 2");
    EXPECT_TRUE(eventually([] { return Mouse::pushed(Mouse::middle); }));
}

TEST_F(RealInput, CursorIsInScreenPixels) {
    xdotool("mousemove 150 120");
    EXPECT_TRUE(eventually([] { return Mouse::position() == Point(150, 120, 0); }));
    Mouse::setPosition(420, 310);
    EXPECT_TRUE(eventually([] {
        pumpMessage();
        return Mouse::lastPosition() == Point(420, 310, 0);
    })) << Mouse::x()
        << " " << Mouse::y();
}

TEST_F(RealInput, AltF4EndsTheProcessWithCode1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            xdotool("key alt+F4");
            eventually([] { return Keyboard::pushed(Keyboard::escape); });
            std::exit(7);
        },
        ::testing::ExitedWithCode(1), "");
}
