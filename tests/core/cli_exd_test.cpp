// navora-cli exd, and dump and roundtrip of .exd files.

#include "core/extdata.h"
#include "core/fileio.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

using namespace navora;
using namespace navora::test;

namespace {

// Two entries: 40 bytes at 0x24 and 6 bytes at 0x4C.
TExtensionData block() {
    TExtensionData b;
    b.data_block_start_address = 0x24;
    b.entries = {{0x1000, 0x0001, 0x24, 40}, {0x2000, 0x0002, 0x4C, 6}};
    for (int i = 0; i < 40; ++i) b.data.push_back(static_cast<std::uint8_t>(0x30 + i));
    for (char c : std::string("Navora")) b.data.push_back(static_cast<std::uint8_t>(c));
    b.number_of_ext_data_entries = 2;
    b.length = static_cast<std::uint32_t>(8 + 24 + b.data.size());
    return b;
}

}  // namespace

TEST(CliExd, PrintsTheEditorsRowsAndDumpLines) {
    TempDir dir;
    const fs::path exd = dir / "block.exd";
    saveAtomic(exd, writeExd(block()));

    const CliResult text = runCli({"exd", exd.string()});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    std::string expected = exd.string() + ": 82 bytes, 2 entries\n"
                           "No.  ID1   ID2   start     length\n"
                           "000  1000  0001  00000024  00000028\n"
                           "001  2000  0002  0000004C  00000006\n"
                           "\nEntry 000\n";
    for (const DumpLine& l : extDataDump(block(), 0)) expected += l.text + "\n";
    expected += "\nEntry 001\n";
    expected += " 004C 4E 61 76 6F 72 61" + std::string(26 * 3, ' ') + " Navora\n";
    EXPECT_EQ(text.out, expected);

    const CliResult json = runCli({"exd", exd.string(), "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["summary"], "82 bytes, 2 entries");
    ASSERT_EQ(j["entries"].size(), 2u);
    EXPECT_EQ(j["entries"][1]["start"], "0000004C");
    ASSERT_EQ(j["entries"][0]["dump"].size(), 2u);
    EXPECT_EQ(j["entries"][0]["dump"][1], extDataDump(block(), 0)[1].text);
}

TEST(CliExd, RoundtripAndDumpKnowExdByName) {
    TempDir dir;
    const fs::path exd = dir / "BLOCK.EXD";
    saveAtomic(exd, writeExd(block()));
    const fs::path out = dir / "copy.exd";
    const CliResult rt = runCli({"roundtrip", exd.string(), out.string()});
    ASSERT_EQ(rt.exitCode, 0) << rt.err;
    EXPECT_EQ(readFile(out), readFile(exd));
    const CliResult dump = runCli({"dump", exd.string()});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(nlohmann::json::parse(dump.out)["number_of_ext_data_entries"], 2);

    // A cut file is refused with its name, and nothing is written.
    Bytes cut = writeExd(block());
    cut.resize(60);
    saveAtomic(dir / "cut.exd", cut);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"exd", (dir / "cut.exd").string()},
          std::vector<std::string>{"roundtrip", (dir / "cut.exd").string(), (dir / "none.exd").string()}}) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 1) << args.front();
        EXPECT_NE(r.err.find("cut.exd"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("cut short"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "none.exd"));
}

// Nothing is rewritten shorter or with bits cleared without a word: the
// reserved bytes of the block come back as read, and bytes after a block
// whose length field is short are shown with a warning and exit 3.
TEST(CliExd, ReservedBytesStayAndBytesBeyondTheBlockAreNamed) {
    TempDir dir;
    Bytes reserved = writeExd(block());
    reserved[8] = 0xA5;
    reserved[10] = 0x01;
    saveAtomic(dir / "reserved.exd", reserved);
    const CliResult same = runCli({"roundtrip", (dir / "reserved.exd").string(), (dir / "same.exd").string()});
    ASSERT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.err, "");
    EXPECT_EQ(readFile(dir / "same.exd"), reserved);

    // The length field 17 bytes short: the second entry's data lies beyond it.
    Bytes shortLength = writeExd(block());
    shortLength[3] = static_cast<std::uint8_t>(shortLength[3] - 17);
    saveAtomic(dir / "short.exd", shortLength);
    const std::string warning = "short.exd: the block's length field declares 65 bytes, the file holds 17 more";
    const CliResult shown = runCli({"exd", (dir / "short.exd").string()});
    EXPECT_EQ(shown.exitCode, 3);
    EXPECT_NE(shown.out.find("Navora"), std::string::npos) << shown.out;
    EXPECT_NE(shown.err.find(warning), std::string::npos) << shown.err;
    const CliResult rt = runCli({"roundtrip", (dir / "short.exd").string(), (dir / "cut.exd").string()});
    EXPECT_EQ(rt.exitCode, 3);
    EXPECT_NE(rt.err.find(warning), std::string::npos) << rt.err;
    EXPECT_EQ(readFile(dir / "cut.exd").size(), shortLength.size() - 17);
}
