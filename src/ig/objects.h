#pragma once
// Objects and palettes of a menu: decoding an object's run-length data into
// its picture, converting a picture with a palette into a display picture
// (through a cache), and the reference texts that tell where an object or a
// palette is used.

#include "ig/model.h"
#include "ig/rle.h"

#include <algorithm>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace navora {

// The object's run-length bytes: the data of its fragments in order, at most
// object_data_length bytes in all. Empty for an object without fragments.
Bytes objectCodedBytes(const TIGSc& menu, std::size_t object);

// Decodes object `object` into a new picture held by the object (replacing
// any it had). A slot without fragments (no ODS defined it), an object above
// kMaxObjectSide or an index beyond the objects gets no picture.
RleDecodeReport rle_decode(TIGSc& menu, std::size_t object);
// The picture rle_decode would give the object, leaving the menu as it is;
// nullptr where rle_decode gives none.
std::shared_ptr<IndexedImage> decodeObject(const TIGSc& menu, std::size_t object, RleDecodeReport* report = nullptr);
// Decodes every defined object that has no picture yet.
void decodeAllObjects(TIGSc& menu);

// The 256 display colours of palette p; all 0 (transparent) when there is no
// such palette.
TRGBApalettes id2pal(const TIGSc& menu, std::size_t p);

// A picture converted with display colours, pixel by pixel.
RgbaImage toRgba(const IndexedImage& picture, const TRGBApalettes& colours);

// Calls use(object, palette) for everything page `page` shows: each state's
// objects of every button with the page's palette, each composition object of
// its in and out effects with the effect's palette. Object ids that are no
// object of the menu are left out.
template <class Use>
void forEachPageObject(const TIGSc& menu, std::size_t page, Use&& use) {
    if (page >= menu.pages.size() || menu.objects.empty()) return;
    const TPage& pg = menu.pages[page];
    const auto range = [&](std::uint16_t start, std::uint16_t end, std::size_t palette) {
        const std::size_t last = std::min<std::size_t>(end, menu.objects.size() - 1);
        for (std::size_t id = start; id <= last; ++id) use(id, palette);
    };
    for (const TBOG& bog : pg.BOGs)
        for (const TIGbutton& b : bog.buttons) {
            range(b.normal_start_object_id_ref, b.normal_end_object_id_ref, pg.palette_id_ref);
            range(b.selected_start_object_id_ref, b.selected_end_object_id_ref, pg.palette_id_ref);
            range(b.activated_start_object_id_ref, b.activated_end_object_id_ref, pg.palette_id_ref);
        }
    for (const Teffectseq& seq : pg.effects)
        for (const Teffect& e : seq.effects)
            for (const TCompObject& c : e.composition_objects)
                if (c.object_id_ref < menu.objects.size()) use(std::size_t{c.object_id_ref}, std::size_t{e.palette_id_ref});
}

// The pictures of a menu's objects: the 8-bit picture of each object the
// model holds undecoded, and the display picture of each (object, palette)
// pair, made on first use and kept for the next. The cache only reads the
// menu: an object is decoded into the cache, never into the model.
//
// Memory is bounded: the pictures held take at most budget() bytes (256 MB
// by default); when a new one does not fit, the least recently used ones are
// dropped. A single picture larger than the budget is made and returned but
// not kept. Each entry remembers what it was made from (the object's coded
// data or picture, the palette's display colours), so an edit or an undo of
// the model never leaves a stale picture behind and nothing has to be told
// about edits.
inline constexpr std::size_t kPictureCacheBytes = std::size_t{256} << 20;

class TObjectCache {
public:
    explicit TObjectCache(std::size_t budget = kPictureCacheBytes) : budget_(budget) {}

    // The object's 8-bit picture: the model's when it has one, else decoded
    // from its coded data; nullptr when o is no object, has no data or no
    // pixels, or is larger than kMaxObjectSide.
    std::shared_ptr<const IndexedImage> indexed(const TIGSc& menu, std::size_t o);
    // The display picture of object o with palette p (all transparent for a
    // palette the menu does not have); nullptr as for indexed.
    std::shared_ptr<const RgbaImage> Obj2Pic(const TIGSc& menu, std::size_t o, std::size_t p);
    // The part of that picture inside (left, top)-(right, bottom); pixels of
    // the rectangle outside the object are transparent.
    RgbaImage Obj2PicCr(const TIGSc& menu, std::size_t o, std::size_t p, int left, int top, int right, int bottom);
    // Converts everything page `page` shows (forEachPageObject) ahead of
    // drawing, as long as it fits the budget beside what is held.
    void LoadBmps(const TIGSc& menu, std::size_t page);
    // Whether a valid display picture of (o, p) is held.
    bool holds(const TIGSc& menu, std::size_t o, std::size_t p) const;
    void clear();

    std::size_t budget() const { return budget_; }
    // A new budget; pictures beyond it are dropped at once.
    void setBudget(std::size_t bytes);
    // The bytes of the pictures held.
    std::size_t heldBytes() const { return held_; }

private:
    // The palette slot of an object's 8-bit picture.
    static constexpr std::size_t kIndexed = static_cast<std::size_t>(-1);
    // What a picture was decoded from: the object's coded data and size.
    struct DecodedFrom {
        std::shared_ptr<const Bytes> resource;
        std::vector<TIGfragment> fragments;
        std::uint32_t length = 0;
        std::uint16_t width = 0, height = 0;

        bool operator==(const DecodedFrom&) const = default;
    };
    static DecodedFrom decodedFrom(const TIGSc& menu, const TIGobject& object);

    struct Entry {
        std::size_t object = 0, palette = 0;
        std::size_t bytes = 0;
        // A display picture made from the model's own picture of the object.
        bool fromModel = false;
        // What the (source) picture was decoded from.
        DecodedFrom from;
        std::shared_ptr<const IndexedImage> indexed;
        // What a display picture was made from.
        std::shared_ptr<const IndexedImage> source;
        TRGBApalettes colours{};
        std::shared_ptr<const RgbaImage> picture;
    };
    using Order = std::list<Entry>;  // most recently used first

    Order::iterator find(std::size_t o, std::size_t p);
    Order::const_iterator find(std::size_t o, std::size_t p) const;
    bool valid(const TIGSc& menu, const Entry& e) const;
    // Keeps e as the most recently used entry, dropping old ones to make room.
    void keep(Entry e);
    void drop(Order::iterator it);
    void trim(std::size_t room);
    // The bytes a display picture of object o costs, its source included.
    std::size_t cost(const TIGSc& menu, std::size_t o) const;

    std::size_t budget_;
    std::size_t held_ = 0;
    Order order_;
    std::map<std::pair<std::size_t, std::size_t>, Order::iterator> index_;
};

// Where object o is used, e.g. "0:0n,1ns 2o": per page its number followed
// by "i"/"o" for in/out effects, and by ":" and the buttons (id plus "n",
// "s", "a" for the states whose object range holds o).
std::string getobjref(const TIGSc& menu, std::size_t o);
// Where palette p is used, e.g. "0 1i 1 ": per page "i"/"o" for effects and
// the page number when it is the page's palette; each part ends in a blank.
std::string getpalref(const TIGSc& menu, std::size_t p);
// The palette to show object o with: from the first page of its reference
// text, the page's palette (":"), the palette of its last in-effect ("i") or
// of its first out-effect ("o"); nothing when the object is not used.
std::optional<std::size_t> paletteForObject(const TIGSc& menu, std::size_t o);

// Where the menu shows object o with a palette whose colours differ from
// palette p's at an index the object's picture uses: (page, palette) pairs in
// page order, each once. An image imported into o with a palette of its own
// looks as drawn only with that palette; these pages show other colours.
std::vector<std::pair<std::size_t, std::size_t>> shownWithOtherColours(TIGSc& menu, std::size_t o, std::size_t p);

// Palette edits: set one entry from a display colour (Y, Cr, Cb follow) or
// from Y, Cr, Cb (the display colour follows), with the menu's colour matrix.
void setPaletteEntryRgb(TIGpalette& palette, std::uint8_t entry, TRGBA colour,
                        ColourMatrix matrix = ColourMatrix::BT601);
void setPaletteEntryYCrCb(TIGpalette& palette, std::uint8_t entry, TYCrCb value, std::uint8_t T,
                          ColourMatrix matrix = ColourMatrix::BT601);

}  // namespace navora
