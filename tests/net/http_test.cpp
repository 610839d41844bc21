// The HTTP client against a local server: the address it reads, the files it
// leaves, and what reaches the caller for each kind of answer.
#include "net/http.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "core/config.h"
#include "platform/net/http.h"
#include "tests/fixtures/http/local_server.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kPage404 =
    "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n<body><h1>Not Found</h1></body></html>\n";
const std::string kPage503 =
    "<!DOCTYPE html>\n<html><head><title>Service Unavailable</title></head>\n"
    "<body><h1>Try again later</h1></body></html>\n";

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class HttpClient : public testing::Test {
protected:
    explicit HttpClient(LocalHttpServer::Transport transport = LocalHttpServer::Transport::kPlain)
        : server_(transport) {}

    void SetUp() override {
        ASSERT_TRUE(server_.running());
        SetTransferPump(nullptr);  // the program's wiring, when an earlier test installed it
        settings_.connectTimeoutMs = 5000;
        settings_.receiveTimeoutMs = 500;
        settings_.maxRedirects = 3;
        settings_.caFile = server_.certificate();
        platform::net::OverrideHttpSettingsForTesting(&settings_);
    }
    void TearDown() override {
        platform::net::OverrideHttpSettingsForTesting(nullptr);
        gControls[kControlDebug] = 0;
    }

    std::string Address(const std::string& rest = "") const {
        bool secure = !server_.certificate().empty();
        return (secure ? "https://" : "http://") + server_.host() + rest;
    }
    int Get(const std::string& extraPath, HttpResult* result, const char* output = "answer.csv") {
        return HttpRequest("GET ", Address("/").c_str(), extraPath.c_str(), "", "", output, result);
    }

    TempDir dir_;
    LocalHttpServer server_;
    platform::net::HttpSettings settings_;
};

class HttpsClient : public HttpClient {
protected:
    HttpsClient() : HttpClient(LocalHttpServer::Transport::kTls) {}
};

}  // namespace

TEST(HttpAddress, SplitsSchemeHostAndPath) {
    struct Case {
        const char* address;
        bool secure;
        const char* host;
        const char* path;  // null: none
    };
    const Case cases[] = {
        {"https://h/a/b", true, "h", "a/b"},
        {"HTTPS://h/a/b", true, "h", "a/b"},
        {"http://h", false, "h", nullptr},
        {"http://h/", false, "h", ""},
        {"http://h:8080/x?y=1/z", false, "h:8080", "x?y=1/z"},
        {"http://h?x=1", false, "h?x=1", nullptr},  // the host runs to the first '/'
        {"ftp://h/x", false, "h", "x"},             // anything not ending in 's' is plain
        {"xs://h", true, "h", nullptr},
        {"://h/x", false, "h", "x"},
        {"http://", false, "", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<HttpAddress> a = SplitHttpAddress(c.address);
        ASSERT_TRUE(a) << c.address;
        EXPECT_EQ(a->secure, c.secure) << c.address;
        EXPECT_EQ(a->host, c.host) << c.address;
        EXPECT_EQ(a->path, c.path ? std::optional<std::string>(c.path) : std::nullopt) << c.address;
    }
    for (const char* address : {"", "h/x", "http:/h/x", "http//h"}) EXPECT_FALSE(SplitHttpAddress(address)) << address;
}

TEST_F(HttpClient, RecordsTheRequestAndSendsTheObjectName) {
    const std::string host = server_.host();
    struct Case {
        const char* verb;
        std::string address;
        const char* extra;
        const char* headers;
        const char* body;
        std::string sentFile;
        std::string requestLine;
    };
    const Case cases[] = {
        {"GET ", "http://" + host + "/a/b", "?c=1", nullptr, nullptr,  //
         "GET : a/b?c=1\nURL: " + host + "\n\n", "GET /a/b?c=1 HTTP/1.1"},
        // No path: the extra path alone, after the verb, a colon and a blank.
        {"GET ", "http://" + host, "x", "", "",  //
         "GET : x\nURL: " + host + "\n\nHeader:\nBody:\n", "GET /x HTTP/1.1"},
        {"GET ", "http://" + host + "/", "x", nullptr, nullptr,  //
         "GET : x\nURL: " + host + "\n\n", "GET /x HTTP/1.1"},
        {"POST ", "http://" + host + "/form", nullptr, "X-One: 1\r\nX-Two: 2", "a=1",
         "POST : form\nURL: " + host + "\n\nHeader:\nX-One: 1\r\nX-Two: 2Body:\na=1", "POST /form HTTP/1.1"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.address);
        HttpResult result;
        EXPECT_EQ(HttpRequest(c.verb, c.address.c_str(), c.extra, c.headers, c.body, "answer.csv", &result), 0);
        EXPECT_EQ(result.status, 404);
        EXPECT_EQ(TempDir::Read(kHttpSentFile), c.sentFile);
        std::vector<LocalHttpServer::Request> seen = server_.Requests();
        ASSERT_EQ(seen.size(), i + 1);
        EXPECT_EQ(seen[i].line, c.requestLine);
    }
    std::vector<LocalHttpServer::Request> seen = server_.Requests();
    EXPECT_EQ(seen[3].headers, (std::vector<std::string>{"Host: " + host, "X-One: 1", "X-Two: 2", "Content-Length: 3"}));
    EXPECT_EQ(seen[3].body, "a=1");
}

TEST_F(HttpClient, AddressWithoutSchemeMarkFailsAtOnce) {
    gControls[kControlDebug] = 1;
    HttpResult result;
    EXPECT_EQ(HttpRequest("GET ", server_.host().c_str(), "x", "", "", "answer.csv", &result), 1);
    EXPECT_EQ(result.outcome, HttpOutcome::kBadAddress);
    EXPECT_EQ(HttpRequest("GET ", nullptr, "x", "", "", "answer.csv", &result), 1);
    EXPECT_EQ(result.outcome, HttpOutcome::kBadAddress);
    EXPECT_TRUE(FilesIn(dir_.path()).empty());
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HttpClient, AnswersOfAnyStatusAreStoredWhole) {
    auto head = [](const std::string& status, const std::string& fields) {
        return "HTTP/1.1 " + status + "\r\n" + fields + "Connection: close\r\n\r\n";
    };
    auto sized = [](const std::string& type, const std::string& body) {
        return "Content-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    };
    const std::string bad = "Bad Request: starttime is not a date\n";
    struct Case {
        const char* extra;
        long status;
        std::string body;
        std::string headerFile;
    };
    const Case cases[] = {
        {"missing.csv", 404, kPage404, head("404 Not Found", sized("text/html", kPage404))},
        {"error-page", 503, kPage503, head("503 Service Unavailable", sized("text/html", kPage503))},
        {"bad-request", 400, bad, head("400 Bad Request", sized("text/plain", bad))},
        {"no-content", 204, "", head("204 No Content", "")},
        // Only the final answer's headers are kept.
        {"redirect?to=/bad-request", 400, bad, head("400 Bad Request", sized("text/plain", bad))},
        {"chunked", 200, "first,second\n",
         head("200 OK", "Content-Type: text/csv\r\nTransfer-Encoding: chunked\r\n")},
        // Latin-1 on the wire, UTF-8 in the file.
        {"latin1-header", 200, "ok\n", head("200 OK", "X-Place: Montr\xC3\xA9" "al\r\n" + sized("text/plain", "ok\n"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        TempDir::Write("answer.csv", "an older answer\n");
        HttpResult result;
        EXPECT_EQ(Get(c.extra, &result), 0);
        EXPECT_EQ(result.outcome, HttpOutcome::kComplete);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(TempDir::Read("answer.csv"), c.body);
        EXPECT_EQ(TempDir::Read(kHttpHeaderFile), c.headerFile);
    }
    EXPECT_FALSE(std::filesystem::exists(kHttpErrorFile));
    EXPECT_EQ(FilesIn(dir_.path()), (std::vector<std::string>{"WinHttpHeader.txt", "answer.csv", "header.send.txt"}));
}

TEST_F(HttpClient, BodyCutShortFailsAndLeavesTheOutputAlone) {
    struct Case {
        const char* extra;
        const char* errorLine;
    };
    const Case cases[] = {
        {"truncated", "Error 18 in WinHttpQueryDataAvailable.\n"},          // closed before Content-Length
        {"truncated-chunked", "Error 18 in WinHttpQueryDataAvailable.\n"},  // closed before the last chunk
        {"stall-body", "Error 28 in WinHttpQueryDataAvailable.\n"},         // nothing more arrives
    };
    std::string errorLines;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        TempDir::Write("answer.csv", "an older answer\n");
        std::filesystem::remove(kHttpHeaderFile);
        HttpResult result;
        EXPECT_EQ(Get(c.extra, &result), 1);
        EXPECT_EQ(result.outcome, HttpOutcome::kBodyCut);
        EXPECT_EQ(result.status, 200);
        EXPECT_EQ(TempDir::Read("answer.csv"), "an older answer\n");
        EXPECT_EQ(TempDir::Read(kHttpHeaderFile).rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
        errorLines += c.errorLine;
        EXPECT_EQ(TempDir::Read(kHttpErrorFile), errorLines);  // appended, one line per failure
    }
    EXPECT_EQ(FilesIn(dir_.path()), (std::vector<std::string>{"WinHttpError.txt", "WinHttpHeader.txt", "answer.csv",
                                                              "header.send.txt"}));
}

TEST_F(HttpClient, NoAnswerFailsAndLogsTheError) {
    gControls[kControlDebug] = 1;
    const std::string closed = "127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort());
    struct Case {
        std::string address;
        int code;
    };
    const Case cases[] = {
        {Address("/stall"), 28},                 // no headers within the receive time-out
        {Address("/redirect-loop"), 47},         // more redirects than allowed
        {"http://" + closed + "/x", 7},          // refused
        {"http://127.0.0.1:99999/x", 3},         // not a port
        {"https://" + server_.host() + "/x", 35},  // TLS spoken to a plain server
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        TempDir::Write("answer.csv", "an older answer\n");
        std::filesystem::remove("Debug.txt");
        HttpResult result;
        EXPECT_EQ(HttpRequest("GET ", c.address.c_str(), "", "", "", "answer.csv", &result), 1);
        EXPECT_EQ(result.outcome, HttpOutcome::kNoAnswer);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.errorCode, c.code);
        EXPECT_EQ(TempDir::Read("answer.csv"), "an older answer\n");
        std::string log = TempDir::Read("Debug.txt");
        std::string first = "2026-01-01 00:00:00.000: Error " + std::to_string(c.code) + " has occurred.\n";
        EXPECT_EQ(log.substr(0, first.size()), first);
    }
    EXPECT_EQ(FilesIn(dir_.path()), (std::vector<std::string>{"Debug.txt", "answer.csv", "header.send.txt"}));
}

TEST_F(HttpClient, HeaderTextThatCouldSplitALineIsRefused) {
    // Lines end at LF or CRLF; any other CR, a control character or a name that
    // is no token would put text of its own on the wire.
    for (const char* headers : {"X-A: 1\rX-Injected: 2", "X-A: 1\r\r\nX-B: 2", "X-A: 1\nBad Name: 2",
                                "X-A: 1\n folded: 2", "X-A: \x7F"}) {
        HttpResult result;
        EXPECT_EQ(HttpRequest("GET ", Address("/").c_str(), "x", headers, "", "answer.csv", &result), 1) << headers;
        EXPECT_EQ(result.outcome, HttpOutcome::kBadRequest) << headers;
    }
    EXPECT_TRUE(server_.Requests().empty());
    EXPECT_TRUE(FilesIn(dir_.path()).empty());  // nothing sent, nothing written

    HttpResult result;
    EXPECT_EQ(HttpRequest("GET ", Address("/").c_str(), "x", "X-A: 1\r\nX-B: 2\nno colon\n", "", "answer.csv", &result),
              0);
    ASSERT_EQ(server_.Requests().size(), 1u);
    EXPECT_EQ(server_.Requests()[0].headers, (std::vector<std::string>{"Host: " + server_.host(), "X-A: 1", "X-B: 2"}));
}

TEST_F(HttpClient, LimitsOfTheUseAreFailuresThatLeaveTheOutputAlone) {
    gControls[kControlDebug] = 1;
    struct Case {
        const char* extra;
        HttpLimits limits;
        HttpOutcome outcome;
        const char* logged;
    };
    const Case cases[] = {
        {"drip", {1000, 1 << 20}, HttpOutcome::kTooSlow, "not done within 1000 ms."},
        {"big?bytes=300000", {60000, 100000}, HttpOutcome::kTooLarge, "longer than 100000 bytes."},
        {"big-chunked?bytes=300000", {60000, 100000}, HttpOutcome::kTooLarge, "longer than 100000 bytes."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        TempDir::Write("answer.csv", "an older answer\n");
        std::filesystem::remove("Debug.txt");
        HttpResult result;
        EXPECT_EQ(HttpRequest("GET ", Address("/").c_str(), c.extra, "", "", "answer.csv", &result, c.limits), 1);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.status, 200);
        EXPECT_EQ(TempDir::Read("answer.csv"), "an older answer\n");
        EXPECT_NE(TempDir::Read("Debug.txt").find(c.logged), std::string::npos) << TempDir::Read("Debug.txt");
    }
    // The feed's own limits are a few days of events.
    EXPECT_LE(kFeedHttpLimits.maxBodyBytes, HttpLimits{}.maxBodyBytes);
    EXPECT_LE(kFeedHttpLimits.totalMs, 60000);
}

TEST_F(HttpClient, OutputThatCannotBeWrittenIsAFailure) {
    HttpResult result;
    EXPECT_EQ(Get("missing.csv", &result, "no-such-folder/answer.csv"), 1);
    EXPECT_EQ(result.outcome, HttpOutcome::kNotStored);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(Get("no-content", &result, "no-such-folder/answer.csv"), 1);  // an empty body too
    EXPECT_EQ(result.outcome, HttpOutcome::kNotStored);
    EXPECT_EQ(Get("missing.csv", &result, ""), 1);
    EXPECT_EQ(result.outcome, HttpOutcome::kNotStored);
    EXPECT_EQ(FilesIn(dir_.path()), (std::vector<std::string>{"WinHttpHeader.txt", "header.send.txt"}));
}

// A peer that never answers, or stops inside the body: the calling thread
// keeps running its pump all along, and a cancel ends the transfer with the
// output as it was.
TEST_F(HttpClient, ThePumpRunsBesideAStalledTransferAndCancelEndsIt) {
    settings_.receiveTimeoutMs = 20000;  // only the cancel may end it
    for (const char* route : {"stall", "stall-body"}) {
        SCOPED_TRACE(route);
        TempDir::Write("answer.csv", "the old answer\n");
        int pumped = 0;
        SetTransferPump([&] {
            ++pumped;
            EXPECT_EQ(TransfersRunning(), 1);
            if (pumped == 20) CancelTransfers();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        HttpResult result;
        EXPECT_EQ(Get(route, &result), 1);
        SetTransferPump(nullptr);
        EXPECT_EQ(result.outcome, HttpOutcome::kCancelled);
        EXPECT_GE(pumped, 20);
        EXPECT_EQ(TransfersRunning(), 0);
        EXPECT_EQ(TempDir::Read("answer.csv"), "the old answer\n");
    }
}

// A handler the pump runs throws: the exception reaches the caller, and no
// entry is left behind for the count or a later cancel to reach.
TEST_F(HttpClient, APumpThatThrowsLeavesNoTransferListed) {
    settings_.receiveTimeoutMs = 20000;
    TempDir::Write("answer.csv", "the old answer\n");
    SetTransferPump([] { throw std::runtime_error("a handler failed"); });
    HttpResult result;
    EXPECT_THROW(Get("stall", &result), std::runtime_error);
    SetTransferPump(nullptr);
    EXPECT_EQ(TransfersRunning(), 0);
    CancelTransfers();
    EXPECT_EQ(TempDir::Read("answer.csv"), "the old answer\n");
}

// No thread can be had: every new thread asks for a stack larger than any
// machine gives. The request runs on the caller's and answers as it would.
TEST_F(HttpClient, WithoutAThreadTheRequestStillAnswersAndNothingThrows) {
    class HugeThreadStacks {
    public:
        HugeThreadStacks() {
            ::pthread_getattr_default_np(&previous_);
            pthread_attr_t huge;
            ::pthread_attr_init(&huge);
            ::pthread_attr_setstacksize(&huge, std::size_t{1} << 46);
            set_ = ::pthread_setattr_default_np(&huge) == 0;
            ::pthread_attr_destroy(&huge);
        }
        ~HugeThreadStacks() {
            ::pthread_setattr_default_np(&previous_);
            ::pthread_attr_destroy(&previous_);
        }
        bool set() const { return set_; }

    private:
        pthread_attr_t previous_;
        bool set_ = false;
    };
    TempDir::Write("answer.csv", "the old answer\n");
    int code = -1;
    HttpResult result;
    {
        HugeThreadStacks stacks;
        ASSERT_TRUE(stacks.set());
        bool threadStarted = true;
        try {
            std::thread([] {}).join();
        } catch (const std::system_error&) {
            threadStarted = false;
        }
        if (threadStarted) GTEST_SKIP() << "this machine gives a thread any stack";
        EXPECT_NO_THROW(code = Get("chunked", &result));
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(result.outcome, HttpOutcome::kComplete);
    EXPECT_EQ(TempDir::Read("answer.csv"), "first,second\n");
    EXPECT_EQ(TransfersRunning(), 0);
}

TEST_F(HttpClient, CannedAnswersByQueryThroughTheCallersHandle) {
    // A second server with answers keyed by the query, as the catalogue update asks.
    TempDir::Write("answers/index.txt",
                   "/fdsnws/event/1/query?format=csv&starttime=2014-08-15 200 text/csv first.csv\n"
                   "/fdsnws/event/1/query 200 text/csv other.csv\n");
    TempDir::Write("answers/first.csv", "time,latitude\n2014-08-15T01:02:03.000Z,1.5\n");
    TempDir::Write("answers/other.csv", "time,latitude\n");
    LocalHttpServer canned(LocalHttpServer::Transport::kPlain, dir_.path() + "/answers");
    ASSERT_TRUE(canned.running());

    RequestHttp request;
    std::string service = "http://" + canned.host() + "/";
    EXPECT_EQ(request.Send("GET ", service, "fdsnws/event/1/query?format=csv&starttime=2014-08-15", "", "", "a.csv"), 0);
    EXPECT_EQ(request.LastResult().status, 200);
    EXPECT_EQ(TempDir::Read("a.csv"), "time,latitude\n2014-08-15T01:02:03.000Z,1.5\n");
    EXPECT_EQ(request.Send("GET ", service, "fdsnws/event/1/query?format=csv&starttime=2014-09-14", "", "", "a.csv"), 0);
    EXPECT_EQ(TempDir::Read("a.csv"), "time,latitude\n");
    EXPECT_EQ(request.Send("GET ", service, "stall", "", "", "a.csv"), 1);
    EXPECT_EQ(request.LastResult().outcome, HttpOutcome::kNoAnswer);
    EXPECT_EQ(request.Send("GET ", service, "fdsnws/other", "", "", "a.csv"), 0);
    EXPECT_EQ(request.LastResult().status, 404);
    EXPECT_EQ(canned.Requests().size(), 4u);
}

TEST_F(HttpsClient, SecureSchemeVerifiesTheServer) {
    HttpResult result;
    EXPECT_EQ(HttpRequest("GET ", Address("/a/b").c_str(), "?c=1", "", "", "answer.csv", &result), 0);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(TempDir::Read("answer.csv"), kPage404);
    ASSERT_EQ(server_.Requests().size(), 1u);
    EXPECT_EQ(server_.Requests()[0].line, "GET /a/b?c=1 HTTP/1.1");

    // Without the test's certificate among the trusted ones the server is refused.
    platform::net::HttpSettings untrusting = settings_;
    untrusting.caFile.clear();
    platform::net::OverrideHttpSettingsForTesting(&untrusting);
    TempDir::Write("answer.csv", "an older answer\n");
    EXPECT_EQ(HttpRequest("GET ", Address("/a/b").c_str(), "?c=1", "", "", "answer.csv", &result), 1);
    EXPECT_EQ(result.outcome, HttpOutcome::kNoAnswer);
    EXPECT_EQ(result.errorCode, 60);
    EXPECT_EQ(TempDir::Read("answer.csv"), "an older answer\n");
    EXPECT_EQ(server_.Requests().size(), 1u);
}
