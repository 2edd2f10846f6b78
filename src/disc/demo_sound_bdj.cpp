// The demo disc's sound.bdmv (two synthesised tones) and its BD-J object.

#include "bdj/bdjo_io.h"
#include "core/fileio.h"
#include "disc/demo.h"
#include "sound/sound_io.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace navora {

namespace fs = std::filesystem;

namespace {

// A sine tone of `frames` 48 kHz frames per channel, 16-bit big-endian, with
// a short fade at both ends so that it starts and stops without a click.
// One frequency per channel; two channels are interleaved left/right.
Bytes tone(std::size_t frames, std::initializer_list<double> hz) {
    Bytes out;
    out.reserve(frames * hz.size() * 2);
    const double fade = 480;  // 10 ms
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 48000.0;
        const double edge = std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(frames - 1 - i) / fade});
        for (double f : hz) {
            const auto v = static_cast<std::int16_t>(std::lround(9000.0 * edge * std::sin(2 * std::numbers::pi * f * t)));
            const auto u = static_cast<std::uint16_t>(v);
            out.push_back(static_cast<std::uint8_t>(u >> 8));
            out.push_back(static_cast<std::uint8_t>(u));
        }
    }
    return out;
}

TSoundEntry entry(SoundChannels channels, Bytes data) {
    TSoundEntry e;
    e.channel_configuration = channels;
    e.data = std::move(data);
    return e;
}

// Entry 0: a mono "select" blip whose length (an odd number of samples) is
// followed by the two padding bytes; entry 1: a stereo "activate" chord.
TSND demoSound() {
    TSND s;
    s.entries.push_back(entry(SoundChannels::Mono, tone(12001, {880.0})));
    s.entries.push_back(entry(SoundChannels::Stereo, tone(14400, {523.25, 659.25})));
    layoutSound(s);
    return s;
}

// BDJO/00001.bdjo, the object of the demo index's BD-J title: one application
// that may play every playlist and listens to Play, Stop and Pause.
TBDJO demoBdjo() {
    TBDJO b;
    b.type_indicator = "BDJO";
    b.version_number = "0200";
    b.terminal_info.default_font_file_name = "*****";
    b.terminal_info.initial_HAVi_configuration_id = 1;
    b.terminal_info.menu_call_mask = false;
    b.terminal_info.title_search_mask = true;
    b.app_cache_info.entries.push_back({1, "00000", "*.*"});
    b.accessible_playlists.access_to_all_flag = true;
    b.accessible_playlists.autostart_first_PlayList_flag = false;
    b.accessible_playlists.PlayList_file_name = {"00000", "00001"};
    Tapplication a;
    a.application_control_code = 1;  // autostart
    a.application_type = 0x10;
    a.organization_id = 0x7FFF0001;
    a.application_id = 0x4000;
    a.descriptor_tag = 0x00;
    a.profiles.push_back({1, 1, 0, 0});
    a.application_priority = 1;
    a.binding = 3;
    a.visibility = 2;
    a.names.push_back({"eng", "Navora demo"});
    a.names.push_back({"fra", "Demo"});
    a.base_directory = "00000";
    a.initial_class_name = "org.navora.demo.Main";
    a.parameters = {"menu", "lang=eng"};
    b.applications.applications.push_back(std::move(a));
    b.key_interest = (1u << static_cast<unsigned>(BdjKey::Play)) | (1u << static_cast<unsigned>(BdjKey::Stop)) |
                     (1u << static_cast<unsigned>(BdjKey::Pause));
    b.file_access_info.directory_path = "ADV_OBJ";
    return b;
}

}  // namespace

void writeDemoSoundAndBdj(const fs::path& bdmv) {
    fs::create_directories(bdmv / "AUXDATA");
    fs::create_directories(bdmv / "BDJO");
    saveAtomic(bdmv / "AUXDATA" / "sound.bdmv", writeSound(demoSound()));
    saveAtomic(bdmv / "BDJO" / "00001.bdjo", writeBdjo(demoBdjo()));
}

}  // namespace navora
