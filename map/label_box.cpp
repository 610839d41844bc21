#include "map/label_box.h"

#include <algorithm>
#include <cstdio>

#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/proj.h"

namespace gfx = platform::gfx;

std::vector<std::unique_ptr<LabelBox>> gLabelBoxes;
LabelBox* gDraggedLabel = nullptr;
std::vector<gfx::Rect> gPngSymbolRects;

const char* const kOverlayColorNames[16] = {
    "BLACK",     "BLUE",        "GREEN",      "CYAN",      "RED",       "MAGENTA",       "BROWN",  "LIGHT GRAY",
    "DARK GRAY", "LIGHT BLUE",  "LIGHT GREEN", "LIGHT CYAN", "LIGHT RED", "LIGHT MAGENTA", "YELLOW", "WHITE",
};

namespace {

std::string Trimmed(std::string_view s) {
    std::string t(s);
    TrimTrailingBlanks(t);
    return t;
}

}  // namespace

LabelBox::LabelBox(gfx::Point anchorPoint, const gfx::Rect& r, std::string_view labelText,
                   std::shared_ptr<const gfx::Font> labelFont, int colorNumber, HJust h, VJust v,
                   const std::string* dataLine, int shadowOffset)
    : box(r),
      text(Trimmed(labelText)),
      hasLine(dataLine != nullptr),
      line(dataLine ? Trimmed(*dataLine) : std::string()),
      anchor(anchorPoint),
      font(std::move(labelFont)),
      hJust(h),
      vJust(v),
      color(colorNumber),
      shadow(shadowOffset) {}

void LabelBox::BeginDrag(int x, int y) {
    dragStart = last = {x, y};
    currentBox = box;
}

gfx::Rect LabelBox::MovedBox(int x, int y) const {
    const gfx::Rect moved = currentBox.translated({x - last.x, y - last.y});
    return InsidePaneBox(moved) ? moved : currentBox;
}

void LabelBox::DragTo(int x, int y) {
    const gfx::Point step{x - last.x, y - last.y};
    currentBox = currentBox.translated(step);
    anchor = {anchor.x + step.x, anchor.y + step.y};
    last = {x, y};
}

gfx::Rect LabelBox::Draw(gfx::DrawContext& dc, bool highlighted) const {
    if (!font) return {};
    return DrawJustifiedText(dc, anchor.x, anchor.y, font, text, highlighted ? kDarkGrayColor : color, kNoColor,
                             hJust, vJust, shadow, 0);
}

void LabelBox::RestoreBackground(gfx::DrawContext& dc, const gfx::Surface& mapImage, gfx::Point mapOrigin) const {
    gfx::StateSaver keep(dc);
    dc.SetOrigin(mapOrigin);
    dc.Blit(currentBox, mapImage, currentBox.topLeft() + mapOrigin, gfx::RasterOp::Copy);
}

bool LabelBox::SaveDraggedPosition(const Proj& proj) {
    double lat = 0, offset = 0;
    proj.ScreenToLatLon(anchor.y, anchor.x, &lat, &offset);
    double lon = gWestEdge + offset;
    if (lon > 180) lon -= 360;

    std::string shown = text;
    shown.erase(0, shown.find_first_not_of(' ') == std::string::npos ? shown.size() : shown.find_first_not_of(' '));
    if (quoted) shown = "\"" + shown + "\"";
    const std::string head = FormatGeneral(lat, 6, 6) + " " + FormatGeneral(lon, 6, 7) + " ";
    // The options of the old line (forcing, offset, a plant's operating flag) stay with it.
    std::string newLine = head + shown + options;
    TrimTrailingBlanks(newLine);

    if (!lineNode) return false;
    lineNode->text = newLine;
    lineNode->length = static_cast<std::int32_t>(newLine.size());
    if (!lineList) return false;
    const bool written = WriteStringList(lineList.get(), fileName);
    lineList.reset();
    lineNode = nullptr;
    return written;
}

// ---- The registry ----------------------------------------------------------------------

void ClearLabelBoxes() {
    gDraggedLabel = nullptr;
    gLabelBoxes.clear();
}

void ForgetPngSymbols() { gPngSymbolRects.clear(); }

LabelBox& RegisterLabel(std::unique_ptr<LabelBox> box) {
    gLabelBoxes.push_back(std::move(box));
    return *gLabelBoxes.back();
}

bool BoxContains(const gfx::Rect& r, int x, int y) { return r.left <= x && x < r.right && r.top <= y && y < r.bottom; }

bool BoxesOverlap(const gfx::Rect& a, const gfx::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool InsidePaneBox(const gfx::Rect& r) {
    return r.left >= 0 && r.right <= gPaneWidth && r.top >= 0 && r.bottom <= gPaneHeight;
}

LabelBox* LabelAtPoint(gfx::Point p) {
    for (auto& b : gLabelBoxes)
        if (b->hasLine && BoxContains(b->box, p.x, p.y)) return b.get();
    return nullptr;
}

LabelBox* FirstOverlappingLabel(const gfx::Rect& r) {
    for (auto& b : gLabelBoxes)
        if (BoxesOverlap(b->box, r)) return b.get();
    return nullptr;
}

int ColorIndexByName(std::string_view name) {
    for (int i = 0; i < 15; ++i)
        if (EqualsIgnoringCase(name, kOverlayColorNames[i])) return i;
    return kWhiteColor;
}

gfx::Point ClampPointToMap(gfx::Point p) {
    p.x = std::clamp(p.x, gMapRect.left, gMapRect.right);
    p.y = std::clamp(p.y, gMapRect.top, gMapRect.bottom);
    return p;
}
