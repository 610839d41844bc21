#pragma once
// A scripted SMTP server on 127.0.0.1 for one session, run on a thread of the
// test. Each stage answers as told: a reply (split into pieces and delayed
// when asked), silence, or hanging up. It keeps the whole dialogue as a
// transcript ("C: " lines received, "S: " lines sent) and the raw bytes of
// the message after DATA.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SmtpPeer {
public:
    enum class Stage { kGreeting, kHelo, kMail, kRcpt, kData, kMessage, kQuit };

    struct Answer {
        Answer(std::string reply = {}, std::vector<std::size_t> cuts = {}, int delay = 0)
            : text(std::move(reply)), splits(std::move(cuts)), delayMs(delay) {}
        static Answer Silent() {
            Answer a;
            a.silent = true;
            return a;
        }
        static Answer HangUp() {
            Answer a;
            a.hangUp = true;
            return a;
        }
        std::string text;                 // the reply as sent; empty: the stage's usual one
        std::vector<std::size_t> splits;  // byte offsets where the reply is cut into separate sends
        int delayMs = 0;                  // before each piece
        bool silent = false;              // never answers; keeps the connection open
        bool hangUp = false;              // closes the connection instead
    };

    // address: where it listens, in host order; any of 127.0.0.0/8 is loopback.
    explicit SmtpPeer(std::map<Stage, Answer> script = {}, std::uint32_t address = INADDR_LOOPBACK)
        : script_(std::move(script)) {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(address);
        dotted_ = inet_ntoa(a.sin_addr);
        socklen_t len = sizeof a;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(listen_, 1) == 0 &&
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~SmtpPeer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }
    SmtpPeer(const SmtpPeer&) = delete;
    SmtpPeer& operator=(const SmtpPeer&) = delete;

    int port() const { return port_; }
    std::string server() const { return dotted_ + ":" + std::to_string(port_); }

    // Both wait (at most 10 s) for a session that began to end.
    std::string Transcript() {
        Wait();
        std::lock_guard<std::mutex> lock(mutex_);
        return transcript_;
    }
    std::string Message() {
        Wait();
        std::lock_guard<std::mutex> lock(mutex_);
        return message_;
    }

private:
    static Answer Usual(Stage s) {
        switch (s) {
            case Stage::kGreeting: return {"220 peer.test ready\r\n"};
            case Stage::kHelo: return {"250 peer.test\r\n"};
            case Stage::kMail: return {"250 sender ok\r\n"};
            case Stage::kRcpt: return {"250 recipient ok\r\n"};
            case Stage::kData: return {"354 end with .\r\n"};
            case Stage::kMessage: return {"250 queued\r\n"};
            case Stage::kQuit: return {"221 bye\r\n"};
        }
        return {};
    }

    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        ended_.wait_for(lock, std::chrono::seconds(10), [this] { return !began_ || done_; });
    }

    void Log(const std::string& who, const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            transcript_ += who + line + "\n";
            at = end + 1;
        }
    }

    // Waits for the descriptor to be readable; false when told to stop.
    bool Readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        while (!stop_) {
            if (::poll(&p, 1, 20) > 0) return true;
        }
        return false;
    }

    // false: the session is over.
    bool Reply(int fd, Stage stage) {
        Answer a = Usual(stage);
        if (auto it = script_.find(stage); it != script_.end()) {
            const Answer& s = it->second;
            if (!s.text.empty()) a.text = s.text;
            a.splits = s.splits;
            a.delayMs = s.delayMs;
            a.silent = s.silent;
            a.hangUp = s.hangUp;
        }
        if (a.hangUp) {
            Log("S: ", "<hangs up>");
            return false;
        }
        if (a.silent) {
            Log("S: ", "<silent>");
            char sink[256];
            while (Readable(fd) && ::recv(fd, sink, sizeof sink, 0) > 0) {
            }
            return false;
        }
        Log("S: ", a.text);
        std::size_t from = 0;
        std::vector<std::size_t> cuts = a.splits;
        cuts.push_back(a.text.size());
        for (std::size_t cut : cuts) {
            if (a.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(a.delayMs));
            if (cut > from) ::send(fd, a.text.data() + from, cut - from, MSG_NOSIGNAL);
            from = cut;
        }
        return true;
    }

    // The next line (with its line end), or false when the client closed.
    bool ReadLine(int fd, std::string& line) {
        for (;;) {
            if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
                line = buffer_.substr(0, end + 1);
                buffer_.erase(0, end + 1);
                return true;
            }
            if (!Readable(fd)) return false;
            char chunk[4096];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                if (!buffer_.empty()) Log("C: ", buffer_ + "<closed mid-line>");
                return false;
            }
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    void Session(int fd) {
        if (!Reply(fd, Stage::kGreeting)) return;
        bool inMessage = false;
        std::string line;
        while (ReadLine(fd, line)) {
            Log("C: ", line);
            if (inMessage) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    message_ += line;
                }
                if (line != ".\r\n") continue;
                inMessage = false;
                if (!Reply(fd, Stage::kMessage)) return;
                continue;
            }
            std::string verb = line.substr(0, 4);
            for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            Stage stage;
            if (verb == "HELO" || verb == "EHLO") stage = Stage::kHelo;
            else if (verb == "MAIL") stage = Stage::kMail;
            else if (verb == "RCPT") stage = Stage::kRcpt;
            else if (verb == "DATA") stage = Stage::kData;
            else if (verb == "QUIT") stage = Stage::kQuit;
            else {
                Log("S: ", "500 unknown command");
                ::send(fd, "500 unknown command\r\n", 21, MSG_NOSIGNAL);
                continue;
            }
            if (!Reply(fd, stage) || stage == Stage::kQuit) return;
            if (stage == Stage::kData) {
                const auto it = script_.find(Stage::kData);
                inMessage = it == script_.end() || it->second.text.empty() || it->second.text.rfind("354", 0) == 0;
            }
        }
    }

    void Run() {
        if (!Readable(listen_)) return;
        const int fd = ::accept(listen_, nullptr, nullptr);
        if (fd < 0) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            began_ = true;
        }
        Session(fd);
        ::close(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        ended_.notify_all();
    }

    std::map<Stage, Answer> script_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool began_ = false, done_ = false;
    std::string dotted_, transcript_, message_, buffer_;
};
