// The name of an alert's view, made from the event and its place, and the
// annotation files named after it. The input is the event record, a flag
// byte, then the city, plant and closest-city names (the tables' lines, so
// without line ends), cut by separator lines. Contracts: the name is one
// file name in the current folder that the redraw reads back whole, begins
// with the event's hour, and the files written are that name's and no
// other, each place on a line of its own.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/quake.h"
#include "fuzz/fuzz_support.h"
#include "map/overlay_lines.h"
#include "net/alert_events.h"
#include "net/alert_view_files.h"

namespace {

// The redraw reads "Alert_View_Filename.txt" into a line of this size.
constexpr std::size_t kRedrawLine = 128;

std::string TableName(std::string_view part) {
    std::string s(part);
    s.erase(std::remove(s.begin(), s.end(), '\n'), s.end());
    return s;
}

void CheckName(const std::string& name, const QuakeRecord& q) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d", q.date.year, q.date.month, q.date.day, q.minute / 60);
    FUZZ_CHECK(name.rfind(stamp, 0) == 0, "the event's hour first: " + name);
    FUZZ_CHECK(name.size() < kRedrawLine, "read back whole by the redraw: " + name);
    FUZZ_CHECK(name != "." && name != "..", "a file: " + name);
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        FUZZ_CHECK(u >= 0x20 && u != 0x7F && !std::strchr("/\\:*?\"<>|", c), "fit for a file name: " + name);
    }
    FUZZ_CHECK(name.back() != ' ', "no blank at the end: " + name);
}

// The place lines of an annotation file: every one after the four settings.
std::vector<std::string> PlaceLines(const std::string& file) {
    std::vector<std::string> lines;
    const std::string text = fuzz::ReadFile(file);
    for (std::string_view line : fuzz::Split(text, "\n", SIZE_MAX)) lines.emplace_back(line);
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    FUZZ_CHECK(lines.size() >= 4, "the settings of " + file);
    lines.erase(lines.begin(), lines.begin() + 4);
    return lines;
}

// A name with something to show besides blanks; a NUL shows nothing.
bool Named(const std::string& name) {
    for (char c : name)
        if (c != '\0' && !std::isspace(static_cast<unsigned char>(c))) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Taker take(data, size);
    unsigned char raw[kQuakeRecordSize] = {};
    for (unsigned char& b : raw) b = take.Byte();
    const QuakeRecord q = DecodeQuakeRecord(raw);
    const std::uint8_t flags = take.Byte();
    const auto parts = fuzz::Split(take.Rest(), kFuzzPartSeparator, 3);
    const std::string city = TableName(parts[0]);
    const std::string plant = parts.size() > 1 ? TableName(parts[1]) : std::string();
    const std::string closest = parts.size() > 2 ? TableName(parts[2]) : std::string();

    fuzz::EnterCleanFolder();

    // The builder's: the closest city, or none.
    const GeoPoint at{139.5, 34};
    const std::string built = WriteBuilderAnnotation(q, flags & 1 ? &city : nullptr, at);
    CheckName(built, q);
    FUZZ_CHECK(built == AlertViewName(q, flags & 1 ? city : std::string()), "the builder's name: " + built);
    for (const std::string& n : fuzz::FolderNames())
        FUZZ_CHECK((flags & 1) && n == built + ".caf", "the builder wrote: " + n);
    if (flags & 1) {
        const std::vector<std::string> lines = PlaceLines(built + ".caf");
        FUZZ_CHECK(lines.size() == 1, "one place line in " + built + ".caf");
        const OverlayDataLine d = ScanOverlayDataLine(lines[0]);
        FUZZ_CHECK(d.fields >= 2 && std::fabs(d.latitude - at.y) < 1e-3 && std::fabs(d.longitude - at.x) < 1e-3,
                   "the place's position: " + lines[0]);
        if (Named(city)) FUZZ_CHECK(d.fields == 3, "the place's name: " + lines[0]);
    }

    // The processor's: the alert's city or plant names the view.
    fuzz::EnterCleanFolder();
    AlertAnnotation note;
    note.quake = &q;
    note.cityAlert = (flags & 2) != 0;
    note.plantAlert = (flags & 4) != 0;
    note.city.name = city;
    note.city.latitude = 35;
    note.city.longitude = 139;
    note.plant = PlaceRecord(plant, "", -12.5, 100.25, (flags & 8) != 0);
    note.closestCity = closest;
    note.closestLatitude = 34;
    note.closestLongitude = 139.5;
    note.viewPlace = FileSafeName(note.cityAlert && !city.empty() ? city : plant);
    const std::string name = WriteAlertAnnotation(note);
    CheckName(name, q);
    for (const std::string& n : fuzz::FolderNames())
        FUZZ_CHECK(n == name + ".caf" || (note.plantAlert && n == name + ".npp.txt"), "the processor wrote: " + n);
    const std::size_t places = note.plantAlert + note.cityAlert + (!closest.empty() && closest != city);
    FUZZ_CHECK(PlaceLines(name + ".caf").size() == places, "a line for each place in " + name + ".caf");
    if (note.plantAlert) {
        const std::string npp = fuzz::ReadFile(name + ".npp.txt");
        FUZZ_CHECK(!npp.empty() && npp.find('\n') == npp.size() - 1, "one line in the plant file: " + npp);
        const OverlayDataLine d = ScanOverlayDataLine(npp);
        FUZZ_CHECK(d.fields >= 2 && d.latitude == -12.5 && d.longitude == 100.25, "the plant's position: " + npp);
        FUZZ_CHECK(npp.find(note.plant.operating ? " /o1\n" : " /o0\n") != std::string::npos, "operating: " + npp);
    }
    return 0;
}
