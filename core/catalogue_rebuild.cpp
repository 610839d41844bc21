#include "core/catalogue_rebuild.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "core/energy.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "platform/sys/files.h"

namespace {

bool sHeld = false;
void (*sStepHook)(const char*) = nullptr;

void Step(const char* name) {
    if (sStepHook) sStepHook(name);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FilePart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A rename is only durable once its folder is on the disk.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

bool CopyWhole(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) return false;
    platform::SafeFileWriter out(to);
    bool ok = out.ok();
    char buffer[65536];
    for (std::size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        ok = std::fwrite(buffer, 1, n, out.file()) == n;
    ok = ok && !std::ferror(in);
    std::fclose(in);
    return ok && out.Commit();
}

// Whole records, each dated, in time order: a catalogue a swap may take.
bool IsWholeCatalogue(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = size > 0 && size % kQuakeRecordSize == 0;
    const std::int32_t n = ok ? QuakeRecordCount(f) : 0;
    TimeValue previous;
    for (std::int32_t i = 0; ok && i < n; ++i) {
        const TimeValue t = ReadQuakeAt(f, i);
        ok = t.t != 0.0 && !(t < previous);
        previous = t;
    }
    std::fclose(f);
    return ok;
}

}  // namespace

std::string BackupCatalogueName(const std::string& name) {
    const std::size_t part = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (part != std::string::npos && dot < part)) return name + ".hyt";
    return name.substr(0, dot) + ".hyt";
}

void SetCatalogueStepHookForTesting(void (*hook)(const char* step)) { sStepHook = hook; }

// ---- the hold ---------------------------------------------------------------------------------

CatalogueUpdateHold::CatalogueUpdateHold() : held_(!sHeld) {
    if (held_) sHeld = true;
}

CatalogueUpdateHold::~CatalogueUpdateHold() {
    if (held_) sHeld = false;
}

bool CatalogueUpdateHold::Taken() { return sHeld; }

// ---- the rebuild ------------------------------------------------------------------------------

CatalogueRebuild::~CatalogueRebuild() {
    if (in_) std::fclose(in_);
    Abandon();
}

bool CatalogueRebuild::Open(const std::string& name) {
    path_ = FindDataFile(name);
    in_ = path_.empty() ? nullptr : platform::OpenFile(path_, "rb");
    if (!in_) {
        error_ = "Can't find file " + name;
        return false;
    }
    count_ = QuakeRecordCount(in_);
    last_ = count_ > 0 ? ReadQuakeAt(in_, count_ - 1) : TimeValue();
    return true;
}

bool CatalogueRebuild::KeepBefore(TimeValue cut) {
    if (!in_) return false;
    TimeValue search = cut;
    bool exact = false;
    std::int32_t keep = 0;
    FindQuakeIndex(in_, &search, &exact, &keep);
    keep = std::clamp(keep, 0, count_);

    if (!CreateTemp()) return false;
    resumeAt_ = cut;
    QuakeRecord q;
    for (std::int32_t i = 0; i < keep; ++i) {
        resumeAt_ = ReadQuakeAt(in_, i, kFromStart, &q);
        resumeStored_ = true;
        Step("keep");
        (void)Write(q);
    }
    for (std::int32_t i = keep; i < count_; ++i) replacedTimes_.push_back(ReadQuakeAt(in_, i));
    std::fclose(in_);
    in_ = nullptr;
    lastWritten_ = resumeAt_;
    return true;
}

bool CatalogueRebuild::BeginRewrite() { return in_ && !out_ && CreateTemp(); }

bool CatalogueRebuild::CreateTemp() {
    temp_ = FolderOf(path_) + kTempCatalogue;
    DebugLog("Create %s", temp_.c_str());
    Step("create");
    out_ = std::fopen(temp_.c_str(), "wb");
    if (!out_) {
        error_ = std::string("Could not create ") + kTempCatalogue + ": " + SystemErrorText(errno);
        temp_.clear();
        return false;
    }
    return true;
}

TimeValue CatalogueRebuild::StoredAt(std::int32_t i, QuakeRecord* q) const {
    if (q) *q = QuakeRecord{};
    if (!in_ || i < 0 || i >= count_) return TimeValue();
    return ReadQuakeAt(in_, i, kFromStart, q);
}

bool CatalogueRebuild::CopyStored(std::int32_t from, std::int32_t to) {
    if (!in_ || !out_ || readFailed_) return false;
    from = std::max(from, 0);
    to = std::min(to, count_);
    if (from >= to) return !writeFailed_;
    bool ok = std::fseek(in_, static_cast<long>(from) * kQuakeRecordSize, SEEK_SET) == 0;
    unsigned char bytes[kQuakeRecordSize];
    for (std::int32_t i = from; ok && i < to; ++i) {
        if (std::fread(bytes, 1, sizeof bytes, in_) != sizeof bytes) {
            ok = false;
            break;
        }
        Step("copy");
        if (!writeFailed_ && std::fwrite(bytes, 1, sizeof bytes, out_) != sizeof bytes) {
            writeFailed_ = true;
            writeErrno_ = errno;
        }
    }
    if (!ok) {
        readFailed_ = true;
        error_ = "Could not read " + path_ + "; it is kept as it was";
    }
    return ok && !writeFailed_;
}

void CatalogueRebuild::Put(const QuakeRecord& q) {
    Step("put");
    (void)Write(q);
}

std::int32_t CatalogueRebuild::StoredBetween(TimeValue from, TimeValue to) const {
    return static_cast<std::int32_t>(std::count_if(replacedTimes_.begin(), replacedTimes_.end(),
                                                   [&](TimeValue t) { return !(t < from) && t < to; }));
}

bool CatalogueRebuild::Write(const QuakeRecord& q) {
    if (!out_ || writeFailed_) return false;
    if (WriteQuakeRecord(out_, q)) return true;
    writeFailed_ = true;
    writeErrno_ = errno;
    return false;
}

void CatalogueRebuild::Append(const QuakeRecord& q) {
    TimeValue t;
    t.SetFromQuake(q);
    if (t < lastWritten_) return;
    if (t == lastWritten_) {
        // At the last kept record's time the stored record stands; windows
        // that share a day answer the same event twice.
        if (resumeStored_ && t == resumeAt_) return;
        if (std::any_of(atLastTime_.begin(), atLastTime_.end(), [&](const QuakeRecord& o) { return IsSameQuake(o, q); }))
            return;
    } else {
        atLastTime_.clear();
    }
    atLastTime_.push_back(q);
    lastWritten_ = t;
    Step("append");
    if (Write(q)) ++appended_;
}

void CatalogueRebuild::Abandon() {
    if (out_) {
        std::fclose(out_);
        out_ = nullptr;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

std::string CatalogueRebuild::Finish() {
    if (!out_) return error_.empty() ? error_ = "Nothing to swap in" : error_;
    if (in_) {
        std::fclose(in_);
        in_ = nullptr;
    }
    Step("flush");
    if (std::fflush(out_) != 0 && !writeFailed_) {
        writeFailed_ = true;
        writeErrno_ = errno;
    }
    Step("sync");
    if (!writeFailed_ && ::fsync(::fileno(out_)) != 0) {
        writeFailed_ = true;
        writeErrno_ = errno;
    }
    Step("close");
    const int closed = std::fclose(out_);
    out_ = nullptr;
    if (closed != 0 && !writeFailed_) {
        writeFailed_ = true;
        writeErrno_ = errno;
    }
    if (readFailed_) {
        Abandon();
        return error_;
    }
    if (writeFailed_) {
        error_ = std::string("Could not write ") + kTempCatalogue + ": " + SystemErrorText(writeErrno_);
        Abandon();
        return error_;
    }
    // Stored records would go and nothing takes their place: the source
    // answered without events, which no update may take for the truth.
    if (appended_ == 0 && !replacedTimes_.empty()) {
        error_ = "No new events to replace the " + std::to_string(replacedTimes_.size()) + " stored; " +
                 FilePart(path_) + " is kept";
        Abandon();
        return error_;
    }

    // The backup is a second name of the old file (or a copy), so the
    // catalogue itself is never missing; then one rename puts the new in.
    const std::string backup = BackupCatalogueName(path_);
    Step("remove backup");
    if (::unlink(backup.c_str()) != 0 && errno != ENOENT) DebugLog("Problem deleting %s.", backup.c_str());
    Step("link backup");
    if (::link(path_.c_str(), backup.c_str()) != 0) {
        Step("copy backup");
        if (!CopyWhole(path_, backup)) {
            error_ = "Problem keeping " + path_ + " as " + backup + ".";
            Abandon();
            return error_;
        }
    }
    Step("rename");
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
        error_ = std::string("Problem renaming ") + kTempCatalogue + " to " + path_ + ".";
        Abandon();
        return error_;
    }
    temp_.clear();
    Step("sync folder");
    SyncFolder(FolderOf(path_));
    return {};
}

// ---- start-up ---------------------------------------------------------------------------------

std::vector<std::string> RecoverCatalogues(const std::vector<std::string>& names,
                                           const std::vector<std::string>& folders) {
    std::vector<std::string> lines;
    std::vector<std::string> temps;
    for (const std::string& folder : folders) {
        for (const std::string& name : names) {
            const std::string catalogue =
                folder.empty() || folder.back() == '/' ? folder + platform::NativePath(name)
                                                       : folder + "/" + platform::NativePath(name);
            const std::string temp = FolderOf(catalogue) + kTempCatalogue;
            if (std::find(temps.begin(), temps.end(), temp) == temps.end()) temps.push_back(temp);
            if (!FindDataFile(name).empty() || platform::PathExists(catalogue)) continue;
            const std::optional<std::string> backup = platform::FindPath(BackupCatalogueName(catalogue));
            const std::optional<std::string> interrupted = platform::FindPath(temp);
            if (!backup || !interrupted) continue;
            if (IsWholeCatalogue(*interrupted) && std::rename(interrupted->c_str(), catalogue.c_str()) == 0) {
                SyncFolder(FolderOf(catalogue));
                lines.push_back("Restored " + catalogue + " from " + *interrupted);
            } else if (CopyWhole(*backup, catalogue)) {
                lines.push_back("Restored " + catalogue + " from " + *backup);
            } else {
                lines.push_back("Could not restore " + catalogue + " from " + *backup);
            }
        }
    }
    for (const std::string& temp : temps) {
        if (::unlink(temp.c_str()) == 0) lines.push_back("Removed the stale " + temp);
    }
    return lines;
}
