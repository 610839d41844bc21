// Replies of the update server, framed by STX and ETX, arriving at the
// progress window's socket from a local server thread. The input is three
// cut bytes (the reply arrives in up to four pieces) and the bytes sent.
// Contract: the reply is the text between the first STX and the next ETX,
// and none comes when the bytes hold no such frame.
#include <cstdint>
#include <optional>
#include <string>

#include "core/helpers.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/local_server.h"
#include "net/update_link.h"
#include "net/update_window.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace hl = platform::headless;
namespace ui = platform::ui;

namespace {

// What the window must make of the bytes, when the frame fits well inside its buffer.
std::optional<std::optional<std::string>> Expected(std::string_view sent) {
    const std::size_t stx = sent.find(kStx);
    if (stx == std::string_view::npos) return std::optional<std::string>();
    const std::size_t etx = sent.find(kEtx, stx + 1);
    if (etx == std::string_view::npos) return sent.size() - stx < 4000 ? std::optional<std::optional<std::string>>(std::optional<std::string>()) : std::nullopt;
    if (etx - stx > 4000) return std::nullopt;
    return std::optional<std::string>(std::string(sent.substr(stx + 1, etx - stx - 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::LocalServer server;
    fuzz::Taker take(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> pieces = fuzz::Pieces(take);
    std::string sent;
    for (const std::string& p : pieces) sent += p;
    fuzz::EnterCleanFolder();
    hl::Reset();
    hl::SetSocketPollLimit(20);

    auto* owner = new ui::Window(nullptr);
    FUZZ_CHECK(owner->Create(), "an owner window");
    std::thread peer = server.ServeOnce(std::string(1, kEtx), std::move(pieces));
    std::optional<std::string> reply;
    {
        UpdateLink link("127.0.0.1", server.port(), owner);
        FUZZ_CHECK(link.Open(), "the link opens");
        updateWindow* w = link.dialog();
        FUZZ_CHECK(w != nullptr, "a progress window");
        for (int i = 0; i < 100 && !w->linkOpen() && w->connecting(); ++i) DelayPumping(50);
        FUZZ_CHECK(w->linkOpen(), "the connection completes");
        FUZZ_CHECK(!w->SendText("GET", ""), "the command goes out");
        reply = w->Wait(30);
        link.Close();
    }
    peer.join();
    delete owner;

    if (auto expected = Expected(sent))
        FUZZ_CHECK(reply == *expected, "reply " + (reply ? "\"" + *reply + "\"" : std::string("none")) + ", expected " +
                                           (*expected ? "\"" + **expected + "\"" : std::string("none")));
    hl::Reset();
    return 0;
}
