#include "app/buttons.h"

#include <algorithm>

#include "app/frame.h"
#include "app/globals.h"
#include "app/sound.h"
#include "core/config.h"
#include "map/draw.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;

namespace {

bool HighlightButtons() { return gControls[kControlHighlightButtons] != 0; }
bool Doviredezur() { return gControls[kControlDoviredezur] != 0; }
int CaptionColor() { return Doviredezur() ? 0 : 12; }

// A face drawn pressed counts as activity.
void NotePress(bool pressed) {
    if (pressed && gMainFrame) gMainFrame->ResetIdleCountdown();
}

}  // namespace

void DrawButtonBevel(gfx::DrawContext& dc, const Rect& r, bool pressed, int depth) {
    gfx::StateSaver saver(dc);
    DrawBevelFrame(dc, r.inflated(-1, -1), kNoColor, pressed, depth, 0);
    dc.SetPen(gfx::Pen::Solid(gfx::kBlack));
    dc.SetBrush(gfx::Brush::Hollow());
    dc.Rectangle(r);
}

void DrawTextButtonFace(gfx::DrawContext& dc, const Rect& r, bool pressed) {
    const int face = Doviredezur() ? kDoviredezurDarkColor : kLightGrayColor;
    dc.FillRect({r.left + 3, r.top + 2, r.right - 3, r.bottom - 2}, gfx::Brush::Solid(ColorOf(face)));
    DrawButtonBevel(dc, r, pressed, std::min(r.height() / 10, 4));
}

void DrawButtonCaption(gfx::DrawContext& dc, const Rect& r, std::string_view text, bool pressed, bool highlighted) {
    gfx::StateSaver saver(dc);
    const int p = pressed ? 1 : 0;
    const gfx::Color color = ColorOf(CaptionColor());
    dc.SetTextAlign(gfx::HAlign::Center, gfx::VAlign::Baseline);
    dc.SetBackMode(gfx::BackMode::Transparent);
    dc.SetTextColor(color);
    const int ascent = dc.textMetrics().ascent;
    dc.TextOut({r.left + r.width() / 2 + p - 2, r.top + (r.height() + ascent) / 2 + p}, text);
    if (highlighted && HighlightButtons()) {
        const gfx::Size extent = dc.TextExtent(text);
        const int w = extent.width + 8;
        const int h = extent.height + 4;
        const int cx = r.left + r.width() / 2;
        const int cy = r.top + r.height() / 2;
        dc.SetPen(gfx::Pen::Dotted(color));
        dc.SetBrush(gfx::Brush::Hollow());
        dc.Rectangle(Rect::FromSize(cx - w / 2, cy - h / 2, w, h));
    }
}

void DrawBitmapButtonFace(gfx::DrawContext& dc, const Rect& r, const gfx::Surface* bitmap, bool pressed,
                          bool hovered) {
    const int p = pressed ? 1 : 0;
    dc.FillRect(r, gfx::Brush::Solid(ColorOf(kLightGrayColor)));
    if (bitmap) {
        const int x = r.left + (r.width() - bitmap->width()) / 2 + p;
        const int y = r.top + (r.height() - bitmap->height()) / 2 + p;
        dc.Blit(Rect::FromSize(x, y, bitmap->width(), bitmap->height()), *bitmap, {0, 0}, gfx::RasterOp::Copy);
    }
    DrawButtonBevel(dc, r, pressed, 3);
    if (hovered && HighlightButtons()) {
        gfx::StateSaver saver(dc);
        dc.SetPen(gfx::Pen::Dotted(gfx::kBlack));
        dc.SetBrush(gfx::Brush::Hollow());
        dc.Rectangle(r.inflated(-4, -4));
    }
}

// ---- textButton -------------------------------------------------------------------

textButton::textButton(ui::Window* parent, int id, std::string_view caption, int x, int y, int width, int height,
                       int tag)
    : Window(parent), text_(caption.substr(0, kTextButtonCaptionMax)), tag_(tag) {
    SetId(id);
    SetCaption(text_);
    MoveWindow(Rect::FromSize(x, y, width, height));
}

void textButton::SetupWindow() {
    Window::SetupWindow();
    pressed_ = false;
}

void textButton::DrawItem() {
    pressed_ = down_;
    NotePress(pressed_);
    gfx::DrawContext dc(backBuffer());
    // The erased background of a button, under the inset face.
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(kLightGrayColor)));
    DrawTextButtonFace(dc, clientRect(), down_);
    DrawButtonCaption(dc, clientRect(), text_, down_, highlighted_);
}

void textButton::Paint(ui::BackBuffer&, const Rect&) { DrawItem(); }

void textButton::SetDown(bool on) {
    if (down_ == on) return;
    down_ = on;
    DrawItem();
    pressed_ = true;  // a selection change leaves the flag set
}

void textButton::EvLButtonDown(Point, std::uint32_t) {
    AllNotesOff();
    PlayClick();
    tracking_ = true;
    SetCapture();
    SetDown(true);
}

void textButton::EvLButtonDblClk(Point p, std::uint32_t m) { EvLButtonDown(p, m); }

void textButton::EvMouseMove(Point p, std::uint32_t) {
    const bool inside = clientRect().contains(p);
    if (tracking_) SetDown(inside);
    if (!inside || !HighlightButtons() || highlighted_) return;
    highlighted_ = true;
    DrawItem();
    if (parent()) parent()->SendMessage(WmButtonHighlighted, static_cast<ui::WParam>(tag_), id());
}

void textButton::EvLButtonUp(Point p, std::uint32_t) {
    if (!tracking_) return;  // a release without a press here sends nothing
    tracking_ = false;
    ReleaseCapture();
    SetDown(false);
    if (!clientRect().contains(p)) {
        pressed_ = false;  // dragged off: this button was not chosen
        return;
    }
    if (parent()) parent()->SendCommand(id());
}

void UnhighlightTextButton(ui::Window*, textButton* button) {
    if (!button || !button->highlighted_) return;
    button->highlighted_ = false;
    const bool keep = button->pressed_;
    button->DrawItem();
    button->pressed_ = keep;
}

// ---- myButton ---------------------------------------------------------------------

myButton::myButton(ui::Window* parent, int id, int bitmapId, std::string_view caption, int repeatMode, int x, int y,
                   int width, int height)
    : Window(parent),
      bitmap_(LoadBitmapResource(bitmapId)),
      text_(caption.substr(0, kMyButtonCaptionMax)),
      repeatMode_(repeatMode) {
    SetId(id);
    SetCaption(text_);
    MoveWindow(Rect::FromSize(x, y, width, height));
}

void myButton::DrawItem() {
    focus_ = hasFocus();
    NotePress(pressed_);
    gfx::DrawContext dc(backBuffer());
    DrawBitmapButtonFace(dc, clientRect(), bitmap_.get(), pressed_, hovered_);
    if (!text_.empty()) DrawButtonCaption(dc, clientRect(), text_, pressed_, false);
}

void myButton::Paint(ui::BackBuffer&, const Rect&) { DrawItem(); }

void myButton::SendToParent(int id) {
    if (parent()) parent()->SendCommand(id);
}

void myButton::DefaultDown() {
    tracking_ = true;
    SetCapture();
    if (!pressed_) {
        pressed_ = true;
        DrawItem();
    }
}

void myButton::DefaultUp() {
    tracking_ = false;
    ReleaseCapture();
    if (pressed_) {
        pressed_ = false;
        DrawItem();
    }
}

void myButton::EvLButtonDown(Point p, std::uint32_t) {
    AllNotesOff();
    PlayClick();
    DefaultDown();
    KillTimer(ButtonRepeatTimer);
    if (!clientRect().contains(p)) return;
    SendToParent(id());
    if (repeatMode_ == 1 || repeatMode_ == 2) SetTimer(ButtonRepeatTimer, kButtonRepeatMs);
}

void myButton::EvLButtonUp(Point, std::uint32_t) {
    KillTimer(ButtonRepeatTimer);
    const bool wasPressedHere = tracking_;
    DefaultUp();
    if (repeatMode_ == 2 && wasPressedHere) SendToParent(id());
}

void myButton::EvLButtonDblClk(Point p, std::uint32_t) {
    DefaultDown();
    KillTimer(ButtonRepeatTimer);
    if (!clientRect().contains(p)) return;
    SendToParent(id());
    if (repeatMode_ == 1) SetTimer(ButtonRepeatTimer, kButtonRepeatMs);
    if (repeatMode_ == 2) SendToParent(id());
}

void myButton::EvTimer(int timerId) {
    AllNotesOff();
    if (repeatMode_ == 1 && timerId == ButtonRepeatTimer) {
        PlayClick();
        SendToParent(id());
    } else {
        KillTimer(ButtonRepeatTimer);
    }
}

void myButton::EvMouseMove(Point p, std::uint32_t) {
    const bool inside = clientRect().contains(p);
    if (tracking_ && pressed_ != inside) {
        pressed_ = inside;
        DrawItem();
    }
    if (!inside || hovered_) return;
    hovered_ = true;
    DrawItem();
    if (parent()) parent()->SendMessage(WmButtonHighlighted, 0, id());
}

void UnhighlightMyButton(ui::Window*, myButton* button) {
    if (!button || !button->hovered_) return;
    button->hovered_ = false;
    button->DrawItem();
}

// ---- myOnOffButton ----------------------------------------------------------------

myOnOffButton::myOnOffButton(ui::Window* parent, int onId, int offId, int bitmapId, int repeatMode, int x, int y,
                             int width, int height)
    : myButton(parent, onId, bitmapId, "", repeatMode, x, y, width, height), offId_(offId) {}

// Kills the repeat timer too, so that a repeating on/off button stops at release.
void myOnOffButton::EvLButtonUp(Point, std::uint32_t) {
    KillTimer(ButtonRepeatTimer);
    const bool wasPressedHere = tracking();
    DefaultUp();
    if (wasPressedHere) SendToParent(offId_);
}
