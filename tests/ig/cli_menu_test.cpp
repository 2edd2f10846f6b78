// navora-cli menu dump / objects / save and mux, as a script calls them.

#include "compare.h"
#include "fixtures.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/png.h"
#include "ig/rle.h"
#include "ig/save.h"
#include "support/testsupport.h"
#include "ts_extract.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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
    const std::pair<const char*, const char*> cases[] = {
        {"text.mnu", "not a menu"},
        {"palette.mnu", "no interactive composition segment"},
        {"stream.m2ts", "transport stream"},
        {"cut.mnu", "PDS segment declares 2 bytes, only 1"},
        {"missing.mnu", "missing.mnu"},
    };
    for (const auto& [file, text] : cases)
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"menu", "dump", (dir / file).string()},
              std::vector<std::string>{"mux", (dir / file).string(), "-o", (dir / "x.m2ts").string()}}) {
            const CliResult r = runCli(args);
            EXPECT_EQ(r.exitCode, 1) << file;
            EXPECT_NE(r.err.find(text), std::string::npos) << file << ": " << r.err;
            EXPECT_TRUE(r.out.empty()) << file;
        }
    EXPECT_FALSE(fs::exists(dir / "x.m2ts"));
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
