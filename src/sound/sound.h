#pragma once
// sound.bdmv (AUXDATA): the button sounds of the disc's menus, 48 kHz 16-bit
// LPCM clips, mono or stereo, stored big-endian. An entry's index is its
// sound id for the menu buttons.

#include "core/bytes.h"
#include "core/extdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace navora {

// channel_configuration (4 bits). Other values are kept as read.
enum class SoundChannels : std::uint8_t { Mono = 1, Stereo = 3 };
// sampling_frequency (4 bits). Other values are kept as read.
enum class SoundFrequency : std::uint8_t { Hz48000 = 1 };
// bits_per_sample (2 bits). Other values are kept as read.
enum class SoundBits : std::uint8_t { Bits16 = 1 };

struct TSoundEntry {
    SoundChannels channel_configuration = SoundChannels::Mono;
    SoundFrequency sampling_frequency = SoundFrequency::Hz48000;
    SoundBits bits_per_sample = SoundBits::Bits16;
    std::uint32_t sound_data_start_address = 0;  // from SoundData_start_address
    std::uint32_t sound_data_length = 0;         // bytes; always data.size()
    Bytes data;  // 16-bit big-endian samples, left/right interleaved when stereo

    bool operator==(const TSoundEntry&) const = default;
};

// The header size and the size of one SoundIndex entry.
inline constexpr std::uint32_t kSoundIndexStart = 46;
inline constexpr std::uint32_t kSoundEntrySize = 10;
// number_of_sound_entries is 8 bits wide.
inline constexpr std::size_t kMaxSoundEntries = 255;

struct TSND {
    std::string type_indicator = "BCLK";
    std::string version_number = "0200";
    std::uint32_t SoundData_start_address = kSoundIndexStart;
    std::uint32_t ExtensionData_start_address = 0;  // 0: no block
    std::uint32_t length = 2;                        // 2 + 10 per entry
    std::vector<TSoundEntry> entries;                // number_of_sound_entries = entries.size()
    TExtensionData ext;

    bool operator==(const TSND&) const = default;
};

}  // namespace navora
