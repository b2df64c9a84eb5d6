// The entry point's last-resort handlers: every kind of failure that escapes the main routine
// ends in one notification (its text on standard error where no box can be shown) and
// exit code 0.

#include "EntryPoint.h"

#include <Stimora.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

namespace Stimora {
namespace {

std::string notificationFor(void (*routine)()) {
    setenv("STIMORA_NO_MESSAGE_BOX", "1", 1);
    char name[] = "movingbars";
    char* argv[] = {name, nullptr};
    ::testing::internal::CaptureStderr();
    const int code = runEntryPoint(1, argv, routine);
    const std::string text = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 0);
    return text;
}

TEST(EntryPoint, ExceptionByValueShowsItsText) {
    EXPECT_EQ(notificationFor([] {
                  throw Exception(typeid(Clock), "HARDWARE NOT SUPPORTED",
                                  "This computer does not support high-resolution performance counter.");
              }),
              "Stimora Notification: class Stimora::Clock [HARDWARE NOT SUPPORTED] This computer does not "
              "support high-resolution performance counter.\n");
}

TEST(EntryPoint, MessageOnlyExceptionByPointerShowsAnEmptyKind) {
    // The entry point does not free what it caught; the test keeps it reachable.
    static Exception* const thrown = new Exception("Keyboard.get: unknown key state.");
    EXPECT_EQ(notificationFor([] { throw thrown; }),
              "Stimora Notification: class Stimora::Exception [] Keyboard.get: unknown key state.\n");
}

TEST(EntryPoint, StandardLibraryExceptionsHaveTheirOwnTitle) {
    EXPECT_EQ(notificationFor([] { throw std::out_of_range("invalid vector<T> subscript"); }),
              "Stimora Notification : std lib exception: invalid vector<T> subscript\n");
    EXPECT_EQ(notificationFor([] { throw std::bad_alloc(); }),
              "Stimora Notification : std lib exception: std::bad_alloc\n");
}

TEST(EntryPoint, PlainStringIsShownAsItIs) {
    EXPECT_EQ(notificationFor([] { throw "stopped"; }), "Stimora Notification: stopped\n");
}

TEST(EntryPoint, IntervalAndCanvasErrorValuesAreReportedNotFatal) {
    const std::string interval = notificationFor([] {
        Interval whole;
        whole.lowestInt(); // no finite lower end: raises MINUS_INFINITY
    });
    EXPECT_EQ(interval.rfind("Stimora Notification: class Stimora::Interval [INTERVAL ERROR]", 0), 0u)
        << interval;
    EXPECT_NE(interval.find("type 3"), std::string::npos) << interval;
    const std::string canvas = notificationFor([] { throw Canvas::Error(1); });
    EXPECT_EQ(canvas.rfind("Stimora Notification: class Stimora::Canvas [CANVAS ERROR]", 0), 0u) << canvas;
}

TEST(EntryPoint, AnUnknownExceptionTypeUnwindsAndIsNamed) {
    static bool unwound = false;
    struct Held {
        ~Held() { unwound = true; } // as a canvas on the routine's stack is released
    };
    EXPECT_EQ(notificationFor([] {
                  Held held;
                  throw 42;
              }),
              "Stimora Notification: An exception of an unknown type ended the program.\n");
    EXPECT_TRUE(unwound);
}

TEST(EntryPoint, NothingToReportWhenTheRoutineReturns) {
    EXPECT_EQ(notificationFor([] {}), "");
}

} // namespace
} // namespace Stimora
