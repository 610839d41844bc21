// HTTP answers from a local server thread, received by the HTTP client.
// The input is three cut bytes (the answer arrives in up to four pieces) and
// the raw answer. Contract: a failed request leaves its output file as it
// was, and no temporary file is left behind.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/local_server.h"
#include "net/http.h"
#include "platform/net/http.h"

namespace {

constexpr const char* kOut = "answer.csv";
constexpr std::string_view kBefore = "what was there before\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::LocalServer server;
    platform::net::OverrideHttpSettingsForTesting(&fuzz::LocalHttpSettings());

    fuzz::Taker take(data, size);
    std::vector<std::string> pieces = fuzz::Pieces(take);
    fuzz::EnterCleanFolder();
    fuzz::WriteFile(kOut, kBefore);

    std::thread peer = server.ServeOnce("\r\n\r\n", std::move(pieces));
    const std::string address = "http://127.0.0.1:" + std::to_string(server.port()) + "/fdsnws/";
    HttpResult result;
    const int r = HttpRequest("GET ", address.c_str(), "query?format=csv", nullptr, nullptr, kOut, &result);
    peer.join();

    FUZZ_CHECK((r == 0) == (result.outcome == HttpOutcome::kComplete), "the result says the outcome");
    if (r != 0) FUZZ_CHECK(fuzz::ReadFile(kOut) == kBefore, "a failed request left its output file as it was");
    for (const std::string& n : fuzz::FolderNames())
        FUZZ_CHECK(n == kOut || n == kHttpSentFile || n == kHttpHeaderFile || n == kHttpErrorFile || n == "Debug.txt",
                   "left behind: " + n);
    platform::net::OverrideHttpSettingsForTesting(nullptr);
    return 0;
}
