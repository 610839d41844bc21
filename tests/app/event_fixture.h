#pragma once
// A small whole-world view of 2000-01-01 with catalogues the test writes,
// opened in the headless frame with event stepping installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/event_labels.h"
#include "app/event_step.h"
#include "app/frame.h"
#include "app/layout.h"
#include "core/eruption.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/eruption_symbols.h"
#include "tests/app/app_fixture.h"
#include "tests/support/catalogue_file.h"

namespace apptest {

class Events : public AppTest {
protected:
    Events() {
        ResetViewSettings();
        ResetEventStepping();
        InstallEventStepping();
        gControls[kControlAutoStartView] = 1;
        gControls[kControlNoLegend] = 1;
    }
    ~Events() override {
        RemoveShownEventLabel(nullptr);
        ResetEventStepping();
        InstallMapPaneSeams(nullptr);
        ClearDisplayedEruptions();
        ResetViewSettings();
    }

    static QuakeRecord Quake(int day, int hour, int minute, double lat = 10.0, double lon = 20.0) {
        QuakeRecord q;
        MakeEventRecord(&q, 2000, 1, day, hour, minute, 0.0, lat, lon, 10.0, 5.0);
        return q;
    }
    static void WriteQuakes(const std::vector<QuakeRecord>& records) { ASSERT_TRUE(WriteQuakeFile("T.HY4", records)); }
    // Starting on 2000-01-<day>; flag: the record is one a step may show.
    static EruptionRecord Eruption(const char* name, int day, bool flag = true, double lat = -20.0, double lon = 60.0) {
        EruptionRecord r;
        std::snprintf(r.id, sizeof r.id, "%s", name);
        std::snprintf(r.name, sizeof r.name, "%s", name);
        r.flag = flag ? 1 : 0;
        r.type = 'E';
        r.size = 2;
        r.start = PackedDate{2000, 1, static_cast<std::uint8_t>(day)};
        r.stop = r.start;
        r.latitude = lat;
        r.longitude = lon;
        return r;
    }
    static void WriteEruptions(const std::vector<EruptionRecord>& records) {
        ASSERT_TRUE(WriteEruptionFile("T.ERB", records));
    }
    // From 2000-01-01 00:00 (to 01-05 by default) over the whole world, one
    // hour a second; extra lines go last.
    static void WriteView(const std::string& extra, int endDay = 5, int endHour = 0) {
        TempDir::Write("TV",
                       "LEFT LONGITUDE: -180\nRIGHT LONGITUDE: 180\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n"
                       "MINIMUM YEAR: 2000\nMINIMUM MONTH: 1\nMINIMUM DAY: 1\nMINIMUM HOUR: 0\n"
                       "MAXIMUM YEAR: 2000\nMAXIMUM MONTH: 1\nMAXIMUM DAY: " + std::to_string(endDay) +
                           "\nMAXIMUM HOUR: " + std::to_string(endHour) + "\n"
                       "DAYS PER SECOND: 0\nMINUTES PER SECOND: 60\nSECONDS PER SECOND: 0\n"
                       "MINIMUM MAGNITUDE: 2\nMAXIMUM MAGNITUDE: 9\nEVENT FILE: T.HY4\nERUPTION FILE: T.ERB\n"
                       "DOTS: WHITE\nPLATES: NO\n" +
                           extra);
    }
    myFrame* OpenTestView() {
        myFrame* f = Start();
        f->OpenView("TV");
        EXPECT_NE(f->layout(), nullptr);
        return f;
    }
    childMap* Map(myFrame* f) { return f->layout() ? f->layout()->mapPane() : nullptr; }
    childControl* Panel(myFrame* f) { return f->layout() ? f->layout()->control() : nullptr; }
};

}  // namespace apptest
