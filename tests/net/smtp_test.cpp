// The SMTP client against a scripted peer on 127.0.0.1: whole dialogues,
// refusals at each stage, split, delayed and missing replies.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "core/helpers.h"
#include "net/smtp.h"
#include "platform/net/socket.h"
#include "tests/support/peer_process.h"
#include "tests/support/smtp_peer.h"

namespace {

using Stage = SmtpPeer::Stage;

// A recipient list as the address file gives it; freed with the object.
struct Recipients {
    StringListNode* head = nullptr;
    Recipients(std::initializer_list<const char*> lines) {
        for (const char* l : lines) AppendStringNode(&head, l);
    }
    ~Recipients() { FreeStringList(&head); }
};

// Short bounds so that silent peers end the tests quickly.
class SmtpDialogue : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = gSmtpTimeouts;
        gSmtpTimeouts = {2000, 2000, 400, 5000};
        gSmtpError.clear();
    }
    void TearDown() override { gSmtpTimeouts = saved_; }
    int Send(const std::string& server, const Recipients& to, const std::string& body = "Line one.\r\nLine two.") {
        return SendMail(server, "alerts@quorview.test", to.head, "6.3 Earthquake", body);
    }
    SmtpTimeouts saved_;
};

std::string HeloName() {
    return platform::net::LookUpAddress(0x7F000001).value_or("[127.0.0.1]");
}

// The client's side of a whole accepted dialogue up to DATA.
std::string OpeningTranscript() {
    return "S: 220 peer.test ready\n"
           "C: HELO " + HeloName() + "\n"
           "S: 250 peer.test\n"
           "C: MAIL FROM:<alerts@quorview.test>\n"
           "S: 250 sender ok\n"
           "C: RCPT TO:<first@example.test>\n"
           "S: 250 recipient ok\n";
}

}  // namespace

TEST_F(SmtpDialogue, TheWholeDialogueAsSentAndReceived) {
    SmtpPeer peer;
    Recipients to{"first@example.test", "ab", "second@example.test"};
    ASSERT_EQ(Send(peer.server(), to), 0) << gSmtpError << "\n" << peer.Transcript();
    EXPECT_EQ(gSmtpError, "NOOP");
    // The short line gets no RCPT but is still a To: line.
    const std::string want = OpeningTranscript() +
                             "C: RCPT TO:<second@example.test>\n"
                             "S: 250 recipient ok\n"
                             "C: DATA\n"
                             "S: 354 end with .\n"
                             "C: Subject: 6.3 Earthquake\n"
                             "C: From:alerts@quorview.test\n"
                             "C: To: first@example.test\n"
                             "C: To: ab\n"
                             "C: To: second@example.test\n"
                             "C: \n"
                             "C: Line one.\n"
                             "C: Line two.\n"
                             "C: .\n"
                             "S: 250 queued\n"
                             "C: QUIT\n"
                             "S: 221 bye\n";
    EXPECT_EQ(peer.Transcript(), want);
    EXPECT_EQ(peer.Message(),
              "Subject: 6.3 Earthquake\r\nFrom:alerts@quorview.test\r\nTo: first@example.test\r\nTo: ab\r\n"
              "To: second@example.test\r\n\r\nLine one.\r\nLine two.\r\n.\r\n");
}

TEST_F(SmtpDialogue, ARefusalAtEachStageEndsTheDialogueWithTheServersText) {
    struct Case {
        Stage stage;
        const char* reply;
        const char* lastCommand;  // the client's last line before the refusal; "" for none
    } cases[] = {
        {Stage::kGreeting, "554 no service here\r\n", ""},
        {Stage::kHelo, "501 bad name\r\n", "HELO"},
        {Stage::kMail, "550 sender refused\r\n", "MAIL FROM:<alerts@quorview.test>"},
        {Stage::kRcpt, "550 no such user\r\n", "RCPT TO:<first@example.test>"},
        {Stage::kData, "503 need recipients\r\n", "DATA"},
        {Stage::kMessage, "552 too big\r\n", "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        SmtpPeer peer({{c.stage, {c.reply}}});
        Recipients to{"first@example.test"};
        EXPECT_EQ(Send(peer.server(), to), 1);
        std::string reply = c.reply;
        reply.resize(reply.size() - 2);
        EXPECT_EQ(gSmtpError, reply) << peer.Transcript();
        // Nothing is sent after a refusal: the refusal ends the transcript.
        const std::string t = peer.Transcript();
        const std::string tail = "S: " + reply + "\n";
        ASSERT_GE(t.size(), tail.size()) << t;
        EXPECT_EQ(t.substr(t.size() - tail.size()), tail) << t;
        if (c.lastCommand[0]) {
            const std::size_t before = t.rfind("\nC: ", t.size() - tail.size());
            ASSERT_NE(before, std::string::npos) << t;
            EXPECT_EQ(t.compare(before + 4, std::strlen(c.lastCommand), c.lastCommand), 0) << t;
        } else {
            EXPECT_EQ(t, tail);
        }
    }
}

TEST_F(SmtpDialogue, AnAcceptedMessageIsSentWhateverQuitGets) {
    const std::vector<SmtpPeer::Answer> quits = {
        SmtpPeer::Answer("500 what quit\r\n"), SmtpPeer::Answer::HangUp(), SmtpPeer::Answer::Silent()};
    for (const SmtpPeer::Answer& quit : quits) {
        SCOPED_TRACE(quit.text + (quit.hangUp ? "hang-up" : "") + (quit.silent ? "silent" : ""));
        SmtpPeer peer({{Stage::kQuit, quit}});
        Recipients to{"first@example.test"};
        EXPECT_EQ(Send(peer.server(), to), 0) << gSmtpError << "\n" << peer.Transcript();
        EXPECT_EQ(gSmtpError, "NOOP");
        EXPECT_NE(peer.Transcript().find("C: QUIT\n"), std::string::npos);
    }
}

TEST_F(SmtpDialogue, SplitDelayedAndMultiLineRepliesAreReadToTheirFinalLine) {
    // A greeting in three lines, cut inside the code and inside a line, each
    // piece late: HELO must wait for the last line, and MAIL must not take
    // the greeting's rest for its own reply.
    const std::string greeting = "220-peer.test welcome\r\n220-more words\r\n220 ready\r\n";
    const std::string helo = "250-peer.test\r\n250-SIZE 1000\r\n250 HELP\r\n";
    SmtpPeer peer({{Stage::kGreeting, {greeting, {2, 9, 30, 47}, 40}},
                   {Stage::kHelo, {helo, {16, 17}, 30}},
                   {Stage::kRcpt, {"250 ok\r\n", {1, 2, 3}, 20}},
                   {Stage::kMessage, {"250-queued\r\n250 as 12\r\n", {10}, 50}}});
    Recipients to{"first@example.test"};
    ASSERT_EQ(Send(peer.server(), to), 0) << gSmtpError << "\n" << peer.Transcript();
    const std::string want = "S: 220-peer.test welcome\nS: 220-more words\nS: 220 ready\n"
                             "C: HELO " + HeloName() + "\n"
                             "S: 250-peer.test\nS: 250-SIZE 1000\nS: 250 HELP\n"
                             "C: MAIL FROM:<alerts@quorview.test>\n"
                             "S: 250 sender ok\n"
                             "C: RCPT TO:<first@example.test>\n"
                             "S: 250 ok\n"
                             "C: DATA\n";
    const std::string t = peer.Transcript();
    EXPECT_EQ(t.substr(0, want.size()), want) << t;
    EXPECT_NE(t.find("S: 250-queued\nS: 250 as 12\nC: QUIT\nS: 221 bye\n"), std::string::npos) << t;

    // A multi-line refusal is reported whole.
    SmtpPeer refusing({{Stage::kMail, {"550-first line\r\n550 second line\r\n", {5}, 20}}});
    EXPECT_EQ(Send(refusing.server(), to), 1);
    EXPECT_EQ(gSmtpError, "550-first line 550 second line") << refusing.Transcript();
}

TEST_F(SmtpDialogue, SilentAndVanishingPeersEndWithinTheBounds) {
    struct Case {
        Stage stage;
        bool hangUp;
        const char* error;
    } cases[] = {
        {Stage::kGreeting, false, "socket read timeout"},
        {Stage::kHelo, false, "socket read timeout"},
        {Stage::kData, false, "socket read timeout"},
        {Stage::kMessage, false, "socket read timeout"},
        {Stage::kGreeting, true, "connection closed by the SMTP server"},
        {Stage::kRcpt, true, "connection closed by the SMTP server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error + std::to_string(static_cast<int>(c.stage)));
        SmtpPeer peer({{c.stage, c.hangUp ? SmtpPeer::Answer::HangUp() : SmtpPeer::Answer::Silent()}});
        Recipients to{"first@example.test"};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Send(peer.server(), to), 1);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(gSmtpError, c.error) << peer.Transcript();
        // Well inside the whole dialogue's bound, not a hang.
        EXPECT_LT(took, std::chrono::milliseconds(gSmtpTimeouts.totalMs));
    }

    // A peer that trickles its reply forever is cut off by the reply's bound.
    SmtpPeer trickling({{Stage::kGreeting, {"220-a\r\n220-b\r\n220-c\r\n220-d\r\n220 e\r\n", {7, 14, 21, 28}, 150}}});
    Recipients to{"first@example.test"};
    EXPECT_EQ(Send(trickling.server(), to), 1);
    EXPECT_EQ(gSmtpError, "socket read timeout");
}

TEST_F(SmtpDialogue, ServersThatCannotBeReachedOrUsed) {
    Recipients to{"first@example.test"};
    EXPECT_EQ(Send("127.0.0.1:" + std::to_string(PeerProcess::ClosedPort()), to), 1);
    EXPECT_EQ(gSmtpError, "connection to host failed: Connection refused");

    EXPECT_EQ(Send("127.0.0.1:0", to), 1);
    EXPECT_EQ(gSmtpError, "invalid SMTP server");

    // A name is looked up; a dotted address is taken as it stands, even one
    // that no name belongs to.
    SmtpPeer named;
    EXPECT_EQ(Send("localhost:" + std::to_string(named.port()), to), 0) << gSmtpError << named.Transcript();
    SmtpPeer nameless({}, 0x7F0000FE);
    EXPECT_EQ(Send(nameless.server(), to), 0) << gSmtpError << nameless.Transcript();

    // Said as what it is, not left over from the send before.
    gSmtpError = "left over";
    EXPECT_EQ(SendMail("", "alerts@quorview.test", to.head, "s", "b"), 1);
    EXPECT_EQ(gSmtpError, "no EMAIL SERVER is set");
    EXPECT_EQ(SendMail("127.0.0.1:25", "alerts", to.head, "s", "b"), 1);
    EXPECT_EQ(gSmtpError, "EMAIL SENDER has no @");
}

TEST(SmtpMessage, LineEndsDotsAndHeaderValues) {
    struct Case {
        const char* body;
        const char* sent;  // the message after the blank line, terminator included
    } cases[] = {
        {"a\r\nb", "a\r\nb\r\n.\r\n"},
        {"a\nb\n", "a\r\nb\r\n\r\n.\r\n"},
        {"a\rb", "a\r\nb\r\n.\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n.\r\n"},
        {".starts", "..starts\r\n.\r\n"},
        {"a\n.\nb", "a\r\n..\r\nb\r\n.\r\n"},
        {"a\r\n..b", "a\r\n...b\r\n.\r\n"},
        {"mid.dot.", "mid.dot.\r\n.\r\n"},
        {"", "\r\n.\r\n"},
    };
    Recipients to{"a@b.test"};
    for (const Case& c : cases) {
        const std::string m = SmtpMessageText("s", "f@b.test", to.head, c.body);
        const std::string head = "Subject: s\r\nFrom:f@b.test\r\nTo: a@b.test\r\n\r\n";
        ASSERT_EQ(m.substr(0, head.size()), head) << c.body;
        EXPECT_EQ(m.substr(head.size()), c.sent) << c.body;
    }

    // No header value can start a header or a command of its own.
    Recipients forged{"a@b.test\r\nBcc: x@y.test", "c@d\x01.test"};
    const std::string m =
        SmtpMessageText("hi\r\nBcc: x@y.test\t", "f@b.test\nX-Forged: 1", forged.head, "body");
    EXPECT_EQ(m, "Subject: hiBcc: x@y.test\r\nFrom:f@b.testX-Forged: 1\r\nTo: a@b.testBcc: x@y.test\r\n"
                 "To: c@d.test\r\n\r\nbody\r\n.\r\n");
    EXPECT_EQ(WithoutControls(std::string("a\0b\x7f" "c\xe9", 6)), "abc\xe9");
}

TEST_F(SmtpDialogue, RecipientsCannotInjectCommands) {
    SmtpPeer peer;
    Recipients to{"first@example.test\r\nRCPT TO:<evil@example.test>"};
    ASSERT_EQ(Send(peer.server(), to), 0) << gSmtpError << peer.Transcript();
    const std::string t = peer.Transcript();
    EXPECT_NE(t.find("C: RCPT TO:<first@example.testRCPT TO:<evil@example.test>>\n"), std::string::npos) << t;
    EXPECT_EQ(t.find("C: RCPT TO:<evil"), std::string::npos) << t;
}

TEST_F(SmtpDialogue, ALongMessageGoesOutWhole) {
    SmtpPeer peer;
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back("recipient" + std::to_string(i) + "@example.test");
    Recipients to{};
    for (const std::string& n : names) AppendStringNode(&to.head, n);
    std::string body;
    for (int i = 0; i < 3000; ++i) body += "A line of the body that is long enough to matter.\r\n.\r\n";
    ASSERT_EQ(Send(peer.server(), to, body), 0) << gSmtpError;
    const std::string m = peer.Message();
    EXPECT_EQ(m, SmtpMessageText("6.3 Earthquake", "alerts@quorview.test", to.head, body));
    EXPECT_GT(m.size(), 150000u);
}
