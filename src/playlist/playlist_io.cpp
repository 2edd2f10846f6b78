#include "playlist/playlist_io.h"

#include "core/bits.h"
#include "core/streamcoding.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

namespace {

bool knownEntryType(std::uint8_t type) { return type >= kStreamOfPlayItem && type <= kStreamInMuxOfSubPath; }

// Fixed sizes of the fields after a length field.
constexpr std::size_t kEntryFields = 9;       // stream_entry: type + 8 bytes
constexpr std::size_t kAttributeFields = 5;   // stream_attributes: coding type + 4 bytes
constexpr std::size_t kAppInfoFields = 14;

// The fewest bytes a record can take, by which a count read from the file is
// checked against the bytes left before anything is sized from it.
constexpr std::size_t kMinStreamItem = 4;      // stream_entry and stream_attributes of one byte each
constexpr std::size_t kMinSecAudio = kMinStreamItem + 2;  // + an empty reference block
constexpr std::size_t kMinSecVideo = kMinStreamItem + 4;  // + two empty reference blocks
constexpr std::size_t kClipRefSize = 10;
constexpr std::size_t kMinSTN = 16;
constexpr std::size_t kMinPlayItem = 2 + 32 + kMinSTN;
constexpr std::size_t kMinSubPlayItem = 2 + 28;
constexpr std::size_t kMinSubPath = 4 + 6;
constexpr std::size_t kMarkSize = 14;

// ---- reading --------------------------------------------------------------

class Reader {
public:
    Reader(std::span<const std::uint8_t> data, const std::string& name) : in(data, name), name_(name) {}

    ByteReader in;

    // Reads a length field of the given width and returns the offset at which
    // the structure ends by it; a structure running past the end of the file
    // is a format error at the length field.
    std::size_t openSized(int width, std::uint32_t& length, const char* what) {
        const std::size_t at = in.pos();
        length = width == 1 ? in.readbyte() : width == 2 ? in.readword() : in.readlword();
        const std::uint64_t end = std::uint64_t{in.pos()} + length;
        if (end > in.size())
            throw FormatError(name_, at,
                              fmt::format("{} length {} runs past the end of the file ({} bytes)", what, length,
                                          in.size()));
        return static_cast<std::size_t>(end);
    }

    // After the fields of a sized structure: the bytes left up to its end are
    // returned as spare; fields that ran past the end are a format error.
    Bytes closeSized(std::size_t start, std::size_t end, std::uint32_t length, const std::string& what) {
        if (in.pos() > end)
            throw FormatError(name_, start,
                              fmt::format("{}: its fields take {} bytes, more than its length {}", what,
                                          in.pos() - (end - length), length));
        return in.readbytes(end - in.pos());
    }

    // Moves to a section's start address; the bytes skipped on the way are
    // returned as spare.
    Bytes seekSection(std::uint32_t address, const char* what, const char* before) {
        if (address < in.pos())
            in.fail(fmt::format("{} start address ${:08X} points into the {}, which ends at ${:08X}", what, address,
                                before, in.pos()));
        if (address > in.size())
            in.fail(fmt::format("{} start address ${:08X} lies beyond the end of the file ({} bytes)", what, address,
                                in.size()));
        return in.readbytes(address - in.pos());
    }

    TClipRef clipRef() {
        TClipRef c;
        c.Clip_Information_file_name = in.readstring(5);
        c.Clip_codec_identifier = in.readstring(4);
        c.ref_to_STC_id = in.readbyte();
        return c;
    }

    void appInfo(TAppInfoPlayList& a) {
        const std::size_t start = in.pos();
        const std::size_t end = openSized(4, a.length, "AppInfoPlayList");
        if (a.length < kAppInfoFields)
            throw FormatError(name_, start,
                              fmt::format("AppInfoPlayList length {} is shorter than its {} bytes of fields", a.length,
                                          kAppInfoFields));
        a.reserved = in.readbyte();
        a.PlayList_playback_type = in.readbyte();
        a.playback_count = in.readword();
        a.UO_mask_table[0] = in.readlword();
        a.UO_mask_table[1] = in.readlword();
        BitReader bits(in);
        a.PlayList_random_access_flag = static_cast<std::uint8_t>(bits.bits(1));
        a.audio_mix_app_flag = static_cast<std::uint8_t>(bits.bits(1));
        a.lossless_may_bypass_mixer_flag = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(13);
        a.spare = in.readbytes(end - in.pos());
    }

    void streamEntry(TStreamEntry& e, const std::string& what) {
        const std::size_t start = in.pos();
        std::uint32_t length = 0;
        const std::size_t end = openSized(1, length, "stream_entry");
        e.length = static_cast<std::uint8_t>(length);
        if (length == 0) throw FormatError(name_, start, what + ": stream_entry length is 0");
        e.type = in.readbyte();
        if (!knownEntryType(e.type)) {
            e.spare = in.readbytes(end - in.pos());
            return;
        }
        if (length < kEntryFields)
            throw FormatError(name_, start,
                              fmt::format("{}: stream_entry length {} is shorter than the {} bytes of type {}", what,
                                          length, kEntryFields, e.type));
        switch (e.type) {
        case kStreamOfPlayItem:
            e.ref_to_stream_PID_of_mainClip = in.readword();
            in.skip(6);
            break;
        case kStreamOfSubPath:
            e.ref_to_SubPath_id = in.readbyte();
            e.ref_to_subClip_entry_id = in.readbyte();
            e.ref_to_stream_PID_of_subClip = in.readword();
            in.skip(4);
            break;
        default:
            e.ref_to_SubPath_id = in.readbyte();
            e.ref_to_stream_PID_of_mainClip = in.readword();
            in.skip(5);
            break;
        }
        e.spare = in.readbytes(end - in.pos());
    }

    void streamAttributes(TStreamAttributes& a, const std::string& what) {
        const std::size_t start = in.pos();
        std::uint32_t length = 0;
        const std::size_t end = openSized(1, length, "stream_attributes");
        a.length = static_cast<std::uint8_t>(length);
        if (length == 0) throw FormatError(name_, start, what + ": stream_attributes length is 0");
        a.stream_coding_type = in.readbyte();
        const std::uint8_t c = a.stream_coding_type;
        if (!isKnownCodingType(c)) {
            a.spare = in.readbytes(end - in.pos());
            return;
        }
        if (length < kAttributeFields)
            throw FormatError(name_, start,
                              fmt::format("{}: stream_attributes length {} is shorter than the {} bytes of coding type "
                                          "${:02X}",
                                          what, length, kAttributeFields, c));
        const StreamCodingFields f = readStreamCodingFields(in, c, AttributeLayout::Playlist);
        a.video_format = f.video_format;
        a.frame_rate = f.frame_rate;
        a.dynamic_range_type = f.dynamic_range_type;
        a.color_space = f.color_space;
        a.cr_flag = f.video_flag;
        a.hdr_plus_flag = f.hdr_plus_flag;
        a.audio_presentation_type = f.audio_presentation_type;
        a.sampling_frequency = f.sampling_frequency;
        a.character_code = f.character_code;
        a.language_code = f.language_code;
        a.spare = in.readbytes(end - in.pos());
    }

    void streamItem(TStreamItem& s, const std::string& what) {
        streamEntry(s.stream_entry, what);
        streamAttributes(s.stream_attributes, what);
    }

    // A reference block: count, reserved byte, the references, a padding byte
    // when the count is odd.
    std::vector<std::uint8_t> refs(std::uint8_t& count, std::uint8_t& reserved) {
        count = in.readbyte();
        reserved = in.readbyte();
        Bytes r = in.readbytes(count);
        if (count % 2) in.skip(1);
        return r;
    }

    void stn(TSTN& t, const std::string& where) {
        const std::size_t start = in.pos();
        std::uint32_t length = 0;
        const std::size_t end = openSized(2, length, "STN_table");
        t.length = static_cast<std::uint16_t>(length);
        t.reserved = in.readword();
        t.number_of_primary_video_stream_entries = in.readbyte();
        t.number_of_primary_audio_stream_entries = in.readbyte();
        t.number_of_PG_textST_stream_entries = in.readbyte();
        t.number_of_IG_stream_entries = in.readbyte();
        t.number_of_secondary_audio_stream_entries = in.readbyte();
        t.number_of_secondary_video_stream_entries = in.readbyte();
        t.number_of_PiP_PG_textST_stream_entries_plus = in.readbyte();
        in.skip(5);
        auto items = [&](std::vector<TStreamItem>& v, std::size_t n, const char* kind) {
            in.checkCount(n, kMinStreamItem, kind);
            v.resize(n);
            for (std::size_t i = 0; i < n; ++i) streamItem(v[i], fmt::format("{}, {} stream {}", where, kind, i + 1));
        };
        items(t.primary_video, t.number_of_primary_video_stream_entries, "primary video");
        items(t.primary_audio, t.number_of_primary_audio_stream_entries, "primary audio");
        items(t.PG_textST,
              std::size_t{t.number_of_PG_textST_stream_entries} + t.number_of_PiP_PG_textST_stream_entries_plus,
              "PG");
        items(t.IG, t.number_of_IG_stream_entries, "IG");
        in.checkCount(t.number_of_secondary_audio_stream_entries, kMinSecAudio, "secondary audio streams");
        t.secondary_audio.resize(t.number_of_secondary_audio_stream_entries);
        for (std::size_t i = 0; i < t.secondary_audio.size(); ++i) {
            TSecAudio& s = t.secondary_audio[i];
            streamItem(s, fmt::format("{}, secondary audio stream {}", where, i + 1));
            s.primary_audio_stream_id_ref = refs(s.number_of_primary_audio_ref_entries, s.reserved);
        }
        in.checkCount(t.number_of_secondary_video_stream_entries, kMinSecVideo, "secondary video streams");
        t.secondary_video.resize(t.number_of_secondary_video_stream_entries);
        for (std::size_t i = 0; i < t.secondary_video.size(); ++i) {
            TSecVideo& s = t.secondary_video[i];
            streamItem(s, fmt::format("{}, secondary video stream {}", where, i + 1));
            s.secondary_audio_stream_id_ref = refs(s.number_of_secondary_audio_ref_entries, s.reserved);
            std::uint8_t dropped = 0;  // the second block's reserved byte is not kept
            s.PiP_PG_textST_stream_id_ref = refs(s.number_of_PiP_PG_textST_ref_entries, dropped);
        }
        t.spare = closeSized(start, end, length, where + ", STN_table");
    }

    void playItem(TPlayItem& p, std::size_t index) {
        const std::string where = fmt::format("PlayItem {}", index);
        const std::size_t start = in.pos();
        std::uint32_t length = 0;
        const std::size_t end = openSized(2, length, "PlayItem");
        p.length = static_cast<std::uint16_t>(length);
        p.Clip_Information_file_name = in.readstring(5);
        p.Clip_codec_identifier = in.readstring(4);
        BitReader bits(in);
        bits.skip(11);
        p.is_multi_angle = static_cast<std::uint8_t>(bits.bits(1));
        p.connection_condition = static_cast<std::uint8_t>(bits.bits(4));
        p.ref_to_STC_id = in.readbyte();
        p.IN_time = in.readlword();
        p.OUT_time = in.readlword();
        p.UO_mask_table[0] = in.readlword();
        p.UO_mask_table[1] = in.readlword();
        p.PlayItem_random_access_flag = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(7);
        p.still_mode = in.readbyte();
        p.still_time = in.readword();
        p.multi_clip = {};
        if (p.is_multi_angle) {
            Tmulti_clip& m = p.multi_clip;
            m.number_of_angles = in.readbyte();
            bits.skip(6);
            m.is_different_audios = static_cast<std::uint8_t>(bits.bits(1));
            m.is_seamless_angle_change = static_cast<std::uint8_t>(bits.bits(1));
            // Entry 0 is the PlayItem's own clip; with no angles there is none.
            if (m.number_of_angles > 0) {
                in.checkCount(m.number_of_angles - 1u, kClipRefSize, "angles");
                m.angles.reserve(m.number_of_angles);
                m.angles.push_back({p.Clip_Information_file_name, p.Clip_codec_identifier, p.ref_to_STC_id});
                for (std::size_t i = 1; i < m.number_of_angles; ++i) m.angles.push_back(clipRef());
            }
        }
        stn(p.STN_table, where);
        p.spare = closeSized(start, end, length, where);
    }

    void subPlayItem(TSubPlayItem& s, const std::string& where) {
        const std::size_t start = in.pos();
        std::uint32_t length = 0;
        const std::size_t end = openSized(2, length, "SubPlayItem");
        s.length = static_cast<std::uint16_t>(length);
        s.Clip_Information_file_name = in.readstring(5);
        s.Clip_codec_identifier = in.readstring(4);
        BitReader bits(in);
        bits.skip(23);
        s.SP_connection_condition = static_cast<std::uint8_t>(bits.bits(8));
        s.is_multi_Clip_entries = static_cast<std::uint8_t>(bits.bits(1));
        s.ref_to_STC_id = in.readbyte();
        s.SubPlayItem_IN_time = in.readlword();
        s.SubPlayItem_OUT_time = in.readlword();
        s.sync_PlayItem_id = in.readword();
        s.sync_start_PTS_of_PlayItem = in.readlword();
        if (s.is_multi_Clip_entries) {
            s.number_of_Clip_entries = in.readbyte();
            s.reserved = in.readbyte();
            if (s.number_of_Clip_entries > 0) {
                in.checkCount(s.number_of_Clip_entries - 1u, kClipRefSize, "Clip entries");
                s.clip_entries.reserve(s.number_of_Clip_entries);
                s.clip_entries.push_back({s.Clip_Information_file_name, s.Clip_codec_identifier, s.ref_to_STC_id});
                for (std::size_t i = 1; i < s.number_of_Clip_entries; ++i) s.clip_entries.push_back(clipRef());
            }
        }
        s.spare = closeSized(start, end, length, where);
    }

    void subPath(TSubPath& sp, std::size_t index) {
        const std::string where = fmt::format("SubPath {}", index);
        const std::size_t start = in.pos();
        const std::size_t end = openSized(4, sp.length, "SubPath");
        sp.reserved = in.readbyte();
        sp.SubPath_type = in.readbyte();
        sp.repeat = in.readword();
        sp.reserved2 = in.readbyte();
        sp.number_of_SubPlayItems = in.readbyte();
        in.checkCount(sp.number_of_SubPlayItems, kMinSubPlayItem, "SubPlayItems");
        sp.SubPlayItems.resize(sp.number_of_SubPlayItems);
        for (std::size_t i = 0; i < sp.SubPlayItems.size(); ++i)
            subPlayItem(sp.SubPlayItems[i], fmt::format("{}, SubPlayItem {}", where, i));
        sp.spare = closeSized(start, end, sp.length, where);
    }

    void playList(TPlayList& pl) {
        const std::size_t start = in.pos();
        const std::size_t end = openSized(4, pl.length, "PlayList");
        pl.reserved = in.readword();
        pl.number_of_PlayItems = in.readword();
        in.checkCount(pl.number_of_PlayItems, kMinPlayItem, "PlayItems");
        pl.number_of_SubPaths = in.readword();
        in.checkCount(pl.number_of_SubPaths, kMinSubPath, "SubPaths");
        pl.PlayItems.resize(pl.number_of_PlayItems);
        for (std::size_t i = 0; i < pl.PlayItems.size(); ++i) playItem(pl.PlayItems[i], i);
        pl.SubPaths.resize(pl.number_of_SubPaths);
        for (std::size_t i = 0; i < pl.SubPaths.size(); ++i) subPath(pl.SubPaths[i], i);
        pl.spare = closeSized(start, end, pl.length, "PlayList");
    }

    void playListMark(TPlayListMark& pm) {
        const std::size_t start = in.pos();
        const std::size_t end = openSized(4, pm.length, "PlayListMark");
        pm.number_of_PlayList_marks = in.readword();
        in.checkCount(pm.number_of_PlayList_marks, kMarkSize, "PlayList marks");
        pm.marks.resize(pm.number_of_PlayList_marks);
        for (TPlayListMarkEntry& k : pm.marks) {
            k.reserved = in.readbyte();
            k.mark_type = in.readbyte();
            k.ref_to_PlayItem_id = in.readword();
            k.mark_time_stamp = in.readlword();
            k.entry_ES_PID = in.readword();
            k.duration = in.readlword();
        }
        pm.spare = closeSized(start, end, pm.length, "PlayListMark");
    }

private:
    std::string name_;
};

// ---- writing --------------------------------------------------------------

[[noreturn]] void refuse(const std::string& what) { throw std::invalid_argument("playlist: " + what); }

void expectCount(std::size_t count, std::size_t size, const std::string& what) {
    if (count != size) refuse(fmt::format("{} is {} but {} entries are held", what, count, size));
}

// Writes a length field and returns the offset where the counted bytes start.
std::size_t openSized(ByteWriter& out, int width, std::uint32_t length) {
    if (width == 1)
        out.putbyte(static_cast<std::uint8_t>(length));
    else if (width == 2)
        out.putword(static_cast<std::uint16_t>(length));
    else
        out.putlword(length);
    return out.size();
}

// Ends a sized structure: its spare bytes, then zeros up to its length.
void closeSized(ByteWriter& out, std::size_t start, std::uint32_t length, const Bytes& spare,
                const std::string& what) {
    out.putbytes(spare);
    const std::size_t used = out.size() - start;
    if (used > length) refuse(fmt::format("{} needs {} bytes, more than its length {}", what, used, length));
    out.putzeros(length - used);
}

// Fills the room up to a section's start address: the kept spare bytes as far
// as they fit, then zeros.
void fillTo(ByteWriter& out, std::uint32_t address, const Bytes& spare, const char* what) {
    if (address < out.size())
        refuse(fmt::format("{} start address ${:08X} lies inside the data before it, which ends at ${:08X}", what,
                           address, out.size()));
    const std::size_t room = address - out.size();
    const std::size_t n = std::min(room, spare.size());
    out.putbytes(std::span(spare).first(n));
    out.putzeros(room - n);
}

void writeClipRef(ByteWriter& out, const TClipRef& c) {
    out.putstring(c.Clip_Information_file_name, 5);
    out.putstring(c.Clip_codec_identifier, 4);
    out.putbyte(c.ref_to_STC_id);
}

void writeStreamItem(ByteWriter& out, const TStreamItem& s, const std::string& what) {
    const TStreamEntry& e = s.stream_entry;
    std::size_t start = openSized(out, 1, e.length);
    out.putbyte(e.type);
    switch (e.type) {
    case kStreamOfPlayItem:
        out.putword(e.ref_to_stream_PID_of_mainClip);
        out.putzeros(6);
        break;
    case kStreamOfSubPath:
        out.putbyte(e.ref_to_SubPath_id);
        out.putbyte(e.ref_to_subClip_entry_id);
        out.putword(e.ref_to_stream_PID_of_subClip);
        out.putzeros(4);
        break;
    case kStreamInMuxOfSubPath:
        out.putbyte(e.ref_to_SubPath_id);
        out.putword(e.ref_to_stream_PID_of_mainClip);
        out.putzeros(5);
        break;
    default:
        break;  // uninterpreted: the spare bytes carry the rest
    }
    closeSized(out, start, e.length, e.spare, what + ", stream_entry");

    const TStreamAttributes& a = s.stream_attributes;
    const std::uint8_t c = a.stream_coding_type;
    start = openSized(out, 1, a.length);
    out.putbyte(c);
    StreamCodingFields f;
    f.video_format = a.video_format;
    f.frame_rate = a.frame_rate;
    f.dynamic_range_type = a.dynamic_range_type;
    f.color_space = a.color_space;
    f.video_flag = a.cr_flag;
    f.hdr_plus_flag = a.hdr_plus_flag;
    f.audio_presentation_type = a.audio_presentation_type;
    f.sampling_frequency = a.sampling_frequency;
    f.character_code = a.character_code;
    f.language_code = a.language_code;
    writeStreamCodingFields(out, c, f, AttributeLayout::Playlist);
    closeSized(out, start, a.length, a.spare, what + ", stream_attributes");
}

void writeRefs(ByteWriter& out, std::uint8_t count, const std::vector<std::uint8_t>& r, const std::string& what) {
    expectCount(count, r.size(), what);
    out.putbyte(count);
    out.putbyte(0);
    out.putbytes(r);
    if (count % 2) out.putzeros(1);
}

void writeSTN(ByteWriter& out, const TSTN& t, const std::string& where) {
    expectCount(t.number_of_primary_video_stream_entries, t.primary_video.size(), where + ": primary video count");
    expectCount(t.number_of_primary_audio_stream_entries, t.primary_audio.size(), where + ": primary audio count");
    expectCount(std::size_t{t.number_of_PG_textST_stream_entries} + t.number_of_PiP_PG_textST_stream_entries_plus,
                t.PG_textST.size(), where + ": PG + PiP PG count");
    expectCount(t.number_of_IG_stream_entries, t.IG.size(), where + ": IG count");
    expectCount(t.number_of_secondary_audio_stream_entries, t.secondary_audio.size(),
                where + ": secondary audio count");
    expectCount(t.number_of_secondary_video_stream_entries, t.secondary_video.size(),
                where + ": secondary video count");

    const std::size_t start = openSized(out, 2, t.length);
    out.putword(t.reserved);
    out.putbyte(t.number_of_primary_video_stream_entries);
    out.putbyte(t.number_of_primary_audio_stream_entries);
    out.putbyte(t.number_of_PG_textST_stream_entries);
    out.putbyte(t.number_of_IG_stream_entries);
    out.putbyte(t.number_of_secondary_audio_stream_entries);
    out.putbyte(t.number_of_secondary_video_stream_entries);
    out.putbyte(t.number_of_PiP_PG_textST_stream_entries_plus);
    out.putzeros(5);
    auto items = [&](const std::vector<TStreamItem>& v, const char* kind) {
        for (std::size_t i = 0; i < v.size(); ++i)
            writeStreamItem(out, v[i], fmt::format("{}, {} stream {}", where, kind, i + 1));
    };
    items(t.primary_video, "primary video");
    items(t.primary_audio, "primary audio");
    items(t.PG_textST, "PG");
    items(t.IG, "IG");
    for (std::size_t i = 0; i < t.secondary_audio.size(); ++i) {
        const TSecAudio& s = t.secondary_audio[i];
        const std::string what = fmt::format("{}, secondary audio stream {}", where, i + 1);
        writeStreamItem(out, s, what);
        writeRefs(out, s.number_of_primary_audio_ref_entries, s.primary_audio_stream_id_ref,
                  what + ": primary audio reference count");
    }
    for (std::size_t i = 0; i < t.secondary_video.size(); ++i) {
        const TSecVideo& s = t.secondary_video[i];
        const std::string what = fmt::format("{}, secondary video stream {}", where, i + 1);
        writeStreamItem(out, s, what);
        writeRefs(out, s.number_of_secondary_audio_ref_entries, s.secondary_audio_stream_id_ref,
                  what + ": secondary audio reference count");
        writeRefs(out, s.number_of_PiP_PG_textST_ref_entries, s.PiP_PG_textST_stream_id_ref,
                  what + ": PiP PG reference count");
    }
    closeSized(out, start, t.length, t.spare, where + ", STN_table");
}

void writePlayItem(ByteWriter& out, const TPlayItem& p, std::size_t index) {
    const std::string where = fmt::format("PlayItem {}", index);
    const std::size_t start = openSized(out, 2, p.length);
    out.putstring(p.Clip_Information_file_name, 5);
    out.putstring(p.Clip_codec_identifier, 4);
    BitWriter bits(out);
    bits.zeros(11);
    bits.put(1, p.is_multi_angle);
    bits.put(4, p.connection_condition);
    out.putbyte(p.ref_to_STC_id);
    out.putlword(p.IN_time);
    out.putlword(p.OUT_time);
    out.putlword(p.UO_mask_table[0]);
    out.putlword(p.UO_mask_table[1]);
    bits.put(1, p.PlayItem_random_access_flag);
    bits.zeros(7);
    out.putbyte(p.still_mode);
    out.putword(p.still_time);
    if (p.is_multi_angle) {
        const Tmulti_clip& m = p.multi_clip;
        expectCount(m.number_of_angles, m.angles.size(), where + ": number_of_angles");
        out.putbyte(m.number_of_angles);
        bits.zeros(6);
        bits.put(1, m.is_different_audios);
        bits.put(1, m.is_seamless_angle_change);
        for (std::size_t i = 1; i < m.angles.size(); ++i) writeClipRef(out, m.angles[i]);
    }
    writeSTN(out, p.STN_table, where);
    closeSized(out, start, p.length, p.spare, where);
}

void writeSubPlayItem(ByteWriter& out, const TSubPlayItem& s, const std::string& where) {
    const std::size_t start = openSized(out, 2, s.length);
    out.putstring(s.Clip_Information_file_name, 5);
    out.putstring(s.Clip_codec_identifier, 4);
    BitWriter bits(out);
    bits.zeros(23);
    bits.put(8, s.SP_connection_condition);
    bits.put(1, s.is_multi_Clip_entries);
    out.putbyte(s.ref_to_STC_id);
    out.putlword(s.SubPlayItem_IN_time);
    out.putlword(s.SubPlayItem_OUT_time);
    out.putword(s.sync_PlayItem_id);
    out.putlword(s.sync_start_PTS_of_PlayItem);
    if (s.is_multi_Clip_entries) {
        expectCount(s.number_of_Clip_entries, s.clip_entries.size(), where + ": number_of_Clip_entries");
        out.putbyte(s.number_of_Clip_entries);
        out.putbyte(s.reserved);
        for (std::size_t i = 1; i < s.clip_entries.size(); ++i) writeClipRef(out, s.clip_entries[i]);
    }
    closeSized(out, start, s.length, s.spare, where);
}

void writeSubPath(ByteWriter& out, const TSubPath& sp, std::size_t index) {
    const std::string where = fmt::format("SubPath {}", index);
    expectCount(sp.number_of_SubPlayItems, sp.SubPlayItems.size(), where + ": number_of_SubPlayItems");
    const std::size_t start = openSized(out, 4, sp.length);
    out.putbyte(sp.reserved);
    out.putbyte(sp.SubPath_type);
    out.putword(sp.repeat);
    out.putbyte(sp.reserved2);
    out.putbyte(sp.number_of_SubPlayItems);
    for (std::size_t i = 0; i < sp.SubPlayItems.size(); ++i)
        writeSubPlayItem(out, sp.SubPlayItems[i], fmt::format("{}, SubPlayItem {}", where, i));
    closeSized(out, start, sp.length, sp.spare, where);
}

}  // namespace

TMPLS readPlaylist(std::span<const std::uint8_t> data, const std::string& name) {
    Reader r(data, name);
    ByteReader& in = r.in;
    TMPLS m;
    TypeAndVersion tv = readTypeAndVersion(in, "MPLS", Versions::BDAndUHD);
    m.type_indicator = std::move(tv.type);
    m.version_number = std::move(tv.version);
    m.PlayList_start_address = in.readlword();
    m.PlayListMark_start_address = in.readlword();
    m.ExtensionData_start_address = in.readlword();
    m.reserved = in.readbytes(20);
    r.appInfo(m.AppInfoPlayList);

    m.spare_after_AppInfoPlayList = r.seekSection(m.PlayList_start_address, "PlayList", "AppInfoPlayList");
    r.playList(m.PlayList);

    // Without a PlayListMark section the playlist has no marks; the bytes after
    // the PlayList then belong to the room before the ExtensionData block.
    Bytes* room = &m.spare_after_PlayList;
    m.PlayListMark = TPlayListMark{0, 0, {}, {}};
    if (m.PlayListMark_start_address != 0) {
        m.spare_after_PlayList = r.seekSection(m.PlayListMark_start_address, "PlayListMark", "PlayList");
        r.playListMark(m.PlayListMark);
        room = &m.spare_after_PlayListMark;
    }

    const std::uint32_t extStart = m.ExtensionData_start_address;
    if (extStart == 0) {
        *room = in.readbytes(in.remaining());
        return m;
    }
    *room = r.seekSection(extStart, "ExtensionData",
                          m.PlayListMark_start_address != 0 ? "PlayListMark section" : "PlayList");
    ReadWholeExtensionData(in, m.ExtensionData);
    return m;
}

Bytes writePlaylist(const TMPLS& m) {
    const TPlayList& pl = m.PlayList;
    expectCount(pl.number_of_PlayItems, pl.PlayItems.size(), "number_of_PlayItems");
    expectCount(pl.number_of_SubPaths, pl.SubPaths.size(), "number_of_SubPaths");
    expectCount(m.PlayListMark.number_of_PlayList_marks, m.PlayListMark.marks.size(), "number_of_PlayList_marks");

    ByteWriter out;
    out.putstring(m.type_indicator, 4);
    out.putstring(m.version_number, 4);
    out.putlword(m.PlayList_start_address);
    out.putlword(m.PlayListMark_start_address);
    out.putlword(m.ExtensionData_start_address);
    out.putzeros(20);

    const TAppInfoPlayList& a = m.AppInfoPlayList;
    std::size_t start = openSized(out, 4, a.length);
    out.putbyte(a.reserved);
    out.putbyte(a.PlayList_playback_type);
    out.putword(a.playback_count);
    out.putlword(a.UO_mask_table[0]);
    out.putlword(a.UO_mask_table[1]);
    BitWriter bits(out);
    bits.put(1, a.PlayList_random_access_flag);
    bits.put(1, a.audio_mix_app_flag);
    bits.put(1, a.lossless_may_bypass_mixer_flag);
    bits.zeros(13);
    closeSized(out, start, a.length, a.spare, "AppInfoPlayList");

    fillTo(out, m.PlayList_start_address, m.spare_after_AppInfoPlayList, "PlayList");
    start = openSized(out, 4, pl.length);
    out.putword(pl.reserved);
    out.putword(pl.number_of_PlayItems);
    out.putword(pl.number_of_SubPaths);
    for (std::size_t i = 0; i < pl.PlayItems.size(); ++i) writePlayItem(out, pl.PlayItems[i], i);
    for (std::size_t i = 0; i < pl.SubPaths.size(); ++i) writeSubPath(out, pl.SubPaths[i], i);
    closeSized(out, start, pl.length, pl.spare, "PlayList");

    const Bytes* room = &m.spare_after_PlayList;
    if (m.PlayListMark_start_address != 0) {
        // The room holds the padding byte that puts the marks at an even offset.
        fillTo(out, m.PlayListMark_start_address, m.spare_after_PlayList, "PlayListMark");
        const TPlayListMark& pm = m.PlayListMark;
        start = openSized(out, 4, pm.length);
        out.putword(pm.number_of_PlayList_marks);
        for (const TPlayListMarkEntry& k : pm.marks) {
            out.putbyte(k.reserved);
            out.putbyte(k.mark_type);
            out.putword(k.ref_to_PlayItem_id);
            out.putlword(k.mark_time_stamp);
            out.putword(k.entry_ES_PID);
            out.putlword(k.duration);
        }
        closeSized(out, start, pm.length, pm.spare, "PlayListMark");
        room = &m.spare_after_PlayListMark;
    }

    if (m.ExtensionData_start_address == 0) {
        out.putbytes(*room);
    } else {
        fillTo(out, m.ExtensionData_start_address, *room, "ExtensionData");
        WriteExtensionData(out, m.ExtensionData);
    }
    return out.take();
}

}  // namespace navora
