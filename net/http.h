#pragma once
// The HTTP client: one request whose answer's body is stored in a file,
// leaving three diagnostic files in the current folder.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kHttpSentFile = "header.send.txt";     // the request, rewritten each time
inline constexpr const char* kHttpHeaderFile = "WinHttpHeader.txt"; // the answer's headers
inline constexpr const char* kHttpErrorFile = "WinHttpError.txt";   // appended: body read failures

enum class HttpOutcome {
    kComplete,    // an answer came (any status) and its whole body is stored
    kBadAddress,  // no "://": nothing sent, no file touched
    kNoAnswer,    // unreachable, refused, certificate refused, time-out or too
                  // many redirects before the answer's headers
    kBodyCut,     // the headers came but the body ended early: the peer closed
                  // before its declared end, or it stalled
    kNotStored,   // the output file could not be written
    kBadRequest,  // a header line holds a bare CR or cannot be sent: nothing sent, no file touched
    kTooSlow,     // the exchange passed its time limit
    kTooLarge,    // the body passed its size cap (declared or received)
    kCancelled,   // CancelTransfers ended it
};

// What one use allows, however the peer behaves; both ends are failures and
// leave the output file as it was. The default fits a catalogue update.
struct HttpLimits {
    int totalMs = 120000;
    std::int64_t maxBodyBytes = std::int64_t{64} << 20;
};
// The event feed is a few days of events, fetched beside the replay.
inline constexpr HttpLimits kFeedHttpLimits{30000, std::int64_t{16} << 20};

struct HttpResult {
    HttpOutcome outcome = HttpOutcome::kBadAddress;
    long status = 0;    // the final answer's status code; 0 when none came
    int errorCode = 0;  // the transfer library's code of a failure; 0 otherwise
};

// An address as the client reads it: the scheme is secure when the character
// before "://" is 's' or 'S'; the host runs to the next '/' and may carry
// ":port"; the path is what follows that '/', none without one.
struct HttpAddress {
    bool secure = false;
    std::string host;
    std::optional<std::string> path;
};
std::optional<HttpAddress> SplitHttpAddress(std::string_view address);

// Sends verb (blanks around it are not sent) to the address's host for the
// object name path + extraPath, with the header lines and the body, and
// stores the answer's body in outputFile. 0 when an answer came back and its
// whole body is stored, whatever its status code; 1 otherwise, and then
// outputFile is left as it was. Null header text, body or extra path are
// left out. Header lines end at LF or CRLF; any other CR refuses the request.
// result, when given, says which outcome it was and holds the status code.
int HttpRequest(const char* verb, const char* address, const char* extraPath, const char* headers,
                const char* body, const char* outputFile, HttpResult* result = nullptr,
                const HttpLimits& limits = {});

// One request made and finished on the calling thread, its exchange run on
// a thread of its own meanwhile (within the constructor when no thread can be
// had); what HttpRequest does, in three steps.
class HttpTransfer {
public:
    HttpTransfer(const char* verb, const char* address, const char* extraPath, const char* headers,
                 const char* body, const char* outputFile, const HttpLimits& limits = {});
    // A transfer still under way is cancelled and waited for; its output stays as it was.
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // The exchange has ended (at once for a request refused before sending).
    [[nodiscard]] bool Done() const;
    // Waits up to ms for the end; true when it has come.
    bool WaitFor(int ms);
    // Ends the exchange within a few tens of milliseconds, as kCancelled.
    void Cancel();
    // Waits for the end, then stores the body and writes the diagnostic
    // files as HttpRequest does, with its result. Once only.
    int Finish(HttpResult* result = nullptr);

private:
    struct Exchange;
    std::unique_ptr<Exchange> x_;
};

// HttpRequest runs its transfer beside the calling thread, which meanwhile
// runs pump again and again, so the program's windows keep painting and its
// timers running. Without a pump the caller just waits. The pump must return
// within a few tens of milliseconds.
void SetTransferPump(std::function<void()> pump);
// Ends every HttpRequest under way (nested ones included): each returns
// kCancelled at once, its output file as it was. On the calling thread only.
void CancelTransfers();
// How many HttpRequest calls are under way (nested ones included).
int TransfersRunning();

// The caller's handle on HttpRequest; keeps the last request's result.
class RequestHttp {
public:
    RequestHttp() = default;
    virtual ~RequestHttp() = default;

    int Send(std::string verb, std::string address, std::string extraPath, std::string headers,
             std::string body, std::string outputFile);
    const HttpResult& LastResult() const { return result_; }

private:
    HttpResult result_;
};
