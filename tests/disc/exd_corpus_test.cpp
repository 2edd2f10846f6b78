// The ExtensionData blocks of real discs through the editor's .exd files:
// saving a host's block gives exactly the block's bytes in the host file, and
// loading that file back shows the same rows and data lines and saves the
// same bytes again.

#include "core/errors.h"
#include "core/extdata.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"
#include "playlist/playlist_io.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace navora;
using namespace navora::test;

namespace {

struct Host {
    const char* file;
    std::uint32_t startAddressOffset;  // where the file keeps ExtensionData_start_address
    std::function<TExtensionData(const Bytes&, const std::string&)> block;
};

const Host kHosts[] = {
    {"index.bdmv", 12, [](const Bytes& b, const std::string& n) { return readIndex(b, n).ext; }},
    {"MovieObject.bdmv", 8, [](const Bytes& b, const std::string& n) { return readMovieObjects(b, n).ext; }},
    {"00000.mpls", 16, [](const Bytes& b, const std::string& n) { return readPlaylist(b, n).ExtensionData; }},
    {"00001.mpls", 16, [](const Bytes& b, const std::string& n) { return readPlaylist(b, n).ExtensionData; }},
};

std::uint32_t be32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

}  // namespace

TEST(ExdCorpus, HostBlocksSaveAsTheirOwnBytesAndLoadBackTheSame) {
    NAVORA_NEED_CORPUS("tsmuxer");
    int blocks = 0;
    for (const Host& host : kHosts) {
        for (const fs::path& path : corpusFiles(host.file)) {
            SCOPED_TRACE(path.string());
            const Bytes file = readFile(path);
            TExtensionData block;
            try {
                block = host.block(file, path.string());
            } catch (const WrongTypeError&) {
                continue;  // a version the reader refuses: the editor never sees its block
            }
            const std::uint32_t at = be32(file, host.startAddressOffset);
            if (block.length == 0) {
                EXPECT_EQ(writeExd(block), Bytes(4, 0));
                continue;
            }
            ++blocks;
            // Saved: the block exactly as the host file holds it.
            const Bytes exd = writeExd(block);
            ASSERT_LE(std::size_t{at} + 4 + block.length, file.size());
            EXPECT_EQ(exd, Bytes(file.begin() + at, file.begin() + at + 4 + block.length));
            // Loaded back: the same view and the same bytes on the next save.
            const TExtensionData back = readExd(exd, "x.exd");
            EXPECT_EQ(extDatProp(back), extDatProp(block));
            ASSERT_EQ(back.entries, block.entries);
            for (std::size_t e = 0; e < block.entries.size(); ++e) {
                const auto lines = extDataDump(block, e);
                const auto again = extDataDump(back, e);
                ASSERT_EQ(lines.size(), again.size());
                for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].text, again[i].text);
            }
            EXPECT_EQ(writeExd(back), exd);
        }
    }
    // An index.bdmv and a playlist carry a block, each also in its BACKUP folder.
    EXPECT_GE(blocks, 4);
}
