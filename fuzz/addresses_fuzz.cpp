// Addresses as the HTTP client, the request builder and the update link read
// them, and the link's command frames. The input is one address or host.
// Contracts: what is split joins back to the address, ports are in range,
// dotted addresses survive a round trip, request URLs carry no byte that may
// not stand in a URL, and a frame is always STX, nine name characters, the
// payload and ETX.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "net/http.h"
#include "net/update_frames.h"
#include "platform/net/http.h"
#include "platform/net/socket.h"

namespace pn = platform::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (auto a = SplitHttpAddress(text)) {
        const std::size_t mark = text.find("://");
        std::string joined(text.substr(0, mark + 3));
        joined += a->host;
        if (a->path) joined += "/" + *a->path;
        FUZZ_CHECK(joined == text, "split and joined: " + joined);
        FUZZ_CHECK(a->host.find('/') == std::string::npos, "no slash in a host");

        pn::HttpRequestSpec spec;
        spec.scheme = a->secure ? pn::Scheme::kHttps : pn::Scheme::kHttp;
        spec.host = a->host;
        spec.objectName = a->path.value_or("");
        if (auto url = pn::RequestUrl(spec)) {
            for (unsigned char c : *url) FUZZ_CHECK(c > 0x20 && c < 0x7F, "a URL byte: " + *url);
            FUZZ_CHECK(url->starts_with(a->secure ? "https://" : "http://"), "the scheme: " + *url);
        }
    } else {
        FUZZ_CHECK(text.find("://") == std::string_view::npos, "an address with :// splits");
    }

    if (auto hp = pn::SplitHostPort(text)) FUZZ_CHECK(hp->port >= 0 && hp->port <= 65535, "a port");
    if (auto address = pn::ParseDottedAddress(text)) {
        const std::string dotted = pn::Endpoint{*address, 0}.DottedAddress();
        FUZZ_CHECK(pn::ParseDottedAddress(dotted) == address, "dotted round trip: " + dotted);
    }

    const std::size_t cut = text.empty() ? 0 : static_cast<unsigned char>(text[0]) % (text.size() + 1);
    const std::string frame = FrameCommand(text.substr(0, cut), text.substr(cut));
    FUZZ_CHECK(frame.size() == 11 + (text.size() - cut), "frame length");
    FUZZ_CHECK(frame.front() == kStx && frame.back() == kEtx, "frame marks");
    FUZZ_CHECK(frame.compare(10, std::string::npos, std::string(text.substr(cut)) + kEtx) == 0, "frame payload");
    return 0;
}
