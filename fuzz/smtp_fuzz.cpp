// The SMTP client's dialogue against a scripted peer on 127.0.0.1. The input
// is the peer's replies, one per stage (greeting, HELO, MAIL, RCPT, DATA, the
// message, QUIT), cut by separator lines; the peer hangs up at the stage
// after the last. Contracts: a send that fails says why on one line, one
// that succeeds says "NOOP"; when every reply is one whole reply the
// outcome is exactly what the codes say, a refusal is named by its reply,
// and an accepted message reached the peer whole.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/helpers.h"
#include "fuzz/fuzz_support.h"
#include "net/smtp.h"
#include "tests/support/smtp_peer.h"

namespace {

using Stage = SmtpPeer::Stage;

// The stages in the order the client meets them, with the code it awaits.
struct StageCode {
    Stage stage;
    const char* code;
};
constexpr StageCode kDialogue[] = {{Stage::kGreeting, "220"}, {Stage::kHelo, "250"}, {Stage::kMail, "250"},
                                   {Stage::kRcpt, "250"},     {Stage::kData, "354"}, {Stage::kMessage, "250"},
                                   {Stage::kQuit, "221"}};
constexpr std::size_t kStageCount = sizeof kDialogue / sizeof kDialogue[0];

bool FinalLine(std::string_view line) { return line.size() < 4 || line[3] != '-'; }

// One whole reply: lines each ending in LF, only the last of them final.
bool OneReply(std::string_view text) {
    if (text.empty() || text.back() != '\n') return false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const bool last = end + 1 == text.size();
        if (FinalLine(text.substr(at, end - at)) != last) return false;
        at = end + 1;
    }
    return true;
}

struct Recipients {
    StringListNode* head = nullptr;
    Recipients() { AppendStringNode(&head, "duty@example.test"); }
    ~Recipients() { FreeStringList(&head); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Each part's line end stays with it: the separator line begins after it.
    std::vector<std::string> replies;
    const auto parts = fuzz::Split(input, kFuzzPartSeparator, kStageCount);
    for (std::size_t i = 0; i < parts.size(); ++i) replies.emplace_back(std::string(parts[i]) + (i + 1 < parts.size() ? "\n" : ""));
    // The peer gives its usual reply for an empty text, so a part is never empty.
    bool whole = true;
    for (std::string& r : replies) {
        if (r.empty()) r = "\r\n";
        whole = whole && OneReply(r);
    }
    fuzz::EnterCleanFolder();

    std::map<Stage, SmtpPeer::Answer> script;
    for (std::size_t i = 0; i < replies.size(); ++i) script[kDialogue[i].stage] = SmtpPeer::Answer(replies[i]);
    if (replies.size() < kStageCount) script[kDialogue[replies.size()].stage] = SmtpPeer::Answer::HangUp();

    // A reply that never ends waits out its bound; whole replies never wait.
    const SmtpTimeouts saved = gSmtpTimeouts;
    gSmtpTimeouts = whole ? SmtpTimeouts{2000, 2000, 10000, 20000} : SmtpTimeouts{2000, 2000, 100, 1000};
    SmtpPeer peer(script);
    FUZZ_CHECK(peer.port() != 0, "the peer listens");
    const Recipients to;
    const std::string body = "Line one.\r\n.Line two.";
    const int result = SendMail(peer.server(), "alerts@quorview.test", to.head, "6.3 Earthquake", body);
    const std::string transcript = peer.Transcript();
    gSmtpTimeouts = saved;

    const std::string shown = "result " + std::to_string(result) + ", error \"" + gSmtpError + "\"\n" + transcript;
    FUZZ_CHECK(result == 0 || result == 1, shown);
    FUZZ_CHECK((result == 0) == (gSmtpError == "NOOP"), "the error says the outcome: " + shown);
    FUZZ_CHECK(!gSmtpError.empty(), "a reason: " + shown);
    for (char c : gSmtpError) {
        const auto u = static_cast<unsigned char>(c);
        FUZZ_CHECK(u >= 0x20 && u != 0x7F, "one line for the archive: " + shown);
    }
    if (!whole) return 0;

    // Whole replies: the client sees them as the peer sent them, one a stage.
    std::size_t refused = kStageCount;
    for (std::size_t i = 0; i + 1 < kStageCount; ++i) {
        if (i >= replies.size() || replies[i].compare(0, 3, kDialogue[i].code) != 0) {
            refused = i;
            break;
        }
    }
    FUZZ_CHECK((result == 0) == (refused == kStageCount), "the codes decide: " + shown);
    if (refused < kStageCount && refused < replies.size())
        FUZZ_CHECK(gSmtpError == SmtpRefusalText(replies[refused], kDialogue[refused].code),
                   "the refusal is named by its reply: " + shown);
    if (refused < kStageCount && refused == replies.size())
        FUZZ_CHECK(gSmtpError == "connection closed by the SMTP server", "the peer hung up: " + shown);
    if (result == 0)
        FUZZ_CHECK(peer.Message() == SmtpMessageText("6.3 Earthquake", "alerts@quorview.test", to.head, body),
                   "the message reached the peer whole: " + shown);
    return 0;
}
