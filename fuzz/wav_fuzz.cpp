// Arbitrary bytes as a WAV file: import refuses them with a WavFormatError
// or gives an entry whose WAV image imports as the same entry; the player's
// image reading never points past the image.
#include "sound/sound_edit.h"
#include "sound/sound_io.h"
#include "sound/wav.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto img = navora::readWavImage(bytes))
        if (img->dataStart > img->dataEnd || img->dataEnd > size) std::abort();
    navora::TSND s;
    try {
        navora::loadSound(s, bytes, "fuzz.wav", 0);
    } catch (const navora::WavFormatError&) {
        return 0;
    }
    const navora::TSoundEntry& e = s.entries.at(0);
    const navora::Bytes image = navora::mkWav(e);
    if (!(navora::soundFromWav(image, "image.wav") == e)) std::abort();
    const auto img = navora::readWavImage(image);
    if (!img || img->dataEnd - img->dataStart != e.data.size()) std::abort();
    if (!(navora::readSound(navora::writeSound(s), "sound.bdmv") == s)) std::abort();
    return 0;
}
