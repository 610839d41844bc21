#pragma once
// The map editor's place dialogs: the particulars of a new city, and lists
// of the cities or nuclear plants inside the view to choose from.
#include <string>
#include <vector>

#include "core/places.h"
#include "platform/ui/dialog.h"

inline constexpr int kNewCityTemplate = 126;
inline constexpr int kPlacesFromListTemplate = 127;

class newCityDialog : public platform::ui::Dialog {
public:
    newCityDialog(platform::ui::Window* parent, int templateId, std::string* name, std::string* region,
                  std::string* regionCode, std::string* country, std::string* countryCode, double* latitude,
                  double* longitude, int* population);
    KESTRUNE_RESPONSE_TABLE(newCityDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmHelp() {}

    std::string *name_, *region_, *regionCode_, *country_, *countryCode_;
    double *latitude_, *longitude_;
    int* population_;
};

// The lines shown for the list: "name, country", or "name, state" in the United States.
std::string CityListLine(const CityRecord& city);
// "region, name".
std::string PlantListLine(const PlaceRecord& plant);

// The chosen records, in line order, replace the caller's result at OK.
template <class Record>
class PlacesFromListDialog : public platform::ui::Dialog {
public:
    PlacesFromListDialog(platform::ui::Window* parent, int templateId, std::vector<const Record*> records,
                         std::vector<const Record*>* result);
    KESTRUNE_RESPONSE_TABLE(PlacesFromListDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmHelp() {}

    std::vector<const Record*> records_;
    std::vector<const Record*>* result_;
};
using CityFromListDialog = PlacesFromListDialog<CityRecord>;
using NPPFromListDialog = PlacesFromListDialog<PlaceRecord>;

void RegisterCityDialogTemplates();
