#pragma once

#include <cstdint>

#include "devices/Clock.h"

namespace Stimora {

/// What a key or mouse-button query asks; the numeric values are fixed (1 is refused).
struct KeyState {
    /// The states.
    enum Value : int {
        pressed = 0,  ///< held at the moment of the query
        pushed = 2,   ///< went down at least once since the last pushed query (or clear)
        released = 3, ///< went up at least once since the last released query (or clear)
    };
};

/// Polled keyboard state. Every query first runs one step of the message pump (one window
/// message at most, then the keyboard poll and the cursor read), so a loop waiting for a key
/// must keep asking. Presses and releases latch until asked for, or until clear().
class Keyboard {
public:
    /// A key: an index into the 78-entry key table (not a platform key code).
    struct Key {
        std::int32_t index; ///< 0..77
    };

    /// Number of entries in the key table.
    static constexpr int keyCount = 78;

    ///@{
    /// A key, named by what it carries on a US layout (padN and pad operators: the keypad).
    static constexpr Key one{0}, two{1}, three{2}, four{3}, five{4}, six{5}, seven{6}, eight{7}, nine{8};
    static constexpr Key zero{9};
    static constexpr Key a{10}, b{11}, c{12}, d{13}, e{14}, f{15}, g{16}, h{17}, i{18}, j{19}, k{20}, l{21},
        m{22}, n{23}, o{24}, p{25}, q{26}, r{27}, s{28}, t{29}, u{30}, v{31}, w{32}, x{33}, y{34}, z{35};
    static constexpr Key comma{36}, period{37}, slash{38};
    static constexpr Key pad0{39}, pad1{40}, pad2{41}, pad3{42}, pad4{43}, pad5{44}, pad6{45}, pad7{46},
        pad8{47}, pad9{48};
    static constexpr Key enter{49}, space{50}, escape{51};
    static constexpr Key up{52}, down{53}, left{54}, right{55};
    static constexpr Key shift{56}, control{57}, alt{58};
    static constexpr Key minus{59};
    /// No key.
    static constexpr Key key60{60};
    static constexpr Key backslash{61};
    /// The left mouse button as the keyboard state reports it.
    static constexpr Key key62{62};
    /// A code no common layout sends.
    static constexpr Key key63{63};
    /// The semicolon key (on a US layout); key64 and key65 are the same key.
    static constexpr Key key64{64}, key65{65};
    static constexpr Key leftBracket{66}, rightBracket{67};
    /// A code outside the key table's range: no key.
    static constexpr Key key68{68};
    /// No key.
    static constexpr Key key69{69}, key70{70}, key71{71};
    static constexpr Key padPlus{72}, padMinus{73}, padMultiply{74}, padDivide{75};
    /// No key.
    static constexpr Key key76{76}, key77{77};
    ///@}

    /// Whether the key is in the state asked for (KeyState values). Pumps one message.
    /// A pushed or released answer clears that latch. Any other state throws a new Exception
    /// (by pointer) "Keyboard.get: unknown key state.".
    static bool get(Key key, int state);
    /// get(key, KeyState::pushed).
    static bool pushed(Key key);
    /// get(key, KeyState::pressed).
    static bool pressed(Key key);
    /// get(key, KeyState::released).
    static bool released(Key key);

    /// Discards every pushed and released latch, so only new presses are reported.
    static void clear();

    /// A key going down or up, with the clock time at which it was read from the window
    /// system. Auto-repeat is no transition.
    struct Event {
        /// Virtual-key code of the physical key (0xA0 for the left Shift, 0x41 for A, ...).
        int code = 0;
        /// The code a doubled modifier shares (0x10 for either Shift), else 0.
        int sharedCode = 0;
        /// True for a press, false for a release.
        bool down = false;
        /// When the transition reached the program; minus getLastFlipTime() of the stimulus
        /// frame, a response time.
        Clock time;
        /// Whether this is a transition of key.
        bool is(Key key) const;
    };
    /// Takes the oldest queued key transition into event; false when none is waiting. Reads
    /// the window system first. The queue is separate from the polled states: a transition
    /// taken here still latches pushed and released, and the other way round.
    static bool nextEvent(Event& event);
    /// Drops every queued key transition that has arrived so far.
    static void clearEvents();
    /// How many key transitions were lost because the queue was full (1,024 waiting), since
    /// the program started. Non-zero means events were left unread: check it after a session.
    static long long droppedEvents();
    /// Polls the platform keyboard state into the state arrays without pumping.
    static void update();
    /// Zeroes the whole keyboard state and fills the key table.
    static void reset();

    /// The virtual-key code the key stands for; 0 (no key) for keys outside 0..255.
    static int code(Key key);
};

/// One message-pump step: takes at most one window message (a close or quit ends the process
/// with code 1), records mouse-button messages, then polls the keyboard and reads the cursor.
void pumpMessage();

/// Start-up reset of all input: keyboard reset, mouse state cleared, software cursor hidden.
void resetInput();

} // namespace Stimora
