#include "core/bits.h"
#include "core/errors.h"

#include <gtest/gtest.h>

namespace navora {
namespace {

// A record as the syntax tables write it: 1-bit flag, 3-bit field, 4 reserved
// bits, a 12-bit field, 4 reserved bits, then a 33-bit time stamp in 40 bits.
TEST(Bits, WriterAndReaderAgreeFieldByField) {
    ByteWriter out;
    BitWriter bw(out);
    bw.flag(true);
    bw.put(3, 5);
    bw.zeros(4);
    bw.put(12, 0xABC);
    bw.zeros(4);
    bw.zeros(7);
    bw.put(33, 0x1'2345'6789ull);
    bw.expectAligned("test record");
    ASSERT_EQ(out.bytes(), (Bytes{0xD0, 0xAB, 0xC0, 0x01, 0x23, 0x45, 0x67, 0x89}));

    ByteReader in(out.bytes(), "t");
    BitReader br(in);
    EXPECT_TRUE(br.flag());
    EXPECT_EQ(br.bits(3), 5u);
    br.skip(4);
    EXPECT_EQ(br.bits(12), 0xABCu);
    br.skip(11);
    EXPECT_EQ(br.bits64(33), 0x1'2345'6789ull);
    EXPECT_TRUE(br.aligned());
    EXPECT_TRUE(in.atEnd());
}

TEST(Bits, ReadsPastTheEndAndStrayBitsAreLocatedErrors) {
    const Bytes one{0xFF};
    ByteReader in(one, "short.bin");
    BitReader br(in);
    br.bits(5);
    EXPECT_THROW(br.expectAligned("flags"), FormatError);
    EXPECT_THROW(br.bits(4), FormatError);

    ByteWriter out;
    BitWriter bw(out);
    bw.put(3, 1);
    EXPECT_THROW(bw.expectAligned("flags"), std::logic_error);
}

TEST(Bytes, CountsAreCheckedAgainstTheBytesLeft) {
    const Bytes ten(10, 0);
    ByteReader in(ten, "counts.bin");
    in.skip(2);
    EXPECT_NO_THROW(in.checkCount(2, 4, "entries"));
    try {
        in.checkCount(0xFFFF, 4, "entries");
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_EQ(e.offset(), 2u);
        EXPECT_NE(std::string(e.what()).find("65535 entries"), std::string::npos);
    }
    EXPECT_EQ(in.fitting(3), 2u);
}

}  // namespace
}  // namespace navora
