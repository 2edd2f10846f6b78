#pragma once
// A playlist model built in code with what the corpus lacks: three angles,
// every stream kind, secondary audio with odd and even reference counts, a
// SubPlayItem with three clip entries, a SubPath whose spare byte puts the
// PlayList's end at an odd offset, five marks and an ExtensionData block with
// two entries.

#include "playlist/playlist.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"

#include <gtest/gtest.h>

namespace navora::test {

inline TStreamItem stream(std::uint8_t type, std::uint16_t pid, std::uint8_t coding, const char* lang = "") {
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

inline TStreamItem video(std::uint16_t pid, std::uint8_t frameRate) {
    TStreamItem s = stream(kStreamOfPlayItem, pid, 0x1B);
    s.stream_attributes.video_format = 6;
    s.stream_attributes.frame_rate = frameRate;
    return s;
}

// A PlayItem of one clip with one video and one audio stream.
inline TPlayItem playItem(const char* clip, std::uint32_t in, std::uint32_t out, std::uint8_t frameRate = 1) {
    TPlayItem p;
    p.Clip_Information_file_name = clip;
    p.IN_time = in;
    p.OUT_time = out;
    TSTN& t = p.STN_table;
    t.primary_video = {video(0x1011, frameRate)};
    t.primary_audio = {stream(kStreamOfPlayItem, 0x1100, 0x81, "eng")};
    t.number_of_primary_video_stream_entries = 1;
    t.number_of_primary_audio_stream_entries = 1;
    return p;
}

inline TPlayListMarkEntry mark(std::uint16_t item, std::uint32_t time, std::uint8_t type = kEntryMark) {
    TPlayListMarkEntry k;
    k.mark_type = type;
    k.ref_to_PlayItem_id = item;
    k.mark_time_stamp = time;
    return k;
}

// A playlist of the given PlayItems and marks, with its sizes computed.
inline TMPLS simplePlaylist(std::vector<TPlayItem> items, std::vector<TPlayListMarkEntry> marks = {}) {
    TMPLS m;
    m.PlayList.PlayItems = std::move(items);
    m.PlayList.number_of_PlayItems = static_cast<std::uint16_t>(m.PlayList.PlayItems.size());
    m.PlayListMark.marks = std::move(marks);
    m.PlayListMark.number_of_PlayList_marks = static_cast<std::uint16_t>(m.PlayListMark.marks.size());
    computeSizes(m);
    return m;
}

inline TMPLS richPlaylist() {
    TPlayItem p0 = playItem("00001", 27000000, 54000000);
    p0.is_multi_angle = 1;
    p0.multi_clip.number_of_angles = 3;
    p0.multi_clip.is_seamless_angle_change = 1;
    p0.multi_clip.angles = {{"00001", "M2TS", 0}, {"00002", "M2TS", 1}, {"00003", "M2TS", 2}};
    TSTN& t = p0.STN_table;
    t.primary_audio.push_back(stream(kStreamOfPlayItem, 0x1101, 0x84, "fra"));
    t.number_of_primary_audio_stream_entries = 2;
    TStreamItem pip = stream(kStreamOfSubPath, 0x1201, 0x90, "deu");
    pip.stream_entry.ref_to_subClip_entry_id = 1;
    t.PG_textST = {stream(kStreamOfPlayItem, 0x1200, 0x90, "eng"), pip};
    t.number_of_PG_textST_stream_entries = 1;
    t.number_of_PiP_PG_textST_stream_entries_plus = 1;
    t.IG = {stream(kStreamOfSubPath, 0x1400, 0x91, "eng")};
    t.number_of_IG_stream_entries = 1;
    TSecAudio odd, even;
    static_cast<TStreamItem&>(odd) = stream(kStreamOfPlayItem, 0x1A00, 0xA1, "spa");
    odd.primary_audio_stream_id_ref = {0, 1, 2};
    odd.number_of_primary_audio_ref_entries = 3;
    static_cast<TStreamItem&>(even) = stream(kStreamOfPlayItem, 0x1A01, 0xA2, "ita");
    even.primary_audio_stream_id_ref = {0, 1};
    even.number_of_primary_audio_ref_entries = 2;
    t.secondary_audio = {odd, even};
    t.number_of_secondary_audio_stream_entries = 2;
    TSecVideo sv;
    static_cast<TStreamItem&>(sv) = stream(kStreamInMuxOfSubPath, 0x1B00, 0x1B);
    sv.secondary_audio_stream_id_ref = {0};
    sv.number_of_secondary_audio_ref_entries = 1;
    sv.PiP_PG_textST_stream_id_ref = {1, 2};
    sv.number_of_PiP_PG_textST_ref_entries = 2;
    t.secondary_video = {sv};
    t.number_of_secondary_video_stream_entries = 1;

    TSubPlayItem multi;
    multi.Clip_Information_file_name = "00010";
    multi.SP_connection_condition = 1;
    multi.is_multi_Clip_entries = 1;
    multi.SubPlayItem_IN_time = 27000000;
    multi.SubPlayItem_OUT_time = 27450000;
    multi.number_of_Clip_entries = 3;
    multi.clip_entries = {{"00010", "M2TS", 0}, {"00011", "M2TS", 1}, {"00012", "M2TS", 2}};
    TSubPlayItem plain;
    plain.Clip_Information_file_name = "00013";
    plain.SubPlayItem_IN_time = 100;
    plain.SubPlayItem_OUT_time = 200;
    TSubPath sp;
    sp.SubPath_type = 5;
    sp.SubPlayItems = {multi, plain};
    sp.number_of_SubPlayItems = 2;
    sp.spare = {0x5A};  // odd SubPath: the PlayList ends at an odd offset

    TMPLS m = simplePlaylist({p0, playItem("00004", 54000000, 54450000)},
                             {mark(0, 27000000), mark(0, 28000000), mark(1, 54000000), mark(1, 54100000, kLinkPoint),
                              mark(1, 54200000)});
    m.PlayList.SubPaths = {sp};
    m.PlayList.number_of_SubPaths = 1;
    TExtensionData& x = m.ExtensionData;
    x.length = 182;
    x.data_block_start_address = 36;
    x.number_of_ext_data_entries = 2;
    x.entries = {{1, 1, 36, 100}, {3, 5, 136, 50}};
    for (int i = 0; i < 150; ++i) x.data.push_back(static_cast<std::uint8_t>(i));
    computeSizes(m);
    return m;
}

// Every length and address of an edited model must be what its content
// gives, the marks must start at an even offset, and the file must read back
// as the same model.
inline void expectConsistent(const TMPLS& m) {
    TMPLS computed = m;
    computeSizes(computed);
    EXPECT_EQ(computed, m) << "a length or address differs from the content";
    EXPECT_EQ(m.PlayListMark_start_address % 2, 0u);
    EXPECT_EQ(readPlaylist(writePlaylist(m), "edited.mpls"), m);
}

}  // namespace navora::test
