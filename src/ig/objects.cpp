#include "ig/objects.h"

#include "ig/load.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace navora {

namespace {

// The fragment's bytes inside the resource store (cut to the store).
std::span<const std::uint8_t> fragmentBytes(const TIGSc& m, const TIGfragment& f) {
    if (!m.resource) return {};
    const Bytes& res = *m.resource;
    const std::size_t start = std::min<std::size_t>(f.position, res.size());
    const std::size_t length = std::min<std::size_t>(f.length, res.size() - start);
    return {res.data() + start, length};
}

}  // namespace

Bytes objectCodedBytes(const TIGSc& m, std::size_t o) {
    Bytes coded;
    if (o >= m.objects.size()) return coded;
    const TIGobject& obj = m.objects[o];
    for (const TIGfragment& f : obj.fragments) {
        const auto part = fragmentBytes(m, f);
        const std::size_t take = std::min<std::size_t>(part.size(), obj.object_data_length - coded.size());
        coded.insert(coded.end(), part.begin(), part.begin() + static_cast<std::ptrdiff_t>(take));
        if (coded.size() >= obj.object_data_length) break;
    }
    return coded;
}

std::shared_ptr<IndexedImage> decodeObject(const TIGSc& m, std::size_t o, RleDecodeReport* reportOut) {
    if (o >= m.objects.size()) return nullptr;
    const TIGobject& obj = m.objects[o];
    // A slot no ODS defined stays without a picture (and so undefined).
    if (obj.fragments.empty() || obj.width > kMaxObjectSide || obj.height > kMaxObjectSide) return nullptr;
    auto picture = std::make_shared<IndexedImage>(obj.width, obj.height);
    RleDecodeReport report;
    // The usual object lies in one fragment: decode it in place.
    if (obj.fragments.size() == 1) {
        auto part = fragmentBytes(m, obj.fragments.front());
        report = rleDecodeInto(part.first(std::min<std::size_t>(part.size(), obj.object_data_length)), *picture);
    } else {
        report = rleDecodeInto(objectCodedBytes(m, o), *picture);
    }
    if (reportOut) *reportOut = report;
    return picture;
}

RleDecodeReport rle_decode(TIGSc& m, std::size_t o) {
    RleDecodeReport report;
    if (auto picture = decodeObject(m, o, &report)) m.objects[o].picture = std::move(picture);
    return report;
}

void decodeAllObjects(TIGSc& m) {
    for (std::size_t o = 0; o < m.objects.size(); ++o)
        if (!m.objects[o].picture && !m.objects[o].fragments.empty()) rle_decode(m, o);
}

TRGBApalettes id2pal(const TIGSc& m, std::size_t p) {
    if (p >= m.palettes.size()) return TRGBApalettes{};
    return m.palettes[p].colours;
}

RgbaImage toRgba(const IndexedImage& picture, const TRGBApalettes& colours) {
    RgbaImage out;
    out.width = picture.width;
    out.height = picture.height;
    out.rgba.resize(picture.pixels.size() * 4);
    std::uint32_t lut[256];
    for (std::size_t i = 0; i < 256; ++i) std::memcpy(&lut[i], &colours[i], 4);
    std::uint8_t* dst = out.rgba.data();
    for (const std::uint8_t index : picture.pixels) {
        std::memcpy(dst, &lut[index], 4);
        dst += 4;
    }
    return out;
}

TObjectCache::Order::iterator TObjectCache::find(std::size_t o, std::size_t p) {
    const auto it = index_.find({o, p});
    return it == index_.end() ? order_.end() : it->second;
}

TObjectCache::Order::const_iterator TObjectCache::find(std::size_t o, std::size_t p) const {
    const auto it = index_.find({o, p});
    return it == index_.end() ? order_.cend() : Order::const_iterator(it->second);
}

bool TObjectCache::valid(const TIGSc& m, const Entry& e) const {
    if (e.object >= m.objects.size()) return false;
    const TIGobject& obj = m.objects[e.object];
    if (e.palette != kIndexed && e.colours != id2pal(m, e.palette)) return false;
    // A picture the model holds is the object's picture; else the entry must
    // have been decoded from the object's current data.
    if (obj.picture) return e.palette != kIndexed && e.source == obj.picture;
    return !e.fromModel && e.from == decodedFrom(m, obj);
}

TObjectCache::DecodedFrom TObjectCache::decodedFrom(const TIGSc& m, const TIGobject& obj) {
    return {m.resource, obj.fragments, obj.object_data_length, obj.width, obj.height};
}

void TObjectCache::drop(Order::iterator it) {
    held_ -= it->bytes;
    index_.erase({it->object, it->palette});
    order_.erase(it);
}

void TObjectCache::trim(std::size_t room) {
    while (!order_.empty() && held_ + room > budget_) drop(std::prev(order_.end()));
}

void TObjectCache::keep(Entry e) {
    if (const auto old = find(e.object, e.palette); old != order_.end()) drop(old);
    if (e.bytes > budget_) return;
    trim(e.bytes);
    held_ += e.bytes;
    order_.push_front(std::move(e));
    index_[{order_.front().object, order_.front().palette}] = order_.begin();
}

void TObjectCache::setBudget(std::size_t bytes) {
    budget_ = bytes;
    trim(0);
}

void TObjectCache::clear() {
    order_.clear();
    index_.clear();
    held_ = 0;
}

std::shared_ptr<const IndexedImage> TObjectCache::indexed(const TIGSc& m, std::size_t o) {
    if (o >= m.objects.size()) return nullptr;
    const TIGobject& obj = m.objects[o];
    if (obj.picture) return obj.picture;
    if (obj.fragments.empty() || obj.width == 0 || obj.height == 0 || obj.width > kMaxObjectSide ||
        obj.height > kMaxObjectSide)
        return nullptr;
    if (const auto it = find(o, kIndexed); it != order_.end()) {
        if (valid(m, *it)) {
            order_.splice(order_.begin(), order_, it);
            return it->indexed;
        }
        drop(it);
    }
    auto picture = std::make_shared<IndexedImage>(obj.width, obj.height);
    rleDecodeInto(objectCodedBytes(m, o), *picture);
    Entry e;
    e.object = o;
    e.palette = kIndexed;
    e.bytes = picture->pixels.size();
    e.from = decodedFrom(m, obj);
    e.indexed = picture;
    keep(std::move(e));
    return picture;
}

std::shared_ptr<const RgbaImage> TObjectCache::Obj2Pic(const TIGSc& m, std::size_t o, std::size_t p) {
    // Palette ids are 8 bits: an index beyond them and the menu's palettes is
    // all transparent and not worth keeping.
    if (p >= std::max<std::size_t>(256, m.palettes.size())) {
        const auto source = indexed(m, o);
        return source ? std::make_shared<const RgbaImage>(toRgba(*source, TRGBApalettes{})) : nullptr;
    }
    if (const auto it = find(o, p); it != order_.end()) {
        if (valid(m, *it)) {
            order_.splice(order_.begin(), order_, it);
            return it->picture;
        }
        drop(it);
    }
    const auto source = indexed(m, o);
    if (!source) return nullptr;
    const TIGobject& obj = m.objects[o];
    Entry e;
    e.object = o;
    e.palette = p;
    // The source lives as long as the display picture: it counts here too.
    e.bytes = source->pixels.size() * 5;
    e.fromModel = obj.picture == source;
    if (!e.fromModel) e.from = decodedFrom(m, obj);
    e.source = source;
    e.colours = id2pal(m, p);
    e.picture = std::make_shared<const RgbaImage>(toRgba(*source, e.colours));
    auto picture = e.picture;
    keep(std::move(e));
    return picture;
}

RgbaImage TObjectCache::Obj2PicCr(const TIGSc& m, std::size_t o, std::size_t p, int left, int top, int right,
                                  int bottom) {
    RgbaImage out;
    out.width = std::max(0, right - left);
    out.height = std::max(0, bottom - top);
    out.rgba.assign(std::size_t(out.width) * out.height * 4, 0);
    const auto full = Obj2Pic(m, o, p);
    if (!full) return out;
    const int x0 = std::max(left, 0);
    const int x1 = std::min(right, full->width);
    for (int y = std::max(top, 0); y < std::min(bottom, full->height); ++y) {
        if (x0 >= x1) break;
        std::memcpy(&out.rgba[(std::size_t(y - top) * out.width + (x0 - left)) * 4],
                    &full->rgba[(std::size_t(y) * full->width + x0) * 4], std::size_t(x1 - x0) * 4);
    }
    return out;
}

bool TObjectCache::holds(const TIGSc& m, std::size_t o, std::size_t p) const {
    const auto it = find(o, p);
    return it != order_.end() && valid(m, *it);
}

std::size_t TObjectCache::cost(const TIGSc& m, std::size_t o) const {
    const TIGobject& obj = m.objects[o];
    const std::size_t pixels = std::size_t{obj.width} * obj.height;
    return pixels * 5;
}

void TObjectCache::LoadBmps(const TIGSc& m, std::size_t page) {
    // Preloading never pushes out what is held: it stops where the budget ends.
    bool full = false;
    forEachPageObject(m, page, [&](std::size_t id, std::size_t palette) {
        if (full || holds(m, id, palette)) return;
        if (held_ + cost(m, id) > budget_) {
            full = true;
            return;
        }
        Obj2Pic(m, id, palette);
    });
}

namespace {

bool effectsUseObject(const Teffectseq& seq, std::size_t o) {
    for (const Teffect& e : seq.effects)
        for (const TCompObject& c : e.composition_objects)
            if (c.object_id_ref == o) return true;
    return false;
}

bool effectsUsePalette(const Teffectseq& seq, std::size_t p) {
    return std::any_of(seq.effects.begin(), seq.effects.end(),
                       [p](const Teffect& e) { return e.palette_id_ref == p; });
}

bool inRange(std::size_t o, std::uint16_t start, std::uint16_t end) { return start <= o && o <= end; }

}  // namespace

std::string getobjref(const TIGSc& m, std::size_t o) {
    std::string text;
    for (std::size_t n = 0; n < m.pages.size(); ++n) {
        const TPage& page = m.pages[n];
        std::string letters;
        if (effectsUseObject(page.effects[InEffects], o)) letters += 'i';
        if (effectsUseObject(page.effects[OutEffects], o)) letters += 'o';
        if (!letters.empty()) text += std::to_string(n) + letters + ' ';
        std::string buttons;
        const auto& slots = n < m.page_buttons.size() ? m.page_buttons[n].byId : std::vector<TButtonSlot>{};
        for (std::size_t k = 0; k < slots.size(); ++k) {
            // A slot without a button uses no object.
            const TIGbutton* b = buttonById(m, n, static_cast<std::uint16_t>(k));
            if (!b) continue;
            std::string s;
            if (inRange(o, b->normal_start_object_id_ref, b->normal_end_object_id_ref)) s += std::to_string(k) + 'n';
            if (inRange(o, b->selected_start_object_id_ref, b->selected_end_object_id_ref)) {
                if (s.empty()) s += std::to_string(k);
                s += 's';
            }
            if (inRange(o, b->activated_start_object_id_ref, b->activated_end_object_id_ref)) {
                if (s.empty()) s += std::to_string(k);
                s += 'a';
            }
            if (!s.empty()) buttons += s + ',';
        }
        if (!buttons.empty()) {
            buttons.pop_back();
            text += std::to_string(n) + ':' + buttons + ' ';
        }
    }
    if (!text.empty()) text.pop_back();
    return text;
}

std::string getpalref(const TIGSc& m, std::size_t p) {
    std::string text;
    for (std::size_t n = 0; n < m.pages.size(); ++n) {
        const TPage& page = m.pages[n];
        std::string letters;
        if (effectsUsePalette(page.effects[InEffects], p)) letters += 'i';
        if (effectsUsePalette(page.effects[OutEffects], p)) letters += 'o';
        if (!letters.empty()) text += std::to_string(n) + letters + ' ';
        if (page.palette_id_ref == p) text += std::to_string(n) + ' ';
    }
    return text;
}

std::optional<std::size_t> paletteForObject(const TIGSc& m, std::size_t o) {
    const std::string ref = getobjref(m, o);
    std::size_t i = 0;
    std::size_t page = 0;
    while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9') page = page * 10 + std::size_t(ref[i++] - '0');
    if (i == 0 || i >= ref.size() || page >= m.pages.size()) return std::nullopt;
    const TPage& pg = m.pages[page];
    switch (ref[i]) {
    case ':': return pg.palette_id_ref;
    case 'i':
        if (!pg.effects[InEffects].effects.empty()) return pg.effects[InEffects].effects.back().palette_id_ref;
        break;
    case 'o':
        if (!pg.effects[OutEffects].effects.empty()) return pg.effects[OutEffects].effects.front().palette_id_ref;
        break;
    }
    return std::nullopt;
}

std::vector<std::pair<std::size_t, std::size_t>> shownWithOtherColours(TIGSc& m, std::size_t o, std::size_t p) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    if (o >= m.objects.size()) return out;
    if (!m.objects[o].picture) rle_decode(m, o);
    if (!m.objects[o].picture) return out;
    std::array<bool, 256> used{};
    for (const std::uint8_t i : m.objects[o].picture->pixels) used[i] = true;
    const TRGBApalettes mine = id2pal(m, p);
    for (std::size_t page = 0; page < m.pages.size(); ++page)
        forEachPageObject(m, page, [&](std::size_t id, std::size_t palette) {
            if (id != o || palette == p) return;
            if (std::find(out.begin(), out.end(), std::pair{page, palette}) != out.end()) return;
            const TRGBApalettes theirs = id2pal(m, palette);
            for (std::size_t i = 0; i < 256; ++i)
                if (used[i] && theirs[i] != mine[i]) {
                    out.emplace_back(page, palette);
                    return;
                }
        });
    return out;
}

void setPaletteEntryRgb(TIGpalette& palette, std::uint8_t entry, TRGBA colour, ColourMatrix matrix) {
    palette.colours[entry] = colour;
    palette.entries[entry] = rgb2ycrcb(colour.R, colour.G, colour.B, matrix);
}

void setPaletteEntryYCrCb(TIGpalette& palette, std::uint8_t entry, TYCrCb value, std::uint8_t T,
                          ColourMatrix matrix) {
    palette.entries[entry] = value;
    palette.colours[entry] = ycrcb2rgb(value.Y, value.Cr, value.Cb, T, matrix);
}

}  // namespace navora
