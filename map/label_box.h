#pragma once
// Label boxes: every label the overlay renderer places is registered, so later
// labels keep clear of it, the map editor finds the label under the mouse, and
// a dragged label can rewrite the file line it came from. Coordinates are
// pixels relative to the map area's top-left corner.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/helpers.h"
#include "map/draw.h"

class Proj;
struct BorderPolygon;

// Frees a list read for a drag.
struct StringListDeleter {
    void operator()(StringListNode* head) const { FreeStringList(head); }
};
using OwnedStringList = std::unique_ptr<StringListNode, StringListDeleter>;

class LabelBox {
public:
    // Text and line lose their trailing blanks; a blank box has empty text and no line.
    LabelBox(platform::gfx::Point anchor, const platform::gfx::Rect& box, std::string_view text,
             std::shared_ptr<const platform::gfx::Font> font, int color, HJust h, VJust v, const std::string* line,
             int shadow);

    void BeginDrag(int x, int y);
    // The current box shifted by the mouse step while it stays inside the pane box.
    platform::gfx::Rect MovedBox(int x, int y) const;
    void DragTo(int x, int y);
    // Only labels with a font are drawn; returns the box drawn.
    platform::gfx::Rect Draw(platform::gfx::DrawContext& dc, bool highlighted) const;
    // The current box copied back from the map image (same coordinates on both).
    void RestoreBackground(platform::gfx::DrawContext& dc, const platform::gfx::Surface& mapImage,
                           platform::gfx::Point mapOrigin) const;
    // Writes the dropped label's line back into its list and file; true when
    // the file was rewritten, so the caller reopens the view.
    [[nodiscard]] bool SaveDraggedPosition(const Proj& proj);

    platform::gfx::Rect box;
    std::string text;
    bool hasLine = false;
    std::string line;     // the data line, cut at its options
    std::string options;  // what the line held from its option slash on (" /F", " /d6 /o1"); kept on rewrite
    bool quoted = false;  // the text was given in double quotes
    platform::gfx::Point anchor;
    platform::gfx::Point dragStart, last;
    platform::gfx::Rect currentBox;
    const BorderPolygon* region = nullptr;  // not owned
    std::shared_ptr<const platform::gfx::Font> font;  // none: the system font, never redrawn
    HJust hJust = HJust::Left;
    VJust vJust = VJust::Bottom;
    int color = kWhiteColor;
    int shadow = 0;
    std::string fileName;
    bool found = false;
    bool eventBox = false;
    bool oceanLabel = false;
    bool centreOnly = false;
    OwnedStringList lineList;
    StringListNode* lineNode = nullptr;  // in lineList
};

// ---- The registry ----------------------------------------------------------------------

// Owns every box placed since the last rendering, in placement order.
extern std::vector<std::unique_ptr<LabelBox>> gLabelBoxes;
// The label the map editor is dragging; it lives in gLabelBoxes.
extern LabelBox* gDraggedLabel;
// Rectangles of the PNG symbols drawn since the last paint.
extern std::vector<platform::gfx::Rect> gPngSymbolRects;

// Frees every box (and forgets the dragged one): at the start of each rendering's overlay step.
void ClearLabelBoxes();
void ForgetPngSymbols();
LabelBox& RegisterLabel(std::unique_ptr<LabelBox> box);

// Half-open point test, strict overlap (shared edges do not overlap), pane box edges included.
bool BoxContains(const platform::gfx::Rect& r, int x, int y);
bool BoxesOverlap(const platform::gfx::Rect& a, const platform::gfx::Rect& b);
bool InsidePaneBox(const platform::gfx::Rect& r);

// The first box with a line that contains the point; blank boxes never answer.
LabelBox* LabelAtPoint(platform::gfx::Point p);
LabelBox* FirstOverlappingLabel(const platform::gfx::Rect& r);

// The first 16 colour names of the overlay format, "BLACK" to "WHITE".
extern const char* const kOverlayColorNames[16];
// Index among the first 15 names, ignoring case; 15 (WHITE) otherwise.
int ColorIndexByName(std::string_view name);
// The point held to the map area (gMapRect, pane coordinates).
platform::gfx::Point ClampPointToMap(platform::gfx::Point p);
