#pragma once
// The control panel's time slider, a horizontal slider with our own thumb and
// no tick marks, and the spin control that shows a number with a caption and
// steps it between limits through two repeating arrow buttons.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/buttons.h"
#include "platform/gfx/draw_context.h"
#include "platform/ui/window.h"

inline constexpr int kTimeSliderId = 1040;
inline constexpr int kSliderThumbBitmap = 32555;  // two halves: normal, and dragged or disabled

class mySlider : public platform::ui::Window {
public:
    mySlider(platform::ui::Window* parent, int id, const platform::ui::Rect& r);

    // ---- the slider's model
    void SetRange(int minimum, int maximum);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    void SetTicGap(int gap) { ticGap_ = gap; }
    int ticGap() const { return ticGap_; }
    int GetPosition() const { return pos_; }
    // Clamped to the range; redraws. The owner is not told.
    void SetPosition(int pos);
    // A click beside the thumb moves the position by this much; at least 1.
    int pageSize() const;

    // ---- geometry: the thumb's left edge runs from kMargin to width - kMargin - thumb width
    static constexpr int kMargin = 2;
    platform::ui::Rect thumbRect() const;
    int ThumbLeftOf(int pos) const;
    // The position whose thumb left edge is nearest x, clamped to the range.
    int PositionAt(int thumbLeft) const;
    bool dragging() const { return dragging_; }

    void PaintRuler(platform::gfx::DrawContext&) {}  // no tick marks
    // The owner's labels along the track, drawn in the owner's coordinates:
    // the slider covers the place where the owner would draw them.
    // labelRows: the rows at the slider's bottom the labels take; the thumb and
    // its channel keep above them, so the thumb never covers a label.
    void SetLabelPainter(std::function<void(platform::gfx::DrawContext& ownerDc)> painter, int labelRows = 0) {
        labelPainter_ = std::move(painter);
        labelRows_ = labelRows;
    }
    int labelRows() const { return labelRows_; }
    void PaintThumb(platform::gfx::DrawContext& dc);

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonUp(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    void Redraw();
    void MoveTo(int pos);  // set, then tell the owner
    int thumbWidth() const;
    int thumbHeight() const;
    int travel() const;

    std::unique_ptr<platform::gfx::Surface> thumb_;
    std::function<void(platform::gfx::DrawContext&)> labelPainter_;
    int labelRows_ = 0;
    int ThumbTop() const;
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    int ticGap_ = 0;
    bool dragging_ = false;
    int grab_ = 0;  // pointer x less the thumb's left edge while dragging
};

inline constexpr std::size_t kRollerCaptionMax = 24;
inline constexpr std::size_t kRollerFormatMax = 7;

struct RollerLimits {
    double minimum = 0.0;
    double maximum = 10.0;
    double step = 0.0;
    std::string caption;  // at most 24 characters
    std::string format;   // at most 7: a printf format for one double
};

class Roller : public platform::ui::Window {
public:
    // The arrows are children of the owner: the left (bitmap 601) at (x, y)
    // sends leftId, the right (bitmap 600) right of the value box sends rightId.
    Roller(platform::ui::Window* owner, int leftId, int rightId, int x, int y, int width, double* value,
           std::string_view caption, std::string_view format);
    ~Roller() override;

    RollerLimits& limits() { return limits_; }
    const RollerLimits& limits() const { return limits_; }
    // In the owner's coordinates.
    const platform::ui::Rect& valueBox() const { return box_; }
    myButton* leftButton() const { return left_; }
    myButton* rightButton() const { return right_; }
    double* value() const { return value_; }

    // Neither clamps: a step from just inside a limit may pass it.
    void StepUp();
    void StepDown();
    // The arrow faces, then the value box.
    void Draw();
    // Drawn in the roller's window, whose origin is the value box's top-left corner.
    void DrawValueBox(platform::gfx::DrawContext& dc);
    // The value as the format prints it.
    std::string ValueText() const;

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;

private:
    // Where the caption's text ends, in the roller's own coordinates.
    int CaptionRight() const;
    class Arrow;
    friend class Arrow;

    RollerLimits limits_;
    platform::ui::Rect box_;
    double* value_;
    myButton* left_ = nullptr;
    myButton* right_ = nullptr;
};
