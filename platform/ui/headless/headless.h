#pragma once
// Test controls of the headless backend: a virtual clock that fires timers,
// scripted answers, injected input and a record of what the system asked of
// the user interface.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/ui.h"

namespace platform::gfx {
class Surface;
}
namespace platform::ui {
class Dialog;
class Frame;
class Menu;
}  // namespace platform::ui

namespace platform::headless {

// Back to a clean state: empty queues, records, scripts and timers, the
// screen 1920 x 1080, the virtual clock installed and set to
// 2026-01-01 00:00:00 UTC, tick 1,000,000.
void Reset();
ManualClock& VirtualClock();
// Moves the virtual clock on by ms, firing every timer that falls due on the
// way in time order (equal times: the timer set first). A handler that sets
// or kills timers changes what fires next. Messages posted for a later tick
// become waiting; they are not dispatched.
void Advance(std::int64_t ms);

struct TimerInfo {
    ui::Window* window;
    int id;
    int intervalMs;
    std::int64_t dueInMs;  // from now
};
// Running timers, soonest first.
std::vector<TimerInfo> Timers();

void SetScreenSize(ui::Size size);
// What DisplayAvailable answers (true after Reset).
void SetDisplayAvailable(bool on);

struct MessageBoxCall {
    ui::Window* owner;
    std::string text;
    std::string caption;
    ui::Buttons buttons;
    ui::Icon icon;
};
// Answers taken in order by the next message boxes; without one a box
// answers with its first button.
void ScriptMessageBoxAnswer(int id);
const std::vector<MessageBoxCall>& MessageBoxCalls();
const std::vector<ui::BeepKind>& Beeps();

// Modal dialogs of a template take their scripts in order: each sees the
// dialog after its set-up, may change its controls, and returns the id of the
// button to press (0: none). A dialog still open after its button, or without
// a script, is cancelled as Escape would.
void ScriptDialog(int templateId, std::function<int(ui::Dialog&)> script);
void ScriptDialogAnswer(int templateId, int buttonId);
struct DialogCall {
    int templateId;
    std::string caption;
    int result;
};
const std::vector<DialogCall>& DialogCalls();

// File and font dialogs take their answers in order: a path to choose (OK)
// or a cancel. A dialog without an answer, or one that could not have given
// it (a missing file where the file must exist), is reported and cancelled.
void ScriptFileDialogAnswer(std::string path);
void ScriptFileDialogCancel();
struct FileDialogCall {
    ui::FileDialogKind kind;
    ui::FileDialogData asked;  // as the dialog was opened
    bool ok;
    std::string chosen;        // the path it returned, on OK
};
const std::vector<FileDialogCall>& FileDialogCalls();
void ScriptFontDialogAnswer(ui::FontDescription font);
void ScriptFontDialogCancel();
struct FontDialogCall {
    std::string title;
    ui::FontDescription initial;
    bool ok;
};
const std::vector<FontDialogCall>& FontDialogCalls();
// Told what went wrong with a common dialog (the test main fails the test);
// empty: nothing is told.
void SetCommonDialogFaultReporter(std::function<void(const std::string&)> reporter);

// The next popup menus choose these ids in order; an id that is not an
// enabled item of the popup, or no script, dismisses it (0).
void ScriptPopupAnswer(int id);
struct PopupCall {
    ui::Window* owner;
    ui::Point screen;
    std::vector<int> enabledIds;  // after the enablers ran
    int chosen;
};
const std::vector<PopupCall>& PopupCalls();

// The user picks a bar item of the frame's menu: false when the bar has no
// such enabled command; else the command takes the frame's route.
bool ChooseMenuCommand(ui::Frame& frame, int id);

// Input, dispatched at once as the display would deliver it.
void KeyDown(ui::Window& target, int virtualKey, std::uint32_t modifiers = 0);
void Char(ui::Window& target, int character);
void Mouse(ui::Window& target, ui::MouseAction action, ui::Point p, std::uint32_t modifiers = 0);
// The close box of a top-level window.
void CloseBox(ui::Window& target);
void Activate(ui::Window& target, bool active);
// Paints every window that has an invalid part, as an idle loop would.
void PaintAll();
// The union of what the layer presented of the window's back buffer since
// Reset or the last call; empty when nothing.
ui::Rect TakePresented(const ui::Window& w);
// Each rectangle presented since Reset or the last call, in order.
std::vector<ui::Rect> TakePresentedRects(const ui::Window& w);
// Forgets what every window presented (a benchmark pass starting over).
void ForgetPresented();
// Whether the window asks the display to hold off the screen saver now, and
// how many windows do.
bool ScreenSaverHeldOffBy(const ui::Window& w);
std::size_t ScreenSaverHolders();
// Off by Reset. While on, every present copies its rectangle of the back
// buffer into a per-window screen image, as a display would.
void KeepScreenImages(bool on);
// Null before a window's first present while screen images are kept.
const gfx::Surface* ScreenImage(const ui::Window& w);

// Processes are never started: each StartProcess is recorded and succeeds,
// unless its program was scripted to fail (after Reset).
void ScriptProcessFailure(std::string program);
const std::vector<std::vector<std::string>>& ProcessCalls();

struct CommandCall {
    const ui::Window* target;
    int id;
    bool handled;
};
// Every command sent through the layer, in order.
const std::vector<CommandCall>& Commands();

// Queues a message that becomes waiting at the given tick (now by default).
void PostMessage(const ui::Message& msg);
void PostMessageAt(std::uint32_t tick, const ui::Message& msg);
std::size_t PendingMessageCount();
// Messages in the order DispatchMessage ran them.
const std::vector<ui::Message>& Dispatched();

// The longest real time one WaitForMessage blocks on watched descriptors
// (the virtual clock then moves on by the whole wait); negative: the whole
// wait. Reset restores -1.
void SetSocketPollLimit(int ms);

}  // namespace platform::headless
