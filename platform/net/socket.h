#pragma once
// Non-blocking TCP sockets over IPv4, and the look-ups they need. Readiness is
// normally delivered as messages by the window layer's WatchDescriptor;
// WaitReady is the bounded blocking wait for a dialogue run in one call.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::net {

// An IPv4 address and port, both in host order.
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    // "127.0.0.1"
    std::string DottedAddress() const;
};

// "name", "name:port", "1.2.3.4:port" or "[v6]:port" split; nullopt when the
// port is not 1..65535. Without a port, port is 0.
struct HostAndPort {
    std::string host;
    int port = 0;
};
std::optional<HostAndPort> SplitHostPort(std::string_view text);

// A dotted IPv4 address ("10.0.0.1"); nullopt when it is not one.
std::optional<std::uint32_t> ParseDottedAddress(std::string_view text);
// The IPv4 addresses of a host name (a dotted address gives itself); empty when none.
std::vector<std::uint32_t> LookUpHost(const std::string& name);
// The host's name by address; nullopt when the resolver has none.
std::optional<std::string> LookUpAddress(std::uint32_t address);
// A TCP service by name ("smtp") or number ("25"); 0 when unknown.
int LookUpService(const std::string& service);

// The same look-ups bounded in time, for callers that may not wait on a slow
// resolver: *timedOut tells a time-out from "none". A resolver that overruns
// finishes on a helper thread whose answer is dropped.
std::vector<std::uint32_t> LookUpHostWithin(const std::string& name, int timeoutMs, bool* timedOut);
std::optional<std::string> LookUpAddressWithin(std::uint32_t address, int timeoutMs, bool* timedOut);

enum class Readiness { kRead, kWrite };

class Socket {
public:
    Socket() = default;
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A new non-blocking stream socket; 0, else the errno.
    [[nodiscard]] int Open();
    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Starts the connection: 0 when it completed at once, EINPROGRESS while it
    // goes on (completion: the socket becomes writable, then ConnectResult),
    // else the errno.
    [[nodiscard]] int Connect(const Endpoint& peer);
    // Once writable after Connect: 0 when connected, else the errno.
    [[nodiscard]] int ConnectResult() const;

    // Bytes sent (possibly fewer than given), or -1 with *error set (EAGAIN
    // when the buffer is full). Never raises SIGPIPE.
    [[nodiscard]] long Send(std::string_view data, int* error);
    // Bytes received, 0 when the peer closed, or -1 with *error set.
    [[nodiscard]] long Receive(char* buffer, std::size_t size, int* error);

    // Blocks up to timeoutMs until the socket can be read (or the peer
    // closed) or written: 0, ETIMEDOUT, else the errno. For callers that
    // run outside the message loop.
    [[nodiscard]] int WaitReady(Readiness what, int timeoutMs) const;

    std::optional<Endpoint> LocalEndpoint(int* error = nullptr) const;
    std::optional<Endpoint> PeerEndpoint(int* error = nullptr) const;

    void Close();

private:
    int fd_ = -1;
};

}  // namespace platform::net
