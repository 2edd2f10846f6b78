#pragma once
// WAV images: import into a sound entry, the image of an entry (for export
// and playback), and the reading of an image by the player.

#include "core/bytes.h"
#include "core/errors.h"
#include "sound/sound.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace navora {

// The refusal shown for a WAV file that import does not take.
inline constexpr const char* kWavFormatMessage = "Wave format error! (Mandatory 48 kHz, 16 bit, PCM)";

// A WAV file that import refuses. reason() starts with kWavFormatMessage when
// the format is wrong, and says what was found.
class WavFormatError : public FormatError {
public:
    using FormatError::FormatError;
};

// The sound of a WAV file as a new entry: accepted only when bytes 0-3 are
// "RIFF", 8-11 "WAVE", 12-15 "fmt ", the format tag is 1 (PCM), the sample
// rate 48000, the bits per sample 16, and the channel count 1 or 2. The
// chunks after "fmt " are walked (odd sizes skip their pad byte) up to the
// "data" chunk, whose samples are byte-swapped to big-endian. The entry is
// mono for one channel and stereo otherwise; its start address is 0 until
// the model is laid out. Throws WavFormatError (name in the message) when the
// format is wrong, the file has no "data" chunk, or the chunk runs past the end.
TSoundEntry soundFromWav(std::span<const std::uint8_t> wav, const std::string& name);

// The WAV image of an entry: a 44-byte little-endian header (PCM, 48000 Hz,
// 16 bits, 2 channels when the entry is stereo, else 1) and the data with the
// two bytes of every sample swapped to little-endian.
Bytes mkWav(const TSoundEntry& entry);

// A WAV image as the player reads it.
struct WavImage {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::size_t dataStart = 0;  // first byte of the "data" chunk's content
    std::size_t dataEnd = 0;    // one past its last byte (never past the image)
};

// Reads the image for playback: nothing unless it has 38 bytes with "WAVE"
// at 8 and a "data" chunk after the "fmt " chunk. The format fields are
// taken from bytes 20-35 whatever they say; the player decides what it can
// play.
std::optional<WavImage> readWavImage(std::span<const std::uint8_t> wav);

}  // namespace navora
