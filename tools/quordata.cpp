// quordata: the steps of tools/build-data.sh that must go through the
// program's own readers, parsers and writers.
//
//   quordata catalogue OUT.HY4 IN.csv...    event-service CSV files, merged by id
//   quordata segments OUT POLYLINES.txt...  segment file; the layout follows OUT's name
//   quordata config SRC_DIR OUT_DIR         QUORVEL.INI rewritten by the configuration writer
//   quordata view SRC OUT_DIR               a view file rewritten by the view writer
//   quordata eruptions SRC.ERA OUT_DIR      the ".ERB" catalogue made by the eruption builder
//   quordata startpicture DATA_DIR OUT.BMP  the start screen's picture from a built data folder
//   quordata etopo5 IN.cdf OUT              the world 5-minute elevation grid from netCDF
//   quordata usagrid WORLD OUT              the USA 5-minute grid cut from the world grid
//   quordata population CITIES.csv OUT      the population density grid from the city table
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/alert_criteria.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/timevalue.h"
#include "core/view.h"
#include "core/helpers.h"
#include "platform/gfx/bmp.h"
#include "tools/data_build.h"
#include "tools/grids.h"
#include "tools/start_picture.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "quordata: %s\n", message.c_str());
    return 1;
}

std::string TimeText(const QuakeRecord& q) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%04.1f", q.date.year, q.date.month, q.date.day,
                  q.minute / 60, q.minute % 60, q.tenths / 10.0);
    return buf;
}

int Catalogue(const std::string& out, const std::vector<std::string>& inputs) {
    CatalogueStats stats;
    std::vector<std::vector<ServiceEvent>> all;
    for (const auto& name : inputs) {
        std::FILE* f = std::fopen(name.c_str(), "rb");
        if (!f) return Fail("cannot open " + name);
        all.push_back(ReadServiceEvents(f, &stats));
        std::fclose(f);
    }
    std::vector<QuakeRecord> records = BuildCatalogue(MergeServiceEvents(all, &stats), &stats);
    if (records.empty()) return Fail("no events");
    if (!WriteCatalogue(out, records)) return Fail("cannot write " + out);
    std::printf("%s: %zu events from %zu lines (%zu repeated ids merged, %zu unusable, %zu second solutions of a "
                "quake dropped), %s to %s\n",
                fs::path(out).filename().c_str(), stats.events, stats.lines, stats.duplicates, stats.unusable,
                stats.sameQuake, TimeText(records.front()).c_str(), TimeText(records.back()).c_str());
    return 0;
}

int Segments(const std::string& out, const std::vector<std::string>& inputs) {
    std::vector<Polyline> lines;
    std::size_t points = 0;
    for (const auto& name : inputs) {
        std::FILE* f = std::fopen(name.c_str(), "rb");
        if (!f) return Fail("cannot open " + name);
        std::vector<Polyline> some;
        int bad = 0;
        bool ok = ReadPolylineText(f, &some, &bad);
        std::fclose(f);
        if (!ok) return Fail(name + ":" + std::to_string(bad) + ": not a polyline line");
        for (auto& p : some) {
            points += p.points.size();
            lines.push_back(std::move(p));
        }
    }
    std::size_t segments = 0;
    const PointLayout layout = LayoutForFileName(fs::path(out).filename().string());
    if (!WriteSegmentFileFromPolylines(out, lines, layout, &segments)) return Fail("cannot encode " + out);
    std::printf("%s: %zu segments, %zu points, %s points\n", fs::path(out).filename().c_str(), segments, points,
                layout == PointLayout::kFine ? "fine" : "coarse");
    return 0;
}

// Runs fn inside a fresh folder that is removed afterwards.
template <typename Fn>
int InScratchFolder(Fn fn) {
    std::string tmpl = (fs::temp_directory_path() / "quordata-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) return Fail("cannot make a scratch folder");
    fs::path previous = fs::current_path();
    fs::current_path(tmpl);
    int rc = fn();
    fs::current_path(previous);
    std::error_code ec;
    fs::remove_all(tmpl, ec);
    return rc;
}

int Config(const fs::path& src, const fs::path& outDir) {
    return InScratchFolder([&] {
        std::error_code ec;
        fs::copy_file(src / "QUORVEL.INI", "QUORVEL.INI", ec);
        if (ec) return Fail("cannot copy " + (src / "QUORVEL.INI").string());
        fs::copy_file(src / "alert_criteria.txt", "alert_criteria.txt", ec);
        if (ec) return Fail("cannot copy " + (src / "alert_criteria.txt").string());
        if (ReadConfigFile() != 0) return Fail("configuration not read");
        if (gAlertCriteria.empty()) return Fail("no alert criteria read");
        if (WriteConfigFile() != 0) return Fail("configuration not written");
        fs::copy_file("QUORVEL.INI", outDir / "QUORVEL.INI", fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::copy_file("alert_criteria.txt", outDir / "alert_criteria.txt",
                               fs::copy_options::overwrite_existing, ec);
        if (ec) return Fail("cannot write into " + outDir.string());
        std::printf("QUORVEL.INI, alert_criteria.txt: %zu criteria\n", gAlertCriteria.size());
        return 0;
    });
}

int View(const fs::path& src, const fs::path& outDir) {
    return InScratchFolder([&] {
        const std::string name = src.filename().string();
        std::error_code ec;
        fs::copy_file(src, name, ec);
        if (ec) return Fail("cannot copy " + src.string());
        if (ReadViewFile(name) != 0) return Fail("view " + name + " not read");
        if (!WriteViewFile()) return Fail("view " + name + " not written");
        fs::copy_file(name, outDir / name, fs::copy_options::overwrite_existing, ec);
        if (ec) return Fail("cannot write into " + outDir.string());
        std::printf("%s: %s\n", name.c_str(), gViewTitle.c_str());
        return 0;
    });
}

int Eruptions(const fs::path& src, const fs::path& outDir) {
    return InScratchFolder([&] {
        std::string name = src.filename().string();
        std::error_code ec;
        fs::copy_file(src, name, ec);
        if (ec) return Fail("cannot copy " + src.string());
        if (!MakeEruptionFile(name)) return Fail("eruption catalogue not built from " + src.string());
        const auto size = fs::file_size(name, ec);
        if (ec || size == 0 || size % kEruptionRecordSize != 0) return Fail(name + " is not a catalogue");
        fs::copy_file(name, outDir / name, fs::copy_options::overwrite_existing, ec);
        if (ec) return Fail("cannot write into " + outDir.string());
        std::printf("%s: %ju eruptions\n", name.c_str(), static_cast<std::uintmax_t>(size / kEruptionRecordSize));
        return 0;
    });
}

int StartPicture(const fs::path& data, const fs::path& out) {
    return InScratchFolder([&] {
        std::error_code ec;
        fs::copy_file(data / "QUORVEL.INI", "QUORVEL.INI", ec);
        if (ec) return Fail("cannot copy " + (data / "QUORVEL.INI").string());
        if (ReadConfigFile() != 0) return Fail("configuration not read");
        gProgramDir = data.string();
        // The shape of the start screen's picture area on a wide screen, at half its size.
        const auto picture = RenderStartPicture(960, 510, "WORLD.HY4");
        if (!picture) return Fail("no picture");
        platform::gfx::ImageError error;
        if (!platform::gfx::SaveBmp(*picture, out.string(), &error)) return Fail(error.message);
        std::printf("%s: %d x %d\n", out.filename().c_str(), picture->width(), picture->height());
        return 0;
    });
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "catalogue")
        return Catalogue(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    if (args.size() >= 3 && args[0] == "segments")
        return Segments(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    if (args.size() == 3 && args[0] == "config") return Config(fs::absolute(args[1]), fs::absolute(args[2]));
    if (args.size() == 3 && args[0] == "view") return View(fs::absolute(args[1]), fs::absolute(args[2]));
    if (args.size() == 3 && args[0] == "eruptions") return Eruptions(fs::absolute(args[1]), fs::absolute(args[2]));
    if (args.size() == 3 && args[0] == "startpicture")
        return StartPicture(fs::absolute(args[1]), fs::absolute(args[2]));
    if (args.size() == 3 && (args[0] == "etopo5" || args[0] == "usagrid" || args[0] == "population")) {
        std::string error;
        const bool ok = args[0] == "etopo5"    ? ConvertEtopo5(args[1], args[2], &error)
                        : args[0] == "usagrid" ? CutUsaGrid(args[1], args[2], &error)
                                               : BuildPopulationGrid(args[1], args[2], &error);
        return ok ? 0 : Fail(error);
    }
    std::fprintf(stderr,
                 "usage: quordata catalogue OUT.HY4 IN.csv...\n"
                 "       quordata segments OUT POLYLINES.txt...\n"
                 "       quordata config SRC_DIR OUT_DIR\n"
                 "       quordata view SRC OUT_DIR\n"
                 "       quordata eruptions SRC.ERA OUT_DIR\n"
                 "       quordata startpicture DATA_DIR OUT.BMP\n"
                 "       quordata etopo5 IN.cdf OUT\n"
                 "       quordata usagrid WORLD OUT\n"
                 "       quordata population CITIES.csv OUT\n");
    return 2;
}
