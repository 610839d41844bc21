#include "app/view_list.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/helpers.h"
#include "core/number_text.h"
#include "platform/sys/files.h"

IndexedArray<ViewListEntry> gViewList(10);
IndexedArray<ViewListEntry> gGroupViewList(10);
std::int32_t gViewListIndex = 0;

namespace {

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The number after a key that begins the line, as "KEY: %lg" reads it.
bool KeyValue(std::string_view line, std::string_view key, double* value) {
    if (line.substr(0, key.size()) != key) return false;
    TextScanner s(line.substr(key.size()));
    return s.Double(value);
}

}  // namespace

ViewListIndent ViewListLineIndent(std::string_view line) {
    std::size_t blanks = 0;
    while (blanks < line.size() && line[blanks] == ' ') ++blanks;
    int level = static_cast<int>(std::min<std::size_t>(blanks / 2, kViewListMaxLevel));
    std::size_t at = blanks;
    if (level == 0 && at < line.size() && line[at] == '\t') {
        std::size_t tabs = 0;
        while (at + tabs < line.size() && line[at + tabs] == '\t') ++tabs;
        level = static_cast<int>(std::min<std::size_t>(tabs, kViewListMaxLevel));
    }
    while (at < line.size() && IsBlankOrTab(line[at])) ++at;
    return {level, at};
}

void NormaliseViewBounds(ViewBounds& b) {
    // Beyond this no degree value means anything, and a turn would be lost in rounding.
    auto sane = [](double v) { return std::isfinite(v) && std::abs(v) <= kViewListBoundLimit; };
    if (!sane(b.south)) b.south = kViewListDefaultSouth;
    if (!sane(b.north)) b.north = kViewListDefaultNorth;
    if (!sane(b.west)) b.west = kViewListDefaultWest;
    if (!sane(b.east)) b.east = kViewListDefaultEast;
    if (b.west + 0.01 >= b.east) {
        // In one step: a far-off bound must not turn this into a long loop.
        b.east += (std::floor((b.west + 0.01 - b.east) / 360.0) + 1.0) * 360.0;
    }
}

ViewBounds ReadViewBounds(std::FILE* f) {
    ViewBounds b;
    std::string line;
    while (ReadWholeLine(f, line)) {
        double v = 0;
        if (KeyValue(line, "LEFT LONGITUDE:", &v)) b.west = v;
        else if (KeyValue(line, "RIGHT LONGITUDE:", &v)) b.east = v;
        else if (KeyValue(line, "SOUTH LATITUDE:", &v)) b.south = v;
        else if (KeyValue(line, "NORTH LATITUDE:", &v)) {
            b.north = v;
            break;  // the writer puts the four keys first, north last
        }
    }
    NormaliseViewBounds(b);
    return b;
}

void ParseViewListEntry(ViewListEntry& entry, std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !IsWhite(text[end])) ++end;
    entry.viewName.assign(text.substr(0, end));
    std::size_t at = end;
    while (at < text.size() && IsBlankOrTab(text[at])) ++at;
    std::string_view rest = text.substr(at);
    entry.title = rest.empty() ? entry.viewName.substr(0, kViewListNameTitleMax)
                               : std::string(rest.substr(0, kViewListTitleMax));

    ViewBounds b;
    if (std::FILE* f = entry.viewName.empty() ? nullptr : platform::OpenFile(entry.viewName, "rt")) {
        b = ReadViewBounds(f);
        std::fclose(f);
    }
    entry.south = b.south;
    entry.north = b.north;
    entry.west = b.west;
    entry.east = b.east;
    entry.imageName = entry.viewName + ".jpg";
}

void ViewListBuilder::AddLine(std::string_view line) {
    if (line.size() < 2) return;
    const ViewListIndent indent = ViewListLineIndent(line);
    // Blanks and tabs alone name no view.
    if (indent.textStart >= line.size() || IsWhite(line[indent.textStart])) return;

    ViewListEntry entry;
    ParseViewListEntry(entry, line.substr(indent.textStart));
    entry.level = indent.level;
    entry.listIndex = 0;
    entry.hasChildren = false;

    const int n = list_.Count();
    if (n > 0) {
        if (previousLevel_ < indent.level) {
            list_[n - 1].hasChildren = true;
            // Every level skipped over belongs to the same group, so a later
            // line at one of them finds its parent.
            for (int l = previousLevel_ + 1; l <= indent.level; ++l) parents_[l] = n - 1;
            currentParent_ = n - 1;
        } else if (indent.level < previousLevel_) {
            currentParent_ = parents_[indent.level];
        }
    }
    entry.parentIndex = currentParent_;
    list_.Add(std::move(entry));
    previousLevel_ = indent.level;
}

void ParseViewListText(std::string_view text, IndexedArray<ViewListEntry>& list) {
    list.Flush();
    ViewListBuilder builder(list);
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        // Every CR before the line end goes, as for every other text file.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        builder.AddLine(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
}

bool ReadViewListFile(const std::string& name, IndexedArray<ViewListEntry>& list) {
    list.Flush();
    std::FILE* f = platform::OpenFile(name, "rb");
    if (!f) return false;
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    // One reader for the file and for text: they cannot disagree on a line.
    ParseViewListText(text, list);
    return true;
}

const ViewListEntry* ViewListEntryAt(const IndexedArray<ViewListEntry>& list, int i) {
    if (i < list.LowerBound() || i - list.LowerBound() >= list.Count()) return nullptr;
    return list.At(i);
}
