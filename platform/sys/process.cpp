#include "platform/sys/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

}  // namespace platform
