#include "net/alert_email.h"

#include <cctype>
#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "app/view_open.h"
#include "core/c_numbers.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "net/alert.h"
#include "net/smtp.h"
#include "net/web_update.h"
#include "platform/sys/files.h"
#include "platform/sys/signals.h"

const ReportingNetwork gReportingNetworks[] = {
    {"AK", "Alaska"},
    {"AR", "Arizona"},
    {"AT", "Alaska Tsunami Warning Center"},
    {"CI", "Southern California"},
    {"HV", "Hawaii"},
    {"LD", "Lamont Doherty Earth Observatory"},
    {"MB", "Montana"},
    {"NC", "Northern California"},
    {"NE", "North East U.S."},
    {"NM", "New Madrid, Memphis"},
    {"NN", "Nevada"},
    {"PR", "Puerto Rico"},
    {"PT", "Pacific Tsunami Warning Center"},
    {"SE", "South East U.S."},
    {"UU", "Utah"},
    {"UW", "Pacific Northwest"},
    {"WY", "Doviredezur"},
    {"US", "U.S. National Earthquake Information Center"},
    {"", ""},
};

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    CNumbersScope numbers;  // "6.3 Earthquake" under any locale
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    return out;
}

struct Clock6 {
    std::string date;
    int hour, minute, second;
};
Clock6 Split(TimeValue t) { return {t.DateText(), t.Hour(), t.Minute(), t.Second()}; }

// The window's thread and the mail's share the archive; never destroyed, as
// the mail's thread may still run while the program ends.
std::mutex& ArchiveMutex() {
    static auto* m = new std::mutex;
    return *m;
}

void AppendToFile(const std::string& path, const std::string& text) {
    if (path.empty()) return;
    std::lock_guard<std::mutex> lock(ArchiveMutex());
    std::FILE* f = platform::OpenFile(path, "a+t");
    if (!f) return;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// Settled when the mail is posted: the current folder may change before it goes out.
std::string ArchivePath() {
    if (gArchiveFile.empty()) return {};
    std::error_code ec;
    std::string path = std::filesystem::absolute(platform::ResolvePath(gArchiveFile), ec).string();
    return ec ? platform::ResolvePath(gArchiveFile) : path;
}

struct OutgoingMail {
    std::string server, sender, subject, body;
    std::vector<std::string> recipients;
    std::string archive;
    SmtpTimeouts timeouts;  // as they were when posted: the globals belong to the window's thread
};

void ArchiveFailure(const OutgoingMail& mail, const std::string& reason) {
    AppendToFile(mail.archive, "\ne-mail did not go out\n" + reason + "\n");
}

// Alert e-mail goes out on a thread of its own, one message after another in
// the order posted, so that a slow or silent SMTP server never holds up the
// window. A send is bounded by its timeouts.
class MailOutbox {
public:
    void Post(OutgoingMail mail) {
        std::lock_guard<std::mutex> lock(m_);
        if (abandoned_) {
            ArchiveFailure(mail, kEnded);
            return;
        }
        if (!started_) {
            try {
                std::thread([this] { Run(); }).detach();
            } catch (const std::system_error& e) {
                // The next post tries again.
                ArchiveFailure(mail, std::string("no thread could be started to send it: ") + e.what());
                return;
            }
            started_ = true;
        }
        queue_.push_back(std::move(mail));
        wake_.notify_one();
    }

    bool WaitIdle(int ms) {
        std::unique_lock<std::mutex> lock(m_);
        return idle_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return queue_.empty() && !sending_; });
    }

    // At the program's end: what has not gone out is said so in the archive,
    // and a send under way no longer writes anything when it returns.
    void Abandon() {
        std::lock_guard<std::mutex> lock(m_);
        if (abandoned_) return;
        abandoned_ = true;
        // One the server has just taken is not said to have failed.
        if (sending_ && !currentSent_) ArchiveFailure(current_, "the program ended while it was being sent");
        sending_ = false;
        for (const OutgoingMail& mail : queue_) ArchiveFailure(mail, kEnded);
        queue_.clear();
        idle_.notify_all();
    }

private:
    static constexpr const char* kEnded = "the program ended before it was sent";

    void Run() {
        std::unique_lock<std::mutex> lock(m_);
        for (;;) {
            wake_.wait(lock, [this] { return !queue_.empty() || abandoned_; });
            if (abandoned_) return;
            current_ = std::move(queue_.front());
            queue_.pop_front();
            sending_ = true;
            currentSent_ = false;
            lock.unlock();
            StringListNode* recipients = nullptr;
            for (const std::string& r : current_.recipients) AppendStringNode(&recipients, std::string_view(r));
            const bool sent = SendMail(current_.server, current_.sender, recipients, current_.subject, current_.body,
                                       current_.timeouts) == 0;
            if (sent) currentSent_ = true;
            const std::string reason = gSmtpError;  // this thread's own
            FreeStringList(&recipients);
            lock.lock();
            if (abandoned_) return;
            if (!sent) {
                DebugLog("e-mail did not go out: %s", reason.c_str());
                ArchiveFailure(current_, reason);
            }
            sending_ = false;
            if (queue_.empty()) idle_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable wake_, idle_;
    std::deque<OutgoingMail> queue_;
    OutgoingMail current_;
    bool started_ = false, sending_ = false, abandoned_ = false;
    std::atomic<bool> currentSent_ = false;  // set the moment the server took it, before the lock is back
};

// Never destroyed: its thread may outlive the program's static objects.
MailOutbox& Outbox() {
    static auto* box = new MailOutbox;
    return *box;
}

struct AbandonMailAtExit {
    ~AbandonMailAtExit() { Outbox().Abandon(); }
} gAbandonMailAtExit;

}  // namespace

const char* ReportingNetworkName(std::string_view code) {
    for (const ReportingNetwork* n = gReportingNetworks; n->code[0]; ++n)
        if (code.substr(0, 2) == n->code) return n->name;
    return nullptr;
}

AlertEmailText ComposeAlertEmail(const QuakeRecord& quake, const std::string& network, const std::string& id,
                                 const std::string& name, const std::string& region, const std::string& country,
                                 std::int32_t miles, const std::string& compass, int plantFlag, TimeValue offset) {
    // Place texts come from tables: no control character may reach the
    // subject header or forge a line of the archive.
    const std::string n = WithoutControls(name), r = WithoutControls(region), c = WithoutControls(country),
                      point = WithoutControls(compass);
    const double magnitude = quake.magnitude * 0.1;
    const double depth = quake.depth * 0.00001;
    const double latitude = MasToDegrees(quake.latitude), longitude = MasToDegrees(quake.longitude);
    const char ns = latitude < 0 ? 'S' : 'N', ew = longitude < 0 ? 'W' : 'E';
    TimeValue t;
    t.SetFromQuake(quake);
    const Clock6 utc = Split(t);

    const std::string where = Format("Location:  %4.1f%c %5.1f%c   Depth: %3.1f km\r\n", std::abs(latitude), ns,
                                     std::abs(longitude), ew, depth);
    const std::string when =
        Format("Date/Time: %s %02d:%02d:%02d UTC\r\n", utc.date.c_str(), utc.hour, utc.minute, utc.second);
    AlertEmailText out;
    std::string head;
    if (!r.empty() && !n.empty()) {
        out.subject = Format("%3.1f Earthquake %d miles %s of %s, %s", magnitude, miles, point.c_str(), n.c_str(),
                             c.c_str());
        head = Format("Magnitude  %3.1f earthquake has occurred %d miles %s of %s, %s, %s.\r\n", magnitude, miles,
                      point.c_str(), n.c_str(), r.c_str(), c.c_str());
    } else if (!n.empty() && plantFlag) {
        out.subject = Format("%3.1f Earthquake %d miles %s of %s Nuclear Power Plant, %s", magnitude, miles,
                             point.c_str(), n.c_str(), c.c_str());
        head = Format("Magnitude  %3.1f earthquake has occurred %d miles %s of %s Nuclear Power Plant, %s.\r\n",
                      magnitude, miles, point.c_str(), n.c_str(), c.c_str());
    } else if (!n.empty()) {
        out.subject = Format("%3.1f Earthquake %d miles %s of %s, %s", magnitude, miles, point.c_str(), n.c_str(),
                             c.c_str());
        head = Format("Magnitude  %3.1f earthquake has occurred %d miles %s of %s, %s.\r\n", magnitude, miles,
                      point.c_str(), n.c_str(), c.c_str());
    } else if (!c.empty()) {
        out.subject = Format("%3.1f Earthquake in %s", magnitude, c.c_str());
        head = Format("Magnitude  %3.1f earthquake has occurred in %s.\r\n", magnitude, c.c_str());
    } else {
        out.subject = Format("%3.1f Earthquake", magnitude);
        head = Format("Magnitude  %3.1f earthquake has occurred.\r\n", magnitude);
    }
    out.body = head + where + when;

    const Clock6 local = Split(t + offset);
    out.body += Format("Date/Time: %s %02d:%02d:%02d %s", local.date.c_str(), local.hour, local.minute, local.second,
                       gTimeZoneName.c_str());
    if (const char* networkName = ReportingNetworkName(network); networkName && networkName[0])
        out.body += Format("\nReporting Network: %s: %s", WithoutControls(network).c_str(), networkName);
    out.body += "\n\nNOTE: This earthquake report has been reviewed by a seismologist.";
    out.body += "\n\nFor more information:\n\n" + gEventServiceAddress + "earthquakes/eventpage/" +
                WithoutControls(id) + "\n\n";
    out.body += "\n\nDO NOT REPLY TO THIS MESSAGE.";

    // Cut as the buffers would, never past them.
    if (out.subject.size() > kSubjectTextMax) out.subject.resize(kSubjectTextMax);
    if (out.body.size() > kBodyTextMax) out.body.resize(kBodyTextMax);
    return out;
}

void SendAlertEmail(const QuakeRecord& quake, std::string network, const std::string& id, const std::string& name,
                    const std::string& region, const std::string& country, std::int32_t miles,
                    const std::string& compass, int plantFlag) {
    int count = 0;
    // Whole lines: a long address cut into pieces would be several wrong ones.
    StringListNode* recipients = ReadWholeTextFileLines(kEmailAddressFile, &count);
    if (!recipients) return;

    for (char& ch : network) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    // The zone as the view shows it; the clock's offset already holds daylight time.
    gTimeZoneOffset = SystemTimeZone(gUseLocalTime != 0, gLocalTimeHours).offset;
    const AlertEmailText text =
        ComposeAlertEmail(quake, network, id, name, region, country, miles, compass, plantFlag, gTimeZoneOffset);

    AppendToArchive(std::string(UtcTimeStamp()) + "\nSubject: " + text.subject + "\n" + text.body + "\n");
    OutgoingMail mail{gEmailServer, gEmailSender, text.subject, text.body, {}, ArchivePath(), gSmtpTimeouts};
    for (const StringListNode* n = recipients; n; n = n->next) mail.recipients.emplace_back(n->text);
    FreeStringList(&recipients);
    Outbox().Post(std::move(mail));
}

void AppendToArchive(const std::string& text) { AppendToFile(gArchiveFile, text); }

bool WaitForOutgoingMail(int ms) { return Outbox().WaitIdle(ms); }

void AbandonOutgoingMail() { Outbox().Abandon(); }

void FinishOutgoingMail() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMailGraceMs);
    while (!platform::TerminationRequested() && std::chrono::steady_clock::now() < until)
        if (Outbox().WaitIdle(100)) break;
    Outbox().Abandon();
}
