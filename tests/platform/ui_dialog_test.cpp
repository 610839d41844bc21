#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/ui/dialog.h"
#include "platform/ui/headless/headless.h"
#include "tests/platform/ui_fixture.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using ui::ControlKind;

namespace {

constexpr int kMagnitude = 10;  // a small prompt: one edit, OK, Cancel, Help
constexpr int kAdjust = 13;     // a strip without caption: up-downs, a list, a scroll bar

void RegisterTemplates() {
    ui::RegisterDialogTemplate({kMagnitude, "Magnitude", "MS Sans Serif", 8, {0, 0, 217, 57}, 0, {
        {ControlKind::Static, -1, "Magnitude", 0, ui::Rect::FromSize(7, 9, 40, 8)},
        {ControlKind::Edit, 101, "", 0, ui::Rect::FromSize(50, 7, 40, 12)},
        {ControlKind::DefaultButton, ui::IdOk, "OK", 0, ui::Rect::FromSize(160, 6, 50, 14)},
        {ControlKind::Button, ui::IdCancel, "Cancel", 0, ui::Rect::FromSize(160, 23, 50, 14)},
        {ControlKind::Button, 9, "Help", 0, ui::Rect::FromSize(160, 40, 50, 14)},
    }});
    ui::RegisterDialogTemplate({kAdjust, "", "MS Sans Serif", 8, ui::Rect::FromSize(10, 320, 248, 81), ui::dlg::kNoCaption, {
        {ControlKind::Edit, 101, "", ui::ctl::kUpperCase, ui::Rect::FromSize(5, 5, 30, 12)},
        {ControlKind::UpDown, 102, "", 0, ui::Rect::FromSize(35, 5, 10, 12)},
        {ControlKind::ListBox, 103, "", ui::ctl::kMultiSelect | ui::ctl::kNotify, ui::Rect::FromSize(5, 20, 80, 40)},
        {ControlKind::ScrollBar, 106, "", ui::ctl::kVertical, ui::Rect::FromSize(85, 20, 10, 40)},
        {ControlKind::RadioButton, 114, "None", ui::ctl::kGroup, ui::Rect::FromSize(100, 5, 40, 10)},
        {ControlKind::RadioButton, 115, "Blue", 0, ui::Rect::FromSize(100, 15, 40, 10)},
        {ControlKind::CheckBox, 119, "Bathymetry", ui::ctl::kGroup, ui::Rect::FromSize(100, 25, 40, 10)},
        {ControlKind::DateTimePicker, 1044, "", 0, ui::Rect::FromSize(150, 5, 90, 12)},
        {ControlKind::Button, ui::IdOk, "OK", 0, ui::Rect::FromSize(150, 60, 40, 14)},
    }});
}

// Writes its setting at set-up and reads it back at OK, refusing values above 10.
class MagDialog : public ui::Dialog {
public:
    MagDialog(ui::Window* parent, double& value) : Dialog(parent, kMagnitude), value_(value) {}
    KESTRUNE_RESPONSE_TABLE(MagDialog);
    void CmHelp() { ++helps; }
    int helps = 0;

protected:
    void SetupWindow() override {
        Dialog::SetupWindow();
        Item<ui::Edit>(101)->SetText(std::to_string(value_).substr(0, 3));
    }
    void CmOk() override {
        const double v = std::atof(Item<ui::Edit>(101)->Text(14).c_str());
        if (v > 10) {
            ui::MessageBox(this, Item<ui::Edit>(101)->text(), "Problem in magnitude", ui::Buttons::Ok, ui::Icon::None);
            return;  // stays open
        }
        value_ = v;
        Dialog::CmOk();
    }

private:
    double& value_;
};

const ui::ResponseTable& MagDialog::Table() {
    using R = ui::ResponseTableOf<MagDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({R::Command(9, &MagDialog::CmHelp)});
    return table;
}

int TypeInto(ui::Dialog& d, int id, const std::string& text) {
    auto* e = d.Item<ui::Edit>(id);
    e->SetSelection(0, e->text().size());
    e->UserType(text);
    return ui::IdOk;
}

}  // namespace

TEST(Dialog, ModalRunReturnsTheButtonAndReadsBackAtOk) {
    RegisterTemplates();
    ui::Window owner(nullptr);
    ASSERT_TRUE(owner.Create());
    struct Case {
        const char* typed;
        int button;
        int result;
        double stored;
    } cases[] = {
        {"4.5", ui::IdOk, ui::IdOk, 4.5},
        {"7abc", ui::IdOk, ui::IdOk, 7.0},   // the leading number
        {"abc", ui::IdOk, ui::IdOk, 0.0},    // no number: 0
        {"6", ui::IdCancel, ui::IdCancel, 2.5},
        {"6", 0, ui::IdCancel, 2.5},         // no button: Escape
    };
    for (const Case& c : cases) {
        double value = 2.5;
        std::string shown;
        hl::ScriptDialog(kMagnitude, [&](ui::Dialog& d) {
            shown = d.Item<ui::Edit>(101)->text();
            TypeInto(d, 101, c.typed);
            return c.button;
        });
        MagDialog dialog(&owner, value);
        EXPECT_EQ(dialog.Execute(), c.result) << c.typed;
        EXPECT_EQ(shown, "2.5");
        EXPECT_EQ(value, c.stored) << c.typed;
        EXPECT_FALSE(dialog.visible());
    }
    ASSERT_EQ(hl::DialogCalls().size(), 5u);
    EXPECT_EQ(hl::DialogCalls()[0].caption, "Magnitude");
    EXPECT_EQ(hl::DialogCalls()[3].result, ui::IdCancel);
}

TEST(Dialog, RefusedOkKeepsItOpenForTheNextScript) {
    RegisterTemplates();
    double value = 1;
    hl::ScriptDialog(kMagnitude, [](ui::Dialog& d) { return TypeInto(d, 101, "12"); });
    hl::ScriptDialogAnswer(kMagnitude, 9);  // Help: still open
    hl::ScriptDialog(kMagnitude, [](ui::Dialog& d) { return TypeInto(d, 101, "9.5"); });
    MagDialog dialog(nullptr, value);
    EXPECT_EQ(dialog.Execute(), ui::IdOk);
    EXPECT_EQ(value, 9.5);
    EXPECT_EQ(dialog.helps, 1);
    ASSERT_EQ(hl::MessageBoxCalls().size(), 1u);
    EXPECT_EQ(hl::MessageBoxCalls()[0].text, "12");
    EXPECT_EQ(hl::MessageBoxCalls()[0].caption, "Problem in magnitude");
}

TEST(Dialog, PlacedInDialogUnitsFromTheOwner) {
    RegisterTemplates();
    ui::Window owner(nullptr);
    owner.MoveWindow({100, 50, 900, 700});
    ui::Dialog d(&owner, kAdjust);
    // 6 x 13 base units: x * 6 / 4, y * 13 / 8.
    EXPECT_EQ(d.rect(), (ui::Rect{100 + 15, 50 + 520, 100 + 387, 50 + 651}));
    EXPECT_EQ(d.control(103)->rect(), (ui::Rect{7, 32, 127, 97}));
    EXPECT_EQ(d.caption(), "");
    EXPECT_EQ(d.style() & ui::style::kCaption, 0u);
    ui::Dialog unknown(nullptr, 4711);
    EXPECT_TRUE(unknown.children().empty());
}

TEST(Dialog, ModelessShowsAndHidesAndEndsByDestroy) {
    RegisterTemplates();
    ui::Window owner(nullptr);
    ASSERT_TRUE(owner.Create());
    auto* d = new ui::Dialog(&owner, kAdjust);
    ASSERT_TRUE(d->Create());
    d->Show(ui::ShowCommand::Show);
    EXPECT_TRUE(d->visible());
    d->Show(ui::ShowCommand::Hide);
    EXPECT_FALSE(d->visible());
    d->Item<ui::Button>(ui::IdOk)->Click();  // the base OK closes a modeless dialog
    EXPECT_TRUE(owner.children().empty());
}

namespace {
// Logs the notifications of its controls; refuses spins past 5.
class AdjustDialog : public ui::Dialog {
public:
    AdjustDialog() : Dialog(nullptr, kAdjust) {}
    KESTRUNE_RESPONSE_TABLE(AdjustDialog);
    void EvSpin(ui::Notification& n) {
        log += "spin" + std::to_string(n.delta) + " ";
        if (Item<ui::UpDown>(102)->position() + n.delta > 5) n.refuse = true;
    }
    void EvScroll(ui::Notification&) { log += "scroll" + std::to_string(Item<ui::ScrollBar>(106)->position()) + " "; }
    void EvDouble(ui::Notification&) { log += "double "; }
    void CmRadio(int id) { log += "radio" + std::to_string(id) + " "; }
    std::string log;
};

const ui::ResponseTable& AdjustDialog::Table() {
    using R = ui::ResponseTableOf<AdjustDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Notify(102, ui::NotifyCode::Spin, &AdjustDialog::EvSpin),
        R::Notify(106, ui::NotifyCode::Scrolled, &AdjustDialog::EvScroll),
        R::Notify(103, ui::NotifyCode::DoubleClicked, &AdjustDialog::EvDouble),
        R::CommandRange(114, 119, &AdjustDialog::CmRadio),
    });
    return table;
}
}  // namespace

TEST(Controls, BehaveWithoutADisplay) {
    RegisterTemplates();
    AdjustDialog d;
    ASSERT_TRUE(d.Create());

    auto* edit = d.Item<ui::Edit>(101);
    edit->SetTextLimit(6);
    edit->UserType("ns");
    edit->SetSelection(1, 2);
    EXPECT_EQ(edit->SelectedText(), "S");
    edit->UserType("ew west");
    EXPECT_EQ(edit->text(), "NEW WE");  // upper-cased, cut at the limit
    EXPECT_EQ(edit->Text(3), "NEW");
    // The display's text keeps the caret where the user's typing left it, so
    // the next key lands after the last one, not at the start.
    edit->SetText("0");
    edit->UserSetText("-", 1);
    EXPECT_EQ(edit->selectionStart(), 1u);
    EXPECT_EQ(edit->selectionEnd(), 1u);
    edit->UserSetText("-5", 9);
    EXPECT_EQ(edit->selectionEnd(), 2u);  // held to the text

    auto* spin = d.Item<ui::UpDown>(102);
    spin->SetRange(-180, 180);
    spin->SetPosition(181);  // taken as given
    EXPECT_EQ(spin->position(), 181);
    spin->SetPosition(4);
    spin->UserSpin(1);
    spin->UserSpin(1);  // refused: would pass 5
    EXPECT_EQ(spin->position(), 5);

    auto* list = d.Item<ui::ListBox>(103);
    for (const char* s : {"Quito", "Lima", "Bogota"}) list->AddString(s);
    EXPECT_EQ(list->String(1), "Lima");  // kept in the order added
    list->UserClick(0);
    list->UserClick(2);
    list->UserClick(0);  // multiple selection toggles
    EXPECT_EQ(list->selIndexes(), (std::vector<int>{2}));
    list->UserDoubleClick(1);
    EXPECT_EQ(list->selIndexes(), (std::vector<int>{1, 2}));
    ui::ListBox sorted(nullptr, ControlKind::ListBox, 1, "", ui::ctl::kSorted, {});
    for (const char* s : {"b", "c", "a"}) sorted.AddString(s);
    EXPECT_EQ(sorted.String(0) + sorted.String(1) + sorted.String(2), "abc");
    sorted.SetSelIndex(1);
    sorted.SetSel(2, true);  // single selection: moves
    EXPECT_EQ(sorted.selIndex(), 2);

    auto* bar = d.Item<ui::ScrollBar>(106);
    bar->SetRange(0, 43333);
    bar->SetPageSize(20);
    bar->SetPosition(50000);
    EXPECT_EQ(bar->position(), 43333);
    bar->UserScroll(ui::ScrollAction::PageUp);
    bar->UserScroll(ui::ScrollAction::LineDown);
    bar->UserScroll(ui::ScrollAction::Top);

    auto* none = d.Item<ui::CheckBox>(114);
    auto* blue = d.Item<ui::CheckBox>(115);
    auto* bathy = d.Item<ui::CheckBox>(119);
    none->SetCheck(true);
    bathy->SetCheck(true);
    blue->Click();  // takes the check from its group only
    EXPECT_FALSE(none->checked());
    EXPECT_TRUE(blue->checked());
    EXPECT_TRUE(bathy->checked());
    bathy->Click();
    EXPECT_FALSE(bathy->checked());

    auto* picker = d.Item<ui::DateTimePicker>(1044);
    EXPECT_EQ(picker->format(), "yyyy/MM/dd HH:mm:ss");
    picker->SetTime({2024, 5, 5, 0, 30, 0, 0});
    EXPECT_EQ(picker->time().minute, 30);

    EXPECT_EQ(d.log, "spin1 spin1 double scroll43313 scroll43314 scroll0 radio115 radio119 ");
}
