#pragma once
// The population density overlay: a world grid of one byte per 30" cell
// from 60 N southwards, drawn in up to three colours over the map area.
#include <string>

#include "map/proj.h"
#include "platform/gfx/draw_context.h"

inline constexpr int kPopulationColumns = 43200;
inline constexpr double kPopulationNorth = 60;

// 0 for a cell left untouched, else the density class 1..3 of the configuration's levels.
int PopulationClass(int value);

void DrawPopulationGrid(platform::gfx::DrawContext& dc, const Proj& proj, const std::string& file, int x0, int x1,
                        int y0, int y1, double westOffset, double north, double cx, double cy, int columns);
// The grid of POPULATION FILE over the map area (origin at its corner).
void DrawPopulation(platform::gfx::DrawContext& dc, const Proj& proj, const std::string& file);
