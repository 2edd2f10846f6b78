// menu dump FILE, menu objects FILE -o DIR, menu save IN OUT.mnu, mux IN.mnu -o OUT.m2ts
// (menu render and menu play: cmd_menu_preview.cpp)

#include "cli/commands.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/filenames.h"
#include "ig/export.h"
#include "ig/json.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/objects.h"
#include "ig/save.h"
#include "ts/demux.h"
#include "ts/programmap.h"
#include "ts/sourcepacket.h"

#include <fmt/format.h>

#include <cstdio>
#include <memory>
#include <string>

namespace navora::cli {

namespace {

// A transport stream: 192-byte source packets with the sync byte at offset 4.
bool looksLikeTransportStream(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size < kSourcePacketBytes || size % kSourcePacketBytes != 0) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::uint8_t head[5] = {};
    const bool read = std::fread(head, 1, sizeof head, f) == sizeof head;
    std::fclose(f);
    return read && head[4] == kSyncByte;
}

// The .mnu form of a menu file, or of the Interactive Graphics PID of a
// transport stream (the first PID of stream type 0x91 in its program map).
Bytes menuRecords(const std::string& path) {
    if (!looksLikeTransportStream(path)) return readDatabaseFile(path, kMaxMenuFileSize);
    const auto pid = firstPidOfType(readProgramMap(fs::path(path)), kIgStreamType);
    if (!pid) throw FormatError(path, 0, "not a menu: the transport stream has no Interactive Graphics stream (type 0x91)");
    Bytes mnu;
    const DemuxResult r = demuxMenu(path, *pid, mnu);
    for (const std::string& problem : demuxProblems(r))
        std::fprintf(stderr, "navora-cli: warning: %s: %s\n", path.c_str(), problem.c_str());
    return mnu;
}

}  // namespace

TIGSc loadMenuFile(const std::string& path) {
    const Bytes data = menuRecords(path);
    requireMenuRecord(data, path);
    MenuLoadReport report;
    TIGSc menu = loadMNU(data, path, &report);
    for (const std::string& w : report.warnings)
        std::fprintf(stderr, "navora-cli: warning: %s: %s\n", path.c_str(), w.c_str());
    if (!report.icsFound)
        throw FormatError(path, 0, "not a menu: no interactive composition segment (ICS) found");
    return menu;
}

namespace {

TIGSc loadMenu(const std::string& path) { return loadMenuFile(path); }

}  // namespace

void registerMenuCommands(CLI::App& app, CliState& state) {
    auto* menu = app.add_subcommand("menu", "Read, export and write Interactive Graphics menus (.mnu).");
    menu->require_subcommand(1);

    auto dumpFile = std::make_shared<std::string>();
    auto* dump = menu->add_subcommand("dump", "Print the whole menu model as JSON.");
    dump->add_option("FILE", *dumpFile, "The menu (.mnu, or a transport stream with an IG stream)")->required();
    dump->callback([dumpFile, &state] {
        guarded(state, [&] {
            const TIGSc m = loadMenu(*dumpFile);
            const auto j = toJson(m);
            std::printf("%s\n", j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
        });
    });

    struct ObjectsArgs {
        std::string in, dir;
    };
    auto objectsArgs = std::make_shared<ObjectsArgs>();
    auto* objects = menu->add_subcommand(
        "objects", "Write every object as an 8-bit palette PNG, with the palette of the page that uses it.");
    objects->add_option("FILE", objectsArgs->in, "The menu (.mnu, or a transport stream with an IG stream)")->required();
    objects->add_option("-o,--output", objectsArgs->dir, "The folder for the images (created when missing)")
        ->required();
    objects->callback([objectsArgs, &state] {
        guarded(state, [&] {
            TIGSc m = loadMenu(objectsArgs->in);
            const fs::path dir = objectsArgs->dir;
            fs::create_directories(dir);
            std::size_t written = 0;
            for (std::size_t o = 0; o < m.objects.size(); ++o) {
                const TIGobject& obj = m.objects[o];
                if (!obj.defined() || obj.width == 0 || obj.height == 0) continue;
                const std::size_t p = paletteForObject(m, o).value_or(0);
                const std::string name = objectImageName(o, p) + ".png";
                saveAtomic(dir / name, objectImagePng(m, o, p, mainWindowTitle("")));
                std::printf("%s %ux%u\n", name.c_str(), unsigned{obj.width}, unsigned{obj.height});
                ++written;
            }
            std::printf("%zu object images written to %s\n", written, dir.string().c_str());
        });
    });

    struct SaveArgs {
        std::string in, out;
    };
    auto saveArgs = std::make_shared<SaveArgs>();
    auto* save = menu->add_subcommand("save", "Read a menu and write it with Navora's writer as a .mnu file.");
    save->add_option("IN", saveArgs->in, "The menu to read (.mnu, or a transport stream with an IG stream)")->required();
    save->add_option("OUT", saveArgs->out, "The .mnu file to write (replaced atomically)")->required();
    save->callback([saveArgs, &state] {
        guarded(state, [&] {
            TIGSc m = loadMenu(saveArgs->in);
            saveAtomic(saveArgs->out, saveIGS(m, IgsForm::Mnu));
        });
    });

    registerMenuPreviewCommands(*menu, state);

    auto muxArgs = std::make_shared<SaveArgs>();
    auto* mux = app.add_subcommand("mux", "Write a menu as a stand-alone transport stream (IG on PID 0x1400).");
    mux->add_option("IN", muxArgs->in, "The menu to read (.mnu, or a transport stream with an IG stream)")->required();
    mux->add_option("-o,--output", muxArgs->out, "The .m2ts file to write (replaced atomically)")->required();
    mux->callback([muxArgs, &state] {
        guarded(state, [&] {
            TIGSc m = loadMenu(muxArgs->in);
            MuxReport report;
            const Bytes ts = Mux(m, &report);
            if (report.muxError) throw std::runtime_error("Mux error");
            saveAtomic(muxArgs->out, ts);
        });
    });
}

}  // namespace navora::cli
