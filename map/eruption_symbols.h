#pragma once
// Eruption triangles and volcano names on the map pane. Both are drawn on the
// screen (and the sphere display image), never into the map image, so erasing
// copies the clean map back from it.
#include <algorithm>
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
    // f(entry) once for each entry whose symbol box overlaps box, in no set
    // order; the boxes are filed by area, so entries far away are never
    // visited. Boxes without area cover no pixel and overlap nothing.
    template <class F>
    void ForEachSymbolOverlapping(const EruptionBox& box, F f) const {
        if (box.left >= box.right || box.top >= box.bottom) return;
        const int c0 = Cell(box.left), c1 = Cell(box.right - 1), r0 = Cell(box.top), r1 = Cell(box.bottom - 1);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                for (const Filed& f2 : cells_[static_cast<std::size_t>(r) * kCells + c]) {
                    const EruptionBox& b = f2.box;
                    if (!(b.left < box.right && box.left < b.right && b.top < box.bottom && box.top < b.bottom)) continue;
                    // An entry filed in several cells is told in one: where the overlap begins.
                    if (Cell(std::max(b.left, box.left)) != c || Cell(std::max(b.top, box.top)) != r) continue;
                    f(*f2.event);
                }
            }
        }
    }
    // A listed eruption placed again: its filed box follows.
    void SymbolMoved(const EruptionEvent& e);
    // Names take part in the overlap tests only once one has been placed.
    void NotePlacedName() { namesPlaced_ = true; }
    bool MayHoldNames() const { return namesPlaced_; }

private:
    struct Filed {
        EruptionEvent* event;
        EruptionBox box;
    };
    static constexpr int kCellSide = 32;  // pixels; positions beyond the grid share its edge cells
    static constexpr int kCells = 64;     // a side
    static int Cell(std::int32_t v) {
        const int c = v < 0 ? -1 : v / kCellSide;
        return c < 0 ? 0 : c >= kCells ? kCells - 1 : c;
    }
    void File(EruptionEvent* e, const EruptionBox& box);
    void Unfile(const EruptionEvent* e, const EruptionBox& box);

    List list_;
    std::unordered_map<std::string, std::vector<EruptionEvent*>> byVolcano_;
    std::unordered_map<const EruptionEvent*, EruptionBox> filed_;  // every listed entry, with its filed box
    std::vector<std::vector<Filed>> cells_ = std::vector<std::vector<Filed>>(kCells * kCells);
    bool namesPlaced_ = false;
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

// After a rendering (a new pane size): every displayed eruption moves to its
// place on the new map and is drawn there, with its name; one no longer on
// the map is no longer displayed.
void PlaceDisplayedEruptionsAgain(childMap& pane);

// The base map's layer: every eruption of the catalogue as a small grey triangle.
// Installed as the map pane's eruption hook when this library is linked.
void DrawAllEruptions(childMap& pane);
