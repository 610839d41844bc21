#include "app/event_labels.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "app/frame.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/timevalue.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/eruption_symbols.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;

namespace {

constexpr int kSphereFontHeight = 2048 / 40;
constexpr int kSphereMargin = 10;
constexpr int kSphereBorder = 4;

// What the shown label changed, so that removing it puts everything back.
struct ShownLabel {
    EventLabelWindow* window = nullptr;  // cleared by the window's destructor
    gfx::Rect box;                       // map-area pixels; empty when nothing is remembered
    // The protection mask's bits under the box before the label, row by row.
    const gfx::Mask* mask = nullptr;
    gfx::Size maskSize;
    std::vector<std::uint8_t> maskBits;
    gfx::Rect sphereBox;  // sphere image pixels; empty when not drawn there
};

ShownLabel& Shown() {
    static ShownLabel shown;
    return shown;
}

bool Sphere() { return gControls[kControlScienceOnASphere] != 0; }

const std::shared_ptr<const gfx::Font>& SphereFont() {
    static const std::shared_ptr<const gfx::Font> font = gfx::Font::Create("Arial", kSphereFontHeight, gfx::kBoldWeight);
    return font;
}

void SaveMaskUnder(childMap& map, const gfx::Rect& box) {
    ShownLabel& s = Shown();
    s.maskBits.clear();
    s.mask = map.protectionMaskBits();
    if (!s.mask) return;
    s.maskSize = s.mask->size();
    const gfx::Rect r = box.intersected(s.mask->bounds());
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) s.maskBits.push_back(s.mask->At(x, y) ? 1 : 0);
}

// Only into the mask the bits came from: a rendering since then made a new one.
void RestoreMaskUnder(childMap& map, const gfx::Rect& box) {
    ShownLabel& s = Shown();
    gfx::DrawContext* dc = map.protectionMask();
    gfx::Mask* mask = dc ? dc->mask() : nullptr;
    if (mask && mask == s.mask && mask->size() == s.maskSize) {
        const gfx::Rect r = box.intersected(mask->bounds());
        std::size_t i = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right && i < s.maskBits.size(); ++x) mask->row(y)[x] = s.maskBits[i++];
    }
    s.mask = nullptr;
    s.maskBits.clear();
}

void DrawOnSphere(childMap& map, const EventLabelRecord& label) {
    gfx::DrawContext* dc = map.sphereDisplay();
    if (!dc) return;
    const std::string text(label.text, ::strnlen(label.text, sizeof label.text));
    const auto& font = SphereFont();
    const int th = font ? font->metrics().height : dc->textMetrics().height;
    const int x = label.x, y = label.y + 2 * th;
    const gfx::Rect box =
        DrawJustifiedText(*dc, x, y, font, text, kNoColor, kNoColor, HJust::Center, VJust::Top).inflated(kSphereMargin, kSphereMargin);
    dc->FillRect(box, gfx::Brush::Solid(ColorOf(kWhiteColor)));
    dc->FillRect(box.inflated(-kSphereBorder, -kSphereBorder), gfx::Brush::Solid(ColorOf(kRedColor)));
    DrawJustifiedText(*dc, x, y, font, text, kWhiteColor, kNoColor, HJust::Center, VJust::Top);
    Shown().sphereBox = box;
}

void EraseFromSphere(childMap* map) {
    ShownLabel& s = Shown();
    if (s.sphereBox.empty()) return;
    if (map && map->sphereDisplay() && map->spherePermanent())
        map->sphereDisplay()->Blit(s.sphereBox, *map->spherePermanent(), s.sphereBox.topLeft(), gfx::RasterOp::Copy);
    s.sphereBox = {};
}

// A view read without being opened frees the labels the cursor points at.
EventLabelRecord* Listed(EventLabelRecord* label) {
    if (!label) return nullptr;
    for (const auto& l : gEventLabels)
        if (l.get() == label) return label;
    return nullptr;
}

}  // namespace

// ---- the window -----------------------------------------------------------------------------

EventLabelWindow::EventLabelWindow(ui::Window* map, const EventLabelRecord& record, gfx::Point anchor)
    : ui::Window(map), text_(record.text, ::strnlen(record.text, sizeof record.text)), anchor_(anchor) {
    SetStyle(ui::style::kChild | ui::style::kVisible);
}

EventLabelWindow::~EventLabelWindow() {
    if (Shown().window == this) Shown().window = nullptr;
}

void EventLabelWindow::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    const gfx::Rect client = clientRect();
    dc.SetPen(gfx::Pen::Solid(ColorOf(kWhiteColor)));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(kRedColor)));
    dc.Rectangle(client);
    DrawJustifiedText(dc, anchor_.x, anchor_.y, nullptr, text_, kWhiteColor, kNoColor, HJust::Center, VJust::Top);
}

// ---- the labels ------------------------------------------------------------------------------

EventLabelWindow* ShownEventLabelWindow() { return Shown().window; }

void ShowEventLabel(childMap& map, EventLabelRecord& label) {
    if (!gShowEventLabels) return;
    const std::string text(label.text, ::strnlen(label.text, sizeof label.text));
    const gfx::Point at{label.x, label.y + 2 * gTextHeight};
    gfx::DrawContext& screen = *map.screen();
    gfx::Rect box;
    {
        gfx::StateSaver keep(screen);
        screen.ResetClip();
        screen.SetOrigin(MapOrigin());
        box = DrawJustifiedText(screen, at.x, at.y, nullptr, text, kWhiteColor, kNoColor, HJust::Center, VJust::Top)
                  .inflated(4, 3);
    }
    label.box[0] = box.left;
    label.box[1] = box.top;
    label.box[2] = box.right;
    label.box[3] = box.bottom;

    ShownLabel& s = Shown();
    auto* window = new EventLabelWindow(&map, label, at - box.topLeft());
    window->MoveWindow(box.translated(MapOrigin()));
    window->Create();
    s.window = window;

    // The box keeps event dots out of it while the label is up; the map image
    // under it stays as it is, so taking the label away leaves no hole.
    s.box = box;
    SaveMaskUnder(map, box);
    if (gfx::DrawContext* mask = map.protectionMask()) {
        gfx::StateSaver keep(*mask);
        mask->ResetClip();
        mask->SetOrigin({0, 0});
        mask->FillRect(box, gfx::Brush::Solid(gfx::kWhite));
    }
}

void RemoveShownEventLabel(childMap* map) {
    ShownLabel& s = Shown();
    EraseFromSphere(map);
    if (s.window) {
        EventLabelWindow* w = s.window;
        s.window = nullptr;
        w->Destroy();
    }
    if (!s.box.empty() && map) {
        RestoreMaskUnder(*map, s.box);
        if (const gfx::Surface* image = map->mapImageSurface()) {
            gfx::DrawContext& screen = *map->screen();
            gfx::StateSaver keep(screen);
            screen.ResetClip();
            screen.SetOrigin({0, 0});
            const gfx::Rect r = s.box.translated(MapOrigin());
            screen.Blit(r, *image, r.topLeft(), gfx::RasterOp::Copy);
        }
        // Triangles live on the screen only: the clock draws those the copy cut into again.
        for (const auto& e : gDisplayedEruptions) {
            if (e && e->display.displayed && e->OverlapsSymbolBox(s.box.left, s.box.top, s.box.right, s.box.bottom)) {
                e->overlapped = true;
                e->redraw = true;
            }
        }
    }
    s.box = {};
    s.mask = nullptr;
    s.maskBits.clear();
    gShownEventLabel = nullptr;
}

void StartEventLabels(childMap* map) {
    RemoveShownEventLabel(map);
    // The file's order is the user's; the cursor walks them by time.
    std::stable_sort(gEventLabels.begin(), gEventLabels.end(), [](const auto& a, const auto& b) {
        if (!a || !b) return a && !b;  // empty slots last
        return a->time < b->time;
    });
    gEventLabelIndex = gEventLabels.Count();
    gNextEventLabel = nullptr;
    for (int i = 0; i < gEventLabels.Count(); ++i) {
        const auto* slot = gEventLabels.At(i);
        EventLabelRecord* label = slot ? slot->get() : nullptr;
        if (label && !(label->time < gAnimationTime)) {
            gEventLabelIndex = i;
            gNextEventLabel = label;
            break;
        }
    }
    gShownEventLabel = nullptr;
}

void StepEventLabels(myFrame& frame, childMap* map) {
    const bool sphere = Sphere();
    gNextEventLabel = Listed(gNextEventLabel);
    if (gShownEventLabel && !Listed(gShownEventLabel)) RemoveShownEventLabel(map);
    if (EventLabelRecord* shown = gShownEventLabel) {
        if (sphere && map) DrawOnSphere(*map, *shown);
        if (--shown->countdown <= 0) RemoveShownEventLabel(map);
    }
    EventLabelRecord* next = gNextEventLabel;
    if (!next || !(next->time < gAnimationTime)) return;
    if (map) (void)map->PlaceEventLabel(*next);  // one off the map still shows at its point
    RemoveShownEventLabel(map);
    if (map) ShowEventLabel(*map, *next);
    // Making the window must not leave the clock held as if the frame had lost the user.
    frame.SetInactive(false);
    if (sphere && map) {
        (void)PlaceEventLabelOnSphere(*next);
        map->Invalidate();
    }
    next->countdown = kEventLabelTicks;
    gShownEventLabel = next;
    ++gEventLabelIndex;
    const auto* slot = gEventLabels.At(gEventLabelIndex);
    gNextEventLabel = gEventLabelIndex < gEventLabels.Count() && slot ? slot->get() : nullptr;
}
