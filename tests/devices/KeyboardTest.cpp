// Keyboard and mouse state driven by synthetic events through the real pump: one event per
// query, latches, the key table, refused states, Alt+F4 and quit.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "Platform.h"
#include "PlatformTesting.h"
#include "base/Exception.h"
#include "devices/Keyboard.h"
#include "devices/Mouse.h"

using namespace Stimora;

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        platformDiscardInput();
        resetInput();
    }
    void TearDown() override { platformDiscardInput(); }

    // Runs queries on an unrelated key until the queue is empty.
    static void drain() {
        for (int guard = 0; guard < 100 && platformPendingEvents() > 0; ++guard)
            Keyboard::pressed(Keyboard::key60);
    }
};

std::string refusal(bool (*query)(int)) {
    try {
        query(1);
    } catch (Exception* e) {
        std::string text = e->text();
        delete e;
        return text;
    }
    return "no exception";
}

} // namespace

// ---- key table

TEST_F(KeyboardTest, KeyObjectsCarryTheirVirtualKeyCodes) {
    EXPECT_EQ(Keyboard::code(Keyboard::one), 0x31);
    EXPECT_EQ(Keyboard::code(Keyboard::nine), 0x39);
    EXPECT_EQ(Keyboard::code(Keyboard::zero), 0x30);
    EXPECT_EQ(Keyboard::code(Keyboard::a), 0x41);
    EXPECT_EQ(Keyboard::code(Keyboard::m), 0x4D);
    EXPECT_EQ(Keyboard::code(Keyboard::z), 0x5A);
    EXPECT_EQ(Keyboard::code(Keyboard::comma), 0xBC);
    EXPECT_EQ(Keyboard::code(Keyboard::period), 0xBE);
    EXPECT_EQ(Keyboard::code(Keyboard::slash), 0xBF);
    EXPECT_EQ(Keyboard::code(Keyboard::pad0), 0x60);
    EXPECT_EQ(Keyboard::code(Keyboard::pad9), 0x69);
    EXPECT_EQ(Keyboard::code(Keyboard::enter), 0x0D);
    EXPECT_EQ(Keyboard::code(Keyboard::space), 0x20);
    EXPECT_EQ(Keyboard::code(Keyboard::escape), 0x1B);
    EXPECT_EQ(Keyboard::code(Keyboard::up), 0x26);
    EXPECT_EQ(Keyboard::code(Keyboard::down), 0x28);
    EXPECT_EQ(Keyboard::code(Keyboard::left), 0x25);
    EXPECT_EQ(Keyboard::code(Keyboard::right), 0x27);
    EXPECT_EQ(Keyboard::code(Keyboard::shift), 0x10);
    EXPECT_EQ(Keyboard::code(Keyboard::control), 0x11);
    EXPECT_EQ(Keyboard::code(Keyboard::alt), 0x12);
    EXPECT_EQ(Keyboard::code(Keyboard::minus), 0xBD);
    EXPECT_EQ(Keyboard::code(Keyboard::backslash), 0xDC);
    EXPECT_EQ(Keyboard::code(Keyboard::key62), 0x01);
    EXPECT_EQ(Keyboard::code(Keyboard::key63), 0x40);
    EXPECT_EQ(Keyboard::code(Keyboard::key64), 0xBA);
    EXPECT_EQ(Keyboard::code(Keyboard::key65), 0xBA);
    EXPECT_EQ(Keyboard::code(Keyboard::leftBracket), 0xDB);
    EXPECT_EQ(Keyboard::code(Keyboard::rightBracket), 0xDD);
    EXPECT_EQ(Keyboard::code(Keyboard::padPlus), 0x6B);
    EXPECT_EQ(Keyboard::code(Keyboard::padMinus), 0x6D);
    EXPECT_EQ(Keyboard::code(Keyboard::padMultiply), 0x6A);
    EXPECT_EQ(Keyboard::code(Keyboard::padDivide), 0x6F);
}

TEST_F(KeyboardTest, EntriesWithoutAKeyAndOutOfRangeIndicesAreNoKey) {
    for (Keyboard::Key key : {Keyboard::key60, Keyboard::key68, Keyboard::key69, Keyboard::key70,
                              Keyboard::key71, Keyboard::key76, Keyboard::key77})
        EXPECT_EQ(Keyboard::code(key), 0) << key.index;
    EXPECT_EQ(Keyboard::code(Keyboard::Key{-1}), 0);
    EXPECT_EQ(Keyboard::code(Keyboard::Key{Keyboard::keyCount}), 0);
}

TEST_F(KeyboardTest, KeysWithoutACodeAreNeverDown) {
    for (int vk : {0x41, 0x20, 0x10, 0x11, 0x12, 0x1B})
        platformPostKeyEvent(vk, true);
    drain();
    EXPECT_TRUE(Keyboard::pressed(Keyboard::a));
    for (Keyboard::Key key : {Keyboard::key60, Keyboard::key68, Keyboard::key71, Keyboard::key77}) {
        EXPECT_FALSE(Keyboard::pressed(key)) << key.index;
        EXPECT_FALSE(Keyboard::pushed(key)) << key.index;
    }
}

// ---- refused states

TEST_F(KeyboardTest, UnknownStateIsRefusedByPointerBeforeAnyMessageIsTaken) {
    platformPostKeyEvent(0x20, true);
    EXPECT_EQ(refusal([](int s) { return Keyboard::get(Keyboard::space, s); }),
              "class Stimora::Exception [] Keyboard.get: unknown key state.");
    EXPECT_EQ(platformPendingEvents(), 1);
    for (int state : {-1, 4, 100}) {
        try {
            Keyboard::get(Keyboard::space, state);
            ADD_FAILURE() << "state " << state << " accepted";
        } catch (Exception* e) {
            EXPECT_EQ(e->message(), "Keyboard.get: unknown key state.");
            delete e;
        }
    }
}

TEST_F(KeyboardTest, StateValuesAreFixed) {
    EXPECT_EQ(KeyState::pressed, 0);
    EXPECT_EQ(KeyState::pushed, 2);
    EXPECT_EQ(KeyState::released, 3);
}

// ---- one message per query

TEST_F(KeyboardTest, PressAndReleaseBetweenQueriesAreBothSeen) {
    platformPostKeyEvent(0x41, true);
    platformPostKeyEvent(0x41, false);
    // The first query takes the key-down, the second the key-up.
    EXPECT_TRUE(Keyboard::pushed(Keyboard::a));
    EXPECT_TRUE(Keyboard::released(Keyboard::a));
    EXPECT_FALSE(Keyboard::pressed(Keyboard::a));
}

TEST_F(KeyboardTest, KeyReadsHeldAfterTheDownMessageAndUpAfterTheUpMessage) {
    platformPostKeyEvent(0x20, true);
    platformPostKeyEvent(0x20, false);
    EXPECT_TRUE(Keyboard::pressed(Keyboard::space));
    EXPECT_FALSE(Keyboard::pressed(Keyboard::space));
}

TEST_F(KeyboardTest, TwoPushedQueriesForAHeldKeyAnswerOnce) {
    platformPostKeyEvent(0x1B, true);
    EXPECT_TRUE(Keyboard::pushed(Keyboard::escape));
    EXPECT_FALSE(Keyboard::pushed(Keyboard::escape));
    EXPECT_TRUE(Keyboard::pressed(Keyboard::escape));
    EXPECT_FALSE(Keyboard::released(Keyboard::escape));
}

TEST_F(KeyboardTest, LatchesWaitUntilAskedFor) {
    platformPostKeyEvent(0x5A, true);
    platformPostKeyEvent(0x5A, false);
    drain();
    EXPECT_TRUE(Keyboard::pushed(Keyboard::z));
    EXPECT_TRUE(Keyboard::released(Keyboard::z));
    EXPECT_FALSE(Keyboard::pushed(Keyboard::z));
    EXPECT_FALSE(Keyboard::released(Keyboard::z));
}

TEST_F(KeyboardTest, ClearDiscardsLatchesButNotTheHeldState) {
    platformPostKeyEvent(0x0D, true);
    drain();
    Keyboard::clear();
    EXPECT_FALSE(Keyboard::pushed(Keyboard::enter));
    EXPECT_TRUE(Keyboard::pressed(Keyboard::enter));
}

TEST_F(KeyboardTest, UpdatePollsWithoutTakingAMessage) {
    platformPostKeyEvent(0x41, true);
    Keyboard::update();
    EXPECT_EQ(platformPendingEvents(), 1);
    EXPECT_TRUE(Keyboard::pushed(Keyboard::a));
}

TEST_F(KeyboardTest, ResetZeroesTheStateArrays) {
    platformPostKeyEvent(0x41, true);
    platformPostKeyEvent(0x41, false);
    drain();
    Keyboard::reset();
    EXPECT_FALSE(Keyboard::pushed(Keyboard::a));
    EXPECT_FALSE(Keyboard::released(Keyboard::a));
}

TEST_F(KeyboardTest, EitherShiftHoldsShiftUntilBothAreUp) {
    platformPostKeyEvent(0xA0, true); // left
    platformPostKeyEvent(0xA1, true); // right
    platformPostKeyEvent(0xA0, false);
    drain();
    EXPECT_TRUE(Keyboard::pressed(Keyboard::shift));
    platformPostKeyEvent(0xA1, false);
    EXPECT_FALSE(Keyboard::pressed(Keyboard::shift));
    EXPECT_TRUE(Keyboard::released(Keyboard::shift));
}

TEST_F(KeyboardTest, BothEnterKeysAndTheKeypadMapToTheirCodes) {
    const Keyboard::Key keys[] = {Keyboard::pad0,      Keyboard::pad5,        Keyboard::padPlus,
                                  Keyboard::padMinus,  Keyboard::padDivide,   Keyboard::padMultiply,
                                  Keyboard::key64,     Keyboard::leftBracket, Keyboard::rightBracket,
                                  Keyboard::backslash, Keyboard::minus,       Keyboard::comma};
    for (Keyboard::Key key : keys) {
        platformPostKeyEvent(Keyboard::code(key), true);
        EXPECT_TRUE(Keyboard::pushed(key)) << key.index;
        platformPostKeyEvent(Keyboard::code(key), false);
        EXPECT_TRUE(Keyboard::released(key)) << key.index;
    }
}

TEST_F(KeyboardTest, LeftButtonShowsAsKey62) {
    platformPostButtonEvent(0, true);
    EXPECT_TRUE(Keyboard::pressed(Keyboard::key62));
    platformPostButtonEvent(0, false);
    EXPECT_FALSE(Keyboard::pressed(Keyboard::key62));
}

// ---- process end

TEST_F(KeyboardTest, AltF4PostsAQuitThatEndsTheProcessWithCode1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platformPostKeyEvent(0x12, true, true);
            platformPostKeyEvent(0x73, true, true);
            for (int i = 0; i < 10; ++i)
                Keyboard::pressed(Keyboard::space);
            std::exit(7);
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(KeyboardTest, F4WithoutAltDoesNotQuit) {
    platformPostKeyEvent(0x73, true);
    platformPostKeyEvent(0x73, false);
    drain();
    EXPECT_EQ(platformPendingEvents(), 0);
}

TEST_F(KeyboardTest, QuitMessageEndsTheProcessWithCode1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platformPostQuit();
            Mouse::pushed(Mouse::left);
            std::exit(7);
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(KeyboardTest, AFullEventQueueKeepsTheNewestTransitionsAndCountsTheLostOnes) {
    Keyboard::clearEvents();
    const long long before = Keyboard::droppedEvents();
    for (int i = 0; i < 1030; ++i)
        platformPostKeyEvent(0x41 + i % 2, true); // A and B down, alternately
    EXPECT_EQ(Keyboard::droppedEvents() - before, 6);
    Keyboard::Event event;
    ASSERT_TRUE(Keyboard::nextEvent(event));
    EXPECT_EQ(event.code, 0x41 + 6 % 2) << "the oldest kept is the 7th sent";
    int kept = 1;
    while (Keyboard::nextEvent(event))
        ++kept;
    EXPECT_EQ(kept, 1024);
    platformDiscardInput();
}

// ---- mouse

class MouseTest : public KeyboardTest {};

TEST_F(MouseTest, ClickWhileNotQueryingIsPushedOnce) {
    platformPostButtonEvent(0, true);
    platformPostButtonEvent(0, false);
    EXPECT_TRUE(Mouse::pushed(Mouse::left));  // takes the down
    EXPECT_FALSE(Mouse::pushed(Mouse::left)); // takes the up
    EXPECT_FALSE(Mouse::pressed(Mouse::left));
    EXPECT_TRUE(Mouse::released(Mouse::left));
    EXPECT_FALSE(Mouse::released(Mouse::left));
}

TEST_F(MouseTest, ButtonsAreToldApart) {
    platformPostButtonEvent(1, true);
    EXPECT_TRUE(Mouse::pressed(Mouse::right));
    EXPECT_FALSE(Mouse::pressed(Mouse::left));
    EXPECT_FALSE(Mouse::pressed(Mouse::middle));
    platformPostButtonEvent(2, true);
    EXPECT_TRUE(Mouse::pressed(Mouse::middle));
    EXPECT_TRUE(Mouse::pushed(Mouse::right));
    EXPECT_TRUE(Mouse::pushed(Mouse::middle));
    EXPECT_FALSE(Mouse::pushed(Mouse::left));
}

TEST_F(MouseTest, UnknownStateIsRefusedByPointer) {
    EXPECT_EQ(refusal([](int s) { return Mouse::get(Mouse::left, s); }),
              "class Stimora::Exception [] Mouse.get: unknown key state.");
    try {
        Mouse::get(Mouse::middle, 5);
        ADD_FAILURE() << "state 5 accepted";
    } catch (Exception* e) {
        EXPECT_EQ(e->message(), "Mouse.get: unknown key state.");
        delete e;
    }
}

TEST_F(MouseTest, ButtonsOutsideTheThreeAreNeverDown) {
    Mouse::recordButton(3, true);
    Mouse::recordButton(-1, true);
    EXPECT_FALSE(Mouse::pressed(Mouse::Button{3}));
    EXPECT_FALSE(Mouse::pushed(Mouse::Button{-1}));
    EXPECT_FALSE(Mouse::pushed(Mouse::left));
}

TEST_F(MouseTest, ClearZeroesHeldAndLatches) {
    platformPostButtonEvent(0, true);
    Mouse::pressed(Mouse::right);
    Mouse::clear();
    EXPECT_FALSE(Mouse::pressed(Mouse::left));
    EXPECT_FALSE(Mouse::pushed(Mouse::left));
}

TEST_F(MouseTest, SetPositionTruncatesAndStores) {
    EXPECT_EQ(Mouse::setPosition(10.9, -3.7), Point(10, -3, 0));
    EXPECT_EQ(Mouse::lastPosition(), Point(10, -3, 0));
    EXPECT_EQ(Mouse::setX(5.5), Point(5, -3, 0));
    EXPECT_EQ(Mouse::setY(7.99), Point(5, 7, 0));
    EXPECT_EQ(Mouse::x(), 5);
    EXPECT_EQ(Mouse::y(), 7);
}

TEST_F(MouseTest, PositionsNoIntCanHoldStayDefined) {
    const Point p = Mouse::setPosition(std::nan(""), 1e300);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, std::numeric_limits<int>::max());
}

TEST_F(MouseTest, CursorSwitches) {
    Mouse::showSoftwareCursor();
    EXPECT_TRUE(Mouse::softwareCursorShown());
    resetInput();
    EXPECT_FALSE(Mouse::softwareCursorShown());
    Mouse::hideSystemCursor();
    EXPECT_FALSE(Mouse::systemCursorShown());
    Mouse::showSystemCursor();
    EXPECT_TRUE(Mouse::systemCursorShown());
}

TEST_F(MouseTest, ResetInputClearsTheButtons) {
    platformPostButtonEvent(0, true);
    Mouse::pressed(Mouse::right);
    resetInput();
    EXPECT_FALSE(Mouse::pushed(Mouse::left));
    EXPECT_FALSE(Mouse::pressed(Mouse::left));
}
