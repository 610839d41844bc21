#pragma once
// The elevation and population grids the relief and overlay views read:
// the world 5-minute grid from a classic netCDF file, the USA grid cut from
// it, and a population density grid made from the city table.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One variable of a classic (version 1 or 2) netCDF file, as doubles, with
// its dimension lengths slowest first.
struct NetCdfVariable {
    std::vector<std::size_t> shape;
    std::vector<double> values;
};
// nullopt, with a reason, when the file is not classic netCDF or lacks the variable.
std::optional<NetCdfVariable> ReadNetCdfVariable(const std::string& file, const std::string& name, std::string* error);

// The world grid in the 5-minute layout: 2160 rows from 90 N southwards of
// 4320 little-endian cells from longitude 0 eastwards, from a netCDF file
// holding ETOPO05_Y, ETOPO05_X and ROSE. False, with a reason, on failure.
bool ConvertEtopo5(const std::string& cdf, const std::string& out, std::string* error);
// The USA 5-minute grid (781 x 324 cells from 50 N, 130 W) cut from the world grid.
bool CutUsaGrid(const std::string& world, const std::string& out, std::string* error);

// Density class codes (people per square kilometre / 100, at most 255) of
// 30" cells from 60 N to 56 S, spread around each city of the table by its
// population; a sparse file, holes where nobody lives.
inline constexpr int kPopulationGridRows = 116 * 120;
bool BuildPopulationGrid(const std::string& citiesCsv, const std::string& out, std::string* error);
