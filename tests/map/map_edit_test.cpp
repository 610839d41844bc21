// The map pane's mouse on the headless backend: information spots, the
// pop-up's place edits, label drags and the map tools, each file compared
// line by line before and after.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/places.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/info_spots.h"
#include "map/label_box.h"
#include "map/scale_box.h"
#include "map/segments.h"
#include "platform/ui/frame.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/pane_seams.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;
using ui::MouseAction;

fs::path DataDir() { return fs::weakly_canonical(fs::path(KESTRUNE_FIXTURES) / ".." / ".." / "data"); }

std::vector<std::string> Lines(const std::string& file) { return testsupport::TextLines(TempDir::Read(file)); }

// What changed between two versions of a file: the lines only before, and only after.
struct Diff {
    std::vector<std::string> removed, added;
};
Diff Compare(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    Diff d;
    for (const std::string& l : before)
        if (std::count(before.begin(), before.end(), l) > std::count(after.begin(), after.end(), l) &&
            std::find(d.removed.begin(), d.removed.end(), l) == d.removed.end())
            d.removed.push_back(l);
    for (const std::string& l : after)
        if (std::count(after.begin(), after.end(), l) > std::count(before.begin(), before.end(), l) &&
            std::find(d.added.begin(), d.added.end(), l) == d.added.end())
            d.added.push_back(l);
    return d;
}

// The application's side, scripted.
struct EditorSeams : testsupport::QuietPaneSeams {
    int clicks = 0;
    std::deque<std::optional<std::string>> texts;  // answers of the prompts; nullopt cancels
    std::vector<std::string> prompts;              // their captions
    std::optional<NewCityRow> newCity;             // what the new-city dialog is filled with; none cancels
    int newCityAnswers = 1;                        // then it cancels
    std::vector<NewCityRow> cityDialogs;           // what it opened with
    std::vector<int> choice;
    std::vector<std::string> offered;
    std::vector<std::string> opened, edited;
    void Click(childMap&) override { ++clicks; }
    bool AskText(childMap&, const std::string& caption, const std::string&, std::string& text,
                 std::size_t limit) override {
        prompts.push_back(caption);
        if (texts.empty()) return false;
        std::optional<std::string> a = texts.front();
        texts.pop_front();
        if (!a) return false;
        text = a->substr(0, limit);
        return true;
    }
    bool AskNewCity(childMap&, NewCityRow& c) override {
        cityDialogs.push_back(c);
        if (!newCity || newCityAnswers-- <= 0) return false;
        c.name = newCity->name;
        c.population = newCity->population;
        return true;
    }
    bool ChooseCities(childMap&, const std::vector<const CityRecord*>& cities, std::vector<int>& chosen) override {
        for (const CityRecord* c : cities) offered.push_back(c->name);
        chosen = choice;
        return true;
    }
    bool ChoosePlants(childMap&, const std::vector<const PlaceRecord*>& plants, std::vector<int>& chosen) override {
        for (const PlaceRecord* p : plants) offered.push_back(p->name);
        chosen = choice;
        return true;
    }
    void EditTextFile(childMap&, const std::string& f) override { edited.push_back(f); }
    void OpenTextWindow(childMap&, const std::string& f) override { opened.push_back(f); }
    void HighlightAlertEvent(childMap&) override {}
};

class MapEdit : public ::testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        for (const char* f : {"QUORVEL.INI", "JAPAN", "JAPAN.CAF", "JAPAN.country.txt", "JAPAN.npp.txt"})
            fs::copy_file(DataDir() / f, f, fs::copy_options::overwrite_existing);
        ASSERT_EQ(ReadConfigFile(), 0);
        gProgramDir = DataDir().string();
        BuildMercatorTable();
        RegisterMapPopupMenu();
        gControls[kControlShowInfoSpots] = 1;
    }
    void TearDown() override {
        owner_.reset();
        ResetConfigValues();
        ResetViewSettings();
        gProgramDir.clear();
    }

    childMap& Open(const char* view, int width = 1000, int height = 700) {
        EXPECT_EQ(ReadViewFile(view), 0) << view;
        owner_ = std::make_unique<ui::Frame>(nullptr, "frame");
        owner_->MoveWindow({0, 0, width, height});
        pane_ = new childMap(owner_.get());
        pane_->MoveWindow({0, 0, width, height});
        EXPECT_TRUE(owner_->Create());
        pane_->RenderView();
        return *pane_;
    }
    // The view without the spots it brings along, in memory and in its file.
    childMap& OpenWithoutSpots(const char* view) {
        Open(view);
        gInfoSpots.Flush();
        EXPECT_TRUE(WriteViewFile());
        pane_->RenderView();
        return *pane_;
    }
    // Pane pixels of a place.
    ui::Point At(double lat, double lon) const {
        std::int32_t row = 0, col = 0;
        pane_->LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &col);
        return {col + gMapRect.left, row + gMapRect.top};
    }
    ui::Point Pane(gfx::Point mapArea) const { return {mapArea.x + gMapRect.left, mapArea.y + gMapRect.top}; }
    void Click(ui::Point p) {
        headless::Mouse(*pane_, MouseAction::LeftDown, p);
        headless::Mouse(*pane_, MouseAction::LeftUp, p);
    }
    void Drag(ui::Point from, ui::Point to) {
        headless::Mouse(*pane_, MouseAction::LeftDown, from);
        headless::Mouse(*pane_, MouseAction::Move, {(from.x + to.x) / 2, (from.y + to.y) / 2});
        headless::Mouse(*pane_, MouseAction::Move, to);
        headless::Mouse(*pane_, MouseAction::LeftUp, to);
    }
    void Popup(ui::Point p, int command) {
        headless::ScriptPopupAnswer(command);
        headless::Mouse(*pane_, MouseAction::RightDown, p);
    }
    // The tables here and no copies of the annotation files behind them.
    void WithoutProgramFolder() {
        for (const char* f : {kCityTableFile, kPlantTableFile}) fs::copy_file(DataDir() / f, f);
        gProgramDir.clear();
    }
    static int Sent(int id) {
        return static_cast<int>(std::count_if(headless::Commands().begin(), headless::Commands().end(),
                                              [id](const headless::CommandCall& c) { return c.id == id; }));
    }
    static LabelBox* LabelNamed(std::string_view text) {
        for (auto& b : gLabelBoxes)
            if (b->hasLine && b->text.find(text) != std::string::npos) return b.get();
        return nullptr;
    }
    static ui::Point Centre(const gfx::Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    TempDir dir_;
    EditorSeams seams_;
    testsupport::ScopedPaneSeams installed_{seams_};
    std::unique_ptr<ui::Frame> owner_;
    childMap* pane_ = nullptr;
};

// ---- information spots ------------------------------------------------------------------

TEST_F(MapEdit, TheBundledJapanViewHasTwoSpotsWithTheirTexts) {
    Open("JAPAN");
    ASSERT_EQ(gInfoSpots.Count(), 2);
    for (const InfoSpot& s : gInfoSpots) {
        EXPECT_TRUE(s.drawn) << s.file;
        EXPECT_GT(TempDir::Read((DataDir() / s.file).string()).size(), 100u) << s.file;
        EXPECT_NE(s.title[0], '\0');
    }
    Click(Pane({gInfoSpots.At(1)->x, gInfoSpots.At(1)->y}));
    EXPECT_EQ(seams_.opened, (std::vector<std::string>{"KANTO1923.TXT"}));
}

TEST_F(MapEdit, ASpotIsFoundOnlyWithinItsHitBoxAndOnlyWhereItIsDrawn) {
    OpenWithoutSpots("JAPAN");
    gInfoSpots.Add(InfoSpot(36, 138, 0, "spot.txt", "A spot"));
    pane_->RenderView();
    const InfoSpot& s = *gInfoSpots.At(0);
    ASSERT_TRUE(s.drawn);
    struct {
        int dx, dy;
        bool hit;
    } cases[] = {{0, 0, true},    {25, 0, true},  {0, 25, true},   {26, 0, false}, {0, 26, false},
                 {-26, 0, true},  {0, -26, true}, {-27, 0, false}, {0, -27, false}, {25, 25, true}};
    for (const auto& c : cases) EXPECT_EQ(HitTest(s, {s.x + c.dx, s.y + c.dy}), c.hit) << c.dx << "," << c.dy;

    // Hidden spots do not answer, not even at the point they last had.
    gControls[kControlShowInfoSpots] = 0;
    pane_->RenderView();
    EXPECT_FALSE(HitTest(*gInfoSpots.At(0), {s.x, s.y}));
    Click(Pane({s.x, s.y}));
    EXPECT_TRUE(seams_.opened.empty());
    // A spot never positioned sits at 0,0 and is never drawn.
    InfoSpot fresh(0, 0, 0, "x.txt", "");
    EXPECT_FALSE(HitTest(fresh, {0, 0}));
}

TEST_F(MapEdit, ATitleGoesLeftOnlyBeyondThreeQuartersOfTheMap) {
    OpenWithoutSpots("JAPAN");
    gShowPlates = false;
    gShowEruptions = false;
    const gfx::Color yellow = ColorOf(14);
    auto yellowBeside = [&](const InfoSpot& s, int from, int to) {
        int n = 0;
        for (int x = s.x + from; x < s.x + to; ++x)
            for (int y = s.y - 6; y <= s.y + 6; ++y) n += pane_->backBuffer().At(Pane({x, y}).x, Pane({x, y}).y) == yellow;
        return n;
    };
    const int quarter = static_cast<int>(0.75 * gMapWidth);
    for (const auto& [x, left] : {std::pair{quarter, false}, std::pair{quarter + 1, true}, std::pair{100, false}}) {
        SCOPED_TRACE(x);
        gInfoSpots.Flush();
        double lat = 0, offset = 0;
        pane_->ScreenToLatLon(gMapHeight / 2, x, &lat, &offset);
        gInfoSpots.Add(InfoSpot(lat, gWestEdge + offset, 0, "spot.txt", "WWWWWW"));
        pane_->RenderView();
        const InfoSpot& s = *gInfoSpots.At(0);
        ASSERT_EQ(s.x, x);
        EXPECT_EQ(yellowBeside(s, -80, -10) > 0, left);
        EXPECT_EQ(yellowBeside(s, 10, 80) > 0, !left);
    }
}

TEST_F(MapEdit, SpotModesOpenEditRetitleAndDelete) {
    OpenWithoutSpots("JAPAN");
    gInfoSpots.Add(InfoSpot(36, 138, 0, "one.txt", "One"));
    gInfoSpots.Add(InfoSpot(40, 130, 0, "two.txt", "Two"));
    ASSERT_TRUE(WriteViewFile());
    pane_->RenderView();
    const ui::Point one = At(36, 138);
    const std::vector<std::string> before = Lines("JAPAN");

    Click(one);  // no mode: its text opens
    EXPECT_EQ(seams_.opened, (std::vector<std::string>{"one.txt"}));
    EXPECT_EQ(pane_->currentSpot(), -1);  // forgotten at the release

    pane_->SetMouseMode(kMouseEditInfoSpot);
    Click(one);
    EXPECT_EQ(seams_.edited, (std::vector<std::string>{"one.txt"}));
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);

    pane_->SetMouseMode(kMouseInfoSpotTitle);
    seams_.texts.push_back("Honshu, the main island of Japan");
    Click(one);
    EXPECT_EQ(seams_.prompts.back(), "Information Spot");
    EXPECT_STREQ(gInfoSpots.At(0)->title, "Honshu, the main island");  // the field holds 23
    Diff d = Compare(before, Lines("JAPAN"));
    EXPECT_EQ(d.removed, (std::vector<std::string>{"INFORMATION SPOT:  36.00  138.00 one.txt One"}));
    EXPECT_EQ(d.added, (std::vector<std::string>{"INFORMATION SPOT:  36.00  138.00 one.txt Honshu, the main island"}));
    EXPECT_EQ(Sent(150), 1);

    // Deleting: Cancel keeps both, OK removes the one clicked and its line alone.
    pane_->RenderView();
    const std::vector<std::string> titled = Lines("JAPAN");
    pane_->SetMouseMode(kMouseDeleteInfoSpot);
    headless::ScriptMessageBoxAnswer(ui::IdCancel);
    Click(one);
    EXPECT_EQ(gInfoSpots.Count(), 2);
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);
    pane_->SetMouseMode(kMouseDeleteInfoSpot);
    headless::ScriptMessageBoxAnswer(ui::IdOk);
    Click(one);
    ASSERT_EQ(gInfoSpots.Count(), 1);
    EXPECT_STREQ(gInfoSpots.At(0)->file, "two.txt");
    EXPECT_EQ(headless::MessageBoxCalls().back().text, "Delete this Information Box?");
    d = Compare(titled, Lines("JAPAN"));
    EXPECT_EQ(d.removed, (std::vector<std::string>{"INFORMATION SPOT:  36.00  138.00 one.txt Honshu, the main island"}));
    EXPECT_TRUE(d.added.empty());
}

TEST_F(MapEdit, ANewSpotTakesThePickedFileAndRefusesANameTooLongForItsField) {
    OpenWithoutSpots("JAPAN");
    TempDir::Write("notes/kanto.txt", "Kanto\n");
    TempDir::Write("notes/a-name-far-too-long.txt", "long\n");
    const std::vector<std::string> before = Lines("JAPAN");
    const ui::Point p = At(35.5, 139.5);

    pane_->SetMouseMode(kMouseNewInfoSpot);
    headless::ScriptFileDialogAnswer((fs::current_path() / "notes/a-name-far-too-long.txt").string());
    Click(p);
    EXPECT_EQ(gInfoSpots.Count(), 0);
    EXPECT_NE(headless::MessageBoxCalls().back().text.find("at most 15 characters"), std::string::npos);
    EXPECT_EQ(Lines("JAPAN"), before);

    pane_->SetMouseMode(kMouseNewInfoSpot);
    headless::ScriptFileDialogAnswer((fs::current_path() / "notes/kanto.txt").string());
    Click(p);
    ASSERT_EQ(gInfoSpots.Count(), 1);
    EXPECT_STREQ(gInfoSpots.At(0)->file, "kanto.txt");
    EXPECT_EQ(seams_.edited, (std::vector<std::string>{"kanto.txt"}));
    const Diff d = Compare(before, Lines("JAPAN"));
    EXPECT_TRUE(d.removed.empty());
    ASSERT_EQ(d.added.size(), 1u);
    EXPECT_TRUE(d.added[0].starts_with("INFORMATION SPOT:  35.")) << d.added[0];
    EXPECT_TRUE(d.added[0].ends_with(" kanto.txt ")) << d.added[0];
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);

    // Outside a map view the mode stays and says why.
    gMapView = false;
    pane_->SetMouseMode(kMouseNewInfoSpot);
    Click(p);
    EXPECT_EQ(headless::MessageBoxCalls().back().text, "Can only use in map view");
    EXPECT_EQ(pane_->mouseMode(), kMouseNewInfoSpot);
}

TEST_F(MapEdit, HoveringHighlightsASpotAndLeavingItPutsItBack) {
    OpenWithoutSpots("JAPAN");
    gInfoSpots.Add(InfoSpot(31, 145, 0, "one.txt", ""));
    pane_->RenderView();
    const ui::Point p = At(31, 145);
    const gfx::Color plain = pane_->backBuffer().At(p.x, p.y - 5);
    headless::Mouse(*pane_, MouseAction::Move, p);
    EXPECT_EQ(pane_->currentSpot(), 0);
    EXPECT_NE(pane_->backBuffer().At(p.x, p.y - 5), plain);
    headless::Mouse(*pane_, MouseAction::Move, {p.x + 200, p.y});
    EXPECT_EQ(pane_->currentSpot(), -1);
    EXPECT_EQ(pane_->backBuffer().At(p.x, p.y - 5), plain);
}

// ---- places -------------------------------------------------------------------------------

TEST_F(MapEdit, AddCityFromThePopupAddsOneLineOnce) {
    Open("JAPAN");
    const std::vector<std::string> before = Lines("JAPAN.CAF");
    const ui::Point chiba = At(35.6047, 140.1233);
    Popup(chiba, 40014);
    ASSERT_EQ(headless::PopupCalls().size(), 1u);
    EXPECT_EQ(pane_->rightClickPoint(), chiba);
    Diff d = Compare(before, Lines("JAPAN.CAF"));
    EXPECT_TRUE(d.removed.empty());
    ASSERT_EQ(d.added.size(), 1u);
    EXPECT_EQ(d.added[0], " 35.605  140.123 Chiba /d6");
    EXPECT_EQ(Sent(150), 1);
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);

    const std::vector<std::string> once = Lines("JAPAN.CAF");
    Popup(chiba, 40014);
    EXPECT_EQ(Lines("JAPAN.CAF"), once);
    // A blank line does not stop a city that is not there yet.
    TempDir::Write("JAPAN.CAF", TempDir::Read("JAPAN.CAF") + "\n");
    Popup(At(34.8167, 134.7), 40014);
    d = Compare(once, Lines("JAPAN.CAF"));
    EXPECT_EQ(d.added.size(), 2u);  // the blank line and the city
}

TEST_F(MapEdit, AMissingCityFileStartsWithItsHeaderAndJoinsTheLists) {
    Open("JAPAN");
    WithoutProgramFolder();
    fs::remove("JAPAN.CAF");
    FreeStringList(&gTextFiles);
    FreeStringList(&gSymbolFiles);
    Popup(At(35.6047, 140.1233), 40014);
    EXPECT_EQ(Lines("JAPAN.CAF"), (std::vector<std::string>{"symbol: circle", "color: white", "thickness: 3",
                                                           "vertical justify: center", " 35.605  140.123 Chiba /d6"}));
    EXPECT_NE(FindStringNode(gTextFiles, "JAPAN.CAF"), nullptr);
    EXPECT_NE(FindStringNode(gSymbolFiles, "JAPAN.CAF"), nullptr);
}

TEST_F(MapEdit, ACityFileThatCannotBeReadIsNotRewritten) {
    Open("JAPAN");
    fs::remove("JAPAN.CAF");
    fs::create_directory("JAPAN.CAF");
    Popup(At(35.6047, 140.1233), 40014);
    EXPECT_TRUE(fs::is_directory("JAPAN.CAF"));
    EXPECT_EQ(Sent(150), 0);
}

TEST_F(MapEdit, DeleteCityRemovesTheLineOfTheLabelClicked) {
    Open("JAPAN");
    const std::vector<std::string> before = Lines("JAPAN.CAF");
    LabelBox* tokyo = LabelNamed("Tokyo");
    ASSERT_NE(tokyo, nullptr);
    Popup(Pane(Centre(tokyo->box)), 40020);
    const Diff d = Compare(before, Lines("JAPAN.CAF"));
    EXPECT_EQ(d.removed, (std::vector<std::string>{" 35.690  139.692 Tokyo"}));
    EXPECT_TRUE(d.added.empty());
    // Nothing under the click: nothing changes.
    const std::vector<std::string> after = Lines("JAPAN.CAF");
    Popup(At(30, 147), 40020);
    EXPECT_EQ(Lines("JAPAN.CAF"), after);
}

TEST_F(MapEdit, PlantsAreDeletedAtTheirLabelOrPointAndAddedBackOnce) {
    Open("JAPAN");
    const std::vector<std::string> before = Lines("JAPAN.npp.txt");
    const std::string genkai = " 33.518  129.837 Genkai /d20 /o1";
    ASSERT_NE(std::find(before.begin(), before.end(), genkai), before.end());
    // Its symbol's point: a plant label sits 20 pixels off it.
    gLabelBoxes.clear();
    Popup(At(33.518, 129.837), 40060);
    Diff d = Compare(before, Lines("JAPAN.npp.txt"));
    EXPECT_EQ(d.removed, (std::vector<std::string>{genkai}));
    EXPECT_TRUE(d.added.empty());

    Popup(At(33.52, 129.84), 40061);
    d = Compare(before, Lines("JAPAN.npp.txt"));
    EXPECT_TRUE(d.removed.empty());
    EXPECT_TRUE(d.added.empty());
    EXPECT_EQ(Lines("JAPAN.npp.txt").back(), genkai);
    const std::vector<std::string> again = Lines("JAPAN.npp.txt");
    Popup(At(33.52, 129.84), 40061);
    EXPECT_EQ(Lines("JAPAN.npp.txt"), again);
}

TEST_F(MapEdit, CitiesAndPlantsFromTheListsAreAddedInOrderWithoutDuplicates) {
    Open("JAPAN");
    WithoutProgramFolder();
    fs::remove("JAPAN.CAF");
    seams_.choice = {0, 2};
    pane_->SetRightClickPoint(At(36, 138));
    pane_->SendCommand(40040);
    ASSERT_GT(seams_.offered.size(), 2u);
    std::vector<std::string> lines = Lines("JAPAN.CAF");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(lines[4].ends_with(" " + seams_.offered[0])) << lines[4];
    EXPECT_TRUE(lines[5].ends_with(" " + seams_.offered[2])) << lines[5];
    pane_->SendCommand(40040);
    EXPECT_EQ(Lines("JAPAN.CAF").size(), 6u);

    seams_.offered.clear();
    seams_.choice = {1};
    fs::remove("JAPAN.npp.txt");
    pane_->SendCommand(40059);
    lines = Lines("JAPAN.npp.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(" " + seams_.offered[1] + " /d20 /o"), std::string::npos) << lines[0];
}

TEST_F(MapEdit, ANewCityGoesIntoTheTableAndTheViewsCityFile) {
    fs::copy_file(DataDir() / "CountryBorders.txt", "CountryBorders.txt");
    TempDir::Write(kCityTableFile, "Aomori,Aomori,Japan,40.8244,140.74,298394,JP\n"
                                   "Zushi,Kanagawa,Japan,35.2964,139.5781,59051,JP\n");
    Open("JAPAN");
    const std::vector<std::string> before = Lines("JAPAN.CAF");
    seams_.newCity = NewCityRow{};
    seams_.newCity->name = "Testville";
    seams_.newCity->population = 42;
    Popup(At(36.25, 139.5), 40039);
    ASSERT_EQ(seams_.cityDialogs.size(), 1u);
    EXPECT_EQ(seams_.cityDialogs[0].country, "Japan");
    const std::vector<std::string> table = Lines(kCityTableFile);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], "Aomori,Aomori,Japan,40.8244,140.74,298394,JP");
    EXPECT_TRUE(table[1].starts_with("Testville,,Japan,36.2")) << table[1];
    EXPECT_TRUE(table[1].ends_with(",42,")) << table[1];
    EXPECT_EQ(table[2], "Zushi,Kanagawa,Japan,35.2964,139.5781,59051,JP");
    const Diff d = Compare(before, Lines("JAPAN.CAF"));
    ASSERT_EQ(d.added.size(), 1u);
    EXPECT_TRUE(d.added[0].ends_with(" Testville")) << d.added[0];
    EXPECT_TRUE(d.removed.empty());

    // A quote in the name is refused and the dialog asked again; Cancel then leaves all.
    seams_.newCity->name = "Say \"cheese\"";
    seams_.newCityAnswers = 2;
    const std::string kept = TempDir::Read(kCityTableFile), cityFile = TempDir::Read("JAPAN.CAF");
    Popup(At(36.25, 139.6), 40039);
    EXPECT_EQ(seams_.cityDialogs.size(), 4u);
    EXPECT_NE(headless::MessageBoxCalls().back().text.find("double quotes"), std::string::npos);
    EXPECT_EQ(TempDir::Read(kCityTableFile), kept);
    EXPECT_EQ(TempDir::Read("JAPAN.CAF"), cityFile);
}

TEST_F(MapEdit, ALocationIsAddedDraggedAndDeleted) {
    Open("JAPAN");
    seams_.texts.push_back("Yamato Bank");
    Popup(At(39.5, 135.0), 40044);
    EXPECT_EQ(seams_.prompts.back(), "New Location");
    std::vector<std::string> lines = Lines("JAPAN.location.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"color: white", "vertical justify: center", "horizontal justify: center"}));
    EXPECT_TRUE(lines[3].ends_with(" YAMATO BANK")) << lines[3];
    ASSERT_NE(FindStringNode(gTextFiles, "JAPAN.location.txt"), nullptr);

    // Moved: the one line rewritten at the new place.
    pane_->RenderView();
    LabelBox* bank = LabelNamed("YAMATO BANK");
    ASSERT_NE(bank, nullptr);
    const ui::Point from = Pane(Centre(bank->box));
    const gfx::Rect old = bank->box.translated({gMapRect.left, gMapRect.top});
    auto whiteIn = [&](const gfx::Rect& r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += pane_->backBuffer().At(x, y) == ColorOf(kWhiteColor);
        return n;
    };
    const int shown = whiteIn(old);
    ASSERT_GT(shown, 20);
    const ui::Point to{from.x + 30, from.y - old.height() - 4};
    headless::Mouse(*pane_, MouseAction::LeftDown, from);
    headless::Mouse(*pane_, MouseAction::Move, to);
    // The label left its old place: the map shows there again, not a copy of it.
    EXPECT_LT(whiteIn(old), shown / 10);
    EXPECT_GT(whiteIn(old.translated(to - from)), shown / 2);
    headless::Mouse(*pane_, MouseAction::LeftUp, to);
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
    std::vector<std::string> moved = Lines("JAPAN.location.txt");
    ASSERT_EQ(moved.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(moved.begin(), moved.begin() + 3),
              std::vector<std::string>(lines.begin(), lines.begin() + 3));
    EXPECT_NE(moved[3], lines[3]);
    EXPECT_TRUE(moved[3].ends_with(" YAMATO BANK")) << moved[3];
    double lat = 0;
    ASSERT_TRUE(ScanLeadingDouble(moved[3], &lat));
    EXPECT_GT(lat, 39.5);  // dragged up, so north

    // Deleted where it now is; the header stays.
    pane_->RenderView();
    bank = LabelNamed("YAMATO BANK");
    ASSERT_NE(bank, nullptr);
    Popup(Pane(Centre(bank->box)), 40045);
    EXPECT_EQ(Lines("JAPAN.location.txt"), std::vector<std::string>(lines.begin(), lines.begin() + 3));
}

// ---- label drags ---------------------------------------------------------------------------

TEST_F(MapEdit, ACountryLabelDragsAndItsLineAloneIsRewritten) {
    fs::copy_file(DataDir() / "CountryBorders.txt", "CountryBorders.txt");
    Open("JAPAN");
    const std::vector<std::string> before = Lines("JAPAN.country.txt");
    LabelBox* korea = LabelNamed("NORTH KOREA");
    ASSERT_NE(korea, nullptr);
    const ui::Point from = Pane(Centre(korea->box));
    Drag(from, {from.x + 6, from.y + 4});
    const Diff d = Compare(before, Lines("JAPAN.country.txt"));
    EXPECT_EQ(d.removed, (std::vector<std::string>{"40.16 127.20 NORTH KOREA /CENTROID"}));
    ASSERT_EQ(d.added.size(), 1u);
    EXPECT_TRUE(d.added[0].ends_with(" NORTH KOREA")) << d.added[0];
    EXPECT_EQ(Sent(150), 1);

    // A city label is not dragged: its file stays as it is.
    pane_->RenderView();
    const std::string cities = TempDir::Read("JAPAN.CAF");
    LabelBox* tokyo = LabelNamed("Tokyo");
    ASSERT_NE(tokyo, nullptr);
    const ui::Point t = Pane(Centre(tokyo->box));
    Drag(t, {t.x + 30, t.y + 30});
    EXPECT_EQ(TempDir::Read("JAPAN.CAF"), cities);
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
}

TEST_F(MapEdit, AStateLabelStaysInsideItsStatesPolygon) {
    // Square states around a label at 32 N 145 E: a wide one holds the whole
    // box inside, a narrow one only its centre.
    struct Case {
        const char* polygon;
        bool centreOnly;
        double east;  // the state's east edge
    } cases[] = {
        {"    5 SQUARE\n29 140\n29 148\n35 148\n35 140\n29 140\n", false, 148},
        {"    5 SQUARE\n30 143\n30 147\n34 147\n34 143\n30 143\n", true, 147},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.east);
        TempDir::Write("box-states.txt", k.polygon);
        TempDir::Write("JAPAN.state.txt", "vertical justify: center\nhorizontal justify: center\n32.00 145.00 SQUARE\n");
        Open("JAPAN");
        AppendStringNode(&gTextFiles, "JAPAN.state.txt");
        pane_->SetBorderSets(std::make_unique<BorderSet>("box-states.txt"), nullptr, nullptr);
        pane_->RenderView();
        LabelBox* square = LabelNamed("SQUARE");
        ASSERT_NE(square, nullptr);
        const ui::Point from = Pane(Centre(square->box));
        const ui::Point east = At(32, 149.8);
        headless::Mouse(*pane_, MouseAction::LeftDown, from);
        ASSERT_TRUE(square->region);
        EXPECT_EQ(square->centreOnly, k.centreOnly);
        for (int x = from.x; x <= east.x; x += 4) headless::Mouse(*pane_, MouseAction::Move, {x, from.y});
        const gfx::Rect box = square->currentBox;
        headless::Mouse(*pane_, MouseAction::LeftUp, east);
        double c[4];
        const int x = k.centreOnly ? (box.left + box.right) / 2 : box.right;
        pane_->ScreenRectToLatLon(c, x, box.top, x, box.bottom);
        EXPECT_LE(c[0], k.east);
        EXPECT_GT(c[0], k.east - 0.5);  // it did move, up to the edge
        std::vector<std::string> lines = Lines("JAPAN.state.txt");
        ASSERT_EQ(lines.size(), 3u);
        double lat = 0, lon = 0;
        std::size_t used = 0;
        ASSERT_TRUE(ScanLeadingDouble(lines[2], &lat, &used));
        ASSERT_TRUE(ScanLeadingDouble(std::string_view(lines[2]).substr(used), &lon));
        EXPECT_GT(lon, 145.2);  // east of where it was
        EXPECT_LT(lon, k.east);
        EXPECT_TRUE(lines[2].ends_with(" SQUARE")) << lines[2];
    }
}

// ---- the pop-up and capture -----------------------------------------------------------------

TEST_F(MapEdit, ThePopupOffersTheEditsAndAClickBeyondThePaneDoesNothing) {
    Open("JAPAN");
    headless::ScriptPopupAnswer(0);
    headless::Mouse(*pane_, MouseAction::RightDown, {300, 200});
    ASSERT_EQ(headless::PopupCalls().size(), 1u);
    const std::vector<int> ids = headless::PopupCalls()[0].enabledIds;
    for (int id : {40014, 40040, 40039, 40020, 40031, 40032, 40030, 40033, 40034, 40021, 40061, 40059, 40060, 40044,
                   40045})
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;

    // Modes that need a place: a point outside the pane ends them unused.
    struct {
        int mode;
        int after;
    } modes[] = {{kMouseAddCity, kMouseIdle},   {kMouseAddNewCity, kMouseIdle}, {kMouseDeleteCity, kMouseIdle},
                 {kMouseAddPlant, kMouseIdle},  {kMouseDeletePlant, kMouseIdle}, {kMouseAddLocation, kMouseIdle},
                 {kMouseCrossSection, kMouseCrossSection}, {kMouseDigitize, kMouseDigitize}};
    for (const auto& m : modes) {
        pane_->SetMouseMode(m.mode);
        Click({5000, 5000});
        EXPECT_EQ(pane_->mouseMode(), m.after) << m.mode;
    }
    EXPECT_EQ(seams_.clicks, 1);  // the cross-section's tone
    EXPECT_TRUE(seams_.prompts.empty());
    EXPECT_TRUE(seams_.cityDialogs.empty());
}

// ---- map tools ---------------------------------------------------------------------------

TEST(MapToolArithmetic, LinesBandsCoordinatesAndScaleLengths) {
    EXPECT_EQ(LinePoints(0, 0, 3, 1), (std::vector<gfx::Point>{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(LinePoints(2, 2, 2, 2), (std::vector<gfx::Point>{{2, 2}}));
    EXPECT_EQ(LinePoints(0, 3, 0, 0).size(), 4u);
    EXPECT_EQ(LinePoints(5, 0, 0, 2).front(), (gfx::Point{5, 0}));
    EXPECT_EQ(LinePoints(5, 0, 0, 2).back(), (gfx::Point{0, 2}));

    EXPECT_EQ(CoordinateText(0, 0), "  0.000     0.000 ");
    EXPECT_EQ(CoordinateText(-12.5, 170.25), " 12.500S  170.250E");
    EXPECT_EQ(CoordinateText(45, -0.5), " 45.000N    0.500W");

    struct {
        double d;
        int length;
    } scales[] = {{0.2, 1}, {1, 1}, {6.9, 6}, {7, 10}, {10, 10}, {10.5, 10}, {63, 60}, {69.9, 60},
                  {70.1, 100}, {4321, 4000}, {98765, 100000}, {12, 10}};
    for (const auto& s : scales) EXPECT_EQ(ScaleLength(s.d), s.length) << s.d;
    // The length is always 1..6 or 10 times a power of ten.
    for (double d = 0.5; d < 1e6; d *= 1.37) {
        int v = ScaleLength(d);
        while (v % 10 == 0 && v > 10) v /= 10;
        EXPECT_TRUE((v >= 1 && v <= 6) || v == 10) << d;
    }
}

TEST_F(MapEdit, TheScaleBoxDrawsDragsWithinThePaneAndKeepsItsPlace) {
    Open("JAPAN");
    ASSERT_TRUE(gShowMapScale);
    ASSERT_TRUE(pane_->scaleBox());
    const ScaleBox first = *pane_->scaleBox();
    EXPECT_GT(first.right, first.left);
    const gfx::Rect r = pane_->scaleBoxRect();
    ASSERT_FALSE(r.empty());

    // Dragged far to the left and down: held 20 pixels inside the pane box and above its bottom.
    const ui::Point grab = Pane({(r.left + r.right) / 2, r.bottom - 2});
    headless::Mouse(*pane_, MouseAction::LeftDown, grab);
    EXPECT_EQ(pane_->mouseMode(), kMouseScaleDrag);
    EXPECT_EQ(ui::Window::CaptureWindow(), pane_);
    headless::Mouse(*pane_, MouseAction::Move, {grab.x - 900, grab.y + 2000});
    EXPECT_EQ(pane_->scaleBox()->left, 20);
    EXPECT_EQ(pane_->scaleBox()->right - pane_->scaleBox()->left, first.right - first.left);
    EXPECT_EQ(pane_->scaleBox()->baseline, gPaneHeight - 20);
    headless::Mouse(*pane_, MouseAction::LeftUp, {grab.x - 900, grab.y + 2000});
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
    EXPECT_EQ(Sent(150), 1);
    EXPECT_EQ(gScalePosition.x, 20);
    EXPECT_EQ(gScalePosition.y, gPaneHeight - 20);

    pane_->RenderView();
    EXPECT_EQ(pane_->scaleBox()->left, 20);
    EXPECT_EQ(pane_->scaleBox()->length, first.length);

    // Far right: the right end stops 50 pixels inside.
    ScaleBox b = *pane_->scaleBox();
    MoveScaleBox(b, 5000, -5000);
    EXPECT_EQ(b.right, gPaneWidth - 50);
    EXPECT_EQ(b.right - b.left, first.right - first.left);
    EXPECT_EQ(b.baseline, 50);
}

TEST_F(MapEdit, TheBandMakesAUserMapClampedToTheMap) {
    Open("JAPAN");
    pane_->SetMouseMode(kMouseUserMap);
    const ui::Point start = At(40, 130);
    headless::Mouse(*pane_, MouseAction::LeftDown, start);
    EXPECT_TRUE(pane_->bandActive());
    EXPECT_EQ(ui::Window::CaptureWindow(), pane_);
    headless::Mouse(*pane_, MouseAction::Move, {5000, 5000});
    EXPECT_EQ(pane_->bandRect().right, gMapRect.right);
    EXPECT_EQ(pane_->bandRect().bottom, gMapRect.bottom);
    headless::Mouse(*pane_, MouseAction::Move, {-5000, -5000});
    EXPECT_EQ(pane_->bandRect().left, gMapRect.left);
    EXPECT_EQ(pane_->bandRect().top, gMapRect.top);
    const ui::Point end = At(35, 140);
    headless::Mouse(*pane_, MouseAction::Move, end);
    fs::copy_file("JAPAN.CAF", "yours.caf");
    headless::ScriptMessageBoxAnswer(ui::IdYes);
    headless::Mouse(*pane_, MouseAction::LeftUp, end);
    EXPECT_EQ(headless::MessageBoxCalls().back().text, "Want to make a new map?");
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);
    EXPECT_EQ(gMapName, "Yours");
    EXPECT_NEAR(gMapNorth, 40, 0.1);
    EXPECT_NEAR(gMapSouth, 35, 0.1);
    EXPECT_NEAR(gMapWest, 130, 0.1);
    EXPECT_NEAR(gMapEast, 140, 0.1);
    EXPECT_FALSE(fs::exists("yours.caf"));
    EXPECT_TRUE(fs::exists("Yours"));
    EXPECT_EQ(Sent(149), 1);

    // A band of a pixel gives a map a quarter of a degree wide and high.
    const UserMapBounds tiny = BandBounds(*pane_, {10, 10, 11, 11});
    EXPECT_NEAR(tiny.east - tiny.west, 0.25, 1e-9);
    EXPECT_NEAR(tiny.north - tiny.south, 0.25, 1e-9);
}

TEST_F(MapEdit, WithFullScreenTheBandKeepsTheMapsProportionsUnlessItIsNarrow) {
    Open("JAPAN");
    gControls[kControlUseFullScreen] = 1;
    const ui::Point s{gMapRect.left + 10, gMapRect.top + 10};
    const ui::Point e = BandEnd(s, {s.x + 200, s.y + 5});
    EXPECT_EQ(e.x, s.x + 200);
    EXPECT_EQ(e.y, s.y + static_cast<int>(200.0 * gMapHeight / gMapWidth));
    EXPECT_EQ(BandEnd(s, {s.x + 1, s.y + 90}), (ui::Point{s.x + 1, s.y + 90}));
    const ui::Point tall = BandEnd(s, {s.x + 10, s.y + 300});
    EXPECT_EQ(tall.y, s.y + 300);
    EXPECT_EQ(tall.x, std::min(s.x + static_cast<int>(300.0 * gMapWidth / gMapHeight), gMapRect.left + gMapWidth));
}

TEST_F(MapEdit, TheProbeShowsCoordinatesUntilTheNextClick) {
    Open("JAPAN");
    pane_->SetMouseMode(kMouseProbe);
    const ui::Point p = At(36, 138);
    headless::Mouse(*pane_, MouseAction::Move, p);
    int yellow = 0;
    const gfx::Color y = ColorOf(14);
    for (int dy = 0; dy < 60; ++dy)
        for (int dx = -150; dx < 150; ++dx) {
            const auto px = pane_->backBuffer().Pixel({p.x + dx, p.y + dy});
            yellow += px && *px == y;
        }
    EXPECT_GT(yellow, 100);
    Click(p);
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);
}

TEST_F(MapEdit, TheCrossSectionCentreFollowsTheHeldButton) {
    Open("JAPAN");
    pane_->SetMouseMode(kMouseCrossSection);
    headless::Mouse(*pane_, MouseAction::LeftDown, At(38, 140));
    EXPECT_NEAR(gXsLatitude, 38, 0.1);
    EXPECT_NEAR(gXsLongitude, 140, 0.1);
    EXPECT_EQ(Sent(1048), 1);
    headless::Mouse(*pane_, MouseAction::Move, At(36, 136));
    EXPECT_NEAR(gXsLongitude, 136, 0.1);
    EXPECT_EQ(Sent(1048), 2);
    headless::Mouse(*pane_, MouseAction::LeftUp, At(36, 136));
    headless::Mouse(*pane_, MouseAction::Move, At(30, 130));
    EXPECT_EQ(Sent(1048), 2);
    EXPECT_EQ(pane_->mouseMode(), kMouseCrossSection);
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
}

TEST_F(MapEdit, ADigitisedOutlineReadsBackAsABorderFile) {
    Open("JAPAN");
    ASSERT_TRUE(pane_->SendCommand(1015));
    const ui::Point a = At(36, 137), b = At(36, 139), c = At(38, 138);
    Click(a);
    headless::Mouse(*pane_, MouseAction::Move, b);  // the preview line
    Click(b);
    headless::Mouse(*pane_, MouseAction::LeftDown, c);
    headless::Mouse(*pane_, MouseAction::LeftUp, c);
    EXPECT_EQ(pane_->digitizedPoints().size(), 3u);
    // The file names refused first: a bundled border set, a folder, nothing.
    seams_.texts = {"CountryBorders", "../up", "", "Kanto"};
    headless::Mouse(*pane_, MouseAction::LeftDoubleClick, c);
    EXPECT_EQ(seams_.prompts, (std::vector<std::string>(4, "Digitize")));
    EXPECT_EQ(pane_->mouseMode(), kMouseIdle);
    const std::vector<std::string> lines = Lines("Kanto.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "    3 KANTO");
    BorderSet set("Kanto.txt");
    ASSERT_EQ(set.polygons().size(), 1u);
    EXPECT_EQ(set.polygons()[0]->name, "KANTO");
    ASSERT_EQ(set.polygons()[0]->count(), 3);
    EXPECT_NEAR(set.polygons()[0]->points[1].x, 139, 0.1);
    EXPECT_NEAR(set.polygons()[0]->points[2].y, 38, 0.1);
    EXPECT_FALSE(fs::exists("CountryBorders.txt"));
    EXPECT_FALSE(fs::exists("../up.txt"));

    // An existing file is replaced only when the user says so.
    pane_->SendCommand(1015);
    Click(a);
    Click(c);
    seams_.texts = {"Kanto"};
    headless::ScriptMessageBoxAnswer(ui::IdNo);
    headless::Mouse(*pane_, MouseAction::LeftDoubleClick, c);
    EXPECT_EQ(Lines("Kanto.txt"), lines);
    EXPECT_TRUE(pane_->digitizedPoints().empty());
}

TEST_F(MapEdit, EveryRenderingReleasesTheMouse) {
    Open("JAPAN");
    pane_->SetMouseMode(kMouseUserMap);
    headless::Mouse(*pane_, MouseAction::LeftDown, At(40, 130));
    ASSERT_EQ(ui::Window::CaptureWindow(), pane_);
    pane_->RenderView();
    EXPECT_EQ(ui::Window::CaptureWindow(), nullptr);
    EXPECT_FALSE(pane_->dragInProgress());
}

}  // namespace
