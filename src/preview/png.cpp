#include "preview/png.h"

#include "core/errors.h"

#include <png.h>

#include <fmt/format.h>

#include <stdexcept>

namespace navora {

namespace {

// Frees the image's read or write state whatever happens.
struct ImageGuard {
    png_image* image;
    ~ImageGuard() { png_image_free(image); }
};

}  // namespace

RgbaImage readPngRgba(std::span<const std::uint8_t> data, const std::string& name) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ImageGuard guard{&image};
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
        throw FormatError(name, 0, fmt::format("not a readable PNG: {}", image.message));
    if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide || image.height > kMaxPictureSide)
        throw FormatError(name, 16, fmt::format("a PNG of {}x{} pixels: pictures up to {}x{} are read", image.width,
                                                image.height, kMaxPictureSide, kMaxPictureSide));
    image.format = PNG_FORMAT_RGBA;
    RgbaImage pic;
    pic.width = static_cast<int>(image.width);
    pic.height = static_cast<int>(image.height);
    pic.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pic.rgba.data(), 0, nullptr))
        throw FormatError(name, 0, fmt::format("not a readable PNG: {}", image.message));
    return pic;
}

namespace {

Bytes writePng(const RgbaImage& picture, const std::uint8_t* pixels, png_uint_32 format) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = format;
    ImageGuard guard{&image};
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr))
        throw std::runtime_error(fmt::format("PNG writer: {}", image.message));
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr))
        throw std::runtime_error(fmt::format("PNG writer: {}", image.message));
    out.resize(size);
    return out;
}

}  // namespace

Bytes writePngRgb(const RgbaImage& picture) {
    Bytes rgb(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3);
    for (std::size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
        rgb[j] = picture.rgba[i];
        rgb[j + 1] = picture.rgba[i + 1];
        rgb[j + 2] = picture.rgba[i + 2];
    }
    return writePng(picture, rgb.data(), PNG_FORMAT_RGB);
}

Bytes writePngRgba(const RgbaImage& picture) { return writePng(picture, picture.rgba.data(), PNG_FORMAT_RGBA); }

}  // namespace navora
