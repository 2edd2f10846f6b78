#pragma once
// Engine-owned pixel buffers of the menu graphics: the 8-bit indexed object
// picture and the RGBA display picture built from it with one palette.

#include <cstdint>
#include <vector>

namespace navora {

// One palette index per pixel, rows top to bottom, no padding.
struct IndexedImage {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::uint8_t> pixels;  // width * height

    IndexedImage() = default;
    IndexedImage(std::uint16_t w, std::uint16_t h) : width(w), height(h), pixels(std::size_t{w} * h, 0) {}
    std::uint8_t* row(std::size_t y) { return pixels.data() + y * width; }
    const std::uint8_t* row(std::size_t y) const { return pixels.data() + y * width; }
    bool operator==(const IndexedImage&) const = default;
};

// Red, green, blue and alpha bytes per pixel in that order (not premultiplied),
// rows top to bottom, no padding: the layout of an RGBA8888 image.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // 4 * width * height

    bool operator==(const RgbaImage&) const = default;
};

}  // namespace navora
