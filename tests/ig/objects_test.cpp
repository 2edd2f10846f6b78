// Reference texts, the palette an object is shown with, and the picture cache.

#include "fixtures.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/save.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

Teffect effectWith(std::uint8_t palette, std::initializer_list<std::uint16_t> objects) {
    Teffect e;
    e.palette_id_ref = palette;
    for (std::uint16_t o : objects) e.composition_objects.push_back(TCompObject{o});
    return e;
}

// Three pages: page 0 with buttons 0, 1 and 4 (slots 2 and 3 empty), page 1
// with an in-effect, page 2 with an out-effect.
TIGSc referencedMenu() {
    TIGSc m;
    m.objects.resize(8);
    m.palettes.resize(3);
    TPage p0;
    p0.palette_id_ref = 0;
    TBOG bog;
    bog.buttons = {button(0, 5, 6, 7), button(1, 5, 5, 7), button(4, 1, 2, 3)};
    bog.buttons[1].normal_start_object_id_ref = 4;  // normal 4..5
    p0.BOGs = {bog};
    TPage p1;
    p1.palette_id_ref = 0;
    p1.effects[InEffects].effects = {effectWith(2, {3}), effectWith(0, {6})};
    TPage p2;
    p2.palette_id_ref = 1;
    p2.effects[OutEffects].effects = {effectWith(2, {5}), effectWith(1, {4})};
    m.pages = {p0, p1, p2};
    for (const TPage& p : m.pages) m.page_buttons.push_back(buildButtonTable(p));
    return m;
}

TEST(ObjectReferences, Texts) {
    const TIGSc m = referencedMenu();
    struct Case {
        std::size_t object;
        const char* ref;
        std::optional<std::size_t> palette;
    } objects[] = {
        {5, "0:0n,1ns 2o", 0},  // the page's palette (":")
        {4, "0:1n 2o", 0},
        {6, "0:0s 1i", 0},
        {3, "0:4a 1i", 0},
        {0, "", std::nullopt},  // empty slots of the button table use no object
    };
    for (const Case& c : objects) {
        EXPECT_EQ(getobjref(m, c.object), c.ref) << c.object;
        EXPECT_EQ(paletteForObject(m, c.object), c.palette) << c.object;
    }
    EXPECT_EQ(getpalref(m, 0), "0 1i 1 ");
    EXPECT_EQ(getpalref(m, 1), "2o 2 ");
    EXPECT_EQ(getpalref(m, 2), "1i 2o ");

    // An object first used by effects: "i" takes the last in-effect's palette, "o" the first out-effect's.
    TIGSc effectsOnly = m;
    effectsOnly.pages.erase(effectsOnly.pages.begin());
    effectsOnly.page_buttons.erase(effectsOnly.page_buttons.begin());
    EXPECT_EQ(getobjref(effectsOnly, 6), "0i");
    EXPECT_EQ(paletteForObject(effectsOnly, 6), 0u);
    EXPECT_EQ(getobjref(effectsOnly, 5), "1o");
    EXPECT_EQ(paletteForObject(effectsOnly, 5), 2u);
}

TEST(ObjectCache, ConvertsOnceAndFollowsEdits) {
    TIGSc m = smallMenu();
    TObjectCache cache;
    const auto first = cache.Obj2Pic(m, 1, 0);
    ASSERT_NE(first, nullptr);
    const IndexedImage& picture = *m.objects[1].picture;
    ASSERT_EQ(first->width, picture.width);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const TRGBA c = m.palettes[0].colours[picture.pixels[i]];
        ASSERT_EQ(Bytes(first->rgba.begin() + 4 * i, first->rgba.begin() + 4 * i + 4), (Bytes{c.R, c.G, c.B, c.T}))
            << i;
    }
    EXPECT_EQ(cache.Obj2Pic(m, 1, 0), first) << "converted once";

    // A palette edit gives a new picture; going back to the model from
    // before (an undo) finds the old one valid again.
    const TIGSc before = m;
    setPaletteEntryRgb(m.palettes[0], 2, {1, 2, 3, 255});
    EXPECT_FALSE(cache.holds(m, 1, 0));
    const auto edited = cache.Obj2Pic(m, 1, 0);
    EXPECT_NE(edited, first);
    const auto two = std::find(picture.pixels.begin(), picture.pixels.end(), 2) - picture.pixels.begin();
    EXPECT_EQ(Bytes(edited->rgba.begin() + 4 * two, edited->rgba.begin() + 4 * two + 4), (Bytes{1, 2, 3, 255}));
    m = before;
    EXPECT_NE(*cache.Obj2Pic(m, 1, 0), *edited);
    EXPECT_EQ(*cache.Obj2Pic(m, 1, 0), *first);

    // A slot no ODS defined has no picture and stays undefined.
    m.objects.emplace_back();
    EXPECT_EQ(cache.Obj2Pic(m, 6, 0), nullptr);
    EXPECT_FALSE(m.objects[6].defined());

    // A new picture of the object is converted anew; no object, no picture.
    m.objects[1].picture = bandedPicture(5, 5, 7);
    EXPECT_EQ(cache.Obj2Pic(m, 1, 0)->width, 5);
    EXPECT_EQ(cache.Obj2Pic(m, 99, 0), nullptr);
    // A palette that does not exist shows the object transparent.
    const auto none = cache.Obj2Pic(m, 1, 9);
    EXPECT_TRUE(std::all_of(none->rgba.begin(), none->rgba.end(), [](std::uint8_t v) { return v == 0; }));
}

TEST(ObjectCache, CropKeepsTheRectangleAndClearsWhatLiesOutside) {
    TIGSc m = smallMenu();
    TObjectCache cache;
    const auto full = cache.Obj2Pic(m, 0, 0);  // 40x20
    const RgbaImage crop = cache.Obj2PicCr(m, 0, 0, 35, 18, 45, 23);
    ASSERT_EQ(crop.width, 10);
    ASSERT_EQ(crop.height, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = 35 + x < 40 && 18 + y < 20;
            const std::size_t from = (std::size_t(18 + y) * 40 + 35 + x) * 4;
            const std::size_t to = (std::size_t(y) * 10 + x) * 4;
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(crop.rgba[to + c], inside ? full->rgba[from + c] : 0) << x << "," << y;
        }
    EXPECT_EQ(cache.Obj2PicCr(m, 0, 0, 5, 5, 2, 2).rgba.size(), 0u);
}

TEST(ObjectCache, LoadBmpsConvertsWhatThePageShows) {
    TIGSc m = smallMenu();
    m.palettes.resize(3);
    m.pages[0].palette_id_ref = 1;
    m.pages[0].effects[OutEffects].effects = {effectWith(2, {4})};
    TObjectCache cache;
    cache.LoadBmps(m, 0);
    for (std::size_t o = 0; o < 6; ++o) EXPECT_TRUE(cache.holds(m, o, 1)) << o;
    EXPECT_TRUE(cache.holds(m, 4, 2));
    EXPECT_FALSE(cache.holds(m, 4, 0));
    cache.LoadBmps(m, 7);  // no such page: nothing happens
}

// The cache keeps at most its budget, dropping the least recently used
// pictures first; it decodes into itself, never into the model.
TEST(ObjectCache, KeepsWithinItsBudgetDroppingTheLeastRecentlyUsed) {
    TIGSc m = smallMenu();  // objects 40x20, 48x20, 56x20, ...: 5 bytes a pixel with their source
    const auto cost = [&](std::size_t o) { return std::size_t{5} * m.objects[o].width * m.objects[o].height; };
    TObjectCache cache(cost(0) + cost(1) + cost(2));
    for (std::size_t o = 0; o < 3; ++o) ASSERT_NE(cache.Obj2Pic(m, o, 0), nullptr);
    EXPECT_EQ(cache.heldBytes(), cost(0) + cost(1) + cost(2));
    const auto zero = cache.Obj2Pic(m, 0, 0);  // object 0 is now the most recently used
    cache.Obj2Pic(m, 3, 0);                    // makes room by dropping 1, then 2
    EXPECT_TRUE(cache.holds(m, 0, 0));
    EXPECT_FALSE(cache.holds(m, 1, 0));
    EXPECT_FALSE(cache.holds(m, 2, 0));
    EXPECT_TRUE(cache.holds(m, 3, 0));
    EXPECT_EQ(cache.heldBytes(), cost(0) + cost(3));
    EXPECT_EQ(cache.Obj2Pic(m, 0, 0), zero) << "a hit is the same picture";

    // A smaller budget drops at once, the least recently used first; a
    // picture beyond it is made but not kept.
    cache.setBudget(cost(5) - 1);
    EXPECT_EQ(cache.heldBytes(), cost(0));
    const auto big = cache.Obj2Pic(m, 5, 0);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width, m.objects[5].width);
    EXPECT_FALSE(cache.holds(m, 5, 0));
    EXPECT_EQ(cache.heldBytes(), cost(0));
    // Preloading stops where the budget ends instead of pushing out what is held.
    cache.setBudget(cost(0) + cost(1));
    cache.Obj2Pic(m, 1, 0);
    cache.LoadBmps(m, 0);
    EXPECT_TRUE(cache.holds(m, 1, 0));
    EXPECT_LE(cache.heldBytes(), cache.budget());

    // Objects the model holds as coded data are decoded into the cache only.
    const TIGSc loaded = loadMNU(saveIGS(m, IgsForm::Mnu), "t.mnu");
    ASSERT_EQ(loaded.objects[2].picture, nullptr);
    TObjectCache decoding;
    EXPECT_EQ(*decoding.indexed(loaded, 2), *m.objects[2].picture);
    EXPECT_EQ(*decoding.Obj2Pic(loaded, 2, 0), *cache.Obj2Pic(m, 2, 0));
    EXPECT_EQ(loaded.objects[2].picture, nullptr);
    EXPECT_EQ(decoding.heldBytes(), cost(2) + cost(2) / 5);
}

}  // namespace
