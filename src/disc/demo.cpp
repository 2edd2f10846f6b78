#include "disc/demo.h"

#include "core/fileio.h"
#include "disc/demo_menu.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"

#include <initializer_list>

namespace navora {

namespace fs = std::filesystem;

namespace {

Tmobject object(std::uint8_t resume, std::uint8_t menuCall, std::uint8_t titleSearch,
                std::initializer_list<TCommand> commands) {
    Tmobject o;
    o.resume_intention_flag = resume;
    o.menu_call_mask = menuCall;
    o.title_search_mask = titleSearch;
    o.commands.assign(commands);
    return o;
}

// Five movie objects whose programs show every kind of row the command grid
// paints: valid commands, commands forbidden in movie objects, invalid words.
TMOBJ demoMovieObjects() {
    TMOBJ m;
    auto& objects = m.mobjs.objects;
    // 0: title 1, the main movie: counts its plays in GPR0 and plays playlist 0.
    objects.push_back(object(1, 0, 0,
                             {
                                 {{0x50400001, 0x00000000, 0x00000000}},  // Move GPR0, 0
                                 {{0x50000001, 0x00000001, 0x80000004}},  // Move GPR1, PSR4
                                 {{0x50400003, 0x00000000, 0x00000001}},  // Add GPR0, 1
                                 {{0x51C00001, 0x8001C002, 0x00000000}},  // SetStream audio 1, PG 2 displayed
                                 {{0x48400200, 0x00000000, 0x00000003}},  // EQ GPR0, 3
                                 {{0x20810000, 0x00000008, 0x00000000}},  // GoTo 8
                                 {{0x22800000, 0x00000000, 0x00000000}},  // Play PL 0
                                 {{0x20810000, 0x00000002, 0x00000000}},  // GoTo 2
                                 {{0x21810000, 0x00000002, 0x00000000}},  // Jump Title 2
                             }));
    // 1: Top Menu: plays the menu playlist and holds; two words a movie object may not use.
    objects.push_back(object(0, 1, 1,
                             {
                                 {{0x22800000, 0x00000001, 0x00000000}},  // Play PL 1
                                 {{0x11000008, 0x00000000, 0x00000000}},  // Still On (forbidden here)
                                 {{0x22050000, 0x00000000, 0x00000000}},  // Link MK GPR0 (forbidden here)
                                 {{0x21810000, 0x00000001, 0x00000000}},  // Jump Title 1
                             }));
    // 2: First Playback: keeps a language code in GPR10 and goes to the menu.
    objects.push_back(object(0, 0, 0,
                             {
                                 {{0x50400001, 0x0000000A, 0x00656E67}},  // Move GPR10, "eng"
                                 {{0x48000200, 0x00000003, 0x80000004}},  // EQ GPR3, PSR4
                                 {{0x21820000, 0x00000001, 0x00000000}},  // Call Object 1
                                 {{0x21800000, 0x00000001, 0x00000000}},  // Jump Object 1
                             }));
    // 3: title 2: words that are no valid command.
    objects.push_back(object(0, 0, 1,
                             {
                                 {{0x12345678, 0x00000000, 0x00000000}},  // invalid opcode
                                 {{0x48800100, 0x00000000, 0x00000000}},  // BC with an invalid operand form
                                 {{0x00000000, 0x00000000, 0x00000000}},  // NOP
                                 {{0x00020000, 0x00000000, 0x00000000}},  // Break
                             }));
    // 4: title 4: a sub-program that calls the main title and resumes.
    objects.push_back(object(1, 1, 0,
                             {
                                 {{0x21830000, 0x00000001, 0x00000000}},  // Call Title 1
                                 {{0x01040000, 0x00000000, 0x00000000}},  // Resume
                             }));
    m.mobjs.length = movieObjectsLength(m.mobjs);
    return m;
}

TTitle title(ObjectType objectType, AccessType access, PlaybackType playback, std::uint16_t ref,
             const char* bdjo = "") {
    TTitle t;
    t.object_type = objectType;
    t.access_type = access;
    t.playback_type = playback;
    t.mobj_id_ref = ref;
    t.bdjo_file_name = bdjo;
    return t;
}

TINDX demoIndex() {
    TINDX x;
    x.content_provider = "Navora demo disc";
    auto& ix = x.indexes;
    ix.first_playback.object_type = ObjectType::HDMV;
    ix.first_playback.playback_type = PlaybackType::Interactive;
    ix.first_playback.mobj_id_ref = 2;
    ix.top_menu.object_type = ObjectType::HDMV;
    ix.top_menu.playback_type = PlaybackType::Interactive;
    ix.top_menu.mobj_id_ref = 1;
    ix.titles = {
        title(ObjectType::HDMV, AccessType::Permitted, PlaybackType::Movie, 0),
        title(ObjectType::HDMV, AccessType::Prohibited1, PlaybackType::Interactive, 3),
        // A BD-J title of playback type 2 (a BD-J movie title) on BDJO/00001.
        title(ObjectType::BDJ, AccessType::Permitted, PlaybackType{2}, 0, "00001"),
        title(ObjectType::HDMV, AccessType::Prohibited2, PlaybackType::Movie, 4),
    };
    for (std::size_t i = 0; i < ix.titles.size(); ++i) ix.titles[i].title_number = static_cast<std::uint32_t>(i + 1);
    ix.length = indexesLength(ix);
    return x;
}

}  // namespace

TCLPI demoClipInfo(std::string_view version, std::uint32_t rate, std::uint32_t packets, std::uint16_t pcrPid,
                   std::uint32_t start, std::uint32_t end, std::uint16_t pmtPid, std::vector<TProgramStream> streams) {
    TCLPI clip;
    clip.type_indicator = "HDMV";
    clip.version_number = std::string(version);
    TClipInfo& ci = clip.ClipInfo;
    ci.clip_stream_type = 1;
    ci.application_type = 1;  // main TS of a movie
    ci.TS_recording_rate = rate;
    ci.number_of_source_packets = packets;
    ci.TS_type_info_block_length = 30;
    ci.Validity_flags = 0x80;
    ci.Format_identifier = "HDMV";
    TATC_sequences atc;
    atc.STC_sequences.push_back({pcrPid, 0, start, end});
    clip.SequenceInfo.ATC_sequences = {atc};
    TProgram_sequences program;
    program.program_map_PID = pmtPid;
    program.streams = std::move(streams);
    clip.ProgramInfo.program_sequences = {program};
    return clip;
}

void makeDemoDisc(const fs::path& root) {
    // The disc is made in a staging folder and moved into root/BDMV only when
    // every file is written: a full disk leaves nothing behind.
    StagedFolder staged(root / "BDMV");
    const fs::path& bdmv = staged.path();
    for (const char* sub : {"PLAYLIST", "CLIPINF", "STREAM", "BACKUP", "AUXDATA", "BDJO", "JAR", "META"})
        fs::create_directories(bdmv / sub);
    const Bytes index = writeIndex(demoIndex());
    const Bytes mobj = writeMovieObjects(demoMovieObjects());
    saveAtomic(bdmv / "index.bdmv", index);
    saveAtomic(bdmv / "MovieObject.bdmv", mobj);
    saveAtomic(bdmv / "BACKUP" / "index.bdmv", index);
    saveAtomic(bdmv / "BACKUP" / "MovieObject.bdmv", mobj);
    writeDemoSoundAndBdj(bdmv);
    writeDemoPlaylists(bdmv);
    writeDemoMenuClip(bdmv);
    staged.commit();
}

}  // namespace navora
