#pragma once
// The display pictures of a menu's objects for the preview: the bounded,
// least-recently-used picture cache of the menu objects (TObjectCache), with
// the calls the renderer and the object views make. The preview only reads
// the menu: an object without a decoded picture is decoded into the cache,
// not into the model, and only when it is drawn.

#include "ig/model.h"
#include "ig/objects.h"

#include <cstddef>
#include <memory>

namespace navora {

class PictureCache : public TObjectCache {
public:
    using TObjectCache::TObjectCache;

    // The display picture of object o with palette p (all transparent colours
    // for a palette the menu does not have); nullptr when o is no object, has
    // no data, or is larger than kMaxObjectSide.
    std::shared_ptr<const RgbaImage> picture(const TIGSc& menu, std::size_t o, std::size_t p) {
        return Obj2Pic(menu, o, p);
    }
    // The part of that picture inside the rectangle (left, top, width,
    // height), cut to the object (the rest of the rectangle has no pixels).
    // nullptr as above.
    std::shared_ptr<const RgbaImage> cropped(const TIGSc& menu, std::size_t o, std::size_t p, int left, int top,
                                             int width, int height);
    // Makes the pictures page `page` shows (each state of every button with
    // the page's palette, each composition object with its effect's palette),
    // as far as the cache's budget allows.
    void preload(const TIGSc& menu, std::size_t page) { LoadBmps(menu, page); }
};

}  // namespace navora
