#include "platform/gfx/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <mutex>
#include <new>
#include <span>
#include <tuple>

namespace platform::gfx {

// Aliased, hinted for one-bit output: the pinned flags behind every metric test.
constexpr FT_Int32 kLoadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;

struct Font::Impl {
    FT_Face face = nullptr;
    mutable std::array<std::unique_ptr<Glyph>, 256> glyphs;
    ~Impl() {
        if (face) FT_Done_Face(face);
    }
};

namespace {

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return lib;
}

// The platform's raster faces came in a few cell heights only; a request picks
// the largest not above it, else the smallest, so layouts keep their proportions.
constexpr std::array<int, 6> kSansSerifCells{13, 16, 20, 24, 29, 37};
constexpr std::array<int, 1> kSystemCells{16};

struct FaceMapping {
    std::string_view name;  // lower case
    const char* family;
    int minWeight;
    std::span<const int> cells;
};

constexpr FaceMapping kFaceMap[] = {
    {"ms sans serif", "DejaVu Sans", 0, kSansSerifCells},
    {"system", "DejaVu Sans", kBoldWeight, kSystemCells},
    {"ms shell dlg", "DejaVu Sans", 0, {}},
    {"", "DejaVu Sans", 0, {}},
    {"arial", "Liberation Sans", 0, {}},
    {"helvetica", "Liberation Sans", 0, {}},
    {"arial black", "Liberation Sans", 900, {}},
    {"times new roman", "Liberation Serif", 0, {}},
    {"timesroman", "Liberation Serif", 0, {}},
    {"times", "Liberation Serif", 0, {}},
    {"courier", "Liberation Mono", 0, {}},
    {"courier new", "Liberation Mono", 0, {}},
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

struct FaceFile {
    std::string path;
    int index = 0;
};

// fontconfig's answer for a family, weight and slant; cached, matching is slow.
bool MatchFace(const std::string& family, int weight, Slant slant, FaceFile& out) {
    static std::mutex mutex;
    static std::map<std::tuple<std::string, int, int>, FaceFile> cache;
    std::lock_guard lock(mutex);
    auto key = std::make_tuple(family, weight, static_cast<int>(slant));
    if (auto it = cache.find(key); it != cache.end()) {
        out = it->second;
        return true;
    }
    static FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, slant == Slant::Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* file = nullptr;
    int index = 0;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
    if (ok) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        out = {reinterpret_cast<const char*>(file), index};
        cache[key] = out;
    }
    FcPatternDestroy(match);
    return ok;
}

long long RoundDiv(long long num, long long den) {  // den > 0, num >= 0
    return (2 * num + den) / (2 * den);
}

}  // namespace

std::string DrawingFamily(std::string_view face) {
    const std::string name = Trim(Lower(face));
    for (const auto& m : kFaceMap) {
        if (m.name == name) return m.family;
    }
    return Trim(std::string(face));
}

std::shared_ptr<const Font> Font::Create(std::string_view face, int height, int weight, Slant slant) {
    std::string name = Trim(Lower(face));
    const char* family = nullptr;
    int minWeight = 0;
    std::span<const int> cells;
    // "Arial bold" and the like: a weight word after the family.
    for (auto [suffix, w] : {std::pair<std::string_view, int>{" bold", kBoldWeight}, {" black", 900}}) {
        bool known = false;
        for (const auto& m : kFaceMap) known = known || m.name == name;
        if (!known && name.size() > suffix.size() && name.ends_with(suffix)) {
            name = Trim(name.substr(0, name.size() - suffix.size()));
            minWeight = std::max(minWeight, w);
        }
    }
    for (const auto& m : kFaceMap) {
        if (m.name == name) {
            family = m.family;
            minWeight = std::max(minWeight, m.minWeight);
            cells = m.cells;
            break;
        }
    }
    std::string familyName = family ? family : std::string(Trim(std::string(face)));
    int useWeight = std::max(weight <= 0 ? kNormalWeight : weight, minWeight);
    FaceFile file;
    if (!MatchFace(familyName, useWeight, slant, file)) return nullptr;

    int cellSnap = 0;
    if (!cells.empty()) {
        // Snap by cell height; a character height is first turned into one on the substitute.
        cellSnap = height;
        if (height <= 0) {
            auto probe = Load(file.path, file.index, height, useWeight, 0);
            if (!probe) return nullptr;
            cellSnap = probe->metrics().height;
        }
        int pick = cells.front();
        for (int c : cells) {
            if (c <= cellSnap) pick = c;
        }
        cellSnap = pick;
    }
    auto font = Load(file.path, file.index, height, useWeight, cellSnap);
    if (!font) return nullptr;
    // As asked, so settings write back what they read.
    font->face_ = std::string(face);
    font->weight_ = weight;
    font->slant_ = slant;
    return std::shared_ptr<const Font>(std::move(font));
}

std::shared_ptr<const Font> Font::FromFile(const std::string& path, int height, int weight) {
    auto font = Load(path, 0, height, weight <= 0 ? kNormalWeight : weight, 0);
    if (!font) return nullptr;
    font->face_ = path;
    return std::shared_ptr<const Font>(std::move(font));
}

std::shared_ptr<const Font> Font::System() {
    static std::shared_ptr<const Font> system = Create("System", 16, kBoldWeight);
    return system;
}

std::unique_ptr<Font> Font::Load(const std::string& file, int faceIndex, int height, int weight, int cellSnap) {
    FT_Library lib = Library();
    if (!lib) return nullptr;
    std::unique_ptr<Font> font(new (std::nothrow) Font());
    if (!font) return nullptr;
    font->impl_ = std::make_unique<Impl>();
    if (FT_New_Face(lib, file.c_str(), faceIndex, &font->impl_->face) != 0) {
        font->impl_->face = nullptr;
        return nullptr;
    }
    FT_Face ft = font->impl_->face;
    if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) return nullptr;
    long long upem = ft->units_per_EM;
    long long winAscent = ft->ascender;
    long long winDescent = -ft->descender;
    long long avgWidth = 0;
    long long lineGap = 0, hheaSpan = winAscent + winDescent;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
        avgWidth = os2->xAvgCharWidth;
    }
    if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA))) {
        lineGap = hhea->Line_Gap;
        hheaSpan = static_cast<long long>(hhea->Ascender) - hhea->Descender;
    }
    long long span = std::max<long long>(1, winAscent + winDescent);

    TextMetrics& m = font->metrics_;
    // Past a couple of screen heights a glyph only costs memory.
    constexpr int kMaxFontPixels = 2048;
    int cell = cellSnap > 0 ? cellSnap : (height > 0 ? height : (height == 0 ? 16 : 0));
    cell = std::min(cell, kMaxFontPixels);
    long long ppem;
    if (cell > 0) {
        ppem = std::max<long long>(1, RoundDiv(cell * upem, span));
        m.ascent = static_cast<int>(RoundDiv(cell * winAscent, span));
        m.descent = cell - m.ascent;
    } else {
        ppem = std::min<long long>(-static_cast<long long>(height), kMaxFontPixels);
        m.ascent = static_cast<int>(RoundDiv(winAscent * ppem, upem));
        m.descent = static_cast<int>(RoundDiv(winDescent * ppem, upem));
    }
    ppem = std::min<long long>(ppem, kMaxFontPixels);
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - static_cast<int>(ppem));
    long long extra = lineGap - (span - hheaSpan);
    m.externalLeading = extra > 0 ? static_cast<int>(RoundDiv(extra * ppem, upem)) : 0;
    m.weight = weight;
    m.maxCharWidth = static_cast<int>(RoundDiv(ft->max_advance_width * ppem, upem));
    if (FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(ppem)) != 0) return nullptr;
    if (avgWidth > 0) {
        m.aveCharWidth = static_cast<int>(RoundDiv(avgWidth * ppem, upem));
    } else {
        m.aveCharWidth = font->GlyphOf('x').advance;
    }
    m.aveCharWidth = std::max(1, m.aveCharWidth);

    font->height_ = height;
    font->weight_ = weight;
    font->file_ = file;
    return font;
}

Font::~Font() = default;

const Glyph& Font::GlyphOf(unsigned char c) const {
    auto& slot = impl_->glyphs[c];
    if (slot) return *slot;
    auto g = std::make_unique<Glyph>();
    FT_Face ft = impl_->face;
    if (FT_Load_Char(ft, Windows1252ToUnicode(c), kLoadFlags) == 0) {
        FT_GlyphSlot gs = ft->glyph;
        const FT_Bitmap& bm = gs->bitmap;
        g->advance = static_cast<int>((gs->advance.x + 32) >> 6);
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO || bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            g->left = gs->bitmap_left;
            g->top = gs->bitmap_top;
            g->width = static_cast<int>(bm.width);
            g->rows = static_cast<int>(bm.rows);
            g->bits.assign(static_cast<std::size_t>(g->width) * g->rows, 0);
            for (int y = 0; y < g->rows; ++y) {
                const unsigned char* src = bm.buffer + static_cast<long>(y) * bm.pitch;
                if (bm.pitch < 0) src = bm.buffer + static_cast<long>(g->rows - 1 - y) * -bm.pitch;
                for (int x = 0; x < g->width; ++x) {
                    bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (src[x >> 3] >> (7 - (x & 7))) & 1
                                                                  : src[x] >= 128;
                    g->bits[static_cast<std::size_t>(y) * g->width + x] = on ? 1 : 0;
                }
            }
        }
    }
    slot = std::move(g);
    return *slot;
}

int Font::Width(std::string_view text) const {
    int w = 0;
    for (char c : text) w += GlyphOf(static_cast<unsigned char>(c)).advance;
    return w;
}

namespace {
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char32_t Windows1252ToUnicode(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
    return c;
}

unsigned char UnicodeToWindows1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u) return static_cast<unsigned char>(0x80 + i);
    return '?';
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        char32_t u = Windows1252ToUnicode(static_cast<unsigned char>(ch));
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

}  // namespace platform::gfx
