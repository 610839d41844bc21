#include "platform/net/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform::net {
namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(e.port);
    a.sin_addr.s_addr = htonl(e.address);
    return a;
}

std::optional<Endpoint> FromName(int fd, bool peer, int* error) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    const int r = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&a), &len)
                       : ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    if (r != 0 || a.sin_family != AF_INET) {
        if (error) *error = r != 0 ? errno : EAFNOSUPPORT;
        return std::nullopt;
    }
    if (error) *error = 0;
    return Endpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

// Runs work on a detached thread and waits up to timeoutMs for its answer;
// nullopt on time-out. The thread owns a share of the state, so an answer
// that comes too late is dropped safely.
template <typename T, typename Work>
std::optional<T> AnswerWithin(int timeoutMs, Work work) {
    struct State {
        std::mutex mutex;
        std::condition_variable ready;
        std::optional<T> answer;
    };
    auto state = std::make_shared<State>();
    try {
        std::thread([state, work]() mutable {
            T value = work();
            std::lock_guard<std::mutex> lock(state->mutex);
            state->answer = std::move(value);
            state->ready.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return work();  // no thread to spare: wait as the plain look-up does
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    state->ready.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                          [&] { return state->answer.has_value(); });
    return state->answer;
}

}  // namespace

std::string Endpoint::DottedAddress() const {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

std::optional<HostAndPort> SplitHostPort(std::string_view text) {
    HostAndPort out;
    std::string_view host = text, port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
            if (port.empty()) return std::nullopt;
        }
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
        if (text.find(':') != colon) return std::nullopt;  // a bare IPv6 address needs brackets
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) return std::nullopt;
    }
    if (host.empty()) return std::nullopt;
    if (!port.empty()) {
        int n = 0;
        auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), n);
        if (ec != std::errc() || end != port.data() + port.size() || n < 1 || n > 65535) return std::nullopt;
        out.port = n;
    }
    out.host = std::string(host);
    return out;
}

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) {
    const std::string s(text);
    in_addr a{};
    if (::inet_pton(AF_INET, s.c_str(), &a) != 1) return std::nullopt;
    return ntohl(a.s_addr);
}

std::vector<std::uint32_t> LookUpHost(const std::string& name) {
    std::vector<std::uint32_t> out;
    if (name.empty()) return out;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return out;
    for (addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in)) continue;
        const std::uint32_t ip = ntohl(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
        if (std::find(out.begin(), out.end(), ip) == out.end()) out.push_back(ip);
    }
    ::freeaddrinfo(list);
    return out;
}

std::optional<std::string> LookUpAddress(std::uint32_t address) {
    const sockaddr_in a = ToSockaddr({address, 0});
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&a), sizeof a, host, sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
        return std::nullopt;
    return std::string(host);
}

int LookUpService(const std::string& service) {
    if (service.empty()) return 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* list = nullptr;
    if (::getaddrinfo("0.0.0.0", service.c_str(), &hints, &list) != 0 || !list) return 0;
    const int port = ntohs(reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_port);
    ::freeaddrinfo(list);
    return port;
}

std::vector<std::uint32_t> LookUpHostWithin(const std::string& name, int timeoutMs, bool* timedOut) {
    std::optional<std::vector<std::uint32_t>> r =
        AnswerWithin<std::vector<std::uint32_t>>(timeoutMs, [name] { return LookUpHost(name); });
    *timedOut = !r;
    return r ? std::move(*r) : std::vector<std::uint32_t>{};
}

std::optional<std::string> LookUpAddressWithin(std::uint32_t address, int timeoutMs, bool* timedOut) {
    std::optional<std::optional<std::string>> r =
        AnswerWithin<std::optional<std::string>>(timeoutMs, [address] { return LookUpAddress(address); });
    *timedOut = !r;
    return r ? *r : std::nullopt;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

int Socket::Open() {
    Close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    return fd_ < 0 ? errno : 0;
}

int Socket::Connect(const Endpoint& peer) {
    if (fd_ < 0) return EBADF;
    const sockaddr_in a = ToSockaddr(peer);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return 0;
    return errno;
}

int Socket::ConnectResult() const {
    if (fd_ < 0) return EBADF;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
    if (err != 0) return err;
    int e = 0;
    return FromName(fd_, true, &e) ? 0 : e;
}

long Socket::Send(std::string_view data, int* error) {
    *error = 0;
    if (fd_ < 0) {
        *error = EBADF;
        return -1;
    }
    const ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0) *error = errno;
    return static_cast<long>(n);
}

long Socket::Receive(char* buffer, std::size_t size, int* error) {
    *error = 0;
    if (fd_ < 0) {
        *error = EBADF;
        return -1;
    }
    const ssize_t n = ::recv(fd_, buffer, size, 0);
    if (n < 0) *error = errno;
    return static_cast<long>(n);
}

int Socket::WaitReady(Readiness what, int timeoutMs) const {
    if (fd_ < 0) return EBADF;
    pollfd p{fd_, static_cast<short>(what == Readiness::kRead ? POLLIN : POLLOUT), 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (r > 0) return 0;  // errors and hang-ups show as ready: the next call reports them
        if (r == 0) return ETIMEDOUT;
        if (errno != EINTR) return errno;
    }
}

std::optional<Endpoint> Socket::LocalEndpoint(int* error) const { return FromName(fd_, false, error); }
std::optional<Endpoint> Socket::PeerEndpoint(int* error) const { return FromName(fd_, true, error); }

void Socket::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace platform::net
