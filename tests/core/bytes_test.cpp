#include "core/bytes.h"
#include "core/errors.h"

#include <gtest/gtest.h>

using namespace navora;

TEST(ByteReader, ReadsBigEndianFieldsInOrder) {
    const Bytes data{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x02, 0x03, 0x04, 0x05,
                     0x06, 0x07, 0x08, 0x09, 'A', 'B', 0, 'C', 'D'};
    ByteReader r(data, "f");
    EXPECT_EQ(r.readbyte(), 0x12);
    EXPECT_EQ(r.readword(), 0x3456);
    EXPECT_EQ(r.read3byte(), 0x789ABCu);
    EXPECT_EQ(r.readlword(), 0xDEF00102u);
    EXPECT_EQ(r.read5byte(), 0x0304050607ull);
    EXPECT_EQ(r.readword(), 0x0809);
    EXPECT_EQ(r.readstring(5), "AB");  // cut at the first NUL, all five bytes consumed
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, ReadPastTheEndNamesFileAndOffsetAndKeepsPosition) {
    const Bytes data{1, 2, 3};
    ByteReader r(data, "index.bdmv");
    r.readword();
    try {
        r.readlword();
        FAIL() << "no error";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.file(), "index.bdmv");
        EXPECT_EQ(e.offset(), 2u);
        EXPECT_NE(std::string(e.what()).find("index.bdmv"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("offset 2"), std::string::npos);
    }
    EXPECT_EQ(r.pos(), 2u);
    EXPECT_EQ(r.readbyte(), 3);
    EXPECT_THROW(r.seek(4), FormatError);
    EXPECT_NO_THROW(r.seek(3));
}

TEST(ByteWriter, WritesFieldsAndPaddedTexts) {
    ByteWriter w;
    w.putbyte(0xAB);
    w.putword(0x1234);
    w.put3byte(0x56789A);
    w.putlword(0xDEADBEEF);
    w.putstring("abcdef", 4);  // cut to width
    w.putstring("xy", 4);      // padded with NUL
    w.patchlword(0, 0x01020304);
    EXPECT_EQ(w.bytes(), (Bytes{1, 2, 3, 4, 0x78, 0x9A, 0xDE, 0xAD, 0xBE, 0xEF, 'a', 'b', 'c', 'd', 'x', 'y', 0, 0}));
}
