// The playlist reader and writer on a hand-laid file that carries what the
// corpus lacks: angles, clip entries, secondary stream references, unknown
// stream types, spare bytes and set reserved bits.

#include "core/errors.h"
#include "playlist/json.h"
#include "playlist/playlist_io.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace navora;

namespace {

// A byte buffer laid field by field, with length fields patched once the
// structure they count is complete. Independent of the writer under test.
class Raw {
public:
    Raw& u8(std::uint32_t v) { b.push_back(static_cast<std::uint8_t>(v)); return *this; }
    Raw& u16(std::uint32_t v) { return u8(v >> 8).u8(v); }
    Raw& u32(std::uint32_t v) { return u16(v >> 16).u16(v); }
    Raw& str(const std::string& s, std::size_t w) {
        for (std::size_t i = 0; i < w; ++i) u8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
        return *this;
    }
    Raw& zeros(std::size_t n) { b.insert(b.end(), n, 0); return *this; }
    // Opens a length field of width bytes; close() fills in the bytes after it.
    Raw& open(int width) {
        stack.push_back({b.size(), width});
        return zeros(static_cast<std::size_t>(width));
    }
    Raw& close() {
        auto [at, width] = stack.back();
        stack.pop_back();
        const std::size_t n = b.size() - at - static_cast<std::size_t>(width);
        for (int i = 0; i < width; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * (width - 1 - i)));
        return *this;
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }
    std::size_t size() const { return b.size(); }

    Bytes b;
    std::vector<std::pair<std::size_t, int>> stack;
};

void entryType1(Raw& r, std::uint16_t pid) { r.u8(9).u8(1).u16(pid).zeros(6); }
void attrVideo(Raw& r) { r.u8(5).u8(0x1B).u8(0x61).zeros(3); }
void attrAudio(Raw& r, const char* lang) { r.u8(5).u8(0x81).u8(0x31).str(lang, 3); }
void attrPG(Raw& r, const char* lang) { r.u8(5).u8(0x90).str(lang, 3).u8(0); }
void refBlock(Raw& r, std::vector<std::uint8_t> refs) {
    r.u8(static_cast<std::uint32_t>(refs.size())).u8(0);
    for (auto v : refs) r.u8(v);
    if (refs.size() % 2) r.u8(0);
}

struct Laid {
    Bytes dirty;  // reserved bits and header bytes set
    Bytes clean;  // the same file with them zero: what a save writes
    std::size_t playListEnd = 0;
};

// One file, laid twice: with the reserved bits set and with them clear.
Laid layFixture() {
    Laid out;
    for (bool dirty : {true, false}) {
        Raw r;
        r.str("MPLS", 4).str("0200", 4).zeros(12);
        for (int i = 0; i < 20; ++i) r.u8(dirty ? 0xEE : 0);
        // AppInfoPlayList
        r.open(4).u8(0x00).u8(2).u16(3).u32(0x12345678).u32(0x9ABCDEF0).u16(dirty ? 0xA00F : 0xA000).close();
        r.put32(8, static_cast<std::uint32_t>(r.size()));
        r.open(4).u16(0).u16(2).u16(1);  // PlayList: 2 PlayItems, 1 SubPath
        // PlayItem 0: three angles, every stream kind with references.
        r.open(2).str("00001", 5).str("M2TS", 4).u16(dirty ? 0xFFF1 : 0x0011).u8(0);
        r.u32(27000000).u32(27450000).u32(0x11111111).u32(0x22222222).u8(dirty ? 0xFF : 0x80).u8(0).u16(0);
        r.u8(3).u8(dirty ? 0xFF : 0x03).str("00002", 5).str("M2TX", 4).u8(1).str("00003", 5).str("M2TY", 4).u8(2);
        r.open(2).u16(0).u8(1).u8(1).u8(1).u8(0).u8(2).u8(1).u8(1).zeros(5);
        entryType1(r, 0x1011); attrVideo(r);
        entryType1(r, 0x1100); attrAudio(r, "eng");
        entryType1(r, 0x1200); attrPG(r, "fra");
        r.u8(9).u8(2).u8(0).u8(1).u16(0x1201).zeros(4); attrPG(r, "deu");  // PiP PG, type 2
        entryType1(r, 0x1A00); attrAudio(r, "spa"); refBlock(r, {0, 1, 2});
        entryType1(r, 0x1A01); attrAudio(r, "ita"); refBlock(r, {0, 1});
        r.u8(9).u8(3).u8(0).u16(0x1B00).zeros(5); attrVideo(r); refBlock(r, {0}); refBlock(r, {1, 2});
        r.close().close();
        // PlayItem 1: an entry of unknown type and attributes of unknown coding type.
        r.open(2).str("00004", 5).str("M2TS", 4).u16(0x0001).u8(0);
        r.u32(27450000).u32(27900000).u32(0).u32(0).u8(0).u8(1).u16(30);
        r.open(2).u16(0).u8(1).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).zeros(5);
        r.u8(9).u8(7).u16(0xABCD).u32(0x01020304).u16(0x0506).u8(7).u8(0x77).u8(0x99).u16(0x1011).zeros(3);
        r.close().close();
        // SubPath 0: a SubPlayItem with three clip entries, then a plain one, then a spare byte.
        r.open(4).u8(0).u8(5).u16(1).u8(0).u8(2);
        r.open(2).str("00010", 5).str("M2TS", 4).u32((3u << 1) | 1u).u8(0);
        r.u32(100).u32(200).u16(1).u32(300).u8(3).u8(0);
        r.str("00011", 5).str("M2TS", 4).u8(1).str("00012", 5).str("M2TS", 4).u8(2).close();
        r.open(2).str("12", 5).str("M2TS", 4).u32(0).u8(0).u32(400).u32(500).u16(0).u32(600).close();
        r.u8(0x5A).close();
        r.close();  // PlayList
        out.playListEnd = r.size();
        EXPECT_EQ(out.playListEnd % 2, 1u) << "the fixture must end its PlayList at an odd offset";
        r.u8(0);  // padding to an even offset
        r.put32(12, static_cast<std::uint32_t>(r.size()));
        r.open(4).u16(2);
        r.u8(0).u8(1).u16(0).u32(27000000).u16(0xFFFF).u32(0);
        r.u8(0).u8(2).u16(1).u32(27500000).u16(0x1011).u32(45000);
        r.close();
        r.put32(16, static_cast<std::uint32_t>(r.size()));
        // ExtensionData: two entries and 150 data bytes.
        r.open(4).u32(36).zeros(3).u8(2).u16(1).u16(1).u32(36).u32(100).u16(3).u16(5).u32(136).u32(50);
        for (int i = 0; i < 150; ++i) r.u8(static_cast<std::uint32_t>(i));
        r.close();
        (dirty ? out.dirty : out.clean) = r.b;
    }
    return out;
}

}  // namespace

TEST(PlaylistRead, FieldsOfTheHandLaidFile) {
    const Laid laid = layFixture();
    const TMPLS m = readPlaylist(laid.dirty, "00000.mpls");
    EXPECT_EQ(m.version_number, "0200");
    EXPECT_EQ(m.AppInfoPlayList.PlayList_playback_type, 2);
    EXPECT_EQ(m.AppInfoPlayList.playback_count, 3);
    EXPECT_EQ(m.AppInfoPlayList.UO_mask_table[0], 0x12345678u);
    EXPECT_EQ(m.AppInfoPlayList.UO_mask_table[1], 0x9ABCDEF0u);
    EXPECT_EQ(m.AppInfoPlayList.PlayList_random_access_flag, 1);
    EXPECT_EQ(m.AppInfoPlayList.audio_mix_app_flag, 0);
    EXPECT_EQ(m.AppInfoPlayList.lossless_may_bypass_mixer_flag, 1);
    ASSERT_EQ(m.PlayList.PlayItems.size(), 2u);

    const TPlayItem& p = m.PlayList.PlayItems[0];
    EXPECT_EQ(p.is_multi_angle, 1);
    EXPECT_EQ(p.connection_condition, 1);
    EXPECT_EQ(p.PlayItem_random_access_flag, 1);
    ASSERT_EQ(p.multi_clip.angles.size(), 3u);
    EXPECT_EQ(p.multi_clip.angles[0], (TClipRef{"00001", "M2TS", 0}));  // the PlayItem's own clip
    EXPECT_EQ(p.multi_clip.angles[2], (TClipRef{"00003", "M2TY", 2}));
    EXPECT_EQ(p.multi_clip.is_different_audios, 1);
    EXPECT_EQ(p.multi_clip.is_seamless_angle_change, 1);
    const TSTN& t = p.STN_table;  // read right after the 22-byte angle block
    ASSERT_EQ(t.PG_textST.size(), 2u);
    EXPECT_EQ(t.PG_textST[1].stream_entry.type, kStreamOfSubPath);
    EXPECT_EQ(t.PG_textST[1].stream_entry.ref_to_stream_PID_of_subClip, 0x1201);
    EXPECT_EQ(t.PG_textST[1].stream_entry.ref_to_subClip_entry_id, 1);
    EXPECT_EQ(t.PG_textST[1].stream_attributes.language_code, "deu");
    ASSERT_EQ(t.secondary_audio.size(), 2u);
    EXPECT_EQ(t.secondary_audio[0].primary_audio_stream_id_ref, (std::vector<std::uint8_t>{0, 1, 2}));
    EXPECT_EQ(t.secondary_audio[1].stream_attributes.language_code, "ita");  // after the padding byte
    ASSERT_EQ(t.secondary_video.size(), 1u);
    EXPECT_EQ(t.secondary_video[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1B00);
    EXPECT_EQ(t.secondary_video[0].PiP_PG_textST_stream_id_ref, (std::vector<std::uint8_t>{1, 2}));

    // Unknown types are kept whole and do not put the next field out of step.
    const TPlayItem& q = m.PlayList.PlayItems[1];
    EXPECT_EQ(q.still_mode, 1);
    EXPECT_EQ(q.still_time, 30);
    ASSERT_EQ(q.STN_table.primary_video.size(), 1u);
    EXPECT_EQ(q.STN_table.primary_video[0].stream_entry.spare.size(), 8u);
    EXPECT_EQ(q.STN_table.primary_video[0].stream_attributes.stream_coding_type, 0x77);
    EXPECT_EQ(q.STN_table.primary_video[0].stream_attributes.spare, (Bytes{0x99, 0x10, 0x11, 0, 0, 0}));

    ASSERT_EQ(m.PlayList.SubPaths.size(), 1u);
    const TSubPath& sp = m.PlayList.SubPaths[0];
    EXPECT_EQ(sp.SubPath_type, 5);
    EXPECT_EQ(sp.repeat, 1);
    ASSERT_EQ(sp.SubPlayItems.size(), 2u);
    EXPECT_EQ(sp.SubPlayItems[0].length, 30 + 20);
    EXPECT_EQ(sp.SubPlayItems[0].SP_connection_condition, 3);
    ASSERT_EQ(sp.SubPlayItems[0].clip_entries.size(), 3u);
    EXPECT_EQ(sp.SubPlayItems[0].clip_entries[0].Clip_Information_file_name, "00010");
    EXPECT_EQ(sp.SubPlayItems[0].clip_entries[2], (TClipRef{"00012", "M2TS", 2}));
    EXPECT_EQ(sp.SubPlayItems[1].Clip_Information_file_name, "12");
    EXPECT_EQ(sp.SubPlayItems[1].SubPlayItem_IN_time, 400u);
    EXPECT_EQ(sp.SubPlayItems[1].sync_start_PTS_of_PlayItem, 600u);
    EXPECT_EQ(sp.spare, Bytes{0x5A});
    EXPECT_EQ(m.spare_after_PlayList, Bytes{0});  // the padding byte

    ASSERT_EQ(m.PlayListMark.marks.size(), 2u);
    EXPECT_EQ(m.PlayListMark.marks[1].mark_type, kLinkPoint);
    EXPECT_EQ(m.PlayListMark.marks[1].mark_time_stamp, 27500000u);
    EXPECT_EQ(m.PlayListMark.marks[1].duration, 45000u);
    EXPECT_EQ(m.ExtensionData.length, 182u);
    EXPECT_EQ(m.ExtensionData.entries.size(), 2u);
    EXPECT_EQ(ExtDatCap(m.ExtensionData), "2 entries, 186 bytes");
}

TEST(PlaylistWrite, SaveClearsReservedBitsAndKeepsEverythingElse) {
    const Laid laid = layFixture();
    const TMPLS m = readPlaylist(laid.dirty, "00000.mpls");
    EXPECT_EQ(writePlaylist(m), laid.clean);
    EXPECT_EQ(readPlaylist(laid.clean, "00000.mpls"), readPlaylist(writePlaylist(m), "00000.mpls"));
}

TEST(PlaylistWrite, FieldsAreWrittenFromTheirOwnEntries) {
    const Laid laid = layFixture();
    TMPLS m = readPlaylist(laid.clean, "00000.mpls");
    // Each angle's codec identifier comes from its own entry; names are padded
    // or cut to their width.
    m.PlayList.PlayItems[0].multi_clip.angles[1].Clip_codec_identifier = "ABCD";
    m.PlayList.SubPaths[0].SubPlayItems[1].Clip_Information_file_name = "7";
    m.PlayList.SubPaths[0].SubPlayItems[0].clip_entries[1].Clip_Information_file_name = "123456789";
    const TMPLS back = readPlaylist(writePlaylist(m), "00000.mpls");
    EXPECT_EQ(back.PlayList.PlayItems[0].multi_clip.angles[1].Clip_codec_identifier, "ABCD");
    EXPECT_EQ(back.PlayList.PlayItems[0].multi_clip.angles[2].Clip_codec_identifier, "M2TY");
    EXPECT_EQ(back.PlayList.SubPaths[0].SubPlayItems[1].Clip_Information_file_name, "7");
    EXPECT_EQ(back.PlayList.SubPaths[0].SubPlayItems[0].clip_entries[1].Clip_Information_file_name, "12345");
    EXPECT_EQ(writePlaylist(back).size(), laid.clean.size());
}

TEST(PlaylistWrite, WithoutExtensionDataAddressNoBlockIsWritten) {
    const Laid laid = layFixture();
    TMPLS m = readPlaylist(laid.clean, "00000.mpls");
    const std::uint32_t at = m.ExtensionData_start_address;
    m.ExtensionData_start_address = 0;
    Bytes expected(laid.clean.begin(), laid.clean.begin() + at);
    std::fill(expected.begin() + 16, expected.begin() + 20, 0);
    EXPECT_EQ(writePlaylist(m), expected);
    const TMPLS back = readPlaylist(expected, "00000.mpls");
    EXPECT_EQ(back.ExtensionData, TExtensionData{});
    EXPECT_EQ(ExtDatCap(back.ExtensionData), "no ExtensionData()");
}

// A cut file is a FormatError at the field that could not be read, for every
// length; the caller's model stays as it was.
TEST(PlaylistRead, EveryCutLengthIsAFormatError) {
    const Laid laid = layFixture();
    TMPLS kept = readPlaylist(laid.clean, "00000.mpls");
    const TMPLS before = kept;
    for (std::size_t n = 0; n < laid.clean.size(); ++n) {
        SCOPED_TRACE(n);
        const Bytes cut(laid.clean.begin(), laid.clean.begin() + static_cast<std::ptrdiff_t>(n));
        try {
            kept = readPlaylist(cut, "cut.mpls");
            ADD_FAILURE() << "a file cut to " << n << " bytes was read";
        } catch (const WrongTypeError&) {
            ADD_FAILURE() << "a cut file was taken for a wrong type";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.file(), "cut.mpls");
            EXPECT_LE(e.offset(), n);
        }
    }
    EXPECT_EQ(kept, before);
}

// Inconsistent files: the error names the structure and where it starts.
TEST(PlaylistRead, InconsistentLengthsAndAddressesAreFormatErrors) {
    const Laid laid = layFixture();
    const TMPLS m = readPlaylist(laid.clean, "00000.mpls");
    const std::size_t item0 = m.PlayList_start_address + 10;
    const std::uint32_t ext = m.ExtensionData_start_address;
    auto set8 = [](std::size_t at, std::uint8_t v) { return [=](Bytes& b) { b[at] = v; }; };
    auto set32 = [](std::size_t at, std::uint32_t v) {
        return [=](Bytes& b) {
            for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        };
    };
    struct Case {
        const char* what;
        std::function<void(Bytes&)> change;
        std::size_t offset;  // expected error offset
        const char* reason;  // part of the expected reason
    };
    const std::size_t entry0 = item0 + 34 + 22 + 16;  // after the fields, the angle block and the STN header
    const std::vector<Case> cases = {
        {"AppInfoPlayList shorter than its fields", set8(43, 13), 40, "shorter than its 14 bytes"},
        {"PlayList start inside the AppInfoPlayList", set32(8, 50), 58, "points into the AppInfoPlayList"},
        {"PlayList start beyond the end", set32(8, 0x10000), 58, "beyond the end of the file"},
        {"PlayItem shorter than its STN_table", set8(item0 + 1, 40), item0, "PlayItem 0: its fields take"},
        {"PlayItem running past the end", set8(item0, 0xFF), item0, "runs past the end of the file"},
        {"stream_entry too short for type 1", set8(entry0, 4), entry0, "stream_entry length 4 is shorter"},
        {"marks inside the PlayList", set32(12, static_cast<std::uint32_t>(laid.playListEnd - 2)), laid.playListEnd,
         "points into the PlayList"},
        {"ExtensionData block longer than the file", set8(ext + 3, 200), ext, "ExtensionData block cut short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bad = laid.clean;
        c.change(bad);
        try {
            (void)readPlaylist(bad, "bad.mpls");
            ADD_FAILURE() << "read without error";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), c.offset) << e.what();
            EXPECT_NE(e.reason().find(c.reason), std::string::npos) << e.what();
        }
    }
}

// A count is checked against the bytes left before anything is sized from
// it: a count that cannot fit is a located error at the count, whatever it
// would have cost to allocate.
TEST(PlaylistRead, CountsThatCannotFitAreRefusedAtTheCount) {
    const Laid laid = layFixture();
    const TMPLS m = readPlaylist(laid.clean, "00000.mpls");
    const std::size_t list = m.PlayList_start_address;
    const std::size_t marks = m.PlayListMark_start_address;
    const std::size_t item1 = list + 10 + 2 + m.PlayList.PlayItems[0].length;
    struct Case {
        std::size_t at;
        int width;
        std::size_t offset;  // just after the count
        const char* reason;
    };
    const Case cases[] = {
        {list + 6, 2, list + 8, "65535 PlayItems cannot fit"},
        {list + 8, 2, list + 10, "65535 SubPaths cannot fit"},
        {marks + 4, 2, marks + 6, "65535 PlayList marks cannot fit"},
        // STN_table counts: checked where the stream entries begin.
        {item1 + 2 + 32 + 4, 1, item1 + 2 + 32 + 16, "255 primary video cannot fit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Bytes bad = laid.clean;
        for (int i = 0; i < c.width; ++i) bad[c.at + static_cast<std::size_t>(i)] = 0xFF;
        try {
            (void)readPlaylist(bad, "bad.mpls");
            ADD_FAILURE() << "read without error";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.offset(), c.offset) << e.what();
            EXPECT_NE(e.reason().find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(PlaylistRead, WrongTypeOrVersionIsRefused) {
    const Laid laid = layFixture();
    for (const char* head : {"MPLX0200", "MPLS0400", "MPLS0000"}) {
        SCOPED_TRACE(head);
        Bytes bad = laid.clean;
        std::copy(head, head + 8, bad.begin());
        try {
            (void)readPlaylist(bad, "00000.mpls");
            ADD_FAILURE() << "accepted";
        } catch (const WrongTypeError& e) {
            EXPECT_EQ(e.offset(), 8u);
            if (head[5] == '4') {
                EXPECT_EQ(e.reason(), "version \"0400\" is not supported (\"0100\", \"0200\" or \"0300\")");
            }
        }
    }
    for (char v : {'1', '3'}) {
        Bytes other = laid.clean;
        other[5] = static_cast<std::uint8_t>(v);
        const TMPLS m = readPlaylist(other, "00000.mpls");
        EXPECT_EQ(m.version_number, std::string("0") + v + "00");
        EXPECT_EQ(writePlaylist(m), other);
    }
}

// Bytes a length field or start address leaves beyond the known fields are kept
// and written back where they were.
TEST(PlaylistRead, SpareRoomIsKeptInPlace) {
    const Laid laid = layFixture();
    const TMPLS m = readPlaylist(laid.clean, "00000.mpls");
    // Four bytes after the first PlayItem's STN_table, counted by the PlayItem,
    // the PlayList and every address behind them.
    const std::size_t item0 = m.PlayList_start_address + 10;
    const std::size_t item0End = item0 + 2 + m.PlayList.PlayItems[0].length;
    Bytes raw = laid.clean;
    const Bytes extra{0xDE, 0xAD, 0xBE, 0xEF};
    raw.insert(raw.begin() + static_cast<std::ptrdiff_t>(item0End), extra.begin(), extra.end());
    auto add16 = [&](std::size_t at, int d) {
        const int v = (raw[at] << 8 | raw[at + 1]) + d;
        raw[at] = static_cast<std::uint8_t>(v >> 8);
        raw[at + 1] = static_cast<std::uint8_t>(v);
    };
    add16(item0, 4);
    add16(m.PlayList_start_address + 2, 4);
    add16(14, 4);
    add16(18, 4);
    const TMPLS x = readPlaylist(raw, "spare.mpls");
    EXPECT_EQ(x.PlayList.PlayItems[0].spare, extra);
    EXPECT_EQ(x.PlayList.PlayItems[1].Clip_Information_file_name, "00004");
    EXPECT_EQ(x.PlayListMark.marks, m.PlayListMark.marks);
    EXPECT_EQ(writePlaylist(x), raw);

    // Room between the sections: a longer AppInfoPlayList and a gap before the marks.
    TMPLS g = m;
    g.AppInfoPlayList.length += 2;
    g.AppInfoPlayList.spare = {1, 2};
    g.spare_after_AppInfoPlayList = {3, 4};
    g.spare_after_PlayList = {0, 5, 6, 7};
    for (std::uint32_t* a : {&g.PlayList_start_address, &g.PlayListMark_start_address, &g.ExtensionData_start_address})
        *a += 4;
    g.PlayListMark_start_address += 3;
    g.ExtensionData_start_address += 3;
    const Bytes out = writePlaylist(g);
    EXPECT_EQ(readPlaylist(out, "gap.mpls"), g);
}

TEST(PlaylistWrite, InconsistentModelsAreRefused) {
    const Laid laid = layFixture();
    const TMPLS m = readPlaylist(laid.clean, "00000.mpls");
    struct Case {
        const char* what;
        void (*change)(TMPLS&);
    };
    const Case cases[] = {
        {"PlayItem count", [](TMPLS& x) { x.PlayList.number_of_PlayItems = 3; }},
        {"stream count", [](TMPLS& x) { x.PlayList.PlayItems[0].STN_table.primary_audio.emplace_back(); }},
        {"angle count", [](TMPLS& x) { x.PlayList.PlayItems[0].multi_clip.angles.pop_back(); }},
        {"reference count", [](TMPLS& x) { x.PlayList.PlayItems[0].STN_table.secondary_audio[0].primary_audio_stream_id_ref.pop_back(); }},
        {"mark count", [](TMPLS& x) { x.PlayListMark.marks.emplace_back(); }},
        {"STN_table length too small", [](TMPLS& x) { x.PlayList.PlayItems[0].STN_table.length -= 2; }},
        {"marks address inside the PlayList", [](TMPLS& x) { x.PlayListMark_start_address -= 4; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMPLS x = m;
        c.change(x);
        EXPECT_THROW((void)writePlaylist(x), std::invalid_argument);
    }
}

TEST(PlaylistJson, SyntaxNamesAndNumbers) {
    const TMPLS m = readPlaylist(layFixture().clean, "00000.mpls");
    const auto j = toJson(m);
    EXPECT_EQ(j["type_indicator"], "MPLS");
    EXPECT_EQ(j["AppInfoPlayList"]["UO_mask_table"][1], 0x9ABCDEF0u);
    const auto& item = j["PlayList"]["PlayItems"][0];
    EXPECT_EQ(item["IN_time"], 27000000);
    EXPECT_EQ(item["multi_clip"]["angles"].size(), 3u);
    EXPECT_EQ(item["STN_table"]["secondary_video_streams"][0]["stream_entry"]["ref_to_stream_PID_of_mainClip"],
              0x1B00);
    EXPECT_EQ(item["STN_table"]["PG_textST_streams"][0]["stream_attributes"]["language_code"], "fra");
    EXPECT_EQ(j["PlayList"]["SubPaths"][0]["SubPlayItems"][0]["Clip_entries"].size(), 3u);
    EXPECT_EQ(j["PlayListMark"]["PlayListMarks"][1]["mark_time_stamp"], 27500000);
    EXPECT_EQ(j["ExtensionData"]["number_of_ext_data_entries"], 2);
    EXPECT_EQ(j["spare_after_PlayList"], "00");
}
