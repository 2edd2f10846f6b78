#pragma once
// Helpers of the sound tests: sound.bdmv files laid out field by field, WAV
// files made by peer tools, and their data chunks.

#include "core/bytes.h"

#include <filesystem>
#include <string>
#include <vector>

namespace navora::test {

// One SoundIndex entry as the file stores it.
struct RawSoundEntry {
    std::uint8_t channelsAndFrequency = 0x11;  // high 4 bits channels, low 4 bits frequency
    std::uint8_t bits = 0x40;                  // high 2 bits bits_per_sample
    Bytes data;
};

// A sound.bdmv in the layout every writer produces: the data right after the
// SoundIndex, each sound padded with two zero bytes when it ends off a
// multiple of 4, then the ExtensionData block (extBlock, as raw bytes) when
// it is not empty.
Bytes soundFile(const std::vector<RawSoundEntry>& entries, const Bytes& extBlock = {},
                const std::string& version = "0200");

// True when the program is on PATH.
bool haveTool(const std::string& program);
// Runs a shell command; true when it exits 0.
bool shell(const std::string& command);

// The content of the first "data" chunk of a WAV file (walking the chunks).
Bytes wavData(const Bytes& wav);

}  // namespace navora::test
