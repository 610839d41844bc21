#include "core/record_file.h"

#include <stdio_ext.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <new>
#include <vector>

namespace {

// Writes back what a writing stream still holds; true when it was writing.
bool SettleWrites(std::FILE* file) {
    if (!__fwriting(file)) return false;
    std::fflush(file);
    return true;
}

bool StatPlainFile(std::FILE* file, struct stat* st) { return ::fstat(::fileno(file), st) == 0 && S_ISREG(st->st_mode); }

long long FileLength(std::FILE* file) {
    SettleWrites(file);
    struct stat st;
    if (StatPlainFile(file, &st)) return st.st_size;
    // Not a plain file: only the stream can tell, and it moves to the end.
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    long len = std::ftell(file);
    return len < 0 ? 0 : len;
}

std::int32_t WholeRecords(long long length, int recordSize) {
    return static_cast<std::int32_t>(std::min<long long>(length / recordSize, INT32_MAX));
}

bool ReadFully(int fd, unsigned char* out, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t got = ::pread(fd, out, size, offset);
        if (got <= 0) return false;
        out += got;
        size -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

// The halving between the first and the last record: the first record of
// the run of times equal to t, else where t would go.
template <class TimeAt>
std::int32_t Halve(TimeAt timeAt, std::int32_t last, TimeValue t) {
    std::int32_t lo = 0, hi = last, i = hi / 2;
    do {
        const TimeValue ti = timeAt(i);
        if (ti == t) break;
        if (ti > t)
            hi = i;
        else
            lo = i + 1;
        i = lo + (hi - lo) / 2;
    } while (lo < hi);
    const TimeValue found = timeAt(i);
    while (i - 1 >= 0 && timeAt(i - 1) == found) --i;
    return i;
}

// The search proper, over whatever gives record i's time; middle finds the
// index strictly between the first and the last record.
template <class TimeAt, class Middle>
int Search(std::int32_t n, TimeAt timeAt, bool firstIsExact, TimeValue* time, bool* exact, std::int32_t* index,
           Middle middle) {
    *exact = false;
    const TimeValue t0 = n > 0 ? timeAt(0) : TimeValue();
    // A time that is not a number compares false with everything; halving
    // on it would step past the last record.
    if (t0.t == 0 || !(*time > t0)) {
        *exact = firstIsExact && t0.t != 0 && *time == t0;
        *time = t0;
        *index = 0;
        return *exact ? 0 : -1;
    }
    const std::int32_t last = n - 1;
    const TimeValue tn = timeAt(last);
    if (*time > tn) {
        *time = tn;
        *index = n;
        return 1;
    }
    if (tn == *time) {
        *exact = true;
        *index = last;
        return 0;
    }
    const std::int32_t i = middle(0, last, *time);
    *exact = timeAt(i) == *time;
    *time = timeAt(i);
    *index = i;
    return 0;
}

template <class TimeAt>
int Search(std::int32_t n, TimeAt timeAt, bool firstIsExact, TimeValue* time, bool* exact, std::int32_t* index) {
    return Search(n, timeAt, firstIsExact, time, exact, index,
                  [&timeAt](std::int32_t, std::int32_t last, TimeValue t) { return Halve(timeAt, last, t); });
}

// ---- Kept record times -------------------------------------------------------------

// Larger catalogues are searched on disk rather than held in memory (512 MB of times).
constexpr std::int64_t kMaxTableRecords = std::int64_t{1} << 26;
constexpr std::size_t kFillChunkBytes = 256 * 1024;

struct TimeTable {
    bool valid = false;
    FileStamp stamp;
    int recordSize = 0;
    RecordTimeOf timeOf = nullptr;
    std::FILE* stream = nullptr;  // the last stream whose read buffer is no older than the table
    std::uint64_t lastUse = 0;
    std::vector<TimeValue> times;
    // In time order (as a catalogue should be): every kStride-th time, for a
    // search that touches few cache lines. Empty when the times are not in order.
    std::vector<double> sample;

    void Drop() {
        valid = false;
        stream = nullptr;
        lastUse = 0;
        std::vector<TimeValue>().swap(times);
        std::vector<double>().swap(sample);
    }
};

constexpr std::size_t kStride = 256;

// The first index whose time is not below t, in sorted kept times.
std::size_t LowerBound(const TimeTable& table, double t) {
    const auto& s = table.sample;
    const std::size_t j = static_cast<std::size_t>(std::lower_bound(s.begin(), s.end(), t) - s.begin());
    const std::size_t first = j == 0 ? 0 : (j - 1) * kStride;
    const std::size_t last = std::min(j * kStride + 1, table.times.size());
    auto lessThan = [](const TimeValue& v, double x) { return v.t < x; };
    return static_cast<std::size_t>(
        std::lower_bound(table.times.begin() + static_cast<std::ptrdiff_t>(first),
                         table.times.begin() + static_cast<std::ptrdiff_t>(last), t, lessThan) -
        table.times.begin());
}

// Earthquakes, eruptions and one more (an update's or the alerts' catalogue).
std::array<TimeTable, 3> tables;
std::uint64_t useCounter = 0;
double quietSeconds = 2.0;

bool Unchanged(const TimeTable& t, const struct stat& st) { return t.stamp == FileStamp::Of(st); }

bool ChangedRecently(const struct stat& st) { return FileStamp::Of(st).ChangedWithin(quietSeconds); }

bool Fill(TimeTable& t, std::FILE* file, const struct stat& st, int recordSize, RecordTimeOf timeOf) {
    const int fd = ::fileno(file);
    const std::int64_t n = st.st_size / recordSize;
    const std::int64_t perChunk = std::max<std::int64_t>(1, static_cast<std::int64_t>(kFillChunkBytes) / recordSize);
    std::vector<unsigned char> chunk;
    try {
        t.times.resize(static_cast<std::size_t>(n));
        chunk.resize(static_cast<std::size_t>(std::min(n, perChunk) * recordSize));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t first = 0; first < n; first += perChunk) {
        const std::int64_t count = std::min(perChunk, n - first);
        if (!ReadFully(fd, chunk.data(), static_cast<std::size_t>(count * recordSize), static_cast<off_t>(first * recordSize)))
            return false;
        for (std::int64_t j = 0; j < count; ++j) t.times[static_cast<std::size_t>(first + j)] = timeOf(chunk.data() + j * recordSize);
    }
    t.stamp = FileStamp::Of(st);
    // Written to while being read: not to be kept.
    struct stat after;
    if (::fstat(fd, &after) != 0 || !Unchanged(t, after)) return false;
    t.recordSize = recordSize;
    t.timeOf = timeOf;
    bool sorted = true;
    for (std::size_t i = 1; sorted && i < t.times.size(); ++i) sorted = t.times[i - 1].t <= t.times[i].t;
    std::vector<double>().swap(t.sample);
    if (sorted)
        for (std::size_t i = 0; i < t.times.size(); i += kStride) t.sample.push_back(t.times[i].t);
    t.stream = file;
    t.lastUse = ++useCounter;
    t.valid = true;
    return true;
}

// The file's times, when they can be trusted; null sends the search to disk.
const TimeTable* TableFor(std::FILE* file, const struct stat& st, int recordSize, RecordTimeOf timeOf, bool wrote) {
    TimeTable* slot = nullptr;
    for (TimeTable& t : tables)
        if (t.valid && t.stamp.SameFile(FileStamp::Of(st)) && t.recordSize == recordSize && t.timeOf == timeOf) slot = &t;
    if (slot && !wrote && Unchanged(*slot, st)) {
        // Another stream's read buffer may hold bytes from before the table.
        if (slot->stream != file) std::fflush(file);
        slot->stream = file;
        slot->lastUse = ++useCounter;
        return slot;
    }
    // From here on nothing the stream has buffered is trusted.
    std::fflush(file);
    if (slot) slot->Drop();
    if (ChangedRecently(st) || st.st_size / recordSize > kMaxTableRecords) return nullptr;
    if (!slot)
        slot = &*std::min_element(tables.begin(), tables.end(),
                                  [](const TimeTable& a, const TimeTable& b) { return a.lastUse < b.lastUse; });
    if (Fill(*slot, file, st, recordSize, timeOf)) return slot;
    slot->Drop();
    return nullptr;
}

void Position(std::FILE* file, std::int32_t index, int recordSize) {
    if (index == 0)
        std::rewind(file);
    else
        ::fseeko(file, static_cast<off_t>(index) * recordSize, SEEK_SET);
}

}  // namespace

FileStamp FileStamp::Of(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }

bool FileStamp::operator==(const FileStamp& o) const {
    auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return SameFile(o) && size == o.size && same(mtime, o.mtime) && same(ctime, o.ctime);
}

bool FileStamp::ChangedWithin(double seconds) const {
    auto at = [](const timespec& ts) { return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9; };
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return std::max(at(mtime), at(ctime)) > now - seconds;
}

std::int32_t RecordCount(std::FILE* file, int recordSize) {
    if (!file) return 0;
    SettleWrites(file);
    struct stat st;
    if (StatPlainFile(file, &st)) return WholeRecords(st.st_size, recordSize);
    long pos = std::ftell(file);
    std::int32_t count = WholeRecords(FileLength(file), recordSize);
    if (pos >= 0) std::fseek(file, pos, SEEK_SET);
    return count;
}

std::string CatalogueFileProblem(std::FILE* file, int recordSize, bool (*plausible)(const unsigned char* bytes),
                                 bool* usable) {
    *usable = true;
    const long pos = std::ftell(file);
    const long long length = FileLength(file);
    if (pos >= 0) std::fseek(file, pos, SEEK_SET);
    const std::int32_t count = WholeRecords(length, recordSize);
    if (count == 0) {
        if (length == 0) return {};  // an empty catalogue is a catalogue
        *usable = false;
        return "shorter than one record of " + std::to_string(recordSize) + " bytes";
    }
    std::string record(static_cast<std::size_t>(recordSize), '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(record.data());
    for (std::int32_t i : {0, count - 1}) {
        if (!ReadRecordBytes(file, i, recordSize, bytes) || !plausible(bytes)) {
            *usable = false;
            return "record " + std::to_string(i + 1) + " is not a catalogue record: the file is damaged or of "
                   "another kind";
        }
    }
    if (length % recordSize != 0)
        return std::to_string(length % recordSize) + " bytes after the last whole record are ignored";
    return {};
}

bool SeekRecord(std::FILE* file, std::int32_t n, int origin, int recordSize) {
    if (!file) return false;
    long long index = n;
    if (origin == kFromCurrent) {
        long pos = std::ftell(file);
        index += pos > 0 ? pos / recordSize : 0;
    }
    const long long length = FileLength(file);
    const long long count = length / recordSize;
    if (origin == kFromEnd) index += count;
    if (index < 0) {
        std::rewind(file);
        return false;
    }
    const long long offset = index * recordSize;
    if (offset > length) {
        std::fseek(file, 0, SEEK_END);
        return false;
    }
    if (::fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    // A truncated final record is no record.
    return index < count;
}

bool ReadNextRecord(std::FILE* file, std::int32_t n, int recordSize, unsigned char* out) {
    if (!file || n < 0 || __fwriting(file)) return false;
    const off_t offset = static_cast<off_t>(n) * recordSize;
    // ftello answers from the stream's own count; a seek would always ask the kernel.
    if (::ftello(file) != offset) return false;
    if (std::fread(out, 1, static_cast<std::size_t>(recordSize), file) == static_cast<std::size_t>(recordSize)) return true;
    std::clearerr(file);
    ::fseeko(file, offset, SEEK_SET);
    return false;
}

bool ReadRecordBytes(std::FILE* file, std::int32_t i, int recordSize, unsigned char* out) {
    if (!file || i < 0) return false;
    const off_t offset = static_cast<off_t>(i) * recordSize;
    return ::pread(::fileno(file), out, static_cast<std::size_t>(recordSize), offset) == recordSize;
}

int FindRecordByTime(std::FILE* file, int recordSize, RecordTimeOf timeOf, bool firstIsExact, TimeValue* time,
                     bool* exact, std::int32_t* index) {
    unsigned char small[256];
    std::vector<unsigned char> large;
    if (recordSize > static_cast<int>(sizeof small)) large.resize(static_cast<std::size_t>(recordSize));
    unsigned char* bytes = large.empty() ? small : large.data();
    auto onDisk = [file, recordSize, timeOf, bytes](std::int32_t i) {
        return ReadRecordBytes(file, i, recordSize, bytes) ? timeOf(bytes) : TimeValue();
    };
    if (!file) return Search(0, onDisk, firstIsExact, time, exact, index);

    const bool wrote = SettleWrites(file);
    struct stat st;
    int result;
    if (!StatPlainFile(file, &st)) {
        std::fflush(file);
        result = Search(RecordCount(file, recordSize), onDisk, firstIsExact, time, exact, index);
    } else if (const TimeTable* table = TableFor(file, st, recordSize, timeOf, wrote)) {
        auto kept = [table](std::int32_t i) { return table->times[static_cast<std::size_t>(i)]; };
        const std::int32_t n = WholeRecords(st.st_size, recordSize);
        if (table->sample.empty()) {
            result = Search(n, kept, firstIsExact, time, exact, index);
        } else {
            // In time order the halving ends on the first time not below *time.
            auto first = [table](std::int32_t, std::int32_t, TimeValue t) {
                return static_cast<std::int32_t>(LowerBound(*table, t.t));
            };
            result = Search(n, kept, firstIsExact, time, exact, index, first);
        }
    } else {
        result = Search(WholeRecords(st.st_size, recordSize), onDisk, firstIsExact, time, exact, index);
    }
    Position(file, *index, recordSize);
    return result;
}

void SetRecordTimesQuietSeconds(double seconds) { quietSeconds = seconds; }

void ForgetRecordTimes() {
    for (TimeTable& t : tables) t.Drop();
}
