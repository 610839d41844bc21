#include "platform/net/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace platform::net {

namespace {

const HttpSettings kDefaultSettings;
const HttpSettings* gOverride = nullptr;

bool IsDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A port as written after the host: 1..65535, digits only.
bool ValidPort(std::string_view s) {
    if (!IsDigits(s) || s.size() > 5) return false;
    long v = std::strtol(std::string(s).c_str(), nullptr, 10);
    return v >= 1 && v <= 65535;
}

bool ValidName(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '.' && c != '-' && c != '_') return false;
    }
    return true;
}

bool ValidV6(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (!std::isxdigit(u) && c != ':' && c != '.') return false;
    }
    return true;
}

// Splits "name[:port]" or "[v6][:port]"; false when it does not name a peer.
bool SplitHost(std::string_view host, std::string& name, std::string& port) {
    std::string_view rest;
    if (!host.empty() && host.front() == '[') {
        std::size_t close = host.find(']');
        if (close == std::string_view::npos || !ValidV6(host.substr(1, close - 1))) return false;
        name = std::string(host.substr(0, close + 1));
        rest = host.substr(close + 1);
    } else {
        std::size_t colon = host.find(':');
        if (!ValidName(host.substr(0, colon))) return false;
        name = std::string(host.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : host.substr(colon);
    }
    if (rest.empty()) return true;
    if (rest.front() != ':' || !ValidPort(rest.substr(1))) return false;
    port = std::string(rest.substr(1));
    return true;
}

bool IsTokenChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool ValidVerb(std::string_view verb) {
    if (verb.empty()) return false;
    for (char c : verb)
        if (!IsTokenChar(c)) return false;
    return true;
}

// The object name goes on the request line as given, except for bytes a URL
// cannot hold; '#' is escaped too so that it is sent, not taken for a fragment.
std::string EscapeObjectName(std::string_view object) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : object) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || std::string_view("\"<>\\^`{|}#").find(c) != std::string_view::npos) {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool IsFieldChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return c == '\t' || (u >= 0x20 && u != 0x7F);
}

bool HasHeader(const std::vector<std::string>& lines, std::string_view name) {
    for (const std::string& line : lines) {
        if (line.size() <= name.size() || line[name.size()] != ':') continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(line[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (same) return true;
    }
    return false;
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

using SteadyClock = std::chrono::steady_clock;

// What the callbacks learn during one transfer.
struct Transfer {
    const BodySink* sink = nullptr;
    CURL* handle = nullptr;
    std::chrono::milliseconds idleLimit{0};
    SteadyClock::time_point started = SteadyClock::now();
    std::chrono::milliseconds totalLimit{0};
    bool tooSlow = false;
    std::int64_t bodyBytes = 0, maxBodyBytes = 0;
    bool tooLarge = false;
    SteadyClock::time_point lastActivity = SteadyClock::now();
    curl_off_t lastDown = 0, lastUp = 0;
    bool stalled = false;
    std::string headers;      // the latest answer's header block
    bool inBlock = false;     // between its status line and its blank line
    long blockStatus = 0;
    int finishedAnswers = 0;  // complete header blocks other than 1xx
    bool sinkRefused = false;
    const std::atomic<bool>* cancel = nullptr;
    bool cancelled = false;
};

long StatusOfLine(std::string_view line) {
    std::size_t sp = line.find(' ');
    if (sp == std::string_view::npos || line.size() < sp + 4) return 0;
    std::string_view code = line.substr(sp + 1, 3);
    return IsDigits(code) ? std::strtol(std::string(code).c_str(), nullptr, 10) : 0;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::size_t n = size * count;
    t->lastActivity = SteadyClock::now();
    std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        t->headers.clear();
        t->inBlock = true;
        t->blockStatus = StatusOfLine(line);
    }
    if (!t->inBlock) return n;  // trailers after a chunked body
    t->headers.append(line);
    if (line == "\r\n" || line == "\n") {
        t->inBlock = false;
        if (t->blockStatus < 100 || t->blockStatus >= 200) ++t->finishedAnswers;
    }
    return n;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::size_t n = size * count;
    t->lastActivity = SteadyClock::now();
    if (n == 0) return 0;
    // A declared length over the cap is refused at the body's first piece.
    curl_off_t declared = -1;
    if (t->bodyBytes == 0) curl_easy_getinfo(t->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &declared);
    if (declared > t->maxBodyBytes || t->bodyBytes + static_cast<std::int64_t>(n) > t->maxBodyBytes) {
        t->tooLarge = true;
        return 0;
    }
    t->bodyBytes += static_cast<std::int64_t>(n);
    if (!(*t->sink)(std::string_view(data, n))) {
        t->sinkRefused = true;
        return 0;
    }
    return n;
}

// The receive time-out: once connected, the transfer ends when no byte has
// moved either way for the limit (connecting has its own); and the whole
// exchange ends at its total limit, however busy. Called about once a second
// while idle, and as data moves.
int OnProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto* t = static_cast<Transfer*>(user);
    if (t->cancel && t->cancel->load()) {
        t->cancelled = true;
        return 1;
    }
    SteadyClock::time_point now = SteadyClock::now();
    if (now - t->started >= t->totalLimit) {
        t->tooSlow = true;
        return 1;
    }
    curl_off_t connected = 0;
    curl_easy_getinfo(t->handle, CURLINFO_PRETRANSFER_TIME_T, &connected);
    if (connected == 0 || down != t->lastDown || up != t->lastUp) {
        t->lastDown = down;
        t->lastUp = up;
        t->lastActivity = now;
    }
    if (now - t->lastActivity < t->idleLimit) return 0;
    t->stalled = true;
    return 1;
}

struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

// The transfer as the library's own blocking call runs it, but waking every
// few tens of milliseconds, so a cancel ends it at once rather than at the
// library's next once-a-second look.
CURLcode RunTransfer(CURL* c, Transfer& t) {
    if (!t.cancel) return curl_easy_perform(c);
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), c) != CURLM_OK) return CURLE_FAILED_INIT;
    CURLcode code = CURLE_RECV_ERROR;  // until the library says how it ended
    for (int running = 1; running > 0;) {
        if (t.cancel->load()) {
            t.cancelled = true;
            code = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            code = CURLE_RECV_ERROR;
            break;
        }
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left))
            if (msg->msg == CURLMSG_DONE) code = msg->data.result;
        if (running > 0 && curl_multi_poll(multi.get(), nullptr, 0, 25, nullptr) != CURLM_OK) {
            code = CURLE_RECV_ERROR;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), c);
    return code;
}

HttpReply Refused(int code, std::string text) {
    HttpReply r;
    r.end = TransferEnd::kNoAnswer;
    r.errorCode = code;
    r.errorText = std::move(text);
    return r;
}

}  // namespace

bool ValidHeaderLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    for (char c : line.substr(0, colon))
        if (!IsTokenChar(c)) return false;
    for (char c : line.substr(colon + 1))
        if (!IsFieldChar(c)) return false;
    return true;
}

const HttpSettings& CurrentHttpSettings() { return gOverride ? *gOverride : kDefaultSettings; }

void OverrideHttpSettingsForTesting(const HttpSettings* settings) { gOverride = settings; }

std::optional<std::string> RequestUrl(const HttpRequestSpec& spec) {
    std::string name, port;
    if (!SplitHost(spec.host, name, port)) return std::nullopt;
    bool secure = spec.scheme == Scheme::kHttps;
    if (port.empty()) port = secure ? "443" : "80";
    return std::string(secure ? "https://" : "http://") + name + ":" + port + "/" + EscapeObjectName(spec.objectName);
}

HttpReply Perform(const HttpRequestSpec& spec, const BodySink& sink, const HttpSettings& settings) {
    std::optional<std::string> url = RequestUrl(spec);
    if (!url) return Refused(kErrorBadAddress, "host does not name a peer: " + spec.host);
    if (!ValidVerb(spec.verb)) return Refused(kErrorBadRequest, "verb is not a token: " + spec.verb);
    for (const std::string& line : spec.headerLines)
        if (!ValidHeaderLine(line)) return Refused(kErrorBadRequest, "header line cannot be sent: " + line);

    GlobalInit();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return Refused(CURLE_FAILED_INIT, "no transfer handle");
    CURL* c = curl.get();

    Transfer t;
    t.sink = &sink;
    t.handle = c;
    t.idleLimit = std::chrono::milliseconds(std::max(1, settings.receiveTimeoutMs));
    t.totalLimit = std::chrono::milliseconds(std::max(1, spec.totalTimeoutMs));
    t.maxBodyBytes = std::max<std::int64_t>(0, spec.maxBodyBytes);
    t.cancel = spec.cancel;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    bool secure = spec.scheme == Scheme::kHttps;

    // Nothing but the request's own lines: no Accept, no Expect round trip,
    // no form content type slipped in for a body.
    curl_slist* raw = nullptr;
    for (const std::string& line : spec.headerLines) raw = curl_slist_append(raw, line.c_str());
    if (!HasHeader(spec.headerLines, "Accept")) raw = curl_slist_append(raw, "Accept:");
    if (!HasHeader(spec.headerLines, "Expect")) raw = curl_slist_append(raw, "Expect:");
    bool hasBody = spec.body && !spec.body->empty();
    if (hasBody && !HasHeader(spec.headerLines, "Content-Type")) raw = curl_slist_append(raw, "Content-Type:");
    std::unique_ptr<curl_slist, SlistDeleter> headerList(raw);

    curl_easy_setopt(c, CURLOPT_URL, url->c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(settings.maxRedirects));
    curl_easy_setopt(c, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connectTimeoutMs));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, settings.caFile.c_str());
    curl_easy_setopt(c, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);

    if (hasBody) {
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(spec.body->size()));
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, spec.body->data());
        if (spec.verb != "POST") curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, spec.verb.c_str());
    } else if (spec.verb == "GET") {
        curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    } else if (spec.verb == "HEAD") {
        curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    } else if (spec.verb == "POST") {
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, "");
    } else {
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, spec.verb.c_str());
    }

    CURLcode code = RunTransfer(c, t);
    if (code == CURLE_ABORTED_BY_CALLBACK && t.stalled) {
        code = CURLE_OPERATION_TIMEDOUT;
        std::snprintf(errorBuffer, sizeof errorBuffer, "no data for %d ms", settings.receiveTimeoutMs);
    }
    if (code == CURLE_ABORTED_BY_CALLBACK && t.tooSlow) {
        code = CURLE_OPERATION_TIMEDOUT;
        std::snprintf(errorBuffer, sizeof errorBuffer, "not done within %d ms", spec.totalTimeoutMs);
    }
    if (code == CURLE_WRITE_ERROR && t.tooLarge) {
        t.tooLarge = true;
        code = CURLE_FILESIZE_EXCEEDED;
        std::snprintf(errorBuffer, sizeof errorBuffer, "body longer than %lld bytes",
                      static_cast<long long>(t.maxBodyBytes));
    }

    HttpReply reply;
    reply.errorCode = static_cast<int>(code);
    reply.errorText = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    long status = 0, redirects = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(c, CURLINFO_REDIRECT_COUNT, &redirects);
    // The final answer's headers arrived when every redirect followed was
    // answered and one more answer completed after them.
    bool answered = status != 0 && t.finishedAnswers == redirects + 1 && code != CURLE_TOO_MANY_REDIRECTS;

    if (code == CURLE_OK) {
        reply.end = TransferEnd::kComplete;
        reply.errorText.clear();
    } else if (t.cancelled) {
        reply.end = TransferEnd::kCancelled;
        reply.errorText = "cancelled";
    } else if (t.tooLarge) {
        reply.end = TransferEnd::kTooLarge;
    } else if (t.tooSlow) {
        reply.end = TransferEnd::kTooSlow;
    } else if (code == CURLE_WRITE_ERROR && t.sinkRefused) {
        reply.end = TransferEnd::kStopped;
    } else if (answered && code == CURLE_OPERATION_TIMEDOUT) {
        reply.end = TransferEnd::kStalled;
    } else if (answered && code == CURLE_PARTIAL_FILE) {
        reply.end = TransferEnd::kCutShort;
    } else if (answered && (code == CURLE_RECV_ERROR || code == CURLE_BAD_CONTENT_ENCODING)) {
        reply.end = TransferEnd::kUnreadable;
    } else {
        reply.end = TransferEnd::kNoAnswer;
    }
    const bool limited = reply.end == TransferEnd::kTooLarge || reply.end == TransferEnd::kTooSlow ||
                         reply.end == TransferEnd::kCancelled;
    if (reply.end != TransferEnd::kNoAnswer && (!limited || answered)) {
        reply.status = status;
        reply.rawHeaders = std::move(t.headers);
    }
    return reply;
}

}  // namespace platform::net
