// Edits of the sound.bdmv model (insert after the selected row, delete,
// create, ExtensionData) and the texts of its grid and readout.

#include "core/fileio.h"
#include "sound/sound_edit.h"
#include "sound/sound_io.h"
#include "sound/wav.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace navora;

namespace {

TSoundEntry entry(std::size_t bytes, std::uint8_t fill, SoundChannels ch = SoundChannels::Mono) {
    TSoundEntry e;
    e.channel_configuration = ch;
    e.data = Bytes(bytes, fill);
    e.sound_data_length = static_cast<std::uint32_t>(bytes);
    return e;
}

// The model of the file the model is saved as.
TSND saved(const TSND& s) { return readSound(writeSound(s), "sound.bdmv"); }

TSND threeEntries() {
    TSND s;
    s.entries = {entry(6, 0xA0), entry(8, 0xB0), entry(10, 0xC0)};
    layoutSound(s);
    return s;
}

std::vector<std::uint8_t> fills(const TSND& s) {
    std::vector<std::uint8_t> v;
    for (const auto& e : s.entries) v.push_back(e.data.front());
    return v;
}

}  // namespace

TEST(SoundEdit, InsertGoesAfterTheSelectedRow) {
    const struct {
        const char* what;
        TSND start;
        std::size_t selected;
        std::size_t at;
        std::vector<std::uint8_t> after;
    } cases[] = {
        {"empty table", TSND{}, 0, 0, {0x11}},
        {"first row selected", threeEntries(), 0, 1, {0xA0, 0x11, 0xB0, 0xC0}},
        {"middle row selected", threeEntries(), 1, 2, {0xA0, 0xB0, 0x11, 0xC0}},
        {"last row selected", threeEntries(), 2, 3, {0xA0, 0xB0, 0xC0, 0x11}},
        {"selection past the end", threeEntries(), 9, 3, {0xA0, 0xB0, 0xC0, 0x11}},
    };
    for (const auto& c : cases) {
        TSND s = c.start;
        EXPECT_EQ(insertSound(s, c.selected, entry(4, 0x11)), c.at) << c.what;
        EXPECT_EQ(fills(s), c.after) << c.what;
        // The addresses the views show are those of the saved file.
        EXPECT_EQ(s, saved(s)) << c.what;
    }
}

TEST(SoundEdit, DeleteMovesTheRestDown) {
    TSND s = threeEntries();
    EXPECT_FALSE(deleteSound(s, 3));
    EXPECT_EQ(s, threeEntries());
    ASSERT_TRUE(deleteSound(s, 0));
    EXPECT_EQ(fills(s), (std::vector<std::uint8_t>{0xB0, 0xC0}));
    EXPECT_EQ(s.entries[1].sound_data_start_address, 8u);
    EXPECT_EQ(s.SoundData_start_address, 66u);
    EXPECT_EQ(s.length, 22u);
    EXPECT_EQ(s, saved(s));
    ASSERT_TRUE(deleteSound(s, 1));
    ASSERT_TRUE(deleteSound(s, 0));
    EXPECT_EQ(s, TSND{});
}

TEST(SoundEdit, RefusedInsertsLeaveTheModelAsItWas) {
    TSND full;
    full.entries.assign(kMaxSoundEntries, entry(2, 1));
    layoutSound(full);
    TSND s = full;
    EXPECT_THROW(insertSound(s, 0, entry(2, 2)), std::length_error);
    EXPECT_EQ(s, full);

    TSND big = threeEntries();
    s = big;
    EXPECT_THROW(insertSound(s, 0, entry(kMaxDatabaseFileSize, 0)), std::length_error);
    EXPECT_EQ(s, big);

    const Bytes notWav(40, 0);
    EXPECT_THROW(loadSound(s, notWav, "x.wav", 0), WavFormatError);
    EXPECT_EQ(s, big);
}

TEST(SoundEdit, CreateAndExtensionData) {
    TSND s = createSound(mkWav(entry(4, 0x55, SoundChannels::Stereo)), "first.wav");
    EXPECT_EQ(s.type_indicator, "BCLK");
    EXPECT_EQ(s.version_number, "0200");
    EXPECT_EQ(s.ExtensionData_start_address, 0u);
    ASSERT_EQ(s.entries.size(), 1u);
    EXPECT_EQ(s.entries[0].channel_configuration, SoundChannels::Stereo);
    EXPECT_EQ(s.SoundData_start_address, 56u);

    TExtensionData block;
    block.length = 12;
    block.data_block_start_address = 12;
    block.data = {1, 2, 3, 4};
    insertSound(s, 0, entry(6, 0x66));
    setSoundExtensionData(s, block);
    EXPECT_EQ(s.ExtensionData_start_address, 66u + 4 + 6 + 2);  // after the data and its padding
    const TSND back = saved(s);
    EXPECT_EQ(back.ext, block);
    EXPECT_EQ(back, s);

    setSoundExtensionData(s, TExtensionData{});
    EXPECT_EQ(s.ExtensionData_start_address, 0u);
    EXPECT_EQ(writeSound(s).size(), 66u + 12);
}

TEST(SoundText, GridRows) {
    const struct {
        std::uint8_t channels, frequency, bits;
        std::uint32_t length;
        std::array<std::string, 5> row;
    } cases[] = {
        {1, 1, 1, 192000, {"007", "Mono", "48kHz", "16", "1 s"}},
        {3, 1, 1, 288000, {"007", "Stereo", "48kHz", "16", "1.5 s"}},
        {3, 1, 1, 1920 * 105 + 1919, {"007", "Stereo", "48kHz", "16", "1.05 s"}},
        {2, 2, 2, 1919, {"007", "-", "-", "-", "0 s"}},
    };
    for (const auto& c : cases) {
        TSoundEntry e;
        e.channel_configuration = static_cast<SoundChannels>(c.channels);
        e.sampling_frequency = static_cast<SoundFrequency>(c.frequency);
        e.bits_per_sample = static_cast<SoundBits>(c.bits);
        e.sound_data_length = c.length;
        EXPECT_EQ(soundGridRow(e, 7), c.row) << c.length;
    }
}

TEST(SoundText, ReadoutFoundLineAndExportName) {
    TSND s;
    EXPECT_EQ(soundReadout(s, 0), "");
    s.entries = {entry(6, 1), entry(1234566, 2)};
    layoutSound(s);
    EXPECT_EQ(soundReadout(s, 1),
              "Data start: 00000008 (8)  Length: 0012D686 (1,234,566)  Total data length: 0012D68E(1,234,574)");
    EXPECT_EQ(soundReadout(s, 0, '.'),
              "Data start: 00000000 (0)  Length: 00000006 (6)  Total data length: 0012D68E(1.234.574)");
    EXPECT_EQ(soundFoundLine(0), " Found [b]0[/b] sound entry");
    EXPECT_EQ(soundFoundLine(1), " Found [b]1[/b] sound entry");
    EXPECT_EQ(soundFoundLine(2), " Found [b]2[/b] sound entries");
    EXPECT_EQ(soundExportName(4), "sound_004.wav");
}

TEST(SoundEdit, PlayingAnEntryHandsItsImageToThePlayer) {
    struct FakePlayer : WavePlayer {
        std::vector<Bytes> played;
        bool busy = false;
        bool Play(const Bytes& wav) override {
            if (busy) return false;
            played.push_back(wav);
            return true;
        }
        void Stop() override {}
        bool playing() const override { return busy; }
    } player;
    const TSND s = threeEntries();
    EXPECT_FALSE(plWav(s, 3, player));
    EXPECT_TRUE(player.played.empty());
    EXPECT_TRUE(plWav(s, 1, player));
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0], mkWav(s.entries[1]));
    player.busy = true;
    EXPECT_FALSE(plWav(s, 0, player));
}
