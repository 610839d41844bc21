#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/sys/settings.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/menu.h"
#include "platform/ui/native_ids.h"
#include "platform/ui/recent_files.h"
#include "tests/platform/ui_fixture.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using ui::MenuSpec;
using uitest::Join;
using uitest::Log;

namespace {

void RegisterTestMenus() {
    ui::RegisterMenu("T_BAR", {MenuSpec::Item(180, "&File"), MenuSpec::Item(184, "&Map"), MenuSpec::Item(187, "E&xit")});
    ui::RegisterMenu("T_FILE", {MenuSpec::Popup("&Files", {
                                    MenuSpec::Item(24500, "&Open View..."),
                                    MenuSpec::Item(24339, "&Close View"),
                                    MenuSpec::Separator(),
                                    MenuSpec::Item(ui::kExitCommand, "E&xit\tAlt+F4"),
                                })});
    ui::RegisterMenu("T_MAP", {MenuSpec::Popup("&Map", {
                                   MenuSpec::Item(141, "&Latitude/Longitude..."),
                                   MenuSpec::Popup("&Colors", {MenuSpec::Item(4101, "&Coast..."), MenuSpec::Separator(),
                                                               MenuSpec::Item(149, "Redra&w")}),
                               })});
}

class MenuFrame : public ui::Frame {
public:
    explicit MenuFrame(Log& log) : Frame(nullptr, "Kestrune"), log_(log) {}
    KESTRUNE_RESPONSE_TABLE(MenuFrame);
    void CmBar(int id) { log_.push_back("bar" + std::to_string(id)); }
    void CmOpen() { log_.push_back("open"); }
    void CmColor(int id) { log_.push_back("color" + std::to_string(id)); }
    void CeViewOpen(ui::CommandEnabler& ce) { ce.Enable(viewOpen); }
    ui::Result CmRecent(ui::WParam index, ui::LParam) {
        log_.push_back("frame.recent" + std::to_string(index));
        return 0;
    }
    bool viewOpen = false;

private:
    Log& log_;
};

const ui::ResponseTable& MenuFrame::Table() {
    using R = ui::ResponseTableOf<MenuFrame, ui::Frame>;
    static const ui::ResponseTable table = R::Build({
        R::CommandRange(180, 187, &MenuFrame::CmBar),
        R::Command(24500, &MenuFrame::CmOpen),
        R::CommandRange(4101, 4106, &MenuFrame::CmColor),
        R::Enabler(24339, &MenuFrame::CeViewOpen),
        R::Enabler(149, &MenuFrame::CeViewOpen),
    });
    return table;
}

// Points the settings folder at a fresh temporary folder for one test.
class SettingsHome {
public:
    SettingsHome() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old) old_ = old;
        had_ = old != nullptr;
        ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    }
    ~SettingsHome() {
        if (had_) ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }
    const std::string& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string old_;
    bool had_ = false;
};

}  // namespace

TEST(Menu, LoadedByNameAsIndependentCopies) {
    RegisterTestMenus();
    EXPECT_EQ(ui::LoadMenu("NO_SUCH_MENU"), nullptr);
    auto a = ui::LoadMenu("T_MAP"), b = ui::LoadMenu("T_MAP");
    ASSERT_TRUE(a && b);
    ui::Menu* map = a->subMenu(0);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->count(), 2);
    EXPECT_EQ(map->item(0).text, "&Latitude/Longitude...");
    EXPECT_EQ(a->CommandIds(), (std::vector<int>{141, 4101, 149}));
    EXPECT_TRUE(a->Delete(149));  // found inside the nested popup
    EXPECT_FALSE(a->Contains(149));
    EXPECT_TRUE(b->Contains(149));
}

TEST(Menu, ItemsByIdAndByPosition) {
    RegisterTestMenus();
    auto bar = ui::LoadMenu("T_BAR");
    auto file = ui::LoadMenu("T_FILE");
    int changes = 0;
    file->SetChangeObserver([&] { ++changes; });
    ui::Menu& files = *file->subMenu(0);
    EXPECT_TRUE(files.Check(24500, true));
    EXPECT_EQ(file->checked(24500), std::optional<bool>(true));
    EXPECT_TRUE(files.Enable(24339, false));
    EXPECT_EQ(file->enabled(24339), std::optional<bool>(false));
    EXPECT_EQ(files.PositionOf(ui::kExitCommand), 3);
    EXPECT_TRUE(files.Delete(ui::kExitCommand));
    EXPECT_FALSE(files.Delete(ui::kExitCommand));
    EXPECT_EQ(files.count(), 3);
    EXPECT_EQ(changes, 3);  // a change in a popup reaches the observer of its menu
    EXPECT_TRUE(bar->DeleteAt(2));
    EXPECT_FALSE(bar->DeleteAt(2));
    EXPECT_FALSE(bar->CheckAt(-1, true));
    EXPECT_EQ(bar->CommandIds(), (std::vector<int>{180, 184}));
    EXPECT_EQ(file->checked(9999), std::nullopt);
}

// A check box is drawn only beside items that carry a check mark: checked in
// the resource, or checked or cleared by the program since.
TEST(Menu, OnlyItemsGivenACheckMarkAreCheckable) {
    ui::Menu m({ui::MenuSpec::Item(1, "Plain"), ui::MenuSpec::Item(2, "Set"), ui::MenuSpec::Item(3, "Cleared"),
                ui::MenuSpec{4, "Resource", {}, false, true, false}, ui::MenuSpec::Item(5, "By position")});
    EXPECT_TRUE(m.Check(2, true));
    EXPECT_TRUE(m.Check(3, false));
    EXPECT_TRUE(m.CheckAt(4, false));
    EXPECT_TRUE(m.Enable(1, false));
    EXPECT_TRUE(m.SetText(1, "Still plain"));
    const bool want[] = {false, true, true, true, true};
    for (int i = 0; i < m.count(); ++i) EXPECT_EQ(m.item(i).checkable, want[i]) << m.item(i).text;
    EXPECT_FALSE(m.item(2).checked);
}

TEST(Menu, PopupRunsTheEnablersAndReturnsTheChoice) {
    RegisterTestMenus();
    Log log;
    MenuFrame frame(log);
    ASSERT_TRUE(frame.Create());
    auto map = ui::LoadMenu("T_MAP");
    hl::ScriptPopupAnswer(4102);  // enabled: 4101-4106 have a handler
    hl::ScriptPopupAnswer(149);   // greyed while no view is open
    hl::ScriptPopupAnswer(141);   // no handler anywhere: greyed
    EXPECT_EQ(frame.TrackPopupMenu(*map->subMenu(0), {40, 20}), 0);  // 4102 is not in this popup
    EXPECT_EQ(frame.TrackPopupMenu(*map->subMenu(0), {40, 20}), 0);
    frame.viewOpen = true;
    hl::ScriptPopupAnswer(149);
    EXPECT_EQ(frame.TrackPopupMenu(*map->subMenu(0), {40, 20}), 0);  // 141 is still greyed
    EXPECT_EQ(frame.TrackPopupMenu(*map->subMenu(0), {40, 20}), 149);
    ASSERT_EQ(hl::PopupCalls().size(), 4u);
    EXPECT_EQ(hl::PopupCalls()[0].enabledIds, (std::vector<int>{4101}));
    EXPECT_EQ(hl::PopupCalls()[3].enabledIds, (std::vector<int>{4101, 149}));
    EXPECT_EQ(hl::PopupCalls()[3].screen, (ui::Point{40, 20}));
    EXPECT_EQ(map->enabled(141), std::optional<bool>(false));
    EXPECT_EQ(Join(log), "");  // showing a popup sends nothing
}

TEST(Menu, BarCommandsTakeTheFrameRoute) {
    RegisterTestMenus();
    Log log;
    MenuFrame frame(log);
    EXPECT_FALSE(hl::ChooseMenuCommand(frame, 184));  // no bar yet
    ASSERT_TRUE(frame.AssignMenu("T_BAR"));
    EXPECT_FALSE(frame.AssignMenu("NO_SUCH_MENU"));
    ASSERT_TRUE(frame.Create());
    EXPECT_TRUE(hl::ChooseMenuCommand(frame, 184));
    frame.menu()->DeleteAt(2);
    EXPECT_FALSE(hl::ChooseMenuCommand(frame, 187));
    EXPECT_EQ(Join(log), "bar184");
}

TEST(RecentFiles, SurviveARestartInTheSettingsFile) {
    SettingsHome home;
    {
        ui::RecentFiles list("Kestrune.ini");
        EXPECT_TRUE(list.entries().empty());
        for (int i = 1; i <= 16; ++i) list.Add("VIEW" + std::to_string(i));
        list.Add("view3");                  // an equal name moves up, in its new spelling
        list.Add(std::string(100, 'L'));    // cut to 75
    }
    ui::RecentFiles again("Kestrune.ini");  // the next run
    const auto& e = again.entries();
    ASSERT_EQ(e.size(), 15u);
    EXPECT_EQ(e[0], std::string(75, 'L'));
    EXPECT_EQ(e[1], "view3");
    EXPECT_EQ(e[2], "VIEW16");
    EXPECT_EQ(e[14], "VIEW4");  // VIEW1 and VIEW2 fell off the end, VIEW3 moved up
    EXPECT_TRUE(std::filesystem::exists(home.path() + "/kestrune/Kestrune.ini"));
    again.Remove("VIEW16");
    EXPECT_EQ(ui::RecentFiles("Kestrune.ini").Entry(2), "VIEW15");
}

TEST(RecentFiles, ShownAboveExitAndChosenThroughTheFrame) {
    SettingsHome home;
    RegisterTestMenus();
    Log log;
    uitest::TestApp app(log);
    ui::RecentFiles list("Kestrune.ini");
    list.Add("WORLD");
    list.Add("ALASKA");
    auto file = ui::LoadMenu("T_FILE");
    list.UpdateMenu(*file);
    list.UpdateMenu(*file);  // again: no second copy
    const ui::Menu& files = *file->subMenu(0);
    ASSERT_EQ(files.count(), 7);
    EXPECT_EQ(files.item(3).text, "&1 ALASKA");
    EXPECT_EQ(files.item(4).text, "&2 WORLD");
    EXPECT_TRUE(files.item(5).separator);
    EXPECT_EQ(files.item(6).id, ui::kExitCommand);

    MenuFrame frame(log);
    frame.SetRecentFiles(&list);
    ASSERT_TRUE(frame.Create());
    EXPECT_TRUE(frame.RouteCommand(ui::RecentFiles::kFirstCommand + 1));  // the frame has no entry: the app
    EXPECT_FALSE(frame.RouteCommand(ui::RecentFiles::kFirstCommand + 2));  // past the list
    EXPECT_EQ(list.Entry(1), "WORLD");
    EXPECT_EQ(Join(log), "app.recent1");

    // A popup of the frame holding the exit command gets the entries, enabled.
    auto fresh = ui::LoadMenu("T_FILE");
    hl::ScriptPopupAnswer(ui::RecentFiles::kFirstCommand);
    EXPECT_EQ(frame.TrackPopupMenu(*fresh->subMenu(0), {0, 0}), ui::RecentFiles::kFirstCommand);
    EXPECT_EQ(fresh->subMenu(0)->item(3).text, "&1 ALASKA");
}

TEST(Settings, SectionsRoundTripAndStayOneLine) {
    SettingsHome home;
    platform::SettingsFile s("test.ini");
    EXPECT_FALSE(s.Load());
    s.Set("Recent File List", "File1", "A\nB");
    s.Set("Recent File List", "File2", "C");
    s.Set("Other", "key=x", "v=w");
    s.Set("Recent File List", "File1", "D");
    ASSERT_TRUE(s.Save());
    platform::SettingsFile t("test.ini");
    ASSERT_TRUE(t.Load());
    EXPECT_EQ(t.Get("Recent File List", "File1"), std::optional<std::string>("D"));
    EXPECT_EQ(t.Get("Other", "key x"), std::optional<std::string>("v=w"));
    EXPECT_EQ(t.Section("Recent File List").size(), 2u);
    EXPECT_EQ(t.Get("Missing", "File1"), std::nullopt);
    EXPECT_EQ(TempDir::Read(t.path()), "[Recent File List]\nFile1=D\nFile2=C\n[Other]\nkey x=v=w\n");
}

// The toolkit takes ids only up to 32767 and gives its standard-id block a
// meaning of its own; every id must come back as itself.
TEST(NativeMenuIds, MapIntoTheToolkitsRangeAndBack) {
    ui::NativeIds ids;
    const int program[] = {40002, 40051, 65535, 24339, 5006, 149, 1, 40002};
    for (int id : program) {
        SCOPED_TRACE(id);
        const std::optional<int> native = ids.ToNative(id);
        ASSERT_TRUE(native);
        EXPECT_GE(*native, ui::NativeIds::kFirst);
        EXPECT_LE(*native, 32767);
        EXPECT_EQ(ids.FromNative(*native), id);
    }
    EXPECT_EQ(ids.size(), 7);  // the repeated id keeps its first native id
    EXPECT_FALSE(ids.ToNative(0));
    EXPECT_FALSE(ids.ToNative(-1));
    EXPECT_FALSE(ids.FromNative(40002));  // never given out
    EXPECT_FALSE(ids.FromNative(-31000)); // the toolkit's own automatic ids

    ui::NativeIds full;
    for (int i = 1; i <= ui::NativeIds::kLast - ui::NativeIds::kFirst + 1; ++i) ASSERT_TRUE(full.ToNative(i));
    EXPECT_FALSE(full.ToNative(70000));
}
