#pragma once
// The legend pane beside the map: the Key button, the colour scale of depth
// (or of moment release) with the dot of each magnitude, and the eruption
// triangles by size and by type. It paints everything from the view and the
// configuration; cut-off changes and event counts redraw their parts only.
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/draw_context.h"
#include "platform/ui/window.h"

class textButton;

inline constexpr int kLegendKeyButton = 1067;
inline constexpr int kMapCmKeyText = 1068;  // the map pane opens "KEY.TXT"

// What one paint measures, in pixels.
struct LegendScale {
    int cw = 0;        // the legend font's average character width
    int th = 0;        // the legend font's height
    int tmH = 0;       // the height of the pane's own font
    double k = 0.0;    // screen height / 480
    double kx = 0.0;   // 1.36 k
    int keyH = 0;      // one colour swatch: 3 th / 4
};
LegendScale MeasureLegend(const platform::gfx::TextMetrics& legendFont, int paneFontHeight, int screenHeight);

// The scale's six labels, top to bottom: depths, or magnitudes with the MOMENT dots.
std::vector<std::string> LegendScaleLabels();

struct MagnitudeKeyRow {
    int magnitude = 0;
    int y = 0;        // the dot's centre
    int labelY = 0;   // the number's vertical centre
    int radius = 0;   // of the dot; 0 draws nothing
    bool atCutoff = false;  // at or above MAGNITUDE CUTOFF: red
};
// One row per whole magnitude from MINIMUM to MAXIMUM MAGNITUDE, from y = top;
// rows stop once they start below `bottom`, where nothing more can be seen.
// `end` gets the y below the last row.
std::vector<MagnitudeKeyRow> MagnitudeKeyRows(int top, int th, int bottom, int* end);

struct EruptionKeyRow {
    int size = 0;  // explosivity index 1..7
    int y = 0;
    bool atCutoff = false;  // at or above ERUPTION MAGNITUDE CUTOFF: yellow
};
std::vector<EruptionKeyRow> EruptionKeyRows(int top, double k, double kx);

class childLegend : public platform::ui::Window {
public:
    explicit childLegend(platform::ui::Window* parent);
    KESTRUNE_RESPONSE_TABLE(childLegend);

    // The whole legend; texts without a font of their own take the context's.
    void DrawLegend(platform::gfx::DrawContext& dc);
    // One column again after a cut-off change; nothing before a paint drew it.
    // The y below the last magnitude, and the x of the size triangles.
    int DrawMagnitudeKey();
    int DrawEruptionKey();
    // Writes the counts into the boxes the last paint drew.
    void DrawEventCounters(int quakes, int eruptions);
    void UnhighlightKeyButton();

    // ---- what tests read
    int shownQuakes() const { return quakes_; }
    int shownEruptions() const { return eruptions_; }
    textButton* keyButton() const { return keyButton_; }
    const platform::ui::Rect& quakeCounterBox() const { return quakeCounter_; }
    const platform::ui::Rect& eruptionCounterBox() const { return eruptionCounter_; }

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void ChildRemoved(platform::ui::Window* child) override;

private:
    void CmKeyButton();
    platform::ui::Rect LegendRect() const;
    int KeyButtonRow(int y);
    int DrawQuakeSection(platform::gfx::DrawContext& dc, int y);
    int DrawEruptionSection(platform::gfx::DrawContext& dc, int y);
    platform::ui::Rect DrawCounterBox(platform::gfx::DrawContext& dc, int* y);
    int DrawMagnitudeKey(platform::gfx::DrawContext& dc);
    int DrawEruptionKey(platform::gfx::DrawContext& dc);
    void DrawCounters(platform::gfx::DrawContext& dc, int quakes, int eruptions);

    textButton* keyButton_ = nullptr;
    platform::ui::Rect quakeCounter_{}, eruptionCounter_{};  // the areas for the numbers
    LegendScale scale_;
    // Remembered from the last paint for the column redraws; none when not drawn.
    int dotX_ = 0;
    std::optional<int> magnitudeTop_, eruptionTop_;
    int quakes_ = -1, eruptions_ = -1;
};
