#include "clip/json.h"

#include "core/json.h"

namespace navora {

namespace {

using json = nlohmann::ordered_json;

json clipInfoJson(const TClipInfo& ci) {
    json j{{"length", ci.length},
           {"clip_stream_type", ci.clip_stream_type},
           {"application_type", ci.application_type},
           {"is_ATC_delta", ci.is_ATC_delta},
           {"TS_recording_rate", ci.TS_recording_rate},
           {"number_of_source_packets", ci.number_of_source_packets},
           {"TS_type_info_block",
            {{"length", ci.TS_type_info_block_length},
             {"Validity_flags", ci.Validity_flags},
             {"Format_identifier", jsonText(ci.Format_identifier)}}}};
    if (ci.is_ATC_delta == 1) {
        json deltas = json::array();
        for (const TATCDelta& d : ci.ATC_deltas)
            deltas.push_back({{"ATC_delta", d.ATC_delta},
                              {"following_Clip_Information_file_name", jsonText(d.following_Clip_Information_file_name)},
                              {"Clip_codec_identifier", jsonText(d.Clip_codec_identifier)}});
        j["number_of_ATC_delta_entries"] = ci.ATC_deltas.size();
        j["ATC_delta_entries"] = deltas;
    }
    if (ci.application_type == 6) {
        json fonts = json::array();
        for (const std::string& f : ci.font_file_names) fonts.push_back(jsonText(f));
        j["number_of_font_files"] = ci.font_file_names.size();
        j["font_file_names"] = fonts;
    }
    return j;
}

json sequenceInfoJson(const TSequenceInfo& si) {
    json atcs = json::array();
    for (const TATC_sequences& a : si.ATC_sequences) {
        json stcs = json::array();
        for (const TSTCSequence& s : a.STC_sequences)
            stcs.push_back({{"PCR_PID", s.PCR_PID},
                            {"SPN_STC_start", s.SPN_STC_start},
                            {"presentation_start_time", s.presentation_start_time},
                            {"presentation_end_time", s.presentation_end_time}});
        atcs.push_back({{"SPN_ATC_start", a.SPN_ATC_start},
                        {"number_of_STC_sequences", a.STC_sequences.size()},
                        {"offset_STC_id", a.offset_STC_id},
                        {"STC_sequences", stcs}});
    }
    return {{"length", si.length}, {"number_of_ATC_sequences", si.ATC_sequences.size()}, {"ATC_sequences", atcs}};
}

json streamJson(const TProgramStream& s) {
    const std::uint8_t t = s.stream_coding_type;
    json info{{"length", s.length}, {"stream_coding_type", t}};
    if (isVideoCodingType(t)) {
        info["video_format"] = s.video_format;
        info["frame_rate"] = s.frame_rate;
        info["aspect_ratio"] = s.aspect_ratio;
        if (isHevcCodingType(t)) {
            info["cr_flag"] = s.video_flag;
            info["dynamic_range_type"] = s.dynamic_range_type;
            info["dynamic_range"] = dynamicRangeName(s.dynamic_range_type);
            info["color_space"] = s.color_space;
            info["colour_space"] = colourSpaceName(s.color_space);
            info["HDR_plus_flag"] = s.hdr_plus_flag;
        } else {
            info["video_flag"] = s.video_flag;
        }
    } else if (isAudioCodingType(t)) {
        info["audio_presentation_type"] = s.audio_presentation_type;
        info["sampling_frequency"] = s.sampling_frequency;
        info["language_code"] = jsonText(s.language_code);
    } else if (isGraphicsCodingType(t)) {
        info["language_code"] = jsonText(s.language_code);
    } else if (isTextCodingType(t)) {
        info["character_code"] = s.character_code;
        info["language_code"] = jsonText(s.language_code);
    }
    if (isKnownCodingType(t))
        info["ISRC"] = {{"country_code", jsonText(s.country_code)},
                        {"registrant_code", jsonText(s.registrant_code)},
                        {"recording_year", jsonText(s.recording_year)},
                        {"recording_number", jsonText(s.recording_number)}};
    return {{"stream_PID", s.stream_PID}, {"StreamCodingInfo", info}};
}

json programInfoJson(const TProgramInfo& pi) {
    json seqs = json::array();
    for (const TProgram_sequences& ps : pi.program_sequences) {
        json streams = json::array();
        for (const TProgramStream& s : ps.streams) streams.push_back(streamJson(s));
        seqs.push_back({{"SPN_program_sequence_start", ps.SPN_program_sequence_start},
                        {"program_map_PID", ps.program_map_PID},
                        {"number_of_streams_in_ps", ps.streams.size()},
                        {"streams", streams}});
    }
    return {{"length", pi.length},
            {"number_of_program_sequences", pi.program_sequences.size()},
            {"program_sequences", seqs}};
}

json cpiJson(const TCPI& cpi) {
    json j{{"length", cpi.length}};
    if (cpi.length == 0) return j;
    json entries = json::array();
    for (std::size_t i = 0; i < cpi.stream_PID_entries.size(); ++i) {
        const TEPStreamPID& e = cpi.stream_PID_entries[i];
        json coarse = json::array();
        json fine = json::array();
        if (i < cpi.EP_maps.size()) {
            for (const TEPCoarse& c : cpi.EP_maps[i].coarse)
                coarse.push_back({{"ref_to_EP_fine_id", c.ref_to_EP_fine_id},
                                  {"PTS_EP_coarse", c.PTS_EP_coarse},
                                  {"SPN_EP_coarse", c.SPN_EP_coarse}});
            for (const TEPFine& f : cpi.EP_maps[i].fine)
                fine.push_back({{"is_angle_change_point", f.is_angle_change_point},
                                {"I_end_position_offset", f.I_end_position_offset},
                                {"PTS_EP_fine", f.PTS_EP_fine},
                                {"SPN_EP_fine", f.SPN_EP_fine}});
        }
        json entry{{"stream_PID", e.stream_PID},
                   {"EP_stream_type", e.EP_stream_type},
                   {"number_of_EP_coarse_entries", e.number_of_EP_coarse_entries},
                   {"number_of_EP_fine_entries", e.number_of_EP_fine_entries},
                   {"EP_map_for_one_stream_PID_start_address", e.EP_map_for_one_stream_PID_start_address}};
        if (i < cpi.EP_maps.size()) {
            entry["EP_map_for_one_stream_PID"] = {{"EP_fine_table_start_address",
                                                   cpi.EP_maps[i].EP_fine_table_start_address},
                                                  {"EP_coarse_entries", coarse},
                                                  {"EP_fine_entries", fine}};
        }
        entries.push_back(std::move(entry));
    }
    j["CPI_type"] = cpi.CPI_type;
    j["EP_map"] = {{"number_of_stream_PID_entries", cpi.stream_PID_entries.size()}, {"stream_PID_entries", entries}};
    return j;
}

}  // namespace

json toJson(const TCLPI& x) {
    json j{{"type_indicator", jsonText(x.type_indicator)},
           {"version_number", jsonText(x.version_number)},
           {"SequenceInfo_start_address", x.SequenceInfo_start_address},
           {"ProgramInfo_start_address", x.ProgramInfo_start_address},
           {"CPI_start_address", x.CPI_start_address},
           {"ClipMark_start_address", x.ClipMark_start_address},
           {"ExtensionData_start_address", x.ExtensionData_start_address},
           {"ClipInfo", clipInfoJson(x.ClipInfo)},
           {"SequenceInfo", sequenceInfoJson(x.SequenceInfo)},
           {"ProgramInfo", programInfoJson(x.ProgramInfo)},
           {"CPI", cpiJson(x.CPI)},
           {"ClipMark", {{"length", x.ClipMark_length}}}};
    if (x.ExtensionData_start_address != 0) j["ExtensionData"] = toJson(x.ExtensionData);
    return j;
}

}  // namespace navora
