#pragma once
// Small helpers shared by both programs: string lists, line reading, paths
// and data files, flag texts, numbers, message pumps and the debug log.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// ---- String lists ----------------------------------------------------------

struct StringListNode {
    StringListNode* next = nullptr;
    std::string text;
    std::int32_t length = 0;
};

// Null text: returns 1 and adds nothing; else appends a copy and returns 0.
int AppendStringNode(StringListNode** head, const char* text);
int AppendStringNode(StringListNode** head, std::string_view text);
void FreeStringList(StringListNode* head);
// Frees the list and sets the head to null.
void FreeStringList(StringListNode** head);
StringListNode* FindStringNode(StringListNode* head, std::string_view text);            // ignoring case
StringListNode* FindStringNodeContaining(StringListNode* head, std::string_view text);  // case-sensitive
void RemoveStringNode(StringListNode** head, StringListNode* node);
int StringListCount(const StringListNode* head);
// One node per piece of at most 79 characters (a longer line becomes several).
StringListNode* ReadTextFileLines(std::string_view name, int* count);
// One node per whole line, however long: for files that are read, changed and
// written back, so that rewriting never splits a line.
StringListNode* ReadWholeTextFileLines(std::string_view name, int* count);
// Writes each text and a newline, replacing the file safely; false on failure.
[[nodiscard]] bool WriteStringList(const StringListNode* head, std::string_view name);

// ---- Text lines and paths ---------------------------------------------------

// Reads at most n - 1 characters of one line into buffer; removes a trailing
// "\n" or "\r\n"; null at end of file. An overlong line arrives in pieces.
char* ReadLine(char* buffer, int n, std::FILE* file);
// Reads one whole line of any length, without its CRs before the line end;
// false at end of file.
bool ReadWholeLine(std::FILE* file, std::string& line);
// Ends a text line at its first NUL, as any text reader would, with the CRs
// that are then left at its end.
void EndLineAtNul(std::string& line);
// Removes trailing blanks (character 32 only) in place; returns the new length.
int TrimTrailingBlanks(char* text);
int TrimTrailingBlanks(std::string& text);

// Paths: stored names may use '\' or '/'; the separator written here is '/'.
void AppendBackslash(std::string& path);
// folder + separator + name in a static buffer, overwritten by the next call.
const char* JoinPath(std::string_view folder, std::string_view name);
std::string JoinPathString(std::string_view folder, std::string_view name);
// The part after the first ':' and after the last separator.
const char* FileNamePart(const char* path);
bool FileExists(std::string_view path);
// A system error number as text, in English whatever the locale: messages
// are the program's own strings.
std::string SystemErrorText(int error);
// Opens name as given (relative to the current folder), then in gProgramDir.
std::FILE* OpenDataFile(std::string_view name, const char* mode);
// The path of an existing data file, found as OpenDataFile finds it; empty when there is none.
std::string FindDataFile(std::string_view name);
std::int32_t GetFileLength(std::string_view name);

extern std::string gProgramDir;  // the program's folder; empty: current folder only

// ---- Flags and texts ----------------------------------------------------------

const char* YesNoText(std::uint8_t flag);
bool IsYes(std::string_view text);
// The string-table text of id in a shared static buffer of 256 characters.
const char* LoadResString(int id);
extern char gResBuffer[256];  // that buffer; the error box's text too

// ---- Text scanning --------------------------------------------------------------

// Locale-independent, as the files are: a number after optional blanks, the
// rest of the text ignored. False when no number begins the text or it does
// not fit. Base 0 reads "0x" as hexadecimal and a leading 0 as octal.
bool ScanLeadingInteger(std::string_view text, int base, long long* value, std::size_t* used = nullptr);
bool ScanLeadingDouble(std::string_view text, double* value, std::size_t* used = nullptr);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// ASCII letters only, as the files are; a prefix longer than the text never matches.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool IsSpace(char c);  // the C locale's white space

// ---- Bounded copies ---------------------------------------------------------------

// How a copied text ends in its buffer. A text field of a fixed-width record
// may fill its width with no terminator; every other buffer keeps one.
enum class TextEnd { Terminated, MayFillWidth };
// Copies as much of src as fits into dst[size] and fills the rest with NULs.
// A size of 0 copies nothing.
void CopyBounded(char* dst, std::size_t size, std::string_view src, TextEnd end = TextEnd::Terminated);
template <std::size_t N>
void CopyBounded(char (&dst)[N], std::string_view src, TextEnd end = TextEnd::Terminated) {
    CopyBounded(dst, N, src, end);
}

// ---- Numbers ---------------------------------------------------------------------

double MasToDegrees(std::int32_t mas);
// Truncated toward zero; values outside the int32 range are clamped.
std::int32_t DegreesToMas(double degrees);
// Truncated toward zero and held within +-limit, so a few sums of pixels or arc
// minutes stay in int range whatever a computation hands back; not a number
// and the infinities give 0.
int TruncToInt(double v, double limit = 2e9);
void* CallocNonZero(std::size_t count, std::size_t size);
void* MallocNonZero(std::size_t size);

struct SphereMapping {
    float xScale = 0, yScale = 0, xOffset = 0, yOffset = 0;
};
extern SphereMapping gSphereMapping;  // full-globe sphere image: scales and offsets in degrees
void LatLonToMapPixel(double lat, double lon, std::int32_t* x, std::int32_t* y);

// ---- Debug log --------------------------------------------------------------------

// Appends one time-stamped line to "Debug.txt" when DEBUG is on.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A data file that is missing or damaged: the view draws without it, and
// "<file>: <problem>" goes once to the debug log and to stderr. Once per file
// for each view read (ReadViewFile forgets the files already named).
void ReportDataFileProblem(std::string_view file, std::string_view problem);
void ForgetDataFileProblems();

// ---- Help text files ----------------------------------------------------------------

// The quoted name of a "<tag" in line (at most 16 characters, in a static
// buffer); null when the first '<' does not begin the tag.
const char* ExtractPreTag(char* line, const char* tag);
// The whole file as one text with "<PRE" pieces dropped and "</PRE" pieces
// turned into "\r\n"; false when it cannot be opened.
bool ReadPreTextFile(std::string_view name, std::string& text);
