// tools/convert.py decides the eruption list's identifiers and types and the
// shape of the border polygons: run it on a few source rows and read its
// output back with the program's own readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/eruption.h"
#include "core/helpers.h"
#include "map/borders.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kConvert = fs::path(KESTRUNE_FIXTURES).parent_path().parent_path() / "tools" / "convert.py";

std::vector<EruptionEvent> ConvertEruptions(const std::string& csv) {
    TempDir::Write("gvp.csv", csv);
    const std::string command = "python3 '" + kConvert.string() + "' eruptions gvp.csv OUT.ERA >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::istringstream lines(TempDir::Read("OUT.ERA"));
    std::vector<EruptionEvent> out;
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        EruptionEvent e;
        e.Parse(line, EruptionSource::Era);
        EXPECT_NE(e.start.t, 0) << line;
        out.push_back(e);
    }
    return out;
}

// A TopoJSON object of one polygon per ring, quantised to 1/1000 degree.
std::string Topology(const std::vector<std::vector<std::pair<double, double>>>& rings) {
    std::string arcs, geometries;
    for (std::size_t r = 0; r < rings.size(); ++r) {
        long long px = 0, py = 0;
        std::string arc;
        for (const auto& [lon, lat] : rings[r]) {
            const long long x = std::llround((lon + 180) * 1000), y = std::llround((lat + 90) * 1000);
            arc += (arc.empty() ? "[" : ",[") + std::to_string(x - px) + "," + std::to_string(y - py) + "]";
            px = x;
            py = y;
        }
        arcs += (r ? ",[" : "[") + arc + "]";
        geometries += std::string(r ? "," : "") + R"({"type":"Polygon","arcs":[[)" + std::to_string(r) +
                      R"(]],"properties":{"name":"Ring )" + std::to_string(r) + R"("}})";
    }
    return R"({"type":"Topology","transform":{"scale":[0.001,0.001],"translate":[-180,-90]},)"
           R"("objects":{"land":{"type":"GeometryCollection","geometries":[)" +
           geometries + "]}},\"arcs\":[" + arcs + "]}";
}

std::string Id(const EruptionEvent& e) { return FieldText(e.record.id, sizeof e.record.id); }
std::string Name(const EruptionEvent& e) { return FieldText(e.record.name, sizeof e.record.name); }

}  // namespace

TEST(ConvertEruptions, IdentifiersAreVolcanoNumbersAndTypesFollowTheIndex) {
    TempDir dir;
    const std::vector<EruptionEvent> es = ConvertEruptions(
        "volcano_number,volcano_name,eruption_number,eruption_category,area_of_activity,vei,start_year,start_month,"
        "start_day,evidence_method_dating,end_year,end_month,end_day,latitude,longitude\n"
        "211060,Etna,13820,Confirmed Eruption,NE flank,2,1942,6,0,Historical Observations,NA,NA,NA,37.748,14.999\n"
        "211060,Etna,13819,Confirmed Eruption,summit,3,1941,3,12,Historical Observations,1944,2,0,37.748,14.999\n"
        "332010,Kilauea,22290,Confirmed Eruption,East rift,0,1983,1,3,Historical Observations,2018,9,4,19.421,-155.287\n"
        "300250,Somewhere,22001,Confirmed Eruption,NA,NA,1950,0,0,Radiocarbon,NA,NA,NA,52.1,158.2\n"
        "300251,Maybe,22002,Uncertain Eruption,NA,2,1960,1,1,Historical Observations,NA,NA,NA,52.1,158.2\n"
        "300252,Longago,22003,Confirmed Eruption,NA,4,1850,1,1,Historical Observations,NA,NA,NA,52.1,158.2\n");
    ASSERT_EQ(es.size(), 4u);  // uncertain eruptions and those before 1900 are left out

    // In start order; one volcano's eruptions share its number, so only one of them is drawn at a time.
    EXPECT_EQ(Name(es[0]), "Etna");
    EXPECT_EQ(Name(es[1]), "Etna");
    EXPECT_EQ(Id(es[0]), "211060");
    EXPECT_EQ(Id(es[1]), "211060");
    EXPECT_EQ(es[0].record.start, (PackedDate{1941, 3, 12}));
    EXPECT_EQ(es[0].record.stop, (PackedDate{1944, 2, 29}));  // an unknown end day is the month's last
    EXPECT_EQ(es[1].record.start, (PackedDate{1942, 6, 1}));
    EXPECT_EQ(es[1].record.stop, es[1].record.start);  // an unknown end: the start day
    EXPECT_EQ(Id(es[3]), "332010");

    // Explosivity 0 is lava, 1 and more explosive, unknown U (stored with size 1).
    EXPECT_EQ(es[0].record.type, 'E');
    EXPECT_EQ(es[0].record.size, 3);
    EXPECT_EQ(es[3].record.type, 'L');
    EXPECT_EQ(Name(es[2]), "Somewhere");
    EXPECT_EQ(es[2].record.type, 'U');
    EXPECT_EQ(es[2].record.size, 1);
    EXPECT_EQ(es[2].record.start, (PackedDate{1950, 1, 1}));
    EXPECT_EQ(FieldText(es[2].record.startMonthText, 4), "");  // the texts keep what the source knew
    EXPECT_DOUBLE_EQ(es[3].record.longitude, -155.287);
}

TEST(ConvertBorders, RingsAcrossTheAntimeridianAreSplitIntoClosedPiecesOnEachSide) {
    TempDir dir;
    // RING 0: a C open to the east whose arms and mouth straddle 180 degrees;
    // RING 1: a plain square, left whole.
    TempDir::Write("topo.json", Topology({
                                    {{170, 0}, {-170, 0}, {-170, 2}, {175, 2}, {175, 8}, {-170, 8}, {-170, 10},
                                     {170, 10}, {170, 0}},
                                    {{10, 40}, {20, 40}, {20, 50}, {10, 50}, {10, 40}},
                                }));
    const std::string command = "python3 '" + kConvert.string() + "' borders topo.json land B.txt >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const BorderSet set("B.txt");
    ASSERT_EQ(set.polygons().size(), 4u);  // the C's body and lower arm west, both arms east; the square
    for (const auto& p : set.polygons()) {
        double west = 180, east = -180;
        for (const GeoPoint& q : p->points) {
            west = std::min(west, q.x);
            east = std::max(east, q.x);
        }
        EXPECT_LT(east - west, 180) << p->name << " still jumps across the antimeridian";
    }
    const struct {
        double lat, lon;
        const char* region;  // nullptr: in none
    } places[] = {
        {5, 172, "RING 0"},       // the body, west of 180
        {1, 179.9, "RING 0"},     // the lower arm, both sides of the meridian
        {1, -179.9, "RING 0"},
        {9, -172, "RING 0"},      // the upper arm, east
        {5, 178, nullptr},        // the mouth, both sides
        {5, -175, nullptr},
        {11, 175, nullptr},       // north of it
        {45, 15, "RING 1"},
        {45, 25, nullptr},
    };
    for (const auto& p : places) {
        const BorderPolygon* found = set.FindContainingPoint(p.lat, p.lon);
        EXPECT_EQ(found ? found->name : "-", p.region ? p.region : "-") << p.lat << " " << p.lon;
    }
}

TEST(ConvertAnnotations, CitiesOncePerPlaceCapitalsFirstAndRegionsLargestFirst) {
    TempDir dir;
    TempDir::Write("views/EUROPE", "SOUTH LATITUDE: 35\nNORTH LATITUDE: 60\nLEFT LONGITUDE: -10\n"
                                   "RIGHT LONGITUDE: 40\nTEXT FILE: EUROPE.country.txt\n");
    TempDir::Write("cities.csv",
                   "Ankara,Ankara,Turkey,39.9199,32.8543,3517182,TR\n"
                   "Birmingham,England,United Kingdom,52.4814,-1.8998,984333,GB\n"
                   "City of London,England,United Kingdom,51.5128,-0.0918,7556900,GB\n"
                   "Istanbul,Istanbul,Turkey,41.0138,28.9497,14804116,TR\n"
                   "London,England,United Kingdom,51.5085,-0.1257,7556900,GB\n"
                   "Manchester,England,United Kingdom,53.4809,-2.2374,395515,GB\n"
                   "Neuilly-sur-Seine,Ile-de-France,France,48.8846,2.2697,60501,FR\n"
                   "Paris,Ile-de-France,France,48.8534,2.3488,2138551,FR\n");
    // GeoNames rows: the feature code (column 8) marks the national capitals.
    auto geonames = [](const char* name, const char* lat, const char* lon, const char* code) {
        return std::string("1\t") + name + "\t" + name + "\t\t" + lat + "\t" + lon + "\tP\t" + code +
               "\tXX\t\t\t\t\t\t1\t\t\t\t\n";
    };
    TempDir::Write("geonames.txt", geonames("City of London", "51.51279", "-0.09184", "PPLA3") +
                                       geonames("London", "51.50853", "-0.12574", "PPLC") +
                                       geonames("Paris", "48.85341", "2.3488", "PPLC") +
                                       geonames("Ankara", "39.91987", "32.85427", "PPLC") +
                                       geonames("Istanbul", "41.01384", "28.94966", "PPLA"));
    TempDir::Write("plants.csv", "Country,CountryCode,Name,ReactorTypes,Status\n");
    TempDir::Write("countries.txt", "    4 ARCADIA\n40 10\n44 10\n44 14\n40 14\n"
                                    "    4 ZEMBLA\n44 20\n52 20\n52 28\n44 28\n");
    TempDir::Write("states.txt", "");
    // A volcano just east of Istanbul: its triangle would cover a label on that side.
    TempDir::Write("eruptions.csv", "eruption_category,start_year,longitude,latitude\n"
                                    "Confirmed Eruption,1950,29.60,41.01\n"
                                    "Confirmed Eruption,NA,-5.0,40.0\n");
    TempDir::Write("plates.geojson", R"({"features": []})");
    const std::string command = "python3 '" + kConvert.string() +
                                "' annotations views cities.csv geonames.txt plants.csv countries.txt states.txt "
                                "eruptions.csv plates.geojson . >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    auto labels = [](const std::string& file) {
        std::vector<std::string> names;
        std::istringstream in(TempDir::Read(file));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || std::isalpha(static_cast<unsigned char>(line[0]))) continue;  // keywords
            std::istringstream words(line);
            std::string lat, lon, name;
            words >> lat >> lon;
            std::getline(words >> std::ws, name);
            names.push_back(name.substr(0, name.find(" /")));
        }
        return names;
    };
    // London once (its capital entry); Neuilly goes under Paris; capitals
    // first, each group by population, as the renderer places in file order.
    EXPECT_EQ(labels("EUROPE.CAF"),
              (std::vector<std::string>{"London", "Ankara", "Paris", "Istanbul", "Birmingham", "Manchester"}));
    EXPECT_EQ(labels("EUROPE.country.txt"), (std::vector<std::string>{"ZEMBLA", "ARCADIA"}));
    // Istanbul's label goes to the west of its dot, away from the triangle, and
    // the side switches back for the cities after it.
    const std::string caf = TempDir::Read("EUROPE.CAF");
    const std::size_t istanbul = caf.find("Istanbul");
    ASSERT_NE(istanbul, std::string::npos);
    EXPECT_NE(caf.rfind("horizontal justify: right", istanbul), std::string::npos);
    EXPECT_GT(caf.find("horizontal justify: left", istanbul), istanbul);
    EXPECT_EQ(caf.find("horizontal justify: right"), caf.rfind("horizontal justify: right", istanbul));
}
