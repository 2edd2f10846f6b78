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
    w.put3byte(0xABCDEF);  // reserved bits: dropped by the reader
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
    Bytes expected = raw;
    expected[8] = expected[9] = expected[10] = 0;  // reserved written as zero
    EXPECT_EQ(w.bytes(), expected);
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
