// The catalogue editor: its page arithmetic, the fields of one record, and
// the dialogs driven as a user would, checked against the catalogue's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>
#include <random>
#include <string>
#include <vector>

#include "app/catalogue_editor.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "core/catalogue_edit.h"
#include "core/catalogue_rebuild.h"
#include "core/quake.h"
#include "core/view.h"
#include "platform/sys/files.h"
#include "tests/app/app_fixture.h"
#include "tests/app/map_pane_double.h"
#include "tests/support/catalogue_file.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
namespace fs = std::filesystem;
using apptest::AppTest;

namespace {

QuakeRecord At(int day, int hour, double magnitude) {
    return MakeEventRecord(nullptr, 2021, 7, day, hour, 0, 0.0, 35.5, 139.25, 30.0, magnitude);
}

// ---- arithmetic -------------------------------------------------------------------------

TEST(EditorPage, ThePageShowsTheCurrentRecordAndFillsFromTheEnd) {
    struct Case {
        std::int32_t current, count, lines;
        EditorPage want;
    } cases[] = {
        {4, 5, 20, {4, 0, 5, 4}},            // a short catalogue: all of it, the last selected
        {0, 5, 20, {0, 0, 5, 0}},
        {99, 100, 20, {99, 80, 20, 19}},     // at the end the page ends with the file
        {10, 100, 20, {10, 10, 20, 0}},      // elsewhere the current record is on top
        {85, 100, 20, {85, 80, 20, 5}},
        {500, 100, 20, {99, 80, 20, 19}},    // held inside the file
        {-3, 100, 20, {0, 0, 20, 0}},
        {-1, 0, 20, {0, 0, 0, -1}},          // an empty catalogue: an empty list, no line -1
    };
    for (const Case& c : cases) {
        const EditorPage p = PageFor(c.current, c.count, c.lines);
        SCOPED_TRACE(std::to_string(c.current) + " of " + std::to_string(c.count));
        EXPECT_EQ(p.current, c.want.current);
        EXPECT_EQ(p.first, c.want.first);
        EXPECT_EQ(p.lines, c.want.lines);
        EXPECT_EQ(p.selected, c.want.selected);
    }
    EXPECT_EQ(ScrollStep(130000), 3);
    EXPECT_EQ(130000 / ScrollStep(130000), 43333);
    EXPECT_EQ(ScrollStep(59999), 1);
    EXPECT_EQ(EditorListLine(4, At(5, 6, 4.4)).substr(0, 7), "    5: ");
    EXPECT_EQ(EditorListLine(123456, At(5, 6, 4.4)).substr(0, 8), "123457: ");
}

// ---- one record's fields ------------------------------------------------------------------

EventFields Typed(std::initializer_list<const char*> texts) {
    EventFields f;
    std::size_t i = 0;
    for (const char* t : texts) f[i++] = t;
    return f;
}

TEST(EventFields, EachFieldOutsideItsRangeIsRefusedAndNothingIsStored) {
    const EventFields good = Typed({"2011", "3", "11", "5", "46", "23.4", "38.3", "N", "142.4", "E", "29", "9.0"});
    struct Case {
        std::size_t field;
        const char* typed;
        const char* caption;  // empty: accepted
    } cases[] = {
        {0, "0", "Problem in year"},       {0, "2100", "Problem in year"},  {0, "-1", "Problem in year"},
        {0, "65537", "Problem in year"},   {0, "abc", "Problem in year"},   {0, "2099", ""},
        {0, "1", ""},                      {0, "2011xyz", ""},
        {1, "0", "Problem in month"},      {1, "13", "Problem in month"},
        {2, "0", "Problem in day"},        {2, "32", "Problem in day"},     {2, "31", ""},
        {3, "24", "Problem in hour"},      {3, "-1", "Problem in hour"},    {3, "23", ""},
        {4, "60", "Problem in minute"},    {4, "59", ""},                   {4, "", "Problem in minute"},
        {3, "abc", "Problem in hour"},     {3, "7.9", ""},                  {6, "", "Problem in latitude"},
        {8, "x", "Problem in longitude"},  {10, "", "Problem in depth"},    {11, "", "Problem in magnitude"},
        {5, "60", "Problem in second"},    {5, "59.96", "Problem in second"}, {5, "-0.1", "Problem in second"},
        {5, "59.94", ""},                  {5, "nan", "Problem in second"},
        {6, "91", "Problem in latitude"},  {6, "-1", "Problem in latitude"}, {6, "86", ""}, {6, "90", ""},
        {7, "X", "Problem in North-South"}, {7, "", "Problem in North-South"}, {7, "s", ""},
        {8, "180.1", "Problem in longitude"}, {8, "180", ""},
        {9, "Q", "Problem in East-West"},  {9, "west", ""},
        {10, "-10.1", "Problem in depth"}, {10, "1000.5", "Problem in depth"}, {10, "-10", ""},
        {11, "10.1", "Problem in magnitude"}, {11, "-1", "Problem in magnitude"}, {11, "10", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " \"" + c.typed + "\"");
        EventFields f = good;
        f[c.field] = c.typed;
        QuakeRecord q = At(1, 1, 1.0);
        const QuakeRecord before = q;
        const auto problem = ReadEventFields(f, &q);
        if (*c.caption) {
            ASSERT_TRUE(problem.has_value());
            EXPECT_EQ(problem->caption, c.caption);
            EXPECT_EQ(problem->text, c.typed);
            EXPECT_EQ(CatalogueBytes({q}), CatalogueBytes({before}));
        } else {
            EXPECT_FALSE(problem.has_value()) << problem->caption;
        }
    }
    // The day is checked against its month and year.
    for (const auto& [year, month, day, ok] : std::vector<std::tuple<const char*, const char*, const char*, bool>>{
             {"2021", "2", "29", false}, {"2020", "2", "29", true}, {"1900", "2", "29", false},
             {"2000", "2", "29", true}, {"2021", "4", "31", false}, {"2021", "4", "30", true}}) {
        EventFields f = good;
        f[0] = year, f[1] = month, f[2] = day;
        QuakeRecord q;
        EXPECT_EQ(!ReadEventFields(f, &q).has_value(), ok) << year << "-" << month << "-" << day;
    }
}

TEST(EventFields, TypedValuesAreStoredRoundedToTheirUnits) {
    QuakeRecord q;
    ASSERT_FALSE(ReadEventFields(Typed({"2011", "3", "11", "5", "46", "30.5", "38.3", "S", "142.4", "W", "-10", "4.25"}), &q));
    EXPECT_EQ(q.date, (PackedDate{2011, 3, 11}));
    EXPECT_EQ(q.minute, 5 * 60 + 46);
    EXPECT_EQ(q.tenths, 305);
    EXPECT_EQ(q.latitude, -137880000);
    EXPECT_EQ(q.longitude, -512640000);
    EXPECT_EQ(q.depth, -1000000);
    EXPECT_EQ(q.magnitude, 43);
    TimeValue t;
    t.SetDateMinuteSecond(q.date, q.minute, 30.5);
    EXPECT_EQ(QuakeTime(q), t);
}

TEST(EventFields, AStoredRecordShownAndReadBackKeepsEveryByte) {
    std::mt19937 random(7);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int i = 0; i < 3000; ++i) {
        QuakeRecord q;
        q.date = PackedDate{static_cast<std::uint16_t>(pick(1, 2099)), static_cast<std::uint8_t>(pick(1, 12)),
                            static_cast<std::uint8_t>(pick(1, 28))};
        q.minute = static_cast<std::uint16_t>(pick(0, 1439));
        q.tenths = static_cast<std::int16_t>(pick(0, 599));
        q.latitude = pick(-90 * 3600000, 90 * 3600000);
        q.longitude = pick(-180 * 3600000, 180 * 3600000);
        q.depth = pick(-1000000, 100000000);
        q.magnitude = static_cast<std::uint8_t>(pick(0, 100));
        QuakeRecord back = q;
        back.latitude = back.longitude = back.depth = 0;
        const EventFields shown = EventFieldsOf(q);
        const auto problem = ReadEventFields(shown, &back);
        ASSERT_FALSE(problem.has_value()) << problem->caption << " " << problem->text;
        ASSERT_EQ(CatalogueBytes({back}), CatalogueBytes({q})) << shown[6] << " " << shown[8] << " " << shown[10];
    }
    // The zero record the first Add starts from shows today's date, not a year 0.
    hl::Reset();
    const EventFields fresh = EventFieldsOf(QuakeRecord{});
    EXPECT_EQ(fresh[0], "2026");
    EXPECT_EQ(fresh[7], "N");
}

// ---- the dialogs on a running frame --------------------------------------------------------

std::vector<QuakeRecord> gAlerts;

struct AlertRecordingPane : apptest::QuietMapPane {
    using QuietMapPane::QuietMapPane;
    void BuildAlertView(const QuakeRecord& q) override { gAlerts.push_back(q); }
};

const std::vector<QuakeRecord> kFive = {At(1, 0, 4.0), At(2, 0, 4.1), At(3, 0, 4.2), At(4, 0, 4.3), At(5, 0, 4.4)};

class CatalogueEditor : public AppTest {
protected:
    CatalogueEditor() {
        ResetViewSettings();
        gAlerts.clear();
        SetMapPaneMaker(&apptest::MakePane<AlertRecordingPane>);
        gControls[kControlAutoStartView] = 1;
        gControls[kControlWelcomeScreen] = 0;
        gControls[kControlStartScreen] = 0;
        TempDir::Write("QUAKES", "EVENT FILE: CAT.HY4\nEARTHQUAKES: YES\nMINIMUM YEAR: 2021\n");
        EXPECT_TRUE(WriteQuakeFile("CAT.HY4", kFive));
        frame_ = Start();
        frame_->OpenView("QUAKES");
        EXPECT_TRUE(frame_->viewOpen());
        hl::Advance(50);
    }
    ~CatalogueEditor() override {
        SetMapPaneMaker(nullptr);
        ResetViewSettings();
    }

    // Runs the editor with the script; what it saw is checked after it closed.
    void Edit(std::function<int(editEvtDialog&)> script) {
        hl::ScriptDialog(kEditEventsTemplate, [script](ui::Dialog& d) { return script(static_cast<editEvtDialog&>(d)); });
        ASSERT_TRUE(frame_->SendCommand(kCmEditEarthquakeFile));
        EXPECT_FALSE(CatalogueUpdateHold::Taken());
        EXPECT_EQ(gQuakeCatalogue, nullptr);  // closed whichever way the editor ended
    }
    static ui::ListBox& List(ui::Dialog& d) { return *d.Item<ui::ListBox>(101); }
    static void Press(ui::Dialog& d, int id) { d.Item<ui::Button>(id)->Click(); }
    static void SelectRecord(editEvtDialog& d, std::int32_t index) { List(d).UserClick(index - d.first()); }
    // The Add Event dialog takes these texts (null: as shown) and presses OK.
    static void ScriptFields(std::initializer_list<const char*> typed) {
        hl::ScriptDialog(kAddEventTemplate, [texts = std::vector<const char*>(typed)](ui::Dialog& d) {
            std::size_t i = 0;
            for (const char* t : texts) {
                if (t) d.Item<ui::Edit>(kEventFieldIds[i])->UserSetText(t);
                ++i;
            }
            return ui::IdOk;
        });
    }

    myFrame* frame_ = nullptr;
};

TEST_F(CatalogueEditor, AddEditAndDeleteAsAUserWouldEachRewriteTheFile) {
    std::vector<QuakeRecord> model = kFive;
    Edit([&](editEvtDialog& d) {
        // Five records in a longer list: numbered 1 to 5, the last selected; the clock held.
        EXPECT_TRUE(gPaused);
        EXPECT_TRUE(CatalogueUpdateHold::Taken());
        EXPECT_EQ(List(d).count(), 5);
        EXPECT_EQ(List(d).selIndex(), 4);
        EXPECT_GE(d.pageLength(), 5);
        EXPECT_EQ(List(d).String(0).substr(0, 7), "    1: ");
        EXPECT_EQ(List(d).String(4), "    5:  2021/07/05 00:00:00 35.5N 139.2E  30 4.4 ");

        // Add, between the second and the third.
        ScriptFields({"2021", "7", "2", "12", "30", "30.5", "10", "S", "20", "W", "15", "5.5"});
        Press(d, 102);
        const QuakeRecord added = MakeEventRecord(nullptr, 2021, 7, 2, 12, 30, 30.5, -10, -20, 15, 5.5);
        model.insert(model.begin() + 2, added);
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(model));
        EXPECT_EQ(d.current(), 2);
        EXPECT_EQ(List(d).count(), 6);
        EXPECT_EQ(List(d).selIndex(), 2);

        // OK on a record left as it was changes no byte.
        SelectRecord(d, 4);
        hl::ScriptDialogAnswer(kAddEventTemplate, ui::IdOk);
        Press(d, 104);
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(model));

        // Edit the fourth record's day to the 1st: it moves to the front.
        SelectRecord(d, 3);
        ScriptFields({nullptr, nullptr, "1", "0", "0", "0"});
        Press(d, 104);
        QuakeRecord moved = model[3];
        moved.date.day = 1;
        model.erase(model.begin() + 3);
        model.insert(model.begin(), moved);
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(model));
        EXPECT_EQ(d.current(), 0);

        // Delete the last, after the question.
        SelectRecord(d, 5);
        hl::ScriptMessageBoxAnswer(ui::IdOk);
        Press(d, 103);
        EXPECT_EQ(hl::MessageBoxCalls().back().caption, "Destroy this event?");
        EXPECT_EQ(hl::MessageBoxCalls().back().text, EditorListLine(5, model[5]));
        model.pop_back();
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(model));
        EXPECT_EQ(List(d).count(), 5);
        return ui::IdOk;
    });
    EXPECT_FALSE(gPaused);
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(model));
}

TEST_F(CatalogueEditor, ARefusedFieldKeepsTheDialogOpenAndCancelLeavesTheFile) {
    Edit([&](editEvtDialog& d) {
        ScriptFields({"2100"});
        hl::ScriptDialog(kAddEventTemplate, [](ui::Dialog& add) {
            // Still open after the message, with what was typed.
            EXPECT_EQ(add.Item<ui::Edit>(101)->text(), "2100");
            return ui::IdCancel;
        });
        Press(d, 102);
        EXPECT_EQ(hl::MessageBoxCalls().back().caption, "Problem in year");
        EXPECT_EQ(hl::MessageBoxCalls().back().text, "2100");
        // Deleting asks first; Cancel keeps the record.
        SelectRecord(d, 1);
        hl::ScriptMessageBoxAnswer(ui::IdCancel);
        Press(d, 103);
        // Nothing selected: Edit, Delete and Create Alert do nothing.
        List(d).SetSelIndex(-1);
        for (int id : {103, 104, 1029}) Press(d, id);
        return 0;  // closed with Escape
    });
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kFive));
    EXPECT_FALSE(fs::exists("CAT.hyt"));
    EXPECT_TRUE(gAlerts.empty());
}

TEST_F(CatalogueEditor, TheScrollBarPagesThroughTheWholeFile) {
    for (const int count : {400, 130000}) {
        SCOPED_TRACE(count);
        std::vector<QuakeRecord> many;
        many.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            many.push_back(MakeEventRecord(nullptr, 1900 + i / 1200, 1 + i / 100 % 12, 1 + i % 100 / 4, i % 4 * 6, 0,
                                           0, 1, 1, 1, 3));
        ASSERT_TRUE(std::is_sorted(many.begin(), many.end(),
                                   [](const QuakeRecord& a, const QuakeRecord& b) { return QuakeTime(a) < QuakeTime(b); }));
        ASSERT_TRUE(WriteQuakeFile("CAT.HY4", many));
        const int step = count / 60000 + 1;
        Edit([&](editEvtDialog& d) {
            auto& bar = *d.Item<ui::ScrollBar>(106);
            const int page = d.pageLength();
            EXPECT_EQ(bar.maximum(), count / step);
            EXPECT_EQ(bar.position(), count / step);
            EXPECT_EQ(d.first(), count - page);
            EXPECT_EQ(List(d).selIndex(), page - 1);
            bar.UserScroll(ui::ScrollAction::Top);
            EXPECT_EQ(d.current(), 0);
            EXPECT_EQ(List(d).String(0).substr(0, 7), "    1: ");
            bar.UserScroll(ui::ScrollAction::LineDown);
            EXPECT_EQ(d.current(), step);
            EXPECT_EQ(d.first(), step);
            bar.UserScroll(ui::ScrollAction::PageDown);
            EXPECT_EQ(d.first(), step * (1 + page));
            EXPECT_EQ(List(d).count(), page);
            return ui::IdOk;
        });
    }
}

TEST_F(CatalogueEditor, AnEmptyCatalogueOpensAnEmptyListThatTakesAnAdd) {
    ASSERT_TRUE(WriteQuakeFile("CAT.HY4", {}));
    Edit([&](editEvtDialog& d) {
        EXPECT_EQ(List(d).count(), 0);
        EXPECT_EQ(List(d).selIndex(), -1);
        for (int id : {103, 104, 1029}) Press(d, id);
        ScriptFields({"2021", "7", "9", "1", "2", "3", "4", "N", "5", "E", "6", "7"});
        Press(d, 102);
        EXPECT_EQ(List(d).count(), 1);
        return ui::IdOk;
    });
    EXPECT_EQ(ReadCatalogueFile("CAT.HY4").size(), 1u);
}

TEST_F(CatalogueEditor, WhileOpenTheHousekeepingOpensNoViewAndAnUpdateIsRefused) {
    gPendingOpenView = true;
    Edit([&](editEvtDialog&) {
        hl::Advance(2500);
        EXPECT_TRUE(gPendingOpenView);  // the tick left it for later
        CatalogueUpdateHold update;
        EXPECT_FALSE(update.held());
        EXPECT_EQ(OpenQuakeCatalogue(false), nullptr);
        return ui::IdOk;
    });
    hl::Advance(1000);
    EXPECT_FALSE(gPendingOpenView);
    gPendingOpenView = false;
}

TEST_F(CatalogueEditor, AMissingCatalogueOrARunningUpdateClosesTheEditorWithAMessage) {
    {
        CatalogueUpdateHold update;
        ASSERT_TRUE(frame_->SendCommand(kCmEditEarthquakeFile));
        EXPECT_NE(hl::MessageBoxCalls().back().text.find("being updated"), std::string::npos);
    }
    fs::remove("CAT.HY4");
    ASSERT_TRUE(frame_->SendCommand(kCmEditEarthquakeFile));
    EXPECT_NE(hl::MessageBoxCalls().back().text.find("CAT.HY4"), std::string::npos);
    EXPECT_FALSE(CatalogueUpdateHold::Taken());
    EXPECT_FALSE(fs::exists("CAT.HY4"));
}

TEST_F(CatalogueEditor, CreateAlertEventBuildsTheSelectedRecordsViewAndCloses) {
    Edit([&](editEvtDialog& d) {
        SelectRecord(d, 2);
        Press(d, 1029);
        EXPECT_FALSE(d.running());
        return 0;
    });
    ASSERT_EQ(gAlerts.size(), 1u);
    EXPECT_EQ(CatalogueBytes({gAlerts[0]}), CatalogueBytes({kFive[2]}));
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kFive));
}

}  // namespace
