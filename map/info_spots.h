#pragma once
// Information spots: icons at places of the map that open a text file.
// Points are map-area pixels.
#include <string_view>

#include "core/view.h"
#include "platform/gfx/draw_context.h"

class Proj;

inline constexpr int kSpotIconHalf = 16;  // the icon is 32 x 32 around the point
inline constexpr int kSpotHitHalf = 26;
inline constexpr std::size_t kSpotFileMax = sizeof(InfoSpot::file) - 1;

// The point by the view kind, then the icon and hit boxes around it. A spot
// the view cannot place keeps its old point and is not drawn.
void UpdatePosition(InfoSpot& spot, Proj& proj);
// The icon (highlighted or plain) on the screen and its shape on the mask;
// a plain spot has its title beside it.
void DrawSpot(InfoSpot& spot, platform::gfx::DrawContext& screen, platform::gfx::DrawContext* mask, bool highlighted);
// Blank label boxes over each drawn spot's icon and title, so the map's
// labels placed after them keep clear.
void ReserveSpotRooms(platform::gfx::DrawContext& screen);
// Only a drawn spot answers: left and top edges in, right and bottom out.
bool HitTest(const InfoSpot& spot, platform::gfx::Point p);
// Index of the first spot the point hits; -1 when none.
int SpotAtPoint(platform::gfx::Point p);
