// Every index.bdmv and MovieObject.bdmv of the corpus, through the readers and
// writers and through navora-cli.

#include "core/errors.h"
#include "navdb/index_io.h"
#include "navdb/json.h"
#include "navdb/movieobject_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace navora;
using namespace navora::test;

namespace {

bool isVersion0300(const Bytes& data) {
    return data.size() >= 8 && std::string(data.begin() + 4, data.begin() + 8) == "0300";
}

std::size_t lineCount(const std::string& s) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')); }

// Reads and writes every corpus file named name, the UHD ("0300") ones included.
template <class Roundtrip>
void roundTripCorpus(const std::string& name, Roundtrip roundtrip) {
    const auto files = corpusFiles(name);
    ASSERT_GE(files.size(), 20u);
    std::size_t uhd = 0;
    for (const auto& f : files) {
        SCOPED_TRACE(f.string());
        const Bytes data = readFile(f);
        uhd += isVersion0300(data);
        EXPECT_EQ(roundtrip(data, f.string()), data);
    }
    EXPECT_GE(uhd, 2u);  // the UHD disc and its BACKUP copy
}

}  // namespace

TEST(Corpus, IndexFilesRoundTripByteForByte) {
    NAVORA_NEED_CORPUS("tsmuxer");
    roundTripCorpus("index.bdmv", [](const Bytes& d, const std::string& n) { return writeIndex(readIndex(d, n)); });
}

TEST(Corpus, IndexFilesRoundTripWithTheirMovieObjectCount) {
    NAVORA_NEED_CORPUS("tsmuxer");
    // As the workspace reads them: the entry references are checked against the objects.
    roundTripCorpus("index.bdmv", [](const Bytes& d, const std::string& n) {
        const Bytes mobj = readFile(fs::path(n).parent_path() / "MovieObject.bdmv");
        const TINDX x = readIndex(d, n, readMovieObjects(mobj, "MovieObject.bdmv").mobjs.objects.size());
        EXPECT_EQ(x.indexes.first_playback.mobj_id_ref, 2);
        EXPECT_EQ(x.indexes.top_menu.mobj_id_ref, 1);
        return writeIndex(x);
    });
}

TEST(Corpus, MovieObjectFilesRoundTripByteForByte) {
    NAVORA_NEED_CORPUS("tsmuxer");
    roundTripCorpus("MovieObject.bdmv", [](const Bytes& d, const std::string& n) {
        MobjReadReport report;
        const TMOBJ m = readMovieObjects(d, n, &report);
        EXPECT_TRUE(report.complete);
        EXPECT_EQ(m.mobjs.objects.size(), 3u);
        EXPECT_EQ(m.mobjs.length, movieObjectsLength(m.mobjs));
        return writeMovieObjects(m);
    });
}

TEST(Corpus, CliRoundTripReproducesEveryFileAndRefusesUnknownVersions) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp;
    std::size_t files = 0;
    for (const char* name : {"index.bdmv", "MovieObject.bdmv"}) {
        for (const auto& f : corpusFiles(name)) {
            SCOPED_TRACE(f.string());
            ++files;
            const fs::path out = tmp / "out.bdmv";
            fs::remove(out);
            const CliResult r = runCli({"roundtrip", f.string(), out.string()});
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(readFile(out), readFile(f));
            if (!isVersion0300(readFile(f))) continue;
            // A version Navora does not know is refused with the reason, and nothing is written.
            Bytes later = readFile(f);
            later[5] = '4';
            writeFile(tmp / "later.bdmv", later);
            fs::remove(out);
            const CliResult refused = runCli({"roundtrip", (tmp / "later.bdmv").string(), out.string()});
            EXPECT_EQ(refused.exitCode, 1);
            EXPECT_EQ(lineCount(refused.err), 1u) << refused.err;
            EXPECT_NE(refused.err.find("version \"0400\" is not supported (\"0100\", \"0200\" or \"0300\")"),
                      std::string::npos)
                << refused.err;
            EXPECT_FALSE(fs::exists(out));
        }
    }
    EXPECT_GE(files, 40u);
}

TEST(Corpus, CliDumpPrintsTheModelAsJson) {
    NAVORA_NEED_CORPUS("tsmuxer");
    const fs::path bdmv = corpusDir() / "tsmuxer" / "tsm09_avchd_1080p25" / "BDMV";
    const fs::path index = bdmv / "index.bdmv";
    const CliResult ri = runCli({"dump", index.string()});
    ASSERT_EQ(ri.exitCode, 0) << ri.err;
    EXPECT_EQ(nlohmann::ordered_json::parse(ri.out), toJson(readIndex(readFile(index), "index.bdmv")));

    const fs::path mobj = bdmv / "MovieObject.bdmv";
    const CliResult rm = runCli({"dump", mobj.string()});
    ASSERT_EQ(rm.exitCode, 0) << rm.err;
    const auto j = nlohmann::ordered_json::parse(rm.out);
    EXPECT_EQ(j, toJson(readMovieObjects(readFile(mobj), "MovieObject.bdmv")));
    EXPECT_EQ(j["MovieObjects"]["number_of_mobjs"], 3);
}

TEST(Corpus, CliErrorsAreOneLineAndExitOne) {
    NAVORA_NEED_CORPUS("tsmuxer");
    TempDir tmp;
    const fs::path clpi = corpusDir() / "tsmuxer" / "tsm01_avc1080p24_ac3_chap5s" / "BDMV" / "CLIPINF" / "00000.clpi";
    Bytes cut = readFile(corpusDir() / "tsmuxer" / "tsm01_avc1080p24_ac3_chap5s" / "BDMV" / "index.bdmv");
    cut.resize(100);
    writeFile(tmp / "cut.bdmv", cut);
    struct Case {
        std::vector<std::string> args;
        const char* words;
    };
    writeFile(tmp / "junk.bin", Bytes{'J', 'U', 'N', 'K', 0, 0, 0, 0});
    const Case cases[] = {
        {{"dump", (tmp / "junk.bin").string()}, "not a file kind"},
        {{"roundtrip", clpi.string(), (tmp / "o1").string()}, "read, not written"},
        {{"dump", (tmp / "missing.bdmv").string()}, "missing.bdmv"},
        {{"roundtrip", (tmp / "cut.bdmv").string(), (tmp / "o2").string()}, "offset 100"},
    };
    for (const Case& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(tmp / "o1"));
    EXPECT_FALSE(fs::exists(tmp / "o2"));
}
