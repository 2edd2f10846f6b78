// WAV import and export against WAV files written by sox and ffmpeg, the
// refusals of import, and the image reading of the player.

#include "sound/wav.h"
#include "soundtest.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

// A WAV file laid out by hand: the 16-byte fmt chunk (with the given fields)
// followed by the chunks, each an id and its content.
Bytes wav(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
          const std::vector<std::pair<std::string, Bytes>>& chunks) {
    Bytes b;
    auto put16 = [&](std::uint16_t v) { b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); };
    auto put32 = [&](std::uint32_t v) { put16(std::uint16_t(v)); put16(std::uint16_t(v >> 16)); };
    auto id = [&](const std::string& s) { b.insert(b.end(), s.begin(), s.end()); };
    id("RIFF");
    put32(0);
    id("WAVE");
    id("fmt ");
    put32(16);
    put16(tag);
    put16(channels);
    put32(rate);
    put32(rate * channels * bits / 8);
    put16(static_cast<std::uint16_t>(channels * bits / 8));
    put16(bits);
    for (const auto& [name, content] : chunks) {
        id(name);
        put32(static_cast<std::uint32_t>(content.size()));
        b.insert(b.end(), content.begin(), content.end());
        if (content.size() % 2 != 0) b.push_back(0);
    }
    const auto riff = static_cast<std::uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    return b;
}

void needPeers() {
    if (!haveTool("sox") || !haveTool("ffmpeg")) GTEST_SKIP() << "sox and ffmpeg (Debian packages) are needed";
}

}  // namespace

// WAV files from two independent writers (ffmpeg's carries a LIST chunk
// before "data"): the entry's samples are what sox itself gives as 16-bit
// big-endian raw, and the exported image carries the imported data
// unchanged in a header that sox reads back as the same format.
TEST(WavImport, PeerFilesImportAndExportUnchanged) {
    needPeers();
    TempDir dir;
    const struct {
        const char* what;
        std::string make;
        SoundChannels channels;
        bool hasList;
    } cases[] = {
        {"sox stereo", "sox -V1 -n -r 48000 -b 16 -c 2 IN synth 0.1 sine 440 sine 660", SoundChannels::Stereo, false},
        {"ffmpeg stereo with LIST",
         "ffmpeg -v error -y -f lavfi -i sine=frequency=1000:sample_rate=48000:duration=0.07 "
         "-af 'pan=stereo|c0=c0|c1=-0.5*c0' -c:a pcm_s16le IN",
         SoundChannels::Stereo, true},
        {"sox mono", "sox -V1 -n -r 48000 -b 16 -c 1 IN synth 0.05 square 300", SoundChannels::Mono, false},
    };
    for (const auto& c : cases) {
        const fs::path in = dir / "in.wav", raw = dir / "in.raw", out = dir / "out.wav", back = dir / "back.raw";
        std::string make = c.make;
        make.replace(make.find("IN"), 2, "'" + in.string() + "'");
        ASSERT_TRUE(shell(make)) << c.what;
        const Bytes source = readFile(in);
        EXPECT_EQ(source.size() > 44 + 8 && std::string(source.begin() + 36, source.begin() + 40) == "LIST",
                  c.hasList)
            << c.what;

        const TSoundEntry e = soundFromWav(source, in.string());
        EXPECT_EQ(e.channel_configuration, c.channels) << c.what;
        EXPECT_EQ(e.sound_data_length, wavData(source).size()) << c.what;
        ASSERT_TRUE(shell("sox -V1 '" + in.string() + "' -t raw -e signed -b 16 -B '" + raw.string() + "'"));
        EXPECT_EQ(e.data, readFile(raw)) << c.what << ": samples are not big-endian as sox writes them";

        const Bytes image = mkWav(e);
        EXPECT_EQ(wavData(image), wavData(source)) << c.what;
        writeFile(out, image);
        ASSERT_TRUE(shell("sox -V1 '" + out.string() + "' -t raw -e signed -b 16 -B '" + back.string() + "'"));
        EXPECT_EQ(readFile(back), readFile(raw)) << c.what;
        const int channels = c.channels == SoundChannels::Stereo ? 2 : 1;
        EXPECT_TRUE(shell("test \"$(soxi -c '" + out.string() + "') $(soxi -r '" + out.string() + "') $(soxi -b '" +
                          out.string() + "')\" = '" + std::to_string(channels) + " 48000 16'"))
            << c.what;
        EXPECT_EQ(soundFromWav(image, "out.wav"), e) << c.what;
    }
}

TEST(WavImport, RefusesWhatItCannotTake) {
    needPeers();
    TempDir dir;
    const struct {
        const char* what;
        std::string soxArgs;  // format options of a sox-made file, or empty for the hand-made file
        Bytes file;
        const char* message;
    } cases[] = {
        {"8 bit", "-r 48000 -b 8 -c 1", {}, "8 bits per sample"},
        {"44.1 kHz", "-r 44100 -b 16 -c 2", {}, "sample rate 44100 Hz"},
        {"floating point", "-r 48000 -e floating-point -b 32 -c 1", {}, "format tag 3 is not PCM"},
        {"six channels", "", wav(1, 6, 48000, 16, {{"data", Bytes(12, 1)}}), "6 channels"},
        {"no data chunk", "", wav(1, 2, 48000, 16, {{"LIST", Bytes(10, 'x')}}), "no \"data\" chunk"},
        {"data chunk cut short", "", [] {
             Bytes b = wav(1, 1, 48000, 16, {{"data", Bytes(8, 1)}});
             b.resize(b.size() - 3);
             return b;
         }(), "declares 8 bytes, 5 are present"},
        {"too short", "", Bytes(30, 0), "30 bytes"},
        {"not RIFF", "", [] {
             Bytes b = wav(1, 1, 48000, 16, {{"data", Bytes(4, 1)}});
             b[0] = 'X';
             return b;
         }(), "not a RIFF WAVE file"},
    };
    for (const auto& c : cases) {
        Bytes file = c.file;
        if (!c.soxArgs.empty()) {
            const fs::path p = dir / "refused.wav";
            ASSERT_TRUE(shell("sox -V1 -n " + c.soxArgs + " '" + p.string() + "' synth 0.01 sine 500 2>/dev/null"))
                << c.what;
            file = readFile(p);
        }
        try {
            soundFromWav(file, "refused.wav");
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const WavFormatError& e) {
            EXPECT_EQ(e.file(), "refused.wav");
            EXPECT_NE(e.reason().find(c.message), std::string::npos) << c.what << ": " << e.what();
            const bool formatRule = std::string(c.what) != "no data chunk" && std::string(c.what) != "data chunk cut short";
            EXPECT_EQ(e.reason().rfind(kWavFormatMessage, 0) == 0, formatRule) << c.what << ": " << e.what();
        }
    }
}

// The chunk walk starts after the fmt chunk's declared size and skips the
// pad byte of a chunk of odd size.
TEST(WavImport, WalksLongFmtAndOddChunksToTheData) {
    Bytes b = wav(1, 1, 48000, 16, {{"cue ", Bytes(3, 7)}, {"data", Bytes{0x01, 0x02, 0x03, 0x04}}});
    // Make the fmt chunk 18 bytes long (a cbSize field of 0).
    b.insert(b.begin() + 36, {0, 0});
    b[16] = 18;
    const TSoundEntry e = soundFromWav(b, "odd.wav");
    EXPECT_EQ(e.data, (Bytes{0x02, 0x01, 0x04, 0x03}));
    EXPECT_EQ(e.channel_configuration, SoundChannels::Mono);
}

TEST(WavImage, ReadsWhatThePlayerNeeds) {
    const Bytes stereo = wav(1, 2, 48000, 16, {{"LIST", Bytes(5, 'x')}, {"data", Bytes(2, 9)}});
    const auto img = readWavImage(stereo);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->channels, 2);
    EXPECT_EQ(img->sampleRate, 48000u);
    EXPECT_EQ(img->blockAlign, 4);
    EXPECT_EQ(img->dataEnd - img->dataStart, 2u);
    EXPECT_EQ(img->dataStart, stereo.size() - 2);

    Bytes cut = stereo;
    cut[stereo.size() - 6] = 100;  // the data chunk claims 100 bytes: the image ends first
    ASSERT_TRUE(readWavImage(cut));
    EXPECT_EQ(readWavImage(cut)->dataEnd, cut.size());

    Bytes notWave = stereo;
    notWave[8] = 'X';
    EXPECT_FALSE(readWavImage(notWave));
    EXPECT_FALSE(readWavImage(wav(1, 2, 48000, 16, {{"LIST", Bytes(4, 0)}})));
    EXPECT_FALSE(readWavImage(Bytes(stereo.begin(), stereo.begin() + 37)));
}
