#pragma once
// The data lines of overlay files taken apart, apart from their drawing:
// readers that only parse them link no window layer.
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr int kOverlayLineLength = 128;  // the line reader's buffer

// A data line read as "%lf %lf %s": fields converted, and where the word begins.
struct OverlayDataLine {
    int fields = 0;
    double latitude = 0, longitude = 0;
    std::string word;
    std::size_t wordStart = 0;  // offset of the word in the line
};
OverlayDataLine ScanOverlayDataLine(std::string_view line);

// A text file's label line taken apart: the text by position, its one option,
// the quoting and the region-centroid request.
struct OverlayLabel {
    std::string text;     // as it is placed: quoted text ends in one blank, unquoted unforced text gets a blank each side
    std::string line;     // the data line cut at its option slash
    std::string options;  // the line from its option slash on, with the blank before it
    bool forced = false;
    bool hasOffset = false;
    int offset = 0;
    bool quoted = false;
    bool centroid = false;
};
OverlayLabel ParseOverlayLabel(std::string_view line, std::size_t wordStart);

// The integer at offset `at` of a line, held to +-100000; false when none begins there.
bool IntegerAfter(std::string_view line, std::size_t at, int* value);
