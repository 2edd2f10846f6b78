#pragma once
// Small hand-built menus for the preview tests, and pictures composed
// independently of the renderer: a flat background and object pictures
// blended pixel by pixel from their palette indexes.

#include "ig/load.h"
#include "ig/model.h"
#include "ig/objects.h"
#include "preview/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace navora::test {

inline constexpr int kVideoWidth = 320;
inline constexpr int kVideoHeight = 180;

// An object whose pixel (x, y) has palette index f(x, y).
template <class F>
TIGobject objectOf(std::uint16_t id, std::uint16_t w, std::uint16_t h, F f) {
    auto pic = std::make_shared<IndexedImage>(w, h);
    for (std::uint16_t y = 0; y < h; ++y)
        for (std::uint16_t x = 0; x < w; ++x) pic->row(y)[x] = static_cast<std::uint8_t>(f(x, y));
    TIGobject o;
    o.object_id = id;
    o.width = w;
    o.height = h;
    o.object_data_length = 1;
    o.picture = std::move(pic);
    return o;
}

// An object of one colour index with a transparent (index 0) left column.
inline TIGobject solidObject(std::uint16_t id, std::uint16_t w, std::uint16_t h, std::uint8_t index) {
    return objectOf(id, w, h, [index](int x, int) { return x == 0 ? 0 : index; });
}

// Palette 0: entry 0 transparent, entries 1..40 opaque and all different,
// entry 41 half transparent white.
inline TIGpalette testPalette() {
    TIGpalette p;
    for (int e = 1; e <= 40; ++e)
        p.colours[static_cast<std::size_t>(e)] = {static_cast<std::uint8_t>(6 * e), static_cast<std::uint8_t>(255 - 5 * e),
                                                  static_cast<std::uint8_t>((e * 37) & 0xFF), 255};
    p.colours[41] = {255, 255, 255, 128};
    return p;
}

// A button at (x, y) whose states use the object ranges given.
inline TIGbutton testButton(std::uint16_t id, int x, int y, std::uint16_t n0, std::uint16_t n1, std::uint16_t s0,
                            std::uint16_t s1, std::uint16_t a0, std::uint16_t a1) {
    TIGbutton b;
    b.button_id = id;
    b.button_horizontal_position = static_cast<std::uint16_t>(x);
    b.button_vertical_position = static_cast<std::uint16_t>(y);
    b.upper_button_id_ref = b.lower_button_id_ref = b.left_button_id_ref = b.right_button_id_ref = id;
    b.normal_start_object_id_ref = n0;
    b.normal_end_object_id_ref = n1;
    b.selected_start_object_id_ref = s0;
    b.selected_end_object_id_ref = s1;
    b.activated_start_object_id_ref = a0;
    b.activated_end_object_id_ref = a1;
    b.selected_state_sound_id_ref = 0xFF;
    b.activated_state_sound_id_ref = 0xFF;
    b.commands = {TCommand{{0x50400003, 100u + id, 1}}};  // Add GPR(100 + id), 1
    return b;
}

// One page, 320x180 at 23.976 Hz, animation code 1. Objects 0..11 are
// 40x20 solid blocks of colours 1..12; object 12 is a 60x30 pattern.
// Buttons (each in a BOG of its own, each the BOG's default valid button):
//   0 at (20, 20): normal 0, selected 1, activated 2..4, right 1, down 2
//   1 at (100, 20): normal 5, selected 6, activated 7, left 0, down 2
//   2 at (20, 100): normal 8..10, selected 11, activated 11, up 0
inline TIGSc testMenu() {
    TIGSc m;
    m.video_width = kVideoWidth;
    m.video_height = kVideoHeight;
    m.frame_rate_id = 1;
    m.composition_state = CompositionState::EpochStart;
    m.stream_model = StreamModel::OutOfMux;
    for (std::uint16_t o = 0; o < 12; ++o) m.objects.push_back(solidObject(o, 40, 20, static_cast<std::uint8_t>(o + 1)));
    m.objects.push_back(objectOf(12, 60, 30, [](int x, int y) { return 1 + (x + 3 * y) % 40; }));
    m.palettes = {testPalette()};
    TPage page;
    page.animation_frame_rate_code = 1;
    page.default_selected_button_id_ref = kNoButton;
    page.default_activated_button_id_ref = kNoButton;
    TIGbutton b0 = testButton(0, 20, 20, 0, 0, 1, 1, 2, 4);
    b0.right_button_id_ref = 1;
    b0.lower_button_id_ref = 2;
    TIGbutton b1 = testButton(1, 100, 20, 5, 5, 6, 6, 7, 7);
    b1.left_button_id_ref = 0;
    b1.lower_button_id_ref = 2;
    TIGbutton b2 = testButton(2, 20, 100, 8, 10, 11, 11, 11, 11);
    b2.upper_button_id_ref = 0;
    for (const TIGbutton& b : {b0, b1, b2}) {
        TBOG bog;
        bog.default_valid_button_id_ref = b.button_id;
        bog.buttons = {b};
        page.BOGs.push_back(bog);
    }
    m.pages = {page};
    m.page_buttons = {buildButtonTable(m.pages[0])};
    return m;
}

inline TIGbutton& buttonOf(TIGSc& m, std::size_t page, std::uint16_t id) {
    return const_cast<TIGbutton&>(*buttonById(m, page, id));
}

// Rebuilds the button tables after the BOGs changed.
inline void rebuildTables(TIGSc& m) {
    m.page_buttons.clear();
    for (const TPage& p : m.pages) m.page_buttons.push_back(buildButtonTable(p));
}

// ---- Pictures composed by the test --------------------------------------------------

struct Expected {
    int width = 0, height = 0;
    std::vector<std::uint32_t> px;  // 0xRRGGBB per pixel

    Expected(int w, int h, Colour background) : width(w), height(h), px(static_cast<std::size_t>(w) * h, background) {}

    // Object o of menu m with palette p at (x, y), blended by each entry's alpha.
    void blend(const TIGSc& m, std::size_t o, std::size_t p, int x, int y, int cropX = 0, int cropY = 0, int cropW = -1,
               int cropH = -1) {
        const IndexedImage& pic = *m.objects[o].picture;
        const int w = cropW < 0 ? pic.width : cropW;
        const int h = cropH < 0 ? pic.height : cropH;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const int sx = cropX + i, sy = cropY + j, dx = x + i, dy = y + j;
                if (sx >= pic.width || sy >= pic.height || dx < 0 || dy < 0 || dx >= width || dy >= height) continue;
                const TRGBA c = m.palettes[p].colours[pic.row(static_cast<std::size_t>(sy))[sx]];
                std::uint32_t& d = px[static_cast<std::size_t>(dy) * width + dx];
                const unsigned a = c.T;
                auto mix = [a](unsigned s, unsigned dv) { return (s * a + dv * (255 - a) + 127) / 255; };
                d = mix(c.R, (d >> 16) & 0xFF) << 16 | mix(c.G, (d >> 8) & 0xFF) << 8 | mix(c.B, d & 0xFF);
            }
    }
    void fill(int x, int y, int w, int h, Colour c) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (i >= 0 && j >= 0 && i < width && j < height) px[static_cast<std::size_t>(j) * width + i] = c;
    }
    void frame(int x, int y, int w, int h, Colour c) {
        fill(x, y, w, 1, c);
        fill(x, y + h - 1, w, 1, c);
        fill(x, y, 1, h, c);
        fill(x + w - 1, y, 1, h, c);
    }
};

// The first pixel where the picture differs from the expected one, or "".
inline std::string firstDifference(const RgbaImage& pic, const Expected& e) {
    if (pic.width != e.width || pic.height != e.height)
        return "size " + std::to_string(pic.width) + "x" + std::to_string(pic.height);
    for (int y = 0; y < e.height; ++y)
        for (int x = 0; x < e.width; ++x) {
            const std::uint32_t got = pixelAt(pic, x, y) >> 8;
            const std::uint32_t want = e.px[static_cast<std::size_t>(y) * e.width + x];
            if (got != want) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d, %d): %06X, expected %06X", x, y, got, want);
                return text;
            }
        }
    return {};
}

}  // namespace navora::test
