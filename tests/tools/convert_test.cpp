// tools/convert.py decides the eruption list's identifiers and types: run it
// on a few source rows and read its list back with the program's own parser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/eruption.h"
#include "core/helpers.h"
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
