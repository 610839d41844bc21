#include "map/overlay.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/polygon.h"
#include "core/quake_record.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "map/segments.h"
#include "platform/gfx/image.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kLineKind = 0, kSymbolKind = 1, kTextKind = 2;
constexpr int kPlantLineLength = 100;  // the plant pass reads lines of up to 99 characters
constexpr std::size_t kMaxFaceLength = 31;  // a face name longer than the font slot's is cut

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }
bool ContainsIgnoringCase(std::string_view s, std::string_view part) { return Contains(Upper(s), Upper(part)); }
bool EndsWithIgnoringCase(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && EqualsIgnoringCase(s.substr(s.size() - end.size()), end);
}
bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The first word after a keyword; empty when there is none.
std::string WordAfter(std::string_view line, std::size_t at) {
    std::size_t b = at;
    while (b < line.size() && IsSpace(line[b])) ++b;
    std::size_t e = b;
    while (e < line.size() && !IsSpace(line[e])) ++e;
    return std::string(line.substr(b, e - b));
}

bool DoubleAfter(std::string_view line, std::size_t at, double* value) {
    return at <= line.size() && ScanLeadingDouble(line.substr(at), value);
}

std::shared_ptr<const gfx::Font> SlotFont(int slot) {
    if (slot < 0 || slot >= kFontSlotCount || !gFonts[slot]) return nullptr;
    return gfx::Font::Create(gFonts[slot]->face, gFonts[slot]->height, gFonts[slot]->weight);
}

// A shadow one ninth of the font's height, whichever way the height is given.
int ShadowOf(const std::shared_ptr<const gfx::Font>& font) { return font ? std::abs(font->height()) / 9 : 0; }

bool IsHighwayName(std::string_view name) {
    for (int i = kFirstHighwayFile; i <= kLastHighwayFile; ++i) {
        char n[16];
        std::snprintf(n, sizeof n, "S%02d.HWY", i);
        if (EqualsIgnoringCase(name, n)) return true;
    }
    return false;
}

void RemoveMatching(StringListNode** head, bool (*match)(std::string_view)) {
    if (!head) return;
    for (StringListNode* n = *head; n;) {
        StringListNode* next = n->next;
        if (match(n->text)) RemoveStringNode(head, n);
        n = next;
    }
}

bool IsHighwaySymbolName(std::string_view name) { return EqualsIgnoringCase(name, kHighwaySymbolFile); }

void HighwaysIntoLists(StringListNode** lines, StringListNode** symbols) {
    if (!gShowHighways) {
        RemoveMatching(lines, IsHighwayName);
        RemoveMatching(symbols, IsHighwaySymbolName);
        return;
    }
    if (lines)
        for (int i = kFirstHighwayFile; i <= kLastHighwayFile; ++i) {
            char n[16];
            std::snprintf(n, sizeof n, "S%02d.HWY", i);
            if (!FindStringNode(*lines, n)) AppendStringNode(lines, n);
        }
    if (symbols && !FindStringNode(*symbols, kHighwaySymbolFile)) AppendStringNode(symbols, kHighwaySymbolFile);
}

// What a file's name says about it.
struct FileTraits {
    int fontSlot = kFontCountry;
    bool city = false;
    bool ocean = false;
    const char* borderKind = nullptr;
};

FileTraits TraitsOf(std::string_view name) {
    FileTraits t;
    if (EndsWithIgnoringCase(name, ".caf")) {
        t.fontSlot = kFontCity;
        t.city = true;
    } else if (Contains(name, ".npp.txt")) {
        t.fontSlot = kFontCity;
        t.city = true;
    } else if (Contains(name, ".state.txt")) {
        t.fontSlot = kFontState;
        t.borderKind = "state";
    } else if (Contains(name, ".ocean.txt")) {
        t.fontSlot = kFontOcean;
        t.borderKind = "ocean";
        t.ocean = true;
    } else if (Contains(name, ".country.txt")) {
        t.borderKind = "country";
    }
    return t;
}

struct Candidate {
    int h, v;
};
// Above, below, right, left, then the four corners.
constexpr Candidate kCandidates[8] = {{1, 0}, {1, 2}, {0, 1}, {2, 1}, {0, 0}, {0, 2}, {2, 0}, {2, 2}};

class OverlayRenderer {
public:
    // Without registering, placed labels are kept apart only from each other
    // and from the registry as it stands, and nothing is added to it.
    OverlayRenderer(const Proj& proj, const childMap* pane, gfx::DrawContext& screen, gfx::DrawContext* image,
                    gfx::DrawContext* mask, bool registering)
        : proj_(proj), pane_(pane), screen_(screen), image_(image), mask_(mask), registering_(registering) {
        defaultFont_ = SlotFont(kFontInfo);
        if (!defaultFont_) defaultFont_ = gfx::Font::Create("Arial", 24, gfx::kNormalWeight);
        if (defaultFont_) {
            face_ = defaultFont_->face();
            height_ = defaultFont_->height();
            weight_ = defaultFont_->weight();
        }
        labelFont_ = defaultFont_;
        shadow_ = ShadowOf(defaultFont_);
    }

    void DrawList(StringListNode* list, int kind) {
        color_ = kWhiteColor;
        for (StringListNode* n = list; n; n = n->next) DrawFile(n->text, kind);
    }

private:
    void DrawFile(const std::string& name, int kind);
    // False when the rest of the file is to be skipped.
    bool Keyword(const std::string& upper, int kind, const std::string& fileName);
    void DataLine(const std::string& line, int kind);
    void DrawSymbol(int x, int y, const std::string& caption);
    void DrawVectorSymbol(int x, int y);
    void DrawLabel(int x, int y, const OverlayLabel& label);
    bool Overlaps(const gfx::Rect& r) const;
    gfx::Rect Measure(int x, int y, const std::string& text, int h, int v) const;
    void Show(int x, int y, const std::string& text, int h, int v);
    void Register(gfx::Point anchor, const gfx::Rect& box, const std::string& text, int h, int v,
                  const OverlayLabel* label, int shadow);
    void CentroidPoint(const std::string& text, int* x, int* y) const;

    const Proj& proj_;
    const childMap* pane_;  // its border sets place region labels; none for plate labels
    gfx::DrawContext& screen_;
    gfx::DrawContext* image_;
    gfx::DrawContext* mask_;
    bool registering_;
    std::vector<gfx::Rect> local_;

    std::shared_ptr<const gfx::Font> defaultFont_, labelFont_;
    std::string face_ = "Arial";
    int height_ = 24, weight_ = gfx::kNormalWeight;
    int shadow_ = 0;
    int color_ = kWhiteColor;
    int thickness_ = 1;
    int hJust_ = 0, vJust_ = 1;
    bool penDown_ = false;
    std::vector<gfx::Point> polyline_;
    std::vector<std::string> symbolLines_;
    bool haveSymbol_ = false;
    std::string pngName_;
    FileTraits traits_;
};

void OverlayRenderer::DrawFile(const std::string& name, int kind) {
    std::FILE* f = OpenDataFile(name, "rt");
    if (!f) return;  // a missing overlay file is skipped silently
    traits_ = TraitsOf(name);
    labelFont_ = SlotFont(traits_.fontSlot);
    if (labelFont_)
        shadow_ = ShadowOf(labelFont_);
    else
        labelFont_ = gfx::Font::Create("Arial", 25, gfx::kNormalWeight);
    hJust_ = 0;
    vJust_ = 1;
    penDown_ = false;
    polyline_.clear();

    char buffer[kOverlayLineLength];
    while (ReadLine(buffer, sizeof buffer, f)) {
        std::string line(buffer);
        TrimTrailingBlanks(line);
        if (line.empty() || line[0] == ' ') penDown_ = false;
        if (line.empty()) continue;
        if (std::isalpha(static_cast<unsigned char>(line[0]))) {
            if (!Keyword(Upper(line), kind, name)) break;
            continue;
        }
        DataLine(line, kind);
    }
    std::fclose(f);
    if (kind == kLineKind && polyline_.size() > 1) DrawPolyline(screen_, polyline_, color_, thickness_);
    polyline_.clear();
}

bool OverlayRenderer::Keyword(const std::string& u, int kind, const std::string& fileName) {
    const bool symbols = kind == kSymbolKind, texts = kind == kTextKind;
    int n = 0;
    double v = 0;
    if (StartsWith(u, "COLOR:")) {
        color_ = ContainsIgnoringCase(fileName, "HWY") ? gSegmentColors[8] : OverlayColorOf(u);
    } else if (StartsWith(u, "THICKNESS:")) {
        if (IntegerAfter(u, 10, &n)) thickness_ = std::clamp(n, 0, 100);
    } else if (StartsWith(u, "ELEVATION:")) {
        // Overlay files are drawn in map views only.
    } else if (StartsWith(u, "HORIZONTAL JUSTIFY:")) {
        if (!texts) return true;
        const std::string w = WordAfter(u, 19);
        if (w == "LEFT") hJust_ = 0;
        else if (w == "CENTER") hJust_ = 1;
        else if (w == "RIGHT") hJust_ = 2;
    } else if (StartsWith(u, "VERTICAL JUSTIFY:")) {
        if (!texts) return true;
        const std::string w = WordAfter(u, 17);
        if (w == "BOTTOM") vJust_ = 0;
        else if (w == "CENTER") vJust_ = 1;
        else if (w == "TOP") vJust_ = 2;
    } else if (StartsWith(u, "MINIMUM LATITUDE:")) {
        if (DoubleAfter(u, 17, &v) && gMapNorth < v) return false;
    } else if (StartsWith(u, "MAXIMUM LATITUDE:")) {
        if (DoubleAfter(u, 17, &v) && gMapSouth > v) return false;
    } else if (StartsWith(u, "MINIMUM LONGITUDE:")) {
        if (DoubleAfter(u, 18, &v) && gMapEast < v) return false;
    } else if (StartsWith(u, "MAXIMUM LONGITUDE:")) {
        if (DoubleAfter(u, 18, &v) && gMapWest > v) return false;
    } else if (StartsWith(u, "FONT:")) {
        if (!symbols && !texts) return true;
        const std::string w = WordAfter(u, 5);
        if (w.empty()) return true;
        if (w == "DEFAULT") {
            labelFont_ = nullptr;
            shadow_ = 0;
        } else {
            std::size_t at = u.size() > 6 ? 6 : u.size();
            face_ = u.substr(at, kMaxFaceLength);
            labelFont_ = gfx::Font::Create(face_, height_, weight_);
            shadow_ = ShadowOf(labelFont_);
        }
    } else if (StartsWith(u, "FONT SIZE:")) {
        if ((symbols || texts) && IntegerAfter(u, 10, &n)) {
            height_ = std::clamp(n, -1000, 1000);
            labelFont_ = gfx::Font::Create(face_, height_, weight_);
        }
    } else if (StartsWith(u, "DROP SHADOW:")) {
        if (texts && IntegerAfter(u, 12, &n)) shadow_ = std::clamp(n, -100, 100);
    } else if (StartsWith(u, "SYMBOL:")) {
        if (!symbols) return true;
        const std::string w = WordAfter(u, 7);
        if (w.empty()) return true;
        symbolLines_.clear();
        haveSymbol_ = false;
        int count = 0;
        StringListNode* lines = ReadTextFileLines(w, &count);
        if (!lines) return true;  // no definition file: no vector symbol
        for (StringListNode* l = lines; l; l = l->next) symbolLines_.push_back(l->text);
        FreeStringList(lines);
        haveSymbol_ = true;
    } else if (StartsWith(u, "PNG:")) {
        if (!symbols) return true;
        const std::string w = WordAfter(u, 4);
        if (w.empty()) return true;
        pngName_ = w;
        symbolLines_.clear();
        haveSymbol_ = false;
    }
    return true;
}

void OverlayRenderer::DataLine(const std::string& line, int kind) {
    const OverlayDataLine d = ScanOverlayDataLine(line);
    if (d.fields < 2) return;
    const double o = Proj::LonOffset(d.longitude, gWestEdge);
    if (!(gMapSouth < d.latitude && d.latitude < gMapNorth && 0 < o && o < gLonSpan)) {
        penDown_ = false;
        return;
    }
    std::int32_t y = 0, x = 0;
    proj_.LatLonToPixel(d.latitude, o, &y, &x);
    if (kind == kLineKind) {
        if (d.fields != 2 || x < 0 || x >= gMapWidth || y < 0 || y >= gMapHeight) return;
        if (penDown_) {
            polyline_.push_back({x, y});
            return;
        }
        if (polyline_.size() > 1) DrawPolyline(screen_, polyline_, color_, thickness_);
        polyline_.assign(1, gfx::Point{x, y});
        penDown_ = true;
        return;
    }
    if (x < 0 || x >= gPaneWidth || y < 0 || y >= gPaneHeight) return;
    if (kind == kSymbolKind) {
        DrawSymbol(x, y, d.fields == 3 ? d.word : std::string());
        return;
    }
    if (d.fields != 3) return;
    OverlayLabel label = ParseOverlayLabel(line, d.wordStart);
    if (label.centroid) CentroidPoint(label.text, &x, &y);
    DrawLabel(x, y, label);
}

void OverlayRenderer::DrawSymbol(int x, int y, const std::string& caption) {
    gfx::StateSaver keep(screen_);
    ClipToRect(screen_, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
    if (!pngName_.empty()) {
        // An image that cannot be read is skipped.
        const auto image = gfx::LoadPng(FindDataFile(pngName_));
        if (image && image->width > 0 && image->height > 0) {
            const gfx::Rect box{x - image->width / 2, y - image->height / 2, x + image->width / 2,
                                y + image->height / 2};
            const bool taken = std::any_of(gPngSymbolRects.begin(), gPngSymbolRects.end(),
                                           [&](const gfx::Rect& r) { return BoxesOverlap(r, box); });
            if (!taken) {
                gPngSymbolRects.push_back(box);
                DrawPngSymbol(screen_, *image, x, y);
                if (image_) DrawPngSymbol(*image_, *image, x, y);
                if (!caption.empty()) {
                    DrawJustifiedText(screen_, x, y, labelFont_, caption, color_, kNoColor, HJust::Center,
                                      VJust::Center);
                    if (image_)
                        DrawJustifiedText(*image_, x, y, labelFont_, caption, color_, kNoColor, HJust::Center,
                                          VJust::Center);
                }
            }
        }
    }
    if (haveSymbol_) DrawVectorSymbol(x, y);
}

void OverlayRenderer::DrawVectorSymbol(int x, int y) {
    const int s = labelFont_ ? std::abs(labelFont_->height()) : gTextHeight;
    double scale = s / 2;
    int outline = color_, fill = color_;
    bool pen = false, inPolygon = false;
    std::vector<gfx::Point> vertices;
    auto closePolygon = [&] {
        DrawPolygon(screen_, vertices, outline, fill);
        if (image_) DrawPolygon(*image_, vertices, outline, fill);
        if (mask_) DrawPolygon(*mask_, vertices, kWhiteColor, kWhiteColor);
        vertices.clear();
        inPolygon = false;
    };
    for (const std::string& raw : symbolLines_) {
        if (!raw.empty() && std::isalpha(static_cast<unsigned char>(raw[0]))) {
            const std::string u = Upper(raw);
            double f = 0;
            if (StartsWith(u, "COLOR:")) {
                outline = OverlayColorOf(u);
            } else if (StartsWith(u, "SCALE FACTOR:")) {
                if (DoubleAfter(u, 13, &f)) scale = (s / 2) * f;
            } else if (StartsWith(u, "FILL COLOR:")) {
                fill = ColorIndexByName(u.size() > 12 ? std::string_view(u).substr(12) : std::string_view());
            } else if (StartsWith(u, "FILL")) {
                vertices.clear();
                inPolygon = true;
            }
            continue;
        }
        double a = 0, b = 0;
        std::size_t used = 0;
        const bool point = ScanLeadingDouble(raw, &a, &used) && ScanLeadingDouble(std::string_view(raw).substr(used), &b);
        if (inPolygon) {
            // Saturated as the dots are: a symbol's numbers come from a file.
            if (point) vertices.push_back({TruncToInt(x + 0.5 + scale * a), TruncToInt(y + 0.5 - scale * b)});
            else
                closePolygon();
            continue;
        }
        if (!point) {
            pen = false;
            continue;
        }
        // Outline points run the other way up from polygon vertices; files rely on it.
        const int px = TruncToInt(x + 0.5 + scale * a);
        const int py = TruncToInt(y - 0.5 + scale * b);
        const int c = pen ? outline : 0;
        DrawLineTo(screen_, px, py, c, thickness_);
        if (mask_) DrawLineTo(*mask_, px, py, pen ? kWhiteColor : 0, thickness_);
        pen = true;
    }
    if (inPolygon) closePolygon();
}

bool OverlayRenderer::Overlaps(const gfx::Rect& r) const {
    if (FirstOverlappingLabel(r)) return true;
    return std::any_of(local_.begin(), local_.end(), [&](const gfx::Rect& b) { return BoxesOverlap(b, r); });
}

gfx::Rect OverlayRenderer::Measure(int x, int y, const std::string& text, int h, int v) const {
    return DrawJustifiedText(screen_, x, y, labelFont_, text, kNoColor, kNoColor, static_cast<HJust>(h),
                             static_cast<VJust>(v), shadow_, 0);
}

void OverlayRenderer::Show(int x, int y, const std::string& text, int h, int v) {
    const HJust hj = static_cast<HJust>(h);
    const VJust vj = static_cast<VJust>(v);
    DrawJustifiedText(screen_, x, y, labelFont_, text, color_, kNoColor, hj, vj, shadow_, 0);
    if (image_) DrawJustifiedText(*image_, x, y, labelFont_, text, color_, kNoColor, hj, vj, shadow_, 0);
    if (mask_) DrawJustifiedText(*mask_, x, y, labelFont_, text, kWhiteColor, kNoColor, hj, vj, shadow_, kWhiteColor);
}

void OverlayRenderer::Register(gfx::Point anchor, const gfx::Rect& box, const std::string& text, int h, int v,
                               const OverlayLabel* label, int shadow) {
    if (!registering_) {
        local_.push_back(box);
        return;
    }
    auto b = std::make_unique<LabelBox>(anchor, box, text, labelFont_, color_, static_cast<HJust>(h),
                                        static_cast<VJust>(v), label ? &label->line : nullptr, shadow);
    if (label) {
        b->options = label->options;
        b->quoted = label->quoted;
    }
    b->oceanLabel = traits_.ocean;
    RegisterLabel(std::move(b));
}

void OverlayRenderer::CentroidPoint(const std::string& text, int* x, int* y) const {
    const BorderSet* set = traits_.borderKind && pane_ ? pane_->BorderSetOfKind(traits_.borderKind) : nullptr;
    if (!set) return;
    std::string name = text;
    if (!name.empty() && name[0] == ' ') name.erase(0, 1);
    TrimTrailingBlanks(name);
    const BorderPolygon* polygon = set->FindByName(name);
    if (!polygon) return;
    const std::vector<PixelPoint> projected = ProjectedOutline(proj_, *polygon);
    std::vector<PixelPoint> clipped;
    ClipPolygonToRect(0, 0, gPaneWidth, gPaneHeight, projected.data(), static_cast<int>(projected.size()), clipped);
    if (clipped.size() > 3) {
        const PixelPoint c = PolygonCentroid(clipped.data(), static_cast<int>(clipped.size()));
        *x = c.x;
        *y = c.y;
    } else {
        *x = gPaneWidth / 2;
        *y = gPaneHeight / 2;
    }
}

void OverlayRenderer::DrawLabel(int x, int y, const OverlayLabel& label) {
    const int d = label.offset;
    const std::string& text = label.text;
    const gfx::Rect own = Measure(x + d, y, text, hJust_, vJust_);
    if (label.forced || (!Overlaps(own) && InsidePaneBox(own))) {
        Show(x + d, y, text, hJust_, vJust_);
        std::string bare = text;
        if (!label.forced && !label.quoted && !bare.empty() && bare[0] == ' ') bare.erase(0, 1);
        Register({x + d, y}, own, bare, hJust_, vJust_, &label, 2);
        return;
    }
    if (traits_.city) {
        for (const Candidate& c : kCandidates) {
            const int px = x + d * (1 - c.h), py = y + d * (c.v - 1);
            const gfx::Rect r = Measure(px, py, text, c.h, c.v);
            if (Overlaps(r) || !InsidePaneBox(r)) continue;
            Show(px, py, text, c.h, c.v);
            Register({px, py}, r, text, c.h, c.v, &label, shadow_);
            return;
        }
        // No room: the point is kept free so no later label covers it.
        const gfx::Rect blank = Measure(x, y, "  ", 1, 1);
        Register({x, y}, blank, "", 0, 0, nullptr, 2);
        return;
    }
    const int a = own.height() / 2, b = own.width() / 4;
    for (const Candidate& c : kCandidates) {
        const int px = x + b * (c.h - 1), py = y + a * (c.v - 1);
        const gfx::Rect r = Measure(px, py, text, 1, 1);
        if (Overlaps(r) || !InsidePaneBox(r)) continue;
        Show(px, py, text, 1, 1);
        Register({px, py}, r, text, 1, 1, &label, shadow_);
        return;
    }
}

// ---- The plant symbols and the reserved boxes --------------------------------------------

void ReserveAlertAndPlantBoxes(childMap& pane) {
    auto blank = [](const gfx::Rect& r) {
        return std::make_unique<LabelBox>(gfx::Point{r.left, r.top}, r, "", nullptr, kWhiteColor, HJust::Left,
                                          VJust::Bottom, nullptr, 0);
    };
    if (gAlertEvent) {
        std::int32_t y = 0, x = 0;
        pane.LatLonToPixel(MasToDegrees(gAlertEvent->latitude),
                           Proj::LonOffset(MasToDegrees(gAlertEvent->longitude), gWestEdge), &y, &x);
        const int r = TruncToInt(DotRadius(gAlertEvent->magnitude * 0.1));
        RegisterLabel(blank({x + r, y - r - 46, x + r + 88, y - r})).eventBox = true;
        RegisterLabel(blank({x - r, y - r, x + r, y + r}));
    }
    int count = 0;
    StringListNode* plants = gPlantFile.empty() ? nullptr : ReadTextFileLines(gPlantFile, &count);
    for (StringListNode* n = plants; n; n = n->next) {
        const OverlayDataLine d = ScanOverlayDataLine(n->text);
        if (d.fields != 3) continue;
        std::int32_t y = 0, x = 0;
        pane.LatLonToPixel(d.latitude, Proj::LonOffset(d.longitude, gWestEdge), &y, &x);
        RegisterLabel(blank({x - 15, y - 15, x + 15, y + 5}));
    }
    FreeStringList(plants);
}

void DrawPlantSymbols(childMap& pane, StringListNode* textFiles) {
    for (StringListNode* n = textFiles; n; n = n->next) {
        if (!Contains(n->text, "npp.txt")) continue;
        std::FILE* f = std::fopen(n->text.c_str(), "rt");
        if (!f) continue;
        char buffer[kPlantLineLength];
        while (ReadLine(buffer, sizeof buffer, f)) {
            const std::string line(buffer);
            const OverlayDataLine d = ScanOverlayDataLine(line);
            if (d.fields != 3) continue;
            const std::size_t at = line.find("/o", d.wordStart);
            int operating = 0;
            if (at != std::string::npos && IntegerAfter(line, at + 2, &operating))
                pane.DrawPlantSymbol(d.latitude, d.longitude, operating != 0);
        }
        std::fclose(f);
    }
}

}  // namespace

// ---- Parsing (the data lines: map/overlay_lines.cpp) -------------------------------------------

int OverlayColorOf(std::string_view upperLine) {
    // A line shorter than the name's offset names no colour.
    const std::string_view name = upperLine.size() > 7 ? upperLine.substr(7) : std::string_view();
    for (int i = 0; i < 15; ++i)
        if (EqualsIgnoringCase(name, kOverlayColorNames[i])) return i;
    return kWhiteColor;
}

void DrawPngSymbol(gfx::DrawContext& dc, const gfx::RgbaImage& image, int x, int y) {
    // A tenth of its height above the point.
    const int left = x - image.width / 2, top = y - image.height / 2 - image.height / 10;
    for (int row = 0; row < image.height; ++row)
        for (int col = 0; col < image.width; ++col) {
            const gfx::RgbaPixel& p = image.at(col, row);
            if (p.a > 0) dc.SetPixel({left + col, top + row}, gfx::Color{p.r, p.g, p.b});
        }
}

// Paint-time plate labels: on the given surface alone, registering nothing.
void DrawPlateLabels(const Proj& proj, gfx::DrawContext& dc, const std::string& pltFile) {
    gfx::StateSaver keep(dc);
    ClipToRect(dc, 0, 0, gPaneWidth, gPaneHeight, true);
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);
    StringListNode* list = nullptr;
    AppendStringNode(&list, pltFile);
    OverlayRenderer r(proj, nullptr, dc, nullptr, nullptr, false);
    r.DrawList(list, kTextKind);
    FreeStringList(list);
}

// ---- The renderer ----------------------------------------------------------------------------

void childMap::DrawOverlayFiles(StringListNode** lineFiles, StringListNode** symbolFiles, StringListNode** textFiles) {
    EnsureScreen();
    gfx::DrawContext& dc = *screen_;
    gfx::StateSaver keepScreen(dc);
    std::optional<gfx::StateSaver> keepImage;
    if (mapImage_) keepImage.emplace(*mapImage_);
    ClipToRect(dc, 0, 0, gPaneWidth, gPaneHeight, true);
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);
    if (mapImage_) {
        ClipToRect(*mapImage_, 0, 0, gPaneWidth, gPaneHeight, true);
        ClipToRect(*mapImage_, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);
    }
    OverlayRenderer renderer(*this, this, dc, mapImage_.get(), mask_.get(), true);
    HighwaysIntoLists(lineFiles, symbolFiles);
    ReserveAlertAndPlantBoxes(*this);
    renderer.DrawList(lineFiles ? *lineFiles : nullptr, kLineKind);
    renderer.DrawList(symbolFiles ? *symbolFiles : nullptr, kSymbolKind);
    renderer.DrawList(textFiles ? *textFiles : nullptr, kTextKind);
    DrawPlantSymbols(*this, textFiles ? *textFiles : nullptr);

    // The highway names never reach the view file.
    RemoveMatching(lineFiles, IsHighwayName);
    RemoveMatching(symbolFiles, IsHighwaySymbolName);
    RemoveMatching(textFiles, IsHighwaySymbolName);
}
