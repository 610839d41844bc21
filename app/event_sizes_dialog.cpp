#include "app/event_sizes_dialog.h"

#include <algorithm>
#include <string>

#include "app/help.h"
#include "app/prompt_dialogs.h"
#include "core/number_text.h"
#include "core/view.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr std::size_t kFieldChars = 4;

void RegisterEventSizesTemplate() {
    if (ui::FindDialogTemplate(kEventSizesTemplate)) return;
    // The captions take two lines of the toolkit's own font, which is larger
    // than the one the dialog units come from: room for both, and a little more.
    ui::DialogTemplate t{kEventSizesTemplate, "Event Sizes", "MS Sans Serif", 8, {0, 0, 216, 255}, 0, {}};
    auto label = [&t](const char* text, int x, int y, int w, int h) {
        t.items.push_back({ControlKind::Static, -1, text, 0, Rect::FromSize(x, y, w, h)});
    };
    auto field = [&t](int edit, int spin, int x, int y) {
        t.items.push_back({ControlKind::Edit, edit, "", 0, Rect::FromSize(x, y, 28, 14)});
        if (spin) t.items.push_back({ControlKind::UpDown, spin, "", 0, Rect::FromSize(x + 30, y, 20, 14)});
    };
    label("The minimum and maximum magnitudes control the scaling of the dot sizes.", 8, 4, 200, 26);
    label("Minimum Magnitude", 8, 34, 80, 10); field(101, 103, 96, 32);
    label("Maximum Magnitude", 8, 54, 80, 10); field(102, 104, 96, 52);
    label("Dot size is the radius, in pixels, the dot will be on a 640x480 screen.", 8, 74, 200, 26);
    label("Max. dot size", 8, 104, 80, 10); field(109, 0, 96, 102);
    label("Min. dot size", 8, 122, 80, 10); field(110, 0, 96, 120);
    label("The minimum and maximum depths control the earthquake colors.", 8, 142, 200, 26);
    label("Minimum Depth", 8, 172, 80, 10); field(105, 107, 96, 170);
    label("Maximum Depth", 8, 192, 80, 10); field(106, 108, 96, 190);
    t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(14, 230, 50, 14)});
    t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(83, 230, 50, 14)});
    t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(152, 230, 50, 14)});
    ui::RegisterDialogTemplate(std::move(t));
}

struct SpinRange {
    int id, low, high;
};
constexpr SpinRange kRanges[] = {{103, -9, 6}, {104, 0, 10}, {107, 0, 9}, {108, 0, 10}};

}  // namespace

int DepthStepIndex(double depthKm) {
    for (std::size_t i = 0; i < kDepthSteps.size(); ++i)
        if (kDepthSteps[i] >= depthKm) return static_cast<int>(i);
    return static_cast<int>(kDepthSteps.size()) - 1;
}

const ui::ResponseTable& dsDialog::Table() {
    using R = ui::ResponseTableOf<dsDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Notify(103, ui::NotifyCode::Spin, &dsDialog::EvSpinMinMagnitude),
        R::Notify(104, ui::NotifyCode::Spin, &dsDialog::EvSpinMaxMagnitude),
        R::Notify(107, ui::NotifyCode::Spin, &dsDialog::EvSpinMinDepth),
        R::Notify(108, ui::NotifyCode::Spin, &dsDialog::EvSpinMaxDepth),
        R::Command(kDialogHelpButton, &dsDialog::CmHelp),
    });
    return table;
}

dsDialog::dsDialog(ui::Window* parent, int templateId)
    : Dialog((RegisterEventSizesTemplate(), parent), templateId) {}

void dsDialog::SetupWindow() {
    Dialog::SetupWindow();
    for (const SpinRange& r : kRanges)
        if (auto* u = Item<ui::UpDown>(r.id)) u->SetRange(r.low, r.high);
    auto show = [this](int editId, int value) {
        if (auto* e = Item<ui::Edit>(editId)) {
            e->SetTextLimit(kFieldChars);
            e->SetText(std::to_string(value));
        }
    };
    auto place = [this](int spinId, int position) {
        if (auto* u = Item<ui::UpDown>(spinId)) u->SetPosition(position);
    };
    show(101, gMinMagnitude); place(103, gMinMagnitude);
    show(102, gMaxMagnitude); place(104, gMaxMagnitude);
    const int minStep = DepthStepIndex(gMinDepth), maxStep = DepthStepIndex(gMaxDepth);
    show(105, kDepthSteps[static_cast<std::size_t>(minStep)]); place(107, minStep);
    show(106, kDepthSteps[static_cast<std::size_t>(maxStep)]); place(108, maxStep);
    show(109, gMaxDotSize);
    show(110, gMinDotSize);
}

void dsDialog::Spin(ui::Notification& n, int spinId, int editId, bool depth) {
    n.refuse = true;
    auto* u = Item<ui::UpDown>(spinId);
    if (!u) return;
    const int position = std::clamp(u->position() + n.delta, std::min(u->low(), u->high()), std::max(u->low(), u->high()));
    u->SetPosition(position);
    const int shown = depth ? kDepthSteps[static_cast<std::size_t>(std::clamp(position, 0, 10))] : position;
    if (auto* e = Item<ui::Edit>(editId)) e->SetText(std::to_string(shown));
}

void dsDialog::CmHelp() { ShowHelp(help_topic::kEventSizes, this); }

int dsDialog::ReadWhole(int editId) const {
    int value = 0;
    if (auto* e = Item<ui::Edit>(editId)) {
        const std::string typed = e->Text(kFieldChars);  // the scanner only views it
        TextScanner scan(typed);
        if (!scan.Int(&value)) value = 0;
    }
    return value;
}

void dsDialog::Refuse(const char* caption) {
    ui::Beep(ui::BeepKind::Default);
    ui::MessageBox(this, "Minimum must be less than maximum", caption, ui::Buttons::Ok, ui::Icon::None);
}

void dsDialog::CmOk() {
    const int minMagnitude = ReadWhole(101), maxMagnitude = ReadWhole(102);
    gMaxDotSize = ReadWhole(109);
    gMinDotSize = ReadWhole(110);
    if (minMagnitude >= maxMagnitude) {
        Refuse("Magnitude Error");
        return;
    }
    gMinMagnitude = minMagnitude;
    gMaxMagnitude = maxMagnitude;
    const int minDepth = ReadWhole(105), maxDepth = ReadWhole(106);
    if (minDepth >= maxDepth) {
        Refuse("Depth Error");
        return;
    }
    gMinDepth = minDepth;
    gMaxDepth = maxDepth;
    Dialog::CmOk();
}
