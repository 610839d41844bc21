#pragma once
// What the map targets share: the projection's table and the view's box.
// Apart from fuzz_support, which every target links, so that only the map
// targets link the map's readers.
namespace fuzz {

// Builds the Mercator table on the first call.
void PrepareMap();
// The view's bounds, and its west edge and longitude span as the base map
// sets them before it draws (a zero span is the whole world).
void SetMapBox(double south, double north, double west, double east);

}  // namespace fuzz
