#include "net/http.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "core/helpers.h"
#include "platform/net/http.h"
#include "platform/sys/files.h"

namespace {

using platform::net::TransferEnd;

std::string_view OrEmpty(const char* text) { return text ? std::string_view(text) : std::string_view(); }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

void Put(std::FILE* f, std::string_view text) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
}

void WriteSentFile(std::string_view verb, const HttpAddress& address, std::string_view extraPath,
                   const char* headers, const char* body) {
    std::FILE* f = platform::OpenFile(kHttpSentFile, "wb");
    if (!f) return;
    Put(f, verb);
    Put(f, ": ");
    if (address.path) Put(f, *address.path);
    Put(f, extraPath);
    Put(f, "\nURL: ");
    Put(f, address.host);
    Put(f, "\n\n");
    if (headers) {
        Put(f, "Header:\n");
        Put(f, headers);
    }
    if (body) {
        Put(f, "Body:\n");
        Put(f, body);
    }
    std::fclose(f);
}

bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra = (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 0;
        if (extra == 0 || i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += extra + 1;
    }
    return true;
}

// Header bytes are Latin-1 on the wire; the file holds UTF-8.
std::string HeaderText(std::string_view raw) {
    if (IsUtf8(raw)) return std::string(raw);
    std::string out;
    for (char ch : raw) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void WriteHeaderFile(std::string_view raw) {
    std::FILE* f = platform::OpenFile(kHttpHeaderFile, "wt");
    if (!f) return;
    Put(f, HeaderText(raw));
    std::fclose(f);
}

void AppendErrorLine(const char* step, int code) {
    std::FILE* f = platform::OpenFile(kHttpErrorFile, "a+t");
    if (!f) return;
    std::fprintf(f, "Error %u in %s.\n", static_cast<unsigned>(code), step);
    std::fclose(f);
}

// Lines of the header text; a line without a colon is no header and is dropped.
// Nullopt when a line left could not go out as one header line of its own
// (a bare CR, a control character, a name that is no token).
std::optional<std::vector<std::string>> HeaderLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos) return std::nullopt;
        if (line.find(':') != std::string_view::npos) {
            if (!platform::net::ValidHeaderLine(line)) return std::nullopt;
            lines.emplace_back(line);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}

// The HttpRequest calls under way, innermost last; touched on the calling thread only.
std::vector<HttpTransfer*>& Running() {
    static std::vector<HttpTransfer*> running;
    return running;
}

// Listed among those under way for its scope, however the scope is left: a
// handler the pump runs may throw.
class RunningEntry {
public:
    explicit RunningEntry(HttpTransfer& transfer) : transfer_(&transfer) { Running().push_back(transfer_); }
    ~RunningEntry() {
        auto& running = Running();
        running.erase(std::remove(running.begin(), running.end(), transfer_), running.end());
    }
    RunningEntry(const RunningEntry&) = delete;
    RunningEntry& operator=(const RunningEntry&) = delete;

private:
    HttpTransfer* transfer_;
};

}  // namespace

std::optional<HttpAddress> SplitHttpAddress(std::string_view address) {
    std::size_t mark = address.find("://");
    if (mark == std::string_view::npos) return std::nullopt;
    HttpAddress a;
    a.secure = mark > 0 && (address[mark - 1] == 's' || address[mark - 1] == 'S');
    std::string_view rest = address.substr(mark + 3);
    std::size_t slash = rest.find('/');
    a.host = std::string(rest.substr(0, slash));
    if (slash != std::string_view::npos) a.path = std::string(rest.substr(slash + 1));
    return a;
}

// Everything one request needs on either thread. The worker touches only the
// spec, the sink's file and the reply, and only until it says it is done.
struct HttpTransfer::Exchange {
    HttpResult early;         // a request refused before sending
    bool refused = false;
    bool finished = false;
    std::string host, outputFile, outputPath;
    HttpLimits limits;
    platform::net::HttpRequestSpec spec;
    std::atomic<bool> cancel{false};
    std::unique_ptr<platform::SafeFileWriter> out;
    platform::net::HttpReply reply;
    std::mutex m;
    std::condition_variable ended;
    bool done = false;
    std::thread worker;
};

HttpTransfer::HttpTransfer(const char* verb, const char* address, const char* extraPath, const char* headers,
                           const char* body, const char* outputFile, const HttpLimits& limits)
    : x_(std::make_unique<Exchange>()) {
    Exchange& x = *x_;
    x.limits = limits;
    auto refuse = [&x](HttpOutcome outcome, int code) {
        x.refused = true;
        x.early.outcome = outcome;
        x.early.errorCode = code;
    };
    std::optional<HttpAddress> split = address ? SplitHttpAddress(address) : std::nullopt;
    if (!split) {
        refuse(HttpOutcome::kBadAddress, platform::net::kErrorBadAddress);
        return;
    }
    if (!outputFile || !*outputFile) {
        refuse(HttpOutcome::kNotStored, 0);
        return;
    }
    std::optional<std::vector<std::string>> headerLines =
        headers ? HeaderLines(headers) : std::vector<std::string>{};
    if (!headerLines) {
        DebugLog("Request to %s refused: a header line cannot be sent.", split->host.c_str());
        refuse(HttpOutcome::kBadRequest, platform::net::kErrorBadRequest);
        return;
    }

    std::string_view verbText = verb ? std::string_view(verb) : std::string_view("GET");
    std::string_view extra = OrEmpty(extraPath);
    WriteSentFile(verbText, *split, extra, headers, body);

    platform::net::HttpRequestSpec& spec = x.spec;
    std::string_view wireVerb = TrimBlanks(verbText);
    spec.verb = wireVerb.empty() ? "GET" : std::string(wireVerb);
    spec.scheme = split->secure ? platform::net::Scheme::kHttps : platform::net::Scheme::kHttp;
    spec.host = split->host;
    spec.objectName = split->path.value_or("") + std::string(extra);
    spec.headerLines = std::move(*headerLines);
    if (body) spec.body = body;
    spec.totalTimeoutMs = limits.totalMs;
    spec.maxBodyBytes = limits.maxBodyBytes;
    spec.cancel = &x.cancel;
    x.host = split->host;
    x.outputFile = outputFile;
    // Settled here: the current folder may change while the exchange runs.
    std::error_code ec;
    x.outputPath = std::filesystem::absolute(platform::ResolvePath(outputFile), ec).string();
    if (ec) x.outputPath = platform::ResolvePath(outputFile);

    // The output is replaced only by a whole body: pieces go to a temporary
    // file that Finish renames over the output once the transfer is complete.
    auto exchange = [&x, settings = platform::net::CurrentHttpSettings()] {
        auto sink = [&x](std::string_view piece) {
            if (!x.out) x.out = std::make_unique<platform::SafeFileWriter>(x.outputPath);
            return x.out->ok() && std::fwrite(piece.data(), 1, piece.size(), x.out->file()) == piece.size();
        };
        platform::net::HttpReply reply = platform::net::Perform(x.spec, sink, settings);
        std::lock_guard<std::mutex> lock(x.m);
        x.reply = std::move(reply);
        x.done = true;
        x.ended.notify_all();
    };
    try {
        x.worker = std::thread(exchange);
    } catch (const std::system_error& e) {
        // Out of threads: the request still gets its answer, only the loop waits for it.
        DebugLog("No thread for the request to %s (%s): it runs on the caller's.", x.host.c_str(), e.what());
        exchange();
    }
}

HttpTransfer::~HttpTransfer() {
    if (x_->worker.joinable()) {
        x_->cancel.store(true);
        x_->worker.join();
    }
}

bool HttpTransfer::Done() const {
    if (x_->refused) return true;
    std::lock_guard<std::mutex> lock(x_->m);
    return x_->done;
}

bool HttpTransfer::WaitFor(int ms) {
    if (x_->refused) return true;
    std::unique_lock<std::mutex> lock(x_->m);
    return x_->ended.wait_for(lock, std::chrono::milliseconds(std::max(ms, 0)), [this] { return x_->done; });
}

void HttpTransfer::Cancel() { x_->cancel.store(true); }

int HttpTransfer::Finish(HttpResult* result) {
    Exchange& x = *x_;
    HttpResult local;
    HttpResult& r = result ? *result : local;
    r = x.early;
    if (x.refused) return 1;
    if (x.finished) {
        r = HttpResult{HttpOutcome::kNotStored, 0, 0};
        return 1;
    }
    x.finished = true;
    if (x.worker.joinable()) x.worker.join();
    r = HttpResult{};
    auto fail = [&r](HttpOutcome outcome, int code) {
        r.outcome = outcome;
        r.errorCode = code;
        return 1;
    };
    const platform::net::HttpReply& reply = x.reply;
    const char* host = x.host.c_str();
    if (reply.end == TransferEnd::kNoAnswer) {
        DebugLog("Error %d has occurred.", reply.errorCode);
        DebugLog("No answer from %s: %s", host, reply.errorText.c_str());
        return fail(HttpOutcome::kNoAnswer, reply.errorCode);
    }
    r.status = reply.status;
    if (!reply.rawHeaders.empty()) WriteHeaderFile(reply.rawHeaders);

    switch (reply.end) {
        case TransferEnd::kCancelled:
            DebugLog("Request to %s cancelled.", host);
            return fail(HttpOutcome::kCancelled, reply.errorCode);
        case TransferEnd::kTooSlow:
            DebugLog("Answer from %s not done within %d ms.", host, x.limits.totalMs);
            return fail(HttpOutcome::kTooSlow, reply.errorCode);
        case TransferEnd::kTooLarge:
            DebugLog("Answer from %s longer than %lld bytes.", host, static_cast<long long>(x.limits.maxBodyBytes));
            return fail(HttpOutcome::kTooLarge, reply.errorCode);
        case TransferEnd::kStalled:
        case TransferEnd::kCutShort:
            AppendErrorLine("WinHttpQueryDataAvailable", reply.errorCode);
            DebugLog("Answer from %s cut short: %s", host, reply.errorText.c_str());
            return fail(HttpOutcome::kBodyCut, reply.errorCode);
        case TransferEnd::kUnreadable:
            AppendErrorLine("WinHttpReadData", reply.errorCode);
            DebugLog("Answer from %s cut short: %s", host, reply.errorText.c_str());
            return fail(HttpOutcome::kBodyCut, reply.errorCode);
        case TransferEnd::kStopped:
            DebugLog("Could not store the answer in %s.", x.outputFile.c_str());
            return fail(HttpOutcome::kNotStored, reply.errorCode);
        default:
            break;
    }
    if (!x.out) x.out = std::make_unique<platform::SafeFileWriter>(x.outputPath);  // an empty body
    if (!x.out->ok() || !x.out->Commit()) {
        DebugLog("Could not store the answer in %s.", x.outputFile.c_str());
        return fail(HttpOutcome::kNotStored, 0);
    }
    r.outcome = HttpOutcome::kComplete;
    return 0;
}

void SetTransferPump(std::function<void()> pump) { Pump() = std::move(pump); }

void CancelTransfers() {
    for (HttpTransfer* t : Running()) t->Cancel();
}

int TransfersRunning() { return static_cast<int>(Running().size()); }

int HttpRequest(const char* verb, const char* address, const char* extraPath, const char* headers,
                const char* body, const char* outputFile, HttpResult* result, const HttpLimits& limits) {
    HttpTransfer transfer(verb, address, extraPath, headers, body, outputFile, limits);
    {
        const RunningEntry listed(transfer);
        // Short waits while pumping, so the windows stay lively.
        while (!transfer.WaitFor(Pump() ? 5 : 1000)) {
            if (Pump()) Pump()();
        }
    }
    return transfer.Finish(result);
}

int RequestHttp::Send(std::string verb, std::string address, std::string extraPath, std::string headers,
                      std::string body, std::string outputFile) {
    return HttpRequest(verb.c_str(), address.c_str(), extraPath.c_str(), headers.c_str(), body.c_str(),
                       outputFile.c_str(), &result_);
}
