// The demultiplexer on the corpus streams against independent tools: the
// elementary stream form against ffmpeg's stream copy, the PES form re-parsed,
// the SUP form read back by ffprobe, and the .mnu form against the corpus
// menu files.

#include "core/logviews.h"
#include "support/peertools.h"
#include "support/testsupport.h"
#include "ts/demux.h"
#include "ts/sourcepacket.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <map>

using namespace navora;
using namespace navora::test;

namespace {

std::vector<fs::path> corpusStreams() {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(corpusDir() / "tsmuxer"))
        if (e.is_regular_file() && e.path().extension() == ".m2ts") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::string label(const fs::path& stream, std::uint16_t pid) {
    return fmt::format("{}/{} PID {:04X}", stream.parent_path().parent_path().parent_path().filename().string(),
                       stream.filename().string(), pid);
}

// ffmpeg's output format for a codec whose stream copy writes the elementary
// stream unchanged.
std::optional<std::string> rawFormat(const std::string& codec) {
    static const std::map<std::string, std::string> formats = {
        {"ac3", "ac3"}, {"eac3", "eac3"}, {"dts", "dts"}, {"h264", "h264"}, {"hevc", "hevc"}, {"mpeg2video", "mpeg2video"}};
    const auto it = formats.find(codec);
    if (it == formats.end()) return std::nullopt;
    return it->second;
}

Bytes demuxed(const fs::path& stream, std::uint16_t pid, DemuxForm form, Log* log = nullptr) {
    Bytes out;
    const DemuxResult r = demuxToMemory(stream, out, DemuxJob{pid, form, nullptr, log});
    EXPECT_TRUE(demuxProblems(r).empty()) << label(stream, pid);
    EXPECT_FALSE(r.cancelled);
    return out;
}

// The payloads of a PES stream whose PES packets all give their length.
Bytes pesPayloads(const Bytes& pes) {
    Bytes out;
    std::size_t i = 0;
    while (i + 9 <= pes.size()) {
        if (pes[i] != 0 || pes[i + 1] != 0 || pes[i + 2] != 1) {
            ADD_FAILURE() << "no PES start code at " << i;
            break;
        }
        const std::size_t length = std::size_t{pes[i + 4]} << 8 | pes[i + 5];
        const std::size_t end = i + 6 + length, payload = i + 9 + pes[i + 8];
        if (length == 0 || end > pes.size() || payload > end) {
            ADD_FAILURE() << "PES packet at " << i << " does not fit";
            break;
        }
        out.insert(out.end(), pes.begin() + static_cast<std::ptrdiff_t>(payload),
                   pes.begin() + static_cast<std::ptrdiff_t>(end));
        i = end;
    }
    EXPECT_EQ(i, pes.size());
    return out;
}

// Walks the records of a SUP or .mnu file: magic, time stamps, one segment
// each. Returns the number of records.
std::size_t walkRecords(const Bytes& file, const char* magic) {
    std::size_t i = 0, n = 0;
    while (i + kRecordHeaderBytes + 3 <= file.size()) {
        const RecordHeader h = parseRecordHeader(std::span(file).subspan(i));
        EXPECT_EQ(std::string(h.magic, 2), magic) << "record " << n;
        const std::size_t segment = 3 + (std::size_t{file[i + 11]} << 8 | file[i + 12]);
        i += kRecordHeaderBytes + segment;
        ++n;
    }
    EXPECT_EQ(i, file.size());
    return n;
}

}  // namespace

TEST(DemuxCorpus, ElementaryStreamsEqualFfmpegStreamCopyAndPesFormReparses) {
    NAVORA_NEED_CORPUS("tsmuxer");
    NAVORA_NEED_TOOL("ffmpeg");
    NAVORA_NEED_TOOL("ffprobe");
    TempDir tmp;
    std::map<std::string, std::size_t> checked;  // codec -> PIDs compared
    for (const fs::path& stream : corpusStreams()) {
        const auto probed = ffprobeStreams(stream);
        ASSERT_FALSE(probed.empty()) << stream;
        for (const ProbedStream& s : probed) {
            SCOPED_TRACE(label(stream, s.pid) + " " + s.codec);
            const auto format = rawFormat(s.codec);
            if (!format) continue;
            const fs::path ff = tmp / "ffmpeg.out";
            const auto r = runTool({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", stream.string(), "-map",
                                    fmt::format("0:i:0x{:04X}", s.pid), "-c", "copy", "-f", *format, ff.string()});
            ASSERT_EQ(r.exitCode, 0);
            const Bytes es = demuxed(stream, s.pid, DemuxForm::Elementary);
            const Bytes expected = readFile(ff);
            EXPECT_EQ(es.size(), expected.size());
            EXPECT_TRUE(es == expected);
            ++checked[s.codec];
            // Audio PES packets all carry their length: the PES form re-parsed
            // gives the same payloads.
            if (s.type == "audio") {
                EXPECT_TRUE(pesPayloads(demuxed(stream, s.pid, DemuxForm::Pes)) == es);
            }
        }
    }
    EXPECT_GE(checked["ac3"], 15u);
    EXPECT_GE(checked["eac3"], 4u);
    EXPECT_GE(checked["h264"] + checked["mpeg2video"] + checked["hevc"], 18u);
    EXPECT_GE(checked["dts"], 1u);
}

TEST(DemuxCorpus, SupOfEveryPgPidIsAPgsStreamForFfprobe) {
    NAVORA_NEED_CORPUS("tsmuxer");
    NAVORA_NEED_TOOL("ffprobe");
    TempDir tmp;
    std::size_t pgPids = 0;
    for (const fs::path& stream : corpusStreams()) {
        for (const ProbedStream& s : ffprobeStreams(stream)) {
            if (s.codec != "hdmv_pgs_subtitle") continue;
            SCOPED_TRACE(label(stream, s.pid));
            RecordingLogView view;
            Log log;
            log.setView(&view);
            const Bytes sup = demuxed(stream, s.pid, DemuxForm::Sup, &log);
            const std::size_t records = walkRecords(sup, "PG");
            EXPECT_EQ(view.lines.size(), records);  // every PG PES packet carries a PTS
            // The PES form re-parsed gives the segments, which the SUP form holds one per record.
            const Bytes es = pesPayloads(demuxed(stream, s.pid, DemuxForm::Pes));
            EXPECT_TRUE(es == demuxed(stream, s.pid, DemuxForm::Elementary));
            EXPECT_EQ(sup.size(), es.size() + records * kRecordHeaderBytes);

            writeFile(tmp / "x.sup", sup);
            const auto probed = ffprobeStreams(tmp / "x.sup", true);
            ASSERT_EQ(probed.size(), 1u);
            EXPECT_EQ(probed[0].codec, "hdmv_pgs_subtitle");
            EXPECT_EQ(probed[0].type, "subtitle");
            EXPECT_EQ(probed[0].packets, records);
            ++pgPids;
        }
    }
    EXPECT_GE(pgPids, 12u);
}

TEST(DemuxCorpus, MenuFormEqualsTheCorpusMenuFiles) {
    NAVORA_NEED_CORPUS("igs");
    std::size_t menus = 0;
    for (const auto& e : fs::directory_iterator(corpusDir() / "igs")) {
        if (!e.is_directory()) continue;
        const std::string name = e.path().filename().string();
        SCOPED_TRACE(name);
        Bytes mnu;
        const DemuxResult r = demuxMenu(e.path() / (name + ".m2ts"), 0x1400, mnu);
        EXPECT_TRUE(demuxProblems(r).empty());
        const Bytes expected = readFile(e.path() / (name + ".mnu"));
        EXPECT_EQ(mnu.size(), expected.size());
        EXPECT_TRUE(mnu == expected);
        EXPECT_EQ(walkRecords(mnu, "IG"), r.savedPackets > 0 ? walkRecords(expected, "IG") : 0u);
        ++menus;
    }
    EXPECT_EQ(menus, 7u);
}
