#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Stored names may use '\' as the separator; on disk it is '/'.
std::string NativePath(std::string_view stored);

// The path of an existing entry, matching each component case-insensitively
// where the name as written does not exist; nullopt when nothing matches.
std::optional<std::string> FindPath(std::string_view name);

// The path to open: an existing match, else the native name with its folder
// resolved, for files about to be created.
std::string ResolvePath(std::string_view name);

// fopen after ResolvePath; the mode's 't' is dropped (no text mode here).
std::FILE* OpenFile(std::string_view name, const char* mode);

bool PathExists(std::string_view name);
bool IsDirectory(std::string_view name);

// Folder of the running executable, without a trailing separator.
std::string ProgramDir();
std::string CurrentDir();
bool SetCurrentDir(std::string_view dir);

// Makes the file hold exactly these bytes, written over the old ones in place
// and then cut to length: for files the program rewrites often and can make
// again (dumps, caches). Emptying a file first would have the file system
// write the old blocks out on every rewrite. False when it could not be written.
[[nodiscard]] bool OverwriteFile(const std::string& path, std::string_view bytes);

// Replaces a file without ever leaving a half-written one: writes go to a
// temporary file in the same folder, Commit flushes it and renames it over
// the target. Dropping the writer without Commit leaves the target untouched.
// A target that is a symbolic link is written through to the file it names;
// the old file's permissions are kept, and a new file gets those the umask
// allows. Temporary names carry kTemporaryMarker and the writer's process id.
inline constexpr const char* kTemporaryMarker = ".kestrune-partial.";

// Removes the temporary files of writers that died in folder (those whose
// process is gone); the names removed.
std::vector<std::string> RemoveStaleTemporaryFiles(std::string_view folder);

class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string_view target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    std::FILE* file() const { return file_; }
    bool ok() const { return file_ != nullptr; }
    // True when every byte reached the disk and the rename succeeded.
    [[nodiscard]] bool Commit();

private:
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

}  // namespace platform
