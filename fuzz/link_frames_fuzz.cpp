// Replies of the update server, framed by STX and ETX, arriving at the
// progress window's socket from a local server thread. The input is three
// cut bytes (the reply arrives in up to four pieces) and the bytes sent.
// Contract: a reply is the whole text of a frame the bytes hold, one comes
// when they hold a frame, and none when they hold none.
#include <cstdint>
#include <optional>
#include <string>

#include "core/helpers.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/local_server.h"
#include "map/window_helpers.h"
#include "net/update_link.h"
#include "net/update_window.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace hl = platform::headless;
namespace ui = platform::ui;

namespace {

// The text of the first whole frame, and whether one is there at all.
struct Frames {
    bool any = false;      // an STX with an ETX after it
    bool fits = false;     // the first such frame fits well inside the receive buffer
};

Frames FramesIn(std::string_view sent) {
    Frames f;
    const std::size_t stx = sent.find(kStx);
    if (stx == std::string_view::npos) return f;
    const std::size_t etx = sent.find(kEtx, stx + 1);
    f.any = etx != std::string_view::npos;
    f.fits = f.any && etx - stx < 4000;
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::LocalServer server;
    fuzz::Taker take(data, size);
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

    // Frames that follow one another within a wait replace each other, so
    // the reply is some frame of the bytes, whole, and one comes whenever
    // the bytes hold a frame that fits.
    const Frames frames = FramesIn(sent);
    const std::string shown = reply ? "\"" + *reply + "\"" : std::string("none");
    if (reply) {
        FUZZ_CHECK(reply->find(kEtx) == std::string::npos, "a reply ends at its ETX: " + shown);
        FUZZ_CHECK(sent.find(kStx + *reply + kEtx) != std::string::npos, "a reply is a frame of the bytes: " + shown);
    }
    if (!frames.any) FUZZ_CHECK(!reply, "no frame, no reply: " + shown);
    if (frames.fits) FUZZ_CHECK(reply.has_value(), "a frame came but no reply");
    hl::Reset();
    return 0;
}
