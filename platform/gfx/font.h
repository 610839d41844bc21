#pragma once
// Fonts by face, height and weight, rendered aliased through FreeType. Text
// handed to this layer is Windows-1252, one byte per character.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gfx {

inline constexpr int kNormalWeight = 400;
inline constexpr int kBoldWeight = 700;

enum class Slant { Upright, Italic };

struct TextMetrics {
    int height = 0;  // ascent + descent: the cell
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;  // height less the em size
    int externalLeading = 0;  // extra space the face asks for between lines
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = kNormalWeight;
};

// One character rendered: 1 byte per pixel (0 or 1), `left`/`top` from the pen
// position on the baseline (top counts upward), `advance` to the next pen position.
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<std::uint8_t> bits;
};

// Glyphs are rendered on first use and kept; a font serves one thread at a time.
class Font {
public:
    // Height is logical, as the Windows rule has it: negative asks for that
    // character (em) height, positive for that cell height, 0 for a 16-pixel cell.
    // Face names of the platform map to installed faces (see font.cpp). Null when
    // no face file can be found or loaded.
    static std::shared_ptr<const Font> Create(std::string_view face, int height, int weight = kNormalWeight,
                                              Slant slant = Slant::Upright);
    // A given font file, without the face mapping: tests pin metrics with it.
    static std::shared_ptr<const Font> FromFile(const std::string& path, int height, int weight = kNormalWeight);
    // The stock system font that a context starts with.
    static std::shared_ptr<const Font> System();

    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // As requested, for writing back to settings.
    const std::string& face() const { return face_; }
    int height() const { return height_; }
    int weight() const { return weight_; }
    Slant slant() const { return slant_; }
    // The face file in use.
    const std::string& file() const { return file_; }

    const TextMetrics& metrics() const { return metrics_; }
    const Glyph& GlyphOf(unsigned char c) const;
    // Sum of the advances: the width a line of this text takes.
    int Width(std::string_view text) const;

    struct Impl;

private:
    Font() = default;
    static std::unique_ptr<Font> Load(const std::string& file, int faceIndex, int height, int weight, int cellSnap);

    std::string face_;
    int height_ = 0;
    int weight_ = kNormalWeight;
    Slant slant_ = Slant::Upright;
    std::string file_;
    TextMetrics metrics_;
    std::unique_ptr<Impl> impl_;
};

// The installed family a face name of the platform is drawn with ("Arial"
// is "Liberation Sans"); a name it does not map comes back as given.
std::string DrawingFamily(std::string_view face);

// The Unicode character of a Windows-1252 byte; the five unassigned bytes map
// to the C1 control of the same value.
char32_t Windows1252ToUnicode(unsigned char c);
std::string Windows1252ToUtf8(std::string_view text);
// The Windows-1252 byte of a Unicode character; '?' where the code page has none.
unsigned char UnicodeToWindows1252(char32_t u);

}  // namespace platform::gfx
