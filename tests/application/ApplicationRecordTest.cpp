#include "application/ApplicationRecord.h"
#include "Platform.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

using Stimora::ApplicationRecord;

namespace {

int niceValue() {
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

// Priority tests raise the priority back up, which needs privileges.
class PriorityTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "raising the process priority needs root";
    }
    void TearDown() override { setpriority(PRIO_PROCESS, 0, 0); }
};

// Message boxes must not wait for anybody during the tests.
class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("STIMORA_NO_MESSAGE_BOX", "1", 1); }
    void TearDown() override { unsetenv("STIMORA_NO_MESSAGE_BOX"); }
};

} // namespace

TEST(ApplicationRecordTest, InitialisedBeforeMain) {
    const ApplicationRecord& record = ApplicationRecord::instance();
    EXPECT_STREQ(record.windowClassName, "StimoraWindow");
    EXPECT_STREQ(record.applicationTitle, "Stimora Application");
    const unsigned expected[5] = {0x80, 0x20, 0x4000, 0x40, 0x40};
    for (int level = 0; level < 5; ++level)
        EXPECT_EQ(record.priorityClasses[level], expected[level]) << level;
    EXPECT_EQ(record.mainThreadId, static_cast<unsigned>(syscall(SYS_gettid)));
    EXPECT_EQ(&record, &ApplicationRecord::instance());
}

TEST(ApplicationRecordTest, EntryPointArgumentsStayThroughTheDefaultForm) {
    ApplicationRecord& record = ApplicationRecord::instance();
    char program[] = "movingbars", first[] = "--fast", second[] = "two words";
    char* argv[] = {program, first, second, nullptr};
    record.initialize(3, argv);
    EXPECT_EQ(record.commandLine, "--fast two words");
    EXPECT_EQ(record.showWindowCode, 1);
    EXPECT_EQ(record.instanceHandle, nullptr);
    record.windowClassName = "changed";
    record.priorityClasses[2] = 0;
    record.initialize();
    EXPECT_EQ(record.commandLine, "--fast two words");
    EXPECT_STREQ(record.windowClassName, "StimoraWindow");
    EXPECT_EQ(record.priorityClasses[2], 0x4000u);

    int handle = 0;
    record.initialize(&handle, nullptr, "x y", 5);
    EXPECT_EQ(record.instanceHandle, &handle);
    EXPECT_EQ(record.commandLine, "x y");
    EXPECT_EQ(record.showWindowCode, 5);
    record.initialize(nullptr, nullptr, nullptr, 1);
    EXPECT_EQ(record.commandLine, "");
}

TEST_F(PriorityTest, LevelsMapToNiceValues) {
    ApplicationRecord& record = ApplicationRecord::instance();
    record.setPriorityLevel(0);
    EXPECT_EQ(niceValue(), -10);
    EXPECT_EQ(record.getPriorityLevel(), 0);
    record.setPriorityLevel(2);
    EXPECT_EQ(niceValue(), 5);
    EXPECT_EQ(record.getPriorityLevel(), 2);
    record.setPriorityLevel(3);
    EXPECT_EQ(niceValue(), 19);
    EXPECT_EQ(record.getPriorityLevel(), 3);
    record.resetPriority();
    EXPECT_EQ(niceValue(), 0);
    EXPECT_EQ(record.getPriorityLevel(), 1);
    record.setPriorityLevel(4);
    EXPECT_EQ(record.getPriorityLevel(), 3);
}

TEST_F(PriorityTest, LevelsOutsideTheTableChangeNothing) {
    ApplicationRecord& record = ApplicationRecord::instance();
    record.setPriorityLevel(2);
    record.setPriorityLevel(5);
    record.setPriorityLevel(-1);
    EXPECT_EQ(record.getPriorityLevel(), 2);
    EXPECT_EQ(niceValue(), 5);
}

TEST_F(PriorityTest, AboveNormalAndRealtimeReadAsNormal) {
    ApplicationRecord& record = ApplicationRecord::instance();
    Stimora::platformSetPriorityClass(0x8000);
    EXPECT_EQ(Stimora::platformGetPriorityClass(), 0x8000u);
    EXPECT_EQ(record.getPriorityLevel(), 1);
    Stimora::platformSetPriorityClass(0x100);
    EXPECT_EQ(Stimora::platformGetPriorityClass(), 0x100u);
    EXPECT_EQ(record.getPriorityLevel(), 1);
}

TEST_F(NotificationTest, NotifyWritesTitleAndText) {
    testing::internal::CaptureStderr();
    ApplicationRecord::instance().notify("Session finished.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Stimora Notification: Session finished.\n");
}

TEST_F(NotificationTest, ReportLastSystemErrorUsesTheSystemText) {
    errno = ENOENT;
    testing::internal::CaptureStderr();
    ApplicationRecord::instance().reportLastSystemError();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("Error: ") + std::strerror(ENOENT) + "\n");
}

TEST(MessageBoxTest, NoDisplayMeansStandardErrorOnly) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    unsetenv("STIMORA_NO_MESSAGE_BOX");
    testing::internal::CaptureStderr();
    Stimora::platformMessageBox("Title", "text"); // must return at once
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Title: text\n");
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
}
