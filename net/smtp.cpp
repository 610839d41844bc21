#include "net/smtp.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/helpers.h"

namespace pn = platform::net;

thread_local std::string gSmtpError;
SmtpTimeouts gSmtpTimeouts;

namespace {

constexpr std::size_t kReceiveChunk = 1024;
// No sound reply comes near this; a peer that keeps talking is cut off.
constexpr std::size_t kMaxReplyBytes = 64 * 1024;

std::string ErrnoText(const char* what, int error) { return std::string(what) + ": " + SystemErrorText(error); }

bool IsFinalLine(std::string_view line) { return line.size() < 4 || line[3] != '-'; }

}  // namespace

std::string SmtpRefusalText(std::string_view reply, std::string_view awaited) {
    // The archive keeps one line per failure: the reply's lines joined, with
    // nothing in them that could start a line or drive a terminal.
    std::string out;
    for (std::size_t at = 0; at < reply.size();) {
        std::size_t end = std::min(reply.find('\n', at), reply.size());
        std::string line = WithoutControls(reply.substr(at, end - at));
        at = end + 1;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::size_t lead = line.find_first_not_of(' ');
        if (lead == std::string::npos) continue;
        // Whatever a control character separated stays apart.
        std::string squeezed;
        for (char c : line.substr(lead))
            if (c != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed += c;
        if (!out.empty()) out += ' ';
        out += squeezed;
    }
    if (out.empty()) return "empty reply from the SMTP server (" + std::string(awaited) + " awaited)";
    // "NOOP" is the all-clear: a peer that answers with it has still refused.
    if (out == "NOOP") return out + " (" + std::string(awaited) + " awaited)";
    return out;
}

std::string WithoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) out.push_back(c);
    }
    return out;
}

std::string SmtpMessageText(const std::string& subject, const std::string& sender, const StringListNode* recipients,
                            const std::string& body) {
    std::string out = "Subject: " + WithoutControls(subject) + "\r\nFrom:" + WithoutControls(sender) + "\r\n";
    for (const StringListNode* r = recipients; r; r = r->next) out += "To: " + WithoutControls(r->text) + "\r\n";
    out += "\r\n";
    // Every line end becomes CRLF, and a line that begins with a dot gets a
    // second one, so the body can never end the message early.
    bool lineStart = true;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
            out += "\r\n";
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.') out += '.';
        out += c;
        lineStart = false;
    }
    out += "\r\n.\r\n";
    return out;
}

Smtp::Smtp(const std::string& server, const std::string& sender, const StringListNode* recipients,
           const std::string& subject, const std::string& body, const SmtpTimeouts& timeouts)
    : server_(server), sender_(sender), recipients_(recipients), subject_(subject), body_(body), timeouts_(timeouts) {}

Smtp::~Smtp() = default;

void Smtp::Send() {
    deadline_ = Clock::now() + std::chrono::milliseconds(timeouts_.totalMs);
    pending_.clear();
    Connect();
    Greeting();
    Hello();
    MailFrom();
    RecipientsTo();
    Data();
    Message();
    try {
        Quit();
    } catch (const SmtpException&) {
        DebugLog("SMTP: the message went out; after it: %s", gSmtpError.c_str());
        gSmtpError = "NOOP";
    }
    socket_.Close();
}

int Smtp::Within(int ms) const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, std::max(ms, 0)));
}

void Smtp::Fail(std::string text) {
    gSmtpError = std::move(text);
    socket_.Close();
    throw SmtpException{};
}

void Smtp::Connect() {
    const std::optional<pn::HostAndPort> where = pn::SplitHostPort(server_);
    if (!where) Fail("invalid SMTP server");
    // A port given with the server stands in for the service look-up.
    int port = where->port;
    if (port == 0) port = pn::LookUpService("smtp");
    if (port == 0) Fail("SMTP is an unknown TCP service");

    std::uint32_t address = 0;
    if (std::optional<std::uint32_t> dotted = pn::ParseDottedAddress(where->host)) {
        address = *dotted;
    } else {
        bool timedOut = false;
        const std::vector<std::uint32_t> found = pn::LookUpHostWithin(where->host, Within(timeouts_.lookUpMs), &timedOut);
        if (timedOut) Fail("SMTP server look-up timed out");
        if (found.empty()) Fail("invalid SMTP server");
        address = found.front();
    }

    if (const int e = socket_.Open(); e != 0) Fail(ErrnoText("socket invalid", e));
    const pn::Endpoint peer{address, static_cast<std::uint16_t>(port)};
    int e = socket_.Connect(peer);
    if (e == EINPROGRESS) {
        e = socket_.WaitReady(pn::Readiness::kWrite, Within(timeouts_.connectMs));
        if (e == 0) e = socket_.ConnectResult();
    }
    if (e != 0) Fail(ErrnoText("connection to host failed", e));
}

void Smtp::Greeting() { Expect("220"); }

void Smtp::Hello() {
    std::string name;
    if (std::optional<pn::Endpoint> local = socket_.LocalEndpoint()) {
        bool timedOut = false;
        const std::optional<std::string> found =
            pn::LookUpAddressWithin(local->address, Within(timeouts_.lookUpMs), &timedOut);
        name = found ? WithoutControls(*found) : "[" + local->DottedAddress() + "]";
    }
    if (name.empty()) name = "localhost";
    Command("HELO " + name + "\r\n", "250");
}

void Smtp::MailFrom() { Command("MAIL FROM:<" + WithoutControls(sender_) + ">\r\n", "250"); }

void Smtp::RecipientsTo() {
    for (const StringListNode* r = recipients_; r; r = r->next) {
        const std::string to = WithoutControls(r->text);
        if (to.size() < 3) continue;
        Command("RCPT TO:<" + to + ">\r\n", "250");
    }
}

void Smtp::Data() { Command("DATA\r\n", "354"); }

void Smtp::Message() { Command(SmtpMessageText(subject_, sender_, recipients_, body_), "250"); }

void Smtp::Quit() {
    Command("QUIT\r\n", "221");
    socket_.Close();
}

void Smtp::Command(const std::string& text, const char* code) {
    SmtpSendText(text);
    Expect(code);
}

void Smtp::Expect(const char* code) {
    const std::string reply = SmtpReadReply();
    if (reply.compare(0, 3, code) != 0) Fail(SmtpRefusalText(reply, code));
}

void Smtp::SmtpSendText(std::string_view text) {
    while (!text.empty()) {
        int error = 0;
        const long n = socket_.Send(text, &error);
        if (n > 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
            const int e = socket_.WaitReady(pn::Readiness::kWrite, Within(timeouts_.replyMs));
            if (e == ETIMEDOUT) Fail("socket write timeout");
            if (e != 0) Fail(ErrnoText("socket write failed", e));
            continue;
        }
        if (n < 0 && error == EINTR) continue;
        Fail(n < 0 ? ErrnoText("socket write failed", error) : std::string("socket write failed"));
    }
}

std::string Smtp::SmtpReadReply() {
    const int waitMs = Within(timeouts_.replyMs);
    const auto until = Clock::now() + std::chrono::milliseconds(waitMs);
    std::size_t scanned = 0;  // bytes of pending_ known to hold only continuation lines
    for (;;) {
        for (std::size_t end; (end = pending_.find('\n', scanned)) != std::string::npos; scanned = end + 1) {
            if (!IsFinalLine(std::string_view(pending_).substr(scanned, end - scanned))) continue;
            std::string reply = pending_.substr(0, end + 1);
            pending_.erase(0, end + 1);
            return reply;
        }
        if (pending_.size() > kMaxReplyBytes) Fail("SMTP reply too long");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        const int e = socket_.WaitReady(pn::Readiness::kRead, static_cast<int>(std::max<long long>(left, 0)));
        if (e == ETIMEDOUT) Fail("socket read timeout");
        if (e != 0) Fail(ErrnoText("socket read failed", e));
        char buffer[kReceiveChunk];
        int error = 0;
        const long n = socket_.Receive(buffer, sizeof buffer, &error);
        if (n > 0) {
            pending_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            // The peer closed: what came is the reply.
            if (pending_.empty()) Fail("connection closed by the SMTP server");
            std::string reply = std::move(pending_);
            pending_.clear();
            return reply;
        }
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) continue;
        Fail(ErrnoText("socket read failed", error));
    }
}

int SendMail(const std::string& server, const std::string& sender, const StringListNode* recipients,
             const std::string& subject, const std::string& body, const SmtpTimeouts& timeouts) {
    // Said here, not left over from the previous send.
    if (server.empty()) {
        gSmtpError = "no EMAIL SERVER is set";
        return 1;
    }
    if (sender.find('@') == std::string::npos) {
        gSmtpError = "EMAIL SENDER has no @";
        return 1;
    }
    gSmtpError = "NOOP";
    try {
        Smtp smtp(server, sender, recipients, subject, body, timeouts);
        smtp.Send();
        return 0;
    } catch (const SmtpException&) {
        return 1;
    } catch (const std::exception& e) {
        gSmtpError = e.what();
        return 1;
    }
}
