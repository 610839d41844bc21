#pragma once
// Numbers in the program's files and texts, read and written without the
// locale: a decimal point is always '.', whatever LC_NUMERIC says.
#include <cstddef>
#include <string>
#include <string_view>

// Reads text the way sscanf's conversions do, through std::from_chars. Each
// number read skips the blanks before it, as %d and %lf do; a failed read
// leaves the position where it was.
class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    bool Int(int* value);                // %d; false when out of range
    bool Unsigned(unsigned long* value);  // %lu; no sign
    bool Double(double* value);          // %lf; inf and nan read as such
    bool Word(std::string* word);        // %s: blanks, then up to the next blank
    bool NonBlank(char* c);              // " %c": blanks, then one character
    bool Literal(char c);                // a format character: must come next
    void SkipBlanks();
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::size_t Position() const { return pos_; }
    std::string_view Rest() const { return text_.substr(pos_); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// printf's "%W.Pf" (zeroPad: "%0W.Pf") and "%W.Pg", in the C locale's form.
std::string FormatFixed(double value, int precision, int width = 0, bool zeroPad = false);
std::string FormatGeneral(double value, int precision = 6, int width = 0);

// The fields of "%d-%d-%dT%d:%d:%lf" (an ISO time such as
// 2016-01-02T03:04:05.670Z); false unless all six read. *used: the
// characters read. The fields are not checked against the calendar.
struct IsoTimeFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double seconds = 0;
};
bool ScanIsoTime(std::string_view text, IsoTimeFields* out, std::size_t* used = nullptr);
