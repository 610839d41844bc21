#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/helpers.h"

bool TextScanner::Int(int* value) {
    long long v = 0;
    std::size_t used = 0;
    if (!ScanLeadingInteger(text_.substr(pos_), 10, &v, &used)) return false;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    *value = static_cast<int>(v);
    pos_ += used;
    return true;
}

bool TextScanner::Unsigned(unsigned long* value) {
    std::size_t i = pos_;
    while (i < text_.size() && IsSpace(text_[i])) ++i;
    if (i < text_.size() && (text_[i] == '-' || text_[i] == '+')) return false;
    long long v = 0;
    std::size_t used = 0;
    if (!ScanLeadingInteger(text_.substr(i), 10, &v, &used) || v < 0) return false;
    if (static_cast<unsigned long long>(v) > std::numeric_limits<unsigned long>::max()) return false;
    *value = static_cast<unsigned long>(v);
    pos_ = i + used;
    return true;
}

bool TextScanner::Double(double* value) {
    double v = 0;
    std::size_t used = 0;
    if (!ScanLeadingDouble(text_.substr(pos_), &v, &used)) return false;
    *value = v;
    pos_ += used;
    return true;
}

bool TextScanner::Word(std::string* word) {
    SkipBlanks();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_])) ++pos_;
    if (pos_ == begin) return false;
    word->assign(text_.substr(begin, pos_ - begin));
    return true;
}

bool TextScanner::NonBlank(char* c) {
    SkipBlanks();
    if (AtEnd()) return false;
    *c = text_[pos_++];
    return true;
}

bool TextScanner::Literal(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
}

void TextScanner::SkipBlanks() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
}

namespace {

// Pads a formatted number to width as printf does: blanks before it, or
// zeros after its sign (never for inf and nan).
std::string Padded(std::string text, int width, bool zeroPad, bool finite) {
    if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) return text;
    const std::size_t fill = static_cast<std::size_t>(width) - text.size();
    if (zeroPad && finite) {
        const std::size_t at = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
        text.insert(at, fill, '0');
    } else {
        text.insert(0, fill, ' ');
    }
    return text;
}

}  // namespace

std::string FormatFixed(double value, int precision, int width, bool zeroPad) {
    char buffer[400];  // the widest double in fixed notation, with room for its digits
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    std::string text = r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string();
    return Padded(std::move(text), width, zeroPad, std::isfinite(value));
}

std::string FormatGeneral(double value, int precision, int width) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    std::string text = r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string();
    return Padded(std::move(text), width, false, std::isfinite(value));
}

bool ScanIsoTime(std::string_view text, IsoTimeFields* out, std::size_t* used) {
    TextScanner s(text);
    IsoTimeFields f;
    if (!(s.Int(&f.year) && s.Literal('-') && s.Int(&f.month) && s.Literal('-') && s.Int(&f.day) && s.Literal('T') &&
          s.Int(&f.hour) && s.Literal(':') && s.Int(&f.minute) && s.Literal(':') && s.Double(&f.seconds)))
        return false;
    *out = f;
    if (used) *used = s.Position();
    return true;
}
