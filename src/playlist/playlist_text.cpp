#include "playlist/playlist_text.h"

#include "core/streamcoding.h"
#include "playlist/playlist_time.h"

#include <fmt/format.h>

#include <algorithm>

namespace navora {

namespace {

std::string nameOf(const std::vector<std::string>& names, std::size_t i) { return i < names.size() ? names[i] : ""; }

std::vector<std::string> namesOf(std::string (*name)(std::uint8_t), int last) {
    std::vector<std::string> v;
    for (int i = 0; i <= last; ++i) v.push_back(name(static_cast<std::uint8_t>(i)));
    return v;
}

std::array<std::string, 4> clipRefRow(const TClipRef& c, std::size_t number) {
    return {fmt::format("{}", number), c.Clip_Information_file_name, c.Clip_codec_identifier,
            fmt::format("{}", c.ref_to_STC_id)};
}

bool videoKind(StreamKind k) { return k == StreamKind::PrimaryVideo || k == StreamKind::SecondaryVideo; }
bool audioKind(StreamKind k) { return k == StreamKind::PrimaryAudio || k == StreamKind::SecondaryAudio; }

}  // namespace

// ---- Names and lists ------------------------------------------------------------

std::string entryTypeName(std::uint8_t type) { return type == 0 ? "" : nameOf(entryTypeItems(), type); }

const std::vector<std::string>& entryTypeItems() {
    static const std::vector<std::string> v = {"---", "PlayItem", "SubPath", "IM PIP"};
    return v;
}

std::string subPathTypeName(std::uint8_t type) { return nameOf(subPathTypeItems(), type); }

const std::vector<std::string>& subPathTypeItems() {
    static const std::vector<std::string> v = {"-",        "-",         "p. Audio", "IG menu",
                                               "Text sub", "OoM Sync", "OoM Async", "IM Sync"};
    return v;
}

const std::vector<std::string>& repeatItems() {
    static const std::vector<std::string> v = {"No", "Yes"};
    return v;
}

std::string markTypeName(std::uint8_t type) { return type == 0 ? "" : nameOf(markTypeItems(), type - 1u); }

const std::vector<std::string>& markTypeItems() {
    static const std::vector<std::string> v = {"entry-mark", "link point"};
    return v;
}

const std::vector<std::string>& playlistPlaybackTypeItems() {
    static const std::vector<std::string> v = {"Sequential", "Random", "Shuffle"};
    return v;
}

const std::vector<CodingChoice>& videoCodingChoices() {
    static const std::vector<CodingChoice> v = {
        {0x02, "MPEG-2", "MPEG-2 video stream for Primary / Secondary video"},
        {0x1B, "AVC", "MPEG-4 AVC video stream for Primary / Secondary video"},
        {0xEA, "VC1", "SMPTE VC-1 video stream for Primary / Secondary video"},
        {0x24, "HEVC", "HEVC video stream for Primary video (Ultra HD)"},
    };
    return v;
}

const std::vector<CodingChoice>& audioCodingChoices() {
    static const std::vector<CodingChoice> v = {
        {0x80, "LPCM", "HDMV LPCM audio stream for Primary audio"},
        {0x81, "DD", "Dolby Digital (AC-3) audio stream for Primary audio"},
        {0x82, "DTS", "DTS audio stream for Primary audio"},
        {0x83, "Dolby Lossless", "Dolby Lossless audio stream for Primary audio"},
        {0x84, "DD+", "Dolby Digital Plus audio stream for Primary audio"},
        {0x85, "DTS-HD ex. XLL", "DTS-HD audio stream except XLL for Primary audio"},
        {0x86, "DTS-HD XLL", "DTS-HD audio stream XLL for Primary audio"},
        {0xA1, "DD+", "Dolby Digital Plus audio stream for Secondary audio"},
        {0xA2, "DTS-HD", "DTS-HD audio stream for Secondary audio stream"},
    };
    return v;
}

std::optional<std::size_t> codingChoiceIndex(const std::vector<CodingChoice>& list, std::uint8_t code) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].code == code) return i;
    return std::nullopt;
}

const std::vector<std::string>& videoFormatItems() {
    static const std::vector<std::string> v = namesOf(videoFormatName, 8);
    return v;
}

const std::vector<std::string>& dynamicRangeItems() {
    static const std::vector<std::string> v = namesOf(dynamicRangeName, 2);
    return v;
}

const std::vector<std::string>& colourSpaceItems() {
    static const std::vector<std::string> v = namesOf(colourSpaceName, 2);
    return v;
}

const std::vector<std::string>& frameRateItems() {
    static const std::vector<std::string> v = namesOf(frameRateName, 7);
    return v;
}

const std::vector<std::string>& presentationTypeItems() {
    static const std::vector<std::string> v = namesOf(audioPresentationTypeName, 12);
    return v;
}

const std::vector<std::string>& samplingFrequencyItems() {
    static const std::vector<std::string> v = namesOf(samplingFrequencyName, 14);
    return v;
}

const std::vector<std::string>& languageItems() {
    static const std::vector<std::string> v = {
    "eng", "aar", "abk", "ace", "ach", "ada", "afa", "afh", "afr", "aka", "akk", "ale", "alg", "amh", "ang", "apa",
    "ara", "arc", "arn", "arp", "art", "arw", "asm", "ath", "aus", "ava", "ave", "awa", "aym", "aze", "bad", "bai",
    "bak", "bal", "bam", "ban", "bas", "bat", "bej", "bel", "bem", "ben", "ber", "bho", "bih", "bik", "bin", "bis",
    "bla", "bnt", "bod", "bra", "bre", "btk", "bua", "bug", "bul", "cad", "cai", "car", "cat", "cau", "ceb", "cel",
    "ces", "cha", "chb", "che", "chg", "chk", "chm", "chn", "cho", "chp", "chr", "chu", "chv", "chy", "cmc", "cop",
    "cor", "cos", "cpe", "cpf", "cpp", "cre", "crp", "cus", "cym", "dak", "dan", "day", "del", "den", "deu", "dgr",
    "din", "div", "doi", "dra", "dua", "dum", "dyu", "dzo", "efi", "egy", "eka", "ell", "elx", "eng", "enm", "epo",
    "est", "eus", "ewe", "ewo", "fan", "fao", "fas", "fat", "fij", "fin", "fiu", "fon", "fra", "frm", "fro", "fry",
    "ful", "fur", "gaa", "gay", "gba", "gem", "gez", "gil", "gla", "gle", "glg", "glv", "gmh", "goh", "gon", "gor",
    "got", "grb", "grc", "grn", "guj", "gwi", "hai", "hau", "haw", "heb", "her", "hil", "him", "hin", "hit", "hmn",
    "hmo", "hrv", "hun", "hup", "hye", "iba", "ibo", "ijo", "iku", "ile", "ilo", "ina", "inc", "ind", "ine", "ipk",
    "ira", "iro", "isl", "ita", "jaw", "jpn", "jpr", "jrb", "kaa", "kab", "kac", "kal", "kam", "kan", "kar", "kas",
    "kat", "kau", "kaw", "kaz", "kha", "khi", "khm", "kho", "kik", "kin", "kir", "kmb", "kok", "kom", "kon", "kor",
    "kos", "kpe", "kro", "kru", "kua", "kum", "kur", "kut", "lad", "lah", "lam", "lao", "lat", "lav", "lez", "lin",
    "lit", "lol", "loz", "ltz", "lua", "lub", "lug", "lui", "lun", "luo", "lus", "mad", "mag", "mah", "mai", "mak",
    "mal", "man", "map", "mar", "mas", "mdr", "men", "mga", "mic", "min", "mis", "mkd", "mkh", "mlg", "mlt", "mni",
    "mno", "moh", "mol", "mon", "mos", "mri", "msa", "mul", "mun", "mus", "mwr", "mya", "myn", "nah", "nai", "nau",
    "nav", "nbl", "nde", "ndo", "nep", "new", "nia", "nic", "niu", "nld", "non", "nor", "nso", "nub", "nzi", "nya",
    "nym", "nyn", "nyo", "oci", "oji", "ori", "orm", "osa", "oss", "ota", "oto", "paa", "pag", "pal", "pam", "pan",
    "pap", "pau", "peo", "phi", "phn", "pli", "pol", "pon", "por", "pra", "pro", "pus", "que", "raj", "rap", "rar",
    "roa", "roh", "rom", "ron", "run", "rus", "sad", "sag", "sah", "sai", "sal", "sam", "san", "sas", "sat", "sco",
    "sel", "sem", "sga", "shn", "sid", "sin", "sio", "sit", "sla", "slk", "slv", "smi", "smo", "sna", "snd", "snk",
    "sog", "som", "son", "sot", "spa", "sqi", "srd", "srp", "srr", "ssa", "ssw", "suk", "sun", "sus", "sux", "swa",
    "swe", "syr", "tah", "tai", "tam", "tat", "tel", "tem", "ter", "tet", "tgk", "tgl", "tha", "tig", "tir", "tiv",
    "tkl", "tli", "tmh", "tog", "ton", "tpi", "tsi", "tsn", "tso", "tuk", "tum", "tur", "tut", "tvl", "twi", "tyv",
    "uga", "uig", "ukr", "umb", "und", "urd", "uzb", "vai", "ven", "vie", "vol", "vot", "wak", "wal", "war", "was",
    "wen", "wol", "xho", "yao", "yap", "yid", "yor", "ypk", "zap", "zen", "zha", "zho", "znd", "zul", "zun",
    };
    return v;
}

std::optional<std::size_t> languageIndex(std::string_view code) {
    const auto& v = languageItems();
    const auto it = std::find(v.begin(), v.end(), code);
    if (it == v.end()) return std::nullopt;
    return static_cast<std::size_t>(it - v.begin());
}

std::optional<std::string> presentationTypeHint(std::uint8_t type) {
    switch (type) {
    case 1: return "single mono channel";
    case 3: return "stereo (2-channel)";
    case 6: return "multi-channel";
    case 12: return "stereo (2-channel) and multi-channel for the DTS-HD/Dolby Lossless";
    default: return std::nullopt;
    }
}

std::optional<std::string> entryTypeHint(std::uint8_t type) {
    switch (type) {
    case 0: return "";
    case 1: return "Identify an elementary stream of the Clip used by the PlayItem.";
    case 2:
        return "Identify an elementary stream of the Clip used by a SubPath with SubPath_type set to 2,3,4,5 or 6 "
               "associated with the PlayItem.";
    case 3:
        return "Identify an elementary stream of the Clip used by a SubPath with SubPath_type set to 7 (IM Sync) "
               "associated with the PlayItem.";
    default: return std::nullopt;
    }
}

std::optional<std::string> subPathTypeHint(std::uint8_t type) {
    switch (type) {
    case 0:
    case 1: return "reserved";
    case 2: return "Primary audio presentation path of the Browsable slideshow";
    case 3: return "Interactive Graphics presentation menu";
    case 4: return "Text subtitle presentation path";
    case 5: return "Out-of-mux and Synchronous type of one or more elementary streams path";
    case 6: return "Out-of-mux and Asynchronous type of Picture-in-Picture presentation path";
    case 7: return "In-mux and Synchronous type of Picture-in-Picture presentation path";
    default: return std::nullopt;
    }
}

StreamEditors streamEditors(StreamKind kind, std::uint8_t entryType) {
    StreamEditors e;
    e.mainPID = entryType == kStreamOfPlayItem || entryType == kStreamInMuxOfSubPath;
    e.subPathId = entryType == kStreamOfSubPath || entryType == kStreamInMuxOfSubPath;
    e.subClipEntryId = entryType == kStreamOfSubPath;
    e.subPID = entryType == kStreamOfSubPath;
    e.videoLists = videoKind(kind);
    e.audioLists = audioKind(kind);
    e.language = audioKind(kind) || kind == StreamKind::PG || kind == StreamKind::IG;
    return e;
}

// ---- Grids ----------------------------------------------------------------------

const std::array<std::string, 9>& playItemColumns() {
    static const std::array<std::string, 9> c = {"No.", "file", "type", "IN time", "OUT time",
                                                 "length", "UO1", "UO2", "An"};
    return c;
}

const std::array<std::string, 4>& clipRefColumns() {
    static const std::array<std::string, 4> c = {"No.", "file", "type", "STC"};
    return c;
}

const std::array<std::string, 7>& stnCountColumns() {
    static const std::array<std::string, 7> c = {"Vi", "Au", "PG", "IG", "sV", "sA", "PIP"};
    return c;
}

const std::array<std::string, 7>& streamColumns() {
    static const std::array<std::string, 7> c = {"No.", "type", "mPID", "SPid", "sCid", "sPID", "attrib"};
    return c;
}

const std::array<std::string, 4>& subPathColumns() {
    static const std::array<std::string, 4> c = {"No.", "type", "repeat", "item"};
    return c;
}

const std::array<std::string, 11>& subPlayItemColumns() {
    static const std::array<std::string, 11> c = {"No.",     "file",     "type",    "conn",     "multi", "STC",
                                                  "IN time", "OUT time", "sync PI", "sync PTS", "An"};
    return c;
}

const std::array<std::string, 6>& markColumns() {
    static const std::array<std::string, 6> c = {"No.", "type", "PI", "mark time", "entry PID", "duration"};
    return c;
}

std::array<std::string, 9> playItemRow(const TPlayItem& p, std::size_t n) {
    const std::string length = p.OUT_time >= p.IN_time ? timeText(p.OUT_time - p.IN_time)
                                                       : "-" + timeText(p.IN_time - p.OUT_time);
    return {fmt::format("{:03}", n),
            p.Clip_Information_file_name,
            p.Clip_codec_identifier,
            timeText(p.IN_time),
            timeText(p.OUT_time),
            length,
            fmt::format("{:08X}", p.UO_mask_table[0]),
            fmt::format("{:08X}", p.UO_mask_table[1]),
            fmt::format("{}", p.is_multi_angle ? p.multi_clip.number_of_angles : 0)};
}

std::vector<std::array<std::string, 4>> angleRows(const TPlayItem& p) {
    std::vector<std::array<std::string, 4>> rows;
    if (!p.is_multi_angle) return rows;
    for (std::size_t i = 0; i < p.multi_clip.angles.size(); ++i) rows.push_back(clipRefRow(p.multi_clip.angles[i], i + 1));
    return rows;
}

std::array<std::string, 7> stnCountRow(const TSTN& t) {
    std::array<std::string, 7> row;
    for (std::size_t k = 0; k < kStreamKindCount; ++k) row[k] = fmt::format("{}", streamCount(t, static_cast<StreamKind>(k)));
    return row;
}

std::array<std::string, 7> streamRow(const TSTN& t, StreamKind kind, std::size_t row) {
    const TStreamItem& s = streamAt(t, kind, row);
    const TStreamEntry& e = s.stream_entry;
    const TStreamAttributes& a = s.stream_attributes;
    const bool decimalIds = videoKind(kind) || kind == StreamKind::SecondaryAudio;
    std::array<std::string, 7> r;
    r[0] = fmt::format("{:03}", row + 1);
    r[1] = entryTypeName(e.type);
    if (e.type == kStreamOfPlayItem || e.type == kStreamInMuxOfSubPath)
        r[2] = fmt::format("{:04X}", e.ref_to_stream_PID_of_mainClip);
    if (e.type == kStreamOfSubPath || e.type == kStreamInMuxOfSubPath)
        r[3] = decimalIds ? fmt::format("{:02}", e.ref_to_SubPath_id)
               : e.type == kStreamInMuxOfSubPath ? fmt::format("{:04X}", e.ref_to_SubPath_id)
                                                  : fmt::format("{:02X}", e.ref_to_SubPath_id);
    if (e.type == kStreamOfSubPath) {
        r[4] = decimalIds ? fmt::format("{:02}", e.ref_to_subClip_entry_id)
                          : fmt::format("{:02X}", e.ref_to_subClip_entry_id);
        r[5] = fmt::format("{:04X}", e.ref_to_stream_PID_of_subClip);
    }
    if (videoKind(kind)) {
        r[6] = codingTypeName(a.stream_coding_type) + ", " + videoFormatName(a.video_format) + ", " +
               frameRateName(a.frame_rate);
        if (isHevcCodingType(a.stream_coding_type))
            r[6] += ", " + dynamicRangeName(a.dynamic_range_type) + ", " + colourSpaceName(a.color_space) +
                    (a.hdr_plus_flag ? ", HDR10+" : "");
    }
    else if (audioKind(kind))
        r[6] = codingTypeName(a.stream_coding_type) + ", " + audioPresentationTypeName(a.audio_presentation_type) +
               ", " + samplingFrequencyName(a.sampling_frequency) + ", " + a.language_code;
    else
        r[6] = a.language_code;
    return r;
}

std::array<std::string, 4> subPathRow(const TSubPath& sp, std::size_t n) {
    return {fmt::format("{:03}", n), subPathTypeName(sp.SubPath_type), sp.repeat != 0 ? "Yes" : "No",
            fmt::format("{}", sp.SubPlayItems.size())};
}

std::array<std::string, 11> subPlayItemRow(const TSubPlayItem& s, std::size_t n) {
    return {fmt::format("{:03}", n),
            s.Clip_Information_file_name,
            s.Clip_codec_identifier,
            fmt::format("{}", s.SP_connection_condition),
            s.is_multi_Clip_entries ? "Yes" : "No",
            fmt::format("{}", s.ref_to_STC_id),
            timeText(s.SubPlayItem_IN_time),
            timeText(s.SubPlayItem_OUT_time),
            fmt::format("{}", s.sync_PlayItem_id),
            timeText(s.sync_start_PTS_of_PlayItem),
            fmt::format("{}", s.number_of_Clip_entries)};
}

std::vector<std::array<std::string, 4>> clipEntryRows(const TSubPlayItem& s) {
    std::vector<std::array<std::string, 4>> rows;
    for (std::size_t i = 0; i < s.clip_entries.size(); ++i) rows.push_back(clipRefRow(s.clip_entries[i], i + 1));
    return rows;
}

std::array<std::string, 6> markRow(const TPlayListMarkEntry& k, std::size_t n) {
    return {fmt::format("{:03}", n),          markTypeName(k.mark_type), fmt::format("{:03}", k.ref_to_PlayItem_id),
            timeText(k.mark_time_stamp),      fmt::format("{:04X}", k.entry_ES_PID),
            fmt::format("{}", k.duration)};
}

std::string playlistFoundText(const TMPLS& m) {
    return fmt::format("[b]{}[/b] PlayItem(s), [b]{}[/b] SubPath(s) and [b]{}[/b] PlayListMark(s) found.",
                       m.PlayList.PlayItems.size(), m.PlayList.SubPaths.size(), m.PlayListMark.marks.size());
}

}  // namespace navora
