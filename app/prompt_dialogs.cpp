#include "app/prompt_dialogs.h"

#include <algorithm>

#include "app/help.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr int kInputStatic = 4091;
constexpr int kInputEdit = 4090;
constexpr int kMagPrompt = 1033;
constexpr int kMagEdit = 109;
constexpr int kMagSpin = 110;
constexpr std::size_t kMagReadBack = 3;
constexpr std::size_t kPauseTextChars = 7;  // a buffer of 8

}  // namespace

void RegisterPromptTemplates() {
    if (!ui::FindDialogTemplate(kInputDialogTemplate)) {
        ui::RegisterDialogTemplate({kInputDialogTemplate, "", "MS Sans Serif", 8, {0, 0, 180, 64}, 0, {
            {ControlKind::Static, kInputStatic, "", 0, Rect::FromSize(7, 6, 166, 10)},
            {ControlKind::Edit, kInputEdit, "", 0, Rect::FromSize(7, 19, 166, 12)},
            {ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(34, 42, 50, 14)},
            {ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(96, 42, 50, 14)},
        }});
    }
    if (!ui::FindDialogTemplate(kMagnitudeDialogTemplate)) {
        ui::RegisterDialogTemplate({kMagnitudeDialogTemplate, "Magnitude", "MS Sans Serif", 8, {0, 0, 217, 57}, 0, {
            {ControlKind::Static, kMagPrompt, "", 0, Rect::FromSize(7, 8, 146, 18)},
            {ControlKind::Edit, kMagEdit, "", 0, Rect::FromSize(7, 31, 30, 12)},
            {ControlKind::UpDown, kMagSpin, "", 0, Rect::FromSize(37, 31, 10, 12)},
            {ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(160, 6, 50, 14)},
            {ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(160, 23, 50, 14)},
            {ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(160, 40, 50, 14)},
        }});
    }
}

// ---- inputDialog

inputDialog::inputDialog(ui::Window* parent, int templateId, std::string& buffer, std::string caption,
                         std::string prompt, std::size_t maxChars)
    : Dialog((RegisterPromptTemplates(), parent), templateId),
      buffer_(buffer),
      caption_(std::move(caption)),
      prompt_(std::move(prompt)),
      maxChars_(maxChars) {}

void inputDialog::SetupWindow() {
    Dialog::SetupWindow();
    SetCaption(caption_);
    if (auto* s = Item<ui::Static>(kInputStatic)) s->SetText(prompt_);
    if (auto* e = Item<ui::Edit>(kInputEdit)) {
        // A limit of 0 would let the edit take any length.
        e->SetTextLimit(std::max<std::size_t>(maxChars_, 1));
        e->SetText(buffer_.substr(0, maxChars_));
    }
}

void inputDialog::CmOk() {
    if (auto* e = Item<ui::Edit>(kInputEdit)) buffer_ = e->Text(maxChars_);
    Dialog::CmOk();
}

// ---- magDialog

const ui::ResponseTable& magDialog::Table() {
    using R = ui::ResponseTableOf<magDialog, HelpDialog>;
    static const ui::ResponseTable table = R::Build({
        R::Notify(kMagSpin, ui::NotifyCode::Spin, &magDialog::EvSpin),
    });
    return table;
}

magDialog::magDialog(ui::Window* parent, int templateId, double* setting, std::string prompt)
    : HelpDialog((RegisterPromptTemplates(), parent), templateId, help_topic::kEventSizes),
      setting_(setting),
      // A value beyond int shows as the nearest whole number that fits.
      whole_(setting ? static_cast<int>(std::clamp(*setting, -1e9, 1e9)) : 0),
      prompt_(std::move(prompt)) {}

void magDialog::SetupWindow() {
    Dialog::SetupWindow();
    if (auto* s = Item<ui::Static>(kMagPrompt)) s->SetText(prompt_);
    if (auto* e = Item<ui::Edit>(kMagEdit)) e->SetText(std::to_string(whole_));
    if (auto* u = Item<ui::UpDown>(kMagSpin)) {
        u->SetRange(-5, 9);
        u->SetPosition(whole_);
    }
}

void magDialog::EvSpin(ui::Notification& n) {
    auto* u = Item<ui::UpDown>(kMagSpin);
    if (!u) return;
    // Not held to the range: up at 9 shows 10.
    const int shown = u->position() + n.delta;
    u->SetPosition(shown);
    if (auto* e = Item<ui::Edit>(kMagEdit)) e->SetText(std::to_string(shown));
    n.refuse = true;
}

void magDialog::CmOk() {
    double value = 0;
    if (auto* e = Item<ui::Edit>(kMagEdit)) {
        const std::string typed = e->Text(kMagReadBack);  // the scanner only views it
        TextScanner scan(typed);
        if (!scan.Double(&value)) value = 0;
    }
    if (setting_) *setting_ = value;
    Dialog::CmOk();
}

// ---- the pause at the end

bool PromptPauseAtEnd(ui::Window* parent, ConfigBuild build) {
    PauseForDialog pause;
    std::string text = std::to_string(gPauseAtEndSeconds);
    inputDialog prompt(parent, kInputDialogTemplate, text, "Amount to pause at end", "Input pause time (seconds)",
                       kPauseTextChars);
    if (prompt.Execute() != ui::IdOk) return false;
    if (LeadingNumber(text).value_or(0) < 0) {
        ui::MessageBox(parent, "The pause at the end cannot be negative; it stays " +
                                   std::to_string(gPauseAtEndSeconds) + " seconds.",
                       "Amount to pause at end", ui::Buttons::Ok, ui::Icon::Exclamation);
        return false;
    }
    // Text without a number is no pause, as the configuration file's default.
    gPauseAtEndSeconds = static_cast<unsigned>(DialogInt(text, 0, kMaxConfigSeconds, 0));
    if (WriteConfigFileFor(build) != 0) {
        DebugLog("The pause at the end could not be written to QUORVEL.INI");
        ui::MessageBox(parent, "The pause could not be written to QUORVEL.INI; it holds until the program ends.",
                       "Amount to pause at end", ui::Buttons::Ok, ui::Icon::Exclamation);
    }
    return true;
}
