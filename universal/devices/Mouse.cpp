// Mouse buttons, cursor position and the software-cursor switch.

#include "devices/Mouse.h"

#include <cmath>
#include <cstring>

#include "Platform.h"
#include "base/Exception.h"
#include "base/Rounding.h"

namespace Stimora {

namespace {

// Three bytes per state code: [0..2] held, [3..5] the refused code 1, [6..8] pushed latch,
// [9..11] released latch; left, right, middle in each.
unsigned char buttons[12] = {};
int cursorX = 0;
int cursorY = 0;
bool softwareCursor = false;
bool systemCursor = true;

} // namespace

bool Mouse::get(Button button, int state) {
    if (state != KeyState::pressed && state != KeyState::pushed && state != KeyState::released)
        throw new Exception("Mouse.get: unknown key state.");
    pumpMessage();
    if (button.index < 0 || button.index > 2)
        return false;
    unsigned char& slot = buttons[button.index + 3 * state];
    const bool answer = slot != 0;
    if (state != KeyState::pressed)
        slot = 0;
    return answer;
}

bool Mouse::pushed(Button button) {
    return get(button, KeyState::pushed);
}

bool Mouse::pressed(Button button) {
    return get(button, KeyState::pressed);
}

bool Mouse::released(Button button) {
    return get(button, KeyState::released);
}

void Mouse::clear() {
    std::memset(buttons, 0, sizeof buttons);
}

void Mouse::update() {
    platformCursorPosition(cursorX, cursorY);
}

void Mouse::recordButton(int button, bool down) {
    if (button < 0 || button > 2)
        return;
    if (down) {
        buttons[button + 3 * KeyState::pressed] = 1;
        buttons[button + 3 * KeyState::pushed] = 1;
    } else {
        buttons[button + 3 * KeyState::released] = 1;
        buttons[button + 3 * KeyState::pressed] = 0;
    }
}

Point Mouse::position() {
    update();
    return lastPosition();
}

Point Mouse::setPosition(double x, double y) {
    cursorX = truncateToInt(x);
    cursorY = truncateToInt(y);
    platformSetCursorPosition(cursorX, cursorY);
    return lastPosition();
}

Point Mouse::setX(double x) {
    return setPosition(x, cursorY);
}

Point Mouse::setY(double y) {
    return setPosition(cursorX, y);
}

Point Mouse::lastPosition() {
    return Point(cursorX, cursorY, 0.0);
}

int Mouse::x() {
    return cursorX;
}

int Mouse::y() {
    return cursorY;
}

void Mouse::showSoftwareCursor() {
    softwareCursor = true;
}

void Mouse::hideSoftwareCursor() {
    softwareCursor = false;
}

bool Mouse::softwareCursorShown() {
    return softwareCursor;
}

void Mouse::showSystemCursor() {
    systemCursor = true;
}

void Mouse::hideSystemCursor() {
    systemCursor = false;
}

bool Mouse::systemCursorShown() {
    return systemCursor;
}

bool Mouse::nextEvent(Event& event) {
    platformSampleInput();
    InputTransition transition;
    if (!platformNextButtonTransition(transition))
        return false;
    event.button = transition.code;
    event.down = transition.down;
    event.time = Clock(transition.counter);
    event.x = transition.x;
    event.y = transition.y;
    return true;
}

void Mouse::clearEvents() {
    platformSampleInput();
    platformClearTransitions(false);
}

long long Mouse::droppedEvents() {
    return platformDroppedTransitions(false);
}

} // namespace Stimora
