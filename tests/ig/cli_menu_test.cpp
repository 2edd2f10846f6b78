// navora-cli menu dump / objects / save and mux, as a script calls them.

#include "compare.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "fixtures.h"
#include "ig/export.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/png.h"
#include "ig/rle.h"
#include "ig/save.h"
#include "support/testsupport.h"
#include "ts_extract.h"
#include "ts/sourcepacket.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <optional>

using namespace navora;
using namespace navora::test;

namespace {

TEST(CliMenu, DumpSaveMuxAndObjects) {
    TempDir dir;
    TIGSc m = smallMenu(StreamModel::Multiplexed);
    const TIGSc before = m;
    writeFile(dir / "in.mnu", saveIGS(m, IgsForm::Mnu));

    const CliResult dump = runCli({"menu", "dump", (dir / "in.mnu").string()});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const auto j = nlohmann::json::parse(dump.out);
    EXPECT_EQ(j["number_of_pages"], 1);
    EXPECT_EQ(j["composition_time_out_pts"], 0x100000007ull);
    const auto& command = j["pages"][0]["BOGs"][0]["buttons"][1]["navigation_commands"][1];
    EXPECT_EQ(command["words"], nlohmann::json::parse(R"(["50400001","00000003","00000007"])"));
    EXPECT_EQ(command["line"].get<std::string>().rfind("Move GPR3, 7", 0), 0u) << command["line"];
    EXPECT_EQ(j["objects"][3]["referenced"], "0:1n");

    ASSERT_EQ(runCli({"menu", "save", (dir / "in.mnu").string(), (dir / "out.mnu").string()}).exitCode, 0);
    EXPECT_EQ(readFile(dir / "out.mnu"), readFile(dir / "in.mnu"));

    const CliResult mux = runCli({"mux", (dir / "in.mnu").string(), "-o", (dir / "out.m2ts").string()});
    ASSERT_EQ(mux.exitCode, 0) << mux.err;
    const Bytes ts = readFile(dir / "out.m2ts");
    EXPECT_EQ(ts.size() % 6144, 0u);
    EXPECT_EQ(extractMnu(ts, kIgPid), readFile(dir / "in.mnu"));
    // The muxed stream dumps as the menu it came from: its IG PID is found in the program map.
    const CliResult fromStream = runCli({"menu", "dump", (dir / "out.m2ts").string()});
    ASSERT_EQ(fromStream.exitCode, 0) << fromStream.err;
    EXPECT_EQ(fromStream.out, dump.out);

    const CliResult objects = runCli({"menu", "objects", (dir / "in.mnu").string(), "-o", (dir / "img").string()});
    ASSERT_EQ(objects.exitCode, 0) << objects.err;
    for (std::size_t o = 0; o < before.objects.size(); ++o) {
        const fs::path png = dir / "img" / ("IGobject_000" + std::to_string(o) + "_pal_00.png");
        ASSERT_TRUE(fs::exists(png)) << png;
        EXPECT_EQ(readIndexedPng(readFile(png), png.string()).image, *before.objects[o].picture) << o;
    }
}

TEST(CliMenu, PaletteAndObjectsInEitherColourMatrix) {
    // An HD menu: auto is BT.709; 601 gives other colours from the same Y, Cr, Cb.
    TempDir dir;
    TIGSc m = smallMenu();
    writeFile(dir / "in.mnu", saveIGS(m, IgsForm::Mnu));
    const std::string in = (dir / "in.mnu").string();
    auto run = [&](std::vector<std::string> args) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r;
    };
    run({"menu", "palette", in, "-o", (dir / "auto.act").string()});
    run({"menu", "palette", in, "--matrix", "709", "-o", (dir / "709.act").string()});
    run({"menu", "palette", in, "--matrix", "601", "-o", (dir / "601.pxml").string()});
    const Bytes act = readFile(dir / "auto.act");
    ASSERT_EQ(act.size(), 768u);
    EXPECT_EQ(act, readFile(dir / "709.act"));
    const TYCrCb& e1 = m.palettes[0].entries[1];
    const TRGBA c709 = ycrcb2rgb(e1.Y, e1.Cr, e1.Cb, 255, ColourMatrix::BT709);
    EXPECT_EQ(Bytes(act.begin() + 3, act.begin() + 6), (Bytes{c709.R, c709.G, c709.B}));
    const Bytes pxml = readFile(dir / "601.pxml");
    const std::string text(pxml.begin(), pxml.end());
    const TRGBA c601 = ycrcb2rgb(e1.Y, e1.Cr, e1.Cb, 255, ColourMatrix::BT601);
    ASSERT_NE(c601, c709);
    EXPECT_NE(text.find("PaletteEntryId=\"1\" UseForm=\"YCrCb\">\r\n    <R>" + std::to_string(c601.R) + "</R>\r\n    <G>" +
                        std::to_string(c601.G) + "</G>\r\n    <B>" + std::to_string(c601.B) + "</B>\r\n    <T>255</T>\r\n    <Y>" +
                        std::to_string(e1.Y) + "</Y>"),
              std::string::npos);

    // menu objects: the PNG palette follows the matrix too.
    run({"menu", "objects", in, "--matrix", "601", "-o", (dir / "img").string()});
    const IndexedPng png = readIndexedPng(readFile(dir / "img" / "IGobject_0000_pal_00.png"), "o.png");
    EXPECT_EQ(png.palette.at(1), (std::array<std::uint8_t, 3>{c601.R, c601.G, c601.B}));

    // Refusals: an unknown matrix, extension or palette.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"menu", "palette", in, "--matrix", "2020", "-o", (dir / "x.act").string()},
          std::vector<std::string>{"menu", "palette", in, "-o", (dir / "x.txt").string()},
          std::vector<std::string>{"menu", "palette", in, "--palette", "3", "-o", (dir / "x.act").string()}}) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args[3] << " " << r.err;
        EXPECT_FALSE(fs::exists(dir / "x.act"));
    }
}

TEST(CliMenu, FilesThatAreNoMenuExitOne) {
    TempDir dir;
    writeFile(dir / "text.mnu", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    writeFile(dir / "palette.mnu", record(IgSegmentType::PDS, pdsBody(0, {{1, 100, 128, 128, 255}})));
    Bytes ts(192 * 2, 0xFF);
    ts[4] = ts[196] = 0x47;
    writeFile(dir / "stream.m2ts", ts);
    Bytes cut = record(IgSegmentType::PDS, pdsBody(0, {}));
    cut.pop_back();
    writeFile(dir / "cut.mnu", cut);
    // 4.4 KB whose 64 objects each claim 4096x4096: refused before a picture is made.
    Bytes fake = record(IgSegmentType::ICS, icsBody(0, {}));
    for (std::uint16_t o = 0; o < 64; ++o) {
        const Bytes ods = record(IgSegmentType::ODS, odsBody(o, kFirstInSequence | kLastInSequence, Bytes(44, 0), 44, 4096, 4096));
        fake.insert(fake.end(), ods.begin(), ods.end());
    }
    writeFile(dir / "fake.mnu", fake);
    const std::pair<const char*, const char*> cases[] = {
        {"fake.mnu", "fake.mnu: at offset 30 ($0000001E): object 0 declares 4096x4096 pixels"},
        {"text.mnu", "not a menu"},
        {"palette.mnu", "no interactive composition segment"},
        {"stream.m2ts", "transport stream"},
        {"cut.mnu", "PDS segment declares 2 bytes, only 1"},
        {"missing.mnu", "missing.mnu"},
    };
    for (const auto& [file, text] : cases)
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"menu", "dump", (dir / file).string()},
              std::vector<std::string>{"mux", (dir / file).string(), "-o", (dir / "x.m2ts").string()},
              std::vector<std::string>{"menu", "render", (dir / file).string(), "--actions", "start", "-o",
                                       (dir / "x.png").string()}}) {
            const CliResult r = runCli(args);
            EXPECT_EQ(r.exitCode, 1) << file;
            EXPECT_NE(r.err.find(text), std::string::npos) << file << ": " << r.err;
            EXPECT_TRUE(r.out.empty()) << file;
        }
    EXPECT_FALSE(fs::exists(dir / "x.m2ts"));
    EXPECT_FALSE(fs::exists(dir / "x.png"));
}

// A menu dumps the same from its .mnu and from the transport stream the
// independent tool muxed it into.
TEST(CliMenu, CorpusMenusDumpAlikeFromMnuAndStream) {
    NAVORA_NEED_CORPUS("igs");
    for (const auto& entry : fs::directory_iterator(corpusDir() / "igs")) {
        const std::string name = entry.path().filename().string();
        const CliResult mnu = runCli({"menu", "dump", (entry.path() / (name + ".mnu")).string()});
        const CliResult ts = runCli({"menu", "dump", (entry.path() / (name + ".m2ts")).string()});
        ASSERT_EQ(mnu.exitCode, 0) << name << ": " << mnu.err;
        ASSERT_EQ(ts.exitCode, 0) << name << ": " << ts.err;
        EXPECT_EQ(ts.out, mnu.out) << name;
    }
}

}  // namespace

namespace {

// A transport stream is known by its packet structure, also when it is cut
// mid-packet or its first sync byte is damaged; a fault in the menu it
// carries is reported at its offset in the stream file.
TEST(CliMenu, StreamsAreKnownByTheirPacketsAndFaultsByTheirOffsetInTheStream) {
    TempDir dir;
    TIGSc m = smallMenu(StreamModel::Multiplexed);
    writeFile(dir / "in.mnu", saveIGS(m, IgsForm::Mnu));
    ASSERT_EQ(runCli({"mux", (dir / "in.mnu").string(), "-o", (dir / "menu.m2ts").string()}).exitCode, 0);
    const Bytes ts = readFile(dir / "menu.m2ts");
    const CliResult whole = runCli({"menu", "dump", (dir / "menu.m2ts").string()});
    ASSERT_EQ(whole.exitCode, 0) << whole.err;

    Bytes cut(ts.begin(), ts.end() - 100);
    writeFile(dir / "cut.m2ts", cut);
    Bytes damaged = ts;
    damaged[4] = 0x00;
    writeFile(dir / "damaged.m2ts", damaged);
    const CliResult cutDump = runCli({"menu", "dump", (dir / "cut.m2ts").string()});
    EXPECT_EQ(cutDump.exitCode, 0) << cutDump.err;
    EXPECT_TRUE(cutDump.out == whole.out) << cutDump.err;
    // The damaged packet costs what the demultiplexer skips; the stream is
    // still taken for one, and what is missing is said about the stream.
    const CliResult damagedDump = runCli({"menu", "dump", (dir / "damaged.m2ts").string()});
    EXPECT_EQ(damagedDump.err.find("record header"), std::string::npos) << damagedDump.err;
    EXPECT_NE(damagedDump.err.find("damaged.m2ts"), std::string::npos) << damagedDump.err;
    EXPECT_TRUE(damagedDump.exitCode == 0 ? damagedDump.out == whole.out : damagedDump.out.empty()) << damagedDump.err;

    // Object 0 made 4096x4096 in the packet that carries its ODS: refused at that packet.
    Bytes big = ts;
    std::optional<std::size_t> odsPacket;
    for (std::size_t at = 0; at + 192 <= big.size() && !odsPacket; at += 192) {
        std::uint8_t* sp = &big[at];
        if (packetPid(sp) != kIgPid || !payloadUnitStart(sp)) continue;
        const std::size_t payload = 8 + (hasAdaptationField(sp) ? 1u + sp[8] : 0u);
        std::uint8_t* segment = sp + payload + 9 + sp[payload + 8];
        if (segment[0] != 0x15 || segment[3] != 0 || segment[4] != 0) continue;
        segment[10] = segment[12] = 0x10;
        segment[11] = segment[13] = 0x00;
        odsPacket = at;
    }
    ASSERT_TRUE(odsPacket);
    writeFile(dir / "big.m2ts", big);
    const CliResult r = runCli({"menu", "dump", (dir / "big.m2ts").string()});
    EXPECT_EQ(r.exitCode, 1);
    const std::string where = fmt::format("big.m2ts: at offset {} (${:08X}): object 0 declares 4096x4096", *odsPacket,
                                          *odsPacket);
    EXPECT_NE(r.err.find(where), std::string::npos) << r.err;
}

}  // namespace

namespace {

// `menu objects` writes every image or none: a write failing part-way (a full
// disk) leaves neither new images nor the folder it would have made.
TEST(CliMenu, ObjectImagesLandAllOrNone) {
    TempDir dir;
    TIGSc m = smallMenu();
    const TIGSc loaded = loadMNU(saveIGS(m, IgsForm::Mnu), "in.mnu");
    int n = 0;
    setWriteFaultHook([&](std::size_t) {
        if (++n == 3) throw std::runtime_error("No space left on device");
    });
    EXPECT_THROW(writeObjectImages(loaded, dir / "img", "Navora"), IoError);
    fs::create_directories(dir / "kept");
    writeFile(dir / "kept" / "mine.png", Bytes{1});
    n = 0;
    EXPECT_THROW(writeObjectImages(loaded, dir / "kept", "Navora"), IoError);
    setWriteFaultHook(nullptr);
    EXPECT_FALSE(fs::exists(dir / "img"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "kept"), fs::directory_iterator{}), 1);

    const auto written = writeObjectImages(loaded, dir / "kept", "Navora");
    ASSERT_EQ(written.size(), m.objects.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "kept"), fs::directory_iterator{}), 7);
    EXPECT_EQ(loaded.objects[0].picture, nullptr) << "decoded for the image only";
}

}  // namespace
