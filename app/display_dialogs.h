#pragma once
// How a view draws its map: the colour of one map item, the scale bar, and
// the shaded terrain with the folders of the elevation data.
#include <string>
#include <vector>

#include "app/region_dialogs.h"

inline constexpr int kColorDialogTemplate = 15;
inline constexpr int kScaleDialogTemplate = 906;
inline constexpr int kDemDialogTemplate = 5;

// The colour numbers the radio buttons stand for, from "None" (0) to "Black" (16).
inline constexpr int kColorButtonFirst = 114;
inline constexpr int kColorButtonCount = 17;

class colorDialog : public SettingsDialog {
public:
    // color: the colour number edited; name: the map item's.
    colorDialog(platform::ui::Window* parent, int templateId, int* color, std::string name);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    int* color_;
    std::string name_;
};

class scaleDialog : public SettingsDialog {
public:
    scaleDialog(platform::ui::Window* parent, int templateId);

protected:
    void SetupWindow() override;
    void CmOk() override;
};

class demDialog : public SettingsDialog {
public:
    demDialog(platform::ui::Window* parent, int templateId);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    struct Whole {
        int id;
        const char* label;
        int low, high;
        std::int32_t* setting;
    };
    std::vector<Whole> wholes_;
    std::vector<NumberField> slopes_;
    std::vector<std::string> wholeShown_;
};

void RegisterDisplayDialogTemplates();
