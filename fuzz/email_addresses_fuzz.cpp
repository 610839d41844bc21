// The alert e-mail's address file, "EMAIL_ADDR.TXT", as a reported alert
// reads it and mails a scripted peer on 127.0.0.1. The input is the file.
// Contracts: without a line nothing is sent or archived; otherwise the
// dialogue holds only its own commands, every line of the file long enough
// to be an address is a recipient and every line is a To: header, each
// without its control characters, in the file's order.
#include <cstdint>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "fuzz/fuzz_clock.h"
#include "fuzz/fuzz_support.h"
#include "net/alert_email.h"
#include "net/smtp.h"
#include "net/web_update.h"
#include "tests/support/smtp_peer.h"

namespace {

// The file's lines: cut at LF, every CR before the line end dropped.
std::vector<std::string> FileLines(std::string_view file) {
    std::vector<std::string> lines;
    while (!file.empty()) {
        const std::size_t nl = file.find('\n');
        std::string line(file.substr(0, nl));
        file.remove_prefix(nl == std::string_view::npos ? file.size() : nl + 1);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Lines(std::string_view text, std::string_view end) {
    std::vector<std::string> out;
    for (std::string_view l : fuzz::Split(text, end, SIZE_MAX)) out.emplace_back(l);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    fuzz::EnterCleanFolder();
    fuzz::WriteFile(kEmailAddressFile, file);
    platform::ManualClock& clock = fuzz::ResetClock();
    clock.SetUtc({2024, 5, 1, 12, 0, 0, 0});
    clock.SetZone(0, "UTC", false);
    ResetConfigValues();
    ResetViewSettings();
    gEventServiceAddress = kDefaultEventServiceAddress;
    gArchiveFile = "archive.txt";
    gEmailSender = "alerts@quorview.test";
    const SmtpTimeouts saved = gSmtpTimeouts;
    gSmtpTimeouts = {2000, 2000, 10000, 20000};

    std::string transcript, message;
    {
        SmtpPeer peer;
        FUZZ_CHECK(peer.port() != 0, "the peer listens");
        gEmailServer = peer.server();
        const QuakeRecord q = MakeEventRecord(nullptr, 2024, 5, 1, 11, 20, 5.7, -12.3, -77.26, 33.4, 6.3);
        SendAlertEmail(q, "us", "us6000abcd", "Alphaville", "North Province", "Testland", 68, "S", 0);
        FUZZ_CHECK(WaitForOutgoingMail(30000), "the e-mail's send ends");
        transcript = peer.Transcript();
        message = peer.Message();
    }
    gSmtpTimeouts = saved;

    const std::vector<std::string> lines = FileLines(file);
    const std::string shown = transcript + "----\n" + message;
    if (lines.empty()) {
        FUZZ_CHECK(transcript.empty() && !fuzz::Exists("archive.txt"), "no address, no e-mail: " + shown);
        return 0;
    }
    FUZZ_CHECK(fuzz::ReadFile("archive.txt").find("\nSubject: 6.3 Earthquake") != std::string::npos,
               "the alert is archived");

    std::vector<std::string> recipients, headers;
    for (const std::string& l : lines) {
        const std::string clean = WithoutControls(l);
        if (clean.size() >= 3) recipients.push_back(clean);
        headers.push_back(clean);
    }

    // The client's commands up to DATA: HELO, MAIL, one RCPT per address.
    std::vector<std::string> commands;
    for (const std::string& l : Lines(transcript, "\n"))
        if (l.rfind("C: ", 0) == 0) commands.push_back(l.substr(3));
    FUZZ_CHECK(commands.size() >= 3 + recipients.size(), "the dialogue: " + shown);
    FUZZ_CHECK(commands[0].rfind("HELO ", 0) == 0, "HELO first: " + shown);
    FUZZ_CHECK(commands[1] == "MAIL FROM:<alerts@quorview.test>", "then MAIL: " + shown);
    for (std::size_t i = 0; i < recipients.size(); ++i)
        FUZZ_CHECK(commands[2 + i] == "RCPT TO:<" + recipients[i] + ">", "recipient " + std::to_string(i) + ": " + shown);
    FUZZ_CHECK(commands[2 + recipients.size()] == "DATA", "then DATA: " + shown);

    // The message's To: headers, one per line of the file.
    const std::size_t end = message.find("\r\n\r\n");
    FUZZ_CHECK(end != std::string::npos, "the message's headers: " + shown);
    std::vector<std::string> to;
    for (const std::string& h : Lines(message.substr(0, end), "\r\n"))
        if (h.rfind("To: ", 0) == 0) to.push_back(h.substr(4));
    FUZZ_CHECK(to == headers, "a To: header for each line: " + shown);
    FUZZ_CHECK(message.size() >= 5 && message.compare(message.size() - 5, 5, "\r\n.\r\n") == 0 &&
                   message.find("\r\n.\r\n") == message.size() - 5,
               "the message ends once, at its end: " + shown);
    ResetViewSettings();
    ResetConfigValues();
    return 0;
}
