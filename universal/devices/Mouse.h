#pragma once

#include <cstdint>

#include "base/Point.h"
#include "devices/Keyboard.h"

namespace Stimora {

/// Polled mouse buttons and cursor. Button queries pump one message first, like the keyboard.
/// Positions are screen pixels (for a full-screen canvas, canvas pixels).
class Mouse {
public:
    /// A mouse button: 0 left, 1 right, 2 middle.
    struct Button {
        std::int32_t index; ///< 0 left, 1 right, 2 middle.
    };

    ///@{
    /// The buttons.
    static constexpr Button left{0}, right{1}, middle{2};
    ///@}

    /// Whether the button is in the state asked for (KeyState values). Pumps one message.
    /// A pushed or released answer clears that latch. Any other state throws a new Exception
    /// (by pointer) "Mouse.get: unknown key state.".
    static bool get(Button button, int state);
    /// get(button, KeyState::pushed).
    static bool pushed(Button button);
    /// get(button, KeyState::pressed).
    static bool pressed(Button button);
    /// get(button, KeyState::released).
    static bool released(Button button);

    /// Zeroes every held flag and latch.
    static void clear();

    /// A button going down or up, with the clock time at which it was read from the window
    /// system and the cursor position then (screen pixels).
    struct Event {
        /// 0 left, 1 right, 2 middle.
        int button = 0;
        /// True for a press, false for a release.
        bool down = false;
        /// When the program read the transition from the window system.
        Clock time;
        ///@{
        /// The cursor position then (screen pixels).
        int x = 0, y = 0;
        ///@}
    };
    /// Takes the oldest queued button transition into event; false when none is waiting.
    /// Reads the window system first; the polled states are unaffected.
    static bool nextEvent(Event& event);
    /// Drops every queued button transition that has arrived so far.
    static void clearEvents();
    /// How many button transitions were lost because the queue was full (1,024 waiting), since
    /// the program started. Non-zero means events were left unread: check it after a session.
    static long long droppedEvents();
    /// Reads the cursor position into the stored one.
    static void update();
    /// Records a button message taken off the queue: down sets held and pushed, up sets
    /// released and clears held. Called by the pump.
    static void recordButton(int button, bool down);

    /// Reads the cursor position and returns it as (x, y, 0).
    static Point position();
    /// Moves the cursor to (x, y) truncated to whole pixels, stores it and returns it.
    static Point setPosition(double x, double y);
    /// Moves the cursor to (x, stored y); returns the new position.
    static Point setX(double x);
    /// Moves the cursor to (stored x, y); returns the new position.
    static Point setY(double y);
    /// The cursor position of the last poll, without reading it again.
    static Point lastPosition();
    ///@{
    /// Last polled x and y, in pixels.
    static int x();
    static int y();
    ///@}

    ///@{
    /// The software cross that flip draws at the last polled position: show, hide, shown.
    static void showSoftwareCursor();
    static void hideSoftwareCursor();
    static bool softwareCursorShown();
    ///@}
    ///@{
    /// Records the wish for the system cursor (show, hide, shown); the full-screen canvas
    /// hides it by itself.
    static void showSystemCursor();
    static void hideSystemCursor();
    static bool systemCursorShown();
    ///@}
};

} // namespace Stimora
