#pragma once
// A one-connection-at-a-time TCP server on 127.0.0.1 for the network
// targets: it reads the client's request up to an end mark, answers with
// the given pieces, then closes.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/net/http.h"

namespace fuzz {

class LocalServer {
public:
    LocalServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        FUZZ_CHECK(listener_ >= 0, "a socket");
        int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        FUZZ_CHECK(::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0, "bind");
        FUZZ_CHECK(::listen(listener_, 8) == 0, "listen");
        socklen_t len = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~LocalServer() { ::close(listener_); }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    int port() const { return port_; }

    // Serves the next connection on a thread: reads until endMark has come
    // (or the client stops), writes each piece, closes. Join the thread.
    std::thread ServeOnce(std::string endMark, std::vector<std::string> pieces) {
        return std::thread([this, endMark = std::move(endMark), pieces = std::move(pieces)] {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return;  // the client never came
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            int yes = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            std::string got;
            char buffer[4096];
            while (got.find(endMark) == std::string::npos) {
                pollfd q{fd, POLLIN, 0};
                if (::poll(&q, 1, 5000) <= 0) break;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                got.append(buffer, static_cast<std::size_t>(n));
            }
            for (const std::string& piece : pieces) {
                std::string_view rest = piece;
                while (!rest.empty()) {
                    const ssize_t n = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
                    if (n <= 0) break;
                    rest.remove_prefix(static_cast<std::size_t>(n));
                }
                if (!rest.empty()) break;
            }
            ::shutdown(fd, SHUT_WR);
            // Let the client read to the end before the connection goes.
            pollfd q{fd, POLLIN, 0};
            while (::poll(&q, 1, 2000) > 0 && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
            }
            ::close(fd);
        });
    }

private:
    int listener_ = -1;
    int port_ = 0;
};

// Short waits, and no redirect: one must not take the client off this machine.
inline const platform::net::HttpSettings& LocalHttpSettings() {
    static const platform::net::HttpSettings settings = [] {
        platform::net::HttpSettings s;
        s.connectTimeoutMs = 2000;
        s.receiveTimeoutMs = 1000;
        s.maxRedirects = 0;
        return s;
    }();
    return settings;
}

// The input cut into up to four pieces at the places its first bytes choose.
inline std::vector<std::string> Pieces(Taker& take) {
    const std::uint8_t cuts[3] = {take.Byte(), take.Byte(), take.Byte()};
    const std::string_view rest = take.Rest();
    std::vector<std::size_t> at = {0};
    for (std::uint8_t c : cuts) at.push_back(std::max(at.back(), rest.size() * c / 255));
    at.push_back(rest.size());
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i + 1 < at.size(); ++i)
        if (at[i + 1] > at[i]) pieces.emplace_back(rest.substr(at[i], at[i + 1] - at[i]));
    return pieces;
}

}  // namespace fuzz
