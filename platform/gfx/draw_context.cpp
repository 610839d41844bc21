#include "platform/gfx/draw_context.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

namespace platform::gfx {

using detail::Span;

namespace {

int Mod(int v, int m) {
    int r = v % m;
    return r < 0 ? r + m : r;
}

std::uint32_t TileWord(const Surface& tile, int x, int y) {
    return tile.row(Mod(y, tile.height()))[Mod(x, tile.width())];
}

// Calls put(x, word) along [a, b) of row y with the tile's words.
template <class Put>
void TileRun(const Surface& tile, int y, int a, int b, Put put) {
    const std::uint32_t* trow = tile.row(Mod(y, tile.height()));
    int tx = Mod(a, tile.width());
    for (int x = a; x < b; ++x) {
        put(x, trow[tx]);
        if (++tx == tile.width()) tx = 0;
    }
}

// A source pixel in the destination's terms: a colour word, or a mask bit.
std::uint32_t SourceWord(std::uint32_t v) { return v; }
std::uint32_t SourceWord(std::uint8_t bit) { return bit ? kWhite.value() : kBlack.value(); }
std::uint8_t SourceBit(std::uint32_t v) { return v == kWhite.value() ? 1 : 0; }
std::uint8_t SourceBit(std::uint8_t bit) { return bit; }

Span RectRow(const Rect& box, int y) {
    if (box.empty() || y < box.top || y >= box.bottom) return {};
    return {box.left, box.right};
}

}  // namespace

Brush Brush::Pattern(std::shared_ptr<const Surface> tile) {
    if (!tile || tile->width() == 0 || tile->height() == 0) return Hollow();
    return Brush(BrushStyle::Pattern, kBlack, std::move(tile));
}

Brush Brush::Pattern8x8(const std::array<std::uint8_t, 8>& rows, Color set, Color clear) {
    std::shared_ptr<Surface> tile = Surface::Create(8, 8);
    if (!tile) return Hollow();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) tile->row(y)[x] = ((rows[y] >> (7 - x)) & 1) ? set.value() : clear.value();
    }
    return Pattern(std::move(tile));
}

Point DrawContext::ToDevice(Point p) const {
    return {detail::ClampCoord(static_cast<long long>(p.x) + state_.origin.x),
            detail::ClampCoord(static_cast<long long>(p.y) + state_.origin.y)};
}

Rect DrawContext::ToDevice(const Rect& r) const {
    Point a = ToDevice(Point{r.left, r.top}), b = ToDevice(Point{r.right, r.bottom});
    return {a.x, a.y, b.x, b.y};
}

Rect DrawContext::DeviceArea(const Rect& r, const Rect& limit) const {
    long long l = std::max<long long>(static_cast<long long>(r.left) + state_.origin.x, limit.left);
    long long t = std::max<long long>(static_cast<long long>(r.top) + state_.origin.y, limit.top);
    long long rr = std::min<long long>(static_cast<long long>(r.right) + state_.origin.x, limit.right);
    long long b = std::min<long long>(static_cast<long long>(r.bottom) + state_.origin.y, limit.bottom);
    if (l >= rr || t >= b) return {};
    return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(rr), static_cast<int>(b)};
}

int DrawContext::penWidth() const { return std::clamp(state_.pen.width, 1, kMaxPenWidth); }

DrawContext::DrawContext(Surface& target) : surface_(&target) {
    state_.clip = detail::Region(targetBounds());
    state_.font = Font::System();
}

DrawContext::DrawContext(Mask& target) : mask_(&target) {
    state_.clip = detail::Region(targetBounds());
    state_.font = Font::System();
}

Size DrawContext::size() const { return surface_ ? surface_->size() : mask_->size(); }
Rect DrawContext::targetBounds() const { return {0, 0, size().width, size().height}; }
Rect DrawContext::damage() const { return surface_ ? surface_->damage() : mask_->damage(); }
void DrawContext::ClearDamage() {
    if (surface_) surface_->ClearDamage();
    else mask_->ClearDamage();
}

void DrawContext::SetFont(std::shared_ptr<const Font> f) { state_.font = f ? std::move(f) : Font::System(); }

void DrawContext::ResetClip() { state_.clip = detail::Region(targetBounds()); }
void DrawContext::SetClip(const Rect& r) { state_.clip = detail::Region(DeviceArea(r, targetBounds())); }
void DrawContext::SetClip(std::span<const Point> polygon) {
    std::vector<Point> device(polygon.begin(), polygon.end());
    for (Point& p : device) p = ToDevice(p);
    state_.clip = detail::Region::FromPolygon(device, targetBounds());
}
void DrawContext::IntersectClip(const Rect& r) { state_.clip.Intersect(DeviceArea(r, targetBounds())); }
void DrawContext::ExcludeClip(const Rect& r) { state_.clip.Subtract(DeviceArea(r, targetBounds())); }
Rect DrawContext::clipBounds() const {
    Point o = state_.origin;
    return state_.clip.bounds().translated({-o.x, -o.y});
}
bool DrawContext::InClip(Point p) const { return state_.clip.Contains(ToDevice(p)); }

void DrawContext::Save() { saved_.push_back(state_); }
void DrawContext::Restore() {
    if (saved_.empty()) return;
    state_ = std::move(saved_.back());
    saved_.pop_back();
}

std::optional<DrawContext::Paint> DrawContext::BrushPaint(const Brush& b) {
    switch (b.style()) {
        case BrushStyle::Solid: return Paint{b.color(), nullptr};
        case BrushStyle::Pattern: return Paint{kBlack, b.tile()};
        case BrushStyle::Hollow: break;
    }
    return std::nullopt;
}

void DrawContext::MarkDamage(int y, int x0, int x1) { MarkDamage(Rect{x0, y, x1, y + 1}); }

void DrawContext::MarkDamage(const Rect& r) {
    if (batching_) {
        batch_ = batch_.united(r);
        return;
    }
    if (surface_) surface_->MarkDamaged(r);
    else mask_->MarkDamaged(r);
}

DrawContext::DamageBatch::DamageBatch(DrawContext& dc) : dc_(dc), outer_(!dc.batching_) {
    if (!outer_) return;
    dc_.batching_ = true;
    dc_.batch_ = {};
}

DrawContext::DamageBatch::~DamageBatch() {
    if (!outer_) return;
    dc_.batching_ = false;
    if (dc_.batch_.empty()) return;
    if (dc_.surface_) dc_.surface_->MarkDamaged(dc_.batch_);
    else dc_.mask_->MarkDamaged(dc_.batch_);
}

void DrawContext::FillSpan(int y, int x0, int x1, const Paint& paint) {
    state_.clip.ForEachSpan(y, x0, x1, [&](int a, int b) {
        if (surface_) {
            std::uint32_t* row = surface_->row(y);
            if (!paint.tile) {
                std::fill(row + a, row + b, paint.color.value());
            } else {
                TileRun(*paint.tile, y, a, b, [row](int x, std::uint32_t w) { row[x] = w; });
            }
        } else {
            std::uint8_t* row = mask_->row(y);
            if (!paint.tile) {
                std::memset(row + a, MaskBit(paint.color), static_cast<std::size_t>(b - a));
            } else {
                TileRun(*paint.tile, y, a, b, [row](int x, std::uint32_t w) { row[x] = SourceBit(w); });
            }
        }
        MarkDamage(y, a, b);
    });
}

void DrawContext::PlotPen(Point device, bool on) {
    if (on) Plot(device, {state_.pen.color});
    else if (state_.backMode == BackMode::Opaque) Plot(device, {state_.backColor});
}

void DrawContext::StrokeThin(Point from, Point to, int& dotPhase) {
    detail::LineSteps steps(from, to);
    int first = 0, last = steps.count();  // the end pixel is left out
    int total = last;
    const Rect clip = state_.clip.bounds();
    // A line lies within the box of its ends: with both inside nothing is cut.
    if (!clip.contains(steps.At(0)) || !clip.contains(steps.At(total))) steps.ClipTo(clip, first, last);
    const bool dotted = state_.pen.style == PenStyle::Dotted;
    if (!dotted && surface_ && state_.clip.rectangular()) {
        // Every step inside a plain clip: the pixels go straight in, and their
        // damage is the box of the first and last.
        if (first >= last) {
            dotPhase = (dotPhase + total) & 1;
            return;
        }
        const std::uint32_t word = state_.pen.color.value();
        steps.ForEach(first, last, [&](int, Point p) { surface_->row(p.y)[p.x] = word; });
        const Point a = steps.At(first), b = steps.At(last - 1);
        MarkDamage({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1});
        dotPhase = (dotPhase + total) & 1;
        return;
    }
    steps.ForEach(first, last, [&](int i, Point p) { PlotPen(p, !dotted || ((dotPhase + i) & 1) == 0); });
    dotPhase = (dotPhase + total) & 1;  // only the parity carries on
}

// A disc of the pen's width stamped at every step, ends included. Each row of
// the union is one run, so rows are gathered first and filled once.
void DrawContext::StrokeWide(Point from, Point to, int width) {
    Rect disc{-(width / 2), -(width / 2), width - width / 2, width - width / 2};
    std::vector<Span>& discRows = scratchDisc_;
    discRows.clear();
    for (int dy = disc.top; dy < disc.bottom; ++dy) discRows.push_back(detail::EllipseRow(disc, dy));
    detail::LineSteps steps(from, to);
    int first = 0, last = steps.count() + 1;
    Rect clip = state_.clip.bounds();
    const Rect reach = clip.inflated(width, width);
    if (!reach.contains(steps.At(0)) || !reach.contains(steps.At(last - 1))) steps.ClipTo(reach, first, last);
    if (first >= last) return;
    Point a = steps.At(first), b = steps.At(last - 1);
    int y0 = std::max(std::min(a.y, b.y) + disc.top, clip.top);
    int y1 = std::min(std::max(a.y, b.y) + disc.bottom, clip.bottom);
    if (y0 >= y1) return;
    std::vector<Span>& rows = scratchRows_;
    rows.assign(y1 - y0, Span{INT_MAX, INT_MIN});
    steps.ForEach(first, last, [&](int, Point p) {
        for (int dy = disc.top; dy < disc.bottom; ++dy) {
            int y = p.y + dy;
            if (y < y0 || y >= y1) continue;
            Span s = discRows[dy - disc.top];
            if (s.x0 >= s.x1) continue;
            Span& r = rows[y - y0];
            r.x0 = std::min(r.x0, p.x + s.x0);
            r.x1 = std::max(r.x1, p.x + s.x1);
        }
    });
    Paint paint{state_.pen.color};
    for (int y = y0; y < y1; ++y) {
        if (rows[y - y0].x0 < rows[y - y0].x1) FillSpan(y, rows[y - y0].x0, rows[y - y0].x1, paint);
    }
}

void DrawContext::StrokePath(std::span<const Point> points, bool closed) {
    if (state_.pen.style == PenStyle::None || points.size() < 2) return;
    DamageBatch batch(*this);
    std::size_t n = points.size();
    std::size_t segments = closed ? n : n - 1;
    int phase = 0;
    for (std::size_t i = 0; i < segments; ++i) {
        Point a = ToDevice(points[i]), b = ToDevice(points[(i + 1) % n]);
        if (penWidth() == 1) StrokeThin(a, b, phase);
        else StrokeWide(a, b, penWidth());
    }
}

void DrawContext::LineTo(Point p) {
    Point path[2] = {state_.position, p};
    StrokePath(path, false);
    state_.position = p;
}

void DrawContext::Polyline(std::span<const Point> points) { StrokePath(points, false); }

void DrawContext::Polygon(std::span<const Point> points) {
    if (points.size() < 2) return;
    DamageBatch batch(*this);
    if (auto paint = BrushPaint(state_.brush)) {
        scratchPoints_.assign(points.begin(), points.end());
        for (Point& p : scratchPoints_) p = ToDevice(p);
        detail::PolygonScan scan(scratchPoints_);
        Rect area = scan.bounds().intersected(state_.clip.bounds());
        for (int y = area.top; y < area.bottom; ++y) {
            scratchSpans_.clear();
            scan.Row(y, scratchSpans_);
            for (Span s : scratchSpans_) FillSpan(y, s.x0, s.x1, *paint);
        }
    }
    StrokePath(points, true);
}

// Brush over the shape's rows; the pen on the ring between the box grown by
// half the pen and the interior of the box shrunk by the other half (for a
// one-pixel pen: the shape's pixels that have a neighbour outside it).
template <class RowFn>
void DrawContext::DrawShape(const Rect& box, RowFn rowOf) {
    if (box.empty()) return;
    DamageBatch batch(*this);
    Rect clip = state_.clip.bounds();
    if (auto paint = BrushPaint(state_.brush)) {
        Rect area = box.intersected(clip);
        for (int y = area.top; y < area.bottom; ++y) {
            Span s = rowOf(box, y);
            FillSpan(y, s.x0, s.x1, *paint);
        }
    }
    if (state_.pen.style == PenStyle::None) return;
    int w = penWidth();
    Rect outer = box.inflated((w - 1) / 2, (w - 1) / 2);
    Rect inner = box.inflated(-(w / 2), -(w / 2));
    bool dotted = state_.pen.style == PenStyle::Dotted && w == 1;
    int y0 = std::max(outer.top, clip.top), y1 = std::min(outer.bottom, clip.bottom);
    Paint paint{state_.pen.color};
    for (int y = y0; y < y1; ++y) {
        Span hole = detail::InteriorOfRow(rowOf(inner, y - 1), rowOf(inner, y), rowOf(inner, y + 1));
        Span parts[2];
        int n = detail::SubtractSpan(rowOf(outer, y), hole, parts);
        for (int k = 0; k < n; ++k) {
            if (!dotted) {
                FillSpan(y, parts[k].x0, parts[k].x1, paint);
                continue;
            }
            int a = std::max(parts[k].x0, clip.left), b = std::min(parts[k].x1, clip.right);
            for (int x = a; x < b; ++x) PlotPen({x, y}, ((x + y) & 1) == 0);
        }
    }
}

void DrawContext::Rectangle(const Rect& r) { DrawShape(ToDevice(r), RectRow); }
void DrawContext::Ellipse(const Rect& box) { DrawShape(ToDevice(box), detail::EllipseRow); }

void DrawContext::FillRect(const Rect& r, const Brush& b) {
    auto paint = BrushPaint(b);
    if (!paint) return;
    Rect area = DeviceArea(r, state_.clip.bounds());
    DamageBatch batch(*this);
    for (int y = area.top; y < area.bottom; ++y) FillSpan(y, area.left, area.right, *paint);
}

void DrawContext::SetPixel(Point p, Color c) { Plot(ToDevice(p), {c}); }

std::optional<Color> DrawContext::Pixel(Point p) const {
    Point d = ToDevice(p);
    if (!state_.clip.Contains(d)) return std::nullopt;
    return surface_ ? surface_->At(d.x, d.y) : MaskColor(mask_->At(d.x, d.y));
}

void DrawContext::Blit(const Rect& dest, const DrawContext& source, Point sourceTopLeft, RasterOp op) {
    long long x = static_cast<long long>(sourceTopLeft.x) + source.origin().x;
    long long y = static_cast<long long>(sourceTopLeft.y) + source.origin().y;
    if (source.surface_) BlitFrom(dest, *source.surface_, x, y, op);
    else BlitFrom(dest, *source.mask_, x, y, op);
}
void DrawContext::Blit(const Rect& dest, const Surface& source, Point sourceTopLeft, RasterOp op) {
    BlitFrom(dest, source, sourceTopLeft.x, sourceTopLeft.y, op);
}
void DrawContext::Blit(const Rect& dest, const Mask& source, Point sourceTopLeft, RasterOp op) {
    BlitFrom(dest, source, sourceTopLeft.x, sourceTopLeft.y, op);
}

template <class Source>
void DrawContext::BlitFrom(const Rect& dest, const Source& src, long long srcX, long long srcY, RasterOp op) {
    // Offsets from destination to source pixels; exact, then small once the area is not empty.
    long long dx = srcX - (static_cast<long long>(dest.left) + state_.origin.x);
    long long dy = srcY - (static_cast<long long>(dest.top) + state_.origin.y);
    Rect area = DeviceArea(dest, state_.clip.bounds());
    long long l = std::max<long long>(area.left, -dx), t = std::max<long long>(area.top, -dy);
    long long r = std::min<long long>(area.right, src.width() - dx), b = std::min<long long>(area.bottom, src.height() - dy);
    if (l >= r || t >= b) return;
    area = {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(b)};
    Point off{static_cast<int>(dx), static_cast<int>(dy)};
    std::optional<Paint> brush;
    if (op == RasterOp::BrushWhereSourceSet) {
        brush = BrushPaint(state_.brush);
        if (!brush) return;
    }
    // Reading from the target itself: take the block first so overlaps copy right.
    const Source* from = &src;
    std::unique_ptr<Source> copy;
    if (static_cast<const void*>(&src) == static_cast<const void*>(surface_) ||
        static_cast<const void*>(&src) == static_cast<const void*>(mask_)) {
        copy = Source::Create(area.width(), area.height());
        if (!copy) return;
        for (int y = 0; y < area.height(); ++y) {
            const auto* s = src.row(area.top + off.y + y) + area.left + off.x;
            std::copy(s, s + area.width(), copy->row(y));
        }
        from = copy.get();
        off = Point{} - area.topLeft();
    }
    DamageBatch batch(*this);
    // The raster operation is chosen once per span, not once per pixel; a copy
    // between stores of one kind is a block move.
    constexpr bool kFromSurface = std::is_same_v<Source, Surface>;
    for (int y = area.top; y < area.bottom; ++y) {
        const auto* srow = from->row(y + off.y) + off.x;
        state_.clip.ForEachSpan(y, area.left, area.right, [&](int a, int b) {
            if (surface_) {
                std::uint32_t* drow = surface_->row(y);
                switch (op) {
                    case RasterOp::Copy:
                        if constexpr (kFromSurface) std::copy(srow + a, srow + b, drow + a);
                        else
                            for (int x = a; x < b; ++x) drow[x] = SourceWord(srow[x]);
                        break;
                    case RasterOp::DestAndNotSource:
                        for (int x = a; x < b; ++x) drow[x] &= ~SourceWord(srow[x]) & 0xFFFFFFu;
                        break;
                    case RasterOp::BrushWhereSourceSet:
                        for (int x = a; x < b; ++x)
                            if (SourceWord(srow[x]) == kWhite.value())
                                drow[x] = brush->tile ? TileWord(*brush->tile, x, y) : brush->color.value();
                        break;
                }
            } else {
                std::uint8_t* drow = mask_->row(y);
                switch (op) {
                    case RasterOp::Copy:
                        if constexpr (!kFromSurface) std::copy(srow + a, srow + b, drow + a);
                        else
                            for (int x = a; x < b; ++x) drow[x] = SourceBit(srow[x]);
                        break;
                    case RasterOp::DestAndNotSource:
                        for (int x = a; x < b; ++x) drow[x] = drow[x] & !SourceBit(srow[x]);
                        break;
                    case RasterOp::BrushWhereSourceSet:
                        for (int x = a; x < b; ++x)
                            if (SourceBit(srow[x]))
                                drow[x] = brush->tile ? SourceBit(TileWord(*brush->tile, x, y)) : MaskBit(brush->color);
                        break;
                }
            }
            MarkDamage(y, a, b);
        });
    }
}

void DrawContext::StretchImage(const Rect& dest, const Surface& image, const Rect& source) {
    if (dest.empty() || source.empty()) return;
    Rect area = DeviceArea(dest, state_.clip.bounds());
    if (area.empty()) return;
    DamageBatch batch(*this);
    long long dl = static_cast<long long>(dest.left) + state_.origin.x;
    long long dt = static_cast<long long>(dest.top) + state_.origin.y;
    long long dw = static_cast<long long>(dest.right) - dest.left, dh = static_cast<long long>(dest.bottom) - dest.top;
    long long sw = static_cast<long long>(source.right) - source.left;
    long long sh = static_cast<long long>(source.bottom) - source.top;
    // Nearest source pixel to each destination pixel centre; outside the image: skipped.
    auto sample = [](long long i, long long from, long long dn, long long sn) {
        return from + static_cast<long long>((static_cast<__int128>(2 * i + 1) * sn) / (2 * dn));
    };
    Rect inside = image.bounds();
    if (dw == sw && dh == sh && surface_) {
        // One to one: every pixel is its source's, row by row.
        const long long dx = source.left - dl, dy = source.top - dt;
        const int first = static_cast<int>(std::max<long long>(area.left, inside.left - dx));
        const int last = static_cast<int>(std::min<long long>(area.right, inside.right - dx));
        for (int y = area.top; y < area.bottom && first < last; ++y) {
            const long long sy = y + dy;
            if (sy < inside.top || sy >= inside.bottom) continue;
            const std::uint32_t* srow = image.row(static_cast<int>(sy)) + dx;
            std::uint32_t* drow = surface_->row(y);
            state_.clip.ForEachSpan(y, first, last, [&](int a, int b) {
                std::copy(srow + a, srow + b, drow + a);
                MarkDamage(y, a, b);
            });
        }
        return;
    }
    std::vector<int> columns(area.width());
    for (int x = area.left; x < area.right; ++x) {
        long long sx = sample(x - dl, source.left, dw, sw);
        columns[x - area.left] = sx >= inside.left && sx < inside.right ? static_cast<int>(sx) : -1;
    }
    for (int y = area.top; y < area.bottom; ++y) {
        long long syl = sample(y - dt, source.top, dh, sh);
        if (syl < inside.top || syl >= inside.bottom) continue;
        int sy = static_cast<int>(syl);
        if (sy < inside.top || sy >= inside.bottom) continue;
        const std::uint32_t* srow = image.row(sy);
        state_.clip.ForEachSpan(y, area.left, area.right, [&](int a, int b) {
            int lo = b, hi = a;
            for (int x = a; x < b; ++x) {
                int sx = columns[x - area.left];
                if (sx < 0) continue;
                if (surface_) surface_->row(y)[x] = srow[sx];
                else mask_->row(y)[x] = SourceBit(srow[sx]);
                lo = std::min(lo, x);
                hi = std::max(hi, x + 1);
            }
            if (lo < hi) MarkDamage(y, lo, hi);
        });
    }
}

TextMetrics DrawContext::textMetrics() const { return state_.font ? state_.font->metrics() : TextMetrics{}; }

Size DrawContext::TextExtent(std::string_view text) const {
    if (!state_.font) return {};
    return {state_.font->Width(text), state_.font->metrics().height};
}

void DrawContext::DrawGlyphs(const Font& f, Point pen, std::string_view text) {
    Paint paint{state_.textColor};
    for (char ch : text) {
        const Glyph& g = f.GlyphOf(static_cast<unsigned char>(ch));
        for (int gy = 0; gy < g.rows; ++gy) {
            const std::uint8_t* bits = g.bits.data() + static_cast<std::size_t>(gy) * g.width;
            int y = pen.y - g.top + gy;
            for (int gx = 0; gx < g.width;) {
                if (!bits[gx]) {
                    ++gx;
                    continue;
                }
                int run = gx;
                while (run < g.width && bits[run]) ++run;
                FillSpan(y, pen.x + g.left + gx, pen.x + g.left + run, paint);
                gx = run;
            }
        }
        pen.x += g.advance;
    }
}

void DrawContext::TextOut(Point p, std::string_view text) {
    if (!state_.font) return;
    const Font& f = *state_.font;
    const TextMetrics& m = f.metrics();
    int width = f.Width(text);
    Point d = ToDevice(p);
    int x = d.x;
    if (state_.hAlign == HAlign::Center) x -= width / 2;
    else if (state_.hAlign == HAlign::Right) x -= width;
    int baseline = d.y;
    if (state_.vAlign == VAlign::Top) baseline += m.ascent;
    else if (state_.vAlign == VAlign::Bottom) baseline -= m.descent;
    if (state_.backMode == BackMode::Opaque) {
        Paint back{state_.backColor};
        for (int y = baseline - m.ascent; y < baseline + m.descent; ++y) FillSpan(y, x, x + width, back);
    }
    DrawGlyphs(f, {x, baseline}, text);
}

std::vector<DrawContext::LaidLine> DrawContext::LayoutWrapped(const Rect& box, std::string_view text, HAlign align,
                                                              Rect& covered) const {
    std::vector<LaidLine> lines;
    covered = {box.left, box.top, box.left, box.top};
    if (!state_.font) return lines;
    const Font& f = *state_.font;
    int lineHeight = f.metrics().height;
    auto place = [&](std::string_view line) {
        int w = f.Width(line);
        int x = box.left;
        if (align == HAlign::Center) x = box.left + (box.width() - w) / 2;
        else if (align == HAlign::Right) x = box.right - w;
        int y = box.top + static_cast<int>(lines.size()) * lineHeight;
        lines.push_back({line, {x, y, x + w, y + lineHeight}});
    };
    std::size_t start = 0;
    while (true) {
        std::size_t nl = text.find('\n', start);
        std::string_view para = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
        std::size_t pos = 0;
        do {
            // The longest run of whole words that fits; a lone word always goes.
            std::size_t end = std::string_view::npos;
            std::size_t i = pos;
            while (true) {
                std::size_t j = i;
                while (j < para.size() && para[j] == ' ') ++j;
                if (j >= para.size()) {
                    if (end == std::string_view::npos) end = para.size();
                    break;
                }
                std::size_t k = j;
                while (k < para.size() && para[k] != ' ') ++k;
                if (end != std::string_view::npos && f.Width(para.substr(pos, k - pos)) > box.width()) break;
                end = k;
                i = k;
            }
            place(para.substr(pos, end - pos));
            pos = end;
            while (pos < para.size() && para[pos] == ' ') ++pos;
        } while (pos < para.size());
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    int left = INT_MAX, right = INT_MIN;
    for (const LaidLine& l : lines) {
        left = std::min(left, l.cell.left);
        right = std::max(right, l.cell.right);
    }
    covered = {left, box.top, right, box.top + static_cast<int>(lines.size()) * lineHeight};
    return lines;
}

Rect DrawContext::MeasureWrapped(const Rect& box, std::string_view text, HAlign align) const {
    Rect covered;
    LayoutWrapped(box, text, align, covered);
    return covered;
}

Rect DrawContext::DrawWrapped(const Rect& box, std::string_view text, HAlign align) {
    Rect covered;
    std::vector<LaidLine> lines = LayoutWrapped(box, text, align, covered);
    if (lines.empty()) return covered;
    StateSaver saver(*this);
    IntersectClip(box);
    const Font& f = *state_.font;
    for (const LaidLine& l : lines) {
        Rect cell = ToDevice(l.cell);
        if (state_.backMode == BackMode::Opaque) {
            Paint back{state_.backColor};
            for (int y = cell.top; y < cell.bottom; ++y) FillSpan(y, cell.left, cell.right, back);
        }
        DrawGlyphs(f, {cell.left, cell.top + f.metrics().ascent}, l.text);
    }
    return covered;
}

}  // namespace platform::gfx
