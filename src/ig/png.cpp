#include "ig/png.h"

#include "core/errors.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace navora {

namespace {

// libpng reports errors by a long jump back to the setjmp of the function
// that called it. The functions holding a setjmp below keep only trivially
// destructible locals, so that jump skips no destructor; everything with a
// destructor lives in their callers.

// The largest ancillary chunk the reader takes into memory.
constexpr png_alloc_size_t kMaxChunkBytes = 4u << 20;

struct PngReadContext {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    char error[256] = {};
};

void onError(png_structp png, png_const_charp message) {
    auto* error = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(error, 256, "%s", message ? message : "PNG error");
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep out, std::size_t n) {
    auto* ctx = static_cast<PngReadContext*>(png_get_io_ptr(png));
    if (ctx->size - ctx->pos < n) png_error(png, "the PNG data ends early");
    std::memcpy(out, ctx->data + ctx->pos, n);
    ctx->pos += n;
}

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    int passes = 1;
};

bool readHeader(PngReadContext* ctx, PngHeader* h) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_read_info(ctx->png, ctx->info);
    png_get_IHDR(ctx->png, ctx->info, &h->width, &h->height, &h->bitDepth, &h->colourType, &h->interlace, nullptr,
                 nullptr);
    return true;
}

// The picture grows row by row as rows decode, so that a small file that
// only claims a large picture makes no large allocation. An interlaced
// image needs the whole picture for its passes. The vector belongs to the
// caller: a long jump out of this frame skips no destructor.
bool readRows(PngReadContext* ctx, PngHeader* h, std::vector<std::uint8_t>* pixels) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    h->passes = png_set_interlace_handling(ctx->png);
    png_read_update_info(ctx->png, ctx->info);
    const std::size_t w = h->width;
    if (h->passes > 1) pixels->assign(w * h->height, 0);
    for (int pass = 0; pass < h->passes; ++pass)
        for (png_uint_32 y = 0; y < h->height; ++y) {
            if (h->passes == 1) pixels->resize((std::size_t{y} + 1) * w);
            png_read_row(ctx->png, pixels->data() + std::size_t{y} * w, nullptr);
        }
    png_read_end(ctx->png, nullptr);
    return true;
}

class ReadGuard {
public:
    explicit ReadGuard(PngReadContext& ctx) : ctx_(ctx) {}
    ~ReadGuard() { png_destroy_read_struct(&ctx_.png, ctx_.info ? &ctx_.info : nullptr, nullptr); }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

private:
    PngReadContext& ctx_;
};

struct PngWriteContext {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Bytes* out = nullptr;
    char error[256] = {};
};

void writeToMemory(png_structp png, png_bytep data, std::size_t n) {
    auto* ctx = static_cast<PngWriteContext*>(png_get_io_ptr(png));
    bool ok = true;
    try {
        ctx->out->insert(ctx->out->end(), data, data + n);
    } catch (...) {
        ok = false;
    }
    if (!ok) png_error(png, "out of memory writing the PNG");
}

void flushMemory(png_structp) {}

struct PngPicture {
    const std::uint8_t* pixels = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    png_color plte[256] = {};
    png_byte trns[256] = {};
    png_text text = {};
};

bool writeAll(PngWriteContext* ctx, PngPicture* pic) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_set_IHDR(ctx->png, ctx->info, pic->width, pic->height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(ctx->png, ctx->info, pic->plte, 256);
    png_set_tRNS(ctx->png, ctx->info, pic->trns, 256, nullptr);
    png_set_text(ctx->png, ctx->info, &pic->text, 1);
    png_write_info(ctx->png, ctx->info);
    for (png_uint_32 y = 0; y < pic->height; ++y)
        png_write_row(ctx->png, pic->pixels + std::size_t{y} * pic->width);
    png_write_end(ctx->png, ctx->info);
    return true;
}

}  // namespace

IndexedPng readIndexedPng(std::span<const std::uint8_t> data, const std::string& name) {
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) throw FormatError(name, 0, "not a PNG image");
    PngReadContext ctx;
    ctx.data = data.data();
    ctx.size = data.size();
    ctx.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, ctx.error, onError, onWarning);
    if (!ctx.png) throw std::bad_alloc();
    ReadGuard guard(ctx);
    ctx.info = png_create_info_struct(ctx.png);
    if (!ctx.info) throw std::bad_alloc();
    png_set_read_fn(ctx.png, &ctx, readFromMemory);
    // Only IHDR, PLTE, tRNS, IDAT and IEND matter here. Every other chunk is
    // skipped unread, so that no declared chunk length (a text or a profile
    // is otherwise taken into memory whole) sizes an allocation.
    png_set_keep_unknown_chunks(ctx.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_malloc_max(ctx.png, kMaxChunkBytes);

    PngHeader h;
    if (!readHeader(&ctx, &h)) throw FormatError(name, ctx.pos, ctx.error);
    if (h.colourType != PNG_COLOR_TYPE_PALETTE || h.bitDepth != 8 || h.width > kMaxObjectSide ||
        h.height > kMaxObjectSide)
        throw UnsupportedImageError();

    IndexedPng result;
    result.image.width = static_cast<std::uint16_t>(h.width);
    result.image.height = static_cast<std::uint16_t>(h.height);
    if (!readRows(&ctx, &h, &result.image.pixels)) throw FormatError(name, ctx.pos, ctx.error);

    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(ctx.png, ctx.info, &plte, &count) & PNG_INFO_PLTE)
        for (int i = 0; i < count; ++i) result.palette.push_back({plte[i].red, plte[i].green, plte[i].blue});
    png_bytep trns = nullptr;
    int trnsCount = 0;
    if (png_get_tRNS(ctx.png, ctx.info, &trns, &trnsCount, nullptr) & PNG_INFO_tRNS)
        result.transparency.assign(trns, trns + trnsCount);
    return result;
}

Bytes writeIndexedPng(const IndexedImage& picture, const TRGBApalettes& colours, const std::string& software) {
    Bytes out;
    PngWriteContext ctx;
    ctx.out = &out;
    ctx.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, ctx.error, onError, onWarning);
    if (!ctx.png) throw std::bad_alloc();
    ctx.info = png_create_info_struct(ctx.png);
    struct Guard {
        PngWriteContext& c;
        ~Guard() { png_destroy_write_struct(&c.png, c.info ? &c.info : nullptr); }
    } guard{ctx};
    if (!ctx.info) throw std::bad_alloc();
    png_set_write_fn(ctx.png, &ctx, writeToMemory, flushMemory);

    PngPicture pic;
    pic.pixels = picture.pixels.data();
    pic.width = picture.width;
    pic.height = picture.height;
    for (std::size_t i = 0; i < 256; ++i) {
        pic.plte[i] = {colours[i].R, colours[i].G, colours[i].B};
        pic.trns[i] = colours[i].T;
    }
    std::string key = "Software";
    std::string text = software;
    pic.text.compression = PNG_TEXT_COMPRESSION_NONE;
    pic.text.key = key.data();
    pic.text.text = text.data();
    pic.text.text_length = text.size();
    if (!writeAll(&ctx, &pic)) throw std::runtime_error(std::string("cannot write the PNG image: ") + ctx.error);
    return out;
}

}  // namespace navora
