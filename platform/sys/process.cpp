#include "platform/sys/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace platform {

namespace {

std::vector<pid_t>& Started() {
    static std::vector<pid_t> pids;
    return pids;
}

void ReapEnded() {
    std::erase_if(Started(), [](pid_t pid) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        return r == pid || (r < 0 && errno == ECHILD);
    });
}

ProcessStarter& Starter() {
    static ProcessStarter starter;
    return starter;
}

}  // namespace

void SetProcessStarter(ProcessStarter starter) { Starter() = std::move(starter); }

bool StartProcess(const std::vector<std::string>& args, std::string* why) {
    if (Starter()) return Starter()(args, why);
    ReapEnded();
    if (args.empty() || args[0].empty()) {
        if (why) *why = "no program named";
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        if (why) *why = std::strerror(error);
        return false;
    }
    Started().push_back(pid);
    return true;
}

bool ProgramRunsIn(std::string_view program, const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::vector<fs::path> wanted;
    for (const std::string& f : folders) {
        std::error_code ec;
        const fs::path p = fs::weakly_canonical(f, ec);
        if (!ec) wanted.push_back(p);
    }
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code lost;  // the process may end while it is looked at, or belong to another user
        std::string exe = fs::read_symlink(it->path() / "exe", lost).filename().string();
        if (lost) continue;
        if (const std::size_t gone = exe.find(" (deleted)"); gone != std::string::npos) exe.resize(gone);
        if (exe != program) continue;
        const fs::path cwd = fs::read_symlink(it->path() / "cwd", lost);
        if (lost) continue;
        if (std::find(wanted.begin(), wanted.end(), cwd) != wanted.end()) return true;
    }
    return false;
}

}  // namespace platform
