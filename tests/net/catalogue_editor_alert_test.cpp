// Create Alert Event in the catalogue editor, with the program's own alert
// view builder: the view's files are written and the view opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/catalogue_editor.h"
#include "app/layout.h"
#include "app/view_open.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/proj.h"
#include "net/network_wiring.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/app_fixture.h"
#include "tests/net/alert_fixture.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;
namespace ui = platform::ui;

class EditorAlert : public apptest::AppTest {
protected:
    EditorAlert() {
        alerttest::CopyFixtures();
        ResetViewSettings();
        SetMapPaneMaker(nullptr);
        BuildMercatorTable();
        gControls[kControlAutoStartView] = 1;
        EXPECT_TRUE(alerttest::UseAlertSettings(30, 2));
        TempDir::Write("WORLD", "EVENT FILE: CAT.HY4\nEARTHQUAKES: YES\nMINIMUM YEAR: 2020\n");
    }
    ~EditorAlert() override { ResetViewSettings(); }
};

TEST_F(EditorAlert, TheSelectedRecordsAlertViewIsWrittenAndOpens) {
    InstallNetworkWiring();
    const QuakeRecord quake = MakeEventRecord(nullptr, 2021, 7, 3, 14, 25, 0, 35.6, 139.7, 40, 6.5);
    ASSERT_TRUE(WriteQuakeFile("CAT.HY4", {MakeEventRecord(nullptr, 2021, 7, 1, 0, 0, 0, 10, 10, 10, 5), quake}));
    myFrame* f = Start();
    ASSERT_NE(f, nullptr);
    f->OpenView("WORLD");
    ASSERT_NE(f->layout(), nullptr);
    hl::Advance(50);

    hl::ScriptDialog(kEditEventsTemplate, [](ui::Dialog& d) {
        d.Item<ui::ListBox>(101)->UserClick(1);
        return 1029;
    });
    ASSERT_TRUE(f->SendCommand(kCmEditEarthquakeFile));

    ASSERT_TRUE(fs::exists("Alert_View_Filename.txt"));
    std::string name = TempDir::Read("Alert_View_Filename.txt");
    ASSERT_FALSE(name.empty());
    name.pop_back();
    EXPECT_EQ(name.rfind("2021-07-03-14", 0), 0u) << name;
    for (const char* ext : {"", ".hyp"}) EXPECT_TRUE(fs::exists(name + ext)) << ext;
    EXPECT_EQ(TempDir::Read(name + ".hyp").size(), 24u);
    // The view opens, centred on the event, which it highlights.
    EXPECT_EQ(gOpenedViewName, name);
    EXPECT_TRUE(EqualsIgnoringCase(gMapName, name));
    EXPECT_LT(gMapSouth, 35.6);
    EXPECT_GT(gMapNorth, 35.6);
    EXPECT_EQ(gAlertEvent, &gBuiltAlertQuake);
    EXPECT_EQ(gBuiltAlertQuake.magnitude, 65);
    // The catalogue itself is untouched.
    EXPECT_EQ(ReadCatalogueFile("CAT.HY4").size(), 2u);
}

}  // namespace
