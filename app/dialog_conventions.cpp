#include "app/dialog_conventions.h"

#include <algorithm>
#include <cmath>

#include "app/globals.h"
#include "app/help.h"
#include "core/helpers.h"

namespace ui = platform::ui;

const ui::ResponseTable& HelpDialog::Table() {
    using R = ui::ResponseTableOf<HelpDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kDialogHelpButton, &HelpDialog::CmHelpEntry),
    });
    return table;
}

HelpDialog::HelpDialog(ui::Window* parent, int templateId, int helpTopic)
    : Dialog(parent, templateId), helpTopic_(helpTopic) {}

void HelpDialog::CmHelp() {
    if (helpTopic_ != help_topic::kNone) ShowHelp(helpTopic_, this);
}

PauseForDialog::PauseForDialog() : saved_(gPaused) { gPaused = true; }

PauseForDialog::~PauseForDialog() {
    if (restore_) gPaused = saved_;
}

std::optional<double> LeadingNumber(std::string_view text) {
    double value = 0;
    if (!ScanLeadingDouble(text, &value) || !std::isfinite(value)) return std::nullopt;
    return value;
}

double DialogValue(std::string_view text, FieldRange range, double fallback) {
    const std::optional<double> n = LeadingNumber(text);
    if (!n) return fallback;
    if (range.lowOpen && *n <= range.low) return fallback;
    return std::clamp(*n, range.low, range.high);
}

int DialogInt(std::string_view text, int low, int high, int fallback) {
    const std::optional<double> n = LeadingNumber(text);
    if (!n) return fallback;
    const double whole = std::trunc(*n);
    return static_cast<int>(std::clamp(whole, static_cast<double>(low), static_cast<double>(high)));
}
