#include "app/city_dialogs.h"

#include <cstdlib>

#include "core/helpers.h"
#include "core/number_text.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {

constexpr int kHelpButton = 9;
constexpr int kNameEdit = 1045, kRegionEdit = 1047, kRegionCodeEdit = 1048, kCountryEdit = 1046,
              kCountryCodeEdit = 125, kLatitudeEdit = 126, kLongitudeEdit = 127, kPopulationEdit = 109;
constexpr std::size_t kTextRead = 78, kCodeRead = 2, kNumberRead = 15;
constexpr int kPlaceList = 1046, kPlaceListText = 1049;

ui::DialogItem Label(const char* text, int x, int y) { return {ControlKind::Static, -1, text, 0, Rect::FromSize(x, y, 100, 10)}; }
ui::DialogItem Field(int id, int x, int y, int w, std::uint32_t style = 0) {
    return {ControlKind::Edit, id, "", style, Rect::FromSize(x, y, w, 12)};
}

std::string EditText(const ui::Dialog& d, int id, std::size_t most) {
    auto* e = d.Item<ui::Edit>(id);
    return e ? e->Text(most) : std::string();
}

void SetEdit(const ui::Dialog& d, int id, const std::string& text) {
    if (auto* e = d.Item<ui::Edit>(id)) e->SetText(text);
}

}  // namespace

void RegisterCityDialogTemplates() {
    if (!ui::FindDialogTemplate(kNewCityTemplate)) {
        ui::RegisterDialogTemplate({kNewCityTemplate, "Add New City", "MS Sans Serif", 8, {0, 0, 303, 158}, 0, {
            Label("City Name", 8, 8), Field(kNameEdit, 110, 6, 185),
            Label("State or Province Name", 8, 26), Field(kRegionEdit, 110, 24, 185),
            Label("State or Province code", 8, 44), Field(kRegionCodeEdit, 110, 42, 30, ui::ctl::kUpperCase),
            Label("Country Name", 8, 62), Field(kCountryEdit, 110, 60, 185),
            Label("Country code", 8, 80), Field(kCountryCodeEdit, 110, 78, 30, ui::ctl::kUpperCase),
            Label("Latitude", 8, 98), Field(kLatitudeEdit, 110, 96, 60),
            Label("Longitude", 8, 116), Field(kLongitudeEdit, 110, 114, 60),
            Label("Population", 180, 98), Field(kPopulationEdit, 230, 96, 65),
            {ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(186, 136, 50, 14)},
            {ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(245, 136, 50, 14)},
        }});
    }
    if (!ui::FindDialogTemplate(kPlacesFromListTemplate)) {
        ui::RegisterDialogTemplate({kPlacesFromListTemplate, "Cities contained in this view", "MS Sans Serif", 8,
                                    {0, 0, 220, 198}, 0, {
            {ControlKind::Static, kPlaceListText,
             "Select cities you would like to add to the view. You can select multiple cities by clicking on them.", 0,
             Rect::FromSize(8, 6, 204, 26)},
            {ControlKind::ListBox, kPlaceList, "", ui::ctl::kMultiSelect | ui::ctl::kVScroll,
             Rect::FromSize(8, 34, 204, 136)},
            {ControlKind::DefaultButton, ui::IdOk, "OK", 0, Rect::FromSize(50, 176, 50, 14)},
            {ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(120, 176, 50, 14)},
        }});
    }
}

// ---- newCityDialog

const ui::ResponseTable& newCityDialog::Table() {
    using R = ui::ResponseTableOf<newCityDialog, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({R::Command(kHelpButton, &newCityDialog::CmHelp)});
    return table;
}

newCityDialog::newCityDialog(ui::Window* parent, int templateId, std::string* name, std::string* region,
                             std::string* regionCode, std::string* country, std::string* countryCode,
                             double* latitude, double* longitude, int* population)
    : Dialog((RegisterCityDialogTemplates(), parent), templateId),
      name_(name),
      region_(region),
      regionCode_(regionCode),
      country_(country),
      countryCode_(countryCode),
      latitude_(latitude),
      longitude_(longitude),
      population_(population) {}

void newCityDialog::SetupWindow() {
    Dialog::SetupWindow();
    SetEdit(*this, kNameEdit, *name_);
    SetEdit(*this, kRegionEdit, *region_);
    SetEdit(*this, kRegionCodeEdit, *regionCode_);
    SetEdit(*this, kCountryEdit, *country_);
    SetEdit(*this, kCountryCodeEdit, *countryCode_);
    SetEdit(*this, kLatitudeEdit, FormatFixed(*latitude_, 3, 7));
    SetEdit(*this, kLongitudeEdit, FormatFixed(*longitude_, 3, 7));
    SetEdit(*this, kPopulationEdit, std::to_string(*population_));
}

void newCityDialog::CmOk() {
    *name_ = EditText(*this, kNameEdit, kTextRead);
    *region_ = EditText(*this, kRegionEdit, kTextRead);
    *regionCode_ = EditText(*this, kRegionCodeEdit, kCodeRead);
    *country_ = EditText(*this, kCountryEdit, kTextRead);
    *countryCode_ = EditText(*this, kCountryCodeEdit, kCodeRead);
    double v = 0;
    *latitude_ = ScanLeadingDouble(EditText(*this, kLatitudeEdit, kNumberRead), &v) ? v : 0;
    v = 0;
    *longitude_ = ScanLeadingDouble(EditText(*this, kLongitudeEdit, kNumberRead), &v) ? v : 0;
    long long n = 0;
    *population_ = ScanLeadingInteger(EditText(*this, kPopulationEdit, kNumberRead), 10, &n) && n >= 0 &&
                           n <= 2147483647LL
                       ? static_cast<int>(n)
                       : 0;
    Dialog::CmOk();
}

// ---- the list dialogs

std::string CityListLine(const CityRecord& c) {
    return c.name + ", " + (EqualsIgnoringCase(c.country, "United States") ? c.region : c.country);
}

std::string PlantListLine(const PlaceRecord& p) { return p.region + ", " + p.name; }

template <class Record>
const ui::ResponseTable& PlacesFromListDialog<Record>::Table() {
    using R = ui::ResponseTableOf<PlacesFromListDialog<Record>, ui::Dialog>;
    static const ui::ResponseTable table = R::Build({R::Command(kHelpButton, &PlacesFromListDialog<Record>::CmHelp)});
    return table;
}

template <class Record>
PlacesFromListDialog<Record>::PlacesFromListDialog(ui::Window* parent, int templateId,
                                                   std::vector<const Record*> records,
                                                   std::vector<const Record*>* result)
    : Dialog((RegisterCityDialogTemplates(), parent), templateId), records_(std::move(records)), result_(result) {}

template <class Record>
void PlacesFromListDialog<Record>::SetupWindow() {
    Dialog::SetupWindow();
    if constexpr (std::is_same_v<Record, PlaceRecord>) {
        SetCaption("Nuclear Power Plants contained in this view");
        if (auto* s = Item<ui::Static>(kPlaceListText))
            s->SetText("Select the Nuclear Power Plants you want to add. You can select multiple plants by clicking "
                       "on them.");
    }
    auto* list = Item<ui::ListBox>(kPlaceList);
    if (!list) return;
    for (const Record* r : records_) {
        if constexpr (std::is_same_v<Record, PlaceRecord>) list->AddString(PlantListLine(*r));
        else list->AddString(CityListLine(*r));
    }
}

template <class Record>
void PlacesFromListDialog<Record>::CmOk() {
    if (result_) {
        result_->clear();
        if (auto* list = Item<ui::ListBox>(kPlaceList))
            for (int i : list->selIndexes())
                if (i >= 0 && i < static_cast<int>(records_.size())) result_->push_back(records_[i]);
    }
    Dialog::CmOk();
}

template class PlacesFromListDialog<CityRecord>;
template class PlacesFromListDialog<PlaceRecord>;
