#include "map/info_spots.h"

#include <algorithm>
#include <memory>

#include "core/config.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/label_box.h"
#include "map/proj.h"
#include "map/section3d.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kSpotColor = kLightBlueColor;
constexpr int kHighlightColor = kYellowColor;
constexpr int kTitleColor = kYellowColor;

// The spot's icon: a ring with an "i", drawn with the icon box's corner at (x, y).
void DrawIcon(gfx::DrawContext& dc, int x, int y, bool highlighted) {
    gfx::StateSaver keep(dc);
    dc.SetPen(gfx::Pen::Solid(ColorOf(kBlackColor), 2));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(highlighted ? kHighlightColor : kSpotColor)));
    dc.Ellipse({x + 5, y + 5, x + 27, y + 27});
    const gfx::Color letter = ColorOf(highlighted ? 0 : kWhiteColor);
    dc.FillRect({x + 15, y + 9, x + 18, y + 12}, gfx::Brush::Solid(letter));
    dc.FillRect({x + 15, y + 14, x + 18, y + 23}, gfx::Brush::Solid(letter));
}

void DrawIconShape(gfx::DrawContext& mask, int x, int y) {
    gfx::StateSaver keep(mask);
    mask.SetPen(gfx::Pen::Solid(ColorOf(kWhiteColor)));
    mask.SetBrush(gfx::Brush::Solid(ColorOf(kWhiteColor)));
    mask.Ellipse({x + 4, y + 4, x + 28, y + 28});
}

void SetBoxes(InfoSpot& s) {
    s.box[0] = s.x - kSpotIconHalf;
    s.box[1] = s.y - kSpotIconHalf;
    s.box[2] = s.x + kSpotIconHalf;
    s.box[3] = s.y + kSpotIconHalf;
    s.hitBox[0] = s.x - kSpotHitHalf;
    s.hitBox[1] = s.y - kSpotHitHalf;
    s.hitBox[2] = s.x + kSpotHitHalf;
    s.hitBox[3] = s.y + kSpotHitHalf;
}

}  // namespace

void UpdatePosition(InfoSpot& s, Proj& proj) {
    const double o = Proj::LonOffset(s.longitude, gWestEdge);
    std::int32_t row = s.y, column = s.x;
    bool placed = true;
    if (gMapView) {
        proj.LatLonToPixel(s.latitude, o, &row, &column);
    } else if (g3DView) {
        placed = Project3D(nullptr, 2, s.latitude, o, s.third, &row, &column, 0);
    } else if (gCrossSectionView) {
        placed = proj.CrossSectionPoint(1, s.latitude, o, s.third, &row, &column);
    }
    s.drawn = false;
    if (!placed) return;
    s.x = column;
    s.y = row;
    SetBoxes(s);
}

void DrawSpot(InfoSpot& s, gfx::DrawContext& screen, gfx::DrawContext* mask, bool highlighted) {
    DrawIcon(screen, s.box[0], s.box[1], highlighted);
    if (mask) DrawIconShape(*mask, s.box[0], s.box[1]);
    s.drawn = s.x >= 0 && s.x < gMapWidth && s.y >= 0 && s.y < gMapHeight;
    if (highlighted || s.title[0] == '\0') return;
    const bool left = s.x > 0.75 * gMapWidth;
    const int tx = left ? s.x - 10 : s.x + 10;
    const HJust h = left ? HJust::Right : HJust::Left;
    DrawJustifiedText(screen, tx, s.y, nullptr, s.title, kTitleColor, kNoColor, h, VJust::Center, 1, 0);
    if (mask) DrawJustifiedText(*mask, tx, s.y, nullptr, s.title, kWhiteColor, kNoColor, h, VJust::Center, 1, kWhiteColor);
}

void ReserveSpotRooms(gfx::DrawContext& screen) {
    if (!gControls[kControlShowInfoSpots]) return;
    for (const InfoSpot& s : gInfoSpots) {
        if (!s.drawn) continue;
        gfx::Rect room{s.box[0], s.box[1], s.box[2], s.box[3]};
        if (s.title[0] != '\0') {
            const bool left = s.x > 0.75 * gMapWidth;
            const gfx::Rect title = DrawJustifiedText(screen, left ? s.x - 10 : s.x + 10, s.y, nullptr, s.title, kNoColor,
                                                      kNoColor, left ? HJust::Right : HJust::Left, VJust::Center, 1, 0);
            room = {std::min(room.left, title.left), std::min(room.top, title.top), std::max(room.right, title.right),
                    std::max(room.bottom, title.bottom)};
        }
        RegisterLabel(std::make_unique<LabelBox>(gfx::Point{s.x, s.y}, room, "", nullptr, kWhiteColor, HJust::Left,
                                                 VJust::Bottom, nullptr, 0));
    }
}

bool HitTest(const InfoSpot& s, gfx::Point p) {
    return s.drawn && s.hitBox[0] <= p.x && p.x < s.hitBox[2] && s.hitBox[1] <= p.y && p.y < s.hitBox[3];
}

int SpotAtPoint(gfx::Point p) {
    for (int i = gInfoSpots.LowerBound(); i < gInfoSpots.LowerBound() + gInfoSpots.Count(); ++i)
        if (const InfoSpot* s = gInfoSpots.At(i); s && HitTest(*s, p)) return i;
    return -1;
}

// ---- The pane's spots ---------------------------------------------------------------

void childMap::DrawInfoSpots(bool highlighted) {
    EnsureScreen();
    const bool shown = gControls[kControlShowInfoSpots] != 0;
    for (InfoSpot& s : gInfoSpots) {
        UpdatePosition(s, *this);
        if (shown) DrawSpot(s, *screen_, mask_.get(), highlighted);
    }
}
