#pragma once
// A local test peer run as a child process: its first line on standard
// output is "PORT <n>"; it is stopped when this object goes, and never
// outlives the test. Its scratch folder is removed with it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class PeerProcess {
public:
    explicit PeerProcess(const char* folderPrefix) {
        std::string tmpl = (std::filesystem::temp_directory_path() / (std::string(folderPrefix) + "-XXXXXX")).string();
        if (::mkdtemp(tmpl.data())) folder_ = tmpl;
    }
    ~PeerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    const std::string& folder() const { return folder_; }
    int port() const { return port_; }

    void Start(const std::vector<std::string>& args) {
        int fds[2];
        if (folder_.empty() || ::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive the test
            ::dup2(fds[1], 1);
            ::close(fds[0]);
            ::close(fds[1]);
            Exec(args);
        }
        ::close(fds[1]);
        out_ = fds[0];
        if (pid_ < 0) return;
        // Give the interpreter up to 20 s to start.
        std::string line;
        pollfd p{out_, POLLIN, 0};
        while (line.find('\n') == std::string::npos && ::poll(&p, 1, 20000) > 0) {
            char buf[64];
            ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
    }

    // A loopback port that nothing listens on.
    static int ClosedPort() {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        ::close(fd);
        return ntohs(a.sin_port);
    }

    // Runs a command to its end with its output discarded; its exit status.
    static int Run(const std::vector<std::string>& args) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 1);
            ::dup2(null, 2);
            Exec(args);
        }
        int status = -1;
        if (pid > 0) ::waitpid(pid, &status, 0);
        return status;
    }

private:
    [[noreturn]] static void Exec(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }

    std::string folder_;
    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
};
