#include "keeper/control_dialog.h"

#include <iterator>
#include <string>

#include "app/help.h"
#include "core/config.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr int kMuseumNote = 1000;

const ControlBox kBoxes[] = {
    {101, "Menu Bar", BoxSetting::Flag, &gControls[kControlMenuBar]},
    {102, "Title Bar", BoxSetting::Flag, &gControls[kControlTitleBar]},
    {103, "Can Exit", BoxSetting::Flag, &gControls[kControlCanExit]},
    {105, "User can redraw view", BoxSetting::Flag, &gControls[kControlCanRedraw]},
    {106, "Run from script", BoxSetting::Flag, &gRunScript},
    {120, "Can resize", BoxSetting::Flag, &gControls[kControlCanResize]},
    {115, "Museum Mode", BoxSetting::Flag, &gMuseumMode},
    {104, "Show Slider", BoxSetting::Flag, &gControls[kControlShowSlider]},
    {108, "Show Plates button", BoxSetting::Flag, &gControls[kControlShowPlatesButton]},
    {111, "Show Back button", BoxSetting::Flag, &gControls[kControlShowBackButton]},
    {110, "Show Pause button", BoxSetting::Flag, &gControls[kControlShowPauseButton]},
    {117, "Display Information Spots", BoxSetting::Flag, &gControls[kControlShowInfoSpots]},
    {113, "Show Earthquake & Eruption Check Boxes", BoxSetting::Flag, &gControls[kControlShowEqErCheckBoxes]},
    {114, "Show Sound button", BoxSetting::Flag, &gControls[kControlShowSoundButton]},
    {107, "Show initial information screen", BoxSetting::Flag, &gControls[kControlInitialInfo]},
    {112, "Show Information Button", BoxSetting::Flag, &gControls[kControlShowInformationButton]},
    {116, "Show Repeat button", BoxSetting::Flag, &gControls[kControlShowRepeatButton]},
    {118, "Map Title Window", BoxSetting::Flag, &gMapTitleWindow},
    {119, "Show Start Again button", BoxSetting::Flag, &gControls[kControlShowStartOverButton]},
    {109, "Inactive Pop-Up", BoxSetting::Flag, &gInactivePopup},
    {122, "Show Welcome Screen", BoxSetting::Flag, &gControls[kControlWelcomeScreen]},
    {123, "Show Go Screen", BoxSetting::Flag, &gControls[kControlStartScreen]},
    {124, "Auto Restart", BoxSetting::ModeLoop, nullptr},
    {125, "Legend", BoxSetting::Legend, nullptr},
    {126, "Use local time", BoxSetting::Flag, &gUseLocalTime},
};

// Where each box sits, in dialog units: the settings of every run above the
// note, the kiosk's below it, two columns each.
Rect BoxRect(int id) {
    constexpr int kLeft = 12, kRight = 194, kWidth = 176, kHeight = 12, kRow = 13;
    struct Place {
        int id, column, row;
    };
    static constexpr Place kPlaces[] = {
        {101, 0, 0}, {102, 0, 1}, {103, 0, 2},  {105, 0, 3},  {106, 0, 4},  {120, 1, 0},  {115, 1, 1},
        {124, 1, 2}, {125, 1, 3}, {126, 1, 4},  {104, 0, 7},  {108, 0, 8},  {111, 0, 9},  {110, 0, 10},
        {117, 0, 11}, {113, 0, 12}, {114, 0, 13}, {107, 0, 14}, {112, 1, 7}, {116, 1, 8}, {118, 1, 9},
        {119, 1, 10}, {109, 1, 11}, {122, 1, 12}, {123, 1, 13},
    };
    for (const Place& p : kPlaces)
        if (p.id == id) return Rect::FromSize(p.column ? kRight : kLeft, 8 + p.row * kRow, p.column ? kWidth - 30 : kWidth, kHeight);
    return {};
}

bool IsChecked(const ControlBox& box) {
    switch (box.kind) {
        case BoxSetting::ModeLoop: return gMode == kModeLoop;
        case BoxSetting::Legend: return gControls[kControlNoLegend] == 0;
        case BoxSetting::Flag: break;
    }
    return *box.flag != 0;
}

}  // namespace

std::string CaptionOf(std::string_view text) {
    std::string caption;
    for (char c : text) {
        if (c == '&') caption += '&';
        caption += c;
    }
    return caption;
}

std::span<const ControlBox> ControlBoxes() { return kBoxes; }

void RegisterControlDialogTemplate() {
    if (ui::FindDialogTemplate(kControlDialogTemplate)) return;
    ui::DialogTemplate t{kControlDialogTemplate, "Controls", "MS Sans Serif", 8, {0, 0, 351, 255}, 0, {}};
    for (const ControlBox& box : kBoxes)
        t.items.push_back({ControlKind::CheckBox, box.id, CaptionOf(box.text), 0, BoxRect(box.id)});
    t.items.push_back({ControlKind::Static, kMuseumNote, "Following apply only in museum mode", 0,
                       Rect::FromSize(12, 8 + 6 * 13 + 2, 320, 10)});
    t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(88, 230, 50, 14)});
    t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(150, 230, 50, 14)});
    t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(212, 230, 50, 14)});
    ui::RegisterDialogTemplate(std::move(t));
}

controlDialog::controlDialog(ui::Window* parent)
    : HelpDialog((RegisterControlDialogTemplate(), parent), kControlDialogTemplate, help_topic::kKeeperSettings) {}

void controlDialog::SetupWindow() {
    HelpDialog::SetupWindow();
    for (const ControlBox& box : kBoxes) {
        const bool on = IsChecked(box);
        if (box.kind == BoxSetting::ModeLoop) loopShown_ = on;
        if (auto* b = Item<ui::CheckBox>(box.id)) b->SetCheck(on);
    }
}

void controlDialog::CmOk() {
    for (const ControlBox& box : kBoxes) {
        const auto* b = Item<ui::CheckBox>(box.id);
        if (!b) continue;
        const bool on = b->checked();
        switch (box.kind) {
            case BoxSetting::Flag: *box.flag = on ? 1 : 0; break;
            case BoxSetting::Legend: gControls[kControlNoLegend] = on ? 0 : 1; break;
            case BoxSetting::ModeLoop:
                // IV_BEGIN and IV_END show unchecked; they stay unless the box is changed.
                if (on != loopShown_) gMode = on ? kModeLoop : kModeNormal;
                break;
        }
    }
    HelpDialog::CmOk();
}
