// Eruption triangles, volcano names and the base map's eruption layer.
#include "map/eruption_symbols.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "core/config.h"
#include "core/helpers.h"
#include "core/record_file.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/quake_symbols.h"
#include "map/section3d.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

DisplayedEruptions gDisplayedEruptions;
DisplayedEruptions gDisplayedEruptionsSphere;

namespace {
std::string_view VolcanoOf(const EruptionEvent& e);
}  // namespace

void DisplayedEruptions::File(EruptionEvent* e, const EruptionBox& box) {
    filed_[e] = box;
    if (box.left >= box.right || box.top >= box.bottom) return;
    for (int r = Cell(box.top); r <= Cell(box.bottom - 1); ++r)
        for (int c = Cell(box.left); c <= Cell(box.right - 1); ++c)
            cells_[static_cast<std::size_t>(r) * kCells + c].push_back({e, box});
}

void DisplayedEruptions::Unfile(const EruptionEvent* e, const EruptionBox& box) {
    if (box.left < box.right && box.top < box.bottom) {
        for (int r = Cell(box.top); r <= Cell(box.bottom - 1); ++r)
            for (int c = Cell(box.left); c <= Cell(box.right - 1); ++c)
                std::erase_if(cells_[static_cast<std::size_t>(r) * kCells + c],
                              [e](const Filed& f) { return f.event == e; });
    }
    filed_.erase(e);
}

void DisplayedEruptions::push_back(std::unique_ptr<EruptionEvent> e) {
    if (e && !filed_.contains(e.get())) {
        const std::string_view id = VolcanoOf(*e);
        if (!id.empty()) byVolcano_[std::string(id)].push_back(e.get());
        File(e.get(), e->display.symbolBox());
    }
    list_.push_back(std::move(e));
}

void DisplayedEruptions::clear() {
    byVolcano_.clear();
    filed_.clear();
    for (auto& cell : cells_) cell.clear();
    list_.clear();
    namesPlaced_ = false;
}

void DisplayedEruptions::RemoveErased() {
    for (const auto& e : list_) {
        if (!e || !e->erase) continue;
        if (const auto f = filed_.find(e.get()); f != filed_.end()) Unfile(e.get(), f->second);
        const auto it = byVolcano_.find(std::string(VolcanoOf(*e)));
        if (it == byVolcano_.end()) continue;
        std::erase(it->second, e.get());
        if (it->second.empty()) byVolcano_.erase(it);
    }
    std::erase_if(list_, [](const std::unique_ptr<EruptionEvent>& e) { return !e || e->erase; });
}

void DisplayedEruptions::SymbolMoved(const EruptionEvent& e) {
    const auto f = filed_.find(&e);
    if (f == filed_.end()) return;
    EruptionEvent* entry = const_cast<EruptionEvent*>(&e);  // listed, so the list owns it
    Unfile(&e, f->second);
    File(entry, e.display.symbolBox());
}

std::vector<EruptionEvent*> DisplayedEruptions::SameVolcano(const EruptionEvent& e) const {
    std::vector<EruptionEvent*> others;
    const std::string_view id = VolcanoOf(e);
    if (id.empty()) return others;
    const auto it = byVolcano_.find(std::string(id));
    if (it == byVolcano_.end()) return others;
    for (EruptionEvent* other : it->second)
        if (other != &e) others.push_back(other);
    return others;
}

namespace {

constexpr int kSphereNameHeight = 50;

double gSymbolScale = 0.0;  // k; below 0.01 until the screen height is known

gfx::Point ToPoint(EruptionPoint p) { return {p.x, p.y}; }
gfx::Rect ToRect(const EruptionBox& b) { return {b.left, b.top, b.right, b.bottom}; }
EruptionBox ToBox(const gfx::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool Sphere() { return gControls[kControlScienceOnASphere] != 0; }

// The data model promises at least 1; a hand-made catalogue may still hold 0.
int SizeOf(const EruptionEvent& e) { return std::max<int>(1, e.record.size); }

int FillColourOf(const EruptionEvent& e) { return gVolcanoesRedAtEnd ? kLightRedColor : EruptionColour(e.record.type); }

std::string NameOf(const EruptionEvent& e) { return FieldText(e.record.name, sizeof e.record.name); }

// Eruptions without an identifier (observatory entries) are never one volcano.
std::string_view VolcanoOf(const EruptionEvent& e) {
    return {e.record.id, ::strnlen(e.record.id, sizeof e.record.id)};
}

bool Overlap(const EruptionBox& a, const EruptionBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool InMapArea(const EruptionDisplay& d) {
    return d.x >= 0 && d.x <= gMapWidth && d.y >= 0 && d.y <= gMapHeight;
}

// Clip reset to the pane, origin on the map area: where eruption positions are.
void OnMapArea(gfx::DrawContext& dc) {
    dc.ResetClip();
    dc.SetOrigin(MapOrigin());
}

// The same, clipped to the map area: a triangle at the map's edge never
// covers the frame around it.
void InsideMapArea(gfx::DrawContext& dc) {
    OnMapArea(dc);
    dc.SetClip(gfx::Rect{0, 0, gMapWidth, gMapHeight});
}

// The floating legend box out of the clip; dc's origin must already be set.
void ExcludeLegend(const childMap& pane, gfx::DrawContext& dc) {
    gfx::Rect box;
    if (PaneSeams().FloatingLegendBox(pane, &box))
        dc.ExcludeClip(box.translated({-dc.origin().x, -dc.origin().y}));
}

void FillTriangle(gfx::DrawContext& dc, const EruptionPoint (&t)[3], gfx::Color fill, gfx::Color outline) {
    const gfx::Point points[3] = {ToPoint(t[0]), ToPoint(t[1]), ToPoint(t[2])};
    gfx::StateSaver keep(dc);
    dc.SetPen(gfx::Pen::Solid(outline, 1));
    dc.SetBrush(gfx::Brush::Solid(fill));
    dc.Polygon(points);
}

const std::shared_ptr<const gfx::Font>& SphereNameFont() {
    static const std::shared_ptr<const gfx::Font> font = gfx::Font::Create("Arial", kSphereNameHeight, gfx::kBoldWeight);
    return font;
}

// Where a name of the given justification stands beside the triangle.
gfx::Point NameAnchor(const EruptionDisplay& d, HJust h, VJust v) {
    if (h == HJust::Left) return {d.triangle[1].x + 2, d.y};
    if (h == HJust::Right) return {d.triangle[2].x - 2, d.y};
    if (v == VJust::Bottom) return {d.x, d.triangle[0].y - 2};
    return {d.x, d.triangle[1].y + 2};
}

struct NamePlace {
    HJust h;
    VJust v;
};
constexpr NamePlace kNamePlaces[] = {
    {HJust::Left, VJust::Center},    // right of the triangle
    {HJust::Right, VJust::Center},   // left
    {HJust::Center, VJust::Bottom},  // above
    {HJust::Center, VJust::Top},     // below
};

// The box, in pane pixels, stays off the pane's edge on the side its place extends to.
bool FitsPane(const EruptionBox& mapBox, int place, const gfx::Rect& pane) {
    const gfx::Rect b = ToRect(mapBox).translated(MapOrigin());
    switch (place) {
        case 0: return b.right < pane.right;
        case 1: return b.left > pane.left;
        case 2: return b.top > pane.top;
        default: return b.bottom < pane.bottom;
    }
}

bool NameBoxFree(const EruptionEvent& e, const EruptionBox& box) {
    if (!gDisplayedEruptions.MayHoldNames()) return true;
    for (const auto& other : gDisplayedEruptions) {
        if (!other || other.get() == &e || other->display.nameBox.empty()) continue;
        if (Overlap(other->display.nameBox, box)) return false;
    }
    return true;
}

void MarkNeedsRedraw(EruptionEvent& e) {
    e.overlapped = true;
    e.redraw = true;
}

// A larger or equal name in the way keeps its place; otherwise only the
// oldest displayed eruption's name gives way.
void YieldNames(childMap& pane, EruptionEvent& e, const EruptionBox& box) {
    if (!gDisplayedEruptions.MayHoldNames()) return;
    for (const auto& other : gDisplayedEruptions) {
        if (!other || other.get() == &e || other->display.nameBox.empty()) continue;
        if (Overlap(other->display.nameBox, box) && SizeOf(*other) >= SizeOf(e)) return;
    }
    if (gDisplayedEruptions.empty()) return;
    EruptionEvent* first = gDisplayedEruptions.front().get();
    if (!first || first == &e || first->display.nameBox.empty() || !Overlap(first->display.nameBox, box)) return;
    EraseEruptionName(pane, *first);
    MarkNeedsRedraw(*first);
}

// The primitive's box starts at the anchor while a left- or right-justified
// text stands half a character from it; the box follows the text, so that
// erasing the name takes all of it.
EruptionBox NameText(gfx::DrawContext& dc, gfx::Point at, const std::shared_ptr<const gfx::Font>& font,
                     const std::string& text, int colour, HJust h, VJust v, int shadow) {
    gfx::Rect box = DrawJustifiedText(dc, at.x, at.y, font, text, colour, kNoColor, h, v, shadow, kBlackColor);
    int c = 0;
    {
        gfx::StateSaver keep(dc);
        dc.SetFont(font);
        c = dc.textMetrics().aveCharWidth / 2;
    }
    if (!font) dc.SetFont(nullptr);
    if (h == HJust::Left) box = box.translated({c, 0});
    if (h == HJust::Right) box = box.translated({-c, 0});
    return ToBox(box);
}

void DrawNameOnScreen(childMap& pane, const EruptionEvent& e, gfx::Point at, HJust h, VJust v) {
    gfx::DrawContext& screen = *pane.screen();
    gfx::StateSaver keep(screen);
    OnMapArea(screen);
    (void)NameText(screen, at, nullptr, NameOf(e), kWhiteColor, h, v, 1);
}

}  // namespace

// ---- Tables and geometry ----------------------------------------------------------------

bool EruptionInView(const EruptionEvent& e) {
    const double lat = e.record.latitude;
    if (!(gMapSouth < lat && lat < gMapNorth)) return false;
    if (!(e.record.size >= gEruptionMagnitudeCutoff)) return false;
    const double offset = Proj::LonOffset(e.record.longitude, gWestEdge);
    return 0 < offset && offset < gLonSpan;
}

int EruptionColour(char type) {
    switch (type) {
        case 'B': return kLightMagentaColor;
        case 'E': return kYellowColor;
        case 'L': return kLightRedColor;
        case 'U': return kDarkGrayColor;
        default: return kLightGrayColor;
    }
}

EruptionTriangle EruptionTriangleAt(int x, int y, int size, double k, bool doubled) {
    const int h = static_cast<int>(std::trunc(size * (1.36 * k) + 3));
    const int d = static_cast<int>(std::trunc(size * k + 2));
    const int m = doubled ? 2 : 1;
    EruptionTriangle t;
    t.apex = {x, y - m * h};
    t.right = {x + m * h, y + m * d};
    t.left = {x - m * h, y + m * d};
    t.box = {x - m * h - 1, y - m * h - 1, x + m * h + 1, y + m * d + 1};
    return t;
}

double EruptionSymbolScale() {
    if (gSymbolScale < 0.01) gSymbolScale = ui::ScreenSize().height / 480.0;
    return gSymbolScale;
}

void ResetEruptionSymbolScale() { gSymbolScale = 0.0; }

void DrawEruptionSymbol(gfx::DrawContext& dc, int x, int y, int size, gfx::Color fill, gfx::Color outline) {
    const EruptionTriangle t = EruptionTriangleAt(x, y, size, EruptionSymbolScale());
    const EruptionPoint points[3] = {t.apex, t.right, t.left};
    FillTriangle(dc, points, fill, outline);
}

// ---- Placing and drawing ------------------------------------------------------------------

bool PlaceEruption(childMap& pane, EruptionEvent& e) {
    if (!EruptionInView(e)) return false;
    const double lat = e.record.latitude;
    const double offset = Proj::LonOffset(e.record.longitude, gWestEdge);
    std::int32_t row = 0, column = 0;
    if (gMapView) {
        pane.LatLonToPixel(lat, offset, &row, &column);
    } else if (gCrossSectionView) {
        if (!CrossSectionEventPoint(lat, offset, 0, &row, &column)) return false;
    } else if (g3DView) {
        if (!Project3DEvent(lat, offset, 0, &row, &column)) return false;
    } else {
        return false;
    }

    EruptionDisplay& d = e.display;
    d.x = d.savedX = column;
    d.y = d.savedY = row;
    const int size = SizeOf(e);
    const double k = EruptionSymbolScale();
    const EruptionTriangle t = EruptionTriangleAt(d.x, d.y, size, k);
    d.triangle[0] = t.apex;
    d.triangle[1] = t.right;
    d.triangle[2] = t.left;
    d.symbolLeft = t.box.left;
    d.symbolTop = t.box.top;
    d.symbolRight = t.box.right;
    d.symbolBottom = t.box.bottom;
    gDisplayedEruptions.SymbolMoved(e);
    if (Sphere()) {
        std::int32_t sx = 0, sy = 0;
        LatLonToMapPixel(lat, e.record.longitude, &sx, &sy);
        d.sphereX = d.savedSphereX = sx;
        d.sphereY = d.savedSphereY = sy;
        const EruptionTriangle s = EruptionTriangleAt(sx, sy, size, k, true);
        d.sphereTriangle[0] = s.apex;
        d.sphereTriangle[1] = s.right;
        d.sphereTriangle[2] = s.left;
        d.sphereSymbolBox = s.box;
    }
    return InMapArea(d);
}

void DrawEruption(childMap& pane, EruptionEvent& e) {
    gfx::DrawContext& screen = *pane.screen();
    gfx::StateSaver keep(screen);
    InsideMapArea(screen);
    FillTriangle(screen, e.display.triangle, ColorOf(FillColourOf(e)), ColorOf(kBlackColor));
}

void RestoreEruptionSymbol(childMap& pane, EruptionEvent& e) {
    {
        gfx::DrawContext& screen = *pane.screen();
        gfx::StateSaver keep(screen);
        InsideMapArea(screen);
        ExcludeLegend(pane, screen);
        FillTriangle(screen, e.display.triangle, ColorOf(FillColourOf(e)), ColorOf(kBlackColor));
    }
    e.overlapped = false;
    e.redraw = false;
}

int ShowEruption(childMap& pane, EruptionEvent& e, bool withMarker, bool withName) {
    EruptionDisplay& d = e.display;
    if (d.x == 0) return 0;
    pane.EraseMarker();

    // One volcano shows one eruption: the larger.
    for (EruptionEvent* other : gDisplayedEruptions.SameVolcano(e)) {
        if (!other->display.displayed) continue;
        if (SizeOf(e) < SizeOf(*other)) {
            d.nameBox = {};
            d.sphereNameBox = {};
            d.nameShown = false;
            return SizeOf(e);
        }
        EraseEruption(pane, *other, false);
        other->display.displayed = false;
    }

    const EruptionBox symbol = d.symbolBox();
    for (const auto& other : gDisplayedEruptions) {
        if (!gDisplayedEruptions.MayHoldNames()) break;  // no names to take away
        if (!other || other.get() == &e || other->display.symbolBox() == symbol) continue;
        if (!other->display.nameBox.empty() && Overlap(other->display.nameBox, symbol)) EraseEruptionName(pane, *other);
    }

    d.displayed = true;
    e.counted = true;
    if (withMarker) pane.SetMarkerIcon(d.triangle[1].x, d.triangle[1].y, false);
    if (withName) ShowEruptionName(pane, e);

    {
        gfx::DrawContext& screen = *pane.screen();
        gfx::StateSaver keep(screen);
        InsideMapArea(screen);
        ExcludeLegend(pane, screen);
        FillTriangle(screen, d.triangle, ColorOf(FillColourOf(e)), ColorOf(kBlackColor));
    }
    if (Sphere() && pane.sphereDisplay())
        FillTriangle(*pane.sphereDisplay(), d.sphereTriangle, ColorOf(FillColourOf(e)), ColorOf(kBlackColor));
    return SizeOf(e);
}

void EraseEruption(childMap& pane, EruptionEvent& e, bool showTwin) {
    EruptionDisplay& d = e.display;
    if (!d.displayed || !InMapArea(d)) return;

    if (const gfx::Surface* image = pane.mapImageSurface()) {
        gfx::DrawContext& screen = *pane.screen();
        gfx::StateSaver keep(screen);
        OnMapArea(screen);
        const gfx::Point grown[3] = {{d.triangle[0].x, d.triangle[0].y - 2},
                                     {d.triangle[1].x + 2, d.triangle[1].y + 2},
                                     {d.triangle[2].x - 2, d.triangle[2].y + 2}};
        screen.SetClip(grown);
        ExcludeLegend(pane, screen);
        const gfx::Rect box = ToRect(d.symbolBox());
        screen.Blit(box, *image, box.topLeft() + MapOrigin(), gfx::RasterOp::Copy);
    }
    if (Sphere() && pane.sphereDisplay() && pane.spherePermanent()) {
        gfx::DrawContext& display = *pane.sphereDisplay();
        gfx::StateSaver keep(display);
        const EruptionPoint (&s)[3] = d.sphereTriangle;
        const gfx::Point grown[3] = {{s[0].x, s[0].y - 2}, {s[1].x + 2, s[1].y + 2}, {s[2].x - 2, s[2].y + 2}};
        display.SetClip(grown);
        const gfx::Rect box = ToRect(d.sphereSymbolBox);
        display.Blit(box, *pane.spherePermanent(), box.topLeft(), gfx::RasterOp::Copy);
    }

    // Neighbours whose triangle the copy cut into are drawn again by the clock;
    // hidden twins stay hidden.
    gDisplayedEruptions.ForEachSymbolOverlapping(d.symbolBox(), [&](EruptionEvent& other) {
        if (&other == &e || !other.display.displayed || other.redraw) return;
        if (other.OverlapsSymbolBox(d.symbolLeft, d.symbolTop, d.symbolRight, d.symbolBottom)) MarkNeedsRedraw(other);
    });

    EraseEruptionName(pane, e);
    d.displayed = false;

    if (gVolcanoesRedAtEnd) {
        const gfx::Color fill = ColorOf(kLightMagentaColor), outline = ColorOf(kBlackColor);
        for (gfx::DrawContext* dc : {pane.screen(), pane.mapImage()}) {
            if (!dc) continue;
            gfx::StateSaver keep(*dc);
            InsideMapArea(*dc);
            ExcludeLegend(pane, *dc);
            DrawEruptionSymbol(*dc, d.x, d.y, 1, fill, outline);
        }
        if (gfx::DrawContext* mask = pane.protectionMask()) DrawEruptionSymbol(*mask, d.x, d.y, 1, gfx::kWhite, gfx::kWhite);
    }

    if (showTwin) {
        for (EruptionEvent* other : gDisplayedEruptions.SameVolcano(e)) {
            // One marked for erasing is about to be freed: drawing it would leave it behind.
            if (other->erase) continue;
            DrawEruption(pane, *other);
            ShowEruptionName(pane, *other);
            other->display.displayed = true;
            break;
        }
    }
}

// ---- Names ----------------------------------------------------------------------------------

void EraseEruptionName(childMap& pane, EruptionEvent& e) {
    EruptionDisplay& d = e.display;
    if (d.nameBox.empty()) return;
    if (const gfx::Surface* image = pane.mapImageSurface()) {
        gfx::DrawContext& screen = *pane.screen();
        gfx::StateSaver keep(screen);
        OnMapArea(screen);
        const gfx::Rect box = ToRect(d.nameBox);
        screen.Blit(box, *image, box.topLeft() + MapOrigin(), gfx::RasterOp::Copy);
    }
    if (Sphere() && !d.sphereNameBox.empty() && pane.sphereDisplay() && pane.spherePermanent()) {
        const gfx::Rect box = ToRect(d.sphereNameBox);
        pane.sphereDisplay()->Blit(box, *pane.spherePermanent(), box.topLeft(), gfx::RasterOp::Copy);
    }
    d.nameBox = {};
    d.sphereNameBox = {};
    d.nameShown = false;
}

bool ShowEruptionName(childMap& pane, EruptionEvent& e) {
    if (!gShowVolcanoNames) return false;
    EruptionDisplay& d = e.display;
    if (d.nameShown) {
        const auto h = static_cast<HJust>(d.nameHJust);
        const auto v = static_cast<VJust>(d.nameVJust);
        DrawNameOnScreen(pane, e, NameAnchor(d, h, v), h, v);
        if (Sphere() && pane.sphereDisplay()) {
            // At the sphere's own anchor, inside the box that erasing restores.
            const std::string name = NameOf(e);
            DrawJustifiedText(*pane.sphereDisplay(), d.sphereTriangle[1].x + 2, d.sphereY, nullptr, name, kYellowColor,
                              kNoColor, h, v);
        }
        return true;
    }
    const gfx::Rect paneRect = pane.paneRect();
    if (PlaceEruptionName(pane, e, paneRect, false) || PlaceEruptionName(pane, e, paneRect, true)) return true;
    d.nameBox = {};
    d.sphereNameBox = {};
    d.nameShown = false;
    return false;
}

bool PlaceEruptionName(childMap& pane, EruptionEvent& e, const gfx::Rect& paneRect, bool yielding) {
    EruptionDisplay& d = e.display;
    const std::string name = NameOf(e);
    gfx::DrawContext& screen = *pane.screen();
    int place = -1;
    for (const NamePlace& p : kNamePlaces) {
        ++place;
        const gfx::Point at = NameAnchor(d, p.h, p.v);
        d.nameBox = NameText(screen, at, nullptr, name, kNoColor, p.h, p.v, 1);
        if (yielding) YieldNames(pane, e, d.nameBox);
        if (!FitsPane(d.nameBox, place, paneRect) || !NameBoxFree(e, d.nameBox)) continue;

        DrawNameOnScreen(pane, e, at, p.h, p.v);
        if (Sphere() && pane.sphereDisplay()) {
                        d.sphereNameBox = NameText(*pane.sphereDisplay(), {d.sphereTriangle[1].x + 2, d.sphereY},
                                       SphereNameFont(), name, kWhiteColor, p.h, p.v, 0);
        }
        d.nameShown = true;
        gDisplayedEruptions.NotePlacedName();
        d.nameHJust = static_cast<std::int32_t>(p.h);
        d.nameVJust = static_cast<std::int32_t>(p.v);
        return true;
    }
    return false;
}

// ---- The displayed list and the base map's layer ------------------------------------------

void ClearDisplayedEruptions(childMap* pane) {
    if (pane) {
        for (const auto& e : gDisplayedEruptions)
            if (e) EraseEruption(*pane, *e, false);
    }
    gDisplayedEruptions.clear();
    gDisplayedEruptionsSphere.clear();
}

void PlaceDisplayedEruptionsAgain(childMap& pane) {
    for (const auto& e : gDisplayedEruptions) {
        if (!e || !e->display.displayed) continue;
        EruptionDisplay& d = e->display;
        const bool named = d.nameShown;
        d.nameBox = {};  // the rendering has drawn over the old one
        d.sphereNameBox = {};
        d.nameShown = false;
        if (!PlaceEruption(pane, *e)) {
            d.displayed = false;
            continue;
        }
        RestoreEruptionSymbol(pane, *e);
        if (named) ShowEruptionName(pane, *e);
    }
}

void DrawAllEruptions(childMap& pane) {
    // The clock scans the eruptions under way only when it opens the catalogue
    // itself, so one opened here is closed again.
    const bool openedHere = !gEruptionCatalogue;
    if (openedHere) (void)OpenEruptionCatalogue();
    if (!gEruptionCatalogue) return;

    gfx::DrawContext& screen = *pane.screen();
    gfx::StateSaver keep(screen);
    ClipToRect(screen, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
    const gfx::Color fill = ColorOf(kLightGrayColor), outline = ColorOf(kBlackColor);
    EruptionRecord record;
    for (std::int32_t i = 0;; ++i) {
        if (ReadEruptionAt(gEruptionCatalogue, i, kFromStart, &record).t == 0.0) break;
        EruptionEvent e;
        e.SetRecord(record);
        // The rendering copies the screen into the map image afterwards.
        if (PlaceEruption(pane, e)) DrawEruptionSymbol(screen, e.display.x, e.display.y, 1, fill, outline);
    }
    if (openedHere) CloseEruptionCatalogue();
}
