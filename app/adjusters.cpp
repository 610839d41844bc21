#include "app/adjusters.h"
#include "app/help.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "app/prompt_dialogs.h"
#include "core/number_text.h"
#include "core/view.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr std::size_t kReadChars = 7;
constexpr int kInterRedraw = 109;
constexpr int kSectionRedraw = 111;

// Whole part of a value, held to what an up-down can take.
int WholePart(double v) { return TruncToInt(v, 1e9); }

void AddButtons(ui::DialogTemplate& t, int redrawId, int x, int y, int dx, int dy) {
    t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(x, y, 36, 14)});
    t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(x + dx, y, 36, 14)});
    t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(x, y + dy, 36, 14)});
    t.items.push_back({ControlKind::Button, redrawId, "Redraw", 0, Rect::FromSize(x + dx, y + dy, 36, 14)});
}

}  // namespace

double WrapAzimuth(double degrees) {
    if (!std::isfinite(degrees)) return 0;
    // fmod first, so a huge value takes no loop of millions of turns.
    double a = std::fmod(degrees, 360.0);
    while (a > 180) a -= 360;
    while (a < -180) a += 360;
    return a;
}

double AdjusterRange::Clamp(double v) const {
    if (!std::isfinite(v)) return low;
    return std::clamp(v, low, high);
}

void RegisterAdjusterTemplates() {
    if (!ui::FindDialogTemplate(kInteractiveTemplate)) {
        ui::DialogTemplate t{kInteractiveTemplate, "", "MS Sans Serif", 8, {10, 320, 258, 401}, ui::dlg::kNoCaption, {}};
        auto row = [&t](const char* label, int edit, int spin, int y) {
            // A spin of the toolkit is two buttons side by side: room for both.
            t.items.push_back({ControlKind::Static, -1, label, 0, Rect::FromSize(6, y + 2, 92, 10)});
            t.items.push_back({ControlKind::Edit, edit, "", 0, Rect::FromSize(98, y, 32, 12)});
            t.items.push_back({ControlKind::UpDown, spin, "", 0, Rect::FromSize(131, y, 36, 12)});
        };
        row("Azimuth (deg from North)", 101, 102, 6);
        row("Pitch (deg from vertical)", 105, 104, 24);
        row("Distance (km)", 107, 106, 42);
        row("Magnification", 103, 108, 60);
        AddButtons(t, kInterRedraw, 172, 14, 38, 30);
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kCrossSectionTemplate)) {
        ui::DialogTemplate t{kCrossSectionTemplate, "", "MS Sans Serif", 8, {2, 382, 355, 423}, ui::dlg::kNoCaption, {}};
        auto column = [&t](const char* label, int edit, int spin, int x) {
            t.items.push_back({ControlKind::Static, -1, label, 0, Rect::FromSize(x, 5, 76, 10)});
            t.items.push_back({ControlKind::Edit, edit, "", 0, Rect::FromSize(x, 20, 36, 12)});
            t.items.push_back({ControlKind::UpDown, spin, "", 0, Rect::FromSize(x + 37, 20, 36, 12)});
        };
        column("Azimuth (deg)", 105, 106, 6);
        column("Length (km)", 107, 108, 86);
        column("Width (km)", 109, 110, 166);
        AddButtons(t, kSectionRedraw, 270, 4, 40, 20);
        ui::RegisterDialogTemplate(std::move(t));
    }
}

// ---- the shared strip

const ui::ResponseTable& AdjusterStrip::Table() {
    using R = ui::ResponseTableOf<AdjusterStrip, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kInterRedraw, &AdjusterStrip::CmRedraw),
        R::Command(kSectionRedraw, &AdjusterStrip::CmRedraw),
        R::Command(kDialogHelpButton, &AdjusterStrip::CmHelp),
    });
    return table;
}

AdjusterStrip::AdjusterStrip(ui::Window* parent, int templateId, std::function<void()> redraw,
                             std::function<void()> reopen)
    : Dialog((RegisterAdjusterTemplates(), parent), templateId),
      redraw_(std::move(redraw)),
      reopen_(std::move(reopen)) {}

bool AdjusterStrip::EvCommand(int id) { return Dialog::EvCommand(id) || control(id) != nullptr; }

void AdjusterStrip::EvTimer(int id) {
    if (id != kAdjusterTimer) return Dialog::EvTimer(id);
    KillTimer(kAdjusterTimer);  // one redraw per burst of spins
    ApplyAndRedraw();
}

void AdjusterStrip::EvShowWindow(bool shown) {
    if (!shown) KillTimer(kAdjusterTimer);
    Dialog::EvShowWindow(shown);
}

void AdjusterStrip::Spin(ui::Notification& n, int spinId, int editId, bool tenths) {
    n.refuse = true;
    auto* u = Item<ui::UpDown>(spinId);
    if (!u) return;
    // Not held to the range here: the value is held when it is read.
    const int position = u->position() + n.delta;
    u->SetPosition(position);
    if (auto* e = Item<ui::Edit>(editId))
        e->SetText(tenths ? FormatFixed(position * 0.1, 1, 5) : std::to_string(position));
    SetTimer(kAdjusterTimer, kAdjusterDelayMs);
}

double AdjusterStrip::ReadEdit(int editId) const {
    double v = 0;
    if (auto* e = Item<ui::Edit>(editId)) {
        const std::string typed = e->Text(kReadChars);
        TextScanner scan(typed);
        if (!scan.Double(&v) || !std::isfinite(v)) v = 0;
    }
    return v;
}

void AdjusterStrip::ShowWhole(int spinId, int editId, double value) {
    const int whole = WholePart(value);
    if (auto* u = Item<ui::UpDown>(spinId)) u->SetPosition(whole);
    if (auto* e = Item<ui::Edit>(editId)) e->SetText(std::to_string(whole));
}

void AdjusterStrip::ShowTenths(int spinId, int editId, double value) {
    const int position = WholePart(value * 10);
    if (auto* u = Item<ui::UpDown>(spinId)) u->SetPosition(position);
    if (auto* e = Item<ui::Edit>(editId)) e->SetText(FormatFixed(position * 0.1, 1, 5));
}

void AdjusterStrip::SetSpinRange(int spinId, double low, double high) {
    if (auto* u = Item<ui::UpDown>(spinId)) u->SetRange(WholePart(low), WholePart(high));
}

void AdjusterStrip::ApplyAndRedraw() {
    ReadValues();
    if (redraw_) redraw_();
}

void AdjusterStrip::CmRedraw() {
    KillTimer(kAdjusterTimer);
    ApplyAndRedraw();
}

void AdjusterStrip::CmHelp() { ShowHelp(helpTopic(), this); }

void AdjusterStrip::CmOk() {
    KillTimer(kAdjusterTimer);
    ReadValues();
    if (reopen_) reopen_();
}

void AdjusterStrip::CmCancel() {
    KillTimer(kAdjusterTimer);
    RestoreValues();
    if (reopen_) reopen_();
}

// ---- interDialog

const ui::ResponseTable& interDialog::Table() {
    using R = ui::ResponseTableOf<interDialog, AdjusterStrip>;
    static const ui::ResponseTable table = R::Build({
        R::Notify(102, ui::NotifyCode::Spin, &interDialog::EvSpinAzimuth),
        R::Notify(104, ui::NotifyCode::Spin, &interDialog::EvSpinDip),
        R::Notify(106, ui::NotifyCode::Spin, &interDialog::EvSpinDistance),
        R::Notify(108, ui::NotifyCode::Spin, &interDialog::EvSpinMagnification),
    });
    return table;
}

interDialog::interDialog(ui::Window* parent, int templateId, std::function<void()> redraw,
                         std::function<void()> reopen)
    : AdjusterStrip(parent, templateId, std::move(redraw), std::move(reopen)) {}

void interDialog::SetupWindow() {
    AdjusterStrip::SetupWindow();
    // The toolkit's spin stops at its range: the bundled views lie beyond the
    // narrow ranges of old, so the spins reach as far as a value may.
    SetSpinRange(102, -180, 180);
    SetSpinRange(104, kDipRange.low, kDipRange.high);
    SetSpinRange(106, kDistanceRange.low, kDistanceRange.high);
    SetSpinRange(108, kMagnificationRange.low * 10, kMagnificationRange.high * 10);
}

void interDialog::LoadValues() {
    azimuth_ = gViewAzimuth;
    dip_ = gViewDip;
    distance_ = gViewDistance;
    magnification_ = gMagnification;
    ShowWhole(102, 101, gViewAzimuth);
    ShowWhole(104, 105, gViewDip);
    ShowWhole(106, 107, gViewDistance);
    ShowTenths(108, 103, gMagnification);
}

void interDialog::ReadValues() {
    gViewAzimuth = WrapAzimuth(ReadEdit(101));
    ShowWhole(102, 101, gViewAzimuth);
    gViewDip = kDipRange.Clamp(ReadEdit(105));
    ShowWhole(104, 105, gViewDip);
    gViewDistance = kDistanceRange.Clamp(ReadEdit(107));
    ShowWhole(106, 107, gViewDistance);
    gMagnification = kMagnificationRange.Clamp(ReadEdit(103));
    ShowTenths(108, 103, gMagnification);
}

void interDialog::RestoreValues() {
    gViewAzimuth = azimuth_;
    gViewDip = dip_;
    gViewDistance = distance_;
    gMagnification = magnification_;
}

// ---- XSDialog

const ui::ResponseTable& XSDialog::Table() {
    using R = ui::ResponseTableOf<XSDialog, AdjusterStrip>;
    static const ui::ResponseTable table = R::Build({
        R::Notify(106, ui::NotifyCode::Spin, &XSDialog::EvSpinAzimuth),
        R::Notify(108, ui::NotifyCode::Spin, &XSDialog::EvSpinLength),
        R::Notify(110, ui::NotifyCode::Spin, &XSDialog::EvSpinWidth),
    });
    return table;
}

XSDialog::XSDialog(ui::Window* parent, int templateId, std::function<void()> redraw, std::function<void()> reopen)
    : AdjusterStrip(parent, templateId, std::move(redraw), std::move(reopen)) {}

void XSDialog::SetupWindow() {
    AdjusterStrip::SetupWindow();
    SetSpinRange(106, -180, 180);
    SetSpinRange(108, kSectionLengthRange.low, kSectionLengthRange.high);
    SetSpinRange(110, kSectionWidthRange.low, kSectionWidthRange.high);
}

void XSDialog::LoadValues() {
    azimuth_ = gViewAzimuth;
    width_ = gViewWidth;
    nearPlane_ = gViewNearPlane;
    farPlane_ = gViewFarPlane;
    ShowWhole(106, 105, gViewAzimuth);
    ShowWhole(108, 107, gViewWidth);
    ShowWhole(110, 109, gViewFarPlane - gViewNearPlane);
}

void XSDialog::ReadValues() {
    gViewAzimuth = WrapAzimuth(ReadEdit(105));
    ShowWhole(106, 105, gViewAzimuth);
    const double w = kSectionWidthRange.Clamp(ReadEdit(109));
    gViewFarPlane = w / 2;
    gViewNearPlane = -w / 2;
    ShowWhole(110, 109, w);
    gViewWidth = kSectionLengthRange.Clamp(ReadEdit(107));
    ShowWhole(108, 107, gViewWidth);
}

void XSDialog::RestoreValues() {
    gViewAzimuth = azimuth_;
    gViewWidth = width_;
    gViewNearPlane = nearPlane_;
    gViewFarPlane = farPlane_;
}
