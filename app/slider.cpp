#include "app/slider.h"

#include <algorithm>
#include <cstdio>

#include "core/config.h"
#include "map/draw.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;

namespace {

int PanelColor() { return gControls[kControlDoviredezur] ? kDoviredezurLightColor : kLightGrayColor; }

// Rounded a * b / c for a, b >= 0 and c > 0.
int MulDivRound(long long a, long long b, long long c) { return static_cast<int>((2 * a * b + c) / (2 * c)); }

// A format is used only when it prints exactly one double, so that a bad one
// cannot read what is not there.
bool PrintsOneDouble(std::string_view f) {
    int conversions = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') continue;
        if (i + 1 < f.size() && f[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < f.size() && std::string_view("-+ #0123456789.l").find(f[j]) != std::string_view::npos) ++j;
        if (j >= f.size() || std::string_view("feEgG").find(f[j]) == std::string_view::npos) return false;
        ++conversions;
        i = j;
    }
    return conversions == 1;
}

}  // namespace

// ---- mySlider ---------------------------------------------------------------------

mySlider::mySlider(ui::Window* parent, int id, const Rect& r) : Window(parent), thumb_(LoadBitmapResource(kSliderThumbBitmap)) {
    SetId(id);
    MoveWindow(r);
}

void mySlider::SetRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    SetPosition(pos_);
}

void mySlider::SetPosition(int pos) {
    pos_ = std::clamp(pos, min_, max_);
    Redraw();
}

int mySlider::pageSize() const { return std::max(1, (max_ - min_) / 5); }

int mySlider::thumbWidth() const { return thumb_ ? thumb_->width() / 2 : 9; }
int mySlider::thumbHeight() const { return thumb_ ? thumb_->height() : 20; }
int mySlider::travel() const { return std::max(0, rect().width() - 2 * kMargin - thumbWidth()); }

int mySlider::ThumbLeftOf(int pos) const {
    const int span = max_ - min_;
    if (span <= 0) return kMargin;
    return kMargin + MulDivRound(std::clamp(pos, min_, max_) - min_, travel(), span);
}

int mySlider::PositionAt(int thumbLeft) const {
    const int t = travel();
    if (t <= 0) return min_;
    const int along = std::clamp(thumbLeft - kMargin, 0, t);
    return min_ + MulDivRound(along, max_ - min_, t);
}

// Centred in the rows the labels leave; as high as the slider allows when they leave too few.
int mySlider::ThumbTop() const {
    const int free = rect().height() - labelRows_;
    return std::max(0, std::min((free - thumbHeight()) / 2, free - thumbHeight()));
}

Rect mySlider::thumbRect() const {
    return Rect::FromSize(ThumbLeftOf(pos_), ThumbTop(), thumbWidth(), thumbHeight());
}

void mySlider::PaintThumb(gfx::DrawContext& dc) {
    const Rect r = thumbRect();
    if (!thumb_) {
        dc.FillRect(r, gfx::Brush::Solid(ColorOf(kYellowColor)));
        return;
    }
    const int sourceX = dragging_ || !enabled() ? thumb_->width() / 2 : 0;
    dc.Blit(r, *thumb_, {sourceX, 0}, gfx::RasterOp::Copy);
}

void mySlider::Redraw() {
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(PanelColor())));
    // The channel the thumb runs in, sunken, under the thumb's middle.
    const int half = thumbWidth() / 2;
    const int mid = ThumbTop() + thumbHeight() / 2;
    DrawBevelFrame(dc, {kMargin + half, mid - 2, rect().width() - kMargin - half, mid + 2}, kWhiteColor, true, 1, 0);
    PaintRuler(dc);
    if (labelPainter_) {
        gfx::StateSaver saver(dc);
        dc.SetOrigin({-rect().left, -rect().top});
        labelPainter_(dc);
    }
    PaintThumb(dc);
}

void mySlider::Paint(ui::BackBuffer&, const Rect&) { Redraw(); }

void mySlider::MoveTo(int pos) {
    const int before = pos_;
    SetPosition(pos);
    if (pos_ == before || !parent()) return;
    ui::Notification n;
    n.id = id();
    n.code = ui::NotifyCode::Scrolled;
    n.delta = pos_ - before;
    parent()->Notify(n);
}

void mySlider::EvLButtonDown(Point p, std::uint32_t) {
    const Rect t = thumbRect();
    if (t.contains(p)) {
        dragging_ = true;
        grab_ = p.x - t.left;
        SetCapture();
        Redraw();
        return;
    }
    if (p.x < t.left) MoveTo(pos_ - pageSize());
    else if (p.x >= t.right) MoveTo(pos_ + pageSize());
}

void mySlider::EvMouseMove(Point p, std::uint32_t) {
    if (dragging_) MoveTo(PositionAt(p.x - grab_));
}

void mySlider::EvLButtonUp(Point p, std::uint32_t) {
    if (!dragging_) return;
    MoveTo(PositionAt(p.x - grab_));
    dragging_ = false;
    ReleaseCapture();
    Redraw();
}

// ---- Roller -----------------------------------------------------------------------

// An arrow that tells its roller when the owner deletes it first.
class Roller::Arrow : public myButton {
public:
    Arrow(ui::Window* owner, Roller* roller, int id, int bitmapId, int x, int y)
        : myButton(owner, id, bitmapId, "", 1, x, y, 18, 18), roller_(roller) {}
    ~Arrow() override {
        if (!roller_) return;
        if (roller_->left_ == this) roller_->left_ = nullptr;
        if (roller_->right_ == this) roller_->right_ = nullptr;
    }
    Roller* roller_;
};

Roller::Roller(ui::Window* owner, int leftId, int rightId, int x, int y, int width, double* value,
               std::string_view caption, std::string_view format)
    : Window(owner), box_(Rect::FromSize(x + 18, y, width, 18)), value_(value) {
    limits_.caption = std::string(caption.substr(0, kRollerCaptionMax));
    limits_.format = std::string(format.substr(0, kRollerFormatMax));
    left_ = new Arrow(owner, this, leftId, 601, x, y);
    right_ = new Arrow(owner, this, rightId, 600, box_.right, y);
}

Roller::~Roller() {
    for (myButton* b : {left_, right_}) {
        if (!b) continue;
        static_cast<Arrow*>(b)->roller_ = nullptr;
        b->Destroy();
    }
}

void Roller::SetupWindow() {
    Window::SetupWindow();
    // A roller made after its owner's set-up brings up its arrows itself.
    for (myButton* b : {left_, right_}) {
        if (b && !b->created()) b->Create();
    }
    // As wide as the caption really is, measured as DrawValueBox draws it, so
    // the roller never covers what its owner draws beside it.
    MoveWindow(Rect::FromSize(box_.left, box_.top, CaptionRight() + 2, 18));
}

void Roller::StepUp() {
    if (value_ && *value_ < limits_.maximum) *value_ += limits_.step;
}

void Roller::StepDown() {
    if (value_ && *value_ > limits_.minimum) *value_ -= limits_.step;
}

std::string Roller::ValueText() const {
    if (!value_) return {};
    const std::string& f = PrintsOneDouble(limits_.format) ? limits_.format : std::string("%g");
    char text[64];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, f.c_str(), *value_);  // checked above: one double
#pragma GCC diagnostic pop
    return text;
}

int Roller::CaptionRight() const {
    auto scratch = gfx::Surface::Create(1, 1);
    if (!scratch) return box_.width() + 21;
    gfx::DrawContext dc(*scratch);
    // DrawJustifiedText sets left-justified text half an average character in;
    // as much again for the ink a last glyph puts past its advance ("f").
    return box_.width() + 21 + dc.textMetrics().aveCharWidth + dc.TextExtent(limits_.caption).width;
}

void Roller::DrawValueBox(gfx::DrawContext& dc) {
    {
        gfx::StateSaver saver(dc);
        dc.SetPen(gfx::Pen::Solid(gfx::kBlack));
        dc.SetBrush(gfx::Brush::Solid(gfx::kWhite));
        dc.Rectangle({0, 0, box_.width(), box_.height()});
    }
    DrawJustifiedText(dc, box_.width() + 21, 10, nullptr, limits_.caption, 0, kNoColor, HJust::Left, VJust::Center);
    DrawJustifiedText(dc, 0, 10, nullptr, ValueText(), 0, kNoColor, HJust::Left, VJust::Center);
}

void Roller::Draw() {
    if (left_) left_->DrawItem();
    if (right_) right_->DrawItem();
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    DrawValueBox(dc);
}

void Roller::Paint(ui::BackBuffer& buffer, const Rect&) {
    gfx::DrawContext dc(buffer);
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(PanelColor())));
    DrawValueBox(dc);
}
