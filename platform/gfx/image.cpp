#include "platform/gfx/image.h"

// libjpeg's header needs FILE and size_t declared first.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csetjmp>
#include <fstream>
#include <vector>

#include <jpeglib.h>
#include <png.h>

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

template <class Image>
bool WritePng(Image& image, const std::string& path, ImageError* error) {
    try {
        image.write(path);
        return true;
    } catch (const std::exception& e) {
        std::remove(path.c_str());
        Fail(error, ImageFault::CannotWrite, e.what());
    }
    return false;
}

}  // namespace

bool SavePng(const Surface& image, const std::string& path, ImageError* error) {
    try {
        png::image<png::rgb_pixel> out(image.width(), image.height());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                Color c = image.At(x, y);
                out.set_pixel(x, y, png::rgb_pixel(c.red(), c.green(), c.blue()));
            }
        }
        return WritePng(out, path, error);
    } catch (const std::exception& e) {
        Fail(error, ImageFault::OutOfMemory, e.what());
    }
    return false;
}

bool SavePng(const RgbaImage& image, const std::string& path, ImageError* error) {
    if (image.width < 0 || image.height < 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
        Fail(error, ImageFault::CannotWrite, "pixel count does not match the size");
        return false;
    }
    try {
        png::image<png::rgba_pixel> out(image.width, image.height);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const RgbaPixel& p = image.at(x, y);
                out.set_pixel(x, y, png::rgba_pixel(p.r, p.g, p.b, p.a));
            }
        }
        return WritePng(out, path, error);
    } catch (const std::exception& e) {
        Fail(error, ImageFault::OutOfMemory, e.what());
    }
    return false;
}

}  // namespace platform::gfx
