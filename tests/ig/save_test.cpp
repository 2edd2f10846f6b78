// The writer: round trips, segmentation at its boundaries, object delivery
// order, time stamps, palette entries and the PES framing.

#include "compare.h"
#include "fixtures.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/save.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

struct Segment {
    std::uint32_t pts = 0, dts = 0;
    std::uint8_t type = 0;
    Bytes body;
};

// The records of a .mnu, read independently of the loader.
std::vector<Segment> records(const Bytes& mnu) {
    std::vector<Segment> out;
    for (std::size_t i = 0; i + 13 <= mnu.size();) {
        EXPECT_EQ(mnu[i], 'I');
        EXPECT_EQ(mnu[i + 1], 'G');
        auto u32 = [&](std::size_t at) {
            return std::uint32_t{mnu[at]} << 24 | std::uint32_t{mnu[at + 1]} << 16 | mnu[at + 2] << 8 | mnu[at + 3];
        };
        Segment s{u32(i + 2), u32(i + 6), mnu[i + 10], {}};
        const std::size_t n = std::size_t{mnu[i + 11]} << 8 | mnu[i + 12];
        s.body.assign(mnu.begin() + static_cast<std::ptrdiff_t>(i + 13),
                      mnu.begin() + static_cast<std::ptrdiff_t>(i + 13 + n));
        out.push_back(std::move(s));
        i += 13 + n;
    }
    return out;
}

std::vector<Segment> ofType(const std::vector<Segment>& all, IgSegmentType type) {
    std::vector<Segment> out;
    for (const Segment& s : all)
        if (s.type == static_cast<std::uint8_t>(type)) out.push_back(s);
    return out;
}

TEST(SaveIgs, RoundTripsAndSavesTwiceTheSame) {
    for (const StreamModel model : {StreamModel::OutOfMux, StreamModel::Multiplexed}) {
        SCOPED_TRACE(static_cast<int>(model));
        TIGSc m = smallMenu(model);
        const TIGSc before = m;
        const SavedIgs saved = writeIGS(m, IgsForm::Mnu);
        const Bytes& first = saved.data;
        // The menu given is not changed.
        EXPECT_EQ(m.resource, before.resource);
        EXPECT_EQ(m.ics_segments, before.ics_segments);
        EXPECT_EQ(m.interactive_composition_data_length, before.interactive_composition_data_length);
        TIGSc back = loadMNU(first, "saved.mnu");
        expectSameMenu(before, back);
        EXPECT_EQ(back.interactive_composition_data_length, saved.menu.interactive_composition_data_length);
        EXPECT_EQ(back.interactive_composition_data_length,
                  pageData(m).size() + (model == StreamModel::Multiplexed ? 15 : 5));
        // The saved menu describes what was written, and writes it again unchanged.
        expectSameMenu(saved.menu, back);
        EXPECT_EQ(saveIGS(saved.menu, IgsForm::Mnu), first);
        EXPECT_EQ(saveIGS(m, IgsForm::Mnu), first);
        EXPECT_EQ(saveIGS(back, IgsForm::Mnu), first);
    }
}

// A page whose data is exactly `size` bytes: a page, a BOG and a button (59
// bytes), commands of 12 bytes and an in-effect of 5 bytes with composition
// objects of 8 bytes for the rest.
TPage pageOfSize(std::size_t size) {
    TPage page;
    TBOG bog;
    bog.default_valid_button_id_ref = 0;
    bog.buttons = {button(0, 0, 0, 0)};
    bog.buttons[0].commands.clear();
    const std::size_t rest = size - 59;
    const std::size_t commands = (rest - 33) / 12;
    std::size_t left = rest - 12 * commands;  // 33..44: one effect of 5 bytes and 8-byte objects, or more effects
    bog.buttons[0].commands.assign(commands, TCommand{});
    Teffectseq& in = page.effects[InEffects];
    in.effects.emplace_back();
    left -= 5;
    while (left % 8 != 0) {
        in.effects.emplace_back();
        left -= 5;
    }
    in.effects[0].composition_objects.assign(left / 8, TCompObject{});
    page.BOGs = {bog};
    return page;
}

TEST(SaveIgs, IcsSegmentsAtTheirCapacity) {
    struct Case {
        StreamModel model;
        std::size_t pageBytes;
        std::vector<std::size_t> segmentLengths;
    } cases[] = {
        {StreamModel::OutOfMux, 65502, {65519}},
        {StreamModel::OutOfMux, 65503, {65519, 10}},
        {StreamModel::OutOfMux, 65502 + 65510, {65519, 65519}},
        {StreamModel::OutOfMux, 65503 + 65510, {65519, 65519, 10}},
        {StreamModel::Multiplexed, 65492, {65519}},
        {StreamModel::Multiplexed, 65493, {65519, 10}},
    };
    for (const Case& c : cases) {
        TIGSc m = smallMenu(c.model);
        m.pages = {pageOfSize(c.pageBytes / 2), pageOfSize(c.pageBytes - c.pageBytes / 2)};
        m.page_buttons = {buildButtonTable(m.pages[0]), buildButtonTable(m.pages[1])};
        ASSERT_EQ(pageData(m).size(), c.pageBytes);
        const SavedIgs saved = writeIGS(m, IgsForm::Mnu);
        const Bytes& mnu = saved.data;
        std::vector<std::size_t> lengths;
        for (const Segment& s : ofType(records(mnu), IgSegmentType::ICS)) lengths.push_back(s.body.size());
        EXPECT_EQ(lengths, c.segmentLengths) << c.pageBytes;
        EXPECT_EQ(saved.menu.ics_segments.size(), c.segmentLengths.size());
        EXPECT_EQ(saved.menu.ics_segments.front().sequence_flags & kFirstInSequence, kFirstInSequence);
        EXPECT_EQ(saved.menu.ics_segments.back().sequence_flags & kLastInSequence, kLastInSequence);
        EXPECT_EQ(loadMNU(mnu, "big.mnu").pages, m.pages) << c.pageBytes;
    }
}

// A picture whose code is exactly `coded` bytes: lines of 4000 alternating
// pixels (4002 bytes each), then a line of single pixels and one long run.
std::shared_ptr<const IndexedImage> pictureCodingTo(std::size_t coded) {
    const std::size_t full = (coded - 5) / 4002;
    const std::size_t singles = (coded - 5) % 4002;
    auto p = std::make_shared<IndexedImage>(4000, static_cast<std::uint16_t>(full + 1));
    for (std::size_t i = 0; i < p->pixels.size(); ++i) p->pixels[i] = static_cast<std::uint8_t>(1 + i % 2);
    std::fill(p->row(full) + singles, p->row(full) + 4000, 0);
    return p;
}

TEST(SaveIgs, OdsSegmentsAtTheirCapacity) {
    struct Case {
        std::size_t coded;
        std::vector<std::size_t> segmentLengths;
    } cases[] = {
        {65508, {65519}},
        {65509, {65519, 5}},
        {65508 + 65515, {65519, 65519}},
        {65508 + 65516, {65519, 65519, 5}},
    };
    for (const Case& c : cases) {
        TIGSc m = smallMenu();
        m.objects.resize(1);
        m.objects[0].picture = pictureCodingTo(c.coded);
        ASSERT_EQ(rleEncode(*m.objects[0].picture).size(), c.coded);
        const SavedIgs saved = writeIGS(m, IgsForm::Mnu);
        const Bytes& mnu = saved.data;
        const auto ods = ofType(records(mnu), IgSegmentType::ODS);
        std::vector<std::size_t> lengths;
        for (const Segment& s : ods) lengths.push_back(s.body.size());
        EXPECT_EQ(lengths, c.segmentLengths) << c.coded;
        EXPECT_EQ(saved.menu.objects[0].fragments.size(), c.segmentLengths.size());
        EXPECT_EQ(saved.menu.objects[0].object_data_length, c.coded);
        // Every segment of an object shares its time stamps.
        for (const Segment& s : ods) EXPECT_EQ(s.pts, ods.front().pts);
        TIGSc back = loadMNU(mnu, "big.mnu");
        rle_decode(back, 0);
        EXPECT_EQ(*back.objects[0].picture, *m.objects[0].picture) << c.coded;
    }
}

TEST(SaveIgs, ObjectOrder) {
    TIGSc m = smallMenu();
    // Objects 6..11: 6 unused, 7 only on page 2, 8 in an in-effect of page 0,
    // 9..11 on the button of the BOG without a valid default button; 12 is no object.
    for (std::uint16_t o = 6; o < 12; ++o) {
        TIGobject obj;
        obj.picture = bandedPicture(8, 2, 1);
        m.objects.push_back(obj);
    }
    m.objects.emplace_back();
    m.objects.push_back(m.objects[6]);
    m.pages[0].BOGs[1].buttons[0] = button(2, 9, 10, 11);
    Teffect effect;
    effect.composition_objects = {TCompObject{8}, TCompObject{12}, TCompObject{0xFFFF}};
    m.pages[0].effects[InEffects].effects = {effect};
    TPage page2;
    TBOG bog;
    bog.buttons = {button(0, 7, 7, 7)};
    page2.BOGs = {bog};
    m.pages.push_back(TPage{});
    m.pages.push_back(page2);
    m.page_buttons = {buildButtonTable(m.pages[0]), {}, buildButtonTable(page2)};

    EXPECT_EQ(objectOrder(m), (std::vector<std::size_t>{8, 0, 3, 1, 4, 2, 5, 9, 10, 11, 6, 7, 13}));
    EXPECT_EQ(m.objects[8].writer_slot, 0);
    EXPECT_EQ(m.objects[12].writer_slot, -1);
    const auto ods = ofType(records(saveIGS(m, IgsForm::Mnu)), IgSegmentType::ODS);
    ASSERT_EQ(ods.size(), 13u);
    EXPECT_EQ(ods[0].body[1], 8);
    EXPECT_EQ(ods[12].body[1], 13);
}

TEST(SaveIgs, TimeStampsDeliverObjectsBackToBack) {
    // A menu without objects: ICS decoded at its presentation time.
    TIGSc empty = smallMenu();
    empty.objects.clear();
    empty.palettes.clear();
    empty.in_time = 180000;
    auto segs = records(saveIGS(empty, IgsForm::Mnu));
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ(segs[0].pts, 180000u);
    EXPECT_EQ(segs[0].dts, 180000u);
    EXPECT_EQ(segs[1].type, 0x80);
    EXPECT_EQ(segs[1].pts, 180000u - pageData(empty).size() * 9 / 600);

    TIGSc m = smallMenu();
    m.in_time = 1000;  // earlier than the transfer takes: the stamps wrap
    segs = records(saveIGS(m, IgsForm::Mnu));
    const auto ods = ofType(segs, IgSegmentType::ODS);
    std::uint64_t N = 0;
    std::vector<std::size_t> coded;
    for (const Segment& s : ods) {
        coded.push_back(s.body.size() - 11);
        N += coded.back();
    }
    EXPECT_EQ(segs[0].pts, 1000u);
    EXPECT_EQ(segs[0].dts, static_cast<std::uint32_t>(1000 - N * 9 / 600));
    EXPECT_EQ(ofType(segs, IgSegmentType::PDS).at(0).pts, segs[0].dts);
    EXPECT_EQ(ofType(segs, IgSegmentType::PDS).at(0).dts, 0u);
    std::uint64_t remaining = N;
    for (std::size_t k = 0; k < ods.size(); ++k) {
        EXPECT_EQ(ods[k].dts, static_cast<std::uint32_t>(1000 - remaining * 9 / 600)) << k;
        EXPECT_EQ(ods[k].pts, static_cast<std::uint32_t>(1000 - (remaining - coded[k]) * 9 / 600)) << k;
        remaining -= coded[k];
    }
    EXPECT_EQ(ods.back().pts, 1000u);
    EXPECT_EQ(segs.back().pts, static_cast<std::uint32_t>(1000 - coded.back() * 9 / 600));
    EXPECT_EQ(segs.back().dts, 0u);
}

TEST(SaveIgs, PaletteEntriesWritten) {
    TIGSc m = smallMenu();
    m.objects.clear();
    m.colour_matrix = ColourMatrix::BT601;  // the menu's matrix converts a colour without Y, Cr, Cb
    TIGpalette visible16;
    for (std::uint8_t e = 0; e < 16; ++e) setPaletteEntryYCrCb(visible16, e, {static_cast<std::uint8_t>(30 + e), 128, 128}, 255);
    TIGpalette special;
    special.colours[3] = {200, 10, 10, 255};      // Y 0: computed from the colour on save
    setPaletteEntryYCrCb(special, 4, {16, 128, 128}, 0);  // defined transparent black: kept
    setPaletteEntryYCrCb(special, 255, {100, 128, 128}, 255);  // entry 255: never written
    m.palettes = {visible16, special};

    const SavedIgs saved = writeIGS(m, IgsForm::Mnu);
    const auto pds = ofType(records(saved.data), IgSegmentType::PDS);
    ASSERT_EQ(pds.size(), 2u);
    EXPECT_EQ(pds[0].body.size(), 82u);
    EXPECT_EQ(pds[1].body, (Bytes{1, 0, 3, 73, 211, 101, 255, 4, 16, 128, 128, 0}));
    EXPECT_EQ(saved.menu.palettes[1].entries[3], rgb2ycrcb(200, 10, 10));
}

// 33-bit time stamp fields of a PES header, bit 32 dropped.
std::uint32_t timeStamp(const std::uint8_t* b) {
    return static_cast<std::uint32_t>((b[0] & 0x0E) << 29 | b[1] << 22 | (b[2] & 0xFE) << 14 | b[3] << 7 |
                                      (b[4] & 0xFE) >> 1);
}

TEST(SaveIgs, PesFramingOneSegmentPerPacket) {
    TIGSc m = smallMenu();
    m.in_time = 0x87654321;
    TIGSc copy = m;
    const auto segs = records(saveIGS(copy, IgsForm::Mnu));
    const Bytes pes = saveIGS(m, IgsForm::Pes);
    std::size_t at = 0;
    for (const Segment& s : segs) {
        ASSERT_LE(at + 14, pes.size());
        const std::uint8_t* p = pes.data() + at;
        EXPECT_EQ(Bytes(p, p + 4), (Bytes{0x00, 0x00, 0x01, 0xBD}));
        const bool withDts = s.dts != 0;
        const std::size_t length = std::size_t{p[4]} << 8 | p[5];
        EXPECT_EQ(length, s.body.size() + (withDts ? 16 : 11));
        EXPECT_EQ(p[6], 0x84);
        EXPECT_EQ(p[7], withDts ? 0xC0 : 0x80);
        EXPECT_EQ(p[8], withDts ? 10 : 5);
        EXPECT_EQ(p[9] >> 4, withDts ? 3 : 2);
        EXPECT_EQ(timeStamp(p + 9), s.pts);
        if (withDts) {
            EXPECT_EQ(p[14] >> 4, 1);
            EXPECT_EQ(timeStamp(p + 14), s.dts);
        }
        const std::size_t header = 9 + p[8];
        EXPECT_EQ(p[header], s.type);
        EXPECT_EQ(Bytes(p + header + 3, p + 6 + length), s.body);
        at += 6 + length;
    }
    EXPECT_EQ(at, pes.size());
}

}  // namespace
