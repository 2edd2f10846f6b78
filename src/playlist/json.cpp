#include "playlist/json.h"

#include "playlist/hdr.h"

#include "core/json.h"
#include "core/streamcoding.h"

#include <fmt/format.h>

namespace navora {

namespace {

using json = nlohmann::ordered_json;

void addSpare(json& j, const char* key, const Bytes& b) {
    if (!b.empty()) j[key] = hexText(b);
}

json clipRef(const TClipRef& c) {
    return {{"Clip_Information_file_name", jsonText(c.Clip_Information_file_name)},
            {"Clip_codec_identifier", jsonText(c.Clip_codec_identifier)},
            {"ref_to_STC_id", c.ref_to_STC_id}};
}

json refs(const std::vector<std::uint8_t>& v) {
    json a = json::array();
    for (std::uint8_t r : v) a.push_back(r);
    return a;
}

json streamItem(const TStreamItem& s) {
    const TStreamEntry& e = s.stream_entry;
    json entry{{"length", e.length}, {"type", e.type}};
    switch (e.type) {
    case kStreamOfPlayItem:
        entry["ref_to_stream_PID_of_mainClip"] = e.ref_to_stream_PID_of_mainClip;
        break;
    case kStreamOfSubPath:
        entry["ref_to_SubPath_id"] = e.ref_to_SubPath_id;
        entry["ref_to_subClip_entry_id"] = e.ref_to_subClip_entry_id;
        entry["ref_to_stream_PID_of_subClip"] = e.ref_to_stream_PID_of_subClip;
        break;
    case kStreamInMuxOfSubPath:
        entry["ref_to_SubPath_id"] = e.ref_to_SubPath_id;
        entry["ref_to_stream_PID_of_mainClip"] = e.ref_to_stream_PID_of_mainClip;
        break;
    default:
        break;
    }
    addSpare(entry, "spare", e.spare);

    const TStreamAttributes& a = s.stream_attributes;
    const std::uint8_t c = a.stream_coding_type;
    json attr{{"length", a.length}, {"stream_coding_type", c}};
    if (isVideoCodingType(c)) {
        attr["video_format"] = a.video_format;
        attr["frame_rate"] = a.frame_rate;
        if (isHevcCodingType(c)) {
            attr["dynamic_range_type"] = a.dynamic_range_type;
            attr["dynamic_range"] = dynamicRangeName(a.dynamic_range_type);
            attr["color_space"] = a.color_space;
            attr["colour_space"] = colourSpaceName(a.color_space);
            attr["cr_flag"] = a.cr_flag;
            attr["HDR_plus_flag"] = a.hdr_plus_flag;
        }
    } else if (isAudioCodingType(c)) {
        attr["audio_presentation_type"] = a.audio_presentation_type;
        attr["sampling_frequency"] = a.sampling_frequency;
        attr["language_code"] = jsonText(a.language_code);
    } else if (isGraphicsCodingType(c)) {
        attr["language_code"] = jsonText(a.language_code);
    } else if (isTextCodingType(c)) {
        attr["character_code"] = a.character_code;
        attr["language_code"] = jsonText(a.language_code);
    }
    addSpare(attr, "spare", a.spare);
    return {{"stream_entry", entry}, {"stream_attributes", attr}};
}

json stn(const TSTN& t) {
    auto items = [](const std::vector<TStreamItem>& v) {
        json a = json::array();
        for (const TStreamItem& s : v) a.push_back(streamItem(s));
        return a;
    };
    json secA = json::array();
    for (const TSecAudio& s : t.secondary_audio) {
        json j = streamItem(s);
        j["number_of_primary_audio_ref_entries"] = s.number_of_primary_audio_ref_entries;
        j["primary_audio_stream_id_ref"] = refs(s.primary_audio_stream_id_ref);
        secA.push_back(std::move(j));
    }
    json secV = json::array();
    for (const TSecVideo& s : t.secondary_video) {
        json j = streamItem(s);
        j["number_of_secondary_audio_ref_entries"] = s.number_of_secondary_audio_ref_entries;
        j["secondary_audio_stream_id_ref"] = refs(s.secondary_audio_stream_id_ref);
        j["number_of_PiP_PG_textST_ref_entries"] = s.number_of_PiP_PG_textST_ref_entries;
        j["PiP_PG_textST_stream_id_ref"] = refs(s.PiP_PG_textST_stream_id_ref);
        secV.push_back(std::move(j));
    }
    json j{{"length", t.length},
           {"reserved", t.reserved},
           {"number_of_primary_video_stream_entries", t.number_of_primary_video_stream_entries},
           {"number_of_primary_audio_stream_entries", t.number_of_primary_audio_stream_entries},
           {"number_of_PG_textST_stream_entries", t.number_of_PG_textST_stream_entries},
           {"number_of_IG_stream_entries", t.number_of_IG_stream_entries},
           {"number_of_secondary_audio_stream_entries", t.number_of_secondary_audio_stream_entries},
           {"number_of_secondary_video_stream_entries", t.number_of_secondary_video_stream_entries},
           {"number_of_PiP_PG_textST_stream_entries_plus", t.number_of_PiP_PG_textST_stream_entries_plus},
           {"primary_video_streams", items(t.primary_video)},
           {"primary_audio_streams", items(t.primary_audio)},
           {"PG_textST_streams", items(t.PG_textST)},
           {"IG_streams", items(t.IG)},
           {"secondary_audio_streams", secA},
           {"secondary_video_streams", secV}};
    addSpare(j, "spare", t.spare);
    return j;
}

json playItem(const TPlayItem& p) {
    json j{{"length", p.length},
           {"Clip_Information_file_name", jsonText(p.Clip_Information_file_name)},
           {"Clip_codec_identifier", jsonText(p.Clip_codec_identifier)},
           {"is_multi_angle", p.is_multi_angle},
           {"connection_condition", p.connection_condition},
           {"ref_to_STC_id", p.ref_to_STC_id},
           {"IN_time", p.IN_time},
           {"OUT_time", p.OUT_time},
           {"UO_mask_table", {p.UO_mask_table[0], p.UO_mask_table[1]}},
           {"PlayItem_random_access_flag", p.PlayItem_random_access_flag},
           {"still_mode", p.still_mode},
           {"still_time", p.still_time}};
    if (p.is_multi_angle) {
        json angles = json::array();
        for (const TClipRef& c : p.multi_clip.angles) angles.push_back(clipRef(c));
        j["multi_clip"] = {{"number_of_angles", p.multi_clip.number_of_angles},
                           {"is_different_audios", p.multi_clip.is_different_audios},
                           {"is_seamless_angle_change", p.multi_clip.is_seamless_angle_change},
                           {"angles", angles}};
    }
    j["STN_table"] = stn(p.STN_table);
    addSpare(j, "spare", p.spare);
    return j;
}

json subPath(const TSubPath& sp) {
    json items = json::array();
    for (const TSubPlayItem& s : sp.SubPlayItems) {
        json j{{"length", s.length},
               {"Clip_Information_file_name", jsonText(s.Clip_Information_file_name)},
               {"Clip_codec_identifier", jsonText(s.Clip_codec_identifier)},
               {"SP_connection_condition", s.SP_connection_condition},
               {"is_multi_Clip_entries", s.is_multi_Clip_entries},
               {"ref_to_STC_id", s.ref_to_STC_id},
               {"SubPlayItem_IN_time", s.SubPlayItem_IN_time},
               {"SubPlayItem_OUT_time", s.SubPlayItem_OUT_time},
               {"sync_PlayItem_id", s.sync_PlayItem_id},
               {"sync_start_PTS_of_PlayItem", s.sync_start_PTS_of_PlayItem}};
        if (s.is_multi_Clip_entries) {
            json clips = json::array();
            for (const TClipRef& c : s.clip_entries) clips.push_back(clipRef(c));
            j["number_of_Clip_entries"] = s.number_of_Clip_entries;
            j["Clip_entries"] = clips;
        }
        addSpare(j, "spare", s.spare);
        items.push_back(std::move(j));
    }
    json j{{"length", sp.length},
           {"SubPath_type", sp.SubPath_type},
           {"is_repeat_SubPath", sp.repeat & 1u},
           {"repeat_word", sp.repeat},
           {"number_of_SubPlayItems", sp.number_of_SubPlayItems},
           {"SubPlayItems", items}};
    addSpare(j, "spare", sp.spare);
    return j;
}

}  // namespace

json toJson(const TMPLS& m) {
    const TAppInfoPlayList& a = m.AppInfoPlayList;
    json app{{"length", a.length},
             {"reserved", a.reserved},
             {"PlayList_playback_type", a.PlayList_playback_type},
             {"playback_count", a.playback_count},
             {"UO_mask_table", {a.UO_mask_table[0], a.UO_mask_table[1]}},
             {"PlayList_random_access_flag", a.PlayList_random_access_flag},
             {"audio_mix_app_flag", a.audio_mix_app_flag},
             {"lossless_may_bypass_mixer_flag", a.lossless_may_bypass_mixer_flag}};
    addSpare(app, "spare", a.spare);

    const TPlayList& pl = m.PlayList;
    json items = json::array();
    for (const TPlayItem& p : pl.PlayItems) items.push_back(playItem(p));
    json paths = json::array();
    for (const TSubPath& sp : pl.SubPaths) paths.push_back(subPath(sp));
    json list{{"length", pl.length},
              {"reserved", pl.reserved},
              {"number_of_PlayItems", pl.number_of_PlayItems},
              {"number_of_SubPaths", pl.number_of_SubPaths},
              {"PlayItems", items},
              {"SubPaths", paths}};
    addSpare(list, "spare", pl.spare);

    json marks = json::array();
    for (const TPlayListMarkEntry& k : m.PlayListMark.marks)
        marks.push_back({{"mark_type", k.mark_type},
                         {"ref_to_PlayItem_id", k.ref_to_PlayItem_id},
                         {"mark_time_stamp", k.mark_time_stamp},
                         {"entry_ES_PID", k.entry_ES_PID},
                         {"duration", k.duration}});
    json markSection{{"length", m.PlayListMark.length},
                     {"number_of_PlayList_marks", m.PlayListMark.number_of_PlayList_marks},
                     {"PlayListMarks", marks}};
    addSpare(markSection, "spare", m.PlayListMark.spare);

    json j{{"type_indicator", jsonText(m.type_indicator)},
           {"version_number", jsonText(m.version_number)},
           {"PlayList_start_address", m.PlayList_start_address},
           {"PlayListMark_start_address", m.PlayListMark_start_address},
           {"ExtensionData_start_address", m.ExtensionData_start_address},
           {"reserved", hexText(m.reserved)},
           {"AppInfoPlayList", app}};
    addSpare(j, "spare_after_AppInfoPlayList", m.spare_after_AppInfoPlayList);
    j["PlayList"] = list;
    addSpare(j, "spare_after_PlayList", m.spare_after_PlayList);
    if (m.PlayListMark_start_address != 0) j["PlayListMark"] = markSection;
    addSpare(j, "spare_after_PlayListMark", m.spare_after_PlayListMark);
    if (m.ExtensionData_start_address != 0) {
        j["ExtensionData"] = toJson(m.ExtensionData);
        json hdr = json::array();
        for (const TStaticHdrMetadata& r : staticHdrMetadata(m.ExtensionData))
            hdr.push_back({{"dynamic_range_type", r.dynamic_range_type},
                           {"dynamic_range", dynamicRangeName(r.dynamic_range_type)},
                           {"display_primaries_x", r.display_primaries_x},
                           {"display_primaries_y", r.display_primaries_y},
                           {"white_point_x", r.white_point_x},
                           {"white_point_y", r.white_point_y},
                           {"max_display_mastering_luminance", r.max_display_mastering_luminance},
                           {"min_display_mastering_luminance", r.min_display_mastering_luminance},
                           {"max_CLL", r.max_CLL},
                           {"max_FALL", r.max_FALL}});
        if (!hdr.empty()) j["static_HDR_metadata"] = hdr;
    }
    return j;
}

}  // namespace navora
