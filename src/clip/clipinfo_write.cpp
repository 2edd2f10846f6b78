#include "clip/clipinfo_write.h"

#include "core/bits.h"
#include "core/streamcoding.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

namespace {

// StreamCodingInfo length of the known coding types: the fields after the length byte.
constexpr std::uint8_t kCodingInfoLength = 21;

// The count field of what, `bits` wide, for n entries.
std::uint32_t count(std::size_t n, unsigned bits, const char* what) {
    if (n >= (std::size_t{1} << bits))
        throw std::invalid_argument(fmt::format("{} {} do not fit a {}-bit count", n, what, bits));
    return static_cast<std::uint32_t>(n);
}

// A section: its length field, patched when its content is written.
class Section {
public:
    explicit Section(ByteWriter& w) : w_(w) {
        while (w_.size() % 4 != 0) w_.putbyte(0);
        start_ = w_.size();
        w_.putlword(0);
    }
    std::uint32_t start() const { return static_cast<std::uint32_t>(start_); }
    void end() { w_.patchlword(start_, static_cast<std::uint32_t>(w_.size() - start_ - 4)); }

private:
    ByteWriter& w_;
    std::size_t start_ = 0;
};

StreamCodingFields codingFields(const TProgramStream& s) {
    StreamCodingFields f;
    f.video_format = s.video_format;
    f.frame_rate = s.frame_rate;
    f.aspect_ratio = s.aspect_ratio;
    f.video_flag = s.video_flag;
    f.dynamic_range_type = s.dynamic_range_type;
    f.color_space = s.color_space;
    f.hdr_plus_flag = s.hdr_plus_flag;
    f.audio_presentation_type = s.audio_presentation_type;
    f.sampling_frequency = s.sampling_frequency;
    f.character_code = s.character_code;
    f.language_code = s.language_code;
    return f;
}

void writeProgramStream(ByteWriter& w, const TProgramStream& s) {
    w.putword(s.stream_PID);
    const std::uint8_t t = s.stream_coding_type;
    if (!isKnownCodingType(t)) {
        if (s.length == 0)
            throw std::invalid_argument(
                fmt::format("StreamCodingInfo of PID ${:04X} (coding type ${:02X}) has length 0", s.stream_PID, t));
        w.putbyte(s.length);
        w.putbyte(t);
        w.putzeros(s.length - 1u);
        return;
    }
    const std::uint8_t length = std::max(s.length, kCodingInfoLength);
    w.putbyte(length);
    w.putbyte(t);
    writeStreamCodingFields(w, t, codingFields(s), AttributeLayout::Clip);
    w.putstring(s.country_code, 2);
    w.putstring(s.registrant_code, 3);
    w.putstring(s.recording_year, 2);
    w.putstring(s.recording_number, 5);
    w.putzeros(4 + length - kCodingInfoLength);
}

void writeClipInfoSection(ByteWriter& w, const TClipInfo& ci) {
    Section section(w);
    w.putzeros(2);
    w.putbyte(ci.clip_stream_type);
    w.putbyte(ci.application_type);
    w.putlword(ci.is_ATC_delta & 1u);
    w.putlword(ci.TS_recording_rate);
    w.putlword(ci.number_of_source_packets);
    w.putzeros(128);
    w.putword(ci.TS_type_info_block_length);
    w.putbyte(ci.Validity_flags);
    w.putstring(ci.Format_identifier, 4);
    w.putzeros(9 + 16);  // network information, stream format name
    if (ci.is_ATC_delta == 1) {
        w.putbyte(0);
        w.putbyte(static_cast<std::uint8_t>(count(ci.ATC_deltas.size(), 8, "ATC delta entries")));
        for (const TATCDelta& d : ci.ATC_deltas) {
            w.putlword(d.ATC_delta);
            w.putstring(d.following_Clip_Information_file_name, 5);
            w.putstring(d.Clip_codec_identifier, 4);
            w.putbyte(0);
        }
    }
    if (ci.application_type == 6) {
        w.putbyte(0);
        w.putbyte(static_cast<std::uint8_t>(count(ci.font_file_names.size(), 8, "font files")));
        for (const std::string& f : ci.font_file_names) {
            w.putstring(f, 5);
            w.putbyte(0);
        }
    }
    section.end();
}

std::uint32_t writeSequenceInfo(ByteWriter& w, const TSequenceInfo& si) {
    Section section(w);
    w.putbyte(0);
    w.putbyte(static_cast<std::uint8_t>(count(si.ATC_sequences.size(), 8, "ATC sequences")));
    for (const TATC_sequences& a : si.ATC_sequences) {
        w.putlword(a.SPN_ATC_start);
        w.putbyte(static_cast<std::uint8_t>(count(a.STC_sequences.size(), 8, "STC sequences")));
        w.putbyte(a.offset_STC_id);
        for (const TSTCSequence& s : a.STC_sequences) {
            w.putword(s.PCR_PID);
            w.putlword(s.SPN_STC_start);
            w.putlword(s.presentation_start_time);
            w.putlword(s.presentation_end_time);
        }
    }
    section.end();
    return section.start();
}

std::uint32_t writeProgramInfo(ByteWriter& w, const TProgramInfo& pi) {
    Section section(w);
    w.putbyte(0);
    w.putbyte(static_cast<std::uint8_t>(count(pi.program_sequences.size(), 8, "program sequences")));
    for (const TProgram_sequences& ps : pi.program_sequences) {
        w.putlword(ps.SPN_program_sequence_start);
        w.putword(ps.program_map_PID);
        w.putbyte(static_cast<std::uint8_t>(count(ps.streams.size(), 8, "program streams")));
        w.putbyte(0);  // number_of_groups
        for (const TProgramStream& s : ps.streams) writeProgramStream(w, s);
    }
    section.end();
    return section.start();
}

std::uint32_t writeCPI(ByteWriter& w, const TCPI& cpi) {
    Section section(w);
    if (cpi.CPI_type == 0 && cpi.stream_PID_entries.empty()) return section.start();
    if (cpi.EP_maps.size() != cpi.stream_PID_entries.size())
        throw std::invalid_argument(fmt::format("{} EP maps for {} stream PID entries", cpi.EP_maps.size(),
                                                cpi.stream_PID_entries.size()));
    w.putword(cpi.CPI_type);
    w.putbyte(0);
    w.putbyte(static_cast<std::uint8_t>(count(cpi.stream_PID_entries.size(), 8, "stream PID entries")));
    // Each stream PID's map follows the table and the maps before it.
    std::size_t mapStart = 2 + 12 * cpi.stream_PID_entries.size();
    for (std::size_t i = 0; i < cpi.stream_PID_entries.size(); ++i) {
        const TEPStreamPID& e = cpi.stream_PID_entries[i];
        const TEP_map_fosPID& m = cpi.EP_maps[i];
        w.putword(e.stream_PID);
        BitWriter bits(w);
        bits.zeros(10);
        bits.put(4, e.EP_stream_type);
        bits.put(16, count(m.coarse.size(), 16, "EP coarse entries"));
        bits.put(18, count(m.fine.size(), 18, "EP fine entries"));
        w.putlword(static_cast<std::uint32_t>(mapStart));
        mapStart += 4 + 8 * m.coarse.size() + 4 * m.fine.size();
    }
    for (const TEP_map_fosPID& m : cpi.EP_maps) {
        w.putlword(static_cast<std::uint32_t>(4 + 8 * m.coarse.size()));  // EP_fine_table_start_address
        for (const TEPCoarse& c : m.coarse) {
            BitWriter bits(w);
            bits.put(18, c.ref_to_EP_fine_id);
            bits.put(14, c.PTS_EP_coarse);
            w.putlword(c.SPN_EP_coarse);
        }
        for (const TEPFine& f : m.fine) {
            BitWriter bits(w);
            bits.put(1, f.is_angle_change_point);
            bits.put(3, f.I_end_position_offset);
            bits.put(11, f.PTS_EP_fine);
            bits.put(17, f.SPN_EP_fine);
        }
    }
    section.end();
    return section.start();
}

}  // namespace

Bytes buildClipInfo(const TCLPI& clip) {
    if (clip.ClipMark_length != 0)
        throw std::invalid_argument(
            fmt::format("ClipMark of {} bytes: the model keeps no marks to write", clip.ClipMark_length));
    ByteWriter w;
    w.putstring("HDMV", 4);
    w.putstring(clip.version_number, 4);
    constexpr std::size_t kAddresses = 8;
    w.putzeros(5 * 4 + 12);  // the section start addresses, patched below; reserved
    writeClipInfoSection(w, clip.ClipInfo);
    const std::uint32_t sequenceInfo = writeSequenceInfo(w, clip.SequenceInfo);
    const std::uint32_t programInfo = writeProgramInfo(w, clip.ProgramInfo);
    const std::uint32_t cpi = writeCPI(w, clip.CPI);
    Section clipMark(w);
    clipMark.end();
    std::uint32_t extensionData = 0;
    if (clip.ExtensionData.length != 0 || clip.ExtensionData_start_address != 0) {
        extensionData = static_cast<std::uint32_t>(w.size());
        WriteExtensionData(w, clip.ExtensionData);
    }
    const std::uint32_t starts[] = {sequenceInfo, programInfo, cpi, clipMark.start(), extensionData};
    for (std::size_t i = 0; i < 5; ++i) w.patchlword(kAddresses + 4 * i, starts[i]);
    return w.take();
}

}  // namespace navora
