// Keyboard state: the key table, the state arrays and their latches, and the pump step.

#include "devices/Keyboard.h"

#include <cstring>

#include "Platform.h"
#include "base/Exception.h"
#include "devices/Mouse.h"

namespace Stimora {

namespace {

// Key object index -> virtual-key code. Entry 68 lies outside the 256 codes the state arrays
// cover and is read as no key.
constexpr std::int32_t keyCodes[Keyboard::keyCount] = {
    0x31,      0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,                         // one..nine
    0x30,                                                                              // zero
    0x41,      0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, // a..m
    0x4E,      0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, // n..z
    0xBC,      0xBE, 0xBF,                                                             // comma period slash
    0x60,      0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,                   // pad0..pad9
    0x0D,      0x20, 0x1B,                                                             // enter space escape
    0x26,      0x28, 0x25, 0x27,                                                       // up down left right
    0x10,      0x11, 0x12,                                                             // shift control alt
    0xBD,      0,    0xDC, 0x01, 0x40, 0xBA, 0xBA, 0xDB, 0xDD,                         // minus..rightBracket
    0x2000000, 0,    0,    0,                                                          // key68..key71
    0x6B,      0x6D, 0x6A, 0x6F,                                                       // pad + - * /
    0,         0,                                                                      // key76 key77
};

// The process-wide keyboard state: one 1024-byte block.
struct KeyboardState {
    unsigned char current[256];
    unsigned char previous[256];
    unsigned char pushedLatch[256];
    unsigned char releasedLatch[256];
};

KeyboardState keyboard = {};
std::int32_t keyTable[Keyboard::keyCount] = {};
bool keyTableFilled = false;

void fillKeyTable() {
    std::memcpy(keyTable, keyCodes, sizeof keyTable);
    keyTableFilled = true;
}

} // namespace

bool Keyboard::Event::is(Key key) const {
    const int wanted = Keyboard::code(key);
    return wanted != 0 && (wanted == code || wanted == sharedCode);
}

bool Keyboard::nextEvent(Event& event) {
    platformSampleInput();
    InputTransition transition;
    if (!platformNextKeyTransition(transition))
        return false;
    event.code = transition.code;
    event.sharedCode = transition.sharedCode;
    event.down = transition.down;
    event.time = Clock(transition.counter);
    return true;
}

void Keyboard::clearEvents() {
    platformSampleInput();
    platformClearTransitions(true);
}

long long Keyboard::droppedEvents() {
    return platformDroppedTransitions(true);
}

int Keyboard::code(Key key) {
    if (!keyTableFilled)
        fillKeyTable();
    if (key.index < 0 || key.index >= keyCount)
        return 0;
    const std::int32_t code = keyTable[key.index];
    return (code > 0 && code < 256) ? code : 0;
}

bool Keyboard::get(Key key, int state) {
    if (state != KeyState::pressed && state != KeyState::pushed && state != KeyState::released)
        throw new Exception("Keyboard.get: unknown key state.");
    pumpMessage();
    const int c = code(key);
    if (state == KeyState::pressed)
        return (keyboard.current[c] & 0x80) != 0;
    unsigned char& latch = state == KeyState::pushed ? keyboard.pushedLatch[c] : keyboard.releasedLatch[c];
    const bool answer = (latch & 0x80) != 0;
    latch = 0;
    return answer;
}

bool Keyboard::pushed(Key key) {
    return get(key, KeyState::pushed);
}

bool Keyboard::pressed(Key key) {
    return get(key, KeyState::pressed);
}

bool Keyboard::released(Key key) {
    return get(key, KeyState::released);
}

void Keyboard::clear() {
    std::memset(keyboard.pushedLatch, 0, sizeof keyboard.pushedLatch);
    std::memset(keyboard.releasedLatch, 0, sizeof keyboard.releasedLatch);
}

void Keyboard::update() {
    std::memcpy(keyboard.previous, keyboard.current, sizeof keyboard.current);
    platformKeyboardState(keyboard.current);
    // Code 0 stands for "no key" in the key table and is never down.
    keyboard.current[0] = 0;
    for (int i = 0; i < 256; ++i) {
        keyboard.pushedLatch[i] |= keyboard.current[i] & ~keyboard.previous[i];
        keyboard.releasedLatch[i] |= keyboard.previous[i] & ~keyboard.current[i];
    }
}

void Keyboard::reset() {
    keyboard = KeyboardState{};
    fillKeyTable();
}

void pumpMessage() {
    const PumpedMessage message = platformPumpMessage();
    if (message.kind == PumpedMessage::buttonDown || message.kind == PumpedMessage::buttonUp)
        Mouse::recordButton(message.button, message.kind == PumpedMessage::buttonDown);
    Keyboard::update();
    Mouse::update();
}

void resetInput() {
    Keyboard::reset();
    Mouse::clear();
    Mouse::hideSoftwareCursor();
}

} // namespace Stimora
