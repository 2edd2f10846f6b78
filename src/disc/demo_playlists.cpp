// The demo disc's playlists: one that fills every view of the playlist tab,
// and the menu playlist that the Top Menu object plays.

#include "disc/demo.h"

#include "core/fileio.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"

namespace navora {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kSecond = 45000;
constexpr std::uint32_t kClipStart = 600 * kSecond;  // clips start at 600 s, as authoring tools make them

TStreamItem stream(std::uint8_t type, std::uint16_t pid, std::uint8_t coding, const char* lang = "") {
    TStreamItem s;
    s.stream_entry.type = type;
    if (type == kStreamOfSubPath)
        s.stream_entry.ref_to_stream_PID_of_subClip = pid;
    else
        s.stream_entry.ref_to_stream_PID_of_mainClip = pid;
    s.stream_attributes.stream_coding_type = coding;
    s.stream_attributes.language_code = lang;
    return s;
}

TStreamItem video(std::uint16_t pid, std::uint8_t format, std::uint8_t rate) {
    TStreamItem s = stream(kStreamOfPlayItem, pid, 0x1B);
    s.stream_attributes.video_format = format;
    s.stream_attributes.frame_rate = rate;
    return s;
}

TStreamItem audio(std::uint16_t pid, std::uint8_t coding, std::uint8_t presentation, const char* lang) {
    TStreamItem s = stream(kStreamOfPlayItem, pid, coding, lang);
    s.stream_attributes.audio_presentation_type = presentation;
    s.stream_attributes.sampling_frequency = 1;  // 48 kHz
    return s;
}

// Sets the seven counts from the stream lists; pip of the PG entries are PiP PG.
void countStreams(TSTN& t, std::size_t pip = 0) {
    t.number_of_primary_video_stream_entries = static_cast<std::uint8_t>(t.primary_video.size());
    t.number_of_primary_audio_stream_entries = static_cast<std::uint8_t>(t.primary_audio.size());
    t.number_of_PG_textST_stream_entries = static_cast<std::uint8_t>(t.PG_textST.size() - pip);
    t.number_of_PiP_PG_textST_stream_entries_plus = static_cast<std::uint8_t>(pip);
    t.number_of_IG_stream_entries = static_cast<std::uint8_t>(t.IG.size());
    t.number_of_secondary_audio_stream_entries = static_cast<std::uint8_t>(t.secondary_audio.size());
    t.number_of_secondary_video_stream_entries = static_cast<std::uint8_t>(t.secondary_video.size());
}

TPlayItem playItem(const char* clip, std::uint32_t seconds, std::uint8_t connection) {
    TPlayItem p;
    p.Clip_Information_file_name = clip;
    p.connection_condition = connection;
    p.IN_time = kClipStart;
    p.OUT_time = kClipStart + seconds * kSecond;
    return p;
}

TSubPlayItem subPlayItem(const char* clip, std::uint32_t seconds, std::uint16_t syncItem) {
    TSubPlayItem s;
    s.Clip_Information_file_name = clip;
    s.SP_connection_condition = 1;
    s.SubPlayItem_IN_time = kClipStart;
    s.SubPlayItem_OUT_time = kClipStart + seconds * kSecond;
    s.sync_PlayItem_id = syncItem;
    s.sync_start_PTS_of_PlayItem = kClipStart;
    return s;
}

TPlayListMarkEntry mark(std::uint16_t item, std::uint32_t seconds, std::uint8_t type = kEntryMark) {
    TPlayListMarkEntry k;
    k.mark_type = type;
    k.ref_to_PlayItem_id = item;
    k.mark_time_stamp = kClipStart + seconds * kSecond;
    return k;
}

void finish(TMPLS& m) {
    m.PlayList.number_of_PlayItems = static_cast<std::uint16_t>(m.PlayList.PlayItems.size());
    m.PlayList.number_of_SubPaths = static_cast<std::uint16_t>(m.PlayList.SubPaths.size());
    for (TSubPath& sp : m.PlayList.SubPaths)
        sp.number_of_SubPlayItems = static_cast<std::uint8_t>(sp.SubPlayItems.size());
    m.PlayListMark.number_of_PlayList_marks = static_cast<std::uint16_t>(m.PlayListMark.marks.size());
    computeSizes(m);
}

// 00000: the main title. Three PlayItems (the second with three angles),
// primary and secondary audio, PG and PiP PG, IG, PiP secondary video, an
// out-of-mux SubPath with a multi-clip SubPlayItem, an in-mux PiP SubPath,
// entry marks and a link point, and an ExtensionData block with two entries.
TMPLS mainPlaylist() {
    TMPLS m;
    m.AppInfoPlayList.UO_mask_table[0] = 0x00000C00;  // UO11 and UO10 masked

    TPlayItem opening = playItem("00000", 30, 1);
    TSTN& t = opening.STN_table;
    t.primary_video = {video(0x1011, 6, 1)};  // 1080p 23.976
    t.primary_audio = {audio(0x1100, 0x81, 6, "eng"), audio(0x1101, 0x84, 3, "fra")};
    TStreamItem pip = stream(kStreamOfSubPath, 0x1220, 0x90, "eng");  // from clip entry 1 of SubPath 0
    pip.stream_entry.ref_to_subClip_entry_id = 1;
    t.PG_textST = {stream(kStreamOfPlayItem, 0x1200, 0x90, "eng"), stream(kStreamOfPlayItem, 0x1201, 0x90, "deu"), pip};
    t.IG = {stream(kStreamOfPlayItem, 0x1400, 0x91, "eng")};
    TSecAudio commentary;
    static_cast<TStreamItem&>(commentary) = audio(0x1A00, 0xA1, 3, "eng");
    commentary.primary_audio_stream_id_ref = {1, 2};
    commentary.number_of_primary_audio_ref_entries = 2;
    t.secondary_audio = {commentary};
    TSecVideo picture;
    static_cast<TStreamItem&>(picture) = video(0x1B00, 3, 1);  // 480p in-mux, SubPath 1
    picture.stream_entry.type = kStreamInMuxOfSubPath;
    picture.stream_entry.ref_to_SubPath_id = 1;
    picture.secondary_audio_stream_id_ref = {1};
    picture.number_of_secondary_audio_ref_entries = 1;
    picture.PiP_PG_textST_stream_id_ref = {3};
    picture.number_of_PiP_PG_textST_ref_entries = 1;
    t.secondary_video = {picture};
    countStreams(t, 1);

    TPlayItem angles = playItem("00001", 20, 1);
    angles.is_multi_angle = 1;
    angles.multi_clip.number_of_angles = 3;
    angles.multi_clip.is_seamless_angle_change = 1;
    angles.multi_clip.angles = {{"00001", "M2TS", 0}, {"00002", "M2TS", 0}, {"00003", "M2TS", 0}};
    angles.STN_table.primary_video = {video(0x1011, 6, 1)};
    angles.STN_table.primary_audio = {audio(0x1100, 0x81, 6, "eng")};
    angles.STN_table.PG_textST = {stream(kStreamOfPlayItem, 0x1200, 0x90, "eng")};
    countStreams(angles.STN_table);

    TPlayItem credits = playItem("00004", 10, 6);
    credits.UO_mask_table[0] = 0x10000000;  // no time search during the credits
    credits.STN_table.primary_video = {video(0x1011, 6, 1)};
    credits.STN_table.primary_audio = {audio(0x1100, 0x80, 3, "eng")};
    countStreams(credits.STN_table);
    m.PlayList.PlayItems = {opening, angles, credits};

    TSubPath outOfMux;
    outOfMux.SubPath_type = 5;  // out-of-mux synchronous: the PiP PG streams of three clips
    TSubPlayItem clips = subPlayItem("00010", 30, 0);
    clips.is_multi_Clip_entries = 1;
    clips.number_of_Clip_entries = 3;
    clips.clip_entries = {{"00010", "M2TS", 0}, {"00011", "M2TS", 0}, {"00012", "M2TS", 0}};
    outOfMux.SubPlayItems = {clips, subPlayItem("00013", 20, 1)};
    TSubPath inMux;
    inMux.SubPath_type = 7;  // the picture-in-picture video inside clip 00000
    inMux.SubPlayItems = {subPlayItem("00000", 30, 0)};
    m.PlayList.SubPaths = {outOfMux, inMux};

    m.PlayListMark.marks = {mark(0, 0),  mark(0, 12), mark(1, 0), mark(1, 8, kLinkPoint), mark(1, 10),
                            mark(2, 0)};

    // Two entries of private IDs that players skip (the known IDs, such as
    // 1/1 for picture-in-picture metadata, would be parsed by players).
    TExtensionData& x = m.ExtensionData;
    x.number_of_ext_data_entries = 2;
    x.data_block_start_address = 12 + 2 * 12;
    x.entries = {{0xFF01, 1, 36, 16}, {0xFF01, 2, 52, 8}};
    for (std::uint8_t i = 0; i < 24; ++i) x.data.push_back(static_cast<std::uint8_t>(0xA0 + i));
    x.length = static_cast<std::uint32_t>(8 + 12 * x.entries.size() + x.data.size());
    finish(m);
    return m;
}

// 00001: the menu that the Top Menu object plays, as discs reach a menu: a
// still PlayItem of the menu clip 00090 (from a second before the menu is
// presented at 600 s to a minute after) whose STN table lists the clip's IG
// stream.
TMPLS menuPlaylist() {
    TMPLS m;
    TPlayItem p = playItem("00090", 60, 1);
    p.IN_time = kClipStart - kSecond;
    p.still_mode = 1;  // still for still_time seconds
    p.still_time = 60;
    p.STN_table.IG = {stream(kStreamOfPlayItem, 0x1400, 0x91, "eng")};
    countStreams(p.STN_table);
    m.PlayList.PlayItems = {p};
    m.PlayListMark.marks = {mark(0, 0)};
    finish(m);
    return m;
}

}  // namespace

void writeDemoPlaylists(const fs::path& bdmv) {
    fs::create_directories(bdmv / "PLAYLIST");
    fs::create_directories(bdmv / "BACKUP" / "PLAYLIST");
    const std::pair<const char*, TMPLS> playlists[] = {{"00000.mpls", mainPlaylist()}, {"00001.mpls", menuPlaylist()}};
    for (const auto& [name, model] : playlists) {
        const Bytes data = writePlaylist(model);
        saveAtomic(bdmv / "PLAYLIST" / name, data);
        saveAtomic(bdmv / "BACKUP" / "PLAYLIST" / name, data);
    }
}

}  // namespace navora
