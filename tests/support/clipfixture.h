#pragma once
// A clip information file written byte by byte, independent of the engine's
// writers, for the reader's and the clip tab's tests. It has every optional
// block: an ATC delta entry and a font file (application type 6), the ATC and
// STC sequences, the program streams and EP maps the test gives, and an
// ExtensionData block with one entry ("1 entry, 30 bytes"). Sections follow
// one another without padding; lengths and start addresses are filled in.

#include "core/bytes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace navora::test {

struct HandMadeClip {
    struct Stc {
        std::uint16_t pcrPid = 0;
        std::uint32_t spn = 0;
        std::uint32_t start = 0;  // 45 kHz
        std::uint32_t end = 0;
    };
    struct Atc {
        std::uint32_t spn = 0;
        std::uint8_t offsetStcId = 0;
        std::vector<Stc> stcs;
    };
    // The EP map of one PID (EP_stream_type 1): coarse entries as two words
    // each, bytes between the coarse and the fine table, fine entries.
    struct EpMap {
        std::uint16_t pid = 0;
        std::vector<std::uint32_t> coarse;
        Bytes padding;
        std::vector<std::uint32_t> fine;
    };

    std::string version = "0200";
    // The 32-bit word whose last bit is is_ATC_delta (the others are reserved).
    std::uint32_t atcDeltaWord = 1;
    std::uint32_t sourcePackets = 0;
    std::vector<Atc> atcSequences;
    // The reserved byte and number_of_program_sequences (1) of ProgramInfo.
    std::uint16_t programWord = 0x0001;
    // The streams of the one program sequence, each from its stream_PID on.
    std::vector<Bytes> streams;
    std::vector<EpMap> epMaps;
};

// A stream of a known coding type: PID, StreamCodingInfo length 21 plus the
// extra bytes, coding type, the four attribute bytes, the ISRC "US" "ABC"
// "24" "00042", four reserved bytes, then extra.
Bytes handMadeStream(std::uint16_t pid, std::uint8_t codingType, const Bytes& attributes, const Bytes& extra = {});

Bytes handMadeClipFile(const HandMadeClip& clip);

}  // namespace navora::test
