#include "platform/gfx/image.h"

// libjpeg's header needs FILE and size_t declared first.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <csetjmp>
#include <fstream>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <png++/png.hpp>

namespace platform::gfx {
namespace {

void Fail(ImageError* error, ImageFault fault, std::string message) {
    if (error) *error = {fault, std::move(message)};
}

bool Fits(long long width, long long height) { return width * height <= kMaxImagePixels; }

// --- JPEG. The library reports errors by calling error_exit, which must not
// return; ours jumps back to the routine that started the work. Those routines
// keep only trivially destructible locals, and all state lives in the job.

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

// Warnings mean corrupt or missing data; counted, never printed.
void JpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    auto* e = reinterpret_cast<JpegErrors*>(cinfo->err);
    if (cinfo->err->num_warnings++ == 0) (*cinfo->err->format_message)(cinfo, e->message);
}

void InitErrors(JpegErrors& e) {
    jpeg_std_error(&e.pub);
    e.pub.error_exit = JpegErrorExit;
    e.pub.emit_message = JpegMessage;
    e.message[0] = '\0';
}

static_assert(std::endian::native == std::endian::little, "surface words are handed to libjpeg as BGRX bytes");
constexpr int kScanlineBatch = 16;

struct JpegReadJob {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    std::FILE* file = nullptr;
    ImageFault onError = ImageFault::BadHeader;
    ImageFault fault = ImageFault::None;
};

bool DecodeJpeg(JpegReadJob& job, std::unique_ptr<Surface>& out) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.errors.jump)) {
        job.fault = job.onError;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_read_header(&cinfo, TRUE);
    if (!Fits(cinfo.image_width, cinfo.image_height)) {
        job.fault = ImageFault::TooLarge;
        return false;
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        job.fault = ImageFault::Unsupported;
        return false;
    }
    // The library writes our 0x00RRGGBB words itself: blue, green, red, filler.
    cinfo.out_color_space = JCS_EXT_BGRX;
    job.onError = ImageFault::BadData;
    jpeg_start_decompress(&cinfo);
    out = Surface::Create(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
    if (!out) {
        job.fault = ImageFault::OutOfMemory;
        return false;
    }
    const int width = out->width(), height = out->height();
    while (static_cast<int>(cinfo.output_scanline) < height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rows[kScanlineBatch];
        const int n = std::min(kScanlineBatch, height - y);
        for (int i = 0; i < n; ++i) rows[i] = reinterpret_cast<JSAMPLE*>(out->row(y + i));
        const auto got = static_cast<int>(jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n)));
        if (got <= 0) break;
        for (int i = 0; i < got; ++i) {
            std::uint32_t* row = out->row(y + i);
            for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFFu;  // the filler byte is not ours
        }
    }
    jpeg_finish_decompress(&cinfo);
    if (job.errors.pub.num_warnings > 0) {
        job.fault = ImageFault::BadData;
        return false;
    }
    return true;
}

struct JpegWriteJob {
    jpeg_compress_struct cinfo;
    JpegErrors errors;
    unsigned char* bytes = nullptr;  // the library's buffer, freed by the caller
    unsigned long size = 0;
    std::vector<std::uint32_t> scratch;  // here, not on the stack: the error jump skips destructors
};

bool EncodeJpeg(JpegWriteJob& job, const Surface& image, const Rect& area, int quality) {
    jpeg_compress_struct& cinfo = job.cinfo;
    if (setjmp(job.errors.jump)) return false;
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.bytes, &job.size);
    cinfo.image_width = static_cast<JDIMENSION>(area.width());
    cinfo.image_height = static_cast<JDIMENSION>(area.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;  // our words as they lie in memory; the filler is ignored
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const int height = area.height();
    // Rows that reach beyond the image are made up in scratch rows, black outside it.
    const Rect inside = area.intersected(image.bounds());
    const bool whole = inside == area;
    std::vector<std::uint32_t>& scratch = job.scratch;
    if (!whole) scratch.assign(static_cast<std::size_t>(area.width()) * kScanlineBatch, 0);
    while (static_cast<int>(cinfo.next_scanline) < height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        JSAMPROW rows[kScanlineBatch];
        const int n = std::min(kScanlineBatch, height - y);
        for (int i = 0; i < n; ++i) {
            const int sy = area.top + y + i;
            const std::uint32_t* row;
            if (whole) {
                row = image.row(sy) + area.left;
            } else {
                std::uint32_t* made = scratch.data() + static_cast<std::size_t>(i) * area.width();
                std::fill(made, made + area.width(), 0u);
                if (sy >= inside.top && sy < inside.bottom)
                    std::copy(image.row(sy) + inside.left, image.row(sy) + inside.right, made + (inside.left - area.left));
                row = made;
            }
            // The library only reads input rows.
            rows[i] = const_cast<JSAMPLE*>(reinterpret_cast<const JSAMPLE*>(row));
        }
        if (jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n)) == 0) return false;
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

}  // namespace

std::unique_ptr<Surface> LoadJpeg(const std::string& path, ImageError* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        Fail(error, ImageFault::CannotOpen, "cannot open " + path);
        return nullptr;
    }
    unsigned char magic[3] = {};
    bool isJpeg = std::fread(magic, 1, 3, file) == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF;
    if (!isJpeg || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        Fail(error, ImageFault::WrongFormat, "not a JPEG file");
        return nullptr;
    }
    auto job = std::make_unique<JpegReadJob>();
    std::memset(&job->cinfo, 0, sizeof job->cinfo);
    InitErrors(job->errors);
    job->cinfo.err = &job->errors.pub;
    job->file = file;
    std::unique_ptr<Surface> out;
    bool ok = DecodeJpeg(*job, out);
    jpeg_destroy_decompress(&job->cinfo);
    std::fclose(file);
    if (!ok) {
        Fail(error, job->fault, job->errors.message);
        return nullptr;
    }
    return out;
}

bool SaveJpeg(const Surface& image, const std::string& path, int quality, ImageError* error) {
    return SaveJpeg(image, image.bounds(), path, quality, error);
}

std::optional<std::string> EncodeJpeg(const Surface& image, const Rect& area, int quality, ImageError* error) {
    if (area.empty() || !Fits(area.width(), area.height())) {
        Fail(error, ImageFault::CannotWrite, "nothing to save");
        return std::nullopt;
    }
    auto job = std::make_unique<JpegWriteJob>();
    std::memset(&job->cinfo, 0, sizeof job->cinfo);
    InitErrors(job->errors);
    job->cinfo.err = &job->errors.pub;
    const bool ok = EncodeJpeg(*job, image, area, quality < 1 ? 1 : (quality > 100 ? 100 : quality));
    jpeg_destroy_compress(&job->cinfo);
    std::optional<std::string> out;
    if (ok && job->bytes) out.emplace(reinterpret_cast<const char*>(job->bytes), job->size);
    std::free(job->bytes);
    if (!out) Fail(error, ImageFault::CannotWrite, job->errors.message);
    return out;
}

bool SaveJpeg(const Surface& image, const Rect& area, const std::string& path, int quality, ImageError* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        Fail(error, ImageFault::CannotOpen, "cannot create " + path);
        return false;
    }
    const std::optional<std::string> bytes = EncodeJpeg(image, area, quality, error);
    bool ok = bytes && std::fwrite(bytes->data(), 1, bytes->size(), file) == bytes->size();
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) {
        std::remove(path.c_str());
        if (bytes) Fail(error, ImageFault::CannotWrite, "cannot write " + path);
    }
    return ok;
}

namespace {

// libpng allocates a chunk's declared length before it reads the chunk, so a
// few bytes can ask for gigabytes: every chunk must fit in what the file holds.
bool PngChunksFitTheFile(std::istream& in) {
    in.clear();
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    std::streamoff at = 8;  // past the signature
    while (at + 12 <= size) {
        unsigned char head[8];
        in.seekg(at);
        if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
        const std::uint32_t length = (std::uint32_t{head[0]} << 24) | (std::uint32_t{head[1]} << 16) |
                                     (std::uint32_t{head[2]} << 8) | head[3];
        if (length > static_cast<std::uint64_t>(size - at - 12)) return false;
        if (std::memcmp(head + 4, "IEND", 4) == 0) break;
        at += 12 + static_cast<std::streamoff>(length);
    }
    in.clear();
    return true;
}

}  // namespace

std::optional<RgbaImage> LoadPng(const std::string& path, ImageError* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        Fail(error, ImageFault::CannotOpen, "cannot open " + path);
        return std::nullopt;
    }
    png_byte signature[8] = {};
    in.read(reinterpret_cast<char*>(signature), 8);
    if (!in || png_sig_cmp(signature, 0, 8) != 0) {
        Fail(error, ImageFault::WrongFormat, "not a PNG file");
        return std::nullopt;
    }
    if (!PngChunksFitTheFile(in)) {
        Fail(error, ImageFault::BadData, "a chunk is longer than the file");
        return std::nullopt;
    }
    // The header first, so a huge declared size is refused before anything is allocated.
    try {
        in.seekg(0);
        png::reader<std::istream> header(in);
        header.read_info();
        if (!Fits(header.get_width(), header.get_height())) {
            Fail(error, ImageFault::TooLarge, "image too large");
            return std::nullopt;
        }
    } catch (const std::exception& e) {
        Fail(error, ImageFault::BadHeader, e.what());
        return std::nullopt;
    }
    try {
        in.clear();
        in.seekg(0);
        png::image<png::rgba_pixel> image;
        image.read_stream(in);
        RgbaImage out;
        out.width = static_cast<int>(image.get_width());
        out.height = static_cast<int>(image.get_height());
        out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
        for (int y = 0; y < out.height; ++y) {
            for (int x = 0; x < out.width; ++x) {
                png::rgba_pixel p = image.get_pixel(x, y);
                out.at(x, y) = {p.red, p.green, p.blue, p.alpha};
            }
        }
        return out;
    } catch (const std::bad_alloc&) {
        Fail(error, ImageFault::OutOfMemory, "out of memory");
    } catch (const std::exception& e) {
        Fail(error, ImageFault::BadData, e.what());
    }
    return std::nullopt;
}

namespace {

// Like the JPEG side: libpng's errors jump back to WritePngFile, which keeps
// only trivially destructible locals.
struct PngWriteJob {
    std::jmp_buf jump;
    char message[256];
};

void PngWriteError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngWriteJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message);
    std::longjmp(job->jump, 1);
}

void PngWriteWarning(png_structp, png_const_charp) {}

enum class PngRows { RgbFromWords, Rgba };

// Maps are large flat areas: the fastest zlib level with run-length matching
// and no row filter writes several times faster than the defaults for files
// only a little larger.
struct PngRowSource {
    png_bytep (*row)(const void* context, int y);
    const void* context;
};

bool WritePngFile(const char* path, int width, int height, PngRows kind, const PngRowSource& rows,
                  PngWriteJob& job) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::snprintf(job.message, sizeof job.message, "cannot open %s: %s", path, std::strerror(errno));
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, PngWriteError, PngWriteWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        std::snprintf(job.message, sizeof job.message, "out of memory");
        return false;
    }
    if (setjmp(job.jump)) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 kind == PngRows::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    if (kind == PngRows::RgbFromWords) {
        // Surface words are 0x00RRGGBB: in memory B G R 0 on little-endian machines.
        if constexpr (std::endian::native == std::endian::little) {
            png_set_bgr(png);
            png_set_filler(png, 0, PNG_FILLER_AFTER);
        } else {
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        }
    }
    for (int y = 0; y < height; ++y) png_write_row(png, rows.row(rows.context, y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        std::snprintf(job.message, sizeof job.message, "cannot write %s: %s", path, std::strerror(errno));
        return false;
    }
    return true;
}

bool SavePngRows(const std::string& path, int width, int height, PngRows kind, const PngRowSource& rows,
                 ImageError* error) {
    PngWriteJob job{};
    if (WritePngFile(path.c_str(), width, height, kind, rows, job)) return true;
    std::remove(path.c_str());
    Fail(error, ImageFault::CannotWrite, job.message);
    return false;
}

// libpng copies each row before it transforms it, so the rows are only read.
png_bytep Bytes(const void* row) { return static_cast<png_bytep>(const_cast<void*>(row)); }

}  // namespace

bool SavePng(const Surface& image, const std::string& path, ImageError* error) {
    const PngRowSource rows{[](const void* s, int y) { return Bytes(static_cast<const Surface*>(s)->row(y)); },
                            &image};
    return SavePngRows(path, image.width(), image.height(), PngRows::RgbFromWords, rows, error);
}

bool SavePng(const RgbaImage& image, const std::string& path, ImageError* error) {
    if (image.width < 0 || image.height < 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
        Fail(error, ImageFault::CannotWrite, "pixel count does not match the size");
        return false;
    }
    static_assert(sizeof(RgbaPixel) == 4, "RGBA rows are handed to libpng as they are");
    const PngRowSource rows{[](const void* i, int y) { return Bytes(&static_cast<const RgbaImage*>(i)->at(0, y)); },
                            &image};
    return SavePngRows(path, image.width, image.height, PngRows::Rgba, rows, error);
}

bool SavePng(int width, int height, const RgbaRowSource& row, const std::string& path, ImageError* error) {
    if (width < 0 || height < 0) {
        Fail(error, ImageFault::CannotWrite, "negative size");
        return false;
    }
    const PngRowSource rows{[](const void* f, int y) { return Bytes((*static_cast<const RgbaRowSource*>(f))(y)); },
                            &row};
    return SavePngRows(path, width, height, PngRows::Rgba, rows, error);
}

}  // namespace platform::gfx
