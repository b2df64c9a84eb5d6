// The variable console's parts that need no display: its palette, its value field and its
// refusal to do anything over an empty list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform.h"
#include "PlatformTesting.h"
#include "devices/Keyboard.h"
#include "experiment/VariableConsole.h"
#include "experiment/VariableList.h"

namespace Stimora::ExperimentalMethods {
namespace {

TEST(VariableConsoleSetUp, PaletteAndStartingState) {
    VariableList list;
    VariableConsole console(&list);
    EXPECT_EQ(console.variables, &list);
    EXPECT_EQ(console.getDatum(), Point(0, 0, 0));
    EXPECT_EQ(console.selected, 0);
    EXPECT_EQ(console.hovered, 0);
    EXPECT_EQ(console.colors[0], Color::white);
    EXPECT_EQ(console.colors[1], Color(0.7));
    EXPECT_EQ(console.colors[2], Color(0.5, 0.5, 0.5, 0.5));
    // Blue 8.0, kept as it is: the 8-bit colour path turns it into 248.
    EXPECT_EQ(console.colors[3].r, Color(0.2, 0.2, 0.2, 0.4).r);
    EXPECT_EQ(console.colors[3].b, 8.0);
    EXPECT_EQ(console.colors[3].a, 0.4);
    EXPECT_EQ(console.colors[4], Color(0.0, 0.0, 1.0, 0.6));
}

TEST(VariableConsoleSetUp, WorksOverAPlainListOfVariablePointers) {
    int value = 3;
    VariableList owner;
    owner.append(value).label("v");
    std::vector<Variable*> chosen{&owner[0]};
    VariableConsole console(&chosen);
    EXPECT_EQ(console.size(), 1);
    EXPECT_EQ(&console.row(0), &owner[0]);
    chosen.push_back(&owner[0]);
    EXPECT_EQ(console.size(), 2) << "the list is read afresh";
}

TEST(VariableConsoleValueField, ShortTextsAreRightAlignedInThirtyCharacters) {
    char buffer[31];
    EXPECT_EQ(std::string(VariableConsole::valueField("42", buffer)), std::string(28, ' ') + "42");
    EXPECT_EQ(std::string(VariableConsole::valueField("", buffer)), std::string(30, ' '));
    EXPECT_EQ(std::string(VariableConsole::valueField(std::string(29, 'x'), buffer)),
              " " + std::string(29, 'x'));
}

TEST(VariableConsoleValueField, LongTextsAreCutToTheirFirstThirtyCharacters) {
    char buffer[31];
    const std::string digits = "0123456789012345678901234567890123456789";
    EXPECT_EQ(std::string(VariableConsole::valueField(digits.substr(0, 30), buffer)), digits.substr(0, 30));
    EXPECT_EQ(std::string(VariableConsole::valueField(digits, buffer)), digits.substr(0, 30));
}

TEST(VariableConsoleEmpty, DrawsNothingAndReadsNoInput) {
    platformDiscardInput();
    Keyboard::reset();
    VariableList list;
    VariableConsole console(&list);
    platformPostKeyEvent(0x27, true); // Right arrow down
    // The dummy target refuses every drawing: an empty console must not even try.
    EXPECT_NO_THROW(console.draw());
    EXPECT_EQ(platformPendingEvents(), 1) << "the console pumped no message";
    EXPECT_TRUE(Keyboard::pushed(Keyboard::right));
    platformPostKeyEvent(0x27, false);
    Keyboard::released(Keyboard::right);
    platformDiscardInput();
}

} // namespace
} // namespace Stimora::ExperimentalMethods
