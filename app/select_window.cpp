#include "app/select_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/buttons.h"
#include "app/floating_legend.h"
#include "app/frame.h"
#include "app/housekeeping.h"
#include "app/globals.h"
#include "app/help_windows.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/sound.h"
#include "app/view_list.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/segments.h"
#include "platform/gfx/font.h"
#include "platform/gfx/image.h"
#include "platform/sys/files.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Rect;

namespace {

bool Doviredezur() { return gControls[kControlDoviredezur] != 0; }
int BackgroundColor() { return Doviredezur() ? kDoviredezurLightColor : kLightGrayColor; }

void SendFrame(int id) {
    if (gMainFrame) gMainFrame->SendCommand(id);
}

constexpr const char* kMenuMapFiles[] = {"COAST.S?", "ISLAND.S?", "RIVER.S?", "COUNTRY.S?"};

}  // namespace

// ---- arithmetic -------------------------------------------------------------------

Rect FitMenuButton(Rect r, const Rect& area, std::span<const Rect> placed, int bh) {
    auto shift = [&r](int dx, int dy) { r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; };
    if (r.left < area.left + 5) shift(area.left + 5 - r.left, 0);
    if (r.right > area.right - 5) shift(area.right - 5 - r.right, 0);
    if (r.top < area.top + 5) shift(0, area.top + 5 - r.top);
    if (r.bottom > area.bottom - 5) shift(0, area.bottom - 5 - r.bottom);
    // Each move lowers the bottom edge by at least one pixel, so the scan ends.
    for (bool moved = true; moved;) {
        moved = false;
        for (const Rect& p : placed) {
            const bool overlap = r.left < p.right && p.left < r.right && r.top < p.bottom && p.top < r.bottom;
            if (!overlap) continue;
            r.bottom = p.top;
            r.top = p.top - bh;
            r.left += 10;
            r.right += 10;
            moved = true;
            break;
        }
    }
    return r;
}

Rect ForceAspect916(Rect r) {
    const int t = (r.right - r.left) * 9 / 16 + r.top;
    if (t < r.bottom) {
        r.bottom = t;
    } else {
        const int d = (((r.top - r.bottom) * 16) / 9 + (r.right - r.left)) / 2;
        r.left += d;
        r.right -= d;
    }
    return r;
}

// ---- the window -------------------------------------------------------------------

selectWindow::selectWindow(int groupIndex, ui::Window* parent) : Window(parent), groupIndex_(groupIndex) {
    AllNotesOff();
    const ViewListEntry* g = ViewListEntryAt(gViewList, groupIndex);
    // An empty list (or a group that is not one of its entries) has no menu.
    if (!g) return;
    hasGroup_ = true;
    (void)ReadViewFile(g->viewName);
    groupTitle_ = g->title;
    groupImage_ = g->imageName;
    south_ = g->south;
    north_ = g->north;
    west_ = g->west;
    east_ = g->east;

    const int level = g->level;
    gGroupViewList.Flush();
    for (int k = groupIndex + 1; const ViewListEntry* e = ViewListEntryAt(gViewList, k); ++k) {
        if (e->level <= level) break;
        if (e->level != level + 1) continue;
        ViewListEntry child = *e;
        child.listIndex = k;
        gGroupViewList.Add(std::move(child));
    }
    buttonCount_ = gGroupViewList.Count();
}

selectWindow::~selectWindow() {
    CloseTextWindow();
    KillTimer(SelectIdleTimer);
    // The buttons are children: the window layer deletes them with this one.
}

const ui::ResponseTable& selectWindow::Table() {
    using R = ui::ResponseTableOf<selectWindow, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kCmSelectInformation, &selectWindow::CmInformation),
        R::Command(kCmSelectExit, &selectWindow::CmExit),
        R::Command(kCmSelectBack, &selectWindow::CmBack),
        R::Command(kCmSelectButton, &selectWindow::CmSelectButton),
        R::Message(WmButtonHighlighted, &selectWindow::EvButtonHighlighted),
    });
    return table;
}

void selectWindow::SetupWindow() {
    Window::SetupWindow();
    idleCountdown_ = static_cast<int>(CountdownSeconds(gTimeout));
    SetTimer(SelectIdleTimer, kSelectIdleMs);
    if (gMainFrame) {
        gMainFrame->SetInitTimeoutCountdown(static_cast<std::int32_t>(gInitTimeout));
        if (myLayoutWindow* layout = gMainFrame->layout()) {
            layout->map().CloseTextWindow();
            HideFloatingLegend();
        }
    }
}

void selectWindow::ChildRemoved(ui::Window* child) {
    // A text window that closed itself is not closed again.
    if (child == textWindow_) textWindow_ = nullptr;
    Window::ChildRemoved(child);
}

void selectWindow::CloseTextWindow() {
    if (!textWindow_) return;
    ui::Window* w = textWindow_;
    textWindow_ = nullptr;
    w->Destroy();
}

void selectWindow::EvSize(ui::Size client) {
    Window::EvSize(client);
    if (!buttonsMade_ && !information_ && !exit_ && !back_) return;
    for (textButton* b : menuButtons_) b->Destroy();
    menuButtons_.clear();
    for (textButton** b : {&information_, &exit_, &back_}) {
        if (*b) (*b)->Destroy();
        *b = nullptr;
    }
    buttonsMade_ = false;
    Invalidate();
}

void selectWindow::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    const Rect whole = clientRect();
    dc.FillRect(whole, gfx::Brush::Solid(ColorOf(BackgroundColor())));

    gScreenMetrics = dc.textMetrics();
    const int th = gScreenMetrics.height;
    const int cw = gScreenMetrics.aveCharWidth;
    int L = whole.left, T = whole.top, R = whole.right, B = whole.bottom;

    if (buttonCount_ != 1 && !Doviredezur()) {
        const Rect bar{L, T, R, gLargeMetrics.height + 10};
        DrawDoubleBevelFrame(dc, bar, 2, 2);
        const Rect inset = bar.inflated(-6, -6);
        dc.FillRect(inset, gfx::Brush::Solid(ColorOf(kWhiteColor)));
        const std::string title = groupTitle_ + " Menu";
        DrawJustifiedText(dc, inset.width() / 2 + 7, inset.height() / 2 + 6, gLargeFont, title, 0, kNoColor,
                          HJust::Center, VJust::Center);
        T = gLargeMetrics.height + 11;
    }
    if (gControls[kControlForceAspect916]) {
        const Rect r = ForceAspect916({L, T, R, B});
        L = r.left;
        R = r.right;
        B = r.bottom;
    }
    client_ = {L, T, R, B};
    const int bh = static_cast<int>(th * gButtonHeight);

    // The map area, fitted to the group's region; pixels below are relative to it.
    const Rect available{L + 6, T + 6, R - 6, B - bh - 10 - 6};
    gMapRect = {available.left, available.top, available.right, available.bottom};
    gWestEdge = west_;
    gLonSpan = Proj::LonOffset(east_, west_);
    gMapWidth = gMapRect.right - gMapRect.left;
    gMapHeight = gMapRect.bottom - gMapRect.top;
    const bool fitted = hasGroup_ && SetMapScale(&gLonSpan, &gMapHeight, &gMapWidth, south_, north_, &gMapRect.left,
                                                 &gMapRect.top, &gMapRect.right, &gMapRect.bottom, &xScale, &yScale);
    gMapWidth = gMapRect.right - gMapRect.left;
    gMapHeight = gMapRect.bottom - gMapRect.top;
    projected_ = {gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom};
    // Held to the room whatever the fit gave, so the map never covers the
    // title or the bottom row, nor hides a button.
    mapArea_ = projected_.intersected(available);

    if (buttonCount_ == 1) {
        // A group of one is no menu: its entry is acted on at once, and only
        // once should this window paint again before the frame replaces it.
        if (!actedAlone_) {
            actedAlone_ = true;
            KillTimer(SelectIdleTimer);
            ActOn(0);
        }
        return;
    }

    if (!buttonsMade_ && fitted) MakeMenuButtons(dc, bh, cw);
    if (fitted) DrawMap(dc);
    if (!mapArea_.empty()) DrawDoubleBevelFrame(dc, mapArea_.inflated(6, 6), 3, 3);

    MakeBottomRow(L, R, B, bh, cw);

    const auto font = gfx::Font::Create("Arial", 30, gfx::kBoldWeight);
    gfx::DrawContext measure(buffer);
    if (font) measure.SetFont(font);
    const int tw = measure.TextExtent("Select a Button").width;
    const int W = R - L;
    const int cx = L + W / 2;
    const Rect box{cx - (tw + 8) / 2, B - bh - 6, cx + (tw + 8) / 2, B - bh + 24};
    dc.FillRect(box, gfx::Brush::Solid(ColorOf(Doviredezur() ? kWhiteColor : 14)));
    DrawJustifiedText(dc, cx, B - bh - 6, font, "Select a Button", 0, kNoColor, HJust::Center, VJust::Top);

    gCanClose = true;
    if (exit_) exit_->Invalidate();
}

void selectWindow::MakeMenuButtons(gfx::DrawContext& dc, int bh, int cw) {
    buttonsMade_ = true;
    std::vector<Rect> placed;
    for (int i = 0; i < gGroupViewList.Count(); ++i) {
        const ViewListEntry* e = ViewListEntryAt(gGroupViewList, i);
        if (!e) break;
        const std::string caption = e->hasChildren ? e->title + " Group" : e->title;

        double o1 = Proj::LonOffset(e->west, gWestEdge);
        while (o1 > 360) o1 -= 360;
        double o2 = Proj::LonOffset(e->east, gWestEdge);
        if (o2 < 0.001) o2 = 360;
        while (o2 > 360) o2 -= 360;
        std::int32_t top = 0, left = 0, bottomY = 0, right = 0, midBottom = 0, midX = 0;
        LatLonToPixel(e->north, o1, &top, &left);
        LatLonToPixel(e->south, o2, &bottomY, &right);
        // Reduced as the box's edges are: a centre beyond a turn would put the button off the map.
        double mid = Proj::LonOffset((e->west + e->east) / 2, gWestEdge);
        while (mid > 360) mid -= 360;
        LatLonToPixel(e->south, mid, &midBottom, &midX);
        top += projected_.top;
        midBottom += projected_.top;
        midX += projected_.left;

        const int hw = (dc.TextExtent(caption).width + 5 * cw) / 2;
        const int cy = (top + midBottom) / 2;
        Rect r{midX - hw, cy - bh / 2, midX + hw, cy + bh / 2};
        r = FitMenuButton(r, mapArea_, placed, bh);
        placed.push_back(r);
        auto* b = new textButton(this, kCmSelectButton, caption, r.left, r.top, r.width(), r.height(), i);
        menuButtons_.push_back(b);
        if (created()) b->Create();
    }
}

void selectWindow::DrawMap(gfx::DrawContext& dc) {
    const std::unique_ptr<gfx::Surface> picture =
        groupImage_.empty() ? nullptr : gfx::LoadJpeg(platform::ResolvePath(groupImage_));
    gfx::StateSaver saver(dc);
    ClipToRect(dc, mapArea_.left, mapArea_.top, mapArea_.right, mapArea_.bottom, true);
    dc.SetOrigin({0, 0});
    if (picture) {
        dc.StretchImage(projected_, *picture, picture->bounds());
        return;
    }
    dc.FillRect(mapArea_, gfx::Brush::Solid(ColorOf(gConfigBackgroundColor)));
    dc.SetOrigin({projected_.left, projected_.top});
    for (const char* pattern : kMenuMapFiles) {
        const std::string name = ResolveMapFileName(pattern, xScale);
        std::FILE* f = OpenDataFile(name, "rb");
        if (!f) continue;  // a missing map file is skipped
        (void)DrawSegmentFile(*this, f, LayoutForFileName(name), dc);
        std::fclose(f);
    }
}

void selectWindow::MakeBottomRow(int L, int R, int B, int bh, int cw) {
    const int y = B - bh - 6;
    const Rect whole = clientRect();
    auto make = [&](int id, const std::string& caption, int x, int width) {
        const Rect r = Rect::FromSize(x, y, width, bh).intersected(whole);
        auto* b = new textButton(this, id, caption, r.left, r.top, r.width(), r.height(), 0);
        if (created()) b->Create();
        return b;
    };
    if (!information_) information_ = make(kCmSelectInformation, "Information", R - 13 * cw - 5, 13 * cw);
    int x = L + 5;
    if (gControls[kControlStartScreen] || groupIndex_ != 0) {
        if (!back_) back_ = make(kCmSelectBack, "Back", x, 50);
        x = L + 60;
    }
    if (gControls[kControlCanExit] && !exit_) {
        const int width = static_cast<int>(gExitButtonLabel.size() + 3) * cw;
        exit_ = make(kCmSelectExit, gExitButtonLabel, x, width);
    }
}

void selectWindow::ActOn(int position) {
    const ViewListEntry* e = ViewListEntryAt(gGroupViewList, position);
    if (!e || !gMainFrame) return;
    if (e->hasChildren) {
        gMainFrame->SetCurrentViewGroup(e->listIndex);
        SendFrame(kCmShowSelectGroup);
    } else {
        gMainFrame->SetSelectedViewName(e->viewName);
        gViewListIndex = position;
        SendFrame(kCmOpenSelectedView);
    }
}

void selectWindow::CmSelectButton() {
    CloseTextWindow();
    KillTimer(SelectIdleTimer);
    for (std::size_t i = 0; i < menuButtons_.size(); ++i) {
        textButton* b = menuButtons_[i];
        if (!b || !b->pressed()) continue;
        b->SetPressed(false);
        ActOn(static_cast<int>(i));
        return;
    }
}

void selectWindow::CmBack() {
    idleCountdown_ = static_cast<int>(CountdownSeconds(gTimeout));
    if (!gMainFrame) return;
    if (gMainFrame->currentViewGroup() == 0) {
        SendFrame(kCmStartScreen);
        return;
    }
    const ViewListEntry* g = ViewListEntryAt(gViewList, groupIndex_);
    gMainFrame->SetCurrentViewGroup(g ? g->parentIndex : 0);
    SendFrame(kCmShowSelectGroup);
}

void selectWindow::CmInformation() {
    CloseTextWindow();
    idleCountdown_ = static_cast<int>(CountdownSeconds(gTimeout));
    textWindow_ = OpenHelpWindow(*this, kSelectTextFile);
    if (textWindow_ && !textWindow_->created()) textWindow_->Create();
}

void selectWindow::CmExit() {
    KillTimer(SelectIdleTimer);
    SendFrame(kCmExit);
}

ui::Result selectWindow::EvButtonHighlighted(ui::WParam tag, ui::LParam) {
    if (!gControls[kControlHighlightButtons] || menuButtons_.empty()) return 0;
    for (std::size_t i = 0; i < menuButtons_.size(); ++i)
        if (static_cast<ui::WParam>(i) != tag) UnhighlightTextButton(this, menuButtons_[i]);
    return 0;
}

void selectWindow::EvMouseMove(ui::Point p, std::uint32_t modifiers) {
    Window::EvMouseMove(p, modifiers);
    for (textButton* b : menuButtons_) UnhighlightTextButton(this, b);
    UnhighlightTextButton(this, information_);
    UnhighlightTextButton(this, exit_);
    if (!Doviredezur()) UnhighlightTextButton(this, back_);
}

void selectWindow::EvLButtonDown(ui::Point, std::uint32_t) {
    idleCountdown_ = static_cast<int>(CountdownSeconds(gTimeout));
}

void selectWindow::EvTimer(int id) {
    if (id != SelectIdleTimer || idleCountdown_ == 0) return;
    // A menu that a view has replaced keeps still: its countdown belongs to the screen shown.
    if (!visible()) return;
    if (--idleCountdown_ != 0) return;
    const int timeout = static_cast<int>(CountdownSeconds(gTimeout));
    if (textWindow_) {
        CloseTextWindow();
        idleCountdown_ = timeout;
        return;
    }
    if (Doviredezur()) {
        if (!gMainFrame || gMainFrame->currentViewGroup() == 0) {
            idleCountdown_ = timeout;
            return;
        }
        gMainFrame->SetCurrentViewGroup(0);
        SendFrame(kCmSelectMenu);
        return;
    }
    if (gExitWhenDone) {
        SendFrame(kCmExit);
        return;
    }
    if (!menuButtons_.empty() && menuButtons_.front()) {
        menuButtons_.front()->SetPressed(true);
        CmSelectButton();
    }
}
