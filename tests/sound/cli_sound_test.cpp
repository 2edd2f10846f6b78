// navora-cli on sound.bdmv and BD-J objects: dump, roundtrip, sound export,
// import and create, and the refusals that exit 1.

#include "soundtest.h"
#include "support/testsupport.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace navora;
using namespace navora::test;

namespace {

struct Demo {
    TempDir dir;
    fs::path sound, bdjo;
    Demo() {
        const CliResult made = runCli({"make-demo", dir.path().string()});
        EXPECT_EQ(made.exitCode, 0) << made.err;
        sound = dir / "BDMV/AUXDATA/sound.bdmv";
        bdjo = dir / "BDMV/BDJO/00001.bdjo";
    }
};

}  // namespace

TEST(CliSound, DumpRoundtripExportImportCreate) {
    Demo demo;
    const CliResult dump = runCli({"dump", demo.sound.string()});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const auto j = nlohmann::json::parse(dump.out);
    ASSERT_EQ(j["SoundIndex"]["number_of_sound_entries"], 2);
    EXPECT_EQ(j["SoundIndex"]["sound_entries"][0]["channel_configuration"], 1);
    EXPECT_EQ(j["SoundIndex"]["sound_entries"][1]["channel_configuration"], 3);

    const fs::path rt = demo.dir / "rt.bdmv";
    ASSERT_EQ(runCli({"roundtrip", demo.sound.string(), rt.string()}).exitCode, 0);
    EXPECT_EQ(readFile(rt), readFile(demo.sound));
    // Reserved bits the writer clears are named with exit 3, not cleared silently.
    Bytes reserved = readFile(demo.sound);
    reserved[47] |= 0x15;
    writeFile(demo.dir / "reserved.bdmv", reserved);
    const CliResult cleared = runCli({"roundtrip", (demo.dir / "reserved.bdmv").string(), rt.string()});
    EXPECT_EQ(cleared.exitCode, 3);
    EXPECT_NE(cleared.err.find(fmt::format("offset 47 ($0000002F): ${:02X} written as ${:02X} (bits $15 cleared)",
                                           reserved[47], reserved[47] & ~0x15)),
              std::string::npos)
        << cleared.err;

    const fs::path stereo = demo.dir / "stereo.wav";
    const CliResult ex = runCli({"sound", "export", demo.sound.string(), "1", "-o", stereo.string()});
    ASSERT_EQ(ex.exitCode, 0) << ex.err;
    const Bytes exported = readFile(stereo);
    EXPECT_EQ(wavData(exported).size(), j["SoundIndex"]["sound_entries"][1]["sound_data_length"].get<std::size_t>());

    // The exported stereo sound goes back in after entry 0 and comes out the same.
    const fs::path three = demo.dir / "three.bdmv";
    const CliResult im =
        runCli({"sound", "import", demo.sound.string(), stereo.string(), "--after", "0", "-o", three.string()});
    ASSERT_EQ(im.exitCode, 0) << im.err;
    const fs::path again = demo.dir / "again.wav";
    ASSERT_EQ(runCli({"sound", "export", three.string(), "1", "-o", again.string()}).exitCode, 0);
    EXPECT_EQ(readFile(again), exported);
    const auto j3 = nlohmann::json::parse(runCli({"dump", three.string()}).out);
    EXPECT_EQ(j3["SoundIndex"]["number_of_sound_entries"], 3);
    EXPECT_EQ(j3["SoundIndex"]["sound_entries"][2]["sound_data_length"],
              j["SoundIndex"]["sound_entries"][1]["sound_data_length"]);

    const fs::path created = demo.dir / "created.bdmv";
    ASSERT_EQ(runCli({"sound", "create", stereo.string(), "-o", created.string()}).exitCode, 0);
    const auto jc = nlohmann::json::parse(runCli({"dump", created.string()}).out);
    EXPECT_EQ(jc["version_number"], "0200");
    EXPECT_EQ(jc["SoundIndex"]["number_of_sound_entries"], 1);

    const CliResult bdjo = runCli({"dump", demo.bdjo.string()});
    ASSERT_EQ(bdjo.exitCode, 0) << bdjo.err;
    EXPECT_EQ(nlohmann::json::parse(bdjo.out)["ApplicationManagementTable"]["number_of_applications"], 1);
    const CliResult bdjoRt = runCli({"roundtrip", demo.bdjo.string(), (demo.dir / "x.bdjo").string()});
    EXPECT_EQ(bdjoRt.exitCode, 1);
    EXPECT_NE(bdjoRt.err.find("read, not written"), std::string::npos) << bdjoRt.err;
}

TEST(CliSound, RefusalsExitOneAndWriteNothing) {
    Demo demo;
    Bytes wrong = readFile(demo.sound);
    wrong[5] = '3';  // version "0300"
    const fs::path bad = demo.dir / "sound.bdmv";
    writeFile(bad, wrong);
    Bytes wrongBdjo = readFile(demo.bdjo);
    wrongBdjo[4] = '9';
    const fs::path badBdjo = demo.dir / "00001.bdjo";
    writeFile(badBdjo, wrongBdjo);
    const fs::path out = demo.dir / "out";
    const fs::path wav8 = demo.dir / "8bit.wav";
    if (haveTool("sox")) {
        ASSERT_TRUE(shell("sox -V1 -n -r 48000 -b 8 -c 1 '" + wav8.string() + "' synth 0.01 sine 500"));
    }

    const struct {
        std::vector<std::string> args;
        std::vector<std::string> inMessage;
    } cases[] = {
        {{"dump", bad.string()}, {bad.string(), "version \"0300\""}},
        {{"roundtrip", bad.string(), out.string()}, {bad.string(), "version \"0300\""}},
        {{"sound", "export", bad.string(), "0", "-o", out.string()}, {bad.string(), "version \"0300\""}},
        {{"sound", "import", bad.string(), wav8.string(), "-o", out.string()}, {bad.string(), "0300"}},
        {{"dump", badBdjo.string()}, {badBdjo.string(), "version \"9200\""}},
        {{"sound", "export", demo.sound.string(), "2", "-o", out.string()}, {"no sound entry 2 (the file has 2)"}},
        {{"sound", "import", demo.sound.string(), wav8.string(), "--after", "5", "-o", out.string()},
         {"no sound entry 5"}},
        {{"sound", "import", demo.sound.string(), wav8.string(), "-o", out.string()},
         {wav8.string(), "Wave format error! (Mandatory 48 kHz, 16 bit, PCM)", "8 bits per sample"}},
        {{"sound", "create", wav8.string(), "-o", out.string()}, {"8 bits per sample"}},
    };
    for (const auto& c : cases) {
        if (!haveTool("sox") && c.args[0] == "sound" && c.args[1] != "export") continue;
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0] << " " << c.args[1] << "\n" << r.err;
        for (const auto& m : c.inMessage) EXPECT_NE(r.err.find(m), std::string::npos) << m << " in: " << r.err;
        EXPECT_FALSE(fs::exists(out)) << c.args[0] << " " << c.args[1];
    }
}
