#pragma once
// The hue editor: every ramp of a hue file as a row of colour cells; a click
// on a start or end value opens an up-down on it, Okay writes the file.
#include <string>
#include <vector>

#include "map/hue.h"
#include "platform/ui/controls.h"
#include "platform/ui/window.h"

inline constexpr int kHueSpinId = 73194;

class EditHue : public platform::ui::Window {
public:
    EditHue(platform::ui::Window* parent, const std::string& hueFile);
    KESTRUNE_RESPONSE_TABLE(EditHue);

    const std::vector<HueLine>& lines() const { return lines_; }
    int selectedLine() const { return selectedLine_; }
    int selectedField() const { return selectedField_; }
    platform::ui::UpDown* spin() const { return spin_; }
    platform::ui::Edit* cellEdit() const { return cellEdit_; }
    platform::ui::Edit* fileNameEdit() const { return fileName_; }
    // The rows shown (the first 32 lines); the rest are kept and written back.
    int shownLines() const;
    // The cell rectangle of a shown line's field, in client pixels; empty when none.
    platform::ui::Rect CellRect(int line, int cell) const;

    void CmOkay();
    void CmCancel();
    void EvDeltaPos(platform::ui::Notification& n);

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvRButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    struct Grid {
        int left = 0, top = 0, rowHeight = 0, cellWidth = 0;
    };
    Grid GridOf() const;
    void CloseCellEditor();

    platform::ui::Button* okay_ = nullptr;
    platform::ui::Button* cancel_ = nullptr;
    platform::ui::Edit* fileName_ = nullptr;
    platform::ui::UpDown* spin_ = nullptr;
    platform::ui::Edit* cellEdit_ = nullptr;
    std::string hueFile_;
    std::vector<HueLine> lines_;  // in file order, every one
    int selectedLine_ = -1;
    int selectedField_ = 0;
};
