#pragma once
// Makes a file that exists but that this process cannot open for reading,
// also when the tests run as root: the thread's effective capabilities that
// bypass file modes are dropped while the object lives, then restored.
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

class UnreadableFile {
public:
    explicit UnreadableFile(const std::string& path) : path_(std::filesystem::absolute(path).string()) {
        ::chmod(path_.c_str(), 0200);
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        lowered[0].effective &= ~bits;
        dropped_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~UnreadableFile() {
        if (dropped_) ::syscall(SYS_capset, &header_, saved_);
        ::chmod(path_.c_str(), 0644);
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

    // False when the file can still be read (the test then proves nothing).
    bool unreadable() const {
        std::FILE* f = std::fopen(path_.c_str(), "r");
        if (!f) return true;
        std::fclose(f);
        return false;
    }

private:
    std::string path_;
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};
