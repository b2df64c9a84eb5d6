// The message pump, the key table and the cursor on SDL2.
//
// The key table is kept here from the key events the pump takes off the queue, one event per
// step, rather than read from SDL's own keyboard snapshot: a press and a release that both
// happened between two queries must be seen by two successive queries.

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "APICanvasProperties.h"
#include "InputStamper.h"
#include "Platform.h"
#include "PlatformTesting.h"
#include "PlatformVideo.h"

namespace Stimora {

namespace {

// Virtual-key codes of the keys that have no character of their own.
enum : unsigned char {
    vkLeftButton = 0x01,
    vkRightButton = 0x02,
    vkMiddleButton = 0x04,
    vkExtraButton1 = 0x05,
    vkExtraButton2 = 0x06,
    vkBack = 0x08,
    vkTab = 0x09,
    vkReturn = 0x0D,
    vkShift = 0x10,
    vkControl = 0x11,
    vkAlt = 0x12,
    vkPause = 0x13,
    vkCapital = 0x14,
    vkEscape = 0x1B,
    vkSpace = 0x20,
    vkPrior = 0x21,
    vkNext = 0x22,
    vkEnd = 0x23,
    vkHome = 0x24,
    vkLeft = 0x25,
    vkUp = 0x26,
    vkRight = 0x27,
    vkDown = 0x28,
    vkSnapshot = 0x2C,
    vkInsert = 0x2D,
    vkDelete = 0x2E,
    vkLeftWin = 0x5B,
    vkRightWin = 0x5C,
    vkApps = 0x5D,
    vkPad0 = 0x60,
    vkMultiply = 0x6A,
    vkAdd = 0x6B,
    vkSubtract = 0x6D,
    vkDecimal = 0x6E,
    vkDivide = 0x6F,
    vkF1 = 0x70,
    vkF4 = 0x73,
    vkNumLock = 0x90,
    vkScroll = 0x91,
    vkLeftShift = 0xA0,
    vkRightShift = 0xA1,
    vkLeftControl = 0xA2,
    vkRightControl = 0xA3,
    vkLeftAlt = 0xA4,
    vkRightAlt = 0xA5,
    vkSemicolon = 0xBA,
    vkEquals = 0xBB,
    vkComma = 0xBC,
    vkMinus = 0xBD,
    vkPeriod = 0xBE,
    vkSlash = 0xBF,
    vkGrave = 0xC0,
    vkLeftBracket = 0xDB,
    vkBackslash = 0xDC,
    vkRightBracket = 0xDD,
    vkQuote = 0xDE,
    vkNonUsBackslash = 0xE2,
};

// Each physical key sets one virtual key of its own and, for the doubled modifiers, the
// shared one (either Shift sets 0x10 as well as 0xA0 or 0xA1). 0 is no key.
struct KeyCodes {
    unsigned char own = 0;
    unsigned char shared = 0;
};

struct ScancodeMap {
    KeyCodes codes[SDL_NUM_SCANCODES];

    ScancodeMap() {
        for (int i = 0; i < 26; ++i)
            codes[SDL_SCANCODE_A + i].own = static_cast<unsigned char>('A' + i);
        for (int i = 0; i < 9; ++i)
            codes[SDL_SCANCODE_1 + i].own = static_cast<unsigned char>('1' + i);
        codes[SDL_SCANCODE_0].own = '0';
        for (int i = 0; i < 9; ++i)
            codes[SDL_SCANCODE_KP_1 + i].own = static_cast<unsigned char>(vkPad0 + 1 + i);
        codes[SDL_SCANCODE_KP_0].own = vkPad0;
        for (int i = 0; i < 12; ++i)
            codes[SDL_SCANCODE_F1 + i].own = static_cast<unsigned char>(vkF1 + i);
        const struct {
            SDL_Scancode scancode;
            unsigned char own;
            unsigned char shared;
        } named[] = {
            {SDL_SCANCODE_RETURN, vkReturn, 0},
            {SDL_SCANCODE_KP_ENTER, vkReturn, 0},
            {SDL_SCANCODE_ESCAPE, vkEscape, 0},
            {SDL_SCANCODE_BACKSPACE, vkBack, 0},
            {SDL_SCANCODE_TAB, vkTab, 0},
            {SDL_SCANCODE_SPACE, vkSpace, 0},
            {SDL_SCANCODE_MINUS, vkMinus, 0},
            {SDL_SCANCODE_EQUALS, vkEquals, 0},
            {SDL_SCANCODE_LEFTBRACKET, vkLeftBracket, 0},
            {SDL_SCANCODE_RIGHTBRACKET, vkRightBracket, 0},
            {SDL_SCANCODE_BACKSLASH, vkBackslash, 0},
            {SDL_SCANCODE_SEMICOLON, vkSemicolon, 0},
            {SDL_SCANCODE_APOSTROPHE, vkQuote, 0},
            {SDL_SCANCODE_GRAVE, vkGrave, 0},
            {SDL_SCANCODE_COMMA, vkComma, 0},
            {SDL_SCANCODE_PERIOD, vkPeriod, 0},
            {SDL_SCANCODE_SLASH, vkSlash, 0},
            {SDL_SCANCODE_NONUSBACKSLASH, vkNonUsBackslash, 0},
            {SDL_SCANCODE_CAPSLOCK, vkCapital, 0},
            {SDL_SCANCODE_PRINTSCREEN, vkSnapshot, 0},
            {SDL_SCANCODE_SCROLLLOCK, vkScroll, 0},
            {SDL_SCANCODE_PAUSE, vkPause, 0},
            {SDL_SCANCODE_INSERT, vkInsert, 0},
            {SDL_SCANCODE_HOME, vkHome, 0},
            {SDL_SCANCODE_PAGEUP, vkPrior, 0},
            {SDL_SCANCODE_DELETE, vkDelete, 0},
            {SDL_SCANCODE_END, vkEnd, 0},
            {SDL_SCANCODE_PAGEDOWN, vkNext, 0},
            {SDL_SCANCODE_RIGHT, vkRight, 0},
            {SDL_SCANCODE_LEFT, vkLeft, 0},
            {SDL_SCANCODE_DOWN, vkDown, 0},
            {SDL_SCANCODE_UP, vkUp, 0},
            {SDL_SCANCODE_NUMLOCKCLEAR, vkNumLock, 0},
            {SDL_SCANCODE_KP_DIVIDE, vkDivide, 0},
            {SDL_SCANCODE_KP_MULTIPLY, vkMultiply, 0},
            {SDL_SCANCODE_KP_MINUS, vkSubtract, 0},
            {SDL_SCANCODE_KP_PLUS, vkAdd, 0},
            {SDL_SCANCODE_KP_PERIOD, vkDecimal, 0},
            {SDL_SCANCODE_APPLICATION, vkApps, 0},
            {SDL_SCANCODE_LSHIFT, vkLeftShift, vkShift},
            {SDL_SCANCODE_RSHIFT, vkRightShift, vkShift},
            {SDL_SCANCODE_LCTRL, vkLeftControl, vkControl},
            {SDL_SCANCODE_RCTRL, vkRightControl, vkControl},
            {SDL_SCANCODE_LALT, vkLeftAlt, vkAlt},
            {SDL_SCANCODE_RALT, vkRightAlt, vkAlt},
            {SDL_SCANCODE_LGUI, vkLeftWin, 0},
            {SDL_SCANCODE_RGUI, vkRightWin, 0},
        };
        for (const auto& key : named)
            codes[key.scancode] = {key.own, key.shared};
    }
};

const ScancodeMap scancodeMap;

KeyCodes codesOf(SDL_Scancode scancode) {
    return (scancode > SDL_SCANCODE_UNKNOWN && scancode < SDL_NUM_SCANCODES) ? scancodeMap.codes[scancode]
                                                                             : KeyCodes();
}

// Mouse buttons as the key table reports them, by SDL button number 1..5.
const unsigned char buttonCodes[6] = {
    0, vkLeftButton, vkMiddleButton, vkRightButton, vkExtraButton1, vkExtraButton2};

// What the pump has seen: which physical keys and buttons are down, and for each virtual key
// how many of them hold it down (two Shift keys share 0x10).
struct KeyTable {
    bool scancodeDown[SDL_NUM_SCANCODES] = {};
    bool buttonDown[6] = {};
    unsigned char holders[256] = {};
    unsigned char state[256] = {};

    void hold(unsigned char code, bool down) {
        if (code == 0)
            return;
        if (down)
            ++holders[code];
        else if (holders[code] > 0)
            --holders[code];
        state[code] = holders[code] > 0 ? 0x80 : 0;
    }

    void key(SDL_Scancode scancode, bool down) {
        if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES ||
            scancodeDown[scancode] == down)
            return; // unknown keys, and auto-repeat of a key already down
        scancodeDown[scancode] = down;
        hold(scancodeMap.codes[scancode].own, down);
        hold(scancodeMap.codes[scancode].shared, down);
    }

    void button(int number, bool down) {
        if (number < 1 || number > 5 || buttonDown[number] == down)
            return;
        buttonDown[number] = down;
        hold(buttonCodes[number], down);
    }
};

KeyTable keyTable;

// SDL numbers buttons left 1, middle 2, right 3; the framework left 0, right 1, middle 2.
int frameworkButton(int sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return -1;
    }
}

// Key and button transitions in arrival order, as the experiment takes them. Fixed rings:
// stamping may happen inside SDL's queueing and must not allocate. A full ring gives up its
// oldest entry, so the responses an experiment is waiting for are kept; the loss is counted.
class TransitionRing {
public:
    void push(const InputTransition& transition) {
        if (count == capacity) {
            head = (head + 1) % capacity;
            --count;
            ++dropped;
        }
        slots[(head + count) % capacity] = transition;
        ++count;
    }
    bool pop(InputTransition& transition) {
        if (count == 0)
            return false;
        transition = slots[head];
        head = (head + 1) % capacity;
        --count;
        return true;
    }
    void clear() { head = count = 0; }
    long long dropped = 0;

private:
    static constexpr int capacity = 1024;
    InputTransition slots[capacity];
    int head = 0, count = 0;
};

TransitionRing keyTransitions, buttonTransitions;

// Moves what the stamping thread has stamped into the rings the experiment reads.
void takeStamped() {
    InputTransition transition;
    while (InputStamper::take(transition, true))
        keyTransitions.push(transition);
    while (InputStamper::take(transition, false))
        buttonTransitions.push(transition);
}

// Stamps SDL's key and button events as SDL takes them from the window system, where no
// stamping thread runs, and the synthetic ones (no window) always.
int SDLCALL stampTransition(void*, SDL_Event* event) {
    InputTransition transition;
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (InputStamper::running() && event->key.windowID != 0)
            break;
        const KeyCodes codes = codesOf(event->key.keysym.scancode);
        if (event->key.repeat != 0 || codes.own == 0)
            break; // auto-repeat is no transition
        transition.counter = platformClockCounter();
        transition.code = codes.own;
        transition.sharedCode = codes.shared;
        transition.down = event->type == SDL_KEYDOWN;
        keyTransitions.push(transition);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (InputStamper::running() && event->button.windowID != 0)
            break;
        transition.counter = platformClockCounter();
        transition.code = frameworkButton(event->button.button);
        if (transition.code < 0)
            break;
        transition.down = event->type == SDL_MOUSEBUTTONDOWN;
        transition.x = event->button.x;
        transition.y = event->button.y;
        if (SDL_Window* window = SDL_GetWindowFromID(event->button.windowID)) {
            int left = 0, top = 0;
            SDL_GetWindowPosition(window, &left, &top);
            transition.x += left;
            transition.y += top;
        }
        buttonTransitions.push(transition);
        break;
    }
    default:
        break;
    }
    return 0;
}

bool eventsRunning() {
    return SDL_WasInit(SDL_INIT_EVENTS) != 0;
}

void startEvents() {
    if (!eventsRunning()) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_InitSubSystem(SDL_INIT_EVENTS);
        platformIgnoreUnreadEvents();
    }
    platformStampInput();
}

[[noreturn]] void endProcess() {
    // Gamma, display mode and cursor go back before the process ends.
    APICanvasProperties::releaseAll();
    std::exit(1);
}

void postQuit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    quit.quit.timestamp = SDL_GetTicks();
    SDL_PushEvent(&quit);
}

bool altHeld(const SDL_KeyboardEvent& key) {
    return (key.keysym.mod & KMOD_ALT) != 0 || (keyTable.state[vkAlt] & 0x80) != 0;
}

// SDL's own sentinel that ends a polling loop; it carries no message.
constexpr Uint32 pollSentinel = 0x7F00;

// Takes one event off the queue without waiting. SDL_PollEvent would queue a sentinel behind
// the event it returns and answer "empty" at the next call, losing a step; the queue is
// therefore read directly.
bool takeEvent(SDL_Event& event) {
    SDL_PumpEvents();
    for (;;) {
        if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
            return false;
        if (event.type != pollSentinel)
            return true;
    }
}

} // namespace

PumpedMessage platformPumpMessage() {
    platformHonourSignals();
    PumpedMessage message;
    if (!eventsRunning())
        return message;
    SDL_Event event;
    if (!takeEvent(event))
        return message;
    message.kind = PumpedMessage::other;
    switch (event.type) {
    case SDL_QUIT:
        endProcess();
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            endProcess();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool down = event.type == SDL_KEYDOWN;
        keyTable.key(event.key.keysym.scancode, down);
        // Alt+F4 asks to quit; the request ends the process when a later step takes it.
        if (down && event.key.repeat == 0 && codesOf(event.key.keysym.scancode).own == vkF4 &&
            altHeld(event.key))
            postQuit();
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        keyTable.button(event.button.button, down);
        const int button = frameworkButton(event.button.button);
        if (button >= 0) {
            message.kind = down ? PumpedMessage::buttonDown : PumpedMessage::buttonUp;
            message.button = button;
        }
        break;
    }
    default:
        break;
    }
    return message;
}

void platformStampInput() {
    if (!eventsRunning())
        return;
    // Removing first keeps a single watch however often events are started.
    SDL_DelEventWatch(stampTransition, nullptr);
    SDL_AddEventWatch(stampTransition, nullptr);
}

void platformIgnoreUnreadEvents() {
    // Pointer moves, the wheel, touch and the like are never read from the queue: a moving
    // mouse or a spun wheel sends more of them than the pump (one event a query) takes, and
    // they would queue ahead of keys and buttons. The cursor is read from SDL's own state.
    for (Uint32 type : {SDL_MOUSEMOTION,
                        SDL_MOUSEWHEEL,
                        SDL_FINGERDOWN,
                        SDL_FINGERUP,
                        SDL_FINGERMOTION,
                        SDL_MULTIGESTURE,
                        SDL_DOLLARGESTURE,
                        SDL_DOLLARRECORD,
                        SDL_JOYAXISMOTION,
                        SDL_JOYBALLMOTION,
                        SDL_JOYHATMOTION,
                        SDL_JOYBUTTONDOWN,
                        SDL_JOYBUTTONUP,
                        SDL_CONTROLLERAXISMOTION,
                        SDL_CONTROLLERBUTTONDOWN,
                        SDL_CONTROLLERBUTTONUP,
                        SDL_CONTROLLERTOUCHPADMOTION,
                        SDL_CONTROLLERSENSORUPDATE,
                        SDL_SENSORUPDATE,
                        SDL_KEYMAPCHANGED,
                        SDL_CLIPBOARDUPDATE,
                        SDL_DROPFILE,
                        SDL_DROPTEXT,
                        SDL_DROPBEGIN,
                        SDL_DROPCOMPLETE,
                        SDL_AUDIODEVICEADDED,
                        SDL_AUDIODEVICEREMOVED})
        SDL_EventState(type, SDL_IGNORE);
}

void platformScancodeCodes(int scancode, int& own, int& shared) {
    const KeyCodes codes = codesOf(static_cast<SDL_Scancode>(scancode));
    own = codes.own;
    shared = codes.shared;
}

void platformSampleInput() {
    platformHonourSignals();
    if (eventsRunning())
        SDL_PumpEvents();
    takeStamped();
}

bool platformNextKeyTransition(InputTransition& transition) {
    takeStamped();
    return keyTransitions.pop(transition);
}

bool platformNextButtonTransition(InputTransition& transition) {
    takeStamped();
    return buttonTransitions.pop(transition);
}

void platformClearTransitions(bool keys) {
    takeStamped();
    (keys ? keyTransitions : buttonTransitions).clear();
}

long long platformDroppedTransitions(bool keys) {
    return (keys ? keyTransitions : buttonTransitions).dropped + InputStamper::dropped(keys);
}

void platformKeyboardState(unsigned char state[256]) {
    std::memcpy(state, keyTable.state, sizeof keyTable.state);
}

void platformCursorPosition(int& x, int& y) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        x = 0;
        y = 0;
        return;
    }
    // SDL's pointer is as fresh as its last look at the window system: look now (this queues
    // events but takes none). SDL keeps the pointer relative to the window it was last over;
    // without any window the global query is all there is.
    SDL_PumpEvents();
    SDL_Window* window = SDL_GetMouseFocus();
    if (window == nullptr)
        window = platformCanvasWindow();
    if (window == nullptr) {
        SDL_GetGlobalMouseState(&x, &y);
        return;
    }
    int left = 0, top = 0;
    SDL_GetMouseState(&x, &y);
    SDL_GetWindowPosition(window, &left, &top);
    x += left;
    y += top;
}

void platformSetCursorPosition(int x, int y) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    SDL_Window* window = platformCanvasWindow();
    if (window == nullptr) {
        SDL_WarpMouseGlobal(x, y);
        return;
    }
    int left = 0, top = 0;
    SDL_GetWindowPosition(window, &left, &top);
    SDL_WarpMouseInWindow(window, x - left, y - top);
}

// ---- synthetic input for tests

namespace {

SDL_Scancode scancodeOf(int virtualKey) {
    for (int scancode = SDL_SCANCODE_UNKNOWN + 1; scancode < SDL_NUM_SCANCODES; ++scancode)
        if (scancodeMap.codes[scancode].own == virtualKey)
            return static_cast<SDL_Scancode>(scancode);
    // Shared codes stand for the left-hand key.
    switch (virtualKey) {
    case vkShift:
        return SDL_SCANCODE_LSHIFT;
    case vkControl:
        return SDL_SCANCODE_LCTRL;
    case vkAlt:
        return SDL_SCANCODE_LALT;
    default:
        return SDL_SCANCODE_UNKNOWN;
    }
}

} // namespace

void platformPostKeyEvent(int virtualKey, bool down, bool alt) {
    startEvents();
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.timestamp = SDL_GetTicks();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancodeOf(virtualKey);
    event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
    event.key.keysym.mod = alt ? KMOD_LALT : KMOD_NONE;
    SDL_PushEvent(&event);
}

void platformPostButtonEvent(int button, bool down) {
    static const Uint8 sdlButtons[3] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE};
    if (button < 0 || button > 2)
        return;
    startEvents();
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.timestamp = SDL_GetTicks();
    event.button.button = sdlButtons[button];
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    SDL_PushEvent(&event);
}

void platformPostQuit() {
    startEvents();
    postQuit();
}

void platformDiscardInput() {
    if (eventsRunning()) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    keyTable = KeyTable();
    keyTransitions.clear();
    buttonTransitions.clear();
}

int platformPendingEvents() {
    if (!eventsRunning())
        return 0;
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
}

} // namespace Stimora
