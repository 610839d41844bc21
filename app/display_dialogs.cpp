#include "app/display_dialogs.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "app/display_commands.h"
#include "app/prompt_dialogs.h"
#include "core/config.h"
#include "core/view.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr const char* kColorNames[kColorButtonCount] = {
    "None",      "Blue",        "Green",      "Cyan",       "Red",           "Magenta", "Brown", "Light Gray",
    "Dark Gray", "Light Blue",  "Light Green", "Light Cyan", "Light Red", "Light Magenta", "Yellow", "White",
    "Black"};
constexpr int kColorName = 444;
constexpr int kShowScale = 101, kScaleMiles = 102, kScaleKm = 103;
constexpr int kTopoFirst = 1101, kTopoCount = 12;
constexpr int kBathymetryBox = 1119, kHueFileEdit = 120;
constexpr std::size_t kHueFileChars = 28, kFolderChars = 71, kNumberChars = 11;
constexpr int kMaxWaterBands = 30;

constexpr const char* kTopoNames[kTopoCount] = {
    "No shaded terrain",          "USA 5-minute  (USA.Z)",        "USA 30-second (TOPO30)",
    "USA 3-second (RMC CD-ROM)",  "Alaska 3-second (RMC CD-ROM)", "World 5-minute DEM (ETOPO5)",
    "USA 9-sec (ER Mapper CD-ROM)", "World 30-sec DEM (GTOPO30)", "World 2-minute DEM (ETOPO2)",
    "World 1-minute DEM (ETOPO1)", "USA 3 sec ER Mapper (CD_ROM)", "National Elev. Data (NED) 1-sec"};

struct Folder {
    int id;
    const char* label;
    std::string* setting;
};
const Folder kFolders[] = {
    {110, "ETOPO5", &gWorldEtopo5Dir}, {111, "USA.Z", &gUsaEtopo5Dir},      {112, "TOPO30", &gUsaTopo30Dir},
    {113, "*.3CD", &gUsaTopo3Dir},     {114, "USADEM.BIL", &gUsaTopo9Dir},  {115, "GTOPO30", &gWorldGtopo30Dir},
    {116, "ETOPO1", &gWorldEtopo1Dir}, {117, "ETOPO2", &gWorldEtopo2Dir},   {118, "USADEM?.BIL", &gErMapperDir},
    {119, "NED1", &gNed1Dir},
};

void AddStandardButtons(ui::DialogTemplate& t, int x, int y, int dy) {
    t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(x, y, 50, 14)});
    t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(x, y + dy, 50, 14)});
    t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(x, y + 2 * dy, 50, 14)});
}

}  // namespace

void RegisterDisplayDialogTemplates() {
    if (!ui::FindDialogTemplate(kColorDialogTemplate)) {
        ui::DialogTemplate t{kColorDialogTemplate, "Map Colors", "MS Sans Serif", 8, {0, 0, 223, 154}, 0, {}};
        t.items.push_back({ControlKind::Static, kColorName, "", 0, Rect::FromSize(8, 6, 150, 10)});
        for (int i = 0; i < kColorButtonCount; ++i) {
            const int column = i < 9 ? 0 : 1, row = i < 9 ? i : i - 9;
            t.items.push_back({ControlKind::RadioButton, kColorButtonFirst + i, kColorNames[i],
                               i == 0 ? ui::ctl::kGroup : 0u, Rect::FromSize(8 + column * 76, 20 + row * 14, 72, 12)});
        }
        AddStandardButtons(t, 166, 20, 20);
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kScaleDialogTemplate)) {
        ui::DialogTemplate t{kScaleDialogTemplate, "Scale Dialog", "MS Sans Serif", 8, {0, 0, 199, 86}, 0, {}};
        t.items.push_back({ControlKind::CheckBox, kShowScale, "Show Scale", 0, Rect::FromSize(10, 10, 90, 12)});
        t.items.push_back({ControlKind::RadioButton, kScaleKm, "Scale in km", ui::ctl::kGroup,
                           Rect::FromSize(10, 32, 90, 12)});
        t.items.push_back({ControlKind::RadioButton, kScaleMiles, "Scale in miles", 0, Rect::FromSize(10, 48, 90, 12)});
        AddStandardButtons(t, 140, 8, 22);
        ui::RegisterDialogTemplate(std::move(t));
    }
    if (!ui::FindDialogTemplate(kDemDialogTemplate)) {
        ui::DialogTemplate t{kDemDialogTemplate, "Digital Elevation Models", "MS Sans Serif", 8, {0, 0, 356, 347}, 0, {}};
        auto text = [&t](const char* s, int x, int y, int w) {
            t.items.push_back({ControlKind::Static, -1, s, 0, Rect::FromSize(x, y, w, 10)});
        };
        auto edit = [&t](const char* label, int id, int x, int y, int labelWidth, int editWidth) {
            t.items.push_back({ControlKind::Static, -1, label, 0, Rect::FromSize(x, y + 2, labelWidth, 10)});
            t.items.push_back({ControlKind::Edit, id, "", 0, Rect::FromSize(x + labelWidth + 2, y, editWidth, 12)});
        };
        text("Select which Digital Elevation Model (DEM) to use for THIS view.", 8, 6, 300);
        text("World wide", 8, 20, 120);
        text("USA", 180, 20, 120);
        // World models on the left, the American ones on the right.
        const int world[] = {0, 5, 7, 8, 9}, usa[] = {1, 2, 3, 4, 6, 10, 11};
        int y = 32;
        for (int k : world) {
            t.items.push_back({ControlKind::RadioButton, kTopoFirst + k, kTopoNames[k], k == 0 ? ui::ctl::kGroup : 0u,
                               Rect::FromSize(8, y, 160, 12)});
            y += 14;
        }
        y = 32;
        for (int k : usa) {
            t.items.push_back({ControlKind::RadioButton, kTopoFirst + k, kTopoNames[k], 0,
                               Rect::FromSize(180, y, 168, 12)});
            y += 14;
        }
        edit("Contour Interval (m)", 147, 8, 136, 96, 40);
        edit("Maximum slope", 134, 180, 136, 96, 40);
        edit("Bathymetry Contour Interval (m)", 123, 8, 152, 96, 40);
        edit("Bath. max slope", 121, 180, 152, 96, 40);
        edit("Number of bathymetry levels", 122, 8, 168, 96, 40);
        t.items.push_back({ControlKind::CheckBox, kBathymetryBox, "Bathymetry", 0, Rect::FromSize(180, 168, 80, 12)});
        edit("Hue file", kHueFileEdit, 8, 184, 96, 120);
        text("Specify the location and name of DEMs.  These locations are used for ALL views.", 8, 204, 340);
        y = 218;
        for (std::size_t i = 0; i < std::size(kFolders); ++i) {
            const int x = i % 2 ? 180 : 8;
            edit(kFolders[i].label, kFolders[i].id, x, y, 48, 116);
            if (i % 2) y += 16;
        }
        t.items.push_back({ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(60, 324, 50, 14)});
        t.items.push_back({ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(153, 324, 50, 14)});
        t.items.push_back({ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(246, 324, 50, 14)});
        ui::RegisterDialogTemplate(std::move(t));
    }
}

// ---- colorDialog

colorDialog::colorDialog(ui::Window* parent, int templateId, int* color, std::string name)
    : SettingsDialog((RegisterDisplayDialogTemplates(), parent), templateId, 1031),
      color_(color),
      name_(std::move(name)) {}

void colorDialog::SetupWindow() {
    SettingsDialog::SetupWindow();
    if (auto* s = Item<ui::Static>(kColorName)) s->SetText(name_);
    for (int i = 0; i < kColorButtonCount; ++i)
        if (auto* b = Item<ui::CheckBox>(kColorButtonFirst + i)) b->SetCheck(color_ && *color_ == i);
}

void colorDialog::CmOk() {
    // No button set (a colour beyond Black was shown): the colour stays.
    for (int i = 0; i < kColorButtonCount; ++i) {
        const auto* b = Item<ui::CheckBox>(kColorButtonFirst + i);
        if (b && b->checked()) {
            if (color_) *color_ = i;
            break;
        }
    }
    Dialog::CmOk();
}

// ---- scaleDialog

scaleDialog::scaleDialog(ui::Window* parent, int templateId)
    : SettingsDialog((RegisterDisplayDialogTemplates(), parent), templateId, 1046) {}

void scaleDialog::SetupWindow() {
    SettingsDialog::SetupWindow();
    if (auto* b = Item<ui::CheckBox>(kShowScale)) b->SetCheck(gShowMapScale);
    if (auto* b = Item<ui::CheckBox>(kScaleKm)) b->SetCheck(gScaleInKm);
    if (auto* b = Item<ui::CheckBox>(kScaleMiles)) b->SetCheck(!gScaleInKm);
}

void scaleDialog::CmOk() {
    if (const auto* b = Item<ui::CheckBox>(kShowScale)) gShowMapScale = gQmxScale = b->checked();
    if (const auto* b = Item<ui::CheckBox>(kScaleKm)) gScaleInKm = b->checked();
    (void)SaveViewSetting();
    Dialog::CmOk();
}

// ---- demDialog

demDialog::demDialog(ui::Window* parent, int templateId)
    : SettingsDialog((RegisterDisplayDialogTemplates(), parent), templateId, 1048),
      wholes_{{147, "Contour Interval (m)", 1, INT_MAX, &gContourInterval},
              {123, "Bathymetry Contour Interval (m)", 1, INT_MAX, &gBathymetryContourInterval},
              {122, "Number of bathymetry levels", 0, kMaxWaterBands, &gBathymetryContourLevels}},
      slopes_{{134, "Maximum slope", -1e300, 1e300, &gMaxSlope, {}},
              {121, "Bath. max slope", -1e300, 1e300, &gBathymetryMaxSlope, {}}} {}

void demDialog::SetupWindow() {
    SettingsDialog::SetupWindow();
    for (int k = 0; k < kTopoCount; ++k)
        if (auto* b = Item<ui::CheckBox>(kTopoFirst + k)) b->SetCheck(gTopo == k);
    for (const Folder& f : kFolders)
        if (auto* e = Item<ui::Edit>(f.id)) {
            e->SetTextLimit(kFolderChars);
            e->SetText(*f.setting);
        }
    wholeShown_.clear();
    for (const Whole& w : wholes_) {
        wholeShown_.push_back(std::to_string(*w.setting));
        if (auto* e = Item<ui::Edit>(w.id)) e->SetText(wholeShown_.back());
    }
    for (NumberField& f : slopes_) ShowNumber(f);
    if (auto* e = Item<ui::Edit>(kHueFileEdit)) {
        e->SetTextLimit(kHueFileChars);
        e->SetText(gTopoHueFile);
    }
    if (auto* b = Item<ui::CheckBox>(kBathymetryBox)) b->SetCheck(gShowBathymetry);
}

void demDialog::CmOk() {
    std::vector<std::int32_t> wholes;
    for (std::size_t i = 0; i < wholes_.size(); ++i) {
        const Whole& w = wholes_[i];
        const auto* e = Item<ui::Edit>(w.id);
        const std::string typed = e ? e->Text(kNumberChars) : wholeShown_[i];
        if (typed == wholeShown_[i]) {
            wholes.push_back(*w.setting);
            continue;
        }
        const std::optional<double> v = FieldNumber(typed);
        if (!v) return Refuse(std::string(w.label) + ": \"" + typed + "\" is not a number.");
        const double whole = std::trunc(*v);
        if (whole < w.low && w.low > 0) return Refuse(std::string(w.label) + " must be at least " + std::to_string(w.low) + ".");
        wholes.push_back(static_cast<std::int32_t>(std::clamp<double>(whole, w.low, w.high)));
    }
    for (NumberField& f : slopes_) {
        if (!ReadNumber(f, kNumberChars)) return;
        if (!(f.value > 0)) return Refuse(std::string(f.label) + " must be greater than 0.");
    }

    for (std::size_t i = 0; i < wholes_.size(); ++i) *wholes_[i].setting = wholes[i];
    for (NumberField& f : slopes_) *f.setting = f.value;
    for (int k = 0; k < kTopoCount; ++k) {
        const auto* b = Item<ui::CheckBox>(kTopoFirst + k);
        if (b && b->checked()) {
            gTopo = k;
            break;
        }
    }
    for (const Folder& f : kFolders)
        if (const auto* e = Item<ui::Edit>(f.id)) *f.setting = e->Text(kFolderChars);
    if (const auto* e = Item<ui::Edit>(kHueFileEdit)) gTopoHueFile = e->Text(kHueFileChars);
    if (const auto* b = Item<ui::CheckBox>(kBathymetryBox)) gShowBathymetry = b->checked();
    (void)SaveConfigurationSetting();
    Dialog::CmOk();
}
