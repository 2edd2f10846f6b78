#include "clip/clipinfo_io.h"

#include "core/bits.h"
#include "core/fileio.h"
#include "core/numtext.h"

#include <fmt/format.h>

#include <array>
#include <stdexcept>

namespace navora {

namespace {

constexpr std::size_t kHeaderSize = 40;
// StreamCodingInfo length of the known coding types: the fields after the length byte.
constexpr std::uint8_t kCodingInfoLength = 21;

// Moves to a section's start address; it must lie past the header and inside
// the file. A bad address is reported at its field in the header.
void seekSection(ByteReader& in, std::uint32_t address, std::size_t field, const char* section) {
    if (address < kHeaderSize)
        throw FormatError(in.name(), field,
                          fmt::format("{} start address ${:08X} points into the header", section, address));
    if (address > in.size())
        throw FormatError(in.name(), field,
                          fmt::format("{} start address ${:08X} lies beyond the end of the file ({} bytes)", section,
                                      address, in.size()));
    in.seek(address);
}

void readISRC(ByteReader& in, TProgramStream& s) {
    s.country_code = in.readstring(2);
    s.registrant_code = in.readstring(3);
    s.recording_year = in.readstring(2);
    s.recording_number = in.readstring(5);
}

TProgramStream readProgramStream(ByteReader& in) {
    TProgramStream s;
    s.stream_PID = in.readword();
    const std::size_t start = in.pos();
    s.length = in.readbyte();
    if (s.length == 0) in.fail(fmt::format("StreamCodingInfo of PID ${:04X} has length 0", s.stream_PID));
    s.stream_coding_type = in.readbyte();
    const std::uint8_t t = s.stream_coding_type;
    if (!isKnownCodingType(t)) {
        // Unknown layout: skip by the length byte so that the next stream is read in step.
        in.skip(s.length - 1u);
        return s;
    }
    if (s.length < kCodingInfoLength) {
        in.seek(start);
        in.fail(fmt::format("StreamCodingInfo of PID ${:04X} (coding type ${:02X}) has length {}, {} needed",
                            s.stream_PID, t, s.length, kCodingInfoLength));
    }
    const StreamCodingFields f = readStreamCodingFields(in, t, AttributeLayout::Clip);
    s.video_format = f.video_format;
    s.frame_rate = f.frame_rate;
    s.aspect_ratio = f.aspect_ratio;
    s.video_flag = f.video_flag;
    s.dynamic_range_type = f.dynamic_range_type;
    s.color_space = f.color_space;
    s.hdr_plus_flag = f.hdr_plus_flag;
    s.audio_presentation_type = f.audio_presentation_type;
    s.sampling_frequency = f.sampling_frequency;
    s.character_code = f.character_code;
    s.language_code = f.language_code;
    readISRC(in, s);
    in.skip(4);
    // A longer StreamCodingInfo carries fields this reader does not know.
    in.skip(start + 1 + s.length - in.pos());
    return s;
}

void readClipInfoSection(ByteReader& in, TClipInfo& ci) {
    ci.length = in.readlword();
    in.skip(2);
    ci.clip_stream_type = in.readbyte();
    ci.application_type = in.readbyte();
    BitReader bits(in);
    bits.skip(31);
    ci.is_ATC_delta = static_cast<std::uint8_t>(bits.bits(1));
    ci.TS_recording_rate = in.readlword();
    ci.number_of_source_packets = in.readlword();
    in.skip(128);
    ci.TS_type_info_block_length = in.readword();
    ci.Validity_flags = in.readbyte();
    ci.Format_identifier = in.readstring(4);
    in.skip(9 + 16);  // network information, stream format name
    if (ci.is_ATC_delta == 1) {
        in.skip(1);
        ci.number_of_ATC_delta_entries = in.readbyte();
        in.checkCount(ci.number_of_ATC_delta_entries, 14, "ATC delta entries");
        ci.ATC_deltas.resize(ci.number_of_ATC_delta_entries);
        for (TATCDelta& d : ci.ATC_deltas) {
            d.ATC_delta = in.readlword();
            d.following_Clip_Information_file_name = in.readstring(5);
            d.Clip_codec_identifier = in.readstring(4);
            in.skip(1);
        }
    }
    if (ci.application_type == 6) {
        in.skip(1);
        ci.number_of_font_files = in.readbyte();
        in.checkCount(ci.number_of_font_files, 6, "font files");
        ci.font_file_names.resize(ci.number_of_font_files);
        for (std::string& f : ci.font_file_names) {
            f = in.readstring(5);
            in.skip(1);
        }
    }
}

void readSequenceInfo(ByteReader& in, TSequenceInfo& si) {
    si.length = in.readlword();
    in.skip(1);
    si.number_of_ATC_sequences = in.readbyte();
    in.checkCount(si.number_of_ATC_sequences, 6, "ATC sequences");
    si.ATC_sequences.resize(si.number_of_ATC_sequences);
    for (TATC_sequences& a : si.ATC_sequences) {
        a.SPN_ATC_start = in.readlword();
        a.number_of_STC_sequences = in.readbyte();
        a.offset_STC_id = in.readbyte();
        in.checkCount(a.number_of_STC_sequences, 14, "STC sequences");
        a.STC_sequences.resize(a.number_of_STC_sequences);
        for (TSTCSequence& s : a.STC_sequences) {
            s.PCR_PID = in.readword();
            s.SPN_STC_start = in.readlword();
            s.presentation_start_time = in.readlword();
            s.presentation_end_time = in.readlword();
        }
    }
}

void readProgramInfo(ByteReader& in, TProgramInfo& pi) {
    pi.length = in.readlword();
    in.skip(1);  // reserved
    pi.number_of_program_sequences = in.readbyte();
    in.checkCount(pi.number_of_program_sequences, 8, "program sequences");
    pi.program_sequences.resize(pi.number_of_program_sequences);
    for (TProgram_sequences& ps : pi.program_sequences) {
        ps.SPN_program_sequence_start = in.readlword();
        ps.program_map_PID = in.readword();
        ps.number_of_streams_in_ps = in.readbyte();
        in.skip(1);  // number_of_groups
        in.checkCount(ps.number_of_streams_in_ps, 4, "program streams");
        ps.streams.reserve(ps.number_of_streams_in_ps);
        for (std::size_t i = 0; i < ps.number_of_streams_in_ps; ++i) ps.streams.push_back(readProgramStream(in));
    }
}

void readCPI(ByteReader& in, TCPI& cpi) {
    const std::size_t cpiStart = in.pos();
    cpi.length = in.readlword();
    if (cpi.length == 0) return;
    const std::uint64_t end = std::uint64_t{cpiStart} + 4 + cpi.length;
    if (end > in.size()) {
        in.seek(cpiStart);
        in.fail(fmt::format("CPI length {} runs past the end of the file ({} bytes)", cpi.length, in.size()));
    }
    // Fails at the current position unless n more bytes fit in the CPI section.
    auto needInSection = [&](std::uint64_t n, const std::string& what) {
        if (in.pos() + n > end)
            in.fail(fmt::format("{} ({} bytes) runs past the end of the CPI section at ${:08X}", what, n, end));
    };

    cpi.CPI_type = in.readword();
    const std::size_t epMapStart = in.pos();
    in.skip(1);
    cpi.number_of_stream_PID_entries = in.readbyte();
    needInSection(std::uint64_t{12} * cpi.number_of_stream_PID_entries,
                  fmt::format("EP map table of {} stream PID entries", cpi.number_of_stream_PID_entries));
    cpi.stream_PID_entries.resize(cpi.number_of_stream_PID_entries);
    for (TEPStreamPID& e : cpi.stream_PID_entries) {
        e.stream_PID = in.readword();
        BitReader bits(in);
        bits.skip(10);
        e.EP_stream_type = static_cast<std::uint8_t>(bits.bits(4));
        e.number_of_EP_coarse_entries = static_cast<std::uint16_t>(bits.bits(16));
        e.number_of_EP_fine_entries = bits.bits(18);
        e.EP_map_for_one_stream_PID_start_address = in.readlword();
    }
    const std::size_t tableEnd = in.pos();

    cpi.EP_maps.resize(cpi.stream_PID_entries.size());
    for (std::size_t i = 0; i < cpi.stream_PID_entries.size(); ++i) {
        const TEPStreamPID& e = cpi.stream_PID_entries[i];
        TEP_map_fosPID& m = cpi.EP_maps[i];
        // Each map is read at its start address; in a well-formed file that is
        // where the previous one ended.
        const std::uint64_t mapStart = std::uint64_t{epMapStart} + e.EP_map_for_one_stream_PID_start_address;
        if (mapStart < tableEnd || mapStart >= end)
            in.fail(fmt::format("EP map of stream PID ${:04X} starts at ${:08X}, outside the CPI section "
                                "(${:08X}-${:08X})",
                                e.stream_PID, mapStart, tableEnd, end));
        in.seek(static_cast<std::size_t>(mapStart));
        needInSection(4, fmt::format("EP map of stream PID ${:04X}", e.stream_PID));
        m.EP_fine_table_start_address = in.readlword();
        const std::uint64_t coarseBytes = std::uint64_t{8} * e.number_of_EP_coarse_entries;
        if (m.EP_fine_table_start_address < 4 + coarseBytes) {
            in.seek(static_cast<std::size_t>(mapStart));
            in.fail(fmt::format("EP fine table start ${:08X} of stream PID ${:04X} lies inside its {} coarse entries",
                                m.EP_fine_table_start_address, e.stream_PID, e.number_of_EP_coarse_entries));
        }
        needInSection(coarseBytes, fmt::format("{} EP coarse entries of stream PID ${:04X}",
                                               e.number_of_EP_coarse_entries, e.stream_PID));
        m.coarse.resize(e.number_of_EP_coarse_entries);
        for (TEPCoarse& c : m.coarse) {
            BitReader bits(in);
            c.ref_to_EP_fine_id = bits.bits(18);
            c.PTS_EP_coarse = static_cast<std::uint16_t>(bits.bits(14));
            c.SPN_EP_coarse = in.readlword();
        }
        const std::uint64_t gap = m.EP_fine_table_start_address - 4 - coarseBytes;
        needInSection(gap, fmt::format("EP fine table start ${:08X} of stream PID ${:04X}",
                                       m.EP_fine_table_start_address, e.stream_PID));
        in.skip(static_cast<std::size_t>(gap));
        needInSection(std::uint64_t{4} * e.number_of_EP_fine_entries,
                      fmt::format("{} EP fine entries of stream PID ${:04X}", e.number_of_EP_fine_entries,
                                  e.stream_PID));
        m.fine.resize(e.number_of_EP_fine_entries);
        for (TEPFine& f : m.fine) {
            BitReader bits(in);
            f.is_angle_change_point = static_cast<std::uint8_t>(bits.bits(1));
            f.I_end_position_offset = static_cast<std::uint8_t>(bits.bits(3));
            f.PTS_EP_fine = static_cast<std::uint16_t>(bits.bits(11));
            f.SPN_EP_fine = bits.bits(17);
        }
    }
}

}  // namespace

TCLPI readClipInfo(std::span<const std::uint8_t> data, const std::string& name) {
    ByteReader in(data, name);
    TCLPI x;
    TypeAndVersion tv = readTypeAndVersion(in, "HDMV", Versions::BDAndUHD);
    x.type_indicator = std::move(tv.type);
    x.version_number = std::move(tv.version);
    x.SequenceInfo_start_address = in.readlword();
    x.ProgramInfo_start_address = in.readlword();
    x.CPI_start_address = in.readlword();
    x.ClipMark_start_address = in.readlword();
    x.ExtensionData_start_address = in.readlword();
    in.skip(12);

    readClipInfoSection(in, x.ClipInfo);
    seekSection(in, x.SequenceInfo_start_address, 8, "SequenceInfo");
    readSequenceInfo(in, x.SequenceInfo);
    seekSection(in, x.ProgramInfo_start_address, 12, "ProgramInfo");
    readProgramInfo(in, x.ProgramInfo);
    seekSection(in, x.CPI_start_address, 16, "CPI");
    readCPI(in, x.CPI);
    seekSection(in, x.ClipMark_start_address, 20, "ClipMark");
    x.ClipMark_length = in.readlword();

    if (x.ExtensionData_start_address != 0) {
        seekSection(in, x.ExtensionData_start_address, 24, "ExtensionData");
        ReadWholeExtensionData(in, x.ExtensionData);
    }
    return x;
}

std::optional<std::uint64_t> sourcePacketMismatch(const TCLPI& clip, std::uint64_t streamSize) {
    if (streamSize == 0) return std::nullopt;
    const std::uint64_t count = streamSize / kSourcePacketSize;
    if (count == clip.ClipInfo.number_of_source_packets) return std::nullopt;
    return count;
}

std::string sourcePacketQuestion(std::uint64_t count, char thousandsSeparator) {
    return "The m2ts file contains " + groupThousands(count, thousandsSeparator) + " packets." + "\n" +
           "Do you want to correct the packet value of ClipInfo?";
}

Bytes patchSourcePackets(std::span<const std::uint8_t> data, std::uint32_t count, const std::string& name) {
    if (data.size() < kSourcePacketsOffset + 4)
        throw FormatError(name, data.size(),
                          fmt::format("file of {} bytes is too short to hold number_of_source_packets", data.size()));
    Bytes out(data.begin(), data.end());
    for (std::size_t i = 0; i < 4; ++i)
        out[kSourcePacketsOffset + i] = static_cast<std::uint8_t>(count >> (24 - 8 * i));
    return out;
}

void correctSourcePackets(TCLPI& clip, const std::filesystem::path& file, std::uint64_t count) {
    if (count > 0xFFFFFFFFu)
        throw std::out_of_range(fmt::format("{}: {} source packets do not fit the 32-bit packet count",
                                            file.string(), count));
    const Bytes data = readDatabaseFile(file);
    // Only a file that still reads as clip information is patched.
    (void)readClipInfo(data, file.string());
    const Bytes patched = patchSourcePackets(data, static_cast<std::uint32_t>(count), file.string());
    saveAtomic(file, patched);
    clip.ClipInfo.number_of_source_packets = static_cast<std::uint32_t>(count);
}

namespace {
const std::array<const char*, 8> kApplicationTypes = {"res.",
                                                      "Main TS for a Movie",
                                                      "Main TS for a Time based slide show",
                                                      "Main TS for a Browsable slide show",
                                                      "Sub TS for a Browsable slide show",
                                                      "Sub TS for a Interactive Graphics menu",
                                                      "Sub TS for a Text subtitle",
                                                      "Sub TS for a one or more elementary streams path"};
}  // namespace

std::string aspectRatioName(std::uint8_t v) { return v == 2 ? "4:3" : "16:9"; }
std::string applicationTypeName(std::uint8_t v) { return v < kApplicationTypes.size() ? kApplicationTypes[v] : ""; }

std::string streamDetails(const TProgramStream& s) {
    const std::uint8_t t = s.stream_coding_type;
    if (isHevcCodingType(t))
        return videoFormatName(s.video_format) + ", " + frameRateName(s.frame_rate) + ", " +
               aspectRatioName(s.aspect_ratio) + ", " + dynamicRangeName(s.dynamic_range_type) + ", " +
               colourSpaceName(s.color_space) + (s.hdr_plus_flag ? ", HDR10+" : "");
    if (isVideoCodingType(t))
        return videoFormatName(s.video_format) + ", " + frameRateName(s.frame_rate) + ", " +
               aspectRatioName(s.aspect_ratio);
    if (isAudioCodingType(t))
        return audioPresentationTypeName(s.audio_presentation_type) + ", " +
               samplingFrequencyName(s.sampling_frequency) + ", " + s.language_code;
    if (isGraphicsCodingType(t)) return s.language_code;
    if (isTextCodingType(t)) return std::to_string(s.character_code) + ", " + s.language_code;
    return "";
}

std::string clipTimeText(std::uint32_t ticks) {
    const std::uint64_t ms = std::uint64_t{ticks} / 45;  // 45 ticks per millisecond
    const std::uint64_t s = ms / 1000;
    return fmt::format("{}:{:02}:{:02}.{:03}", (s / 3600) % 24, (s / 60) % 60, s % 60, ms % 1000);
}

std::string programStreamsFoundText(const TCLPI& clip) {
    const auto& ps = clip.ProgramInfo.program_sequences;
    return fmt::format("[b]{}[/b] Program stream(s) found.", ps.empty() ? 0 : ps.front().streams.size());
}

}  // namespace navora
