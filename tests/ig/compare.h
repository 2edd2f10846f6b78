#pragma once
// Two menus compared by everything their streams carry.

#include "ig/model.h"
#include "ig/objects.h"

#include <gtest/gtest.h>

namespace navora::test {

// Everything the stream carries of two menus is equal.
inline void expectSameMenu(TIGSc a, TIGSc b) {
    EXPECT_EQ(a.video_width, b.video_width);
    EXPECT_EQ(a.video_height, b.video_height);
    EXPECT_EQ(a.frame_rate_id, b.frame_rate_id);
    EXPECT_EQ(a.composition_number, b.composition_number);
    EXPECT_EQ(a.composition_state, b.composition_state);
    EXPECT_EQ(a.stream_model, b.stream_model);
    EXPECT_EQ(a.user_interface_model, b.user_interface_model);
    if (hasTimeOuts(a)) {
        EXPECT_EQ(a.composition_time_out_pts, b.composition_time_out_pts);
        EXPECT_EQ(a.selection_time_out_pts, b.selection_time_out_pts);
    }
    EXPECT_EQ(a.user_time_out_duration, b.user_time_out_duration);
    EXPECT_EQ(a.in_time, b.in_time);
    EXPECT_EQ(a.pages, b.pages);
    EXPECT_EQ(a.page_buttons, b.page_buttons);
    EXPECT_EQ(a.palettes, b.palettes);
    ASSERT_EQ(a.objects.size(), b.objects.size());
    decodeAllObjects(a);
    decodeAllObjects(b);
    for (std::size_t o = 0; o < a.objects.size(); ++o) {
        ASSERT_EQ(a.objects[o].defined(), b.objects[o].defined()) << o;
        if (!a.objects[o].defined()) continue;
        EXPECT_EQ(a.objects[o].object_id, b.objects[o].object_id) << o;
        EXPECT_EQ(*a.objects[o].picture, *b.objects[o].picture) << o;
    }
}

}  // namespace navora::test
