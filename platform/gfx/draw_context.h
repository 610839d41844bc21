#pragma once
// The drawing context: pens, brushes, a font, clipping, a viewport origin and a
// state stack over a Surface or a Mask. Aliased and exact: the same calls give
// the same pixels. Coordinates are logical (device = logical + origin); every
// public call clips to the clip region, which never extends past the target.
// Drawing onto a Mask sets 1 for white and 0 for any other colour.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/gfx/font.h"
#include "platform/gfx/geometry.h"
#include "platform/gfx/raster.h"
#include "platform/gfx/surface.h"

namespace platform::gfx {

enum class PenStyle { Solid, Dotted, None };

// Width 0 or 1 is a one-pixel line, widths above kMaxPenWidth draw as that; dotted
// pens are one pixel wide (wider ones draw solid), alternating on and off, with
// the gaps in the background colour when the background mode is opaque.
inline constexpr int kMaxPenWidth = 1024;

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    Color color;

    static Pen Solid(Color c, int width = 1) { return {PenStyle::Solid, width, c}; }
    static Pen Dotted(Color c) { return {PenStyle::Dotted, 1, c}; }
    static Pen None() { return {PenStyle::None, 0, kBlack}; }
};

enum class BrushStyle { Solid, Hollow, Pattern };

// A pattern brush tiles its image from the device origin, whatever the viewport origin.
class Brush {
public:
    static Brush Solid(Color c) { return Brush(BrushStyle::Solid, c, nullptr); }
    static Brush Hollow() { return Brush(BrushStyle::Hollow, kBlack, nullptr); }
    // An empty or missing tile makes a hollow brush.
    static Brush Pattern(std::shared_ptr<const Surface> tile);
    // 8 x 8 two-colour pattern, row by row, bit 7 the leftmost pixel.
    static Brush Pattern8x8(const std::array<std::uint8_t, 8>& rows, Color set, Color clear);

    BrushStyle style() const { return style_; }
    Color color() const { return color_; }
    const Surface* tile() const { return tile_.get(); }

private:
    Brush(BrushStyle s, Color c, std::shared_ptr<const Surface> t) : style_(s), color_(c), tile_(std::move(t)) {}
    BrushStyle style_;
    Color color_;
    std::shared_ptr<const Surface> tile_;
};

enum class BackMode { Opaque, Transparent };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Baseline, Bottom };

enum class RasterOp {
    Copy,                 // destination = source
    DestAndNotSource,     // destination = destination AND NOT source
    BrushWhereSourceSet,  // the brush where the source is 1 (white), destination kept where 0
};

class DrawContext {
public:
    explicit DrawContext(Surface& target);
    explicit DrawContext(Mask& target);
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    Size size() const;
    Surface* surface() const { return surface_; }
    Mask* mask() const { return mask_; }
    // Damage of the target, in device pixels.
    Rect damage() const;
    void ClearDamage();

    // State: all of it is saved and restored by Save/Restore.
    void SetPen(const Pen& p) { state_.pen = p; }
    const Pen& pen() const { return state_.pen; }
    void SetBrush(const Brush& b) { state_.brush = b; }
    const Brush& brush() const { return state_.brush; }
    // Null selects the stock system font.
    void SetFont(std::shared_ptr<const Font> f);
    const std::shared_ptr<const Font>& font() const { return state_.font; }
    void SetTextColor(Color c) { state_.textColor = c; }
    Color textColor() const { return state_.textColor; }
    void SetBackColor(Color c) { state_.backColor = c; }
    Color backColor() const { return state_.backColor; }
    void SetBackMode(BackMode m) { state_.backMode = m; }
    BackMode backMode() const { return state_.backMode; }
    void SetTextAlign(HAlign h, VAlign v) {
        state_.hAlign = h;
        state_.vAlign = v;
    }
    HAlign hAlign() const { return state_.hAlign; }
    VAlign vAlign() const { return state_.vAlign; }
    void SetOrigin(Point o) { state_.origin = o; }
    Point origin() const { return state_.origin; }

    // Clip calls take logical coordinates at the origin of the moment; the clip
    // then stays where it is on the target when the origin moves.
    void ResetClip();
    void SetClip(const Rect& r);
    void SetClip(std::span<const Point> polygon);  // alternate fill rule
    void IntersectClip(const Rect& r);
    void ExcludeClip(const Rect& r);
    Rect clipBounds() const;  // logical
    bool InClip(Point p) const;

    void Save();
    void Restore();  // without a matching Save, nothing
    int saveDepth() const { return static_cast<int>(saved_.size()); }

    // Lines leave out their last pixel (one-pixel pens), so polylines join without
    // overdraw; wide pens draw round caps at both ends.
    void MoveTo(Point p) { state_.position = p; }
    Point position() const { return state_.position; }
    void LineTo(Point p);
    void Polyline(std::span<const Point> points);
    // Filled with the brush by the alternate rule over pixel centres (so a polygon
    // on (0,0),(4,0),(4,4),(0,4) fills 4 x 4 pixels), then outlined with the pen,
    // which covers the vertices themselves.
    void Polygon(std::span<const Point> points);
    // Brush inside, pen on the edge pixels, both within the half-open rectangle
    // (without a pen the brush fills all of it). A wider pen is centred on the
    // edge pixels. Empty or inverted boxes draw nothing, so a negative radius does.
    void Rectangle(const Rect& r);
    // The pixels whose centres lie in the ellipse inscribed in the box; the pen
    // takes those of them with a neighbour outside. Dotted outlines alternate by
    // pixel parity.
    void Ellipse(const Rect& box);
    void FillRect(const Rect& r, const Brush& b);
    void SetPixel(Point p, Color c);
    // Nullopt outside the target or the clip.
    std::optional<Color> Pixel(Point p) const;

    // Block copies: `dest` is logical here; the source point is logical in the
    // source context, or device pixels of a bare Surface or Mask. Only pixels
    // inside both the source and the clip are touched. Source and target may be
    // the same.
    void Blit(const Rect& dest, const DrawContext& source, Point sourceTopLeft, RasterOp op);
    void Blit(const Rect& dest, const Surface& source, Point sourceTopLeft, RasterOp op);
    void Blit(const Rect& dest, const Mask& source, Point sourceTopLeft, RasterOp op);
    // The `source` block of the image scaled into `dest` by nearest pixel centres.
    void StretchImage(const Rect& dest, const Surface& image, const Rect& source);

    // Text: Windows-1252, with the font, colours, background mode and alignment
    // of the state. An opaque background fills each line's cell.
    TextMetrics textMetrics() const;
    Size TextExtent(std::string_view text) const;
    void TextOut(Point p, std::string_view text);
    // Word-wrapped into box.width() (breaks at blanks and at "\n"; a word wider
    // than the box keeps its own line), lines from box.top one cell apart, each
    // aligned in the box; drawing clips to the box. Both give the union of the
    // line cells.
    Rect MeasureWrapped(const Rect& box, std::string_view text, HAlign align) const;
    Rect DrawWrapped(const Rect& box, std::string_view text, HAlign align);

private:
    struct State {
        Pen pen;
        Brush brush = Brush::Solid(kWhite);
        std::shared_ptr<const Font> font;
        Color textColor = kBlack;
        Color backColor = kWhite;
        BackMode backMode = BackMode::Opaque;
        HAlign hAlign = HAlign::Left;
        VAlign vAlign = VAlign::Top;
        Point origin;
        Point position;
        detail::Region clip;
    };
    struct Paint {
        Color color;
        const Surface* tile = nullptr;
    };
    struct LaidLine {
        std::string_view text;
        Rect cell;
    };

    Rect targetBounds() const;
    // Saturating at the rasteriser's coordinate limit.
    Point ToDevice(Point p) const;
    Rect ToDevice(const Rect& r) const;
    // Exact: the device pixels of a logical rectangle that lie inside `limit`.
    Rect DeviceArea(const Rect& r, const Rect& limit) const;
    int penWidth() const;
    static std::optional<Paint> BrushPaint(const Brush& b);

    // Device pixels, clipped here.
    void FillSpan(int y, int x0, int x1, const Paint& paint);
    void Plot(Point device, const Paint& paint) { FillSpan(device.y, device.x, device.x + 1, paint); }
    void MarkDamage(int y, int x0, int x1);
    void MarkDamage(const Rect& r);
    // A shape's spans touch, so the damage list would join them into their
    // bounding rectangle one span at a time; a batch marks that rectangle once.
    class DamageBatch {
    public:
        explicit DamageBatch(DrawContext& dc);
        ~DamageBatch();
        DamageBatch(const DamageBatch&) = delete;
        DamageBatch& operator=(const DamageBatch&) = delete;

    private:
        DrawContext& dc_;
        bool outer_;
    };

    void PlotPen(Point device, bool on);
    void StrokeThin(Point from, Point to, int& dotPhase);
    void StrokeWide(Point from, Point to, int width);
    void StrokePath(std::span<const Point> points, bool closed);
    template <class RowFn>
    void DrawShape(const Rect& deviceBox, RowFn rowOf);
    template <class Source>
    void BlitFrom(const Rect& dest, const Source& src, long long srcX, long long srcY, RasterOp op);
    std::vector<LaidLine> LayoutWrapped(const Rect& box, std::string_view text, HAlign align, Rect& covered) const;
    void DrawGlyphs(const Font& f, Point devicePen, std::string_view text);

    Surface* surface_ = nullptr;
    Mask* mask_ = nullptr;
    State state_;
    std::vector<State> saved_;
    bool batching_ = false;
    Rect batch_;
    // Kept between polygons so that drawing one allocates nothing.
    std::vector<Point> scratchPoints_;
    std::vector<detail::Span> scratchSpans_;
    std::vector<detail::Span> scratchDisc_;
    std::vector<detail::Span> scratchRows_;
};

// Saves the context's state now and restores it when it goes out of scope.
class StateSaver {
public:
    explicit StateSaver(DrawContext& dc) : dc_(dc) { dc_.Save(); }
    ~StateSaver() { dc_.Restore(); }
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

private:
    DrawContext& dc_;
};

}  // namespace platform::gfx
