// sameMenu: every field a stream carries and every pixel counts; how the
// bytes are held (decoded or coded, which store, which segmentation) does not.

#include "fixtures.h"
#include "ig/samemenu.h"
#include "ig/save.h"

#include <gtest/gtest.h>

#include <functional>

using namespace navora;
using namespace navora::test;

namespace {

// The menu written and read back: its objects coded in a store of its own, none decoded.
TIGSc reread(TIGSc m) { return loadMNU(saveIGS(m, IgsForm::Mnu), "reread"); }

TEST(SameMenu, HowTheBytesAreHeldDoesNotCount) {
    const TIGSc pictures = smallMenu(StreamModel::Multiplexed);
    const TIGSc coded = reread(pictures);
    ASSERT_FALSE(coded.objects[3].picture);
    EXPECT_TRUE(sameMenu(pictures, coded));
    EXPECT_TRUE(sameMenu(coded, pictures));
    // Two reads of the same bytes: different stores, both still coded.
    const TIGSc again = reread(pictures);
    EXPECT_TRUE(sameMenu(coded, again));
    TIGSc decoded = again;
    decodeAllObjects(decoded);
    EXPECT_TRUE(sameMenu(coded, decoded));
}

TEST(SameMenu, EveryCarriedChangeCounts) {
    using Change = std::function<void(TIGSc&)>;
    const auto repaint = [](TIGSc& m) {
        decodeAllObjects(m);
        IndexedImage p = *m.objects[3].picture;
        p.pixels[5] ^= 1;
        m.objects[3].picture = std::make_shared<const IndexedImage>(std::move(p));
    };
    const std::vector<std::pair<const char*, Change>> changes = {
        {"one pixel of a decoded object", repaint},
        {"an object's id", [](TIGSc& m) { m.objects[2].object_id = 7; }},
        {"an object appended", [](TIGSc& m) { m.objects.emplace_back(); }},
        {"a palette colour", [](TIGSc& m) { setPaletteEntryRgb(m.palettes[0], 3, {1, 2, 3, 4}); }},
        {"a button field", [](TIGSc& m) { m.pages[0].BOGs[0].buttons[1].selected_end_object_id_ref = 5; }},
        {"a command word", [](TIGSc& m) { m.pages[0].BOGs[0].buttons[0].commands[0].w[2] = 1; }},
        {"the in-time", [](TIGSc& m) { m.in_time += 1; }},
        {"a time-out", [](TIGSc& m) { m.selection_time_out_pts += 1; }},
        {"the user time-out", [](TIGSc& m) { m.user_time_out_duration += 1; }},
        {"the video size", [](TIGSc& m) { m.video_height = 720; }},
    };
    const TIGSc base = reread(smallMenu(StreamModel::Multiplexed));
    for (const auto& [what, change] : changes) {
        TIGSc changed = base;
        change(changed);
        EXPECT_FALSE(sameMenu(base, changed)) << what;
        EXPECT_FALSE(sameMenu(changed, base)) << what;
    }
}

}  // namespace
