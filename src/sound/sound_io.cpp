#include "sound/sound_io.h"

#include "core/bits.h"
#include "core/errors.h"

#include <fmt/format.h>

#include <limits>
#include <stdexcept>

namespace navora {

namespace {

// The 10-byte SoundIndex entry, without the data.
TSoundEntry readEntry(ByteReader& in) {
    TSoundEntry e;
    BitReader bits(in);
    e.channel_configuration = static_cast<SoundChannels>(bits.bits(4));
    e.sampling_frequency = static_cast<SoundFrequency>(bits.bits(4));
    e.bits_per_sample = static_cast<SoundBits>(bits.bits(2));
    bits.skip(6);
    e.sound_data_start_address = in.readlword();
    e.sound_data_length = in.readlword();
    return e;
}

void writeEntry(ByteWriter& out, const TSoundEntry& e) {
    BitWriter bits(out);
    bits.put(4, static_cast<std::uint8_t>(e.channel_configuration));
    bits.put(4, static_cast<std::uint8_t>(e.sampling_frequency));
    bits.put(2, static_cast<std::uint8_t>(e.bits_per_sample));
    bits.zeros(6);
    out.putlword(e.sound_data_start_address);
    out.putlword(e.sound_data_length);
}

// Two zero bytes follow a sound whose end is not on a multiple of 4.
std::uint64_t paddingAfter(std::uint64_t end) { return end % 4 != 0 ? 2 : 0; }

std::uint32_t fitting32(std::uint64_t v, const char* what) {
    if (v > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error(fmt::format("sound.bdmv: {} ({} bytes) does not fit in 32 bits", what, v));
    return static_cast<std::uint32_t>(v);
}

}  // namespace

TSND readSound(std::span<const std::uint8_t> data, const std::string& name) {
    ByteReader in(data, name);
    TSND s;
    const TypeAndVersion tv = readTypeAndVersion(in, "BCLK");
    s.type_indicator = tv.type;
    s.version_number = tv.version;
    s.SoundData_start_address = in.readlword();
    s.ExtensionData_start_address = in.readlword();
    in.skip(24);
    s.length = in.readlword();
    in.skip(1);
    const std::uint8_t count = in.readbyte();
    in.checkCount(count, kSoundEntrySize, "sound entries");
    s.entries.reserve(count);
    for (std::uint8_t i = 0; i < count; ++i) s.entries.push_back(readEntry(in));

    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        TSoundEntry& e = s.entries[i];
        const std::uint64_t start = std::uint64_t{s.SoundData_start_address} + e.sound_data_start_address;
        if (start > in.size() || e.sound_data_length > in.size() - start)
            throw FormatError(name, 46 + kSoundEntrySize * i,
                              fmt::format("sound entry {} declares {} bytes at ${:08X}, beyond the end of the file "
                                          "({} bytes)",
                                          i, e.sound_data_length, start, in.size()));
        in.seek(static_cast<std::size_t>(start));
        e.data = in.readbytes(e.sound_data_length);
    }

    if (s.ExtensionData_start_address != 0) {
        if (s.ExtensionData_start_address > in.size())
            throw FormatError(name, 12,
                              fmt::format("ExtensionData start address ${:08X} lies beyond the end of the file ({} "
                                          "bytes)",
                                          s.ExtensionData_start_address, in.size()));
        in.seek(s.ExtensionData_start_address);
        const std::size_t blockStart = in.pos();
        ReadExtensionData(in, s.ext);
        const std::uint64_t declared = std::uint64_t{s.ext.length} + 4;
        if (declared > in.size() - blockStart)
            throw FormatError(name, blockStart,
                              fmt::format("ExtensionData block cut short: {} bytes declared, {} present", declared,
                                          in.size() - blockStart));
    }
    return s;
}

void layoutSound(TSND& s) {
    const std::uint64_t n = s.entries.size();
    if (n > kMaxSoundEntries)
        throw std::length_error(fmt::format("sound.bdmv: {} sound entries, at most 255 can be written", n));
    s.SoundData_start_address = static_cast<std::uint32_t>(kSoundIndexStart + kSoundEntrySize * n);
    s.length = static_cast<std::uint32_t>(2 + kSoundEntrySize * n);
    std::uint64_t start = 0;
    for (TSoundEntry& e : s.entries) {
        e.sound_data_start_address = fitting32(start, "the sound data");
        e.sound_data_length = fitting32(e.data.size(), "a sound entry");
        const std::uint64_t end = start + e.data.size();
        start = end + paddingAfter(end);
    }
    if (s.ExtensionData_start_address != 0)
        s.ExtensionData_start_address = fitting32(s.SoundData_start_address + start, "the file");
}

Bytes writeSound(const TSND& model) {
    TSND s = model;
    layoutSound(s);
    ByteWriter out;
    out.putstring(s.type_indicator, 4);
    out.putstring(s.version_number, 4);
    out.putlword(s.SoundData_start_address);
    out.putlword(s.ExtensionData_start_address);
    out.putzeros(24);
    out.putlword(s.length);
    out.putbyte(0);
    out.putbyte(static_cast<std::uint8_t>(s.entries.size()));
    for (const TSoundEntry& e : s.entries) writeEntry(out, e);
    for (const TSoundEntry& e : s.entries) {
        out.putbytes(e.data);
        out.putzeros(paddingAfter(std::uint64_t{e.sound_data_start_address} + e.data.size()));
    }
    if (s.ExtensionData_start_address != 0) WriteExtensionData(out, s.ext);
    return out.take();
}

}  // namespace navora
