#pragma once
// Small menus and hand-laid .mnu records for the menu tests.

#include "core/bytes.h"
#include "ig/load.h"
#include "ig/model.h"
#include "ig/objects.h"
#include "ig/rle.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <random>
#include <vector>

namespace navora::test {

// A byte buffer laid field by field, independent of the writer under test.
struct Raw {
    Raw& u8(std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Raw& u16(std::uint32_t v) { return u8(v >> 8).u8(v); }
    Raw& u24(std::uint32_t v) { return u8(v >> 16).u16(v); }
    Raw& u32(std::uint32_t v) { return u16(v >> 16).u16(v); }
    Raw& bytes(const Bytes& x) {
        b.insert(b.end(), x.begin(), x.end());
        return *this;
    }
    Bytes b;
};

// One .mnu record: "IG", PTS, DTS, segment type, length, body.
inline Bytes record(IgSegmentType type, const Bytes& body, std::uint32_t pts = 0, std::uint32_t dts = 0) {
    Raw r;
    r.u8('I').u8('G').u32(pts).u32(dts).u8(static_cast<std::uint8_t>(type)).u16(static_cast<std::uint32_t>(body.size()));
    return r.bytes(body).b;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// ODS body; width and height are written in a first segment only.
inline Bytes odsBody(std::uint16_t id, std::uint8_t flags, const Bytes& data, std::uint32_t dataLength = 0,
                     std::uint16_t w = 0, std::uint16_t h = 0) {
    Raw r;
    r.u16(id).u8(0).u8(flags << 6);
    if (flags & kFirstInSequence) r.u24(dataLength + 4).u16(w).u16(h);
    return r.bytes(data).b;
}

// PDS body with entries {id, Y, Cr, Cb, T}.
inline Bytes pdsBody(std::uint8_t id, const std::vector<std::array<std::uint8_t, 5>>& entries) {
    Raw r;
    r.u8(id).u8(0);
    for (const auto& e : entries)
        for (std::uint8_t v : e) r.u8(v);
    return r.b;
}

// ICS body of a single segment holding the whole page data.
inline Bytes icsBody(std::uint8_t pages, const Bytes& pageData, StreamModel model = StreamModel::OutOfMux,
                     std::uint8_t flags = kFirstInSequence | kLastInSequence) {
    Raw r;
    r.u16(1920).u16(1080).u8(0x10).u16(0).u8(0x80).u8(flags << 6);
    if (flags & kFirstInSequence) {
        const std::uint32_t timeOuts = model == StreamModel::Multiplexed ? 10 : 0;
        r.u24(static_cast<std::uint32_t>(pageData.size()) + 5 + timeOuts);
        r.u8(static_cast<std::uint32_t>(model) << 7);
        if (timeOuts) r.u8(0).u32(1000).u8(0).u32(2000);
        r.u24(90000).u8(pages);
    }
    return r.bytes(pageData).b;
}

// A button with the given id and one object per state (normal, selected, activated).
inline TIGbutton button(std::uint16_t id, std::uint16_t normal, std::uint16_t selected, std::uint16_t activated) {
    TIGbutton b;
    b.button_id = id;
    b.button_horizontal_position = static_cast<std::uint16_t>(100 * id);
    b.button_vertical_position = 50;
    b.upper_button_id_ref = b.lower_button_id_ref = b.left_button_id_ref = b.right_button_id_ref = id;
    b.normal_start_object_id_ref = b.normal_end_object_id_ref = normal;
    b.selected_start_object_id_ref = b.selected_end_object_id_ref = selected;
    b.activated_start_object_id_ref = b.activated_end_object_id_ref = activated;
    b.commands = {TCommand{{0x21810000, id, 0}}};
    return b;
}

// A picture of horizontal bands and a few single pixels: runs of every code kind.
inline std::shared_ptr<const IndexedImage> bandedPicture(std::uint16_t w, std::uint16_t h, std::uint8_t colour) {
    auto p = std::make_shared<IndexedImage>(w, h);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x)
            p->row(y)[x] = (y % 4 == 0) ? 0 : (x % 7 == 3 ? static_cast<std::uint8_t>(colour + 1) : colour);
    return p;
}

// One page with two BOGs (the second with an invalid default button), three
// buttons with commands, objects 0..5 as pictures and one palette.
inline TIGSc smallMenu(StreamModel model = StreamModel::OutOfMux) {
    TIGSc m;
    m.video_width = 1920;
    m.video_height = 1080;
    m.frame_rate_id = 1;
    m.composition_state = CompositionState::EpochStart;
    m.stream_model = model;
    m.composition_time_out_pts = 0x100000000ull + 7;  // bit 32 set: kept as read
    m.selection_time_out_pts = 12345;
    m.user_time_out_duration = 900000;
    m.in_time = 900000;
    TPage page;
    page.UO_mask_high = 0x30000000;
    page.animation_frame_rate_code = 2;
    page.default_selected_button_id_ref = 0;
    TBOG a;
    a.default_valid_button_id_ref = 0;
    a.buttons = {button(0, 0, 1, 2), button(1, 3, 4, 5)};
    a.buttons[1].normal_repeat_flag = 1;
    a.buttons[1].selected_complete_flag = 1;
    a.buttons[1].commands.push_back(TCommand{{0x50400001, 3, 7}});
    TBOG b;
    b.default_valid_button_id_ref = kNoButton;
    b.buttons = {button(2, 0, 1, 2)};
    page.BOGs = {a, b};
    m.pages = {page};
    for (std::uint16_t o = 0; o < 6; ++o) {
        TIGobject obj;
        obj.object_id = o;
        obj.picture = bandedPicture(static_cast<std::uint16_t>(40 + 8 * o), 20, static_cast<std::uint8_t>(1 + o));
        obj.width = obj.picture->width;
        obj.height = obj.picture->height;
        m.objects.push_back(obj);
    }
    // Display colours as a load makes them: in the HD video's matrix.
    m.colour_matrix = videoMatrix(m);
    TIGpalette pal;
    setPaletteEntryYCrCb(pal, 0, {16, 128, 128}, 0, m.colour_matrix);
    for (std::uint8_t e = 1; e < 10; ++e)
        setPaletteEntryYCrCb(pal, e, {static_cast<std::uint8_t>(40 + 15 * e), 120, 140}, 255, m.colour_matrix);
    m.palettes = {pal};
    m.page_buttons = {buildButtonTable(page)};
    return m;
}

}  // namespace navora::test
