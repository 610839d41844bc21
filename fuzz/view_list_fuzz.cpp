// A list of views (".VUS") and the view file its first entry names. The
// input is the list, then that view file. Contracts: the file and the text
// read alike; every entry names a view, has a title that fits and usable
// bounds; groups are the entries followed by deeper ones, and every parent
// lies before its children, so the button menu's way back always ends.
#include <cmath>
#include <cstdint>
#include <string>

#include "app/view_list.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kList = "FUZZ.VUS";

bool PlainFileName(const std::string& name) {
    return !name.empty() && name.size() < 256 && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos && name != kList;
}

std::string Describe(const ViewListEntry& e, int i) {
    return "entry " + std::to_string(i) + " '" + e.viewName + "' level " + std::to_string(e.level) + " parent " +
           std::to_string(e.parentIndex) + " bounds " + std::to_string(e.south) + " " + std::to_string(e.north) +
           " " + std::to_string(e.west) + " " + std::to_string(e.east);
}

bool Same(const ViewListEntry& a, const ViewListEntry& b) {
    auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return a.viewName == b.viewName && a.imageName == b.imageName && a.title == b.title && same(a.south, b.south) &&
           same(a.north, b.north) && same(a.west, b.west) && same(a.east, b.east) && a.level == b.level &&
           a.parentIndex == b.parentIndex && a.hasChildren == b.hasChildren;
}

void CheckList(const IndexedArray<ViewListEntry>& list) {
    const int n = list.Count();
    for (int i = 0; i < n; ++i) {
        const ViewListEntry* e = ViewListEntryAt(list, i);
        FUZZ_CHECK(e != nullptr, "entry " + std::to_string(i) + " of " + std::to_string(n));
        const std::string what = Describe(*e, i);
        FUZZ_CHECK(!e->viewName.empty(), "a view name: " + what);
        for (char c : e->viewName)
            FUZZ_CHECK(c != ' ' && c != '\t' && c != '\r' && c != '\n', "one word names the view: " + what);
        FUZZ_CHECK(e->imageName == e->viewName + ".jpg", "the picture's name: " + what);
        FUZZ_CHECK(!e->title.empty() && e->title.size() <= kViewListTitleMax, "a title that fits: " + what);
        FUZZ_CHECK(e->level >= 0 && e->level <= kViewListMaxLevel, "a level: " + what);
        for (double v : {e->south, e->north, e->west, e->east})
            FUZZ_CHECK(std::isfinite(v) && std::fabs(v) <= kViewListBoundLimit + 720, "bounds: " + what);
        FUZZ_CHECK(e->east > e->west + 0.01, "east of west: " + what);
        if (i == 0) {
            FUZZ_CHECK(e->parentIndex == 0, "the first entry is its own group: " + what);
        } else {
            FUZZ_CHECK(e->parentIndex >= 0 && e->parentIndex < i, "the parent comes first: " + what);
        }
        if (e->parentIndex != 0) {
            const ViewListEntry* p = ViewListEntryAt(list, e->parentIndex);
            FUZZ_CHECK(p && p->hasChildren && p->level < e->level, "a parent is a group above: " + what);
        }
        const ViewListEntry* next = ViewListEntryAt(list, i + 1);
        FUZZ_CHECK(e->hasChildren == (next && next->level > e->level), "a group has deeper entries: " + what);
    }
    FUZZ_CHECK(ViewListEntryAt(list, n) == nullptr && ViewListEntryAt(list, -1) == nullptr, "no entry outside");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parts = fuzz::Split(input, kFuzzPartSeparator, 2);
    fuzz::EnterCleanFolder();
    // First: the list may name itself as a view.
    fuzz::WriteFile(kList, parts[0]);

    IndexedArray<ViewListEntry> text(10);
    ParseViewListText(parts[0], text);
    if (parts.size() > 1 && text.Count() > 0 && PlainFileName(text[0].viewName)) {
        fuzz::WriteFile(text[0].viewName, parts[1]);
        ParseViewListText(parts[0], text);
    }
    CheckList(text);

    IndexedArray<ViewListEntry> file(10);
    FUZZ_CHECK(ReadViewListFile(kList, file), "the list opens");
    FUZZ_CHECK(file.Count() == text.Count(), "the file and the text give as many entries");
    for (int i = 0; i < file.Count(); ++i) FUZZ_CHECK(Same(file[i], text[i]), "the file and the text: " + Describe(file[i], i));
    return 0;
}
