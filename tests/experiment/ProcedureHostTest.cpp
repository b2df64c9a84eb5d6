// ProcedureHost without a display: which routine runs, where the console goes and when the
// software cursor is switched on.

#include <gtest/gtest.h>

#include <algorithm>

#include "devices/Mouse.h"
#include "display/Canvas.h"
#include "experiment/ProcedureHost.h"
#include "experiment/VariableList.h"
#include "figures/Group.h"

namespace Stimora::ExperimentalMethods {
namespace {

int plainRuns = 0;
int canvasRuns = 0;
Canvas* canvasSeen = nullptr;
bool cursorDuringRoutine = false;

void plainRoutine() {
    ++plainRuns;
    cursorDuringRoutine = Mouse::softwareCursorShown();
}
void canvasRoutine(Canvas& canvas) {
    ++canvasRuns;
    canvasSeen = &canvas;
    cursorDuringRoutine = Mouse::softwareCursorShown();
}

bool inOverlayGroup(const Figure* figure) {
    const auto& members = overlayGroup().getMembers();
    return std::find(members.begin(), members.end(), figure) != members.end();
}

bool inOverlay(Canvas& canvas, const Figure* figure) {
    return std::find(canvas.overlay.begin(), canvas.overlay.end(), figure) != canvas.overlay.end();
}

class ProcedureHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        plainRuns = canvasRuns = 0;
        canvasSeen = nullptr;
        cursorDuringRoutine = false;
        Mouse::hideSoftwareCursor();
        ASSERT_EQ(isCanvasTarget(), nullptr) << "these tests run before any canvas exists";
    }
    void TearDown() override { Mouse::hideSoftwareCursor(); }
};

TEST_F(ProcedureHostTest, ConsoleShowsTheGlobalVariableList) {
    ProcedureHost host;
    EXPECT_EQ(host.console.variables, &globalVariables());
    EXPECT_EQ(host.mode, 0);
    EXPECT_EQ(host.consoleHidden, 0);
    EXPECT_EQ(host.routine, nullptr);
    EXPECT_EQ(host.canvasRoutine, nullptr);
}

TEST_F(ProcedureHostTest, SetRoutineChoosesTheMode) {
    ProcedureHost host;
    host.setRoutine(&plainRoutine);
    EXPECT_EQ(host.mode, 1);
    EXPECT_EQ(host.routine, &plainRoutine);
    host.setRoutine(&canvasRoutine);
    EXPECT_EQ(host.mode, 2);
    EXPECT_EQ(host.canvasRoutine, &canvasRoutine);
    host.hideConsole(5);
    EXPECT_EQ(host.consoleHidden, 5);
}

TEST_F(ProcedureHostTest, RunBeforeAnyCanvasPutsTheConsoleInTheOverlayGroup) {
    ProcedureHost host;
    host.setRoutine(&plainRoutine);
    host.run();
    EXPECT_EQ(plainRuns, 1);
    EXPECT_TRUE(cursorDuringRoutine) << "the software cursor is on before the routine runs";
    EXPECT_TRUE(inOverlayGroup(&host.console));
}

TEST_F(ProcedureHostTest, DestroyingTheHostLeavesNoDanglingOverlayEntry) {
    const Figure* console = nullptr;
    {
        ProcedureHost host;
        host.setRoutine(&plainRoutine);
        host.run();
        console = &host.console;
        ASSERT_TRUE(inOverlayGroup(console));
    }
    EXPECT_FALSE(inOverlayGroup(console));
}

TEST_F(ProcedureHostTest, HiddenConsoleRunShowsNeitherConsoleNorCursor) {
    ProcedureHost host;
    host.hideConsole(1);
    host.setRoutine(&plainRoutine);
    host.run();
    EXPECT_EQ(plainRuns, 1);
    EXPECT_FALSE(Mouse::softwareCursorShown());
    EXPECT_FALSE(inOverlayGroup(&host.console));
}

TEST_F(ProcedureHostTest, RunWithCanvasAfterAPlainRoutineDoesNothing) {
    ProcedureHost host;
    Canvas canvas;
    host.setRoutine(&plainRoutine);
    host.run(canvas);
    EXPECT_EQ(plainRuns, 0);
    EXPECT_TRUE(canvas.overlay.empty());
    EXPECT_FALSE(Mouse::softwareCursorShown());
}

TEST_F(ProcedureHostTest, PlainRunAfterACanvasRoutineDoesNothing) {
    ProcedureHost host;
    host.setRoutine(&canvasRoutine);
    host.run();
    EXPECT_EQ(canvasRuns, 0);
    EXPECT_FALSE(inOverlayGroup(&host.console));
    EXPECT_FALSE(Mouse::softwareCursorShown());
}

TEST_F(ProcedureHostTest, RunWithCanvasAppendsTheConsoleAndPassesTheCanvas) {
    ProcedureHost host;
    Canvas canvas;
    host.setRoutine(&canvasRoutine);
    host.run(canvas);
    EXPECT_EQ(canvasRuns, 1);
    EXPECT_EQ(canvasSeen, &canvas);
    EXPECT_TRUE(cursorDuringRoutine);
    ASSERT_EQ(canvas.overlay.size(), 1u);
    EXPECT_EQ(canvas.overlay[0], &host.console);
}

TEST_F(ProcedureHostTest, HiddenConsoleRunWithCanvasStillShowsTheCursor) {
    ProcedureHost host;
    Canvas canvas;
    host.hideConsole(1);
    host.setRoutine(&canvasRoutine);
    host.run(canvas);
    EXPECT_EQ(canvasRuns, 1);
    EXPECT_TRUE(Mouse::softwareCursorShown());
    EXPECT_FALSE(inOverlay(canvas, &host.console));
}

TEST_F(ProcedureHostTest, NoRoutineSetIsNothingToRun) {
    ProcedureHost host;
    host.run();
    EXPECT_FALSE(Mouse::softwareCursorShown());
    host.mode = 1; // a mode without a routine
    EXPECT_NO_THROW(host.run());
    host.mode = 2;
    Canvas canvas;
    EXPECT_NO_THROW(host.run(canvas));
}

} // namespace
} // namespace Stimora::ExperimentalMethods
