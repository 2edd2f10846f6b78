// The program map read from the PAT and PMT of real streams.

#include "support/testsupport.h"
#include "ts/programmap.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

TEST(ProgramMap, CorpusMenuStreamsCarryTheirIgPid) {
    NAVORA_NEED_CORPUS("igs");
    for (const auto& entry : fs::directory_iterator(corpusDir() / "igs")) {
        const auto map = readProgramMap(entry.path() / (entry.path().filename().string() + ".m2ts"));
        EXPECT_EQ(firstPidOfType(map, kIgStreamType), std::optional<std::uint16_t>(0x1400)) << entry.path();
    }
}

TEST(ProgramMap, StreamsWithoutTablesOrWithCutTablesGiveNothing) {
    Bytes nulls(192 * 4, 0xFF);
    for (std::size_t i = 0; i < 4; ++i) nulls[i * 192 + 4] = 0x47;
    EXPECT_TRUE(readProgramMap(nulls).empty());

    // A PAT whose section_length runs past its packet is skipped, not read past.
    Bytes pat(192, 0xFF);
    pat[4] = 0x47;
    pat[5] = 0x40;  // payload unit start, PID 0
    pat[6] = 0x00;
    pat[7] = 0x10;  // payload only
    pat[8] = 0x00;  // pointer_field
    pat[9] = 0x00;  // table_id
    pat[10] = 0xB3;
    pat[11] = 0xFF;  // section_length 0x3FF
    EXPECT_TRUE(readProgramMap(pat).empty());
}

}  // namespace
