#pragma once
// The display pictures of a menu's objects for the preview, made from a
// menu the preview only reads: an object without a decoded picture is decoded
// into the cache, not into the model. Each entry remembers what it was made
// from (the object's picture or coded data, the palette's display colours),
// so an edit or an undo of the model never leaves a stale picture behind.

#include "ig/model.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace navora {

class PictureCache {
public:
    // The display picture of object o with palette p (all transparent colours
    // for a palette the menu does not have); nullptr when o is no object, has
    // no data, or is larger than kMaxObjectSide.
    std::shared_ptr<const RgbaImage> picture(const TIGSc& menu, std::size_t o, std::size_t p);
    // The part of that picture inside the rectangle (left, top, width,
    // height), cut to the object (the rest of the rectangle has no pixels).
    // nullptr as above.
    std::shared_ptr<const RgbaImage> cropped(const TIGSc& menu, std::size_t o, std::size_t p, int left, int top,
                                             int width, int height);
    // The object's 8-bit picture (decoded into the cache when the model has none).
    std::shared_ptr<const IndexedImage> indexed(const TIGSc& menu, std::size_t o);
    // Makes every picture page `page` shows (each state of every button with
    // the page's palette, each composition object with its effect's palette).
    void preload(const TIGSc& menu, std::size_t page);
    void clear();

private:
    struct Decoded {
        std::shared_ptr<const Bytes> resource;
        std::vector<TIGfragment> fragments;
        std::uint32_t length = 0;
        std::uint16_t width = 0, height = 0;
        std::shared_ptr<const IndexedImage> picture;
    };
    struct Converted {
        std::shared_ptr<const IndexedImage> source;
        TRGBApalettes colours{};
        std::shared_ptr<const RgbaImage> picture;
    };
    std::vector<Decoded> decoded_;                  // [object]
    std::vector<std::vector<Converted>> converted_;  // [object][palette]
};

}  // namespace navora
