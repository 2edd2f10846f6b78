#include "ig/json.h"

#include "ig/load.h"
#include "ig/objects.h"
#include "nav/disasm.h"

#include <fmt/format.h>

namespace navora {

namespace {

using json = nlohmann::ordered_json;

json fragmentsJson(const std::vector<TIGfragment>& fragments, bool withVersion) {
    json a = json::array();
    for (const TIGfragment& f : fragments) {
        json j;
        if (withVersion) j["version"] = f.version;
        j["first_in_sequence"] = (f.sequence_flags & kFirstInSequence) != 0;
        j["last_in_sequence"] = (f.sequence_flags & kLastInSequence) != 0;
        j["length"] = f.length;
        a.push_back(std::move(j));
    }
    return a;
}

json effectsJson(const Teffectseq& seq) {
    json windows = json::array();
    for (std::size_t i = 0; i < seq.number_of_windows && i < seq.windows.size(); ++i) {
        const TEffWindow& w = seq.windows[i];
        windows.push_back({{"window_id", w.window_id},
                           {"window_horizontal_position", w.window_horizontal_position},
                           {"window_vertical_position", w.window_vertical_position},
                           {"window_width", w.window_width},
                           {"window_height", w.window_height}});
    }
    json effects = json::array();
    for (const Teffect& e : seq.effects) {
        json objects = json::array();
        for (const TCompObject& c : e.composition_objects) {
            json j{{"object_id_ref", c.object_id_ref},
                   {"window_id_ref", c.window_id_ref},
                   {"object_cropped_flag", c.cropped() ? 1 : 0},
                   {"forced_on_flag", (c.flags & kForcedOn) ? 1 : 0},
                   {"composition_object_horizontal_position", c.composition_object_horizontal_position},
                   {"composition_object_vertical_position", c.composition_object_vertical_position}};
            if (c.cropped()) {
                j["cropping_horizontal_position"] = c.cropping_horizontal_position;
                j["cropping_vertical_position"] = c.cropping_vertical_position;
                j["cropping_width"] = c.cropping_width;
                j["cropping_height"] = c.cropping_height;
            }
            objects.push_back(std::move(j));
        }
        effects.push_back({{"effect_duration", e.effect_duration},
                           {"palette_id_ref", e.palette_id_ref},
                           {"number_of_composition_objects", e.composition_objects.size()},
                           {"composition_objects", objects}});
    }
    return {{"number_of_windows", seq.number_of_windows},
            {"windows", windows},
            {"number_of_effects", seq.effects.size()},
            {"effects", effects}};
}

json buttonJson(const TIGbutton& b) {
    json commands = json::array();
    for (std::size_t i = 0; i < b.commands.size(); ++i) {
        const TCommand& c = b.commands[i];
        commands.push_back({{"words", {hex8(c.w[0]), hex8(c.w[1]), hex8(c.w[2])}},
                            {"line", comm2str(c, i, CommandContext::Button).line}});
    }
    return {{"button_id", b.button_id},
            {"button_numeric_select_value", b.button_numeric_select_value},
            {"auto_action_flag", b.auto_action_flag},
            {"button_horizontal_position", b.button_horizontal_position},
            {"button_vertical_position", b.button_vertical_position},
            {"upper_button_id_ref", b.upper_button_id_ref},
            {"lower_button_id_ref", b.lower_button_id_ref},
            {"left_button_id_ref", b.left_button_id_ref},
            {"right_button_id_ref", b.right_button_id_ref},
            {"normal_start_object_id_ref", b.normal_start_object_id_ref},
            {"normal_end_object_id_ref", b.normal_end_object_id_ref},
            {"normal_repeat_flag", b.normal_repeat_flag},
            {"normal_complete_flag", b.normal_complete_flag},
            {"selected_state_sound_id_ref", b.selected_state_sound_id_ref},
            {"selected_start_object_id_ref", b.selected_start_object_id_ref},
            {"selected_end_object_id_ref", b.selected_end_object_id_ref},
            {"selected_repeat_flag", b.selected_repeat_flag},
            {"selected_complete_flag", b.selected_complete_flag},
            {"activated_state_sound_id_ref", b.activated_state_sound_id_ref},
            {"activated_start_object_id_ref", b.activated_start_object_id_ref},
            {"activated_end_object_id_ref", b.activated_end_object_id_ref},
            {"number_of_navigation_commands", b.commands.size()},
            {"navigation_commands", commands}};
}

json pageJson(const TPage& p) {
    json bogs = json::array();
    for (const TBOG& bog : p.BOGs) {
        json buttons = json::array();
        for (const TIGbutton& b : bog.buttons) buttons.push_back(buttonJson(b));
        bogs.push_back({{"default_valid_button_id_ref", bog.default_valid_button_id_ref},
                        {"number_of_buttons", bog.buttons.size()},
                        {"buttons", buttons}});
    }
    return {{"page_id", p.page_id},
            {"page_version_number", p.page_version_number},
            {"UO_mask_table", fmt::format("{:08X}{:08X}", p.UO_mask_high, p.UO_mask_low)},
            {"in_effects", effectsJson(p.effects[InEffects])},
            {"out_effects", effectsJson(p.effects[OutEffects])},
            {"animation_frame_rate_code", p.animation_frame_rate_code},
            {"default_selected_button_id_ref", p.default_selected_button_id_ref},
            {"default_activated_button_id_ref", p.default_activated_button_id_ref},
            {"palette_id_ref", p.palette_id_ref},
            {"number_of_BOGs", p.BOGs.size()},
            {"BOGs", bogs}};
}

}  // namespace

json toJson(const TIGSc& m) {
    json j{{"video_width", m.video_width},
           {"video_height", m.video_height},
           {"frame_rate_id", m.frame_rate_id},
           {"composition_number", m.composition_number},
           {"composition_state", static_cast<int>(m.composition_state)},
           {"interactive_composition_data_length", m.interactive_composition_data_length},
           {"stream_model", static_cast<int>(m.stream_model)},
           {"user_interface_model", static_cast<int>(m.user_interface_model)}};
    if (hasTimeOuts(m)) {
        j["composition_time_out_pts"] = m.composition_time_out_pts;
        j["selection_time_out_pts"] = m.selection_time_out_pts;
    }
    j["user_time_out_duration"] = m.user_time_out_duration;
    j["in_time"] = m.in_time;
    j["in_time_text"] = igTimeText(m.in_time);
    j["number_of_pages"] = m.pages.size();
    json pages = json::array();
    for (const TPage& p : m.pages) pages.push_back(pageJson(p));
    j["pages"] = pages;
    j["ICS_segments"] = fragmentsJson(m.ics_segments, false);

    j["number_of_objects"] = m.objects.size();
    json objects = json::array();
    for (std::size_t o = 0; o < m.objects.size(); ++o) {
        const TIGobject& obj = m.objects[o];
        if (!obj.defined()) continue;
        objects.push_back({{"object_id", obj.object_id},
                           {"width", obj.width},
                           {"height", obj.height},
                           {"object_data_length", obj.object_data_length},
                           {"referenced", getobjref(m, o)},
                           {"segments", fragmentsJson(obj.fragments, true)}});
    }
    j["objects"] = objects;

    j["number_of_palettes"] = m.palettes.size();
    json palettes = json::array();
    for (std::size_t p = 0; p < m.palettes.size(); ++p) {
        const TIGpalette& pal = m.palettes[p];
        json entries = json::array();
        for (std::size_t e = 0; e < 256; ++e) {
            const TRGBA& c = pal.colours[e];
            const TYCrCb& y = pal.entries[e];
            if (c.zero() && y == TYCrCb{}) continue;
            entries.push_back({{"entry", e}, {"Y", y.Y}, {"Cr", y.Cr}, {"Cb", y.Cb}, {"T", c.T},
                               {"R", c.R}, {"G", c.G}, {"B", c.B}});
        }
        palettes.push_back({{"index", p},
                            {"palette_id", pal.palette_id},
                            {"palette_version_number", pal.palette_version_number},
                            {"referenced", getpalref(m, p)},
                            {"entries", entries}});
    }
    j["palettes"] = palettes;
    return j;
}

}  // namespace navora
