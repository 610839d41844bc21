#pragma once
// The user-interface services that system code calls. Each backend (the real
// one, the headless one for tests) implements every function here; a program
// links exactly one of them.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/geometry.h"

namespace platform::ui {

class Window;  // the window layer's base class

// Answers of message boxes and dialogs.
enum DialogId : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class Icon { None, Stop, Question, Exclamation, Information };
enum class BeepKind { Simple, Default, Stop, Question, Exclamation, Information };

// Modal; returns the DialogId of the button pressed (closing the box counts
// as Cancel, or as the only button where there is one).
int MessageBox(Window* owner, std::string_view text, std::string_view caption, Buttons buttons, Icon icon);
void Beep(BeepKind kind);

// Pixel size of the whole screen.
Size ScreenSize();
// False when no display can be opened (no X server, DISPLAY unset); the
// reason, for the user, in *why.
bool DisplayAvailable(std::string* why = nullptr);

enum class MessageKind : std::uint8_t {
    Char, KeyDown, KeyUp, Command, Timer, Paint, Mouse, Other,
    Custom,    // code: a message id (RegisterMessage or a program's own), wparam and param its arguments
    Close,     // the user asks the window to close
    Activate,  // code 1: became the active window, 0: lost it
};

enum class MouseAction : std::uint32_t { LeftDown, LeftUp, LeftDoubleClick, RightDown, RightUp, RightDoubleClick, Move };

// Modifier bits of key and mouse messages (param).
inline constexpr std::uint32_t kShift = 1, kControl = 2, kAlt = 4;

struct Message {
    Window* target = nullptr;
    MessageKind kind = MessageKind::Other;
    std::uint32_t code = 0;  // character, key, command id, timer id, mouse action or message id
    std::int64_t param = 0;  // modifiers of keys and mouse; lparam of custom messages
    std::uint64_t wparam = 0;
    Point point{};           // mouse position in the target's client area
};

inline constexpr std::uint32_t kEscape = 27;

// Virtual keys of KeyDown and KeyUp, numbered as the original platform numbers
// them; letters and digits are their upper-case characters.
namespace key {
inline constexpr int kBack = 0x08, kTab = 0x09, kReturn = 0x0D, kEscape = 0x1B, kSpace = 0x20;
inline constexpr int kPageUp = 0x21, kPageDown = 0x22, kEnd = 0x23, kHome = 0x24;
inline constexpr int kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kInsert = 0x2D, kDelete = 0x2E;
inline constexpr int kF1 = 0x70;  // kF1 + n - 1 is Fn, up to F12
}  // namespace key

// Removes the oldest waiting message, if any.
bool PeekMessage(Message& out);
// Runs the target's handler: accelerators first for keys, then the window.
void DispatchMessage(const Message& msg);
// Blocks until a message may be waiting or timeoutMs has passed.
void WaitForMessage(int timeoutMs);
// Queues a message for its target; it runs when the loop next dispatches.
void PostMessage(const Message& msg);

// ---- descriptors watched by the message loop (sockets)
// Readiness bits: what a watch asks for, and the param of its message.
inline constexpr std::uint32_t kWatchRead = 1, kWatchWrite = 2, kWatchError = 4;
// While the watch holds, the loop posts the Custom message id to target
// (wparam: fd, param: the ready bits) when fd is ready for one of events;
// at most one such message waits at a time. A new watch of fd replaces the
// old one; destroying the target ends its watches. False when fd is invalid.
bool WatchDescriptor(int fd, Window& target, std::uint32_t id, std::uint32_t events);
void UnwatchDescriptor(int fd);

}  // namespace platform::ui
