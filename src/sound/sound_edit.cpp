#include "sound/sound_edit.h"

#include "core/fileio.h"
#include "core/numtext.h"
#include "sound/sound_io.h"
#include "sound/wav.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

namespace {

// The size of the file the laid-out model is written as.
std::uint64_t fileSize(const TSND& s) {
    std::uint64_t size = kSoundIndexStart + std::uint64_t{kSoundEntrySize} * s.entries.size();
    std::uint64_t rel = 0;
    for (const TSoundEntry& e : s.entries) {
        rel += e.data.size();
        if (rel % 4 != 0) rel += 2;
    }
    size += rel;
    if (s.ExtensionData_start_address != 0) size += s.ext.length == 0 ? 4 : 12 + 12 * s.ext.entries.size() + s.ext.data.size();
    return size;
}

}  // namespace

std::size_t soundInsertIndex(const TSND& snd, std::size_t selected) {
    if (snd.entries.empty()) return 0;
    return std::min(selected, snd.entries.size() - 1) + 1;
}

std::size_t insertSound(TSND& snd, std::size_t selected, TSoundEntry entry) {
    if (snd.entries.size() >= kMaxSoundEntries)
        throw std::length_error(
            fmt::format("sound.bdmv already holds {} sound entries, the most its count field can hold",
                        snd.entries.size()));
    TSND next = snd;
    const std::size_t at = soundInsertIndex(next, selected);
    next.entries.insert(next.entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    if (const std::uint64_t size = fileSize(next); size > kMaxDatabaseFileSize)
        throw std::length_error(fmt::format("sound.bdmv would grow to {} bytes, beyond the {} bytes Navora reads",
                                            size, kMaxDatabaseFileSize));
    layoutSound(next);
    snd = std::move(next);
    return at;
}

std::size_t loadSound(TSND& snd, std::span<const std::uint8_t> wav, const std::string& name, std::size_t selected) {
    return insertSound(snd, selected, soundFromWav(wav, name));
}

bool deleteSound(TSND& snd, std::size_t index) {
    if (index >= snd.entries.size()) return false;
    snd.entries.erase(snd.entries.begin() + static_cast<std::ptrdiff_t>(index));
    layoutSound(snd);
    return true;
}

TSND createSound(std::span<const std::uint8_t> wav, const std::string& name) {
    TSND snd;
    loadSound(snd, wav, name, 0);
    return snd;
}

void setSoundExtensionData(TSND& snd, const TExtensionData& block) {
    snd.ext = block.length == 0 ? TExtensionData{} : block;
    // Any non-zero value marks the block as present; the layout sets the offset.
    snd.ExtensionData_start_address = block.length == 0 ? 0 : 1;
    layoutSound(snd);
}

bool plWav(const TSND& snd, std::size_t index, WavePlayer& player) {
    if (index >= snd.entries.size()) return false;
    return player.Play(mkWav(snd.entries[index]));
}

const std::array<std::string, 5>& soundGridColumns() {
    static const std::array<std::string, 5> columns{"No.", "channel", "frequency", "bits/sample", "length"};
    return columns;
}

std::array<std::string, 5> soundGridRow(const TSoundEntry& e, std::size_t index) {
    const char* channel = e.channel_configuration == SoundChannels::Mono     ? "Mono"
                          : e.channel_configuration == SoundChannels::Stereo ? "Stereo"
                                                                             : "-";
    return {fmt::format("{:03}", index), channel,
            e.sampling_frequency == SoundFrequency::Hz48000 ? "48kHz" : "-",
            e.bits_per_sample == SoundBits::Bits16 ? "16" : "-", soundLengthText(e.sound_data_length)};
}

std::string soundLengthText(std::uint32_t length) {
    const std::uint32_t hundredths = length / 1920;
    const std::uint32_t whole = hundredths / 100;
    const std::uint32_t frac = hundredths % 100;
    if (frac == 0) return fmt::format("{} s", whole);
    if (frac % 10 == 0) return fmt::format("{}.{} s", whole, frac / 10);
    return fmt::format("{}.{:02} s", whole, frac);
}

std::string soundReadout(const TSND& snd, std::size_t selected, char sep) {
    if (snd.entries.empty()) return {};
    const TSoundEntry& e = snd.entries[std::min(selected, snd.entries.size() - 1)];
    const TSoundEntry& last = snd.entries.back();
    const std::uint64_t total = std::uint64_t{last.sound_data_start_address} + last.sound_data_length;
    return fmt::format("Data start: {:08X} ({})  Length: {:08X} ({})  Total data length: {:08X}({})",
                       e.sound_data_start_address, groupThousands(e.sound_data_start_address, sep), e.sound_data_length,
                       groupThousands(e.sound_data_length, sep), total, groupThousands(total, sep));
}

std::string soundFoundLine(std::size_t count) {
    return fmt::format(" Found [b]{}[/b] sound entr{}", count, count > 1 ? "ies" : "y");
}

std::string soundExportName(std::size_t index) { return fmt::format("sound_{:03}.wav", index); }

}  // namespace navora
