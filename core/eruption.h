#pragma once
// Volcanic eruptions: the 125-byte record of ".ERB" catalogues, the builder
// that makes a catalogue from its text source, and the open catalogue of the
// current view.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "core/quake.h"
#include "core/timevalue.h"

#pragma pack(push, 1)
struct EruptionRecord {
    char id[10] = {};
    std::uint8_t flag = 0;        // "*" or "+" in the list, and every observatory entry
    std::uint8_t secondFlag = 0;  // "*" in the list
    char type = 0;
    std::uint8_t size = 0;        // explosivity index, at least 1
    char magnitudeCode[3] = {};   // not terminated
    PackedDate start;
    PackedDate stop;
    char startYearText[12] = {};
    char startMonthText[4] = {};
    char startDayText[10] = {};
    char stopYearText[12] = {};
    char stopMonthText[4] = {};
    char stopDayText[10] = {};
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    char name[31] = {};
    char terminator = 0;
};
#pragma pack(pop)
static_assert(sizeof(EruptionRecord) == 125);
inline constexpr int kEruptionRecordSize = 125;

void EncodeEruptionRecord(const EruptionRecord& r, unsigned char bytes[kEruptionRecordSize]);
EruptionRecord DecodeEruptionRecord(const unsigned char bytes[kEruptionRecordSize]);
// A fixed text field as a string: at most its width, up to its terminator.
std::string FieldText(const char* field, std::size_t width);

// Rectangles here are half-open and empty when right equals left.
struct EruptionBox {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right == left; }
    friend bool operator==(const EruptionBox&, const EruptionBox&) = default;
};
struct EruptionPoint {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const EruptionPoint&, const EruptionPoint&) = default;
};

// What the map keeps of an eruption on display. Map positions are pixels from
// the map area's top-left corner; sphere positions are sphere image pixels.
struct EruptionDisplay {
    std::int32_t x = 0, y = 0;  // x of 0: not placed
    std::int32_t sphereX = 0, sphereY = 0;
    std::int32_t savedX = 0, savedY = 0;  // the position again, for redrawing in place
    std::int32_t savedSphereX = 0, savedSphereY = 0;
    EruptionBox nameBox, sphereNameBox;
    std::int32_t symbolLeft = 0, symbolTop = 0, symbolRight = 0, symbolBottom = 0;
    EruptionBox sphereSymbolBox;
    EruptionPoint triangle[3];  // apex, right base corner, left base corner
    EruptionPoint sphereTriangle[3];
    bool nameShown = false;
    bool displayed = false;
    // Justification codes of the name's place (HJust, VJust of the drawing primitives).
    std::int32_t nameHJust = 0, nameVJust = 0;

    EruptionBox symbolBox() const { return {symbolLeft, symbolTop, symbolRight, symbolBottom}; }
};

enum class EruptionSource { Era = 0, Avo = 1 };

class EruptionEvent {
public:
    void Reset();
    void SetRecord(const EruptionRecord& record);
    // Reads record n; both times 0 when there is none.
    void ReadAt(std::FILE* file, std::int32_t n);
    void Parse(std::string_view line, EruptionSource kind);
    bool OverlapsSymbolBox(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const;

    EruptionDisplay display;
    // The animation's bookkeeping while the symbol is on the map.
    std::int32_t age = 0;     // ticks on display
    bool ended = false;       // stopped before the tick's window end
    bool erase = false;       // due to be erased and freed
    bool overlapped = false;  // another symbol covered part of it
    bool redraw = false;      // draw it again once the cover is gone
    bool counted = false;     // counts in the eruptions-shown counter
    TimeValue start;
    TimeValue stop;
    EruptionRecord record;
};

extern std::FILE* gEruptionCatalogue;                  // open ERUPTION FILE, or null
extern std::int32_t gEruptionCount;                    // whole records in it
extern std::int32_t gEruptionIndex;                    // index of the next record to show
extern TimeValue gNextEruptionTime;                    // start of that record
extern std::unique_ptr<BitSet> gEruptionVisibleBits;   // one bit per record

// Builds the ".ERB" catalogue from its ".ERA" or ".AVO" source when needed;
// the name is upper-cased and an ".ERA" name becomes ".ERB".
bool MakeEruptionFile(std::string& name);
TimeValue ReadEruptionAt(std::FILE* file, std::int32_t n, int origin, EruptionRecord* record);
int FindEruptionIndex(std::FILE* file, TimeValue* time, bool* exact, std::int32_t* index);
int OpenEruptionCatalogue();
void CloseEruptionCatalogue();
// Repositions the eruption cursor at gAnimationTime, opening the catalogue when needed.
void RefreshEruptionPositions();

void TitleCaseWords(std::string& text);
std::string FormatMonthText(std::string_view monthText);
std::string FormatEruptionInfo(const EruptionRecord& record);
