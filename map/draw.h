#pragma once
// Drawing by colour number: the colour table and the primitives every map and
// pane renderer draws with. Each primitive selects what it needs and puts the
// context's pen, brush and colours back before it returns.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/gfx/draw_context.h"

// Colour numbers: indices into gColorTable, one name each wherever they are drawn.
inline constexpr int kColorCount = 20;
inline constexpr int kBlackColor = 0;
inline constexpr int kBlueColor = 1;
inline constexpr int kGreenColor = 2;
inline constexpr int kCyanColor = 3;
inline constexpr int kRedColor = 4;  // dark red; kLightRedColor is the bright one
inline constexpr int kMagentaColor = 5;
inline constexpr int kBrownColor = 6;
inline constexpr int kLightGrayColor = 7;
inline constexpr int kDarkGrayColor = 8;
inline constexpr int kLightBlueColor = 9;
inline constexpr int kLightGreenColor = 10;
inline constexpr int kLightCyanColor = 11;
inline constexpr int kLightRedColor = 12;
inline constexpr int kLightMagentaColor = 13;
inline constexpr int kYellowColor = 14;
inline constexpr int kWhiteColor = 15;
inline constexpr int kBlack2Color = 16;
inline constexpr int kDoviredezurLightColor = 17;  // the kiosk's light background
inline constexpr int kDoviredezurDarkColor = 18;   // the kiosk's button faces
inline constexpr int kGridColor = 19;              // latitude and longitude grid lines
inline constexpr int kNoColor = -1;                // no fill, no background, or measure only

extern const platform::gfx::Color gColorTable[kColorCount];

// The table's colour; numbers outside it are held to its ends.
platform::gfx::Color ColorOf(int colorNumber);
int ClampColorNumber(int colorNumber);

enum class HJust { Left = 0, Center = 1, Right = 2 };
enum class VJust { Bottom = 0, Center = 1, Top = 2 };

// Colour 0 moves without drawing; any other draws from the current position.
void DrawLineTo(platform::gfx::DrawContext& dc, int x, int y, int colorNumber, int penWidth);
void DrawPolyline(platform::gfx::DrawContext& dc, std::span<const platform::gfx::Point> points, int colorNumber,
                  int penWidth);
void DrawPolygon(platform::gfx::DrawContext& dc, std::span<const platform::gfx::Point> points, int penColorNumber,
                 int fillColorNumber);
void SetPixelColour(platform::gfx::DrawContext& dc, int x, int y, int colorNumber);

// A dot or ring of radius r; style 3 is a hollow ring, other styles filled.
// Through a protection mask only the outline is drawn (a disc and its outline
// for style 2), and no protected pixel is ever painted.
void DrawDot(platform::gfx::DrawContext& dc, platform::gfx::DrawContext* mask, int x, int y, int r,
             platform::gfx::Color pen, platform::gfx::Color fill, int style);

// Text with 3 x 3 justification, "\n" as typed in files breaking lines, an
// optional drop shadow; returns the box it covers. A negative colour only
// measures; a negative background draws transparent. No font: the system font.
platform::gfx::Rect DrawJustifiedText(platform::gfx::DrawContext& dc, int x, int y,
                                      const std::shared_ptr<const platform::gfx::Font>& font, std::string_view text,
                                      int colorNumber, int backColorNumber, HJust h, VJust v, int shadowOffset = 0,
                                      int shadowColorNumber = 0);
void DrawNumberLabel(platform::gfx::DrawContext& dc, int x, int y,
                     const std::shared_ptr<const platform::gfx::Font>& font, double value, HJust h, VJust v,
                     int colorNumber);
void DrawLatLonLabel(platform::gfx::DrawContext& dc, int x, int y,
                     const std::shared_ptr<const platform::gfx::Font>& font, double value, HJust h, VJust v,
                     int colorNumber, bool isLatitude);

// With clip: origin to (0, 0) and the rectangle as the clip; always: the
// origin moves to (left, top).
void ClipToRect(platform::gfx::DrawContext& dc, int left, int top, int right, int bottom, bool clip);
void SaveViewportOrigin(const platform::gfx::DrawContext& dc);
void RestoreViewportOrigin(platform::gfx::DrawContext& dc);

// A three-dimensional frame of bevel width w with an inner band h of the fill colour.
void DrawBevelFrame(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r, int fillColorNumber, bool sunken,
                    int w, int h);
void DrawDoubleBevelFrame(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r, int w, int h);
