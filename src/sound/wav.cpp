#include "sound/wav.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>

namespace navora {

namespace {

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
           (std::uint32_t{b[at + 3]} << 24);
}

bool idAt(std::span<const std::uint8_t> b, std::size_t at, const char* id) {
    return std::memcmp(b.data() + at, id, 4) == 0;
}

void putLe16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putLe32(Bytes& out, std::uint32_t v) {
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void putId(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

// Swaps the two bytes of every 16-bit sample; an odd last byte stays.
Bytes swapSamples(std::span<const std::uint8_t> in) {
    Bytes out(in.begin(), in.end());
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    return out;
}

constexpr std::size_t kHeaderChecked = 38;

struct DataChunk {
    std::size_t headerAt = 0;  // offset of the chunk header
    std::size_t start = 0;     // first byte of the content
    std::uint32_t size = 0;    // as declared
};

// Walks the chunk headers from offset at (the end of the "fmt " chunk) to the
// "data" chunk. Each chunk's content is skipped, with the pad byte that
// follows a chunk of odd size. Nothing when the chunks end first.
std::optional<DataChunk> findDataChunk(std::span<const std::uint8_t> b, std::uint64_t at) {
    while (at <= b.size() && b.size() - at >= 8) {
        const std::size_t h = static_cast<std::size_t>(at);
        const std::uint32_t size = le32(b, h + 4);
        if (idAt(b, h, "data")) return DataChunk{h, h + 8, size};
        at += 8 + std::uint64_t{size} + (size & 1u);
    }
    return std::nullopt;
}

}  // namespace

TSoundEntry soundFromWav(std::span<const std::uint8_t> wav, const std::string& name) {
    auto refuse = [&](std::size_t offset, const std::string& found) -> void {
        throw WavFormatError(name, offset, fmt::format("{}: {}", kWavFormatMessage, found));
    };
    if (wav.size() < kHeaderChecked)
        refuse(0, fmt::format("{} bytes, too short for a WAV header", wav.size()));
    if (!idAt(wav, 0, "RIFF") || !idAt(wav, 8, "WAVE"))
        refuse(0, "not a RIFF WAVE file");
    if (!idAt(wav, 12, "fmt "))
        refuse(12, fmt::format("\"{}\" where the \"fmt \" chunk should be",
                               printableText(std::string(wav.begin() + 12, wav.begin() + 16))));
    if (const std::uint16_t tag = le16(wav, 20); tag != 1)
        refuse(20, fmt::format("format tag {} is not PCM (1)", tag));
    if (const std::uint32_t rate = le32(wav, 24); rate != 48000)
        refuse(24, fmt::format("sample rate {} Hz", rate));
    if (const std::uint16_t bits = le16(wav, 34); bits != 16)
        refuse(34, fmt::format("{} bits per sample", bits));
    const std::uint16_t channels = le16(wav, 22);
    if (channels != 1 && channels != 2)
        refuse(22, fmt::format("{} channels (a sound is mono or stereo)", channels));

    const auto chunk = findDataChunk(wav, 20 + std::uint64_t{le32(wav, 16)});
    if (!chunk)
        throw WavFormatError(name, wav.size(), "Wave format error! (no \"data\" chunk before the end of the file)");
    if (chunk->size > wav.size() - chunk->start)
        throw WavFormatError(name, chunk->headerAt,
                             fmt::format("Wave format error! (the \"data\" chunk declares {} bytes, {} are present)",
                                         chunk->size, wav.size() - chunk->start));

    TSoundEntry e;
    e.channel_configuration = channels == 1 ? SoundChannels::Mono : SoundChannels::Stereo;
    e.sampling_frequency = SoundFrequency::Hz48000;
    e.bits_per_sample = SoundBits::Bits16;
    e.sound_data_start_address = 0;
    e.data = swapSamples(wav.subspan(chunk->start, chunk->size));
    e.sound_data_length = chunk->size;
    return e;
}

Bytes mkWav(const TSoundEntry& e) {
    const std::uint16_t channels = e.channel_configuration == SoundChannels::Stereo ? 2 : 1;
    const auto length = static_cast<std::uint32_t>(e.data.size());
    Bytes out;
    out.reserve(44 + e.data.size());
    putId(out, "RIFF");
    putLe32(out, 36 + length);
    putId(out, "WAVE");
    putId(out, "fmt ");
    putLe32(out, 16);
    putLe16(out, 1);
    putLe16(out, channels);
    putLe32(out, 48000);
    putLe32(out, 48000u * channels * 2);
    putLe16(out, static_cast<std::uint16_t>(channels * 2));
    putLe16(out, 16);
    putId(out, "data");
    putLe32(out, length);
    const Bytes samples = swapSamples(e.data);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::optional<WavImage> readWavImage(std::span<const std::uint8_t> wav) {
    if (wav.size() < kHeaderChecked || !idAt(wav, 8, "WAVE")) return std::nullopt;
    WavImage w;
    w.formatTag = le16(wav, 20);
    w.channels = le16(wav, 22);
    w.sampleRate = le32(wav, 24);
    w.avgBytesPerSec = le32(wav, 28);
    w.blockAlign = le16(wav, 32);
    w.bitsPerSample = le16(wav, 34);
    const auto chunk = findDataChunk(wav, 20 + std::uint64_t{le32(wav, 16)});
    if (!chunk) return std::nullopt;
    w.dataStart = chunk->start;
    w.dataEnd = chunk->start + std::min<std::size_t>(chunk->size, wav.size() - chunk->start);
    return w;
}

}  // namespace navora
