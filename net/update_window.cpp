#include "net/update_window.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/helpers.h"
#include "core/c_numbers.h"
#include "core/number_text.h"
#include "map/window_helpers.h"
#include "net/update_link.h"
#include "platform/sys/clock.h"

namespace ui = platform::ui;
namespace pn = platform::net;

void RegisterUpdateWindowTemplate() {
    static bool done = false;
    if (done && ui::FindDialogTemplate(kUpdateWindowTemplate)) return;
    done = true;
    ui::DialogTemplate t;
    t.id = kUpdateWindowTemplate;
    t.caption = "Messages";
    // Tall enough for its lines in the toolkit's rows, which are taller than the dialog units suppose.
    t.rect = {0, 0, 296, 142};
    t.items.push_back({ui::ControlKind::ListBox, kUpdateWindowList, "", 0, {4, 4, 292, 121}});
    t.items.push_back({ui::ControlKind::Button, kUpdateWindowCancel, "Cancel", 0, {240, 124, 292, 139}});
    ui::RegisterDialogTemplate(std::move(t));
}

std::string SocketErrorText(int error) {
    if (error == ETIMEDOUT) return "Socket Timeout";
    if (error == ECONNREFUSED) return "Socket connection refused";
    return "Socket error";
}

void ShowWinsockError(ui::Window* owner, std::string_view text) {
    ui::MessageBox(owner, text, "WinSock error", ui::Buttons::Ok, ui::Icon::None);
}

updateWindow::updateWindow(ui::Window* owner, UpdateLink* link)
    : ui::Dialog((RegisterUpdateWindowTemplate(), owner), kUpdateWindowTemplate), link_(link) {}

updateWindow::~updateWindow() {
    *alive_ = false;
    CloseSocket();
    if (link_) link_->WindowGone();
}

const ui::ResponseTable& updateWindow::Table() {
    using R = ui::ResponseTableOf<updateWindow, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Message(WmSocketNotify, &updateWindow::EvSocketMessage),
    });
    return table;
}

void updateWindow::SetupWindow() {
    ui::Dialog::SetupWindow();
    SetCaption("Update");
}

void updateWindow::CmCancel() {
    if (!link_) {
        CloseWindow(ui::IdCancel);  // the update is over: its reason has been read
        return;
    }
    if (link_->cancelled()) return;
    MessageText("Cancel: the update stops");
    link_->Cancel();
}

ui::ListBox* updateWindow::list() const { return Item<ui::ListBox>(kUpdateWindowList); }

void updateWindow::Message(const char* format, ...) {
    char text[1024];
    CNumbersScope numbers;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MessageText(text);
}

void updateWindow::MessageText(std::string_view text) {
    const platform::CivilTime now = platform::Clock().UtcNow();
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d: ", now.hour, now.minute, now.second);
    std::string line = stamp;
    line += text;
    if (echo_) echo_(line);
    if (text.starts_with("Problem")) failed_ = true;
    ui::ListBox* box = list();
    if (!box) return;
    if (box->count() >= kUpdateListMaxLines) box->DeleteString(0);
    box->AddString(line);
    // The newest line in full on the list's last row: as many rows as its height holds.
    const int rows = std::max(1, box->rect().height() / std::max(1, box->itemHeight()));
    box->SetTopIndex(std::max(0, box->count() - std::min(rows, kUpdateListShownLines)));
}

void updateWindow::EvClose() {
    // While its update runs the close box only hides it; after, it goes.
    if (link_) Show(ui::ShowCommand::Hide);
    else CloseWindow(ui::IdCancel);
}

void updateWindow::CloseSocket() {
    if (socket_.valid()) ui::UnwatchDescriptor(socket_.fd());
    socket_.Close();
    linkOpen_ = false;
    connecting_ = false;
}

bool updateWindow::Connect(const std::string& host, int port) {
    fill_ = 0;
    started_ = false;
    if (socket_.Open() != 0) {
        ShowWinsockError(this, "Open: Error opening socket.  Exiting");
        MessageText("Open: Error opening socket.  Exiting");
        return false;
    }
    std::string name = host;
    if (auto split = pn::SplitHostPort(host)) {
        name = split->host;
        if (split->port) port = split->port;
    }
    std::vector<std::uint32_t> addresses;
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
        auto address = pn::ParseDottedAddress(name);
        if (!address) {
            ShowWinsockError(this, "Open: inet_addr failed.  Exiting.");
            MessageText("Open: inet_addr failed.  Exiting.");
            CloseSocket();
            return false;
        }
        // The name is only for the record: an address without one still connects.
        hostName_ = pn::LookUpAddress(*address).value_or(name);
        addresses.push_back(*address);
    } else {
        addresses = pn::LookUpHost(name);
        hostName_ = name;
    }
    if (addresses.empty() || port < 1 || port > 65535) {
        Message("No link to %s.  Exiting.", host.c_str());
        CloseSocket();
        return false;
    }
    if (!ui::WatchDescriptor(socket_.fd(), *this, WmSocketNotify, ui::kWatchRead | ui::kWatchWrite)) {
        Message("Error %d creating async events.  Closing.", errno);
        CloseSocket();
        return false;
    }
    const int r = socket_.Connect({addresses.front(), static_cast<std::uint16_t>(port)});
    if (r != 0 && r != EINPROGRESS && r != EAGAIN) {
        Message("Connection error %d.", r);
        CloseSocket();
        return false;
    }
    MessageText("Socket connection initiated.  Waiting for completion.");
    connecting_ = true;
    return true;
}

ui::Result updateWindow::EvSocketMessage(ui::WParam fd, ui::LParam ready) {
    if (!socket_.valid() || static_cast<int>(fd) != socket_.fd()) return 0;
    const auto bits = static_cast<std::uint32_t>(ready);
    int error = 0;
    if (connecting_ && (bits & (ui::kWatchWrite | ui::kWatchError))) error = socket_.ConnectResult();
    else if (bits & ui::kWatchError) error = socket_.ConnectResult();
    if (error == 0 && (bits & ui::kWatchError) && !(bits & (ui::kWatchRead | ui::kWatchWrite))) error = EIO;
    if (error != 0) {
        if (error == ECONNREFUSED) MessageText("Connection refused.  Closing socket.");
        else Message("Error %d on the connection.  Closing socket", error);
        ShowWinsockError(this, "WmSocketMsg error.  Closing socket");
        CloseSocket();
        return 0;
    }
    if (connecting_ && (bits & ui::kWatchWrite)) {
        MessageText("Connection complete!!");
        int e = 0;
        if (auto l = socket_.LocalEndpoint(&e)) local_ = *l;
        else {
            Message("getsockname error: %d", e);
            ShowWinsockError(this, "getsockname error");
        }
        if (auto p = socket_.PeerEndpoint(&e)) peer_ = *p;
        else Message("getpeername error: %d", e);
        linkOpen_ = true;
        connecting_ = false;
        // From now on only arriving data matters.
        ui::WatchDescriptor(socket_.fd(), *this, WmSocketNotify, ui::kWatchRead);
    }
    if ((bits & ui::kWatchRead) && socket_.valid()) Receive();
    return 0;
}

int updateWindow::Receive() {
    if (receiving_) {
        MessageText("ReadSocket SENTRY");
        return 0;
    }
    receiving_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{receiving_};
    int error = 0;
    const long n = socket_.Receive(buffer_.data() + fill_, buffer_.size() - 1 - fill_, &error);
    if (n < 0) {
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) return 0;
        if (error == EALREADY) {
            MessageText("Blocking Call in progress.  Try again later");
            return 0;
        }
        Message("Error %d on recv() call.  Closing.", error);
        ShowWinsockError(this, "recv() error");
        CloseSocket();
        return 0;
    }
    if (n == 0) {
        // The peer has gone: stop watching a socket that would stay readable.
        MessageText("Connection closed by the server.");
        CloseSocket();
        return 0;
    }
    // Bytes before the reply's STX are dropped.
    std::size_t at = fill_;
    fill_ += static_cast<std::size_t>(n);
    if (!started_) {
        const void* stx = std::memchr(buffer_.data() + at, kStx, fill_ - at);
        if (!stx) {
            fill_ = 0;
            return static_cast<int>(n);
        }
        const std::size_t from = static_cast<std::size_t>(static_cast<const char*>(stx) - buffer_.data()) + 1;
        std::memmove(buffer_.data(), buffer_.data() + from, fill_ - from);
        fill_ -= from;
        at = 0;
        started_ = true;
    }
    if (const void* etx = std::memchr(buffer_.data() + at, kEtx, fill_ - at)) {
        reply_.assign(buffer_.data(), static_cast<std::size_t>(static_cast<const char*>(etx) - buffer_.data()));
        waiting_ = false;
        fill_ = 0;
        started_ = false;
        return static_cast<int>(n);
    }
    if (fill_ >= buffer_.size() - 1) {
        Message("Problem in buffer. nchar: %u", static_cast<unsigned>(fill_));
        fill_ = 0;
        started_ = false;
    }
    return static_cast<int>(n);
}

int updateWindow::SendFrame(std::string_view payload, std::string_view command) {
    if (!linkOpen_) return 0;
    const std::string frame = FrameCommand(command, payload);
    std::size_t done = 0;
    // A frame is small: a send buffer that stays full means a dead peer.
    while (done < frame.size()) {
        int error = 0;
        const long n = socket_.Send(std::string_view(frame).substr(done), &error);
        if (n < 0) return -1;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<int>(frame.size());
}

bool updateWindow::SendText(std::string_view command, std::string_view payload) {
    reply_.clear();
    fill_ = 0;
    started_ = false;
    sent_ = SendFrame(payload, command) > 0;
    waiting_ = sent_;
    return !sent_;
}

bool updateWindow::SendNumber(std::string_view command, double value) {
    // The server reads "%lg" as written in the C locale.
    return SendText(command, FormatGeneral(value));
}

std::optional<std::string> updateWindow::Wait(int seconds) {
    if (!sent_) return std::nullopt;
    const std::uint32_t start = platform::Clock().TickCount();
    const std::shared_ptr<bool> alive = alive_;
    while (waiting_) {
        const std::uint32_t elapsed = (platform::Clock().TickCount() - start) / 1000;
        if (elapsed > static_cast<std::uint32_t>(seconds) || !socket_.valid() || (link_ && link_->cancelled())) {
            waiting_ = false;
            sent_ = false;
            return std::nullopt;
        }
        DelayPumping(100);
        if (!*alive) return std::nullopt;  // deleted by a message of the pump
    }
    sent_ = false;
    return reply_;
}
