#include "map/overlay_lines.h"

#include <algorithm>

#include "core/helpers.h"

bool IntegerAfter(std::string_view line, std::size_t at, int* value) {
    long long v = 0;
    if (at > line.size() || !ScanLeadingInteger(line.substr(at), 10, &v)) return false;
    *value = static_cast<int>(std::clamp<long long>(v, -100000, 100000));
    return true;
}

OverlayDataLine ScanOverlayDataLine(std::string_view line) {
    OverlayDataLine d;
    std::size_t used = 0;
    if (!ScanLeadingDouble(line, &d.latitude, &used)) return d;
    d.fields = 1;
    std::size_t at = used;
    if (!ScanLeadingDouble(line.substr(at), &d.longitude, &used)) return d;
    d.fields = 2;
    at += used;
    while (at < line.size() && IsSpace(line[at])) ++at;
    if (at >= line.size()) return d;
    std::size_t end = at;
    while (end < line.size() && !IsSpace(line[end])) ++end;
    d.word = std::string(line.substr(at, end - at));
    d.wordStart = at;
    d.fields = 3;
    return d;
}

OverlayLabel ParseOverlayLabel(std::string_view line, std::size_t wordStart) {
    OverlayLabel l;
    std::string cut(line);
    const std::size_t slash = cut.find('/');
    if (slash != std::string::npos && cut.compare(slash, 4, "/CEN") != 0) {
        const char c = slash + 1 < cut.size() ? cut[slash + 1] : '\0';
        if (c == 'F' || c == 'f') {
            l.forced = true;
        } else if (c == 'd') {
            int n = 0;
            if (IntegerAfter(cut, slash + 2, &n)) {
                l.offset = std::clamp(n, -1000, 1000);
                l.hasOffset = true;
            }
        }
        std::size_t keep = slash;
        while (keep > 0 && cut[keep - 1] == ' ') --keep;
        l.options = " " + cut.substr(slash);
        cut.erase(keep);
    }
    TrimTrailingBlanks(cut);
    l.line = cut;
    std::string text = wordStart < cut.size() ? cut.substr(wordStart) : std::string();
    if (const std::size_t at = text.find("/CENTROID"); at != std::string::npos) {
        l.centroid = true;
        text.erase(at);
        TrimTrailingBlanks(text);
    }
    if (!text.empty() && text[0] == '"') {
        l.quoted = true;
        text.erase(0, 1);
        if (const std::size_t q = text.find('"'); q != std::string::npos) text = text.substr(0, q) + " ";
    } else if (!l.forced) {
        text = " " + text + " ";
    }
    l.text = text;
    return l;
}
