// The Ultra HD demo disc: version "0300" navigation files with an HEVC HDR10
// video stream entry, the disc's HDR information in index.bdmv, static HDR
// metadata in the playlist, and a small stream file that carries the PAT and
// PMT of the clip.

#include "disc/demo.h"

#include "clip/clipinfo_write.h"
#include "core/fileio.h"
#include "core/streamcoding.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"
#include "navdb/uhd.h"
#include "playlist/hdr.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"

#include <array>
#include <initializer_list>

namespace navora {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kSecond = 45000;
constexpr std::uint32_t kClipStart = 600 * kSecond;
constexpr std::uint32_t kClipSeconds = 10;
constexpr std::uint16_t kVideoPid = 0x1011;
constexpr std::uint16_t kAudioPid = 0x1100;
constexpr std::uint16_t kUhdPmtPid = 0x0100;
constexpr std::uint32_t kPackets = 32;
constexpr std::uint8_t k2160p = 8;
constexpr std::uint8_t k23976 = 1;

// An ExtensionData block with one entry of the given IDs holding `payload`.
TExtensionData oneEntryBlock(std::uint16_t id1, std::uint16_t id2, const Bytes& payload) {
    TExtensionData x;
    x.number_of_ext_data_entries = 1;
    x.data_block_start_address = 24;
    x.entries = {{id1, id2, 24, static_cast<std::uint32_t>(payload.size())}};
    x.data = payload;
    x.length = static_cast<std::uint32_t>(20 + payload.size());
    return x;
}

TINDX uhdIndex() {
    TINDX x;
    x.version = kIndexVersionUhd;
    x.content_provider = "Navora UHD demo disc";
    x.app_info_flags.initial_dynamic_range_type = static_cast<std::uint8_t>(DynamicRange::HDR10);
    x.app_info_flags.video_format = k2160p;
    x.app_info_flags.frame_rate = k23976;
    auto& ix = x.indexes;
    ix.first_playback.playback_type = PlaybackType::Interactive;
    ix.first_playback.mobj_id_ref = 1;
    ix.top_menu.playback_type = PlaybackType::Interactive;
    ix.top_menu.mobj_id_ref = 1;
    TTitle t;
    t.title_number = 1;
    t.mobj_id_ref = 0;
    ix.titles = {t};
    ix.length = indexesLength(ix);

    // The disc information entry: 8 bytes after its length.
    x.ext = oneEntryBlock(kUhdDiscInfoID1, kUhdDiscInfoID2, Bytes{0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0});
    TUhdDiscInfo info;
    info.disc_type = 2;
    info.exist_4k_flag = 1;
    info.HDR_flags = kHdrFlagHDR10;
    setUhdDiscInfo(x.ext, info);
    x.extension_data_start_address = x.indexes_start_address + 4 + ix.length;
    return x;
}

TMOBJ uhdMovieObjects() {
    TMOBJ m;
    m.version = std::string(kUhdVersion);
    Tmobject main;  // title 1: counts its plays in GPR0 and plays the movie
    main.resume_intention_flag = 1;
    main.commands = {TCommand{{0x50400003, 0x00000000, 0x00000001}},   // Add GPR0, 1
                     TCommand{{0x22800000, 0x00000000, 0x00000000}}};  // Play PL 0
    Tmobject start;  // First Playback and Top Menu: straight into title 1
    start.commands = {TCommand{{0x21810000, 0x00000001, 0x00000000}}};  // Jump Title 1
    m.mobjs.objects = {main, start};
    m.mobjs.length = movieObjectsLength(m.mobjs);
    return m;
}

TMPLS uhdPlaylist() {
    TMPLS m;
    m.version_number = std::string(kUhdVersion);
    TPlayItem p;
    p.Clip_Information_file_name = "00000";
    p.connection_condition = 1;
    p.IN_time = kClipStart;
    p.OUT_time = kClipStart + kClipSeconds * kSecond;
    TStreamItem v;
    v.stream_entry.ref_to_stream_PID_of_mainClip = kVideoPid;
    TStreamAttributes& va = v.stream_attributes;
    va.stream_coding_type = static_cast<std::uint8_t>(CodingType::HEVC);
    va.video_format = k2160p;
    va.frame_rate = k23976;
    va.dynamic_range_type = static_cast<std::uint8_t>(DynamicRange::HDR10);
    va.color_space = static_cast<std::uint8_t>(ColourSpace::BT2020);
    TStreamItem a;
    a.stream_entry.ref_to_stream_PID_of_mainClip = kAudioPid;
    a.stream_attributes.stream_coding_type = static_cast<std::uint8_t>(CodingType::AC3);
    a.stream_attributes.audio_presentation_type = 6;  // multi-channel
    a.stream_attributes.sampling_frequency = 1;       // 48 kHz
    a.stream_attributes.language_code = "eng";
    p.STN_table.primary_video = {v};
    p.STN_table.primary_audio = {a};
    p.STN_table.number_of_primary_video_stream_entries = 1;
    p.STN_table.number_of_primary_audio_stream_entries = 1;
    m.PlayList.PlayItems = {p};
    m.PlayList.number_of_PlayItems = 1;
    for (std::uint32_t s : {0u, 5u}) {
        TPlayListMarkEntry k;
        k.mark_time_stamp = kClipStart + s * kSecond;
        m.PlayListMark.marks.push_back(k);
    }
    m.PlayListMark.number_of_PlayList_marks = 2;

    // Static HDR metadata: the count, 24 reserved bits and one 28-byte record.
    Bytes payload = {0, 0, 0, 32, 1, 0, 0, 0};
    payload.resize(payload.size() + 28, 0);
    m.ExtensionData = oneEntryBlock(kStaticHdrID1, kStaticHdrID2, payload);
    TStaticHdrMetadata r;
    r.dynamic_range_type = static_cast<std::uint8_t>(DynamicRange::HDR10);
    // BT.2020 primaries (green, blue, red) and the D65 white point, in 0.00002 units.
    const std::uint16_t px[3] = {8500, 6550, 35400}, py[3] = {39850, 2300, 14600};
    for (int i = 0; i < 3; ++i) {
        r.display_primaries_x[i] = px[i];
        r.display_primaries_y[i] = py[i];
    }
    r.white_point_x = 15635;
    r.white_point_y = 16450;
    r.max_display_mastering_luminance = 1000;
    r.min_display_mastering_luminance = 50;
    r.max_CLL = 1000;
    r.max_FALL = 400;
    setStaticHdrMetadata(m.ExtensionData, 0, r);
    computeSizes(m);
    return m;
}

Bytes uhdClipInfo() {
    TProgramStream video;
    video.stream_PID = kVideoPid;
    video.stream_coding_type = static_cast<std::uint8_t>(CodingType::HEVC);
    video.video_format = k2160p;
    video.frame_rate = k23976;
    video.aspect_ratio = 3;  // 16:9
    video.dynamic_range_type = static_cast<std::uint8_t>(DynamicRange::HDR10);
    video.color_space = static_cast<std::uint8_t>(ColourSpace::BT2020);
    TProgramStream audio;
    audio.stream_PID = kAudioPid;
    audio.stream_coding_type = static_cast<std::uint8_t>(CodingType::AC3);
    audio.audio_presentation_type = 6;
    audio.sampling_frequency = 1;
    audio.language_code = "eng";
    // 100 Mbit/s; the video carries the PCR. The CPI stays empty: the stream holds no pictures.
    return buildClipInfo(demoClipInfo(kUhdVersion, 12500000, kPackets, kVideoPid, kClipStart,
                                      kClipStart + kClipSeconds * kSecond, kUhdPmtPid, {video, audio}));
}

std::uint32_t crc32Mpeg(std::span<const std::uint8_t> data) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::uint8_t byte : data) {
        crc ^= std::uint32_t{byte} << 24;
        for (int i = 0; i < 8; ++i) crc = crc & 0x80000000 ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
    }
    return crc;
}

// A source packet: the arrival time stamp, then a transport packet on `pid`
// that carries `section` after a pointer field (stuffed with 0xFF), or only
// stuffing for the null PID.
void putPacket(ByteWriter& w, std::uint32_t index, std::uint16_t pid, const Bytes& section) {
    w.putlword(index * 846 & 0x3FFFFFFF);
    const std::size_t start = w.size();
    w.putbyte(0x47);
    w.putword(static_cast<std::uint16_t>((section.empty() ? 0 : 0x4000) | pid));
    w.putbyte(0x10);  // payload only, continuity counter 0
    if (!section.empty()) {
        w.putbyte(0);  // pointer field
        w.putbytes(section);
    }
    while (w.size() - start < 188) w.putbyte(0xFF);
}

Bytes section(std::uint8_t tableId, std::uint16_t idExtension, const Bytes& body) {
    ByteWriter s;
    s.putbyte(tableId);
    s.putword(static_cast<std::uint16_t>(0xB000 | (5 + body.size() + 4)));
    s.putword(idExtension);
    s.putbyte(0xC1);  // version 0, current
    s.putbyte(0);
    s.putbyte(0);
    s.putbytes(body);
    s.putlword(crc32Mpeg(s.bytes()));
    return s.take();
}

Bytes uhdStream() {
    const Bytes pat = section(0x00, 0, {0x00, 0x01, static_cast<std::uint8_t>(0xE0 | kUhdPmtPid >> 8),
                                        static_cast<std::uint8_t>(kUhdPmtPid)});
    auto es = [](std::uint8_t type, std::uint16_t pid) {
        return std::array<std::uint8_t, 5>{type, static_cast<std::uint8_t>(0xE0 | pid >> 8),
                                           static_cast<std::uint8_t>(pid), 0xF0, 0x00};
    };
    Bytes body = {static_cast<std::uint8_t>(0xE0 | kVideoPid >> 8), static_cast<std::uint8_t>(kVideoPid), 0xF0, 0x00};
    for (const auto& e : {es(static_cast<std::uint8_t>(CodingType::HEVC), kVideoPid),
                          es(static_cast<std::uint8_t>(CodingType::AC3), kAudioPid)})
        body.insert(body.end(), e.begin(), e.end());
    const Bytes pmt = section(0x02, 1, body);
    ByteWriter w;
    putPacket(w, 0, 0x0000, pat);
    putPacket(w, 1, kUhdPmtPid, pmt);
    for (std::uint32_t i = 2; i < kPackets; ++i) putPacket(w, i, 0x1FFF, {});
    return w.take();
}

}  // namespace

void makeUhdDemoDisc(const fs::path& root) {
    const fs::path bdmv = root / "BDMV";
    for (const char* sub : {"PLAYLIST", "CLIPINF", "STREAM", "BACKUP/PLAYLIST", "BACKUP/CLIPINF", "AUXDATA", "BDJO",
                            "JAR", "META"})
        fs::create_directories(bdmv / sub);
    const std::pair<const char*, Bytes> files[] = {
        {"index.bdmv", writeIndex(uhdIndex())},
        {"MovieObject.bdmv", writeMovieObjects(uhdMovieObjects())},
        {"PLAYLIST/00000.mpls", writePlaylist(uhdPlaylist())},
        {"CLIPINF/00000.clpi", uhdClipInfo()},
    };
    for (const auto& [name, data] : files) {
        saveAtomic(bdmv / name, data);
        saveAtomic(bdmv / "BACKUP" / name, data);
    }
    saveAtomic(bdmv / "STREAM" / "00000.m2ts", uhdStream());
}

}  // namespace navora
