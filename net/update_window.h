#pragma once
// The modeless progress window of the catalogue updates, which also holds the
// update server's connection: framed commands out, framed replies in, and
// the socket's readiness arriving as message WmSocketNotify.
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/update_frames.h"
#include "platform/net/socket.h"
#include "platform/ui/dialog.h"

class UpdateLink;

inline constexpr platform::ui::MessageId WmSocketNotify = 1065;
inline constexpr int kUpdateWindowTemplate = 11;
inline constexpr int kUpdateWindowList = 101;
inline constexpr int kUpdateWindowCancel = platform::ui::IdCancel;
inline constexpr int kUpdateListMaxLines = 32;
inline constexpr int kUpdateListShownLines = 8;
inline constexpr std::size_t kReceiveBufferSize = 10240;

// Registers the window's template (resource 11); done by the constructor too.
void RegisterUpdateWindowTemplate();

// "Socket Timeout", "Socket connection refused", else "Socket error".
std::string SocketErrorText(int error);
// A box on the owner with the text, captioned "WinSock error".
void ShowWinsockError(platform::ui::Window* owner, std::string_view text);

class updateWindow : public platform::ui::Dialog {
public:
    updateWindow(platform::ui::Window* owner, UpdateLink* link);
    ~updateWindow() override;
    KESTRUNE_RESPONSE_TABLE(updateWindow);

    // One progress line: "HH:MM:SS: " in UTC, then the text.
    void Message(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void MessageText(std::string_view text);

    // Starts the connection to host (which may carry ":port", overriding port).
    [[nodiscard]] bool Connect(const std::string& host, int port);
    platform::ui::Result EvSocketMessage(platform::ui::WParam fd, platform::ui::LParam ready);
    int Receive();

    // 0 when the link is not open (nothing sent), -1 on a send error, else the frame length.
    int SendFrame(std::string_view payload, std::string_view command);
    // True when the command failed; on success a reply is awaited.
    [[nodiscard]] bool SendText(std::string_view command, std::string_view payload);
    [[nodiscard]] bool SendNumber(std::string_view command, double value);
    // The reply to the last command sent, or none after the seconds (at once
    // when that command was not sent or the link is gone).
    std::optional<std::string> Wait(int seconds);

    void CloseSocket();
    bool linkOpen() const { return linkOpen_; }
    bool connecting() const { return connecting_; }
    platform::ui::ListBox* list() const;
    void DetachLink() { link_ = nullptr; }
    // A progress line said a step failed ("Problem..."): the window stays for
    // the user to read and close.
    bool failed() const { return failed_; }
    // Also hands every whole progress line to echo (a log, a test).
    void SetEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

protected:
    void SetupWindow() override;
    // The close box hides it while its update runs, and closes it after.
    void EvClose() override;
    // Cancel (and Escape) ends the update at once; the window stays until
    // the update closes it. Once the update is over it closes the window.
    void CmCancel() override;

private:
    UpdateLink* link_;
    std::array<char, kReceiveBufferSize> buffer_{};
    std::size_t fill_ = 0;
    bool started_ = false;  // an STX opened the reply being collected
    std::string reply_;
    platform::net::Socket socket_;
    bool linkOpen_ = false;
    bool connecting_ = false;
    bool waiting_ = false;
    bool sent_ = false;
    bool receiving_ = false;
    bool failed_ = false;
    platform::net::Endpoint local_{}, peer_{};
    std::string hostName_;
    std::function<void(const std::string&)> echo_;
    // Cleared by the destructor: a wait that pumps looks at it before touching the window again.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
