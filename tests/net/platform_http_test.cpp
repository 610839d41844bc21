// The libcurl layer against a local server: what goes on the wire, what
// comes back, and how each way of ending is told apart.
#include <gtest/gtest.h>

#include "platform/net/http.h"
#include "tests/fixtures/http/local_server.h"

using platform::net::HttpReply;
using platform::net::HttpRequestSpec;
using platform::net::HttpSettings;
using platform::net::Scheme;
using platform::net::TransferEnd;

namespace {

HttpSettings Quick(const std::string& caFile = {}) {
    HttpSettings s;
    s.connectTimeoutMs = 5000;
    s.receiveTimeoutMs = 500;
    s.maxRedirects = 3;
    s.caFile = caFile;
    return s;
}

HttpReply Fetch(HttpRequestSpec spec, std::string* body, const HttpSettings& settings = Quick()) {
    body->clear();
    return platform::net::Perform(spec, [body](std::string_view piece) {
        body->append(piece);
        return true;
    }, settings);
}

HttpRequestSpec Get(const std::string& host, const std::string& object, Scheme scheme = Scheme::kHttp) {
    HttpRequestSpec spec;
    spec.scheme = scheme;
    spec.host = host;
    spec.objectName = object;
    return spec;
}


}  // namespace

TEST(HttpUrl, SchemeGivesThePortUnlessTheHostNamesOne) {
    struct Case {
        Scheme scheme;
        const char* host;
        const char* object;
        const char* url;
    };
    const Case cases[] = {
        {Scheme::kHttps, "example.org", "a/b?c=1", "https://example.org:443/a/b?c=1"},
        {Scheme::kHttp, "example.org", "a/b?c=1", "http://example.org:80/a/b?c=1"},
        {Scheme::kHttp, "127.0.0.1:8080", "", "http://127.0.0.1:8080/"},
        {Scheme::kHttps, "[::1]", "x", "https://[::1]:443/x"},
        {Scheme::kHttp, "[::1]:65535", "x", "http://[::1]:65535/x"},
        {Scheme::kHttp, "my_host-1.example", "x", "http://my_host-1.example:80/x"},
        // Dot segments stay; only what a URL cannot hold is escaped, '%' kept.
        {Scheme::kHttp, "h", "../a/./b", "http://h:80/../a/./b"},
        {Scheme::kHttp, "h", "a b#c\"d%41\xC3\xA9", "http://h:80/a%20b%23c%22d%41%C3%A9"},
    };
    for (const Case& c : cases) {
        HttpRequestSpec spec = Get(c.host, c.object, c.scheme);
        EXPECT_EQ(platform::net::RequestUrl(spec), std::optional<std::string>(c.url)) << c.host << " " << c.object;
    }
}

TEST(HttpUrl, HostsThatNameNoPeerAreRefusedBeforeSending) {
    for (const char* host : {"", ":80", "h:", "h:0", "h:65536", "h:8o", "h:80:81", "user@h", "h?x=1", "h#x", "h h",
                             "[::1", "[zz]", "[::1]x", "[::1]:"}) {
        HttpRequestSpec spec = Get(host, "x");
        EXPECT_EQ(platform::net::RequestUrl(spec), std::nullopt) << host;
        std::string body;
        HttpReply r = Fetch(spec, &body);
        EXPECT_EQ(r.end, TransferEnd::kNoAnswer) << host;
        EXPECT_EQ(r.errorCode, platform::net::kErrorBadAddress) << host;
    }
}

TEST(HttpPerform, SendsOnlyTheRequestsOwnHeadersAndBody) {
    LocalHttpServer server;
    ASSERT_TRUE(server.running());
    std::string body;

    HttpRequestSpec get = Get(server.host(), "a/b?c=1");
    get.headerLines = {"X-One: 1", "X-Two: two words"};
    EXPECT_EQ(Fetch(get, &body).end, TransferEnd::kComplete);

    HttpRequestSpec put = Get(server.host(), "store");
    put.verb = "PUT";
    put.body = "a=1&b=2";
    EXPECT_EQ(Fetch(put, &body).end, TransferEnd::kComplete);

    HttpRequestSpec post = Get(server.host(), "form");
    post.verb = "POST";
    post.headerLines = {"Content-Type: text/plain"};
    post.body = std::string(2000, 'p');  // large enough that an Expect round trip would be asked for
    EXPECT_EQ(Fetch(post, &body).end, TransferEnd::kComplete);

    std::vector<LocalHttpServer::Request> seen = server.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].line, "GET /a/b?c=1 HTTP/1.1");
    EXPECT_EQ(seen[0].headers, (std::vector<std::string>{"Host: " + server.host(), "X-One: 1", "X-Two: two words"}));
    EXPECT_EQ(seen[0].body, "");
    EXPECT_EQ(seen[1].line, "PUT /store HTTP/1.1");
    EXPECT_EQ(seen[1].headers, (std::vector<std::string>{"Host: " + server.host(), "Content-Length: 7"}));
    EXPECT_EQ(seen[1].body, "a=1&b=2");
    EXPECT_EQ(seen[2].line, "POST /form HTTP/1.1");
    EXPECT_EQ(seen[2].headers, (std::vector<std::string>{"Host: " + server.host(), "Content-Type: text/plain",
                                                         "Content-Length: 2000"}));
    EXPECT_EQ(seen[2].body, std::string(2000, 'p'));
}

TEST(HttpPerform, HeaderLinesThatCouldSplitAreRefusedBeforeSending) {
    LocalHttpServer server;
    ASSERT_TRUE(server.running());
    for (const char* line : {"X-A: 1\r\nX-B: 2", "X-A: 1\nX-B: 2", "X-A: 1\rX-B: 2", "X-A: 1\r", "X-A: \x01",
                             "X-A", ": v", "X A: v", " X-A: folded"}) {
        HttpRequestSpec spec = Get(server.host(), "x");
        spec.headerLines = {"X-Ok: fine", line};
        std::string body;
        HttpReply r = Fetch(spec, &body);
        EXPECT_EQ(r.end, TransferEnd::kNoAnswer) << line;
        EXPECT_EQ(r.errorCode, platform::net::kErrorBadRequest) << line;
    }
    EXPECT_TRUE(server.Requests().empty());
    for (const char* line : {"X-A: tab\there", "X-A:", "X-A: caf\xE9"}) EXPECT_TRUE(platform::net::ValidHeaderLine(line));
}

TEST(HttpPerform, EachWayOfEndingIsToldApart) {
    LocalHttpServer server;
    ASSERT_TRUE(server.running());
    struct Case {
        const char* object;
        TransferEnd end;
        long status;
        int code;
        const char* body;
        int totalMs = 120000;
        std::int64_t maxBody = std::int64_t{64} << 20;
    };
    const std::string exactly(100000, 'b');
    const Case cases[] = {
        {"chunked", TransferEnd::kComplete, 200, 0, "first,second\n"},
        {"big?bytes=100000", TransferEnd::kComplete, 200, 0, exactly.c_str(), 120000, 100000},
        // Limits of the use, whatever the peer does: a byte every 100 ms never
        // stalls but takes a minute, and bodies over the cap, declared or not.
        {"drip", TransferEnd::kTooSlow, 200, 28, nullptr, 1000},
        {"big?bytes=100001", TransferEnd::kTooLarge, 200, 63, nullptr, 120000, 100000},
        {"big-chunked?bytes=300000", TransferEnd::kTooLarge, 200, 63, nullptr, 120000, 100000},
        {"stall", TransferEnd::kTooSlow, 0, 28, nullptr, 300},  // before any answer
        {"no-content", TransferEnd::kComplete, 204, 0, ""},
        {"missing", TransferEnd::kComplete, 404, 0, nullptr},
        {"redirect?to=/bad-request", TransferEnd::kComplete, 400, 0, "Bad Request: starttime is not a date\n"},
        {"truncated", TransferEnd::kCutShort, 200, 18, nullptr},
        {"truncated-chunked", TransferEnd::kCutShort, 200, 18, nullptr},
        {"stall-body", TransferEnd::kStalled, 200, 28, nullptr},
        {"stall", TransferEnd::kNoAnswer, 0, 28, nullptr},
        {"redirect-loop", TransferEnd::kNoAnswer, 0, 47, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        std::string body;
        HttpRequestSpec spec = Get(server.host(), c.object);
        spec.totalTimeoutMs = c.totalMs;
        spec.maxBodyBytes = c.maxBody;
        HttpReply r = Fetch(spec, &body);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.errorCode, c.code);
        if (c.body) {
            EXPECT_EQ(body, c.body);
        }
        EXPECT_EQ(r.rawHeaders.empty(), c.status == 0);
        EXPECT_EQ(r.errorText.empty(), c.end == TransferEnd::kComplete) << r.errorText;
    }

    std::string body;
    HttpReply refused = Fetch(Get("127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()), "x"), &body);
    EXPECT_EQ(refused.end, TransferEnd::kNoAnswer);
    EXPECT_EQ(refused.errorCode, 7);
}

TEST(HttpPerform, HeadersAreTheFinalAnswersAsReceived) {
    LocalHttpServer server;
    ASSERT_TRUE(server.running());
    std::string body;
    HttpReply r = Fetch(Get(server.host(), "redirect?to=/no-content"), &body);
    EXPECT_EQ(r.end, TransferEnd::kComplete);
    EXPECT_EQ(r.rawHeaders, "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(body, "");  // the redirect's own page is not part of the body
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].line, "GET /no-content HTTP/1.1");
}

TEST(HttpPerform, SinkThatRefusesStopsTheTransfer) {
    LocalHttpServer server;
    ASSERT_TRUE(server.running());
    HttpReply r = platform::net::Perform(Get(server.host(), "missing"), [](std::string_view) { return false; }, Quick());
    EXPECT_EQ(r.end, TransferEnd::kStopped);
    EXPECT_EQ(r.status, 404);
}

TEST(HttpPerform, HttpsVerifiesThePeer) {
    LocalHttpServer tls(LocalHttpServer::Transport::kTls);
    LocalHttpServer plain;
    ASSERT_TRUE(tls.running());
    ASSERT_TRUE(plain.running());
    std::string body;

    // A self-signed certificate is refused unless trusted.
    HttpReply untrusted = Fetch(Get(tls.host(), "a/b?c=1", Scheme::kHttps), &body);
    EXPECT_EQ(untrusted.end, TransferEnd::kNoAnswer);
    EXPECT_EQ(untrusted.errorCode, 60);

    HttpSettings trust = Quick(tls.certificate());
    HttpReply trusted = Fetch(Get(tls.host(), "a/b?c=1", Scheme::kHttps), &body, trust);
    EXPECT_EQ(trusted.end, TransferEnd::kComplete);
    EXPECT_EQ(trusted.status, 404);

    // Trusted, but issued for 127.0.0.1, not for this name.
    HttpReply wrongName = Fetch(Get("localhost:" + std::to_string(tls.port()), "x", Scheme::kHttps), &body, trust);
    EXPECT_EQ(wrongName.end, TransferEnd::kNoAnswer);
    EXPECT_EQ(wrongName.errorCode, 60);

    // A secure request is never carried on in the clear.
    std::string down = "redirect?to=http://" + plain.host() + "/no-content";
    HttpReply downgraded = Fetch(Get(tls.host(), down, Scheme::kHttps), &body, trust);
    EXPECT_EQ(downgraded.end, TransferEnd::kNoAnswer);
    EXPECT_TRUE(plain.Requests().empty());

    HttpReply truncated = Fetch(Get(tls.host(), "truncated", Scheme::kHttps), &body, trust);
    EXPECT_EQ(truncated.end, TransferEnd::kCutShort);  // over TLS as well

    std::vector<LocalHttpServer::Request> seen = tls.Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].line, "GET /a/b?c=1 HTTP/1.1");
}
