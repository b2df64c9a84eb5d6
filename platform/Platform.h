#pragma once

// The few free functions the platform half exports to the framework. Nothing here names
// SDL or any other host library; platform/README.md lists what a platform must provide.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace Stimora {

// ---- time
/// Current value of the high-resolution counter, in ticks.
std::int64_t platformCounter();
/// Ticks per second of that counter; 0 where the host has none.
std::int64_t platformCounterFrequency();
/// The counter through a source tests may replace (a fake clock): what the framework's Clock
/// reads and stamps input with.
std::int64_t platformClockCounter();
/// Replaces that source; null restores platformCounter.
void platformSetClockCounter(std::int64_t (*source)());
/// The calendar time in whole seconds (time()), through a source tests may replace.
std::time_t platformCalendarTime();
/// Replaces that source; null restores time().
void platformSetCalendarTime(std::time_t (*source)());
/// The calendar time as local broken-down time.
std::tm platformLocalCalendarTime();
/// Returns once the counter reaches target. Reads the window system about every quarter
/// millisecond meanwhile (platformSampleInput). With rest, sleeps in short slices until
/// about a millisecond before target and spins only for the rest.
void platformWaitUntil(std::int64_t target, bool rest);

// ---- process
/// Sets the process priority class given as the Windows class value (0x80 high, 0x20 normal,
/// 0x4000 below normal, 0x40 idle), mapped to a nice value; a refused change is ignored.
void platformSetPriorityClass(unsigned priorityClass);
/// The process priority class, as a Windows class value.
unsigned platformGetPriorityClass();
/// Id of the calling thread.
unsigned platformThreadId();
/// The last system error of the calling thread, as the system's own text.
std::string platformLastErrorText();
/// Full path of the running executable.
std::string platformExecutablePath();
/// The user's home directory without a trailing separator; empty when none can be found.
std::string platformHomeDirectory();
/// $XDG_CONFIG_HOME, else $HOME/.config, without a trailing separator.
std::string platformConfigDirectory();
/// The XDG documents directory, else $HOME/Documents, without a trailing separator.
std::string platformDocumentsDirectory();

/// Shows a modal notification box with an OK button. The text always goes to standard
/// error as well; where no display can show a box, standard error is all there is.
/// Never blocks an automated run (STIMORA_NO_MESSAGE_BOX set, or no display).
void platformMessageBox(const std::string& title, const std::string& text);

// ---- displays
/// One monitor as the host reports it (desktop pixels).
struct PlatformDisplay {
    int width = 0;            ///< pixels
    int height = 0;           ///< pixels
    int colorDepth = 0;       ///< bits per pixel of the current mode
    double refreshRate = 0.0; ///< Hz; 0 where the host does not know
    std::string name;         ///< the host's name for it
    int workLeft = 0;         ///< work area's left edge
    int workTop = 0;          ///< work area's top edge
    int workWidth = 0;        ///< work area's width
    int workHeight = 0;       ///< work area's height
};
/// Every monitor, in the host's order (its display index); empty where video cannot start.
std::vector<PlatformDisplay> platformDisplays();

// ---- OpenGL objects
/// The set of OpenGL objects (textures, display lists) that the contexts of all live
/// canvases share: a number never given twice, 0 while no canvas exists. A set ends with
/// its last canvas, and with it every object made under it.
std::uint64_t platformObjectSet();
/// Whether set is the live one; if so, a context holding it is current afterwards (one is
/// made current when none is), so that its objects can be made, drawn or deleted.
bool platformReachObjectSet(std::uint64_t set);

// ---- input
/// What one pump step took off the queue.
struct PumpedMessage {
    /// none: the queue was empty; buttonDown, buttonUp: a left, right or middle button; other:
    /// any other message (keys included).
    enum Kind { none, other, buttonDown, buttonUp };
    /// What was taken; none when nothing was waiting.
    Kind kind = none;
    int button = 0; ///< 0 left, 1 right, 2 middle
};

/// Takes at most one message off the window queue (never waits). Key messages update the
/// platform key table; Alt+F4 posts a quit request; a close, destroy or quit message
/// releases every live canvas (gamma, display mode, cursor) and ends the process with 1.
PumpedMessage platformPumpMessage();
/// Copies the key table kept by the pump: 256 bytes indexed by virtual-key code,
/// 0x80 while the key is down.
void platformKeyboardState(unsigned char state[256]);
/// The cursor position in screen pixels (window pixels plus the window's position).
void platformCursorPosition(int& x, int& y);
/// Moves the cursor to a screen position.
void platformSetCursorPosition(int x, int y);

/// A key or mouse-button transition with the time it was read from the window system.
struct InputTransition {
    int code = 0;       ///< virtual-key code, or button 0 left, 1 right, 2 middle
    int sharedCode = 0; ///< the shared code of a doubled modifier (0x10 for either Shift), else 0
    /// True for a press, false for a release.
    bool down = false;
    std::int64_t counter = 0; ///< the framework clock's count when it was read
    ///@{
    /// Buttons: the cursor position in screen pixels (0 for keys).
    int x = 0, y = 0;
    ///@}
};
/// Reads what the window system has sent so far into the message queue (taking nothing off
/// it), stamping key and button transitions as they arrive. Allocates nothing.
void platformSampleInput();
/// Takes the oldest stamped key transition; false when there is none.
bool platformNextKeyTransition(InputTransition& transition);
/// Takes the oldest stamped mouse-button transition; false when there is none.
bool platformNextButtonTransition(InputTransition& transition);
/// Drops the stamped key transitions (keys true) or button transitions (keys false).
void platformClearTransitions(bool keys);
/// Key (keys true) or button transitions lost because the experiment left its queue full,
/// since the process started.
long long platformDroppedTransitions(bool keys);

} // namespace Stimora
