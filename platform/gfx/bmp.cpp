#include "platform/gfx/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace platform::gfx {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV5HeaderSize = 124;
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kJpeg = 4, kPng = 5, kAlphaBitfields = 6;

std::uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}
std::uint32_t U32(std::string_view b, std::size_t at) {
    return std::uint32_t{U16(b, at)} | std::uint32_t{U16(b, at + 2)} << 16;
}
std::int32_t I32(std::string_view b, std::size_t at) { return std::bit_cast<std::int32_t>(U32(b, at)); }

struct Refusal {
    ImageFault fault;
    std::string message;
};

// A colour mask: its lowest set bit and width, so that a field scales to 8 bits.
struct Channel {
    int shift = 0;
    int bits = 0;
    std::uint8_t From(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t v = (pixel >> shift) & ((1u << bits) - 1u);
        if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
        // Spread a narrow field over 0..255 so that all ones is white.
        return static_cast<std::uint8_t>((v * 255u + ((1u << bits) - 1u) / 2) / ((1u << bits) - 1u));
    }
};

// Non-zero, one run of ones, inside the pixel's bits.
std::optional<Channel> MaskChannel(std::uint32_t mask, int bitCount) {
    if (mask == 0) return std::nullopt;
    if (bitCount < 32 && (mask >> bitCount) != 0) return std::nullopt;
    const int shift = std::countr_zero(mask);
    const std::uint32_t run = mask >> shift;
    if ((run & (run + 1)) != 0) return std::nullopt;
    return Channel{shift, std::popcount(run)};
}

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;  // rows, positive
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::array<Channel, 3> channels{};  // red, green, blue for 16 and 32 bits
    std::vector<Color> palette;
    std::uint64_t stride = 0;
    std::uint64_t pixelOffset = 0;
    std::uint32_t imageSize = 0;  // 0, or at least the rows
};

std::optional<Refusal> ReadMasks(std::string_view b, std::size_t at, Layout& l) {
    const std::uint32_t masks[3] = {U32(b, at), U32(b, at + 4), U32(b, at + 8)};
    std::uint32_t seen = 0;
    for (int i = 0; i < 3; ++i) {
        const auto c = MaskChannel(masks[i], l.bitCount);
        if (!c) return Refusal{ImageFault::BadHeader, "colour mask is empty, split or wider than the pixel"};
        if ((seen & masks[i]) != 0) return Refusal{ImageFault::BadHeader, "colour masks overlap"};
        seen |= masks[i];
        l.channels[static_cast<std::size_t>(i)] = *c;
    }
    return std::nullopt;
}

void DefaultMasks(Layout& l) {
    if (l.bitCount == 16) l.channels = {Channel{10, 5}, Channel{5, 5}, Channel{0, 5}};
    else l.channels = {Channel{16, 8}, Channel{8, 8}, Channel{0, 8}};
}

std::optional<Refusal> ReadLayout(std::string_view b, Layout& l) {
    if (b.size() < 2 || b[0] != 'B' || b[1] != 'M') return Refusal{ImageFault::WrongFormat, "no BM signature"};
    if (b.size() < kFileHeaderSize + 4) return Refusal{ImageFault::BadHeader, "file header cut short"};
    const std::uint32_t fileSize = U32(b, 2);
    // Bytes 6 to 9 are reserved; writers leave anything there.
    l.pixelOffset = U32(b, 10);
    const std::uint32_t headerSize = U32(b, kFileHeaderSize);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != kV5HeaderSize)
        return Refusal{ImageFault::BadHeader, "unknown bitmap header size " + std::to_string(headerSize)};
    const std::size_t infoAt = kFileHeaderSize;
    if (b.size() < infoAt + headerSize) return Refusal{ImageFault::BadHeader, "bitmap header cut short"};

    std::uint32_t colorsUsed = 0;
    std::size_t paletteEntry = 4;
    std::size_t afterHeader = infoAt + headerSize;
    int planes = 0;
    if (headerSize == kCoreHeaderSize) {
        l.width = U16(b, infoAt + 4);
        l.height = U16(b, infoAt + 6);
        planes = U16(b, infoAt + 8);
        l.bitCount = U16(b, infoAt + 10);
        paletteEntry = 3;
    } else {
        const std::int32_t w = I32(b, infoAt + 4);
        const std::int32_t h = I32(b, infoAt + 8);
        l.width = w;
        l.topDown = h < 0;
        l.height = h < 0 ? -static_cast<std::int64_t>(h) : h;
        planes = U16(b, infoAt + 12);
        l.bitCount = U16(b, infoAt + 14);
        l.compression = U32(b, infoAt + 16);
        const std::uint32_t imageSize = U32(b, infoAt + 20);
        // Bytes 24 to 31 are the resolution in pixels per metre, which drawing ignores.
        colorsUsed = U32(b, infoAt + 32);
        const std::uint32_t colorsImportant = U32(b, infoAt + 36);
        if (l.compression == kRle8 || l.compression == kRle4 || l.compression == kJpeg || l.compression == kPng)
            return Refusal{ImageFault::Unsupported, "compressed bitmap (" + std::to_string(l.compression) + ")"};
        if (l.compression != kRgb && l.compression != kBitfields && l.compression != kAlphaBitfields)
            return Refusal{ImageFault::BadHeader, "unknown compression " + std::to_string(l.compression)};
        if (colorsImportant > colorsUsed && colorsUsed != 0)
            return Refusal{ImageFault::BadHeader, "more important colours than colours"};
        if (l.compression == kBitfields || l.compression == kAlphaBitfields) {
            if (l.bitCount != 16 && l.bitCount != 32)
                return Refusal{ImageFault::BadHeader, "colour masks need 16 or 32 bits per pixel"};
            // In the info header the masks follow it; longer headers hold them.
            std::size_t masksAt = infoAt + kInfoHeaderSize;
            if (headerSize == kInfoHeaderSize) {
                const std::size_t extra = l.compression == kAlphaBitfields ? 16 : 12;
                if (b.size() < masksAt + extra) return Refusal{ImageFault::BadHeader, "colour masks cut short"};
                afterHeader = masksAt + extra;
            } else if (headerSize < kInfoHeaderSize + 12) {
                return Refusal{ImageFault::BadHeader, "header too short for its colour masks"};
            }
            if (auto r = ReadMasks(b, masksAt, l)) return r;
        } else {
            DefaultMasks(l);
        }
        l.imageSize = imageSize;
    }
    if (planes != 1) return Refusal{ImageFault::BadHeader, "planes must be 1, not " + std::to_string(planes)};
    switch (l.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return Refusal{ImageFault::BadHeader, "unknown bit count " + std::to_string(l.bitCount)};
    }
    if (headerSize == kCoreHeaderSize && l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 24)
        return Refusal{ImageFault::BadHeader, "core header with " + std::to_string(l.bitCount) + " bits"};
    if (l.width <= 0 || l.height <= 0) return Refusal{ImageFault::BadHeader, "empty or negative size"};
    if (l.width * l.height > kMaxImagePixels)
        return Refusal{ImageFault::TooLarge, std::to_string(l.width) + " x " + std::to_string(l.height)};
    if (headerSize == kCoreHeaderSize) DefaultMasks(l);

    if (l.bitCount <= 8) {
        const std::uint32_t most = 1u << l.bitCount;
        if (colorsUsed > most) return Refusal{ImageFault::BadHeader, "more colours than the bit count holds"};
        const std::uint32_t count = colorsUsed == 0 ? most : colorsUsed;
        const std::uint64_t end = afterHeader + static_cast<std::uint64_t>(count) * paletteEntry;
        if (end > b.size()) return Refusal{ImageFault::BadHeader, "colour table cut short"};
        if (end > l.pixelOffset)
            return Refusal{ImageFault::BadHeader, "colour table runs into the pixels"};
        l.palette.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = afterHeader + i * paletteEntry;
            l.palette.emplace_back(static_cast<std::uint8_t>(b[at + 2]), static_cast<std::uint8_t>(b[at + 1]),
                                   static_cast<std::uint8_t>(b[at]));
        }
        afterHeader = static_cast<std::size_t>(end);
    }
    if (l.pixelOffset < afterHeader) return Refusal{ImageFault::BadHeader, "pixels begin inside the headers"};

    l.stride = (static_cast<std::uint64_t>(l.width) * l.bitCount + 31) / 32 * 4;
    const std::uint64_t rows = l.stride * static_cast<std::uint64_t>(l.height);
    if (l.imageSize != 0 && l.imageSize < rows)
        return Refusal{ImageFault::BadHeader, "image size smaller than its rows"};
    const std::uint64_t pixelEnd = l.pixelOffset + rows;
    // The declared size may be 0 (old writers) or the whole file; less than the pixels is damage.
    if (fileSize != 0 && fileSize < pixelEnd) return Refusal{ImageFault::BadHeader, "file size ends before the pixels"};
    if (pixelEnd > b.size()) return Refusal{ImageFault::BadData, "pixel rows cut short"};
    return std::nullopt;
}

std::optional<Refusal> ReadRows(std::string_view b, const Layout& l, Surface& s) {
    const int w = static_cast<int>(l.width);
    const int h = static_cast<int>(l.height);
    for (int r = 0; r < h; ++r) {
        const std::size_t at = static_cast<std::size_t>(l.pixelOffset + l.stride * static_cast<std::uint64_t>(r));
        const auto* src = reinterpret_cast<const std::uint8_t*>(b.data()) + at;
        std::uint32_t* dst = s.row(l.topDown ? r : h - 1 - r);
        for (int x = 0; x < w; ++x) {
            Color c;
            if (l.bitCount <= 8) {
                const int bit = x * l.bitCount;
                const int shift = 8 - l.bitCount - bit % 8;
                const unsigned index = (src[bit / 8] >> shift) & ((1u << l.bitCount) - 1u);
                if (index >= l.palette.size())
                    return Refusal{ImageFault::BadData, "pixel names colour " + std::to_string(index) +
                                                            " of a table of " + std::to_string(l.palette.size())};
                c = l.palette[index];
            } else if (l.bitCount == 24) {
                c = Color(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
            } else {
                const std::uint32_t p = l.bitCount == 16
                                            ? std::uint32_t{src[x * 2]} | std::uint32_t{src[x * 2 + 1]} << 8
                                            : std::uint32_t{src[x * 4]} | std::uint32_t{src[x * 4 + 1]} << 8 |
                                                  std::uint32_t{src[x * 4 + 2]} << 16 |
                                                  std::uint32_t{src[x * 4 + 3]} << 24;
                c = Color(l.channels[0].From(p), l.channels[1].From(p), l.channels[2].From(p));
            }
            dst[x] = c.value();
        }
    }
    return std::nullopt;
}

void Put16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

std::unique_ptr<Surface> DecodeBmp(std::string_view bytes, ImageError* error) {
    auto fail = [error](Refusal r) -> std::unique_ptr<Surface> {
        if (error) *error = {r.fault, std::move(r.message)};
        return nullptr;
    };
    Layout layout;
    if (auto r = ReadLayout(bytes, layout)) return fail(std::move(*r));
    auto surface = Surface::Create(static_cast<int>(layout.width), static_cast<int>(layout.height));
    if (!surface) return fail({ImageFault::OutOfMemory, "no memory for the pixels"});
    if (auto r = ReadRows(bytes, layout, *surface)) return fail(std::move(*r));
    return surface;
}

std::unique_ptr<Surface> LoadBmp(const std::string& path, ImageError* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = {ImageFault::CannotOpen, "cannot open " + path};
        return nullptr;
    }
    // Read no more than the largest file a valid header can describe.
    constexpr std::uint64_t kMaxFile = 4 * static_cast<std::uint64_t>(kMaxImagePixels) + (1u << 20);
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    in.seekg(0);
    if (length < 0) {
        if (error) *error = {ImageFault::CannotOpen, "cannot read " + path};
        return nullptr;
    }
    std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(length), kMaxFile)),
                      '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return DecodeBmp(bytes, error);
}

std::string EncodeBmp(const Surface& image) {
    // At most 256 colours go into a colour table, in ascending order so that
    // the same picture always gives the same file.
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < image.height() && colours.size() <= 256; ++y) {
        const std::uint32_t* row = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            const auto at = std::lower_bound(colours.begin(), colours.end(), row[x]);
            if (at != colours.end() && *at == row[x]) continue;
            colours.insert(at, row[x]);
            if (colours.size() > 256) break;
        }
    }
    const bool indexed = colours.size() <= 256;
    const std::uint32_t bits = indexed ? 8 : 24;
    const std::uint32_t tableSize = indexed ? static_cast<std::uint32_t>(colours.size()) : 0;
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width()) * bits / 8 + 3) / 4 * 4;
    const std::uint32_t pixels = stride * static_cast<std::uint32_t>(image.height());
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * tableSize;
    std::string out;
    out.reserve(offset + pixels);
    out += "BM";
    Put32(out, offset + pixels);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(image.width()));
    Put32(out, static_cast<std::uint32_t>(image.height()));
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(bits));
    Put32(out, kRgb);
    Put32(out, pixels);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, tableSize);
    Put32(out, 0);
    for (std::uint32_t c : colours) {
        if (!indexed) break;
        Put32(out, c);  // blue, green, red, 0: the word's bytes little-endian
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::uint32_t* row = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            if (indexed) {
                const auto at = std::lower_bound(colours.begin(), colours.end(), row[x]);
                out.push_back(static_cast<char>(at - colours.begin()));
                continue;
            }
            const Color c = Color::FromValue(row[x]);
            out.push_back(static_cast<char>(c.blue()));
            out.push_back(static_cast<char>(c.green()));
            out.push_back(static_cast<char>(c.red()));
        }
        out.append(stride - static_cast<std::uint32_t>(image.width()) * bits / 8, '\0');
    }
    return out;
}

bool SaveBmp(const Surface& image, const std::string& path, ImageError* error) {
    const std::string bytes = EncodeBmp(image);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) {
        if (error) *error = {ImageFault::CannotWrite, "cannot write " + path};
        return false;
    }
    return true;
}

}  // namespace platform::gfx
