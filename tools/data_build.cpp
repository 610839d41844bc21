#include "tools/data_build.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <unordered_map>

#include "core/csv.h"
#include "core/energy.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/timevalue.h"

namespace {

constexpr int kMagTypeColumn = 5;
constexpr int kIdColumn = 11;
constexpr int kUpdatedColumn = 12;

}  // namespace

std::vector<ServiceEvent> ReadServiceEvents(std::FILE* file, CatalogueStats* stats) {
    std::vector<ServiceEvent> out;
    std::string line;
    bool first = true;
    while (ReadWholeLine(file, line)) {
        bool header = first && line.rfind("time,", 0) == 0;
        first = false;
        if (header || line.empty()) continue;
        std::vector<std::string> f = SplitCsvFields(line);
        ServiceEvent e;
        if (f.size() > kIdColumn) e.id = f[kIdColumn];
        if (f.size() > kUpdatedColumn) e.updated = f[kUpdatedColumn];
        e.line = line;
        out.push_back(std::move(e));
        if (stats) ++stats->lines;
    }
    return out;
}

std::vector<ServiceEvent> MergeServiceEvents(const std::vector<std::vector<ServiceEvent>>& inputs,
                                             CatalogueStats* stats) {
    std::vector<ServiceEvent> out;
    std::unordered_map<std::string, std::size_t> byId;
    for (const auto& input : inputs) {
        for (const auto& e : input) {
            if (e.id.empty()) {
                out.push_back(e);
                continue;
            }
            auto [it, fresh] = byId.try_emplace(e.id, out.size());
            if (fresh) {
                out.push_back(e);
                continue;
            }
            if (stats) ++stats->duplicates;
            if (e.updated > out[it->second].updated) out[it->second] = e;
        }
    }
    return out;
}

bool PreferredSolution(const Solution& a, const Solution& b) {
    auto moment = [](const std::string& type) { return type.size() >= 2 && (type[0] == 'm' || type[0] == 'M') &&
                                                       (type[1] == 'w' || type[1] == 'W'); };
    if (moment(a.magType) != moment(b.magType)) return moment(a.magType);
    if (a.q.magnitude != b.q.magnitude) return a.q.magnitude > b.q.magnitude;
    return a.time <= b.time;
}

std::vector<QuakeRecord> BuildCatalogue(const std::vector<ServiceEvent>& events, CatalogueStats* stats) {
    struct Keyed {
        const std::string* id;
        Solution s;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(events.size());
    for (const auto& e : events) {
        QuakeRecord q;
        ParseFdsnCsvLine(&q, e.line);
        if (IsZeroRecord(q)) {
            if (stats) ++stats->unusable;
            continue;
        }
        TimeValue t;
        const double time = t.SetFromQuake(q);
        std::vector<std::string> f = SplitCsvFields(e.line);
        keyed.push_back({&e.id, {f.size() > kMagTypeColumn ? f[kMagTypeColumn] : std::string(), q, time}});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.s.time != b.s.time) return a.s.time < b.s.time;
        return *a.id < *b.id;
    });

    // Each event against the kept ones of the last two minutes: a second
    // solution of a kept quake replaces it or goes.
    constexpr double kWindow = 120.0;
    std::vector<Solution> kept;
    kept.reserve(keyed.size());
    std::size_t dropped = 0;
    for (const auto& k : keyed) {
        bool merged = false;
        for (std::size_t i = kept.size(); i-- > 0 && k.s.time - kept[i].time <= kWindow;) {
            if (MatchSimilarEvent(kept[i].q, k.s.q) == 0) continue;
            if (PreferredSolution(k.s, kept[i])) kept[i] = k.s;
            merged = true;
            ++dropped;
            break;
        }
        if (!merged) kept.push_back(k.s);
    }
    // A replacement can be later than the record after it.
    std::stable_sort(kept.begin(), kept.end(), [](const Solution& a, const Solution& b) { return a.time < b.time; });
    std::vector<QuakeRecord> out;
    out.reserve(kept.size());
    for (const auto& s : kept) out.push_back(s.q);
    if (stats) {
        stats->sameQuake = dropped;
        stats->events = out.size();
    }
    return out;
}

bool WriteCatalogue(const std::string& path, const std::vector<QuakeRecord>& records) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const auto& q : records) ok = ok && WriteQuakeRecord(f, q);
    return std::fclose(f) == 0 && ok;
}

// ---- Segment files -------------------------------------------------------------

bool ReadPolylineText(std::FILE* file, std::vector<Polyline>* out, int* badLine) {
    out->clear();
    std::string line;
    int number = 0;
    bool bad = false;
    while (!bad && ReadWholeLine(file, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        if (line[0] == 'S') {
            char tag;
            Polyline p;
            bad = !(in >> tag >> p.segmentClass);
            out->push_back(std::move(p));
            continue;
        }
        long lon, lat;
        bad = out->empty() || !(in >> lon >> lat);
        if (!bad) out->back().points.push_back({static_cast<std::int32_t>(lon), static_cast<std::int32_t>(lat)});
    }
    if (bad) {
        if (badLine) *badLine = number;
        return false;
    }
    return true;
}

std::vector<Polyline> SplitPolyline(const Polyline& line, PointLayout layout, int maxLonSpanDegrees) {
    std::vector<Polyline> pieces;
    const auto& pts = line.points;
    if (pts.empty()) return pieces;
    const std::int64_t full = 360LL * UnitsPerDegree(layout), half = full / 2;
    const std::int64_t maxSpan = static_cast<std::int64_t>(maxLonSpanDegrees) * UnitsPerDegree(layout);

    Polyline cur{line.segmentClass, {pts[0]}};
    std::int64_t u = pts[0].lon, lo = u, hi = u;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        std::int64_t d = pts[i].lon - pts[i - 1].lon;
        while (d > half) d -= full;
        while (d < -half) d += full;
        u += d;
        bool tooWide = std::max(hi, u) - std::min(lo, u) > maxSpan;
        bool tooLong = cur.points.size() >= static_cast<std::size_t>(kSegmentMaxPoints);
        if ((tooWide || tooLong) && cur.points.size() >= 2) {
            SegmentPoint joint = cur.points.back();
            pieces.push_back(std::move(cur));
            cur = Polyline{line.segmentClass, {joint}};
            lo = hi = u - d;
        }
        cur.points.push_back(pts[i]);
        lo = std::min(lo, u);
        hi = std::max(hi, u);
    }
    pieces.push_back(std::move(cur));
    return pieces;
}

bool WriteSegmentFileFromPolylines(const std::string& path, const std::vector<Polyline>& lines, PointLayout layout,
                                   std::size_t* segmentsWritten) {
    std::vector<unsigned char> bytes;
    std::size_t running = 0;
    for (const auto& line : lines) {
        for (const auto& piece : SplitPolyline(line, layout, 90)) {
            if (piece.points.size() < 2) continue;
            Segment s;
            s.header.code = static_cast<std::int16_t>(piece.segmentClass * 1000 + static_cast<int>(running % 1000));
            s.points = piece.points;
            if (!SetSegmentBounds(&s, layout) || !EncodeSegment(s, layout, &bytes)) return false;
            ++running;
        }
    }
    if (segmentsWritten) *segmentsWritten = running;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
