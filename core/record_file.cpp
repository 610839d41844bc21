#include "core/record_file.h"

#include <unistd.h>

#include <algorithm>

namespace {
long long FileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    long len = std::ftell(file);
    return len < 0 ? 0 : len;
}
}  // namespace

std::int32_t RecordCount(std::FILE* file, int recordSize) {
    if (!file) return 0;
    long pos = std::ftell(file);
    long long count = FileLength(file) / recordSize;
    if (pos >= 0) std::fseek(file, pos, SEEK_SET);
    return static_cast<std::int32_t>(std::min<long long>(count, INT32_MAX));
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
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    // A truncated final record is no record.
    return index < count;
}

bool ReadRecordBytes(std::FILE* file, std::int32_t i, int recordSize, unsigned char* out) {
    if (!file || i < 0) return false;
    const off_t offset = static_cast<off_t>(i) * recordSize;
    return ::pread(::fileno(file), out, static_cast<std::size_t>(recordSize), offset) == recordSize;
}
