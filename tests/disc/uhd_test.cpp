// Ultra HD discs (version "0300"): the corpus UHD disc and the UHD demo disc
// through the readers, writers, edits and navora-cli, compared with what
// libbluray's bd_info and bd_list_titles report; cut files; unknown versions.

#include "clip/clipinfo_io.h"
#include "core/errors.h"
#include "core/streamcoding.h"
#include "disc/demo.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"
#include "navdb/uhd.h"
#include "playlist/hdr.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "support/peertools.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <regex>

using namespace navora;
using namespace navora::test;

namespace {

fs::path uhdDisc() { return corpusDir() / "tsmuxer" / "tsm14_uhdv3_hevc1080_sdr"; }

// A value of bd_info's "Application info" block, e.g. "initial dynamic range".
std::string bdInfoValue(const std::string& report, const std::string& key) {
    const std::regex line("  " + key + R"(\s*: ([^\n]*))");
    std::smatch m;
    return std::regex_search(report, m, line) ? m[1].str() : std::string("<missing>");
}

nlohmann::json dump(const fs::path& file) {
    const CliResult r = runCli({"dump", file.string()});
    EXPECT_EQ(r.exitCode, 0) << file << r.err;
    return r.exitCode == 0 ? nlohmann::json::parse(r.out) : nlohmann::json{};
}

// The application info values navora-cli dump shows for index.bdmv in
// bd_info's words.
void expectAppInfoAsBdInfo(const fs::path& root) {
    const ToolResult info = runTool({"bd_info", root.string()});
    ASSERT_EQ(info.exitCode, 0) << info.out;
    const auto app = dump(root / "BDMV" / "index.bdmv")["AppInfoBDMV"];
    const int range = app["initial_dynamic_range_type"];
    EXPECT_EQ(bdInfoValue(info.out, "initial dynamic range"),
              app["initial_dynamic_range"].get<std::string>() + " (0x" + std::to_string(range) + ")");
    EXPECT_EQ(bdInfoValue(info.out, "initial mode preference"),
              app["initial_output_mode_preference"] == 1 ? "3D" : "2D");
    EXPECT_EQ(bdInfoValue(info.out, "3D content exists"), app["SS_content_exist_flag"] == 1 ? "Yes" : "No");
    for (const auto& [key, field] : {std::pair{"video format", "video_format"}, {"frame rate", "frame_rate"}}) {
        const std::string v = bdInfoValue(info.out, key);
        EXPECT_EQ(v.substr(v.rfind('(')), "(0x" + std::to_string(app[field].get<int>()) + ")") << key;
    }
}

// bd_list_titles -a -l: "V:n A:n" and the audio languages of a playlist.
struct ListedTitle {
    std::string playlist;
    int chapters = 0, video = 0, audio = 0;
    std::string languages;
};
std::vector<ListedTitle> listTitles(const fs::path& root) {
    const ToolResult r = runTool({"bd_list_titles", "-a", "-l", root.string()});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    static const std::regex title(R"(chapters:\s*(\d+) .*\(playlist: (\w+\.mpls)\) V:(\d+) A:(\d+).*\n\s*AUD: ([^\n]*))");
    std::vector<ListedTitle> out;
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), title), end; it != end; ++it) {
        std::string langs = (*it)[5];
        while (!langs.empty() && langs.back() == ' ') langs.pop_back();
        out.push_back({(*it)[2], std::stoi((*it)[1]), std::stoi((*it)[3]), std::stoi((*it)[4]), langs});
    }
    return out;
}

// What a playlist dump says for the same figures.
ListedTitle titleOf(const fs::path& mpls) {
    const auto j = dump(mpls);
    const auto& stn = j["PlayList"]["PlayItems"][0]["STN_table"];
    ListedTitle t{mpls.filename().string(), static_cast<int>(j["PlayListMark"]["number_of_PlayList_marks"]),
                  stn["number_of_primary_video_stream_entries"], stn["number_of_primary_audio_stream_entries"], ""};
    for (const auto& a : stn["primary_audio_streams"])
        t.languages += (t.languages.empty() ? "" : " ") + a["stream_attributes"]["language_code"].get<std::string>();
    return t;
}

void expectSameTitles(const fs::path& root) {
    const auto listed = listTitles(root);
    ASSERT_EQ(listed.size(), 1u);
    const ListedTitle ours = titleOf(root / "BDMV" / "PLAYLIST" / listed[0].playlist);
    EXPECT_EQ(std::tuple(ours.chapters, ours.video, ours.audio, ours.languages),
              std::tuple(listed[0].chapters, listed[0].video, listed[0].audio, listed[0].languages));
}

// Every "0300" navigation file of a disc folder (BACKUP copies included).
std::vector<fs::path> uhdFiles(const fs::path& root) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(root / "BDMV"))
        if (e.is_regular_file() && e.path().extension() != ".m2ts") {
            const Bytes d = readFile(e.path());
            if (d.size() >= 8 && std::string(d.begin() + 4, d.begin() + 8) == "0300") out.push_back(e.path());
        }
    std::sort(out.begin(), out.end());
    return out;
}

// Reads a file of any of the four kinds; MovieObject.bdmv reports a cut after
// its header instead of throwing.
void readAny(const Bytes& d, const std::string& name, MobjReadReport* report) {
    const std::string type(d.begin(), d.begin() + std::min<std::size_t>(4, d.size()));
    if (name.ends_with(".mpls"))
        (void)readPlaylist(d, name);
    else if (name.ends_with(".clpi"))
        (void)readClipInfo(d, name);
    else if (name.ends_with("MovieObject.bdmv"))
        (void)readMovieObjects(d, name, report);
    else
        (void)readIndex(d, name);
}

}  // namespace

// The corpus UHD disc as libbluray sees it, and the fields that make it UHD.
TEST(Uhd, CorpusDiscDumpShowsWhatLibblurayReports) {
    NAVORA_NEED_CORPUS("tsmuxer");
    NAVORA_NEED_TOOL("bd_info");
    expectAppInfoAsBdInfo(uhdDisc());
    expectSameTitles(uhdDisc());

    const auto index = dump(uhdDisc() / "BDMV" / "index.bdmv");
    EXPECT_EQ(index["version"], "0300");
    EXPECT_EQ(index["UHD_disc_info"]["HDR"], "SDR");  // tsMuxer's SDR flag
    EXPECT_EQ(index["UHD_disc_info"]["4K_flag"], 0);
    // The clip's video as bd_get_title_info() reports it: HEVC, format 6, rate 1, aspect 3.
    const auto clip = dump(uhdDisc() / "BDMV" / "CLIPINF" / "00000.clpi");
    const auto& video = clip["ProgramInfo"]["program_sequences"][0]["streams"][0]["StreamCodingInfo"];
    EXPECT_EQ(std::tuple(video["stream_coding_type"], video["video_format"], video["frame_rate"],
                         video["aspect_ratio"], video["dynamic_range"], video["colour_space"]),
              std::tuple(0x24, 6, 1, 3, "SDR", "-"));
}

// The UHD demo disc: what navora-cli writes, libbluray reads with the same
// values, and every file of it round-trips.
TEST(Uhd, DemoDiscIsReadByLibblurayAndByNavora) {
    NAVORA_NEED_TOOL("bd_info");
    TempDir tmp;
    const CliResult made = runCli({"make-demo", "--uhd", tmp.path().string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const CliResult check = runCli({"check", tmp.path().string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_EQ(check.err, "");

    expectAppInfoAsBdInfo(tmp.path());
    const ToolResult info = runTool({"bd_info", tmp.path().string()});
    EXPECT_EQ(bdInfoValue(info.out, "initial dynamic range"), "HDR10 (0x1)");
    expectSameTitles(tmp.path());

    const auto index = dump(tmp / "BDMV" / "index.bdmv");
    EXPECT_EQ(index["UHD_disc_info"]["HDR"], "HDR10");
    EXPECT_EQ(index["UHD_disc_info"]["4K_flag"], 1);
    const auto mpls = dump(tmp / "BDMV" / "PLAYLIST" / "00000.mpls");
    const auto& video = mpls["PlayList"]["PlayItems"][0]["STN_table"]["primary_video_streams"][0]["stream_attributes"];
    EXPECT_EQ(std::tuple(video["stream_coding_type"], video["video_format"], video["dynamic_range"],
                         video["colour_space"]),
              std::tuple(0x24, 8, "HDR10", "BT.2020"));
    EXPECT_EQ(mpls["static_HDR_metadata"][0]["max_CLL"], 1000);
    const auto clip = dump(tmp / "BDMV" / "CLIPINF" / "00000.clpi");
    EXPECT_EQ(clip["ProgramInfo"]["program_sequences"][0]["streams"][0]["StreamCodingInfo"]["colour_space"],
              "BT.2020");

    const auto files = uhdFiles(tmp.path());
    EXPECT_EQ(files.size(), 8u);  // four files and their BACKUP copies
    for (const fs::path& f : files) {
        if (f.extension() == ".clpi") continue;  // read, not written
        SCOPED_TRACE(f.string());
        const CliResult r = runCli({"roundtrip", f.string(), (tmp / "out").string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(readFile(tmp / "out"), readFile(f));
    }
}

// Every "0300" file of the corpus and of the demo disc, cut at every offset:
// refused with the file's name and an offset not past the cut, or, for
// MovieObject.bdmv cut after its header, read as far as it goes and reported.
TEST(Uhd, FilesCutAtEveryOffsetAreRefusedWithFileAndOffset) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp;
    makeUhdDemoDisc(tmp.path());
    std::vector<fs::path> files = uhdFiles(uhdDisc());
    const auto demo = uhdFiles(tmp.path());
    files.insert(files.end(), demo.begin(), demo.end());
    ASSERT_EQ(files.size(), 16u);
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.string());
        const Bytes d = readFile(f);
        const std::string name = f.filename().string();
        EXPECT_NO_THROW(readAny(d, name, nullptr));
        for (std::size_t cut = 0; cut < d.size(); ++cut) {
            MobjReadReport report;
            try {
                readAny(Bytes(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(cut)), name, &report);
                EXPECT_TRUE(name == "MovieObject.bdmv" && !report.complete) << "cut at " << cut << " accepted";
            } catch (const FormatError& e) {
                EXPECT_EQ(e.file(), name);
                EXPECT_LE(e.offset(), cut) << e.what();
                EXPECT_NE(std::string(e.what()).find(name), std::string::npos);
            }
        }
    }
}

// A version Navora does not know is refused by each of the four readers with
// the reason; "0100", "0200" and "0300" are read.
TEST(Uhd, UnknownVersionsAreRefusedWithTheReason) {
    TempDir tmp;
    makeUhdDemoDisc(tmp.path());
    for (const char* name : {"index.bdmv", "MovieObject.bdmv", "PLAYLIST/00000.mpls", "CLIPINF/00000.clpi"}) {
        SCOPED_TRACE(name);
        const std::string file = fs::path(name).filename().string();
        Bytes d = readFile(tmp / "BDMV" / name);
        for (char v : {'1', '2', '3'}) {
            d[5] = static_cast<std::uint8_t>(v);
            EXPECT_NO_THROW(readAny(d, file, nullptr)) << v;
        }
        d[5] = '4';
        try {
            readAny(d, file, nullptr);
            ADD_FAILURE() << "\"0400\" accepted";
        } catch (const WrongTypeError& e) {
            EXPECT_EQ(e.offset(), 8u);
            EXPECT_EQ(e.reason(), "version \"0400\" is not supported (\"0100\", \"0200\" or \"0300\")");
        }
    }
}

// The UHD fields an author edits land on their bits and nowhere else.
TEST(Uhd, EditsChangeOnlyTheirBits) {
    TempDir tmp;
    makeUhdDemoDisc(tmp.path());
    const Bytes indexBytes = readFile(tmp / "BDMV" / "index.bdmv");
    const Bytes mplsBytes = readFile(tmp / "BDMV" / "PLAYLIST" / "00000.mpls");

    // Bytes that differ between two files of the same size.
    auto diff = [](const Bytes& a, const Bytes& b) {
        EXPECT_EQ(a.size(), b.size());
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            if (a[i] != b[i]) at.push_back(i);
        return at;
    };
    {
        SCOPED_TRACE("index.bdmv: initial dynamic range and the disc's HDR flags");
        TINDX x = readIndex(indexBytes, "index.bdmv");
        EXPECT_TRUE(isUhd(x));
        EXPECT_EQ(x.app_info_flags.initial_dynamic_range_type, 1);
        EXPECT_FALSE(setInitialDynamicRange(x, 16));
        ASSERT_TRUE(setInitialDynamicRange(x, static_cast<unsigned>(DynamicRange::DolbyVision)));
        TUhdDiscInfo u = *uhdDiscInfo(x);
        EXPECT_EQ(u, (TUhdDiscInfo{2, 1, 0, 0, kHdrFlagHDR10}));
        u.HDR_flags = kHdrFlagSDR | kHdrFlagHDR10;
        u.Dolby_Vision_flag = 1;
        ASSERT_TRUE(setUhdDiscInfo(x, u));
        const Bytes out = writeIndex(x);
        // AppInfoBDMV flags at 44-45; the entry's bytes 4-7 at 0x78 + 24 + 4.
        EXPECT_EQ(diff(indexBytes, out), (std::vector<std::size_t>{44, 0x96}));
        EXPECT_EQ(out[44], 0x02);
        EXPECT_EQ(out[0x96], 0x07);
        EXPECT_EQ(uhdDiscInfo(readIndex(out, "index.bdmv")), u);
        // A block without the entry has nothing to edit.
        TINDX plain;
        EXPECT_EQ(uhdDiscInfo(plain), std::nullopt);
        EXPECT_FALSE(setUhdDiscInfo(plain, u));
    }
    {
        SCOPED_TRACE("playlist: HEVC dynamic range, colour space, HDR10+ and static metadata");
        TMPLS m = readPlaylist(mplsBytes, "00000.mpls");
        TStreamItem& v = m.PlayList.PlayItems.at(0).STN_table.primary_video.at(0);
        EXPECT_FALSE(setStreamField(v, StreamField::DynamicRange, 16));
        EXPECT_FALSE(setStreamField(v, StreamField::HdrPlusFlag, 2));
        ASSERT_TRUE(setStreamField(v, StreamField::DynamicRange, 2));
        ASSERT_TRUE(setStreamField(v, StreamField::ColourSpace, 1));
        ASSERT_TRUE(setStreamField(v, StreamField::HdrPlusFlag, 1));
        TStaticHdrMetadata r = staticHdrMetadata(m.ExtensionData).at(0);
        r.max_CLL = 4000;
        r.max_FALL = 0x1234;
        ASSERT_TRUE(setStaticHdrMetadata(m.ExtensionData, 0, r));
        EXPECT_FALSE(setStaticHdrMetadata(m.ExtensionData, 1, r));
        const Bytes out = writePlaylist(m);
        const auto changed = diff(mplsBytes, out);
        ASSERT_EQ(changed.size(), 6u);  // two attribute bytes, MaxCLL and MaxFALL
        // The attribute bytes after format/rate: dynamic range and colour space, then the flags.
        EXPECT_EQ(out[changed[0]], 0x21);
        EXPECT_EQ(out[changed[1]], 0x40);
        EXPECT_EQ(readPlaylist(out, "00000.mpls").PlayList.PlayItems.at(0).STN_table.primary_video.at(0),
                  v);
        EXPECT_EQ(staticHdrMetadata(readPlaylist(out, "00000.mpls").ExtensionData).at(0), r);
    }
}

// An HEVC stream entry in a playlist that stored it under an unknown coding
// type decodes the same bytes when its type becomes HEVC, and back.
TEST(Uhd, SwitchingToHevcDecodesTheKeptBytes) {
    TStreamItem s;
    s.stream_attributes.length = 5;
    s.stream_attributes.stream_coding_type = 0x77;
    s.stream_attributes.spare = {0x81, 0x12, 0x40, 0x00};
    ASSERT_TRUE(setStreamField(s, StreamField::CodingType, 0x24));
    const TStreamAttributes& a = s.stream_attributes;
    EXPECT_EQ(std::tuple(a.video_format, a.frame_rate, a.dynamic_range_type, a.color_space, a.cr_flag,
                         a.hdr_plus_flag),
              std::tuple(8, 1, 1, 2, 0, 1));
    EXPECT_TRUE(a.spare.empty());
    ASSERT_TRUE(setStreamField(s, StreamField::CodingType, 0x77));
    EXPECT_EQ(s.stream_attributes.spare, (Bytes{0x81, 0x12, 0x40, 0x00}));
}
