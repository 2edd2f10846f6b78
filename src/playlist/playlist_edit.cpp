#include "playlist/playlist_edit.h"

#include "core/streamcoding.h"
#include "playlist/playlist_time.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace navora {

namespace {

// Bytes of the fields after the length byte of a decoded stream_entry and
// stream_attributes.
constexpr std::size_t kEntryFields = 9;
constexpr std::size_t kAttributeFields = 5;
// Fixed fields after the length word of a PlayItem and a SubPlayItem.
constexpr std::size_t kPlayItemFields = 32;
constexpr std::size_t kSubPlayItemFields = 28;
constexpr std::size_t kClipRefSize = 10;
constexpr std::size_t kMarkSize = 14;

bool decodedEntryType(std::uint8_t type) { return type >= kStreamOfPlayItem && type <= kStreamInMuxOfSubPath; }

std::size_t refBlockSize(std::size_t n) { return 2 + n + (n % 2); }

template <class V>
auto& at(V& v, std::size_t i, const char* what) {
    if (i >= v.size())
        throw std::out_of_range(fmt::format("playlist: {} {} does not exist ({} held)", what, i, v.size()));
    return v[i];
}

// Whether a length field of the given maximum still holds value + delta.
bool fits(std::uint64_t value, std::int64_t delta, std::uint64_t max) {
    const std::int64_t n = static_cast<std::int64_t>(value) + delta;
    return n >= 0 && static_cast<std::uint64_t>(n) <= max;
}

template <class T>
void add(T& field, std::int64_t delta) {
    field = static_cast<T>(static_cast<std::int64_t>(field) + delta);
}

std::uint32_t shifted(std::uint32_t t, std::int64_t delta) {
    const std::int64_t n = std::int64_t{t} + delta;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(n, 0, std::numeric_limits<std::uint32_t>::max()));
}

// The PlayList grew or shrank by delta bytes: its length, then the sections
// after it. The padding byte before the marks follows the parity of the
// PlayList's end when the marks started at an even offset.
void movePlayListEnd(TMPLS& m, std::int64_t delta) {
    const std::int64_t oldEnd = std::int64_t{m.PlayList_start_address} + 4 + m.PlayList.length;
    add(m.PlayList.length, delta);
    std::int64_t shift = delta;
    if (m.PlayListMark_start_address != 0 && m.PlayListMark_start_address % 2 == 0) {
        const std::int64_t newEnd = oldEnd + delta;
        const bool hadPad = oldEnd % 2 != 0 && !m.spare_after_PlayList.empty();
        const bool needPad = newEnd % 2 != 0;
        Bytes& room = m.spare_after_PlayList;
        if (hadPad && !needPad) {
            room.erase(room.begin());
            --shift;
        } else if (!hadPad && needPad) {
            room.insert(room.begin(), 0);
            ++shift;
        }
    }
    if (m.PlayListMark_start_address != 0) add(m.PlayListMark_start_address, shift);
    if (m.ExtensionData_start_address != 0) add(m.ExtensionData_start_address, shift);
}

// The PlayListMark section grew or shrank by delta bytes.
void moveMarksEnd(TMPLS& m, std::int64_t delta) {
    add(m.PlayListMark.length, delta);
    if (m.ExtensionData_start_address != 0) add(m.ExtensionData_start_address, delta);
}

// A playlist read without a PlayListMark section gets an empty one (6 bytes)
// after the PlayList and its padding byte; the room that lay between the
// PlayList and the ExtensionData block now follows the marks.
void ensureMarkSection(TMPLS& m) {
    if (m.PlayListMark_start_address != 0) return;
    const std::uint32_t end = m.PlayList_start_address + 4 + m.PlayList.length;
    const std::uint32_t pad = end % 2;
    m.spare_after_PlayListMark = std::move(m.spare_after_PlayList);
    m.spare_after_PlayList = Bytes(pad, 0);
    m.PlayListMark_start_address = end + pad;
    m.PlayListMark.length = 2;
    m.PlayListMark.number_of_PlayList_marks = 0;
    m.PlayListMark.marks.clear();
    m.PlayListMark.spare.clear();
    if (m.ExtensionData_start_address != 0) m.ExtensionData_start_address += pad + 6;
}

// ---- stream bytes that the reader keeps uninterpreted ----

Bytes entryFieldBytes(const TStreamEntry& e) {
    Bytes b(kEntryFields - 1, 0);
    switch (e.type) {
    case kStreamOfPlayItem:
        b[0] = static_cast<std::uint8_t>(e.ref_to_stream_PID_of_mainClip >> 8);
        b[1] = static_cast<std::uint8_t>(e.ref_to_stream_PID_of_mainClip);
        break;
    case kStreamOfSubPath:
        b[0] = e.ref_to_SubPath_id;
        b[1] = e.ref_to_subClip_entry_id;
        b[2] = static_cast<std::uint8_t>(e.ref_to_stream_PID_of_subClip >> 8);
        b[3] = static_cast<std::uint8_t>(e.ref_to_stream_PID_of_subClip);
        break;
    default:
        b[0] = e.ref_to_SubPath_id;
        b[1] = static_cast<std::uint8_t>(e.ref_to_stream_PID_of_mainClip >> 8);
        b[2] = static_cast<std::uint8_t>(e.ref_to_stream_PID_of_mainClip);
        break;
    }
    return b;
}

void decodeEntryFields(TStreamEntry& e, const Bytes& b) {
    switch (e.type) {
    case kStreamOfPlayItem:
        e.ref_to_stream_PID_of_mainClip = static_cast<std::uint16_t>(b[0] << 8 | b[1]);
        break;
    case kStreamOfSubPath:
        e.ref_to_SubPath_id = b[0];
        e.ref_to_subClip_entry_id = b[1];
        e.ref_to_stream_PID_of_subClip = static_cast<std::uint16_t>(b[2] << 8 | b[3]);
        break;
    default:
        e.ref_to_SubPath_id = b[0];
        e.ref_to_stream_PID_of_mainClip = static_cast<std::uint16_t>(b[1] << 8 | b[2]);
        break;
    }
}

bool setEntryType(TStreamEntry& e, std::uint8_t type) {
    const bool was = decodedEntryType(e.type), will = decodedEntryType(type);
    if (was && !will) {
        Bytes b = entryFieldBytes(e);
        b.insert(b.end(), e.spare.begin(), e.spare.end());
        e.spare = std::move(b);
    } else if (!was && will) {
        if (e.spare.size() < kEntryFields - 1) return false;  // too short to hold the type's fields
        const Bytes b(e.spare.begin(), e.spare.begin() + kEntryFields - 1);
        e.spare.erase(e.spare.begin(), e.spare.begin() + kEntryFields - 1);
        e.type = type;
        decodeEntryFields(e, b);
        return true;
    }
    e.type = type;
    return true;
}

std::string lang3(const Bytes& b, std::size_t at) {
    std::string s;
    for (std::size_t i = at; i < at + 3 && b[i] != 0; ++i) s += static_cast<char>(b[i]);
    return s;
}

Bytes attributeFieldBytes(const TStreamAttributes& a) {
    Bytes b(kAttributeFields - 1, 0);
    auto putLang = [&](std::size_t at) {
        for (std::size_t i = 0; i < 3 && i < a.language_code.size(); ++i)
            b[at + i] = static_cast<std::uint8_t>(a.language_code[i]);
    };
    const std::uint8_t c = a.stream_coding_type;
    if (isHevcCodingType(c)) {
        b[0] = static_cast<std::uint8_t>(a.video_format << 4 | (a.frame_rate & 0x0F));
        b[1] = static_cast<std::uint8_t>(a.dynamic_range_type << 4 | (a.color_space & 0x0F));
        b[2] = static_cast<std::uint8_t>((a.cr_flag & 1) << 7 | (a.hdr_plus_flag & 1) << 6);
    } else if (isVideoCodingType(c)) {
        b[0] = static_cast<std::uint8_t>(a.video_format << 4 | (a.frame_rate & 0x0F));
    } else if (isAudioCodingType(c)) {
        b[0] = static_cast<std::uint8_t>(a.audio_presentation_type << 4 | (a.sampling_frequency & 0x0F));
        putLang(1);
    } else if (isGraphicsCodingType(c)) {
        putLang(0);
    } else {
        b[0] = a.character_code;
        putLang(1);
    }
    return b;
}

void decodeAttributeFields(TStreamAttributes& a, const Bytes& b) {
    const std::uint8_t c = a.stream_coding_type;
    if (isVideoCodingType(c)) {
        a.video_format = b[0] >> 4;
        a.frame_rate = b[0] & 0x0F;
        if (isHevcCodingType(c)) {
            a.dynamic_range_type = b[1] >> 4;
            a.color_space = b[1] & 0x0F;
            a.cr_flag = b[2] >> 7;
            a.hdr_plus_flag = (b[2] >> 6) & 1;
        }
    } else if (isAudioCodingType(c)) {
        a.audio_presentation_type = b[0] >> 4;
        a.sampling_frequency = b[0] & 0x0F;
        a.language_code = lang3(b, 1);
    } else if (isGraphicsCodingType(c)) {
        a.language_code = lang3(b, 0);
    } else {
        a.character_code = b[0];
        a.language_code = lang3(b, 1);
    }
}

bool setCodingType(TStreamAttributes& a, std::uint8_t type) {
    const bool was = isKnownCodingType(a.stream_coding_type), will = isKnownCodingType(type);
    if (was && !will) {
        Bytes b = attributeFieldBytes(a);
        b.insert(b.end(), a.spare.begin(), a.spare.end());
        a.spare = std::move(b);
    } else if (!was && will) {
        if (a.spare.size() < kAttributeFields - 1) return false;
        const Bytes b(a.spare.begin(), a.spare.begin() + kAttributeFields - 1);
        a.spare.erase(a.spare.begin(), a.spare.begin() + kAttributeFields - 1);
        a.stream_coding_type = type;
        decodeAttributeFields(a, b);
        return true;
    }
    a.stream_coding_type = type;
    return true;
}

TStreamItem newStream(std::uint8_t type, std::uint16_t pid, std::uint8_t coding) {
    TStreamItem s;
    s.stream_entry.length = kEntryFields;
    s.stream_entry.type = type;
    if (type == kStreamOfSubPath)
        s.stream_entry.ref_to_stream_PID_of_subClip = pid;
    else
        s.stream_entry.ref_to_stream_PID_of_mainClip = pid;
    s.stream_attributes.length = kAttributeFields;
    s.stream_attributes.stream_coding_type = coding;
    s.stream_attributes.language_code = "eng";
    return s;
}

std::uint8_t& countOf(TSTN& t, StreamKind kind) {
    switch (kind) {
    case StreamKind::PrimaryVideo: return t.number_of_primary_video_stream_entries;
    case StreamKind::PrimaryAudio: return t.number_of_primary_audio_stream_entries;
    case StreamKind::PG: return t.number_of_PG_textST_stream_entries;
    case StreamKind::IG: return t.number_of_IG_stream_entries;
    case StreamKind::SecondaryVideo: return t.number_of_secondary_video_stream_entries;
    case StreamKind::SecondaryAudio: return t.number_of_secondary_audio_stream_entries;
    case StreamKind::PiPPG: return t.number_of_PiP_PG_textST_stream_entries_plus;
    }
    throw std::invalid_argument("playlist: unknown stream kind");
}

// Position in a list of n entries for a new one after `selected`.
std::size_t insertPosition(std::size_t n, std::optional<std::size_t> selected) {
    if (n == 0 || !selected) return n;
    return std::min(*selected + 1, n);
}

bool blank(std::string_view s) { return s.empty() || s.find(' ') != std::string_view::npos; }

// A decimal number of at most 9 digits and nothing else.
std::optional<std::uint32_t> number(std::string_view s) {
    if (s.empty() || s.size() > 9) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return v;
}

}  // namespace

// ---- Sizes ----------------------------------------------------------------------

std::size_t streamItemSize(const TStreamItem& s) {
    return 2 + std::size_t{s.stream_entry.length} + s.stream_attributes.length;
}

std::size_t secondaryAudioSize(const TSecAudio& s) {
    return streamItemSize(s) + refBlockSize(s.primary_audio_stream_id_ref.size());
}

std::size_t secondaryVideoSize(const TSecVideo& s) {
    return streamItemSize(s) + refBlockSize(s.secondary_audio_stream_id_ref.size()) +
           refBlockSize(s.PiP_PG_textST_stream_id_ref.size());
}

void computeSizes(TMPLS& m) {
    auto item = [](TStreamItem& s) {
        TStreamEntry& e = s.stream_entry;
        e.length = static_cast<std::uint8_t>((decodedEntryType(e.type) ? kEntryFields : 1) + e.spare.size());
        TStreamAttributes& a = s.stream_attributes;
        a.length = static_cast<std::uint8_t>((isKnownCodingType(a.stream_coding_type) ? kAttributeFields : 1) +
                                             a.spare.size());
        return streamItemSize(s);
    };
    TPlayList& pl = m.PlayList;
    std::size_t plLength = 6;
    for (TPlayItem& p : pl.PlayItems) {
        TSTN& t = p.STN_table;
        std::size_t stn = 14;
        for (auto* v : {&t.primary_video, &t.primary_audio, &t.PG_textST, &t.IG})
            for (TStreamItem& s : *v) stn += item(s);
        for (TSecAudio& s : t.secondary_audio) {
            item(s);
            stn += secondaryAudioSize(s);
        }
        for (TSecVideo& s : t.secondary_video) {
            item(s);
            stn += secondaryVideoSize(s);
        }
        t.length = static_cast<std::uint16_t>(stn + t.spare.size());
        std::size_t angles = 0;
        if (p.is_multi_angle)
            angles = 2 + kClipRefSize * (p.multi_clip.angles.empty() ? 0 : p.multi_clip.angles.size() - 1);
        p.length = static_cast<std::uint16_t>(kPlayItemFields + angles + 2 + t.length + p.spare.size());
        plLength += 2 + std::size_t{p.length};
    }
    for (TSubPath& sp : pl.SubPaths) {
        std::size_t len = 6;
        for (TSubPlayItem& s : sp.SubPlayItems) {
            std::size_t clips = 0;
            if (s.is_multi_Clip_entries)
                clips = 2 + kClipRefSize * (s.clip_entries.empty() ? 0 : s.clip_entries.size() - 1);
            s.length = static_cast<std::uint16_t>(kSubPlayItemFields + clips + s.spare.size());
            len += 2 + std::size_t{s.length};
        }
        sp.length = static_cast<std::uint32_t>(len + sp.spare.size());
        plLength += 4 + std::size_t{sp.length};
    }
    pl.length = static_cast<std::uint32_t>(plLength + pl.spare.size());

    m.AppInfoPlayList.length = static_cast<std::uint32_t>(14 + m.AppInfoPlayList.spare.size());
    m.PlayList_start_address =
        static_cast<std::uint32_t>(44 + m.AppInfoPlayList.length + m.spare_after_AppInfoPlayList.size());
    const std::uint32_t plEnd = m.PlayList_start_address + 4 + pl.length;
    Bytes& room = m.spare_after_PlayList;
    // Without a PlayListMark section (address 0, no marks) the room runs on
    // to the ExtensionData block.
    const bool marks = m.PlayListMark_start_address != 0 || !m.PlayListMark.marks.empty();
    if (marks)
        m.PlayListMark.length = static_cast<std::uint32_t>(2 + kMarkSize * m.PlayListMark.marks.size() +
                                                           m.PlayListMark.spare.size());
    // A room of at most one zero byte is the padding; it follows the parity.
    if (marks && room.size() <= 1 && std::all_of(room.begin(), room.end(), [](std::uint8_t b) { return b == 0; }))
        room.assign(plEnd % 2, 0);
    std::uint32_t ext = static_cast<std::uint32_t>(plEnd + room.size());
    if (marks) {
        if (ext % 2 != 0) {
            room.insert(room.begin(), 0);
            ++ext;
        }
        m.PlayListMark_start_address = ext;
        ext += 4 + m.PlayListMark.length + static_cast<std::uint32_t>(m.spare_after_PlayListMark.size());
    }
    m.ExtensionData_start_address = m.ExtensionData.length != 0 ? ext : 0;
}

// ---- Streams ------------------------------------------------------------------------

std::size_t streamCount(const TSTN& t, StreamKind kind) {
    switch (kind) {
    case StreamKind::PrimaryVideo: return t.primary_video.size();
    case StreamKind::PrimaryAudio: return t.primary_audio.size();
    case StreamKind::PG: return std::min<std::size_t>(t.number_of_PG_textST_stream_entries, t.PG_textST.size());
    case StreamKind::IG: return t.IG.size();
    case StreamKind::SecondaryVideo: return t.secondary_video.size();
    case StreamKind::SecondaryAudio: return t.secondary_audio.size();
    case StreamKind::PiPPG: return t.PG_textST.size() - streamCount(t, StreamKind::PG);
    }
    return 0;
}

TStreamItem& streamAt(TSTN& t, StreamKind kind, std::size_t row) {
    switch (kind) {
    case StreamKind::PrimaryVideo: return at(t.primary_video, row, "primary video stream");
    case StreamKind::PrimaryAudio: return at(t.primary_audio, row, "primary audio stream");
    case StreamKind::PG:
        if (row >= streamCount(t, kind)) throw std::out_of_range(fmt::format("playlist: PG stream {} does not exist", row));
        return t.PG_textST[row];
    case StreamKind::IG: return at(t.IG, row, "IG stream");
    case StreamKind::SecondaryVideo: return at(t.secondary_video, row, "secondary video stream");
    case StreamKind::SecondaryAudio: return at(t.secondary_audio, row, "secondary audio stream");
    case StreamKind::PiPPG:
        if (row >= streamCount(t, kind))
            throw std::out_of_range(fmt::format("playlist: PiP PG stream {} does not exist", row));
        return t.PG_textST[streamCount(t, StreamKind::PG) + row];
    }
    throw std::invalid_argument("playlist: unknown stream kind");
}

const TStreamItem& streamAt(const TSTN& t, StreamKind kind, std::size_t row) {
    return streamAt(const_cast<TSTN&>(t), kind, row);
}

bool canInsertStream(const TSTN& t, StreamKind kind) {
    switch (kind) {
    case StreamKind::PrimaryAudio: return t.primary_audio.size() < kMaxPrimaryAudioStreams;
    case StreamKind::PG: return streamCount(t, kind) < kMaxPGStreams;
    case StreamKind::IG: return t.IG.size() < kMaxIGStreams;
    case StreamKind::SecondaryAudio: return t.secondary_audio.size() < kMaxSecondaryAudioStreams;
    case StreamKind::PiPPG: return t.PG_textST.size() < kMaxPGStreams;
    default: return false;
    }
}

bool canDeleteStream(const TSTN& t, StreamKind kind) {
    switch (kind) {
    case StreamKind::PrimaryVideo: return false;
    case StreamKind::PrimaryAudio: return t.primary_audio.size() >= 2;
    default: return streamCount(t, kind) > 0;
    }
}

bool clipStreamFitsKind(const ClipStream& c, StreamKind kind) {
    const bool secondaryVideoPid = c.pid >= 0x1B00 && c.pid <= 0x1B1F;
    const bool secondaryAudio = c.codingType == static_cast<std::uint8_t>(CodingType::EAC3Secondary) ||
                                c.codingType == static_cast<std::uint8_t>(CodingType::DTSHDSecondary) ||
                                (c.pid >= 0x1A00 && c.pid <= 0x1A1F);
    switch (kind) {
    case StreamKind::PrimaryVideo: return isVideoCodingType(c.codingType) && !secondaryVideoPid;
    case StreamKind::SecondaryVideo: return isVideoCodingType(c.codingType) && secondaryVideoPid;
    case StreamKind::PrimaryAudio: return isAudioCodingType(c.codingType) && !secondaryAudio;
    case StreamKind::SecondaryAudio: return isAudioCodingType(c.codingType) && secondaryAudio;
    case StreamKind::PG:
    case StreamKind::PiPPG:
        return c.codingType == static_cast<std::uint8_t>(CodingType::PG) || isTextCodingType(c.codingType);
    case StreamKind::IG: return c.codingType == static_cast<std::uint8_t>(CodingType::IG);
    }
    return false;
}

std::vector<ClipStream> clipStreamsOfKind(const std::vector<ClipStream>& clip, StreamKind kind) {
    std::vector<ClipStream> out;
    for (const ClipStream& c : clip)
        if (clipStreamFitsKind(c, kind)) out.push_back(c);
    return out;
}

std::string_view streamKindName(StreamKind kind) {
    switch (kind) {
    case StreamKind::PrimaryVideo: return "video";
    case StreamKind::PrimaryAudio: return "audio";
    case StreamKind::PG: return "PG";
    case StreamKind::IG: return "IG";
    case StreamKind::SecondaryVideo: return "secondary video";
    case StreamKind::SecondaryAudio: return "secondary audio";
    case StreamKind::PiPPG: return "PiP PG";
    }
    return "";
}

std::optional<std::size_t> duplicateStreamRow(const TSTN& t, StreamKind kind, std::optional<std::size_t> row,
                                              const TStreamEntry& e) {
    const bool sub = e.type == kStreamOfSubPath;
    const bool main = e.type == kStreamOfPlayItem || e.type == kStreamInMuxOfSubPath;
    if (!sub && !main) return std::nullopt;
    for (std::size_t r = 0; r < streamCount(t, kind); ++r) {
        if (row && r == *row) continue;
        const TStreamEntry& o = streamAt(t, kind, r).stream_entry;
        if (sub && o.type == kStreamOfSubPath && o.ref_to_SubPath_id == e.ref_to_SubPath_id &&
            o.ref_to_subClip_entry_id == e.ref_to_subClip_entry_id &&
            o.ref_to_stream_PID_of_subClip == e.ref_to_stream_PID_of_subClip)
            return r;
        // Type 3 plays the main clip's PID through a SubPath: the same PID on
        // another SubPath is another stream.
        if (main && o.type == e.type && o.ref_to_stream_PID_of_mainClip == e.ref_to_stream_PID_of_mainClip &&
            (e.type == kStreamOfPlayItem || o.ref_to_SubPath_id == e.ref_to_SubPath_id))
            return r;
    }
    return std::nullopt;
}

std::optional<std::string> streamPidRefusal(const TSTN& t, StreamKind kind, std::size_t row, StreamField field,
                                            std::uint16_t pid, const std::vector<ClipStream>* clip,
                                            std::string_view clipName) {
    TStreamEntry e = streamAt(t, kind, row).stream_entry;
    if (field == StreamField::MainPID)
        e.ref_to_stream_PID_of_mainClip = pid;
    else if (field == StreamField::SubPID)
        e.ref_to_stream_PID_of_subClip = pid;
    else
        return std::nullopt;
    if (const auto dup = duplicateStreamRow(t, kind, row, e))
        return fmt::format("PID {:04X} is already {} stream {:03}", pid, streamKindName(kind), *dup + 1);
    // The PlayItem's clip answers for the main PID of its own entries.
    if (clip && field == StreamField::MainPID && e.type == kStreamOfPlayItem) {
        const auto offered = clipStreamsOfKind(*clip, kind);
        if (std::none_of(offered.begin(), offered.end(), [&](const ClipStream& c) { return c.pid == pid; })) {
            std::string has;
            for (const ClipStream& c : offered) has += fmt::format("{}{:04X}", has.empty() ? "" : ", ", c.pid);
            return fmt::format("Clip {} has no {} stream on PID {:04X}; {}", clipName, streamKindName(kind), pid,
                               has.empty() ? "it has none of that kind" : "it has " + has);
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> insertStream(TMPLS& m, std::size_t playItem, StreamKind kind,
                                        std::optional<std::size_t> selected, const std::vector<ClipStream>* clip) {
    TPlayItem& p = at(m.PlayList.PlayItems, playItem, "PlayItem");
    TSTN& t = p.STN_table;
    if (!canInsertStream(t, kind)) return std::nullopt;
    const std::size_t pos = insertPosition(streamCount(t, kind), selected);
    // Which PID the new stream plays: never one the kind already plays.
    auto free = [&](TStreamItem& item) {
        TStreamEntry& e = item.stream_entry;
        std::uint16_t& pid =
            e.type == kStreamOfSubPath ? e.ref_to_stream_PID_of_subClip : e.ref_to_stream_PID_of_mainClip;
        if (clip && e.type == kStreamOfPlayItem) {
            for (const ClipStream& c : clipStreamsOfKind(*clip, kind)) {
                pid = c.pid;
                if (duplicateStreamRow(t, kind, std::nullopt, e)) continue;
                TStreamAttributes& a = item.stream_attributes;
                if (isKnownCodingType(c.codingType)) a.stream_coding_type = c.codingType;
                if (!c.language_code.empty()) a.language_code = c.language_code;
                if (isAudioCodingType(c.codingType)) {
                    a.audio_presentation_type = c.audio_presentation_type;
                    a.sampling_frequency = c.sampling_frequency;
                }
                return true;
            }
            return false;
        }
        for (std::uint32_t next = pid; next <= 0xFFFF; ++next) {
            pid = static_cast<std::uint16_t>(next);
            if (!duplicateStreamRow(t, kind, std::nullopt, e)) return true;
        }
        return false;
    };

    TSecAudio secondary;
    TStreamItem s;
    switch (kind) {
    case StreamKind::PrimaryAudio:
        s = newStream(kStreamOfPlayItem, 0x1100, 0x81);
        s.stream_attributes.audio_presentation_type = 6;
        s.stream_attributes.sampling_frequency = 1;
        break;
    case StreamKind::PG:
    case StreamKind::PiPPG: s = newStream(kStreamOfPlayItem, 0x1200, 0x90); break;
    case StreamKind::IG: s = newStream(kStreamOfSubPath, 0x1400, 0x91); break;
    case StreamKind::SecondaryAudio:
        static_cast<TStreamItem&>(secondary) = newStream(kStreamOfPlayItem, 0x1A00, 0xA1);
        secondary.stream_attributes.audio_presentation_type = 3;
        secondary.stream_attributes.sampling_frequency = 1;
        break;
    default: return std::nullopt;
    }
    if (!free(kind == StreamKind::SecondaryAudio ? static_cast<TStreamItem&>(secondary) : s)) return std::nullopt;
    const std::size_t size = kind == StreamKind::SecondaryAudio ? secondaryAudioSize(secondary) : streamItemSize(s);
    const auto d = static_cast<std::int64_t>(size);
    if (!fits(p.length, d, 0xFFFF) || !fits(t.length, d, 0xFFFF) || !fits(m.PlayList.length, d, 0xFFFFFFFF))
        return std::nullopt;

    const std::size_t pgCount = streamCount(t, StreamKind::PG);
    switch (kind) {
    case StreamKind::PrimaryAudio: t.primary_audio.insert(t.primary_audio.begin() + static_cast<std::ptrdiff_t>(pos), s); break;
    case StreamKind::PG: t.PG_textST.insert(t.PG_textST.begin() + static_cast<std::ptrdiff_t>(pos), s); break;
    case StreamKind::PiPPG:
        t.PG_textST.insert(t.PG_textST.begin() + static_cast<std::ptrdiff_t>(pgCount + pos), s);
        break;
    case StreamKind::IG: t.IG.insert(t.IG.begin() + static_cast<std::ptrdiff_t>(pos), s); break;
    default:
        t.secondary_audio.insert(t.secondary_audio.begin() + static_cast<std::ptrdiff_t>(pos), secondary);
        break;
    }
    ++countOf(t, kind);
    add(p.length, d);
    add(t.length, d);
    movePlayListEnd(m, d);
    return pos;
}

std::optional<std::size_t> deleteStream(TMPLS& m, std::size_t playItem, StreamKind kind, std::size_t row) {
    TPlayItem& p = at(m.PlayList.PlayItems, playItem, "PlayItem");
    TSTN& t = p.STN_table;
    if (!canDeleteStream(t, kind)) return std::nullopt;
    std::size_t size = 0;
    auto erase = [&](auto& v, std::size_t i) {
        v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
    };
    switch (kind) {
    case StreamKind::SecondaryAudio:
        size = secondaryAudioSize(at(t.secondary_audio, row, "secondary audio stream"));
        erase(t.secondary_audio, row);
        break;
    case StreamKind::SecondaryVideo:
        size = secondaryVideoSize(at(t.secondary_video, row, "secondary video stream"));
        erase(t.secondary_video, row);
        break;
    case StreamKind::PrimaryAudio:
        size = streamItemSize(at(t.primary_audio, row, "primary audio stream"));
        erase(t.primary_audio, row);
        break;
    case StreamKind::IG:
        size = streamItemSize(at(t.IG, row, "IG stream"));
        erase(t.IG, row);
        break;
    default: {  // PG, PiP PG
        const TStreamItem& s = streamAt(t, kind, row);
        size = streamItemSize(s);
        erase(t.PG_textST, static_cast<std::size_t>(&s - t.PG_textST.data()));
        break;
    }
    }
    --countOf(t, kind);
    const auto d = -static_cast<std::int64_t>(size);
    add(p.length, d);
    add(t.length, d);
    movePlayListEnd(m, d);
    return row > 0 ? row - 1 : 0;
}

bool setStreamField(TStreamItem& s, StreamField field, std::uint32_t value) {
    const std::uint32_t max = [&]() -> std::uint32_t {
        switch (field) {
        case StreamField::MainPID:
        case StreamField::SubPID: return 0xFFFF;
        case StreamField::VideoFormat:
        case StreamField::FrameRate:
        case StreamField::PresentationType:
        case StreamField::SamplingFrequency:
        case StreamField::DynamicRange:
        case StreamField::ColourSpace: return 0x0F;
        case StreamField::HdrPlusFlag: return 1;
        default: return 0xFF;
        }
    }();
    if (value > max) return false;
    TStreamEntry& e = s.stream_entry;
    TStreamAttributes& a = s.stream_attributes;
    const auto v8 = static_cast<std::uint8_t>(value);
    switch (field) {
    case StreamField::EntryType: return setEntryType(e, v8);
    case StreamField::MainPID: e.ref_to_stream_PID_of_mainClip = static_cast<std::uint16_t>(value); break;
    case StreamField::SubPID: e.ref_to_stream_PID_of_subClip = static_cast<std::uint16_t>(value); break;
    case StreamField::SubPathId: e.ref_to_SubPath_id = v8; break;
    case StreamField::SubClipEntryId: e.ref_to_subClip_entry_id = v8; break;
    case StreamField::CodingType: return setCodingType(a, v8);
    case StreamField::VideoFormat: a.video_format = v8; break;
    case StreamField::FrameRate: a.frame_rate = v8; break;
    case StreamField::PresentationType: a.audio_presentation_type = v8; break;
    case StreamField::SamplingFrequency: a.sampling_frequency = v8; break;
    case StreamField::DynamicRange: a.dynamic_range_type = v8; break;
    case StreamField::ColourSpace: a.color_space = v8; break;
    case StreamField::HdrPlusFlag: a.hdr_plus_flag = v8; break;
    }
    return true;
}

void setStreamLanguage(TStreamItem& s, std::string_view code) {
    s.stream_attributes.language_code = std::string(code.substr(0, 3));
}

// ---- SubPaths ---------------------------------------------------------------------

bool canInsertSubPath(const TMPLS& m) {
    return m.PlayList.SubPaths.size() < kMaxSubPaths && !m.PlayList.PlayItems.empty();
}

std::optional<std::size_t> insertSubPath(TMPLS& m, std::optional<std::size_t> selected) {
    if (!canInsertSubPath(m)) return std::nullopt;
    const TPlayItem& first = m.PlayList.PlayItems.front();
    TSubPlayItem s;
    s.length = kSubPlayItemFields;
    s.Clip_Information_file_name = first.Clip_Information_file_name;
    s.Clip_codec_identifier = first.Clip_codec_identifier;
    s.SP_connection_condition = 1;
    s.SubPlayItem_IN_time = first.IN_time;
    s.SubPlayItem_OUT_time = first.OUT_time;
    TSubPath sp;
    sp.length = 6 + 2 + kSubPlayItemFields;
    sp.SubPath_type = 3;
    sp.number_of_SubPlayItems = 1;
    sp.SubPlayItems.push_back(std::move(s));

    auto& v = m.PlayList.SubPaths;
    const std::size_t pos = insertPosition(v.size(), selected);
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(pos), std::move(sp));
    ++m.PlayList.number_of_SubPaths;
    movePlayListEnd(m, 4 + 6 + 2 + kSubPlayItemFields);
    return pos;
}

std::size_t deleteSubPath(TMPLS& m, std::size_t index) {
    auto& v = m.PlayList.SubPaths;
    const std::int64_t size = 4 + std::int64_t{at(v, index, "SubPath").length};
    v.erase(v.begin() + static_cast<std::ptrdiff_t>(index));
    --m.PlayList.number_of_SubPaths;
    movePlayListEnd(m, -size);
    return index > 0 ? index - 1 : 0;
}

void setSubPathType(TSubPath& sp, std::uint8_t type) {
    sp.SubPath_type = type;
    if (type != 2) sp.repeat = 0;
}

bool repeatEditable(const TSubPath& sp) { return sp.SubPath_type == 2; }

bool setSubPathRepeat(TSubPath& sp, bool repeat) {
    if (!repeatEditable(sp)) return false;
    sp.repeat = repeat ? 1 : 0;
    return true;
}

// ---- SubPlayItems -------------------------------------------------------------

bool setSubPlayItemMulti(TMPLS& m, std::size_t subPath, std::size_t item, bool multi) {
    TSubPath& sp = at(m.PlayList.SubPaths, subPath, "SubPath");
    TSubPlayItem& s = at(sp.SubPlayItems, item, "SubPlayItem");
    if ((s.is_multi_Clip_entries != 0) == multi) return true;
    const std::int64_t table =
        2 + static_cast<std::int64_t>(kClipRefSize * (s.clip_entries.empty() ? 0 : s.clip_entries.size() - 1));
    const std::int64_t d = multi ? 2 : -table;
    if (!fits(s.length, d, 0xFFFF)) return false;
    s.is_multi_Clip_entries = multi ? 1 : 0;
    s.reserved = 0;
    s.clip_entries.clear();
    if (multi) s.clip_entries.push_back({s.Clip_Information_file_name, s.Clip_codec_identifier, s.ref_to_STC_id});
    s.number_of_Clip_entries = static_cast<std::uint8_t>(s.clip_entries.size());
    add(s.length, d);
    add(sp.length, d);
    movePlayListEnd(m, d);
    return true;
}

bool editSubPlayItemCell(TMPLS& m, std::size_t subPath, std::size_t item, SubPlayItemColumn column,
                         std::string_view text) {
    TSubPlayItem& s = at(at(m.PlayList.SubPaths, subPath, "SubPath").SubPlayItems, item, "SubPlayItem");
    switch (column) {
    case SubPlayItemColumn::File:
        s.Clip_Information_file_name = std::string(text.substr(0, 5));
        if (!s.clip_entries.empty()) s.clip_entries[0].Clip_Information_file_name = s.Clip_Information_file_name;
        return true;
    case SubPlayItemColumn::Conn: {
        const auto v = blank(text) ? std::nullopt : number(text);
        if (!v) return false;
        s.SP_connection_condition = *v == 5 || *v == 6 ? static_cast<std::uint8_t>(*v) : 1;
        return true;
    }
    case SubPlayItemColumn::Multi:
        if (blank(text)) return false;
        return setSubPlayItemMulti(m, subPath, item, text.front() == 'Y' || text.front() == 'y');
    case SubPlayItemColumn::STC: {
        const auto v = blank(text) ? std::nullopt : number(text);
        if (!v || *v > 0xFF) return false;
        s.ref_to_STC_id = static_cast<std::uint8_t>(*v);
        if (!s.clip_entries.empty()) s.clip_entries[0].ref_to_STC_id = s.ref_to_STC_id;
        return true;
    }
    case SubPlayItemColumn::In:
    case SubPlayItemColumn::Out:
    case SubPlayItemColumn::SyncPTS: {
        const auto t = parseTypedTime(text);
        if (!t) return false;
        (column == SubPlayItemColumn::In    ? s.SubPlayItem_IN_time
         : column == SubPlayItemColumn::Out ? s.SubPlayItem_OUT_time
                                            : s.sync_start_PTS_of_PlayItem) = *t;
        return true;
    }
    case SubPlayItemColumn::SyncPI: {
        const auto v = number(text);
        if (!v) return false;
        s.sync_PlayItem_id = static_cast<std::uint16_t>(*v % 999);
        return true;
    }
    default: return false;
    }
}

// ---- PlayItems ----------------------------------------------------------------

InTimeCascade inTimeQuestions(const TMPLS& m, std::size_t item, std::uint32_t newIn) {
    const TPlayItem& p = at(m.PlayList.PlayItems, item, "PlayItem");
    if (newIn == p.IN_time) return {};
    return {true, !m.PlayList.SubPaths.empty(), !m.PlayListMark.marks.empty()};
}

void setPlayItemInTime(TMPLS& m, std::size_t item, std::uint32_t newIn, const InTimeCascade& cascade) {
    TPlayItem& p = at(m.PlayList.PlayItems, item, "PlayItem");
    const std::int64_t d = std::int64_t{newIn} - p.IN_time;
    p.IN_time = newIn;
    if (d == 0) return;
    if (cascade.out) p.OUT_time = shifted(p.OUT_time, d);
    if (cascade.subPlayItems)
        for (TSubPath& sp : m.PlayList.SubPaths)
            for (TSubPlayItem& s : sp.SubPlayItems) {
                s.SubPlayItem_IN_time = shifted(s.SubPlayItem_IN_time, d);
                s.SubPlayItem_OUT_time = shifted(s.SubPlayItem_OUT_time, d);
            }
    if (cascade.marks)
        for (TPlayListMarkEntry& k : m.PlayListMark.marks) k.mark_time_stamp = shifted(k.mark_time_stamp, d);
}

void setPlayItemOutTime(TMPLS& m, std::size_t item, std::uint32_t out) {
    at(m.PlayList.PlayItems, item, "PlayItem").OUT_time = out;
}

bool setPlayItemClipName(TMPLS& m, std::size_t item, std::string_view name) {
    TPlayItem& p = at(m.PlayList.PlayItems, item, "PlayItem");
    if (name.size() != 5 || blank(name)) return false;
    p.Clip_Information_file_name = std::string(name);
    if (!p.multi_clip.angles.empty()) p.multi_clip.angles[0].Clip_Information_file_name = p.Clip_Information_file_name;
    return true;
}

bool editPlayItemCell(TMPLS& m, std::size_t item, PlayItemColumn column, std::string_view text,
                      const InTimeCascade& cascade) {
    TPlayItem& p = at(m.PlayList.PlayItems, item, "PlayItem");
    switch (column) {
    case PlayItemColumn::File: return setPlayItemClipName(m, item, text);
    case PlayItemColumn::In:
    case PlayItemColumn::Out: {
        const auto t = parseTypedTime(text);
        if (!t) return false;
        if (column == PlayItemColumn::In)
            setPlayItemInTime(m, item, *t, cascade);
        else
            setPlayItemOutTime(m, item, *t);
        return true;
    }
    case PlayItemColumn::UO1:
    case PlayItemColumn::UO2:
        if (text.size() != 8 || blank(text)) return false;
        setUOWord(p.UO_mask_table, column == PlayItemColumn::UO1 ? 0 : 1, parseLenientHex(text));
        return true;
    default: return false;
    }
}

// ---- UO masks -----------------------------------------------------------------

const std::array<UOBox, 33>& uoBoxes() {
    static const std::array<UOBox, 33> boxes = {{
        {0, 31, "cbUO31", "UO31: reserved for menu call"},
        {0, 30, "cbUO30", "UO30: Reserved for title search"},
        {0, 29, "cbUO29", "UO29: Chapter search"},
        {0, 28, "cbUO28", "UO28: Time search"},
        {0, 27, "cbUO27", "UO27: Skip to next point"},
        {0, 26, "cbUO26", "Skip back to previous point "},
        {0, 25, "cbUO25", "UO25: Reserved for play FirstPlay"},
        {0, 24, "cbUO24", "UO24: Stop"},
        {0, 23, "cbUO23", "UO23: Pause on"},
        {0, 22, "cbUO22", "UO22: Reserved for pause off"},
        {0, 21, "cbUO21", "UO21: Still off"},
        {0, 20, "cbUO20", "UO20: Forward play"},
        {0, 19, "cbUO19", "UO19: Backward play"},
        {0, 18, "cbUO18", "UO18: Resume"},
        {0, 17, "cbUO17", "UO17: Move up selected button"},
        {0, 16, "cbUO16", "UO16: Move down selected button"},
        {0, 15, "cbUO15", "UO15: Move left selected button"},
        {0, 14, "cbUO14", "UO14: Move right selected button"},
        {0, 13, "cbUO13", "UO13: Select button"},
        {0, 12, "cbUO12", "UO12: Activate button"},
        {0, 11, "cbUO11", "UO11: Select button and activate"},
        {0, 10, "cbUO10", "UO10: Primary audio stream number change"},
        {0, 9, "cbUO9", "UO9: Reserved"},
        {0, 8, "cbUO8", "UO8:Angle number change"},
        {0, 7, "cbUO7", "UO7: Popup on"},
        {0, 6, "cbUO6", "UO6: Popup off"},
        {0, 5, "cbUO5", "UO5: PG Text ST enable disable"},
        {0, 4, "cbUO4", "UO4: PG Text ST stream number change"},
        {0, 3, "cbUO3", "UO3: Secondary video enable disable"},
        {0, 2, "cbUO2", "UO2: Secondary video stream number change"},
        {0, 1, "cbUO1", "UO1:Secondary audio enable disable"},
        {0, 0, "cbUO0", "UO0: Secondary audio stream number change"},
        {1, 30, "cbUO2_30", "UO230: PiP PG textST stream number change "},
    }};
    return boxes;
}

bool uoBit(const std::uint32_t (&mask)[2], const UOBox& box) { return (mask[box.word & 1] >> box.bit) & 1u; }

void setUOBit(std::uint32_t (&mask)[2], const UOBox& box, bool on) {
    const std::uint32_t bit = 1u << box.bit;
    std::uint32_t& w = mask[box.word & 1];
    w = on ? (w | bit) : (w & ~bit);
}

void setUOWord(std::uint32_t (&mask)[2], int word, std::uint32_t value) {
    if (word == 0)
        mask[0] = value;
    else
        mask[1] = value & kUO2Bits;
}

// ---- AppInfoPlayList ----------------------------------------------------------

void setPlaybackType(TAppInfoPlayList& a, PlaylistPlaybackType type) {
    a.PlayList_playback_type = static_cast<std::uint8_t>(type);
}

void setPlaybackCount(TAppInfoPlayList& a, std::uint16_t count) { a.playback_count = count; }

namespace {
std::uint8_t& flagOf(TAppInfoPlayList& a, AppInfoFlag flag) {
    switch (flag) {
    case AppInfoFlag::RandomAccess: return a.PlayList_random_access_flag;
    case AppInfoFlag::AudioMix: return a.audio_mix_app_flag;
    case AppInfoFlag::BypassMixer: return a.lossless_may_bypass_mixer_flag;
    }
    throw std::invalid_argument("playlist: unknown AppInfoPlayList flag");
}
}  // namespace

bool appInfoFlag(const TAppInfoPlayList& a, AppInfoFlag flag) {
    return flagOf(const_cast<TAppInfoPlayList&>(a), flag) != 0;
}

void setAppInfoFlag(TAppInfoPlayList& a, AppInfoFlag flag, bool on) { flagOf(a, flag) = on ? 1 : 0; }

// ---- Marks ----------------------------------------------------------------------

bool canInsertMark(const TMPLS& m) { return m.PlayListMark.marks.size() < kMaxMarks; }

std::optional<std::size_t> insertMark(TMPLS& m, std::optional<std::size_t> after) {
    if (!canInsertMark(m)) return std::nullopt;
    ensureMarkSection(m);
    auto& v = m.PlayListMark.marks;
    const std::size_t pos = insertPosition(v.size(), after);
    TPlayListMarkEntry k;
    // A new mark lies where it can play: the start of the first PlayItem.
    if (!m.PlayList.PlayItems.empty()) k.mark_time_stamp = m.PlayList.PlayItems.front().IN_time;
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(pos), k);
    m.PlayListMark.number_of_PlayList_marks = static_cast<std::uint16_t>(v.size());
    moveMarksEnd(m, kMarkSize);
    return pos;
}

std::optional<std::size_t> deleteMarks(TMPLS& m, std::size_t first, std::size_t last) {
    auto& v = m.PlayListMark.marks;
    if (v.empty() || first >= v.size() || first > last) return std::nullopt;
    last = std::min(last, v.size() - 1);
    const std::size_t n = last - first + 1;
    v.erase(v.begin() + static_cast<std::ptrdiff_t>(first), v.begin() + static_cast<std::ptrdiff_t>(last + 1));
    m.PlayListMark.number_of_PlayList_marks = static_cast<std::uint16_t>(v.size());
    moveMarksEnd(m, -static_cast<std::int64_t>(kMarkSize * n));
    return first > 0 ? first - 1 : 0;
}

std::optional<std::string> markPlaceFault(const TMPLS& m, const TPlayListMarkEntry& k) {
    const auto& items = m.PlayList.PlayItems;
    if (k.ref_to_PlayItem_id >= items.size())
        return fmt::format("refers to PlayItem {}, which the playlist does not have ({} PlayItems)",
                           k.ref_to_PlayItem_id, items.size());
    const TPlayItem& p = items[k.ref_to_PlayItem_id];
    if (k.mark_time_stamp >= p.IN_time && k.mark_time_stamp <= p.OUT_time) return std::nullopt;
    return fmt::format("{} lies outside PlayItem {:03} ({} to {})", timeText(k.mark_time_stamp), k.ref_to_PlayItem_id,
                       timeText(p.IN_time), timeText(p.OUT_time));
}

std::vector<std::string> markFaults(const TMPLS& m) {
    std::vector<std::string> faults;
    const auto& marks = m.PlayListMark.marks;
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (auto fault = markPlaceFault(m, marks[i])) faults.push_back(fmt::format("Mark {:03}: {}", i, *fault));
    return faults;
}

void replaceMarks(TMPLS& m, std::vector<TPlayListMarkEntry> marks) {
    ensureMarkSection(m);
    const std::int64_t d =
        static_cast<std::int64_t>(kMarkSize) * (static_cast<std::int64_t>(marks.size()) -
                                                static_cast<std::int64_t>(m.PlayListMark.marks.size()));
    m.PlayListMark.marks = std::move(marks);
    m.PlayListMark.number_of_PlayList_marks = static_cast<std::uint16_t>(m.PlayListMark.marks.size());
    moveMarksEnd(m, d);
}

MarkTime splitMarkTime(std::uint32_t ticks) {
    const long long ms = ticks / kTicksPerMs;
    return {ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60, ms % 1000};
}

MarkTime clampMarkTime(const MarkTime& t) {
    return {std::clamp(t.hours, 0LL, 25LL), std::clamp(t.minutes, 0LL, 59LL), std::clamp(t.seconds, 0LL, 59LL),
            std::clamp(t.milliseconds, 0LL, 999LL)};
}

MarkTime setMarkTime(TPlayListMarkEntry& mark, const MarkTime& time) {
    const MarkTime c = clampMarkTime(time);
    mark.mark_time_stamp = static_cast<std::uint32_t>(
        timeTicks(static_cast<std::uint64_t>(c.hours), static_cast<std::uint64_t>(c.minutes),
                  static_cast<std::uint64_t>(c.seconds), static_cast<std::uint64_t>(c.milliseconds)));
    return c;
}

void setMarkType(TPlayListMarkEntry& mark, std::uint8_t type) { mark.mark_type = type; }

void setPlaylistExtensionData(TMPLS& m, TExtensionData block) {
    m.ExtensionData = std::move(block);
    if (m.ExtensionData.length == 0) {
        m.ExtensionData_start_address = 0;
        return;
    }
    if (m.PlayListMark_start_address != 0)
        m.ExtensionData_start_address = static_cast<std::uint32_t>(
            m.PlayListMark_start_address + 4 + m.PlayListMark.length + m.spare_after_PlayListMark.size());
    else
        m.ExtensionData_start_address = static_cast<std::uint32_t>(m.PlayList_start_address + 4 + m.PlayList.length +
                                                                   m.spare_after_PlayList.size());
}

void setMarkPlayItem(TPlayListMarkEntry& mark, std::uint16_t playItem) { mark.ref_to_PlayItem_id = playItem; }

}  // namespace navora
