#include "core/errors.h"
#include "core/extdata.h"

#include <gtest/gtest.h>

using namespace navora;

namespace {

// A block with two entries and 150 data bytes after the table (length 182).
Bytes twoEntryBlock() {
    ByteWriter w;
    w.putlword(182);
    w.putlword(36);       // data_block_start_address = 12 + 2 * 12
    w.put3byte(0xABCDEF);  // reserved bits: kept as read
    w.putbyte(2);
    w.putword(1), w.putword(1), w.putlword(36), w.putlword(30);
    w.putword(3), w.putword(5), w.putlword(66), w.putlword(120);
    for (int i = 0; i < 150; ++i) w.putbyte(static_cast<std::uint8_t>(i));
    return w.take();
}

}  // namespace

TEST(ExtensionData, ReadWriteRoundTripAndCaption) {
    const Bytes raw = twoEntryBlock();
    ByteReader in(raw, "x.mpls");
    TExtensionData b;
    ReadExtensionData(in, b);
    EXPECT_EQ(b.length, 182u);
    ASSERT_EQ(b.entries.size(), 2u);
    EXPECT_EQ(b.entries[1], (TExtDataEntry{3, 5, 66, 120}));
    EXPECT_EQ(b.data.size(), 150u);
    EXPECT_EQ(ExtDatCap(b), "2 entries, 186 bytes");

    ByteWriter w;
    WriteExtensionData(w, b);
    EXPECT_EQ(w.bytes(), raw);  // the reserved bits too: nothing is cleared without a word
}

TEST(ExtensionData, CaptionCases) {
    TExtensionData b;
    EXPECT_EQ(ExtDatCap(b), "no ExtensionData()");
    b.length = 40;
    EXPECT_EQ(ExtDatCap(b), "no ExtensionData()");  // a length but no entries
    b.entries.resize(1);
    b.number_of_ext_data_entries = 1;
    EXPECT_EQ(ExtDatCap(b), "1 entry, 44 bytes");
}

TEST(ExtensionData, EmptyBlockIsFourZeroBytesAndReadStopsThere) {
    const Bytes raw{0, 0, 0, 0, 0xEE};
    ByteReader in(raw);
    TExtensionData b;
    b.length = 99;
    ReadExtensionData(in, b);
    EXPECT_EQ(b, TExtensionData{});
    EXPECT_EQ(in.pos(), 4u);
    ByteWriter w;
    WriteExtensionData(w, b);
    EXPECT_EQ(w.bytes(), (Bytes{0, 0, 0, 0}));
}

TEST(ExtensionData, ACutEntryTableIsAFormatErrorAndLeavesTheBlock) {
    Bytes raw = twoEntryBlock();
    raw.resize(20);
    ByteReader in(raw, "cut.clpi");
    TExtensionData b;
    b.length = 7;
    EXPECT_THROW(ReadExtensionData(in, b), FormatError);
    EXPECT_EQ(b.length, 7u);
}

TEST(ExtensionData, StartAddressRulePerHost) {
    TExtensionData empty, full;
    full.length = 40;
    EXPECT_EQ(extDataStartAddress(ExtDataHost::Index, empty, 78, 42), 0u);
    EXPECT_EQ(extDataStartAddress(ExtDataHost::Index, full, 78, 42), 124u);
    EXPECT_EQ(extDataStartAddress(ExtDataHost::MovieObject, full, 0, 250), 294u);
    EXPECT_EQ(extDataStartAddress(ExtDataHost::Playlist, full, 200, 30), 234u);
    EXPECT_EQ(extDataStartAddress(ExtDataHost::ClipInfo, full, 300, 0), 304u);
    EXPECT_EQ(extDataStartAddress(ExtDataHost::Sound, full, 512, 99), 512u);
}

// ---- The editor's views and .exd files ----------------------------------------

namespace {

// One entry of 40 bytes at block offset 0x18 (right after a one-entry table):
// "Navora" then 0x00..0x21 cycling through control and printable bytes.
TExtensionData fortyByteEntryBlock() {
    TExtensionData b;
    b.length = 8 + 12 + 40;
    b.data_block_start_address = 0x14;
    b.number_of_ext_data_entries = 1;
    b.entries = {{0x1000, 0x0001, 0x14, 40}};
    for (char c : std::string("Navora")) b.data.push_back(static_cast<std::uint8_t>(c));
    for (int i = 0; i < 34; ++i) b.data.push_back(static_cast<std::uint8_t>(i));
    return b;
}

std::string runText(const DumpLine& line, DumpRunKind kind) {
    for (const DumpRun& r : line.runs)
        if (r.kind == kind) return line.text.substr(r.begin, r.end - r.begin);  // ASCII lines only
    return "<none>";
}

}  // namespace

TEST(ExtensionDataEditor, FortyByteEntryIsTwoDumpLines) {
    const TExtensionData b = fortyByteEntryBlock();
    const std::vector<DumpLine> lines = extDataDump(b, 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text,
              std::string(" 0014 4E 61 76 6F 72 61 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19") +
              " Navora" + std::string(26, '.'));
    EXPECT_EQ(lines[1].text,
              " 0034 1A 1B 1C 1D 1E 1F 20 21" + std::string(24 * 3, ' ') + " ...... !");
    EXPECT_EQ(runText(lines[1], DumpRunKind::Address), "0034");
    EXPECT_EQ(runText(lines[1], DumpRunKind::Hex), " 1A 1B 1C 1D 1E 1F 20 21" + std::string(24 * 3, ' '));
    EXPECT_EQ(runText(lines[1], DumpRunKind::Chars), "...... !");
    EXPECT_EQ(extDatProp(b), "64 bytes, 1 entry");
    const auto rows = extDataEntryRows(b);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number + rows[0].id1 + rows[0].id2 + rows[0].start + rows[0].length,
              "000" "1000" "0001" "00000014" "00000028");
}

TEST(ExtensionDataEditor, HighBytesShowAsWindows1252AndRunsCountCharacters) {
    TExtensionData b;
    b.length = 8 + 12 + 5;
    b.data_block_start_address = 20;
    b.entries = {{1, 1, 20, 5}};
    b.data = {0x80, 0x81, 0xE9, 0x7F, 0x41};
    const auto lines = extDataDump(b, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].text.ends_with(" \u20AC.\u00E9.A")) << lines[0].text;
    const DumpRun chars = lines[0].runs.back();
    EXPECT_EQ(chars.kind, DumpRunKind::Chars);
    EXPECT_EQ(chars.end - chars.begin, 5u);  // characters, not UTF-8 bytes
}

TEST(ExtensionDataEditor, EntriesOutsideTheDataShowOnlyWhatIsThere) {
    TExtensionData b = fortyByteEntryBlock();
    b.entries.push_back({2, 2, 0x30, 100});  // 28 bytes left from index 0x1C
    b.entries.push_back({3, 3, 0x04, 8});    // before the data block
    b.entries.push_back({4, 4, 0x9000, 8});  // past the data
    const auto cut = extDataDump(b, 1);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(runText(cut[0], DumpRunKind::Chars).size(), 12u);
    EXPECT_EQ(cut[1].runs.front().kind, DumpRunKind::Note);
    EXPECT_NE(cut[1].text.find("12 of the entry's 100 bytes"), std::string::npos) << cut[1].text;
    for (std::size_t e : {2u, 3u}) {
        const auto none = extDataDump(b, e);
        ASSERT_EQ(none.size(), 1u) << e;
        EXPECT_NE(none[0].text.find("0 of the entry's 8 bytes"), std::string::npos);
    }
    EXPECT_TRUE(extDataDump(b, 9).empty());
}

TEST(ExtensionDataEditor, TypedID1IsLenientHex) {
    const std::pair<const char*, std::uint16_t> cases[] = {
        {"a1b", 0x0A1B}, {"g1", 0x0001}, {"FfeE", 0xFFEE}, {"", 0}, {"12345", 0x2345}, {"0x10", 0x0010}};
    for (const auto& [text, id] : cases) {
        TExtensionData b = fortyByteEntryBlock();
        EXPECT_TRUE(setExtDataEntryID1(b, 0, text));
        EXPECT_EQ(b.entries[0].ID1, id) << text;
        EXPECT_EQ(b.entries[0].ID2, 1);
    }
    TExtensionData b = fortyByteEntryBlock();
    EXPECT_FALSE(setExtDataEntryID1(b, 1, "1"));
}

TEST(ExtensionDataEditor, SummaryCases) {
    TExtensionData b;
    EXPECT_EQ(extDatProp(b), "None");
    b.length = 40;
    EXPECT_EQ(extDatProp(b), "44 bytes, 0 entry");
    b.entries.resize(2);
    b.length = 182;
    EXPECT_EQ(extDatProp(b), "186 bytes, 2 entries");
}

TEST(ExdFile, SavedBlockLoadsBackAndLeavesTheHostsTrailingBytesOut) {
    // As read from a host file: the data array runs on past the block's length.
    const Bytes raw = twoEntryBlock();
    Bytes host = raw;
    host.insert(host.end(), {0xDE, 0xAD});
    ByteReader in(host, "00001.clpi");
    TExtensionData b;
    ReadExtensionData(in, b);
    ASSERT_EQ(b.data.size(), 152u);

    const Bytes exd = writeExd(b);
    EXPECT_EQ(exd, raw);
    EXPECT_EQ(exdBytesBeyondBlock(b), 2u);
    const TExtensionData back = readExd(exd, "x.exd");
    EXPECT_EQ(writeExd(back), exd);
    EXPECT_EQ(back.entries, b.entries);
    EXPECT_EQ(back.data, Bytes(b.data.begin(), b.data.begin() + 150));
    EXPECT_EQ(writeExd(TExtensionData{}), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(readExd(Bytes{0, 0, 0, 0}, "empty.exd"), TExtensionData{});
}

TEST(ExdFile, BrokenFilesAreRefusedWithTheirPlace) {
    Bytes cut = twoEntryBlock();
    cut.resize(100);
    Bytes tooShortLength = twoEntryBlock();
    tooShortLength[3] = 20;  // length 20 < 8 + 2 x 12
    const std::pair<Bytes, const char*> cases[] = {
        {cut, "cut short"}, {tooShortLength, "smaller than its header"}, {Bytes{0, 0}, ""}};
    for (const auto& [bytes, what] : cases) {
        try {
            readExd(bytes, "bad.exd");
            ADD_FAILURE() << what;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.exd"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
        }
    }
}
