#pragma once
// The user-interface services that system code calls. Each backend (the real
// one, the headless one for tests) implements every function here; a program
// links exactly one of them.
#include <cstdint>
#include <string_view>

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

enum class MessageKind : std::uint8_t { Char, KeyDown, KeyUp, Command, Timer, Paint, Mouse, Other };

struct Message {
    Window* target = nullptr;
    MessageKind kind = MessageKind::Other;
    std::uint32_t code = 0;  // character, key, command id or timer id
    std::int64_t param = 0;
};

inline constexpr std::uint32_t kEscape = 27;

// Removes the oldest waiting message, if any.
bool PeekMessage(Message& out);
// Translates key presses into characters where needed, then runs the handler.
void DispatchMessage(const Message& msg);
// Blocks until a message may be waiting or timeoutMs has passed.
void WaitForMessage(int timeoutMs);

}  // namespace platform::ui
