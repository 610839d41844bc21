#pragma once
// One blocking HTTP or HTTPS exchange. The only place that sees the transfer
// library; callers get plain values back.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::net {

enum class Scheme { kHttp, kHttps };

struct HttpSettings {
    int connectTimeoutMs = 30000;     // name lookup and connection, TLS included
    int receiveTimeoutMs = 30000;     // no byte either way for this long ends the transfer
    int maxRedirects = 10;            // more than this many 3xx hops fails
    std::string caFile;               // empty: the system's trusted roots
};

// The settings Perform uses unless told otherwise. Tests shorten the time-outs
// and trust their own certificate; nullptr restores the defaults. The caller
// keeps ownership.
const HttpSettings& CurrentHttpSettings();
void OverrideHttpSettingsForTesting(const HttpSettings* settings);

struct HttpRequestSpec {
    std::string verb = "GET";             // the request line's method; no blanks
    Scheme scheme = Scheme::kHttp;
    std::string host;                     // name or address, "[v6]" in brackets, optional ":port"
    std::string objectName;               // the target after its leading '/'
    std::vector<std::string> headerLines; // "Name: value" each
    std::optional<std::string> body;      // sent as given, with its Content-Length
    // Limits of this use, whatever the peer does: the whole exchange, connecting
    // included, and the final answer's body.
    int totalTimeoutMs = 120000;
    std::int64_t maxBodyBytes = std::int64_t{64} << 20;
    // Set from another thread, it ends the transfer within a few tens of
    // milliseconds as kCancelled.
    const std::atomic<bool>* cancel = nullptr;
};

// A header line that may be sent: a token name, a colon, and a value of
// visible characters, blanks and tabs only, so no CR or LF can start a line
// of its own.
bool ValidHeaderLine(std::string_view line);

enum class TransferEnd {
    kComplete,    // the final answer's headers and its whole body arrived
    kNoAnswer,    // no final answer: bad host, refused, TLS refused, time-out or
                  // too many redirects before its headers
    kStalled,     // headers arrived, then no byte for the receive time-out
    kCutShort,    // headers arrived, then the peer closed before the body's end
    kUnreadable,  // headers arrived, then the body could not be received
    kStopped,     // the body sink refused the data
    kTooSlow,     // the whole exchange took longer than its limit
    kTooLarge,    // the body is longer than its cap (declared or received)
    kCancelled,   // the request's cancel flag was set
};

struct HttpReply {
    TransferEnd end = TransferEnd::kNoAnswer;
    long status = 0;         // the final answer's status code; 0 without one
    std::string rawHeaders;  // its header lines as received, each ending "\r\n", then "\r\n"
    int errorCode = 0;       // the transfer library's code; 0 when complete
    std::string errorText;   // what went wrong, for logs
};

// Error code of a host (or port) that cannot name a peer.
inline constexpr int kErrorBadAddress = 3;
// Error code of a request refused before sending: a verb or a header line that cannot be sent.
inline constexpr int kErrorBadRequest = 43;

// Receives the final answer's body piece by piece; false stops the transfer.
using BodySink = std::function<bool(std::string_view)>;

// The address requested, with the scheme's port filled in; nullopt when the
// host is not a plain name, address or bracketed IPv6 with an optional port
// in 1..65535. Bytes that may not stand in a URL are percent-escaped.
std::optional<std::string> RequestUrl(const HttpRequestSpec& spec);

// Sends the request and feeds the body to sink. Blocks until done. HTTPS
// always verifies the peer; redirects are followed up to the limit, never
// from HTTPS to plain HTTP.
[[nodiscard]] HttpReply Perform(const HttpRequestSpec& spec, const BodySink& sink,
                                const HttpSettings& settings = CurrentHttpSettings());

}  // namespace platform::net
