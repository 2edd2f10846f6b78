// Arbitrary bytes as an object image: refused (not a PNG, or not an 8-bit
// palette image), or read into an object that writes as a PNG that reads
// back to the same pixels, and that a menu takes in.
#include "core/errors.h"
#include "ig/edit.h"
#include "ig/png.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::IndexedPng png;
    try {
        png = navora::readIndexedPng({data, size}, "fuzz.png");
    } catch (const navora::FormatError&) {
        return 0;
    } catch (const navora::UnsupportedImageError&) {
        return 0;
    }
    // Large pictures from tiny files are valid; the copies below are skipped
    // for them to keep the runs fast.
    if (png.image.pixels.size() > (1u << 20)) return 0;
    navora::TIGSc menu;
    menu.video_width = 1920;
    menu.video_height = 1080;
    try {
        const auto at = navora::importObjectImage(menu, png, std::nullopt, std::nullopt);
        const auto& colours = menu.palettes[at.palette].colours;
        const navora::Bytes again = navora::writeIndexedPng(png.image, colours, "fuzz");
        if (!(navora::readIndexedPng(again, "again.png").image == png.image)) std::abort();
    } catch (const navora::UnsupportedImageError&) {
        // larger than the menu's video size
    }
    return 0;
}
