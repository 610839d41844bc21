#include "platform/sys/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

bool Exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// The entry of dir whose name equals part ignoring case, or nullopt.
std::optional<std::string> MatchInDir(const std::string& dir, const std::string& part) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> found;
    while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, part.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::string Join(const std::string& dir, const std::string& part) {
    if (dir.empty()) return part;
    if (dir.back() == '/') return dir + part;
    return dir + "/" + part;
}

// Resolves every component case-insensitively; the last one only when required.
std::optional<std::string> Resolve(const std::string& path, bool lastMustExist) {
    if (path.empty()) return std::nullopt;
    if (Exists(path)) return path;
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '/') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    std::string out = path[0] == '/' ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part == "." || part == "..") {
            if (!part.empty()) out = Join(out, part);
            continue;
        }
        std::string exact = Join(out, part);
        bool last = i + 1 == parts.size();
        if (Exists(exact)) {
            out = exact;
            continue;
        }
        if (auto m = MatchInDir(out, part)) {
            out = Join(out, *m);
            continue;
        }
        if (last && !lastMustExist) return exact;
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::string NativePath(std::string_view stored) {
    std::string p(stored);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

std::optional<std::string> FindPath(std::string_view name) { return Resolve(NativePath(name), true); }

std::string ResolvePath(std::string_view name) {
    std::string native = NativePath(name);
    if (auto r = Resolve(native, false)) return *r;
    return native;
}

std::FILE* OpenFile(std::string_view name, const char* mode) {
    if (name.empty() || !mode) return nullptr;
    std::string m;
    for (const char* p = mode; *p; ++p)
        if (*p != 't') m += *p;
    bool reading = !m.empty() && m[0] == 'r';
    std::string path = reading ? FindPath(name).value_or(NativePath(name)) : ResolvePath(name);
    if (IsDirectory(path)) return nullptr;
    std::FILE* f = std::fopen(path.c_str(), m.c_str());
    // Until its first seek a stream does not know its offset, so every ftello
    // asks the kernel; record readers tell after each record.
    if (f && reading) ::fseeko(f, 0, SEEK_SET);
    return f;
}

bool PathExists(std::string_view name) { return FindPath(name).has_value(); }

bool IsDirectory(std::string_view name) {
    struct stat st;
    std::string p(name);
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ProgramDir() {
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return CurrentDir();
    std::string exe(buf.data(), static_cast<std::size_t>(n));
    auto slash = exe.rfind('/');
    if (slash == std::string::npos) return CurrentDir();
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string CurrentDir() {
    std::vector<char> buf(PATH_MAX + 1);
    if (::getcwd(buf.data(), buf.size()) == nullptr) return ".";
    return buf.data();
}

bool SetCurrentDir(std::string_view dir) {
    std::string d = ResolvePath(dir);
    return ::chdir(d.c_str()) == 0;
}

namespace {

// The file a name stands for: a symbolic link is followed to its end, even
// when that end does not exist yet.
std::string FinalTarget(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::vector<char> buf(PATH_MAX + 1);
        const ssize_t n = ::readlink(at.c_str(), buf.data(), buf.size() - 1);
        if (n <= 0) return at;
        std::string link(buf.data(), static_cast<std::size_t>(n));
        if (link.empty() || link[0] != '/') {
            const std::size_t slash = at.rfind('/');
            link = (slash == std::string::npos ? std::string() : at.substr(0, slash + 1)) + link;
        }
        at = link;
    }
    return at;
}

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Whether the file at path holds exactly the bytes of the open descriptor.
bool SameContent(int fd, const std::string& path) {
    struct stat mine, theirs;
    if (::fstat(fd, &mine) != 0 || ::stat(path.c_str(), &theirs) != 0 || !S_ISREG(theirs.st_mode) ||
        mine.st_size != theirs.st_size)
        return false;
    const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (other < 0) return false;
    std::vector<char> a(64 * 1024), b(64 * 1024);
    bool same = true;
    for (off_t at = 0; same && at < mine.st_size;) {
        const ssize_t n = ::pread(fd, a.data(), a.size(), at);
        same = n > 0 && ::pread(other, b.data(), static_cast<std::size_t>(n), at) == n &&
               std::equal(a.begin(), a.begin() + n, b.begin());
        at += n > 0 ? n : 0;
    }
    ::close(other);
    return same;
}

}  // namespace

bool OverwriteFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

namespace {

// When the process started, in seconds since the epoch; 0 when unknown.
double ProcessStartTime(long pid) {
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) return 0;
    char text[1024] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    // Field 22 counts clock ticks since boot; the name (field 2) may hold blanks, so count after its ')'.
    const char* p = std::strrchr(text, ')');
    if (!p || n == 0) return 0;
    unsigned long long ticks = 0;
    for (int field = 2; field < 22 && *p; ++p)
        if (*p == ' ') ++field;
    if (std::sscanf(p, "%llu", &ticks) != 1) return 0;
    std::FILE* s = std::fopen("/proc/stat", "r");
    if (!s) return 0;
    char line[256];
    unsigned long long boot = 0;
    while (std::fgets(line, sizeof line, s))
        if (std::sscanf(line, "btime %llu", &boot) == 1) break;
    std::fclose(s);
    const long hz = ::sysconf(_SC_CLK_TCK);
    return boot == 0 || hz <= 0 ? 0 : static_cast<double>(boot) + static_cast<double>(ticks) / static_cast<double>(hz);
}

}  // namespace

std::vector<std::string> RemoveStaleTemporaryFiles(std::string_view folder) {
    std::vector<std::string> removed;
    const std::string dir = folder.empty() ? std::string(".") : std::string(folder);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return removed;
    const std::string marker = kTemporaryMarker;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const std::size_t at = name.find(marker);
        if (at == std::string::npos) continue;
        const long pid = std::strtol(name.c_str() + at + marker.size(), nullptr, 10);
        const std::string path = dir + "/" + name;
        // A live writer keeps its file; a pid that is gone (or never was) marks
        // a dead one, and so does a process that started after the file was
        // last written: the pid has been given to another.
        if (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) {
            struct stat st;
            const double started = ProcessStartTime(pid);
            if (::stat(path.c_str(), &st) != 0 || started == 0 || started < static_cast<double>(st.st_mtime) + 2)
                continue;
        }
        if (::unlink(path.c_str()) == 0) removed.push_back(path);
    }
    ::closedir(d);
    return removed;
}

SafeFileWriter::SafeFileWriter(std::string_view target) : target_(FinalTarget(ResolvePath(target))) {
    temp_ = target_ + kTemporaryMarker + std::to_string(::getpid()) + ".XXXXXX";
    std::vector<char> tmpl(temp_.begin(), temp_.end());
    tmpl.push_back('\0');
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return;
    temp_ = tmpl.data();
    // Keep the permissions of the file being replaced.
    struct stat st;
    ::fchmod(fd, ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode());
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        ::unlink(temp_.c_str());
    }
}

SafeFileWriter::~SafeFileWriter() {
    if (file_) {
        std::fclose(file_);
        ::unlink(temp_.c_str());
    }
}

bool SafeFileWriter::Commit() {
    if (!file_) return false;
    if (std::fflush(file_) == 0 && !std::ferror(file_) && SameContent(::fileno(file_), target_)) {
        // Rewriting what is already there would cost a sync and a rename for nothing.
        std::fclose(file_);
        file_ = nullptr;
        ::unlink(temp_.c_str());
        return true;
    }
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_) && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok) ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp_.c_str());
        return false;
    }
    // The rename lasts only once the folder holding it is on the disk.
    const int dir = ::open(FolderOfPath(target_).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace platform
