#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/socket.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;
namespace pn = platform::net;

namespace {

constexpr ui::MessageId kReady = 0x1234;

class Probe : public ui::Window {
public:
    Probe() : ui::Window(nullptr) {}
    KESTRUNE_RESPONSE_TABLE(Probe);
    ui::Result OnReady(ui::WParam fd, ui::LParam bits) {
        seen.push_back({static_cast<int>(fd), static_cast<std::uint32_t>(bits)});
        return 0;
    }
    struct Seen {
        int fd;
        std::uint32_t bits;
    };
    std::vector<Seen> seen;
};

const ui::ResponseTable& Probe::Table() {
    using R = ui::ResponseTableOf<Probe, ui::Window>;
    static const ui::ResponseTable table = R::Build({R::Message(kReady, &Probe::OnReady)});
    return table;
}

// A listening loopback socket of the test's own.
struct Listener {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    Listener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, 4);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { ::close(fd); }
};

// Pumps one message at a time until the probe has seen count of them, at
// most about 10 s of real time. The probe never consumes the readiness, so
// its descriptor stays ready.
bool PumpUntilSeen(Probe& p, std::size_t count) {
    for (int i = 0; i < 200 && p.seen.size() < count; ++i) {
        ui::Message m;
        if (ui::PeekMessage(m)) ui::DispatchMessage(m);
        else ui::WaitForMessage(50);
    }
    return p.seen.size() >= count;
}

constexpr std::uint32_t kLoopback = 0x7F000001;

}  // namespace

TEST(SocketLookUp, HostPortSplitting) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } cases[] = {
        {"updates.example", true, "updates.example", 0},
        {"updates.example:4000", true, "updates.example", 4000},
        {"10.1.2.3:65535", true, "10.1.2.3", 65535},
        {"[::1]:80", true, "::1", 80},
        {"[::1]", true, "::1", 0},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:", false, "", 0},
        {"host:12x", false, "", 0},
        {":80", false, "", 0},
        {"::1", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto r = pn::SplitHostPort(c.text);
        ASSERT_EQ(r.has_value(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(r->host, c.host);
        EXPECT_EQ(r->port, c.port);
    }
}

TEST(SocketLookUp, AddressesNamesAndServices) {
    EXPECT_EQ(pn::ParseDottedAddress("127.0.0.1"), kLoopback);
    EXPECT_FALSE(pn::ParseDottedAddress("127.0.0"));
    EXPECT_FALSE(pn::ParseDottedAddress("1.2.3.256"));
    EXPECT_EQ((pn::Endpoint{kLoopback, 7}).DottedAddress(), "127.0.0.1");
    const std::vector<std::uint32_t> local = pn::LookUpHost("localhost");
    EXPECT_NE(std::find(local.begin(), local.end(), kLoopback), local.end());
    EXPECT_EQ(pn::LookUpHost("127.0.0.1"), std::vector<std::uint32_t>{kLoopback});
    EXPECT_TRUE(pn::LookUpHost("").empty());
    EXPECT_EQ(pn::LookUpService("2500"), 2500);
    EXPECT_EQ(pn::LookUpService("no-such-service-here"), 0);
    EXPECT_EQ(pn::LookUpService(""), 0);
}

TEST(SocketLoop, ConnectSendReceiveAndCloseAsMessages) {
    Listener l;
    auto* probe = new Probe;
    ASSERT_TRUE(probe->Create());
    pn::Socket s;
    ASSERT_EQ(s.Open(), 0);
    const int r = s.Connect({kLoopback, static_cast<std::uint16_t>(l.port)});
    ASSERT_TRUE(r == 0 || r == EINPROGRESS) << r;
    ASSERT_TRUE(ui::WatchDescriptor(s.fd(), *probe, kReady, ui::kWatchWrite));
    ASSERT_TRUE(PumpUntilSeen(*probe, 1));
    EXPECT_EQ(probe->seen[0].fd, s.fd());
    EXPECT_TRUE(probe->seen[0].bits & ui::kWatchWrite);
    EXPECT_EQ(s.ConnectResult(), 0);
    EXPECT_EQ(s.PeerEndpoint()->port, l.port);
    EXPECT_EQ(s.LocalEndpoint()->DottedAddress(), "127.0.0.1");

    const int peer = ::accept(l.fd, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    int error = 0;
    EXPECT_EQ(s.Send("hello", &error), 5);
    char in[16] = {};
    EXPECT_EQ(::recv(peer, in, sizeof in, 0), 5);
    EXPECT_STREQ(in, "hello");

    // Nothing to read yet: a receive would block.
    char out[16] = {};
    EXPECT_EQ(s.Receive(out, sizeof out, &error), -1);
    EXPECT_TRUE(error == EAGAIN || error == EWOULDBLOCK);

    ASSERT_TRUE(ui::WatchDescriptor(s.fd(), *probe, kReady, ui::kWatchRead));  // replaces the write watch
    ASSERT_EQ(::send(peer, "abc", 3, 0), 3);
    ASSERT_TRUE(PumpUntilSeen(*probe, 2));
    EXPECT_EQ(probe->seen[1].bits, ui::kWatchRead);
    EXPECT_EQ(s.Receive(out, sizeof out, &error), 3);
    EXPECT_EQ(std::string(out, 3), "abc");

    ::close(peer);
    ASSERT_TRUE(PumpUntilSeen(*probe, 3));
    EXPECT_TRUE(probe->seen[2].bits & ui::kWatchRead);
    EXPECT_EQ(s.Receive(out, sizeof out, &error), 0);  // the peer closed

    ui::UnwatchDescriptor(s.fd());
    s.Close();
    EXPECT_FALSE(s.valid());
    EXPECT_EQ(s.Send("x", &error), -1);
    EXPECT_EQ(error, EBADF);
    delete probe;
}

TEST(SocketLoop, RefusedConnectionAndEndedWatches) {
    int closedPort;
    {
        Listener gone;
        closedPort = gone.port;
    }
    auto* probe = new Probe;
    ASSERT_TRUE(probe->Create());
    pn::Socket s;
    ASSERT_EQ(s.Open(), 0);
    const int r = s.Connect({kLoopback, static_cast<std::uint16_t>(closedPort)});
    if (r == EINPROGRESS) {
        ASSERT_TRUE(ui::WatchDescriptor(s.fd(), *probe, kReady, ui::kWatchWrite));
        ASSERT_TRUE(PumpUntilSeen(*probe, 1));
        EXPECT_EQ(s.ConnectResult(), ECONNREFUSED);
    } else {
        EXPECT_EQ(r, ECONNREFUSED);
    }
    ui::UnwatchDescriptor(s.fd());

    // A ready descriptor posts one message at a time; unwatching drops it,
    // and a destroyed window has no watches left.
    Listener l;
    pn::Socket t;
    ASSERT_EQ(t.Open(), 0);
    (void)t.Connect({kLoopback, static_cast<std::uint16_t>(l.port)});
    probe->seen.clear();
    ASSERT_TRUE(ui::WatchDescriptor(t.fd(), *probe, kReady, ui::kWatchWrite));
    ui::WaitForMessage(50);
    ui::WaitForMessage(50);
    EXPECT_EQ(platform::headless::PendingMessageCount(), 1u);
    ui::UnwatchDescriptor(t.fd());
    EXPECT_EQ(platform::headless::PendingMessageCount(), 0u);
    ASSERT_TRUE(ui::WatchDescriptor(t.fd(), *probe, kReady, ui::kWatchWrite));
    delete probe;
    ui::WaitForMessage(50);
    EXPECT_EQ(platform::headless::PendingMessageCount(), 0u);
    Probe other;
    EXPECT_FALSE(ui::WatchDescriptor(-1, other, kReady, ui::kWatchRead));
}

TEST(SocketWait, BoundedWaitsAndLookUps) {
    Listener l;
    pn::Socket s;
    ASSERT_EQ(s.Open(), 0);
    const int r = s.Connect({kLoopback, static_cast<std::uint16_t>(l.port)});
    ASSERT_TRUE(r == 0 || r == EINPROGRESS) << r;
    ASSERT_EQ(s.WaitReady(pn::Readiness::kWrite, 5000), 0);
    EXPECT_EQ(s.ConnectResult(), 0);
    const int peer = ::accept(l.fd, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    EXPECT_EQ(s.WaitReady(pn::Readiness::kRead, 30), ETIMEDOUT);  // nothing sent yet
    ASSERT_EQ(::send(peer, "x", 1, 0), 1);
    EXPECT_EQ(s.WaitReady(pn::Readiness::kRead, 5000), 0);
    ::close(peer);
    pn::Socket closed;
    EXPECT_EQ(closed.WaitReady(pn::Readiness::kRead, 10), EBADF);

    bool timedOut = true;
    const std::vector<std::uint32_t> local = pn::LookUpHostWithin("localhost", 5000, &timedOut);
    EXPECT_FALSE(timedOut);
    EXPECT_NE(std::find(local.begin(), local.end(), kLoopback), local.end());
    timedOut = true;
    EXPECT_EQ(pn::LookUpAddressWithin(kLoopback, 5000, &timedOut), pn::LookUpAddress(kLoopback));
    EXPECT_FALSE(timedOut);
}
