#include "app/catalogue_editor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

#include "app/control_panel.h"
#include "app/dialog_conventions.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help.h"
#include "app/layout.h"
#include "app/prompt_dialogs.h"
#include "core/catalogue_edit.h"
#include "core/catalogue_rebuild.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/map_pane.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr int kListBox = 101;
constexpr int kScrollBar = 106;
constexpr int kAddButton = 102;
constexpr int kDeleteButton = 103;
constexpr int kEditButton = 104;
constexpr int kCreateAlertButton = 1029;
constexpr const char* kListHeader = "NUMBER DATE       TIME(UTC) LAT  LON    km  MAG";

int sEditorsOpen = 0;

void RegisterEditorTemplates() {
    if (!ui::FindDialogTemplate(kEditEventsTemplate)) {
        ui::DialogTemplate t{kEditEventsTemplate, "Edit Earthquake File", "Courier", 10, {0, 0, 277, 251}, 0, {}};
        t.items.push_back({ControlKind::Static, -1, kListHeader, ui::ctl::kFixedPitch, Rect::FromSize(8, 6, 250, 10)});
        t.items.push_back({ControlKind::ListBox, kListBox, "", ui::ctl::kNotify | ui::ctl::kFixedPitch,
                           Rect::FromSize(8, 18, 250, 196)});
        t.items.push_back({ControlKind::ScrollBar, kScrollBar, "", ui::ctl::kVertical, Rect::FromSize(259, 18, 10, 196)});
        const struct {
            ControlKind kind;
            int id;
            const char* text;
        } buttons[] = {{ControlKind::DefaultButton, ui::IdOk, "OK"},
                       {ControlKind::Button, kAddButton, "Add"},
                       {ControlKind::Button, kEditButton, "Edit"},
                       {ControlKind::Button, kDeleteButton, "Delete"},
                       {ControlKind::Button, kCreateAlertButton, "Create Alert\nEvent"},
                       {ControlKind::Button, kDialogHelpButton, "Help"}};
        int x = 8;
        for (const auto& b : buttons) {
            const int w = b.id == kCreateAlertButton ? 50 : 34;
            t.items.push_back({b.kind, b.id, b.text, 0, Rect::FromSize(x, 222, w, 22)});
            x += w + 6;
        }
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kAddEventTemplate)) {
        ui::DialogTemplate t{kAddEventTemplate, "Add Event", "MS Sans Serif", 8, {0, 0, 263, 153}, 0, {}};
        auto field = [&t](const char* label, int id, int x, int y, int w, std::uint32_t style = 0) {
            t.items.push_back({ControlKind::Static, -1, label, 0, Rect::FromSize(x, y + 2, 44, 10)});
            t.items.push_back({ControlKind::Edit, id, "", style, Rect::FromSize(x + 46, y, w, 13)});
        };
        field("Year", 101, 8, 8, 40);
        field("Month", 103, 8, 26, 40);
        field("Day", 105, 8, 44, 40);
        field("Hour", 107, 8, 62, 40);
        field("Minute", 102, 8, 80, 40);
        field("Second", 104, 8, 98, 40);
        field("Latitude", 106, 112, 8, 60);
        field("NS", 111, 112, 26, 20, ui::ctl::kUpperCase);
        field("Longitude", 108, 112, 44, 60);
        field("EW", 112, 112, 62, 20, ui::ctl::kUpperCase);
        field("Depth (km)", 109, 112, 80, 60);
        field("Magnitude", 110, 112, 98, 60);
        t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(30, 128, 50, 14)});
        t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(106, 128, 50, 14)});
        t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(182, 128, 50, 14)});
        ui::RegisterDialogTemplate(std::move(t));
    }
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// printf's "%.Nf" without the zeros it pads with.
std::string Trimmed(double value, int decimals) {
    std::string s = FormatFixed(value, decimals);
    if (s.find('.') == std::string::npos) return s;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

// The dialogs' leading-number rule; a field without a number is refused,
// never read as 0.
std::optional<double> RealOf(const std::string& text) { return LeadingNumber(text); }
std::optional<int> WholeOf(const std::string& text) {
    const auto n = LeadingNumber(text);
    if (!n) return std::nullopt;
    return TruncToInt(*n, 1e9);
}
char FirstLetter(const std::string& text) {
    const std::size_t at = text.find_first_not_of(" \t");
    return at == std::string::npos ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(text[at])));
}

}  // namespace

// ---- The list's arithmetic ----------------------------------------------------------------

EditorPage PageFor(std::int32_t current, std::int32_t count, std::int32_t pageLength) {
    EditorPage p;
    if (count <= 0) return p;
    pageLength = std::max(pageLength, 1);
    p.current = std::clamp(current, 0, count - 1);
    p.first = count - p.current < pageLength ? count - pageLength : p.current;
    p.first = std::max(p.first, 0);
    p.lines = std::min(pageLength, count - p.first);
    p.selected = std::clamp(p.current - p.first, 0, pageLength - 1);
    return p;
}

std::string EditorListLine(std::int32_t index, const QuakeRecord& q) {
    char number[24];
    std::snprintf(number, sizeof number, "%5lu: ", static_cast<unsigned long>(index) + 1);
    return number + FormatQuakeListLine(q, false);
}

// ---- One record's fields ------------------------------------------------------------------

EventFields EventFieldsOf(const QuakeRecord& q) {
    int year = q.date.year, month = q.date.month, day = q.date.day;
    int hour = q.minute / 60, minute = q.minute % 60;
    if (IsZeroRecord(q)) {
        int second = 0;
        SplitTime(CurrentUtcTime().t, &year, &month, &day, &hour, &minute, &second);
    }
    EventFields f;
    f[0] = std::to_string(year);
    f[1] = std::to_string(month);
    f[2] = std::to_string(day);
    f[3] = std::to_string(hour);
    f[4] = std::to_string(minute);
    f[5] = FormatGeneral(q.tenths * 0.1);
    f[6] = Trimmed(std::fabs(MasToDegrees(q.latitude)), 7);
    f[7] = q.latitude < 0 ? "S" : "N";
    f[8] = Trimmed(std::fabs(MasToDegrees(q.longitude)), 7);
    f[9] = q.longitude < 0 ? "W" : "E";
    f[10] = Trimmed(q.depth / 100000.0, 5);
    f[11] = FormatFixed(q.magnitude * 0.1, 1);
    return f;
}

std::optional<FieldProblem> ReadEventFields(const EventFields& f, QuakeRecord* q) {
    auto problem = [&f](std::size_t i, const char* what) {
        return std::optional<FieldProblem>(FieldProblem{f[i], std::string("Problem in ") + what});
    };
    const int year = WholeOf(f[0]).value_or(0);
    if (year < 1 || year > 2099) return problem(0, "year");
    const int month = WholeOf(f[1]).value_or(0);
    if (month < 1 || month > 12) return problem(1, "month");
    const int day = WholeOf(f[2]).value_or(0);
    if (day < 1 || day > DaysInMonth(year, month)) return problem(2, "day");
    const int hour = WholeOf(f[3]).value_or(-1);
    if (hour < 0 || hour > 23) return problem(3, "hour");
    const int minute = WholeOf(f[4]).value_or(-1);
    if (minute < 0 || minute > 59) return problem(4, "minute");
    const double seconds = RealOf(f[5]).value_or(-1);
    const double tenths = std::round(seconds * 10);
    if (!(seconds >= 0 && tenths < 600)) return problem(5, "second");
    const double latitude = RealOf(f[6]).value_or(-1);
    if (!(latitude >= 0 && latitude <= 90)) return problem(6, "latitude");
    const char ns = FirstLetter(f[7]);
    if (ns != 'N' && ns != 'S') return problem(7, "North-South");
    const double longitude = RealOf(f[8]).value_or(-1);
    if (!(longitude >= 0 && longitude <= 180)) return problem(8, "longitude");
    const char ew = FirstLetter(f[9]);
    if (ew != 'E' && ew != 'W') return problem(9, "East-West");
    const double depth = RealOf(f[10]).value_or(-11);
    if (!(depth >= -10 && depth <= 1000)) return problem(10, "depth");
    const double magnitude = RealOf(f[11]).value_or(-1);
    if (!(magnitude >= 0 && magnitude <= 10)) return problem(11, "magnitude");

    QuakeRecord r = *q;
    r.date = PackedDate{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month),
                        static_cast<std::uint8_t>(day)};
    r.minute = static_cast<std::uint16_t>(hour * 60 + minute);
    r.tenths = static_cast<std::int16_t>(tenths);
    const auto mas = [](double degrees, bool negative) {
        const auto v = static_cast<std::int32_t>(std::llround(degrees * 3600000.0));
        return negative ? -v : v;
    };
    r.latitude = mas(latitude, ns == 'S');
    r.longitude = mas(longitude, ew == 'W');
    r.depth = static_cast<std::int32_t>(std::llround(depth * 100000.0));
    r.magnitude = static_cast<std::uint8_t>(std::lround(magnitude * 10));
    *q = r;
    return std::nullopt;
}

// ---- newEvtDialog ------------------------------------------------------------------------

const ui::ResponseTable& newEvtDialog::Table() {
    using R = ui::ResponseTableOf<newEvtDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kDialogHelpButton, &newEvtDialog::CmHelp),
    });
    return table;
}

newEvtDialog::newEvtDialog(ui::Window* parent, int templateId, QuakeRecord* record)
    : Dialog((RegisterEditorTemplates(), parent), templateId), record_(record) {}

void newEvtDialog::SetupWindow() {
    Dialog::SetupWindow();
    const EventFields shown = EventFieldsOf(*record_);
    for (std::size_t i = 0; i < kEventFieldIds.size(); ++i) {
        if (auto* e = Item<ui::Edit>(kEventFieldIds[i])) {
            e->SetTextLimit(kEventFieldChars);
            e->SetText(shown[i]);
        }
    }
}

void newEvtDialog::CmOk() {
    EventFields typed;
    for (std::size_t i = 0; i < kEventFieldIds.size(); ++i)
        if (auto* e = Item<ui::Edit>(kEventFieldIds[i])) typed[i] = e->Text(kEventFieldChars);
    if (const auto problem = ReadEventFields(typed, record_)) {
        ui::MessageBox(this, problem->text, problem->caption, ui::Buttons::Ok, ui::Icon::None);
        return;
    }
    Dialog::CmOk();
}

void newEvtDialog::CmHelp() { ShowHelp(help_topic::kEventEditor, this); }

// ---- editEvtDialog ----------------------------------------------------------------------

const ui::ResponseTable& editEvtDialog::Table() {
    using R = ui::ResponseTableOf<editEvtDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kCmEditorScrolled, &editEvtDialog::CmScrolled),
        R::Notify(kScrollBar, ui::NotifyCode::Scrolled, &editEvtDialog::EvScroll),
        R::Notify(kListBox, ui::NotifyCode::DoubleClicked, &editEvtDialog::EvListDoubleClick),
        R::Command(kAddButton, &editEvtDialog::CmAdd),
        R::Command(kDeleteButton, &editEvtDialog::CmDelete),
        R::Command(kEditButton, &editEvtDialog::CmEdit),
        R::Command(kCreateAlertButton, &editEvtDialog::CmCreateAlert),
        R::Command(kDialogHelpButton, &editEvtDialog::CmHelp),
    });
    return table;
}

editEvtDialog::editEvtDialog(ui::Window* parent, int templateId, MapPane& pane)
    : Dialog((RegisterEditorTemplates(), parent), templateId), pane_(pane) {
    ++sEditorsOpen;
}

editEvtDialog::~editEvtDialog() {
    CloseCatalogue();
    --sEditorsOpen;
}

bool editEvtDialog::Open() { return sEditorsOpen > 0; }

void editEvtDialog::SetupWindow() {
    Dialog::SetupWindow();
    // The animation's handle goes; while the hold stands nothing reopens it.
    CloseQuakeCatalogue();
    hold_ = std::make_unique<CatalogueUpdateHold>();
    if (!hold_->held()) {
        hold_.reset();
        ui::MessageBox(this, kCatalogueBeingUpdatedText, "Edit Earthquake File", ui::Buttons::Ok,
                       ui::Icon::Exclamation);
        EndDialog(ui::IdOk);
        return;
    }
    if (!gShowEarthquakes || gEventFileName.empty() || !Reopen()) {
        const std::string text = gShowEarthquakes && !gEventFileName.empty()
                                     ? "Cannot open the earthquake catalogue " + gEventFileName + "."
                                     : std::string("This view shows no earthquakes.");
        ui::MessageBox(this, text, "Edit Earthquake File", ui::Buttons::Ok, ui::Icon::Exclamation);
        CloseCatalogue();
        EndDialog(ui::IdOk);
        return;
    }
    current_ = count_ - 1;
    step_ = ScrollStep(count_);
    if (auto* list = Item<ui::ListBox>(kListBox)) pageLength_ = std::max(1, list->rect().height() / list->itemHeight());
    if (auto* bar = Item<ui::ScrollBar>(kScrollBar)) {
        bar->SetPageSize(pageLength_);
        UpdateScrollRange();
        bar->SetPosition(bar->maximum());
    }
    edit_ = QuakeRecord{};
    FillList();
}

bool editEvtDialog::Reopen() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (path_.empty()) path_ = FindDataFile(gEventFileName);
    if (!path_.empty()) file_ = std::fopen(path_.c_str(), "rb");
    count_ = file_ ? QuakeRecordCount(file_) : 0;
    return file_ != nullptr;
}

void editEvtDialog::CloseCatalogue() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    hold_.reset();
}

void editEvtDialog::UpdateScrollRange() {
    if (auto* bar = Item<ui::ScrollBar>(kScrollBar)) bar->SetRange(0, count_ / step_);
}

void editEvtDialog::FillList() {
    auto* list = Item<ui::ListBox>(kListBox);
    if (!list) return;
    count_ = file_ ? QuakeRecordCount(file_) : 0;
    list->ClearList();
    const EditorPage page = PageFor(current_, count_, pageLength_);
    current_ = page.current;
    first_ = page.first;
    QuakeRecord q;
    for (std::int32_t i = 0; i < page.lines; ++i) {
        ReadQuakeAt(file_, first_ + i, kFromStart, &q);
        list->AddString(EditorListLine(first_ + i, q));
    }
    list->SetSelIndex(page.selected);
}

void editEvtDialog::EvScroll(ui::Notification&) { SendCommand(kCmEditorScrolled); }

void editEvtDialog::CmScrolled() {
    if (auto* bar = Item<ui::ScrollBar>(kScrollBar)) current_ = bar->position() * step_;
    FillList();
}

std::int32_t editEvtDialog::SelectedRecord() const {
    auto* list = Item<ui::ListBox>(kListBox);
    const int line = list ? list->selIndex() : -1;
    if (line < 0 || first_ + line >= count_) return -1;
    return first_ + line;
}

void editEvtDialog::Rewritten(const std::string& error, std::int32_t index) {
    if (!error.empty()) {
        ui::Beep(ui::BeepKind::Exclamation);
        ui::MessageBox(this, error, "The earthquake file was not changed", ui::Buttons::Ok, ui::Icon::Exclamation);
        DebugLog("%s", error.c_str());
    } else if (index >= 0) {
        current_ = index;
    }
    if (!Reopen()) {
        ui::MessageBox(this, "Cannot open the earthquake catalogue " + gEventFileName + " again.",
                       "Edit Earthquake File", ui::Buttons::Ok, ui::Icon::Exclamation);
    }
    UpdateScrollRange();
    FillList();
    // The thumb follows the record the edit left current.
    if (auto* bar = Item<ui::ScrollBar>(kScrollBar)) bar->SetPosition(current_ / step_);
}

void editEvtDialog::CmDelete() {
    const std::int32_t at = SelectedRecord();
    if (at < 0) return;
    auto* list = Item<ui::ListBox>(kListBox);
    const std::string line = list->String(list->selIndex()).substr(0, 79);
    if (ui::MessageBox(this, line, "Destroy this event?", ui::Buttons::OkCancel, ui::Icon::Question) != ui::IdOk)
        return;
    current_ = at;
    const CatalogueEdit e = DeleteQuakeRecord(path_, at);
    Rewritten(e.error, -1);
}

void editEvtDialog::EvListDoubleClick(ui::Notification&) { CmEdit(); }

void editEvtDialog::CmEdit() {
    const std::int32_t at = SelectedRecord();
    if (at < 0) return;
    current_ = at;
    ReadQuakeAt(file_, at, kFromStart, &edit_);
    if (newEvtDialog(this, kAddEventTemplate, &edit_).Execute() != ui::IdOk) return;
    const CatalogueEdit e = ReplaceQuakeRecord(path_, at, edit_);
    Rewritten(e.error, e.index);
}

void editEvtDialog::CmAdd() {
    if (newEvtDialog(this, kAddEventTemplate, &edit_).Execute() != ui::IdOk) return;
    const CatalogueEdit e = AddQuakeRecord(path_, edit_);
    Rewritten(e.error, e.index);
}

void editEvtDialog::CmCreateAlert() {
    const std::int32_t at = SelectedRecord();
    if (at < 0) return;
    current_ = at;
    QuakeRecord q;
    ReadQuakeAt(file_, at, kFromStart, &q);
    CloseCatalogue();
    pane_.BuildAlertView(q);
    alertBuilt_ = true;
    Dialog::CmOk();
}

void editEvtDialog::CmHelp() { ShowHelp(help_topic::kEventEditor, this); }

void editEvtDialog::CmOk() {
    CloseCatalogue();
    Dialog::CmOk();
}

void editEvtDialog::CmCancel() {
    CloseCatalogue();
    Dialog::CmCancel();
}

// ---- The frame's command ----------------------------------------------------------------

void myFrame::CmEditEarthquakeFile() {
    if (!layout_) return;
    // Built before the hold (its constructor neither draws nor reads gPaused), and alive
    // through the zoom: while an editor exists the housekeeping leaves the view alone.
    editEvtDialog editor(this, kEditEventsTemplate, layout_->map());
    {
        PauseForDialog pause;
        EraseTransientMarkers();
        editor.Execute();
    }
    // The alert view shows as the end of an alert pause shows it.
    if (editor.alertBuilt() && layout_ && layout_->control()) layout_->control()->SendCommand(kCmZoomToEarthquake);
}
