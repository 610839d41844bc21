#pragma once
// The daily catalogue update from the update server: one TCP connection that
// brings every UPDATE FILE catalogue up to date, with its progress window.
#include <functional>
#include <string>

#include "platform/ui/window.h"

class updateWindow;

class UpdateLink {
public:
    UpdateLink(std::string host, int port, platform::ui::Window* owner);
    ~UpdateLink();
    UpdateLink(const UpdateLink&) = delete;
    UpdateLink& operator=(const UpdateLink&) = delete;

    // Creates and shows the window, then connects; false closes the link.
    [[nodiscard]] bool Open();
    // Only the window, for progress lines without a connection (the web update).
    [[nodiscard]] bool OpenWindow();
    // One progress line of the web update: to the window while it exists,
    // dropped after.
    void ProgressLine(const std::string& line);
    // Closes the socket, destroys the window; one that shows a failed step
    // stays until the user closes it.
    void Close();
    updateWindow* dialog() const { return dialog_; }
    bool open() const { return open_; }
    // The window tells its link it is going: only its owner's end takes it
    // (the close box hides it), so the update ends too.
    void WindowGone() {
        dialog_ = nullptr;
        cancelled_ = true;
    }
    // The window's Cancel, or the program's end: the transfer under way ends
    // at once and so does the update, leaving each catalogue as it was.
    void Cancel();
    bool cancelled() const { return cancelled_; }
    // Waits ms pumping messages, or less when the update is cancelled meanwhile.
    void Delay(int ms);
    // Every progress line of the window, as shown.
    void SetEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

private:
    std::string host_;
    int port_;
    platform::ui::Window* owner_;
    updateWindow* dialog_ = nullptr;
    bool open_ = false;
    bool cancelled_ = false;
    std::function<void(const std::string&)> echo_;
};

// Cancels every update under way and every transfer it runs.
void CancelUpdates();

// What the update needs of the program around it, told as it goes.
class ServerUpdateProgress {
public:
    virtual ~ServerUpdateProgress() = default;
    virtual void RepeatView() = 0;  // reopen the current view (command 150)
    virtual void Beep() {}
    // Each progress line as shown; the window shows them either way.
    virtual void Echo(const std::string& /*line*/) {}
};

// Socket library start: always ready on this platform, so true.
bool StartWinsock(bool startIfNeeded, bool reportFailure);

// Command 154: every UPDATE FILE catalogue from UPDATE SERVER and UPDATE PORT.
// 0 when all were brought up to date, 1 when a problem ended the run. Any
// failure leaves each catalogue readable with its old content. owner is the
// main frame: it owns the window and the boxes.
int UpdateFromServer(platform::ui::Window* owner, ServerUpdateProgress& progress);
