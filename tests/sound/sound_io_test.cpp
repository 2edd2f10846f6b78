// sound.bdmv: reading, writing with recomputed addresses and 4-byte
// alignment, and refusing files that are not sound.bdmv or are cut short.

#include "core/errors.h"
#include "sound/sound_io.h"
#include "soundtest.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

using namespace navora;
using namespace navora::test;

namespace {

Bytes ramp(std::size_t n, std::uint8_t from) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), from);
    return b;
}

// An ExtensionData block with one entry whose 4 data bytes follow the table.
Bytes extBlock() {
    ByteWriter w;
    w.putlword(24);        // length
    w.putlword(24);        // data_block_start_address
    w.putzeros(3);
    w.putbyte(1);          // one entry
    w.putword(0x1000);     // ID1
    w.putword(0x0001);     // ID2
    w.putlword(24);        // ext_data_start_address
    w.putlword(4);         // ext_data_length
    w.putbytes(Bytes{0xDE, 0xAD, 0xBE, 0xEF});
    return w.take();
}

}  // namespace

// Two entries of 6 and 8 bytes: the second starts at 8 and two zero bytes
// follow the first. The bytes are written out field by field here.
TEST(SoundFile, TwoEntriesAreAlignedOnFourBytes) {
    TSND s;
    TSoundEntry mono;
    mono.channel_configuration = SoundChannels::Mono;
    mono.data = ramp(6, 1);
    TSoundEntry stereo;
    stereo.channel_configuration = SoundChannels::Stereo;
    stereo.data = ramp(8, 0x21);
    s.entries = {mono, stereo};

    ByteWriter expected;
    expected.putstring("BCLK0200", 8);
    expected.putlword(66);  // SoundData_start_address: 46 + 2 x 10
    expected.putlword(0);   // no ExtensionData
    expected.putzeros(24);
    expected.putlword(22);  // length: 2 + 2 x 10
    expected.putbyte(0);
    expected.putbyte(2);
    expected.putbytes(Bytes{0x11, 0x40, 0, 0, 0, 0, 0, 0, 0, 6});  // mono, 48 kHz, 16 bit, at 0, 6 bytes
    expected.putbytes(Bytes{0x31, 0x40, 0, 0, 0, 8, 0, 0, 0, 8});  // stereo, at 8, 8 bytes
    expected.putbytes(ramp(6, 1));
    expected.putzeros(2);
    expected.putbytes(ramp(8, 0x21));
    EXPECT_EQ(writeSound(s), expected.bytes());

    const TSND read = readSound(expected.bytes(), "sound.bdmv");
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].sound_data_start_address, 8u);
    EXPECT_EQ(read.entries[1].channel_configuration, SoundChannels::Stereo);
    EXPECT_EQ(read.entries[0].data, ramp(6, 1));
    EXPECT_EQ(read.entries[1].data, ramp(8, 0x21));
}

TEST(SoundFile, RoundTripsByteForByte) {
    const struct {
        const char* what;
        std::vector<RawSoundEntry> entries;
        Bytes ext;
        const char* version;
    } cases[] = {
        {"no entries, version 0100", {}, {}, "0100"},
        {"no entries, block at the data start", {}, extBlock(), "0200"},
        {"one entry of whole words and a block", {{0x11, 0x40, ramp(4, 9)}}, extBlock(), "0200"},
        {"padded entries then a block", {{0x11, 0x40, ramp(6, 1)}, {0x31, 0x40, ramp(10, 50)}}, extBlock(), "0200"},
        {"odd length", {{0x11, 0x40, ramp(5, 1)}, {0x11, 0x40, ramp(2, 7)}}, {}, "0200"},
        {"codes the grid shows as -", {{0x22, 0x80, ramp(4, 3)}}, {}, "0200"},
    };
    for (const auto& c : cases) {
        const Bytes file = soundFile(c.entries, c.ext, c.version);
        const TSND s = readSound(file, "sound.bdmv");
        EXPECT_EQ(s.entries.size(), c.entries.size()) << c.what;
        EXPECT_EQ(s.ext.length != 0, !c.ext.empty()) << c.what;
        EXPECT_EQ(writeSound(s), file) << c.what;
    }
}

// A file whose data does not follow the writer's layout is read by its
// addresses and written in the layout, with every sound unchanged.
TEST(SoundFile, AddressesAreRecomputedOnWrite) {
    ByteWriter w;
    w.putstring("BCLK0200", 8);
    w.putlword(60);  // four spare bytes before the data
    w.putlword(0);
    w.putbytes(Bytes(24, 0xAA));  // reserved, not zero
    w.putlword(99);               // a wrong length
    w.putbyte(0xFF);
    w.putbyte(1);
    w.putbytes(Bytes{0x31, 0x7F, 0, 0, 0, 2, 0, 0, 0, 6});  // reserved bits set; data 2 bytes in
    w.putbytes(Bytes{0xEE, 0xEE, 0xEE, 0xEE});
    w.putbytes(Bytes{0xEE, 0xEE});
    w.putbytes(ramp(6, 1));
    const TSND s = readSound(w.bytes(), "sound.bdmv");
    ASSERT_EQ(s.entries.size(), 1u);
    EXPECT_EQ(s.entries[0].data, ramp(6, 1));
    EXPECT_EQ(s.entries[0].bits_per_sample, SoundBits::Bits16);
    EXPECT_EQ(writeSound(s), soundFile({{0x31, 0x40, ramp(6, 1)}}));
}

TEST(SoundFile, RefusesFilesItCannotRead) {
    const Bytes good = soundFile({{0x11, 0x40, ramp(6, 1)}, {0x31, 0x40, ramp(8, 1)}}, extBlock());
    auto changed = [&](std::function<void(Bytes&)> f) {
        Bytes b = good;
        f(b);
        return b;
    };
    const struct {
        const char* what;
        Bytes file;
        bool wrongType;
        std::uint64_t offset;
        const char* message;
    } cases[] = {
        {"another type", changed([](Bytes& b) { b[3] = 'X'; }), true, 8, "type indicator \"BCLX\" is not \"BCLK\""},
        {"another version", changed([](Bytes& b) { b[5] = '3'; }), true, 8, "version \"0300\""},
        {"cut in the header", Bytes(good.begin(), good.begin() + 30), false, 16, "unexpected end"},
        {"more entries than bytes", changed([](Bytes& b) { b.resize(50); b[45] = 200; }), false, 46,
         "200 sound entries cannot fit"},
        {"data beyond the end", changed([](Bytes& b) { b[57 + 4] = 0xFF; }), false, 56, "sound entry 1 declares"},
        {"block address beyond the end", changed([](Bytes& b) { b[12] = 0x7F; }), false, 12, "beyond the end"},
        {"block cut short", Bytes(good.begin(), good.end() - 1), false, 82, "ExtensionData block cut short"},
    };
    for (const auto& c : cases) {
        try {
            readSound(c.file, "AUXDATA/sound.bdmv");
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const FormatError& e) {
            EXPECT_EQ(dynamic_cast<const WrongTypeError*>(&e) != nullptr, c.wrongType) << c.what;
            EXPECT_EQ(e.file(), "AUXDATA/sound.bdmv") << c.what;
            EXPECT_EQ(e.offset(), c.offset) << c.what << ": " << e.what();
            EXPECT_NE(e.reason().find(c.message), std::string::npos) << c.what << ": " << e.what();
        }
    }
}
