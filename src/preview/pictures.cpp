#include "preview/pictures.h"

#include <algorithm>
#include <cstring>

namespace navora {

std::shared_ptr<const RgbaImage> PictureCache::cropped(const TIGSc& m, std::size_t o, std::size_t p, int left,
                                                       int top, int width, int height) {
    const auto full = picture(m, o, p);
    if (!full) return nullptr;
    // Only the part of the rectangle inside the object has pixels.
    left = std::max(left, 0);
    top = std::max(top, 0);
    auto out = std::make_shared<RgbaImage>();
    out->width = std::clamp(std::min(width, full->width - left), 0, full->width);
    out->height = std::clamp(std::min(height, full->height - top), 0, full->height);
    out->rgba.resize(static_cast<std::size_t>(out->width) * static_cast<std::size_t>(out->height) * 4);
    // A rectangle that starts right of the object has no pixels in any row:
    // nothing to copy (and no row of the object to address).
    if (out->width == 0) return out;
    for (int y = 0; y < out->height; ++y)
        std::memcpy(&out->rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(out->width) * 4],
                    &full->rgba[(static_cast<std::size_t>(y + top) * static_cast<std::size_t>(full->width) +
                                 static_cast<std::size_t>(left)) * 4],
                    static_cast<std::size_t>(out->width) * 4);
    return out;
}

}  // namespace navora
