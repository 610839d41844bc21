#pragma once
// The SMTP client of the alert e-mail: one message over one TCP connection,
// in a single blocking call whose every wait is bounded.
#include <chrono>
#include <string>
#include <string_view>

#include "platform/net/socket.h"

struct StringListNode;

// Why the last send of this thread failed; "NOOP" while one runs. Each thread
// has its own: the alert e-mail is sent on a thread of its own.
extern thread_local std::string gSmtpError;

// Bounds of the waits of one send, in milliseconds. The whole dialogue never
// takes longer than total, so the program it blocks comes back.
struct SmtpTimeouts {
    int lookUpMs = 10000;  // server name, and the local name for HELO
    int connectMs = 10000;
    int replyMs = 30000;   // one reply, however it is split; also one blocked send
    int totalMs = 60000;
};
extern SmtpTimeouts gSmtpTimeouts;  // tests shorten them

// Thrown inside the client only; the text is in gSmtpError.
struct SmtpException {};

// One message. It holds, not owns, the texts and the recipient list.
class Smtp {
public:
    Smtp(const std::string& server, const std::string& sender, const StringListNode* recipients,
         const std::string& subject, const std::string& body, const SmtpTimeouts& timeouts = gSmtpTimeouts);
    virtual ~Smtp();
    Smtp(const Smtp&) = delete;
    Smtp& operator=(const Smtp&) = delete;

    // The dialogue; throws SmtpException. Once the server accepted the
    // message a failing QUIT no longer counts.
    void Send();

    // Sends all of text.
    void SmtpSendText(std::string_view text);
    // One whole reply, multi-line replies to their final line, line ends
    // included; bytes after it wait for the next reply.
    std::string SmtpReadReply();

private:
    using Clock = std::chrono::steady_clock;

    void Connect();
    void Greeting();
    void Hello();
    void MailFrom();
    void RecipientsTo();
    void Data();
    void Message();
    void Quit();
    void Command(const std::string& text, const char* code);
    void Expect(const char* code);
    [[noreturn]] void Fail(std::string text);
    // ms, cut to what is left of the whole dialogue.
    int Within(int ms) const;

    const std::string& server_;
    const std::string& sender_;
    const StringListNode* recipients_;
    const std::string& subject_;
    const std::string& body_;
    SmtpTimeouts timeouts_;
    Clock::time_point deadline_;
    platform::net::Socket socket_;
    std::string pending_;  // received bytes past the last reply
};

// 0 when the server accepted the message, 1 when not (gSmtpError says why).
int SendMail(const std::string& server, const std::string& sender, const StringListNode* recipients,
             const std::string& subject, const std::string& body, const SmtpTimeouts& timeouts = gSmtpTimeouts);

// What the client sends after DATA: headers, the body with its line ends made
// CRLF and its dots stuffed, and the terminator.
std::string SmtpMessageText(const std::string& subject, const std::string& sender, const StringListNode* recipients,
                            const std::string& body);
// text without CR, LF or any other control character: fit for a header or a command.
std::string WithoutControls(std::string_view text);
// A reply that refused a step, as one line: its lines joined by a blank,
// control characters dropped; an empty reply says so and what was awaited.
std::string SmtpRefusalText(std::string_view reply, std::string_view awaited);
