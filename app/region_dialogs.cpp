#include "app/region_dialogs.h"
#include "app/help.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/prompt_dialogs.h"
#include "core/eruption.h"
#include "core/number_text.h"
#include "core/quake.h"
#include "core/view.h"

namespace ui = platform::ui;
using platform::CivilTime;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr std::size_t kBoxChars = 14;
constexpr std::size_t kLoopChars = 5;
constexpr const char* kPickerFormat = "yyyy/MM/dd HH:mm:ss";
// As the view file takes them: its reader refuses more.
constexpr double kMaxLoopDays = 1000000, kMaxLoopMinutes = 1440000;

bool SameTime(const CivilTime& a, const CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

void AddButtons(ui::DialogTemplate& t, int y, bool help) {
    const int w = t.rect.width();
    const int n = help ? 3 : 2;
    const int step = w / n;
    const int x0 = (step - 50) / 2;
    t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(x0, y, 50, 14)});
    t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(x0 + step, y, 50, 14)});
    if (help)
        t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(x0 + 2 * step, y, 50, 14)});
}

void AddLabelledEdit(ui::DialogTemplate& t, const char* label, int id, int x, int y, int labelWidth, int editWidth) {
    t.items.push_back({ControlKind::Static, -1, label, 0, Rect::FromSize(x, y + 2, labelWidth, 10)});
    t.items.push_back({ControlKind::Edit, id, "", 0, Rect::FromSize(x + labelWidth + 4, y, editWidth, 12)});
}

void AddPicker(ui::DialogTemplate& t, const char* label, int id, int y) {
    if (label) t.items.push_back({ControlKind::Static, -1, label, 0, Rect::FromSize(8, y + 2, 40, 10)});
    // Date and time side by side, each with room for its digits.
    t.items.push_back({ControlKind::DateTimePicker, id, "", 0, Rect::FromSize(label ? 48 : 6, y, 240, 14)});
}

// Both catalogues are opened again at the new time by the animation.
void CloseCatalogues() {
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
}

void ClampCurrentTime() {
    if (gAnimationTime < gPeriodStart) gAnimationTime = gPeriodStart;
    if (gAnimationTime > gViewEnd) gAnimationTime = gViewEnd;
}

}  // namespace

// ---- the arithmetic

std::optional<double> FieldNumber(std::string_view text) {
    double v = 0;
    TextScanner scan(text);
    if (!scan.Double(&v) || !std::isfinite(v)) return std::nullopt;
    return v;
}

CivilTime DisplayTime(TimeValue stored, TimeValue offset) {
    CivilTime c;
    SplitTime((stored + offset).t, &c.year, &c.month, &c.day, &c.hour, &c.minute, &c.second);
    return c;
}

TimeValue StoredTime(const CivilTime& shown, TimeValue offset, bool withSeconds) {
    PackedDate date;
    date.year = static_cast<std::uint16_t>(std::clamp(shown.year, 1, 9999));
    date.month = static_cast<std::uint8_t>(std::clamp(shown.month, 1, 12));
    date.day = static_cast<std::uint8_t>(std::clamp(shown.day, 1, 31));
    const int minute = std::clamp(shown.hour, 0, 23) * 60 + std::clamp(shown.minute, 0, 59);
    TimeValue t;
    t.SetDateMinuteSecond(date, minute, withSeconds ? std::clamp(shown.second, 0, 59) : 0);
    return t - offset;
}

PackedDate DateOf(TimeValue t) {
    int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0;
    SplitTime(t.t, &y, &m, &d, &h, &mi, &s);
    PackedDate date;
    date.year = static_cast<std::uint16_t>(y);
    date.month = static_cast<std::uint8_t>(m);
    date.day = static_cast<std::uint8_t>(d);
    return date;
}

int MinuteOfDay(TimeValue t) {
    int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0;
    SplitTime(t.t, &y, &m, &d, &h, &mi, &s);
    return h * 60 + mi;
}

std::string CheckLatLonBox(const LatLonBox& box, std::string_view northName, std::string_view southName) {
    if (box.north == box.south)
        return std::string(northName) + " and " + std::string(southName) + " are the same: the map has no height.";
    if (box.south > box.north)
        return std::string(southName) + " is north of " + std::string(northName) + ".";
    return {};
}

// ---- templates

void RegisterRegionDialogTemplates() {
    if (!ui::FindDialogTemplate(kLatLonDialogTemplate)) {
        ui::DialogTemplate t{kLatLonDialogTemplate, "Latitude & Longitude Limits", "MS Sans Serif", 8,
                             {0, 0, 215, 127}, 0, {}};
        AddLabelledEdit(t, "North Latitude", 101, 60, 10, 60, 60);
        AddLabelledEdit(t, "Left Longitude", 103, 8, 40, 56, 40);
        AddLabelledEdit(t, "Right Longitude", 102, 110, 40, 56, 40);
        AddLabelledEdit(t, "South Latitude", 104, 60, 70, 60, 60);
        AddButtons(t, 104, true);
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kTemplateBoxDialogTemplate)) {
        ui::DialogTemplate t{kTemplateBoxDialogTemplate, "Limits and Range for Templates", "MS Sans Serif", 8,
                             {0, 0, 262, 152}, 0, {}};
        AddLabelledEdit(t, "North Latitude", 361, 80, 8, 60, 60);
        AddLabelledEdit(t, "Left Longitude", 363, 8, 34, 56, 50);
        AddLabelledEdit(t, "Right Longitude", 364, 136, 34, 60, 50);
        AddLabelledEdit(t, "South Latitude", 362, 80, 60, 60, 60);
        AddLabelledEdit(t, "Latitude Range", 366, 8, 92, 56, 50);
        AddLabelledEdit(t, "Longitude Range", 367, 136, 92, 60, 50);
        AddButtons(t, 128, true);
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kDateDialogTemplate)) {
        ui::DialogTemplate t{kDateDialogTemplate, "Set Dates and Times", "MS Sans Serif", 8, {0, 0, 296, 122}, 0, {}};
        AddPicker(t, "Initial", 1044, 8);
        AddPicker(t, "Current", 1045, 28);
        AddPicker(t, "Final", 1046, 48);
        AddLabelledEdit(t, "Days to Loop", 125, 8, 72, 56, 36);
        AddLabelledEdit(t, "Minutes to Loop", 126, 112, 72, 60, 36);
        AddButtons(t, 100, true);
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kInitialDateDialogTemplate)) {
        // The picker takes the strip's width; the buttons go under it.
        ui::DialogTemplate t{kInitialDateDialogTemplate, "Set Initial Time", "MS Sans Serif", 8, {0, 0, 268, 40}, 0, {}};
        AddPicker(t, nullptr, 1044, 4);
        t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(160, 22, 48, 14)});
        t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(212, 22, 48, 14)});
        ui::RegisterDialogTemplate(std::move(t));
    }
}

// ---- the shared dialog

const ui::ResponseTable& SettingsDialog::Table() {
    using R = ui::ResponseTableOf<SettingsDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kDialogHelpButton, &SettingsDialog::CmHelp),
    });
    return table;
}

SettingsDialog::SettingsDialog(ui::Window* parent, int templateId, int helpTopic)
    : Dialog((RegisterRegionDialogTemplates(), parent), templateId), helpTopic_(helpTopic) {}

bool SettingsDialog::EvCommand(int id) { return Dialog::EvCommand(id) || control(id) != nullptr; }

void SettingsDialog::CmHelp() { ShowHelp(helpTopic_, this); }

void SettingsDialog::Refuse(const std::string& text) {
    ui::MessageBox(this, text, caption(), ui::Buttons::Ok, ui::Icon::Exclamation);
}

void SettingsDialog::ShowNumber(NumberField& f) {
    f.shown = FormatGeneral(*f.setting, 9);
    if (auto* e = Item<ui::Edit>(f.id)) e->SetText(f.shown);
}

bool SettingsDialog::ReadNumber(NumberField& f, std::size_t maxChars) {
    const auto* e = Item<ui::Edit>(f.id);
    const std::string typed = e ? e->Text(maxChars) : f.shown;
    if (typed == f.shown.substr(0, maxChars)) {
        f.value = *f.setting;
        return true;
    }
    const std::optional<double> v = FieldNumber(typed);
    if (!v) {
        Refuse(std::string(f.label) + ": \"" + typed + "\" is not a number.");
        return false;
    }
    f.value = std::clamp(*v, f.low, f.high);
    return true;
}

// ---- the box dialogs

BoxDialog::BoxDialog(ui::Window* parent, int templateId, std::vector<NumberField> fields)
    : SettingsDialog(parent, templateId, 1023), fields_(std::move(fields)) {}

void BoxDialog::SetupWindow() {
    SettingsDialog::SetupWindow();
    for (NumberField& f : fields_) ShowNumber(f);
}

void BoxDialog::CmOk() {
    for (NumberField& f : fields_)
        if (!ReadNumber(f, kBoxChars)) return;
    const std::string fault =
        CheckLatLonBox({fields_[0].value, fields_[1].value, fields_[2].value, fields_[3].value}, fields_[0].label,
                       fields_[1].label);
    if (!fault.empty()) return Refuse(fault);
    for (NumberField& f : fields_) *f.setting = f.value;
    Dialog::CmOk();
}

latlonDialog::latlonDialog(ui::Window* parent, int templateId)
    : BoxDialog(parent, templateId,
                {{101, "North Latitude", -90, 90, &gMapNorth, {}},
                 {104, "South Latitude", -90, 90, &gMapSouth, {}},
                 {103, "Left Longitude", -180, 180, &gMapWest, {}},
                 {102, "Right Longitude", -180, 180, &gMapEast, {}}}) {}

TlatlonDialog::TlatlonDialog(ui::Window* parent, int templateId)
    : BoxDialog(parent, templateId,
                {{361, "North Latitude", -90, 90, &gSearchNorth, {}},
                 {362, "South Latitude", -90, 90, &gSearchSouth, {}},
                 {363, "Left Longitude", -180, 180, &gSearchWest, {}},
                 {364, "Right Longitude", -180, 180, &gSearchEast, {}},
                 {366, "Latitude Range", 0, 180, &gTemplateLatRange, {}},
                 {367, "Longitude Range", 0, 360, &gTemplateLonRange, {}}}) {}

// ---- dateDialog

dateDialog::dateDialog(ui::Window* parent, int templateId) : SettingsDialog(parent, templateId, 1044) {}

void dateDialog::SetupWindow() {
    SettingsDialog::SetupWindow();
    shownStart_ = DisplayTime(gPeriodStart, gTimeZoneOffset);
    shownCurrent_ = DisplayTime(gAnimationTime, gTimeZoneOffset);
    shownEnd_ = DisplayTime(gViewEnd, gTimeZoneOffset);
    auto show = [this](int id, const CivilTime& t) {
        if (auto* p = Item<ui::DateTimePicker>(id)) {
            p->SetFormat(kPickerFormat);
            p->SetTime(t);
        }
    };
    show(1044, shownStart_);
    show(1045, shownCurrent_);
    show(1046, shownEnd_);
    shownDays_ = std::to_string(gDaysToLoop);
    shownMinutes_ = std::to_string(gMinutesToLoop);
    if (auto* e = Item<ui::Edit>(125)) {
        e->SetTextLimit(kLoopChars);
        e->SetText(shownDays_);
    }
    if (auto* e = Item<ui::Edit>(126)) {
        e->SetTextLimit(kLoopChars);
        e->SetText(shownMinutes_);
    }
}

void dateDialog::CmOk() {
    // A picker left as it was keeps its time exactly: the calendar shows no
    // time past 2099, and the seconds of a stored time may be fractional.
    auto read = [this](int id, const CivilTime& shown, TimeValue stored) {
        const auto* p = Item<ui::DateTimePicker>(id);
        if (!p || SameTime(p->time(), shown)) return stored;
        return StoredTime(p->time(), gTimeZoneOffset);
    };
    const TimeValue start = read(1044, shownStart_, gPeriodStart);
    const TimeValue current = read(1045, shownCurrent_, gAnimationTime);
    const TimeValue end = read(1046, shownEnd_, gViewEnd);
    NumberField days{125, "Days to Loop", 0, kMaxLoopDays, nullptr, shownDays_};
    NumberField minutes{126, "Minutes to Loop", 0, kMaxLoopMinutes, nullptr, shownMinutes_};
    double storedDays = gDaysToLoop, storedMinutes = gMinutesToLoop;
    days.setting = &storedDays;
    minutes.setting = &storedMinutes;
    for (NumberField* f : {&days, &minutes}) {
        const auto* e = Item<ui::Edit>(f->id);
        const std::string typed = e ? e->Text(kLoopChars) : f->shown;
        if (typed == f->shown) {
            f->value = *f->setting;
            continue;
        }
        const std::optional<double> v = FieldNumber(typed);
        if (!v) return Refuse(std::string(f->label) + ": \"" + typed + "\" is not a number.");
        if (*v < 0) return Refuse(std::string(f->label) + " cannot be negative.");
        f->value = std::min(std::trunc(*v), f->high);
    }
    if (start > end) return Refuse("The Initial time is later than the Final time.");

    // The calendar fields follow a time that changed; an unchanged one keeps
    // them, as a time past 2099 has no calendar date of its own.
    if (start != gPeriodStart) {
        gPeriodStart = start;
        gViewMinDate = DateOf(start);
        gViewMinMinute = MinuteOfDay(start);
    }
    gDaysToLoop = static_cast<std::int32_t>(days.value);
    gMinutesToLoop = static_cast<std::int32_t>(minutes.value);
    gAnimationTime = current;
    if (end != gViewEnd) {
        gViewEnd = end;
        gViewMaxDate = DateOf(end);
        gViewMaxMinute = MinuteOfDay(end);
    }
    ClampCurrentTime();
    CloseCatalogues();
    Dialog::CmOk();
}

// ---- initDateDialog

initDateDialog::initDateDialog(ui::Window* parent, int templateId) : SettingsDialog(parent, templateId, 1044) {}

void initDateDialog::SetupWindow() {
    SettingsDialog::SetupWindow();
    shown_ = DisplayTime(gPeriodStart, gTimeZoneOffset);
    if (auto* p = Item<ui::DateTimePicker>(1044)) {
        p->SetFormat(kPickerFormat);
        p->SetTime(shown_);
    }
}

void initDateDialog::CmOk() {
    const auto* p = Item<ui::DateTimePicker>(1044);
    if (p && !SameTime(p->time(), shown_)) {
        const TimeValue t = StoredTime(p->time(), gTimeZoneOffset, false);
        if (t > gViewEnd) return Refuse("The Initial time is later than the end of the view's period.");
        gViewMinDate = DateOf(t);
        gViewMinMinute = MinuteOfDay(t);
        gPeriodStart.SetDateMinutes(gViewMinDate, gViewMinMinute);
    }
    ClampCurrentTime();
    CloseCatalogues();
    Dialog::CmOk();
}
