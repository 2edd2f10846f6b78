// The playlist edits: size bookkeeping of every structural edit, stream
// placement and limits, the IN-time cascade, the typed cell rules, marks.

#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "playlist/playlist_time.h"
#include "playlist/fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace navora;
using navora::test::mark;
using navora::test::richPlaylist;

namespace {

// The fields the bookkeeping moves, for PlayItem 0.
struct Sizes {
    std::int64_t item = 0, stn = 0, playList = 0, marksAt = 0, marks = 0, ext = 0;
    bool operator==(const Sizes&) const = default;
};

Sizes sizesOf(const TMPLS& m) {
    const TPlayItem& p = m.PlayList.PlayItems.at(0);
    return {p.length, p.STN_table.length, m.PlayList.length, m.PlayListMark_start_address, m.PlayListMark.length,
            m.ExtensionData_start_address};
}

Sizes operator-(const Sizes& a, const Sizes& b) {
    return {a.item - b.item, a.stn - b.stn, a.playList - b.playList, a.marksAt - b.marksAt, a.marks - b.marks,
            a.ext - b.ext};
}

std::ostream& operator<<(std::ostream& os, const Sizes& s) {
    return os << "{PlayItem " << s.item << ", STN " << s.stn << ", PlayList " << s.playList << ", marks at "
              << s.marksAt << ", PlayListMark " << s.marks << ", ExtensionData at " << s.ext << "}";
}

void expectConsistent(const TMPLS& m) {
    test::expectConsistent(m);
    TMPLS computed = m;
    computeSizes(computed);
    EXPECT_EQ(sizesOf(computed), sizesOf(m));
}

// The rich fixture with a second odd-sized SubPath: the PlayList ends at an
// even offset.
TMPLS evenEndPlaylist() {
    TMPLS m = richPlaylist();
    TSubPath sp = m.PlayList.SubPaths[0];
    sp.spare = {0x5B};
    m.PlayList.SubPaths.push_back(sp);
    m.PlayList.number_of_SubPaths = 2;
    computeSizes(m);
    return m;
}

}  // namespace

TEST(PlaylistSizes, TheFixtureIsWhatItClaims) {
    const TMPLS m = richPlaylist();
    expectConsistent(m);
    const std::uint32_t plEnd = m.PlayList_start_address + 4 + m.PlayList.length;
    EXPECT_EQ(plEnd % 2, 1u);
    EXPECT_EQ(m.PlayListMark_start_address, plEnd + 1);
    EXPECT_EQ(m.PlayListMark.length, 2u + 14 * 5);
    EXPECT_EQ(m.ExtensionData_start_address, m.PlayListMark_start_address + 4 + 72);
    const Bytes file = writePlaylist(m);
    EXPECT_EQ(file.size(), m.ExtensionData_start_address + 186u);
    EXPECT_EQ(file[plEnd], 0);  // the padding byte
}

// Each structural edit moves the lengths and addresses by its size (the
// bookkeeping table), agrees with the sizes the content gives, and the edit
// that takes it back restores the file byte for byte.
TEST(PlaylistEdit, StructuralEditsMoveEveryLengthAndAddressByTheirSize) {
    using K = StreamKind;
    struct Case {
        const char* what;
        std::function<TMPLS()> start;
        std::function<void(TMPLS&)> edit;
        Sizes delta;
        std::function<void(TMPLS&)> undo;  // may be empty
    };
    auto del = [](K kind, std::size_t row) {
        return [=](TMPLS& m) { ASSERT_TRUE(deleteStream(m, 0, kind, row)); };
    };
    auto insThenDel = [](K kind, std::optional<std::size_t> after) {
        return std::pair{[=](TMPLS& m) { ASSERT_TRUE(insertStream(m, 0, kind, after)); },
                         [=](TMPLS& m) {
                             ASSERT_TRUE(deleteStream(m, 0, kind, after ? *after + 1 : streamCount(m.PlayList.PlayItems[0].STN_table, kind) - 1));
                         }};
    };
    const Sizes s16{16, 16, 16, 16, 0, 16};
    const Sizes m16{-16, -16, -16, -16, 0, -16};
    std::vector<Case> cases;
    for (auto [kind, name] : {std::pair{K::PrimaryAudio, "primary audio"}, {K::PG, "PG"}, {K::IG, "IG"},
                              {K::PiPPG, "PiP PG"}}) {
        auto [ins, undo] = insThenDel(kind, 0);
        cases.push_back({name, richPlaylist, ins, s16, undo});
    }
    {
        auto [ins, undo] = insThenDel(K::SecondaryAudio, std::nullopt);
        cases.push_back({"secondary audio, no references", richPlaylist, ins, {18, 18, 18, 18, 0, 18}, undo});
    }
    cases.push_back({"delete secondary audio with 3 references", richPlaylist, del(K::SecondaryAudio, 0),
                     {-22, -22, -22, -22, 0, -22}, {}});
    cases.push_back({"delete secondary audio with 2 references", richPlaylist, del(K::SecondaryAudio, 1),
                     {-20, -20, -20, -20, 0, -20}, {}});
    cases.push_back({"delete secondary video with 1 + 2 references", richPlaylist, del(K::SecondaryVideo, 0),
                     {-24, -24, -24, -24, 0, -24}, {}});
    cases.push_back({"delete PG", richPlaylist, del(K::PG, 0), m16, {}});
    cases.push_back({"delete PiP PG", richPlaylist, del(K::PiPPG, 0), m16, {}});
    cases.push_back({"delete primary audio", richPlaylist, del(K::PrimaryAudio, 1), m16, {}});
    cases.push_back({"insert SubPath", richPlaylist, [](TMPLS& m) { ASSERT_EQ(insertSubPath(m, 0), 1u); },
                     {0, 0, 40, 40, 0, 40}, [](TMPLS& m) { deleteSubPath(m, 1); }});
    // 93 bytes: the PlayList's end becomes even and its padding byte goes.
    cases.push_back({"delete the odd SubPath", richPlaylist, [](TMPLS& m) { deleteSubPath(m, 0); },
                     {0, 0, -93, -94, 0, -94}, {}});
    // ... and from an even end a padding byte comes.
    cases.push_back({"delete an odd SubPath from an even end", evenEndPlaylist, [](TMPLS& m) { deleteSubPath(m, 1); },
                     {0, 0, -93, -92, 0, -92}, {}});
    cases.push_back({"SubPlayItem multi-clip off drops 3 clip entries",
                     richPlaylist, [](TMPLS& m) { ASSERT_TRUE(setSubPlayItemMulti(m, 0, 0, false)); },
                     {0, 0, -22, -22, 0, -22}, {}});
    cases.push_back({"SubPlayItem multi-clip on", richPlaylist,
                     [](TMPLS& m) { ASSERT_TRUE(setSubPlayItemMulti(m, 0, 1, true)); }, {0, 0, 2, 2, 0, 2},
                     [](TMPLS& m) { ASSERT_TRUE(setSubPlayItemMulti(m, 0, 1, false)); }});
    cases.push_back({"insert mark", richPlaylist, [](TMPLS& m) { ASSERT_EQ(insertMark(m, 4), 5u); },
                     {0, 0, 0, 0, 14, 14}, [](TMPLS& m) { ASSERT_TRUE(deleteMarks(m, 5, 5)); }});
    cases.push_back({"delete two marks of five", richPlaylist, [](TMPLS& m) { ASSERT_EQ(deleteMarks(m, 1, 2), 0u); },
                     {0, 0, 0, 0, -28, -28}, {}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TMPLS before = c.start();
        const Bytes file = writePlaylist(before);
        TMPLS m = before;
        c.edit(m);
        EXPECT_EQ(sizesOf(m) - sizesOf(before), c.delta);
        expectConsistent(m);
        if (c.undo) {
            c.undo(m);
            EXPECT_EQ(writePlaylist(m), file);
        }
    }
}

TEST(PlaylistEdit, StreamsGoWhereTheListsSay) {
    TMPLS m = richPlaylist();
    const TSTN& t = m.PlayList.PlayItems[0].STN_table;
    // A new PG goes into the PG part, before the PiP PG entry.
    ASSERT_EQ(insertStream(m, 0, StreamKind::PG, 0), 1u);
    ASSERT_EQ(t.PG_textST.size(), 3u);
    EXPECT_EQ(t.number_of_PG_textST_stream_entries, 2);
    EXPECT_EQ(t.number_of_PiP_PG_textST_stream_entries_plus, 1);
    EXPECT_EQ(t.PG_textST[0].stream_entry.ref_to_stream_PID_of_mainClip, 0x1200);
    EXPECT_EQ(t.PG_textST[1].stream_attributes.stream_coding_type, 0x90);
    EXPECT_EQ(t.PG_textST[1].stream_attributes.language_code, "eng");
    EXPECT_EQ(t.PG_textST[2].stream_attributes.language_code, "deu");  // the PiP PG entry stays last
    // Deleting the first PG keeps the PiP PG entry after the PG part.
    EXPECT_EQ(deleteStream(m, 0, StreamKind::PG, 0), 0u);
    EXPECT_EQ(streamAt(t, StreamKind::PiPPG, 0).stream_attributes.language_code, "deu");
    // A PiP PG deletion acts within the PiP part.
    EXPECT_EQ(deleteStream(m, 0, StreamKind::PiPPG, 0), 0u);
    ASSERT_EQ(t.PG_textST.size(), 1u);
    EXPECT_EQ(t.PG_textST[0].stream_entry.type, kStreamOfPlayItem);

    // The defaults of each kind; a PID the kind already plays (0x1100 and
    // 0x1101, the IG's sub PID 0x1400) is not taken twice: the next free one.
    ASSERT_EQ(insertStream(m, 0, StreamKind::PrimaryAudio, 1), 2u);
    const TStreamItem& a = t.primary_audio[2];
    EXPECT_EQ(a.stream_entry.ref_to_stream_PID_of_mainClip, 0x1102);
    EXPECT_EQ(a.stream_attributes.stream_coding_type, 0x81);
    EXPECT_EQ(a.stream_attributes.audio_presentation_type, 6);
    EXPECT_EQ(a.stream_attributes.sampling_frequency, 1);
    ASSERT_EQ(insertStream(m, 0, StreamKind::IG, std::nullopt), 1u);
    const TStreamEntry& ig = t.IG[1].stream_entry;
    EXPECT_EQ(ig.type, kStreamOfSubPath);
    EXPECT_EQ(ig.ref_to_stream_PID_of_subClip, 0x1401);
    EXPECT_EQ(t.IG[1].stream_attributes.stream_coding_type, 0x91);
    // An empty kind gets its first stream at row 0.
    TMPLS bare = test::simplePlaylist({test::playItem("00001", 0, 45000)});
    EXPECT_EQ(insertStream(bare, 0, StreamKind::PG, 7), 0u);
    expectConsistent(m);
    expectConsistent(bare);
}

// With the PlayItem's clip known, a new stream plays the clip's first stream
// of the kind that is not yet played, with its attributes; typed PIDs that
// duplicate a stream of the kind or that the clip lacks are refused by name.
TEST(PlaylistEdit, StreamPidsComeFromTheClipAndAreNotDuplicated) {
    TMPLS m = test::simplePlaylist({test::playItem("00001", 0, 45000)});  // video 1011, audio 1100
    const TSTN& t = m.PlayList.PlayItems[0].STN_table;
    const std::vector<ClipStream> clip = {{0x1011, 0x1B, 0, 0, ""},    {0x1100, 0x81, 6, 1, "eng"},
                                          {0x1101, 0x84, 3, 1, "fra"}, {0x1A00, 0xA1, 3, 1, "deu"},
                                          {0x1200, 0x90, 0, 0, "spa"}, {0x1B00, 0x1B, 0, 0, ""}};
    struct KindCase {
        StreamKind kind;
        std::vector<std::uint16_t> pids;
    };
    for (const KindCase& c :
         {KindCase{StreamKind::PrimaryVideo, {0x1011}}, KindCase{StreamKind::PrimaryAudio, {0x1100, 0x1101}},
          KindCase{StreamKind::SecondaryAudio, {0x1A00}}, KindCase{StreamKind::PG, {0x1200}},
          KindCase{StreamKind::IG, {}}, KindCase{StreamKind::SecondaryVideo, {0x1B00}}}) {
        std::vector<std::uint16_t> pids;
        for (const ClipStream& s : clipStreamsOfKind(clip, c.kind)) pids.push_back(s.pid);
        EXPECT_EQ(pids, c.pids) << streamKindName(c.kind);
    }

    ASSERT_EQ(insertStream(m, 0, StreamKind::PrimaryAudio, std::nullopt, &clip), 1u);
    const TStreamItem& fra = t.primary_audio[1];
    EXPECT_EQ(fra.stream_entry.ref_to_stream_PID_of_mainClip, 0x1101);
    EXPECT_EQ(fra.stream_attributes.stream_coding_type, 0x84);
    EXPECT_EQ(fra.stream_attributes.language_code, "fra");
    EXPECT_EQ(fra.stream_attributes.audio_presentation_type, 3);
    const TMPLS before = m;
    EXPECT_FALSE(insertStream(m, 0, StreamKind::PrimaryAudio, std::nullopt, &clip)) << "every audio stream is played";
    EXPECT_EQ(m, before);
    expectConsistent(m);

    struct PidCase {
        std::uint16_t pid;
        const std::vector<ClipStream>* clip;
        std::optional<std::string> refusal;
    };
    const PidCase cases[] = {
        {0x1101, &clip, std::nullopt},  // its own PID
        {0x1100, &clip, "PID 1100 is already audio stream 001"},
        {0x1100, nullptr, "PID 1100 is already audio stream 001"},
        {0x1105, &clip, "Clip 00001 has no audio stream on PID 1105; it has 1100, 1101"},
        {0x1105, nullptr, std::nullopt},  // the clip is not known: only duplicates are refused
    };
    for (const PidCase& c : cases)
        EXPECT_EQ(streamPidRefusal(t, StreamKind::PrimaryAudio, 1, StreamField::MainPID, c.pid, c.clip, "00001"),
                  c.refusal)
            << std::hex << c.pid;
}

TEST(PlaylistEdit, StreamLimitsAndRefusals) {
    TMPLS m = test::simplePlaylist({test::playItem("00001", 0, 45000)});
    const TSTN& t = m.PlayList.PlayItems[0].STN_table;
    EXPECT_FALSE(deleteStream(m, 0, StreamKind::PrimaryAudio, 0)) << "the only primary audio stream";
    EXPECT_FALSE(deleteStream(m, 0, StreamKind::PrimaryVideo, 0));
    EXPECT_FALSE(deleteStream(m, 0, StreamKind::PG, 0)) << "no PG stream";
    EXPECT_FALSE(insertStream(m, 0, StreamKind::PrimaryVideo, 0));
    EXPECT_FALSE(insertStream(m, 0, StreamKind::SecondaryVideo, 0));
    for (int i = 1; i < 32; ++i) ASSERT_TRUE(insertStream(m, 0, StreamKind::PrimaryAudio, std::nullopt));
    EXPECT_EQ(t.primary_audio.size(), 32u);
    const TMPLS full = m;
    EXPECT_FALSE(canInsertStream(t, StreamKind::PrimaryAudio));
    EXPECT_FALSE(insertStream(m, 0, StreamKind::PrimaryAudio, 0));
    EXPECT_EQ(m, full);
    for (int i = 0; i < 255; ++i) ASSERT_TRUE(insertStream(m, 0, StreamKind::PiPPG, std::nullopt));
    EXPECT_FALSE(insertStream(m, 0, StreamKind::PiPPG, 0)) << "PG and PiP PG together hold 255";
    expectConsistent(m);
    EXPECT_THROW((void)insertStream(m, 1, StreamKind::PG, 0), std::out_of_range);
    EXPECT_FALSE(deleteStream(m, 0, StreamKind::IG, 0));
    EXPECT_THROW((void)deleteStream(m, 0, StreamKind::PiPPG, 255), std::out_of_range);
}

// Entry types and coding types the reader keeps as raw bytes switch to and
// from decoded ones without changing the stream's size.
TEST(PlaylistEdit, StreamFieldsReadUndecodedBytesTheOtherWay) {
    TMPLS m = test::simplePlaylist({test::playItem("00001", 0, 45000)});
    TStreamItem& v = m.PlayList.PlayItems[0].STN_table.primary_video[0];
    ASSERT_TRUE(setStreamField(v, StreamField::CodingType, 0x77));  // not decoded
    const Bytes undecoded = writePlaylist(m);
    EXPECT_EQ(writePlaylist(readPlaylist(undecoded, "x.mpls")), undecoded);
    EXPECT_EQ(v.stream_attributes.spare, (Bytes{0x61, 0, 0, 0}));
    ASSERT_TRUE(setStreamField(v, StreamField::CodingType, 0xEA));
    EXPECT_EQ(v.stream_attributes.video_format, 6);
    EXPECT_EQ(v.stream_attributes.frame_rate, 1);
    EXPECT_TRUE(v.stream_attributes.spare.empty());

    ASSERT_TRUE(setStreamField(v, StreamField::EntryType, 0));
    ASSERT_TRUE(setStreamField(v, StreamField::EntryType, kStreamInMuxOfSubPath));
    EXPECT_EQ(v.stream_entry.ref_to_SubPath_id, 0x10);  // the PID's first byte, read as a type-3 entry
    EXPECT_EQ(v.stream_entry.ref_to_stream_PID_of_mainClip, 0x1100);
    ASSERT_TRUE(setStreamField(v, StreamField::SubPathId, 2));
    expectConsistent(m);

    EXPECT_FALSE(setStreamField(v, StreamField::FrameRate, 16));
    EXPECT_FALSE(setStreamField(v, StreamField::MainPID, 0x10000));
    v.stream_entry.type = 9;
    v.stream_entry.spare = {1, 2};  // an undecoded entry too short for a decoded type
    EXPECT_FALSE(setStreamField(v, StreamField::EntryType, kStreamOfPlayItem));
    EXPECT_EQ(v.stream_entry.type, 9);
}

TEST(PlaylistEdit, SubPathInsertTypeAndRepeat) {
    TMPLS m = richPlaylist();
    ASSERT_EQ(insertSubPath(m, std::nullopt), 1u);
    const TSubPath& sp = m.PlayList.SubPaths[1];
    EXPECT_EQ(sp.length, 36u);
    EXPECT_EQ(sp.SubPath_type, 3);
    const TSubPlayItem& s = sp.SubPlayItems.at(0);
    EXPECT_EQ(s.Clip_Information_file_name, "00001");
    EXPECT_EQ(s.SP_connection_condition, 1);
    EXPECT_EQ(s.SubPlayItem_IN_time, 27000000u);
    EXPECT_EQ(s.SubPlayItem_OUT_time, 54000000u);
    TSubPath& first = m.PlayList.SubPaths[0];
    first.repeat = 0x8001;
    EXPECT_FALSE(setSubPathRepeat(first, true)) << "type 5";
    setSubPathType(first, 2);
    EXPECT_EQ(first.repeat, 0x8001) << "type 2 keeps the word";
    EXPECT_TRUE(setSubPathRepeat(first, false));
    EXPECT_EQ(first.repeat, 0);
    EXPECT_TRUE(setSubPathRepeat(first, true));
    setSubPathType(first, 4);
    EXPECT_EQ(first.repeat, 0);
    EXPECT_EQ(deleteSubPath(m, 0), 0u);
    EXPECT_EQ(deleteSubPath(m, 0), 0u);
    EXPECT_TRUE(m.PlayList.SubPaths.empty());
    expectConsistent(m);
    TMPLS empty;
    EXPECT_FALSE(insertSubPath(empty, std::nullopt)) << "no PlayItem";
}

// Changing IN from 00:10:00.000 to 00:10:05.000: each of the three choices
// moves exactly its own times by 225000 ticks, and only forward or back as
// far as the 32-bit field goes.
TEST(PlaylistEdit, InTimeCascadeChoicesAreIndependent) {
    TMPLS base = richPlaylist();
    const std::uint32_t in10 = *parseTypedTime("00:10:00.000");
    base.PlayList.PlayItems[1].IN_time = in10;
    base.PlayList.PlayItems[1].OUT_time = in10 + 450000;
    base.PlayList.SubPaths[0].SubPlayItems[1].SubPlayItem_IN_time = 100000;  // moved back past 0 below
    EXPECT_EQ(inTimeQuestions(base, 1, in10), InTimeCascade{});
    const InTimeCascade asked = inTimeQuestions(base, 1, in10 + 1);
    EXPECT_TRUE(asked.out && asked.subPlayItems && asked.marks);
    TMPLS noMarks = test::simplePlaylist({test::playItem("00001", 0, 45000)});
    const InTimeCascade q = inTimeQuestions(noMarks, 0, 1);
    EXPECT_TRUE(q.out);
    EXPECT_FALSE(q.subPlayItems || q.marks);

    for (int bits = 0; bits < 8; ++bits) {
        const InTimeCascade c{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        SCOPED_TRACE(bits);
        TMPLS m = base;
        ASSERT_TRUE(editPlayItemCell(m, 1, PlayItemColumn::In, "00:10:05.000", c));
        const TPlayItem& p = m.PlayList.PlayItems[1];
        EXPECT_EQ(p.IN_time, in10 + 225000);
        EXPECT_EQ(p.OUT_time, in10 + 450000 + (c.out ? 225000 : 0));
        EXPECT_EQ(m.PlayList.PlayItems[0], base.PlayList.PlayItems[0]);
        for (std::size_t i = 0; i < 2; ++i) {
            const TSubPlayItem& s = m.PlayList.SubPaths[0].SubPlayItems[i];
            const TSubPlayItem& b = base.PlayList.SubPaths[0].SubPlayItems[i];
            EXPECT_EQ(s.SubPlayItem_IN_time, b.SubPlayItem_IN_time + (c.subPlayItems ? 225000u : 0u));
            EXPECT_EQ(s.SubPlayItem_OUT_time, b.SubPlayItem_OUT_time + (c.subPlayItems ? 225000u : 0u));
        }
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(m.PlayListMark.marks[i].mark_time_stamp,
                      base.PlayListMark.marks[i].mark_time_stamp + (c.marks ? 225000u : 0u));
    }
    // Moving IN back by 00:10:00: a SubPlayItem at 100000 stops at 0.
    TMPLS m = base;
    setPlayItemInTime(m, 1, 0, {true, true, true});
    EXPECT_EQ(m.PlayList.SubPaths[0].SubPlayItems[1].SubPlayItem_IN_time, 0u);
    EXPECT_EQ(m.PlayList.SubPaths[0].SubPlayItems[1].SubPlayItem_OUT_time, 0u);
    EXPECT_EQ(m.PlayList.PlayItems[1].OUT_time, 450000u);
}

// Typed cells: what is taken and what is stored.
TEST(PlaylistEdit, CellRules) {
    struct Case {
        const char* what;
        std::function<bool(TMPLS&)> edit;
        bool taken;
        std::function<std::uint64_t(const TMPLS&)> field;
        std::uint64_t expected;
    };
    using SC = SubPlayItemColumn;
    using PC = PlayItemColumn;
    auto sub = [](SC c, const char* text) {
        return [=](TMPLS& m) { return editSubPlayItemCell(m, 0, 1, c, text); };
    };
    auto pi = [](PC c, const char* text) { return [=](TMPLS& m) { return editPlayItemCell(m, 0, c, text); }; };
    auto subItem = [](const TMPLS& m) -> const TSubPlayItem& { return m.PlayList.SubPaths[0].SubPlayItems[1]; };
    auto conn = [=](const TMPLS& m) -> std::uint64_t { return subItem(m).SP_connection_condition; };
    auto uo = [](int w) { return [=](const TMPLS& m) -> std::uint64_t { return m.PlayList.PlayItems[0].UO_mask_table[w]; }; };
    const std::vector<Case> cases = {
        {"sync PTS 00:00:01.000", sub(SC::SyncPTS, "00:00:01.000"), true,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).sync_start_PTS_of_PlayItem; }, 45000},
        {"conn 0 stores 1", sub(SC::Conn, "0"), true, conn, 1},
        {"conn 5 stores 5", sub(SC::Conn, "5"), true, conn, 5},
        {"conn 6 stores 6", sub(SC::Conn, "6"), true, conn, 6},
        {"conn blank is ignored", sub(SC::Conn, " "), false, conn, 0},
        {"sync PI 1000 stores 1", sub(SC::SyncPI, "1000"), true,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).sync_PlayItem_id; }, 1},
        {"STC 300 does not fit", sub(SC::STC, "300"), false,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).ref_to_STC_id; }, 0},
        {"IN with 11 characters", sub(SC::In, "00:00:01.00"), false,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).SubPlayItem_IN_time; }, 100},
        {"OUT with a blank", sub(SC::Out, "00:00:01 000"), false,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).SubPlayItem_OUT_time; }, 200},
        {"OUT 26:30:43.717 is the largest time", sub(SC::Out, "26:30:43.717"), true,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).SubPlayItem_OUT_time; }, 4294967265u},
        {"OUT 26:30:43.718 does not fit and does not wrap", sub(SC::Out, "26:30:43.718"), false,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).SubPlayItem_OUT_time; }, 200},
        {"file 7 is stored as typed", sub(SC::File, "7"), true,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).Clip_Information_file_name == "7"; }, 1},
        {"multi Y", sub(SC::Multi, "Y"), true,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).number_of_Clip_entries; }, 1},
        {"type is not editable", sub(SC::Type, "ABCD"), false,
         [=](const TMPLS& m) -> std::uint64_t { return subItem(m).Clip_codec_identifier == "M2TS"; }, 1},
        {"UO1 reads hex digits only", pi(PC::UO1, "12-4abCD"), true, uo(0), 0x124ABCD},
        {"UO1 with 7 characters", pi(PC::UO1, "1234567"), false, uo(0), 0},
        {"UO2 keeps bit 30 only", pi(PC::UO2, "FFFFFFFF"), true, uo(1), 0x40000000},
        {"PlayItem file needs 5 characters", pi(PC::File, "0007"), false,
         [](const TMPLS& m) -> std::uint64_t { return m.PlayList.PlayItems[0].Clip_Information_file_name == "00001"; }, 1},
        {"PlayItem file and angle 0", pi(PC::File, "00007"), true,
         [](const TMPLS& m) -> std::uint64_t {
             return m.PlayList.PlayItems[0].multi_clip.angles[0].Clip_Information_file_name == "00007";
         }, 1},
        {"OUT time", pi(PC::Out, "00:20:01.000"), true,
         [](const TMPLS& m) -> std::uint64_t { return m.PlayList.PlayItems[0].OUT_time; }, 54045000},
        {"length is not editable", pi(PC::Length, "00:00:01.000"), false,
         [](const TMPLS& m) -> std::uint64_t { return m.PlayList.PlayItems[0].OUT_time; }, 54000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMPLS m = richPlaylist();
        const TMPLS before = m;
        EXPECT_EQ(c.edit(m), c.taken);
        EXPECT_EQ(c.field(m), c.expected);
        if (!c.taken) {
            EXPECT_EQ(m, before);
        }
        expectConsistent(m);
    }
}

TEST(PlaylistEdit, MarkTimesClampAndMarksInsertWhereSelected) {
    struct Case {
        MarkTime typed, stored;
        std::uint32_t ticks;
    };
    const Case cases[] = {
        {{25, 59, 59, 999}, {25, 59, 59, 999}, 4211999955u},
        {{30, 0, 0, 0}, {25, 0, 0, 0}, 25u * 162000000u},
        {{1, 75, -3, 1500}, {1, 59, 0, 999}, 162000000u + 59 * 2700000u + 999 * 45u},
    };
    for (const Case& c : cases) {
        TPlayListMarkEntry k;
        EXPECT_EQ(setMarkTime(k, c.typed), c.stored);
        EXPECT_EQ(k.mark_time_stamp, c.ticks);
        EXPECT_EQ(splitMarkTime(k.mark_time_stamp), c.stored);
    }

    TMPLS m = richPlaylist();
    ASSERT_EQ(insertMark(m, 1), 2u);
    // A new mark starts at the first PlayItem's IN time, where it can play.
    EXPECT_EQ(m.PlayListMark.marks[2], (TPlayListMarkEntry{0, kEntryMark, 0, 27000000, 0xFFFF, 0}));
    EXPECT_FALSE(markPlaceFault(m, m.PlayListMark.marks[2]));
    EXPECT_EQ(m.PlayListMark.marks[3].mark_time_stamp, 54000000u);
    EXPECT_EQ(insertMark(m, std::nullopt), 6u);
    EXPECT_EQ(deleteMarks(m, 0, 100), 0u);
    EXPECT_TRUE(m.PlayListMark.marks.empty());
    EXPECT_EQ(m.PlayListMark.length, 2u);
    EXPECT_FALSE(deleteMarks(m, 0, 0));
    expectConsistent(m);
    for (int i = 0; i < 999; ++i) ASSERT_TRUE(insertMark(m, std::nullopt));
    EXPECT_FALSE(insertMark(m, 0));

    // A playlist without a PlayListMark section gets one.
    TMPLS bare = test::simplePlaylist({test::playItem("00001", 0, 45000)});
    bare.PlayListMark_start_address = 0;
    bare.PlayListMark.length = 0;
    bare = readPlaylist(writePlaylist(bare), "bare.mpls");
    ASSERT_EQ(bare.PlayListMark_start_address, 0u);
    expectConsistent(bare);
    ASSERT_EQ(insertMark(bare, std::nullopt), 0u);
    EXPECT_EQ(bare.PlayListMark.length, 16u);
    expectConsistent(bare);
}

// Marks outside their PlayItem are named with what is wrong; the edges of a
// PlayItem (IN and OUT) are inside.
TEST(PlaylistEdit, MisplacedMarksAreFound) {
    const TMPLS m =
        test::simplePlaylist({test::playItem("00001", 27000000, 54000000), test::playItem("00002", 900000, 1800000)},
                             {test::mark(0, 27000000), test::mark(0, 0), test::mark(1, 1800000), test::mark(1, 1800001),
                              test::mark(2, 27000000), test::mark(1, 27000000, kLinkPoint)});
    EXPECT_EQ(markFaults(m), (std::vector<std::string>{
                                 "Mark 001: 00:00:00.000 lies outside PlayItem 000 (00:10:00.000 to 00:20:00.000)",
                                 "Mark 003: 00:00:40.000 lies outside PlayItem 001 (00:00:20.000 to 00:00:40.000)",
                                 "Mark 004: refers to PlayItem 2, which the playlist does not have (2 PlayItems)",
                                 "Mark 005: 00:10:00.000 lies outside PlayItem 001 (00:00:20.000 to 00:00:40.000)",
                             }));
}

TEST(PlaylistEdit, AppInfoFieldsAndUOBoxes) {
    TMPLS m = richPlaylist();
    TAppInfoPlayList& a = m.AppInfoPlayList;
    setPlaybackType(a, PlaylistPlaybackType::Shuffle);
    setPlaybackCount(a, 9999);
    setAppInfoFlag(a, AppInfoFlag::AudioMix, true);
    EXPECT_TRUE(appInfoFlag(a, AppInfoFlag::AudioMix));
    EXPECT_FALSE(appInfoFlag(a, AppInfoFlag::BypassMixer));
    const auto& boxes = uoBoxes();
    EXPECT_EQ(boxes.front().bit, 31);
    EXPECT_STREQ(boxes[5].hint, "Skip back to previous point ");
    EXPECT_STREQ(boxes.back().name, "cbUO2_30");
    for (const UOBox& b : boxes) setUOBit(a.UO_mask_table, b, true);
    EXPECT_EQ(a.UO_mask_table[0], 0xFFFFFFFFu);
    EXPECT_EQ(a.UO_mask_table[1], 0x40000000u);
    setUOBit(a.UO_mask_table, boxes[2], false);
    EXPECT_EQ(a.UO_mask_table[0], 0xDFFFFFFFu);
    EXPECT_FALSE(uoBit(a.UO_mask_table, boxes[2]));
    setUOWord(a.UO_mask_table, 1, 0x0000FFFF);
    EXPECT_EQ(a.UO_mask_table[1], 0u);
    const TMPLS back = readPlaylist(writePlaylist(m), "x.mpls");
    EXPECT_EQ(back.AppInfoPlayList, a);
    EXPECT_EQ(back.AppInfoPlayList.PlayList_playback_type, 3);
}

// The ExtensionData editor's block: placed after the marks, or gone.
TEST(PlaylistEdit, ExtensionDataReplaced) {
    TMPLS m = richPlaylist();
    TExtensionData one;
    one.length = 8 + 12 + 4;
    one.data_block_start_address = 24;
    one.number_of_ext_data_entries = 1;
    one.entries = {{0xFF01, 1, 24, 4}};
    one.data = {1, 2, 3, 4};
    const std::uint32_t at = m.ExtensionData_start_address;
    setPlaylistExtensionData(m, one);
    EXPECT_EQ(m.ExtensionData_start_address, at);
    expectConsistent(m);
    EXPECT_EQ(writePlaylist(m).size(), at + 28u);
    setPlaylistExtensionData(m, {});
    EXPECT_EQ(m.ExtensionData_start_address, 0u);
    expectConsistent(m);
    EXPECT_EQ(writePlaylist(m).size(), at);
    setPlaylistExtensionData(m, one);
    EXPECT_EQ(m.ExtensionData_start_address, at);
}
