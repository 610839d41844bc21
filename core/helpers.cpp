#include "core/helpers.h"

#include <string.h>
#include <strings.h>
#include <sys/types.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "core/config.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/resources.h"

std::string gProgramDir;
SphereMapping gSphereMapping = {2048.0f / 180.0f, -2048.0f / 180.0f, 180.0f, -90.0f};

char gResBuffer[256];

namespace {

char gTagName[17];
std::string gJoinBuffer;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

StringListNode* NewNode(std::string_view text) {
    auto* node = new StringListNode;
    node->text.assign(text);
    node->length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    return node;
}

StringListNode* ReadLines(std::string_view name, int* count, bool whole) {
    *count = 0;
    std::FILE* f = OpenDataFile(name, "rt");
    if (!f) return nullptr;
    // Appends at a kept tail: big tables (tens of thousands of lines) read in linear time.
    StringListNode* head = nullptr;
    StringListNode** tail = &head;
    auto add = [&](std::string_view text) {
        *tail = NewNode(text);
        tail = &(*tail)->next;
        ++*count;
    };
    if (whole) {
        std::string line;
        while (ReadWholeLine(f, line)) add(line);
    } else {
        char buffer[80];
        while (ReadLine(buffer, sizeof buffer, f)) add(buffer);
    }
    std::fclose(f);
    return head;
}

std::int32_t ClampToInt32(double v) {
    if (std::isnan(v)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::trunc(v), lo, hi));
}

}  // namespace

// ---- String lists ----------------------------------------------------------

int AppendStringNode(StringListNode** head, const char* text) {
    if (!text) return 1;
    return AppendStringNode(head, std::string_view(text));
}

int AppendStringNode(StringListNode** head, std::string_view text) {
    StringListNode* node = NewNode(text);
    StringListNode** link = head;
    while (*link) link = &(*link)->next;
    *link = node;
    return 0;
}

void FreeStringList(StringListNode* head) {
    while (head) {
        StringListNode* next = head->next;
        delete head;
        head = next;
    }
}

void FreeStringList(StringListNode** head) {
    FreeStringList(*head);
    *head = nullptr;
}

StringListNode* FindStringNode(StringListNode* head, std::string_view text) {
    for (StringListNode* n = head; n; n = n->next)
        if (n->text.size() == text.size() && ::strncasecmp(n->text.data(), text.data(), text.size()) == 0) return n;
    return nullptr;
}

StringListNode* FindStringNodeContaining(StringListNode* head, std::string_view text) {
    for (StringListNode* n = head; n; n = n->next)
        if (n->text.find(text) != std::string::npos) return n;
    return nullptr;
}

void RemoveStringNode(StringListNode** head, StringListNode* node) {
    for (StringListNode** link = head; *link; link = &(*link)->next) {
        if (*link == node) {
            *link = node->next;
            delete node;
            return;
        }
    }
}

int StringListCount(const StringListNode* head) {
    int n = 0;
    for (; head; head = head->next) ++n;
    return n;
}

StringListNode* ReadTextFileLines(std::string_view name, int* count) { return ReadLines(name, count, false); }
StringListNode* ReadWholeTextFileLines(std::string_view name, int* count) { return ReadLines(name, count, true); }

bool WriteStringList(const StringListNode* head, std::string_view name) {
    platform::SafeFileWriter out(name);
    if (!out.ok()) return false;
    for (; head; head = head->next) {
        std::fwrite(head->text.data(), 1, head->text.size(), out.file());
        std::fputc('\n', out.file());
    }
    return out.Commit();
}

// ---- Text lines and paths ---------------------------------------------------

char* ReadLine(char* buffer, int n, std::FILE* file) {
    if (!buffer || n < 2 || !file) return nullptr;
    if (!std::fgets(buffer, n, file)) return nullptr;
    std::size_t len = std::strlen(buffer);
    if (len > 0 && buffer[len - 1] == '\n') {
        buffer[--len] = '\0';
    } else {
        // The piece filled the buffer: a line break right behind it belongs to
        // this piece, not to an empty line of its own.
        const long at = std::ftell(file);
        int c = std::fgetc(file);
        if (c == '\r') {
            // A "\r\n" right behind the piece ends it too; a lone '\r' starts the
            // next piece (dropped only where the stream cannot seek back).
            const int next = std::fgetc(file);
            if (next == '\n') c = '\n';
            else if ((at < 0 || std::fseek(file, at, SEEK_SET) != 0) && next != EOF) std::ungetc(next, file);
        } else if (c != '\n' && c != EOF) {
            std::ungetc(c, file);
        }
        if (c != '\n' && !(len > 0 && buffer[len - 1] == '\r')) return buffer;
    }
    if (len > 0 && buffer[len - 1] == '\r') buffer[--len] = '\0';
    return buffer;
}

bool ReadWholeLine(std::FILE* file, std::string& line) {
    line.clear();
    if (!file) return false;
    // Up to the next newline at once: the stream finds it in its buffer.
    struct LineBuffer {
        char* text = nullptr;
        std::size_t capacity = 0;
        ~LineBuffer() { std::free(text); }
    };
    thread_local LineBuffer buffer;
    const ssize_t n = ::getline(&buffer.text, &buffer.capacity, file);
    if (n <= 0) return false;
    line.assign(buffer.text, static_cast<std::size_t>(n));
    if (line.back() == '\n') line.pop_back();
    // Every CR before the line end goes: one left over would come back from
    // the next write as the CR of a CR LF and be stripped then.
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void EndLineAtNul(std::string& line) {
    const std::size_t nul = line.find('\0');
    if (nul == std::string::npos) return;
    line.resize(nul);
    while (!line.empty() && line.back() == '\r') line.pop_back();
}

int TrimTrailingBlanks(char* text) {
    int len = static_cast<int>(std::strlen(text));
    while (len > 0 && text[len - 1] == ' ') text[--len] = '\0';
    return len;
}

int TrimTrailingBlanks(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return static_cast<int>(text.size());
}

void AppendBackslash(std::string& path) {
    if (!path.empty() && path.back() != ':' && !IsSeparator(path.back())) path += '/';
}

std::string JoinPathString(std::string_view folder, std::string_view name) {
    std::string out(folder);
    AppendBackslash(out);
    out += name;
    return out;
}

const char* JoinPath(std::string_view folder, std::string_view name) {
    gJoinBuffer = JoinPathString(folder, name);
    return gJoinBuffer.c_str();
}

const char* FileNamePart(const char* path) {
    if (!path) return "";
    if (const char* colon = std::strchr(path, ':')) path = colon + 1;
    const char* part = path;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p)) part = p + 1;
    return part;
}

bool FileExists(std::string_view path) { return !path.empty() && platform::PathExists(path); }

std::string SystemErrorText(int error) {
    const char* text = ::strerrordesc_np(error);
    return text ? text : "Error " + std::to_string(error);
}

std::FILE* OpenDataFile(std::string_view name, const char* mode) {
    if (std::FILE* f = platform::OpenFile(name, mode)) return f;
    if (gProgramDir.empty() || name.empty() || IsSeparator(name.front())) return nullptr;
    return platform::OpenFile(JoinPathString(gProgramDir, name), mode);
}

std::string FindDataFile(std::string_view name) {
    if (auto p = platform::FindPath(name)) return *p;
    if (gProgramDir.empty() || name.empty() || IsSeparator(name.front())) return {};
    if (auto p = platform::FindPath(JoinPathString(gProgramDir, name))) return *p;
    return {};
}

std::int32_t GetFileLength(std::string_view name) {
    std::FILE* f = platform::OpenFile(name, "rb");
    if (!f) return 0;
    long len = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : 0;
    std::fclose(f);
    return static_cast<std::int32_t>(std::clamp<long>(len, 0, INT32_MAX));
}

// ---- Flags and texts ----------------------------------------------------------

const char* YesNoText(std::uint8_t flag) { return flag ? "YES" : "NO"; }

bool IsYes(std::string_view text) { return text.size() == 3 && ::strncasecmp(text.data(), "YES", 3) == 0; }

const char* LoadResString(int id) {
    CopyBounded(gResBuffer, sizeof gResBuffer, platform::ResourceString(id));
    return gResBuffer;
}


bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void CopyBounded(char* dst, std::size_t size, std::string_view src, TextEnd end) {
    if (size == 0) return;
    const std::size_t room = end == TextEnd::Terminated ? size - 1 : size;
    const std::size_t n = std::min(room, src.size());
    // An empty view's data may be null.
    if (n > 0) std::memcpy(dst, src.data(), n);
    std::memset(dst + n, 0, size - n);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool ScanLeadingInteger(std::string_view text, int base, long long* value, std::size_t* used) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    auto isDigit = [](char c, int b) {
        if (b <= 10) return c >= '0' && c < '0' + b;
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    if (base == 0) {
        if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            if (i + 2 < text.size() && isDigit(text[i + 2], 16)) {
                base = 16;
                i += 2;
            } else {
                base = 8;  // a bare "0x" reads as the 0 before it
            }
        } else {
            base = i < text.size() && text[i] == '0' ? 8 : 10;
        }
    }
    if (i == text.size() || !isDigit(text[i], base)) return false;
    unsigned long long magnitude = 0;
    auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), magnitude, base);
    if (error != std::errc()) return false;
    if (magnitude > static_cast<unsigned long long>(INT64_MAX)) return false;
    *value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (used) *used = static_cast<std::size_t>(end - text.data());
    return true;
}

bool ScanLeadingDouble(std::string_view text, double* value, std::size_t* used) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size() || text[i] == '+' || text[i] == '-') return false;
    double magnitude = 0;
    auto [end, error] =
        std::from_chars(text.data() + i, text.data() + text.size(), magnitude, std::chars_format::general);
    if (error == std::errc::invalid_argument) return false;
    if (error == std::errc::result_out_of_range) magnitude = HUGE_VAL;  // refused by the callers as not finite
    *value = negative ? -magnitude : magnitude;
    if (used) *used = static_cast<std::size_t>(end - text.data());
    return true;
}

// ---- Numbers ---------------------------------------------------------------------

double MasToDegrees(std::int32_t mas) { return mas / 3600000.0; }

std::int32_t DegreesToMas(double degrees) { return ClampToInt32(degrees * 3600000.0); }

int TruncToInt(double v, double limit) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(std::trunc(v), -limit, limit));
}

void* CallocNonZero(std::size_t count, std::size_t size) { return std::calloc(count ? count : 1, size ? size : 1); }
void* MallocNonZero(std::size_t size) { return std::malloc(size ? size : 1); }

void LatLonToMapPixel(double lat, double lon, std::int32_t* x, std::int32_t* y) {
    if (!std::isfinite(lon)) lon = std::nan("");  // no place on the image: column 0, as for NaN
    if (std::fabs(lon) > 720.0) lon = std::fmod(lon, 360.0);
    while (lon < -180.0) lon += 360.0;
    while (lon > 180.0) lon -= 360.0;
    const SphereMapping& m = gSphereMapping;
    *x = ClampToInt32((lon + m.xOffset) * m.xScale);
    *y = ClampToInt32((lat + m.yOffset) * m.yScale);
}


// ---- Debug log --------------------------------------------------------------------

void DebugLog(const char* format, ...) {
    if (!gControls[kControlDebug] || !format) return;
    constexpr std::size_t kLineMax = 4199;
    char line[kLineMax + 1];
    platform::CivilTime n = platform::Clock().UtcNow();
    int prefix = std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d.%03d: ", n.year, n.month, n.day,
                               n.hour, n.minute, n.second, n.millisecond);
    if (prefix < 0) return;
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(line + prefix, sizeof line - static_cast<std::size_t>(prefix), format, args);
    va_end(args);
    std::FILE* f = platform::OpenFile("Debug.txt", "a+t");
    if (!f) return;
    std::fputs(line, f);
    std::fputc('\n', f);
    std::fclose(f);
}

namespace {
std::set<std::string>& ReportedDataFiles() {
    static std::set<std::string> files;
    return files;
}
}  // namespace

void ReportDataFileProblem(std::string_view file, std::string_view problem) {
    std::string key(file);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!ReportedDataFiles().insert(key).second) return;
    const std::string line = std::string(file) + ": " + std::string(problem);
    DebugLog("%s", line.c_str());
    std::fprintf(stderr, "Quorview: %s\n", line.c_str());
}

void ForgetDataFileProblems() { ReportedDataFiles().clear(); }

// ---- Help text files ----------------------------------------------------------------

const char* ExtractPreTag(char* line, const char* tag) {
    if (!line || !tag) return nullptr;
    char* open = std::strchr(line, '<');
    if (!open || !StartsWithIgnoringCase(open + 1, tag)) return nullptr;
    gTagName[0] = '\0';
    char* after = open + 1;
    if (char* q1 = std::strchr(after, '"')) {
        if (char* q2 = std::strchr(q1 + 1, '"')) {
            CopyBounded(gTagName, sizeof gTagName, std::string_view(q1 + 1, static_cast<std::size_t>(q2 - q1 - 1)));
            after = q2 + 1;
        }
    }
    if (char* close = std::strchr(after, '>')) std::memmove(open, close + 1, std::strlen(close + 1) + 1);
    return gTagName;
}

bool ReadPreTextFile(std::string_view name, std::string& text) {
    text.clear();
    std::FILE* f = platform::OpenFile(name, "rt");
    if (!f) return false;
    char piece[100];
    while (std::fgets(piece, sizeof piece, f)) {
        const char* open = std::strchr(piece, '<');
        if (open && StartsWithIgnoringCase(open + 1, "PRE")) continue;
        if (open && StartsWithIgnoringCase(open + 1, "/PRE")) {
            text += "\r\n";
            continue;
        }
        text += piece;
    }
    std::fclose(f);
    return true;
}
