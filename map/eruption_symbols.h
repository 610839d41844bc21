#pragma once
// Eruption triangles and volcano names on the map pane. Both are drawn on the
// screen (and the sphere display image), never into the map image, so erasing
// copies the clean map back from it.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/eruption.h"
#include "map/draw.h"

class childMap;

// Eruptions on display, in the order they were shown; the list owns them. A
// volcano's own entries are found without looking at the others, as a world
// view keeps thousands on display.
class DisplayedEruptions {
public:
    using List = std::vector<std::unique_ptr<EruptionEvent>>;
    List::const_iterator begin() const { return list_.begin(); }
    List::const_iterator end() const { return list_.end(); }
    bool empty() const { return list_.empty(); }
    std::size_t size() const { return list_.size(); }
    const std::unique_ptr<EruptionEvent>& operator[](std::size_t i) const { return list_[i]; }
    const std::unique_ptr<EruptionEvent>& front() const { return list_.front(); }
    const std::unique_ptr<EruptionEvent>& back() const { return list_.back(); }

    void push_back(std::unique_ptr<EruptionEvent> e);
    void clear();
    // Frees the entries marked for erasing.
    void RemoveErased();
    // The entries of e's volcano other than e, in the order they were shown;
    // none when e's record has no volcano number.
    std::vector<EruptionEvent*> SameVolcano(const EruptionEvent& e) const;

private:
    List list_;
    std::unordered_map<std::string, std::vector<EruptionEvent*>> byVolcano_;
};

extern DisplayedEruptions gDisplayedEruptions;
// Copies for the sphere image (SCIENCE ON A SPHERE).
extern DisplayedEruptions gDisplayedEruptionsSphere;

// Erases every displayed eruption from the pane and frees them all; without a
// pane they are only freed.
void ClearDisplayedEruptions(childMap* pane = nullptr);

// Inside the view's bounds and at least ERUPTION MAGNITUDE CUTOFF; bounds are strict.
bool EruptionInView(const EruptionEvent& e);
// Fill colour number of a type letter.
int EruptionColour(char type);

// The triangle of an eruption of size s at (x, y) for a symbol scale k
// (screen height / 480); the sphere image uses it doubled.
struct EruptionTriangle {
    EruptionPoint apex, right, left;
    EruptionBox box;  // covers the triangle with its outline and one pixel more
};
EruptionTriangle EruptionTriangleAt(int x, int y, int size, double k, bool doubled = false);
// The scale in use: fixed at the first triangle drawn once the screen height is known.
double EruptionSymbolScale();
void ResetEruptionSymbolScale();  // for tests that change the screen size

// An upward triangle, filled and outlined; the legends draw it too.
void DrawEruptionSymbol(platform::gfx::DrawContext& dc, int x, int y, int size, platform::gfx::Color fill,
                        platform::gfx::Color outline);

// Position and geometry on the current view; false when not in view or outside the map area.
bool PlaceEruption(childMap& pane, EruptionEvent& e);
// The stored triangle in its type colour with a black outline, on the screen.
void DrawEruption(childMap& pane, EruptionEvent& e);
// The same outside the floating legend box; clears the needs-redraw pair.
void RestoreEruptionSymbol(childMap& pane, EruptionEvent& e);
// Shows a placed eruption; its size, 0 when it has no position.
int ShowEruption(childMap& pane, EruptionEvent& e, bool withMarker, bool withName);
// Removes a displayed eruption; with showTwin a hidden eruption of the same
// volcano takes its place.
void EraseEruption(childMap& pane, EruptionEvent& e, bool showTwin);
void EraseEruptionName(childMap& pane, EruptionEvent& e);
// Only with VOLCANO NAMES; false when no place was free.
bool ShowEruptionName(childMap& pane, EruptionEvent& e);
// Tries right, left, above and below the triangle; with yielding, smaller
// names in the way give up their place first.
bool PlaceEruptionName(childMap& pane, EruptionEvent& e, const platform::gfx::Rect& paneRect, bool yielding);

// The base map's layer: every eruption of the catalogue as a small grey triangle.
// Installed as the map pane's eruption hook when this library is linked.
void DrawAllEruptions(childMap& pane);
