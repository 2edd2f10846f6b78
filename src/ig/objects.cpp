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

RleDecodeReport rle_decode(TIGSc& m, std::size_t o) {
    if (o >= m.objects.size()) return {};
    TIGobject& obj = m.objects[o];
    // A slot no ODS defined stays without a picture (and so undefined).
    if (obj.fragments.empty() || obj.width > kMaxObjectSide || obj.height > kMaxObjectSide) return {};
    auto picture = std::make_shared<IndexedImage>(obj.width, obj.height);
    RleDecodeReport report;
    // The usual object lies in one fragment: decode it in place.
    if (obj.fragments.size() == 1) {
        auto part = fragmentBytes(m, obj.fragments.front());
        report = rleDecodeInto(part.first(std::min<std::size_t>(part.size(), obj.object_data_length)), *picture);
    } else {
        report = rleDecodeInto(objectCodedBytes(m, o), *picture);
    }
    obj.picture = std::move(picture);
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

const TObjectCache::Entry* TObjectCache::find(const TIGSc& m, std::size_t o, std::size_t p) const {
    if (o >= entries_.size() || p >= entries_[o].size() || o >= m.objects.size()) return nullptr;
    const Entry& e = entries_[o][p];
    if (!e.picture || e.source != m.objects[o].picture) return nullptr;
    if (p < m.palettes.size() ? e.colours != m.palettes[p].colours : e.colours != TRGBApalettes{}) return nullptr;
    return &e;
}

bool TObjectCache::holds(const TIGSc& m, std::size_t o, std::size_t p) const { return find(m, o, p) != nullptr; }

std::shared_ptr<const RgbaImage> TObjectCache::Obj2Pic(TIGSc& m, std::size_t o, std::size_t p) {
    if (o >= m.objects.size()) return nullptr;
    if (const Entry* e = find(m, o, p)) return e->picture;
    if (!m.objects[o].picture) rle_decode(m, o);
    if (!m.objects[o].picture) return nullptr;
    if (entries_.size() <= o) entries_.resize(o + 1);
    if (entries_[o].size() <= p) entries_[o].resize(p + 1);
    Entry& e = entries_[o][p];
    e.source = m.objects[o].picture;
    e.colours = id2pal(m, p);
    e.picture = std::make_shared<const RgbaImage>(toRgba(*e.source, e.colours));
    return e.picture;
}

RgbaImage TObjectCache::Obj2PicCr(TIGSc& m, std::size_t o, std::size_t p, int left, int top, int right,
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

void TObjectCache::LoadBmps(TIGSc& m, std::size_t page) {
    forEachPageObject(m, page, [&](std::size_t id, std::size_t palette) {
        if (!holds(m, id, palette)) Obj2Pic(m, id, palette);
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
