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
#include <optional>
#include <string>

namespace navora::cli {

namespace {

// A transport stream, known by its packet structure as the demultiplexer
// knows it: 192-byte source packets whose sync byte (at offset 4) lines up
// for most of the first packets. A file cut mid-packet or with one damaged
// sync byte is still a stream.
bool looksLikeTransportStream(const std::string& path) {
    constexpr std::size_t kProbe = 8;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::uint8_t head[kProbe * kSourcePacketBytes] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    std::size_t packets = 0, synced = 0;
    for (std::size_t at = kTpExtraHeaderBytes; at < got; at += kSourcePacketBytes) {
        ++packets;
        if (head[at] == kSyncByte) ++synced;
    }
    if (packets == 1) return synced == 1 && got >= kTpExtraHeaderBytes + 4;
    return synced >= 2 && 2 * synced >= packets;
}

// The first PID of the Interactive Graphics range (0x1400..0x14FF) among the
// whole packets of the first 4 MB of a stream file.
std::optional<std::uint16_t> firstIgRangePid(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::uint8_t sp[kSourcePacketBytes];
    std::optional<std::uint16_t> found;
    for (int n = 0; !found && n < (4 << 20) / static_cast<int>(kSourcePacketBytes) && std::fread(sp, 1, sizeof sp, f) == sizeof sp; ++n)
        if (sp[4] == kSyncByte && (packetPid(sp) & 0xFF00) == kIgPid) found = packetPid(sp);
    std::fclose(f);
    return found;
}

struct MenuRecords {
    Bytes data;
    std::optional<std::uint16_t> pid;  // the IG PID when the data came from a transport stream
};

// The .mnu form of a menu file, or of the Interactive Graphics PID of a
// transport stream (the first PID of stream type 0x91 in its program map).
MenuRecords menuRecords(const std::string& path) {
    if (!looksLikeTransportStream(path)) return {readDatabaseFile(path, kMaxMenuFileSize), std::nullopt};
    auto pid = firstPidOfType(readProgramMap(fs::path(path)), kIgStreamType);
    // A damaged program map (its packet's sync byte, say): the menu of a BD
    // clip is on a PID of the Interactive Graphics range.
    if (!pid) pid = firstIgRangePid(path);
    if (!pid) throw FormatError(path, 0, "not a menu: the transport stream has no Interactive Graphics stream (type 0x91)");
    Bytes mnu;
    const DemuxResult r = demuxMenu(path, *pid, mnu);
    for (const std::string& problem : demuxProblems(r))
        std::fprintf(stderr, "navora-cli: warning: %s: %s\n", path.c_str(), problem.c_str());
    return {std::move(mnu), pid};
}

// Where byte `at` of a menu extracted from a stream came from: the offset in
// the stream file of the packet that starts the PES packet of its record
// (each record of the .mnu form is one PES packet of the PID).
std::optional<std::uint64_t> streamOffsetOf(const std::string& path, std::uint16_t pid, const Bytes& mnu,
                                            std::uint64_t at) {
    std::size_t record = 0;
    for (std::size_t pos = 0; pos + 13 <= mnu.size(); ++record) {
        const std::size_t next = pos + 13 + ((std::size_t{mnu[pos + 11]} << 8) | mnu[pos + 12]);
        if (at < next) break;
        pos = next;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::uint8_t sp[kSourcePacketBytes];
    std::size_t starts = 0;
    std::optional<std::uint64_t> found;
    for (std::uint64_t offset = 0; std::fread(sp, 1, sizeof sp, f) == sizeof sp; offset += sizeof sp)
        if (sp[4] == kSyncByte && packetPid(sp) == pid && payloadUnitStart(sp) && starts++ == record) {
            found = offset;
            break;
        }
    std::fclose(f);
    return found;
}

}  // namespace

TIGSc loadMenuFile(const std::string& path) {
    const MenuRecords records = menuRecords(path);
    const Bytes& data = records.data;
    if (!records.pid) requireMenuRecord(data, path);
    if (records.pid && data.empty())
        throw FormatError(path, 0, fmt::format("not a menu: the Interactive Graphics stream (PID 0x{:04X}) holds no "
                                               "complete segment", *records.pid));
    MenuLoadReport report;
    TIGSc menu;
    try {
        menu = loadMNU(data, path, &report);
    } catch (const FormatError& e) {
        // Page data errors count in the page data and say so.
        if (!records.pid || e.file() != path) throw;
        // Offsets in the named stream file, not in the menu data taken from it.
        const auto offset = streamOffsetOf(path, *records.pid, data, e.offset());
        throw FormatError(path, offset.value_or(0),
                          fmt::format("{} (in the packet of PID 0x{:04X} that starts the segment at byte {} of the "
                                      "stream's menu data)",
                                      e.reason(), *records.pid, e.offset()));
    }
    for (const std::string& w : report.warnings)
        std::fprintf(stderr, "navora-cli: warning: %s: %s\n", path.c_str(), w.c_str());
    if (!report.icsFound)
        throw FormatError(path, 0, "not a menu: no interactive composition segment (ICS) found");
    return menu;
}

void addMatrixOption(CLI::App* cmd, std::string& matrix) {
    cmd->add_option("--matrix", matrix,
                    "The colour matrix of the palettes: auto (BT.709 for HD menus, BT.601 for SD), 601 or 709")
        ->check(CLI::IsMember({"auto", "601", "709"}))
        ->default_val("auto");
}

void applyMatrix(TIGSc& menu, const std::string& matrix) {
    setColourMatrix(menu, resolveMatrix(parseMatrixChoice(matrix).value_or(MatrixChoice::Auto), menu));
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
        std::string in, dir, matrix;
    };
    auto objectsArgs = std::make_shared<ObjectsArgs>();
    auto* objects = menu->add_subcommand(
        "objects", "Write every object as an 8-bit palette PNG, with the palette of the page that uses it.");
    objects->add_option("FILE", objectsArgs->in, "The menu (.mnu, or a transport stream with an IG stream)")->required();
    objects->add_option("-o,--output", objectsArgs->dir, "The folder for the images (created when missing)")
        ->required();
    addMatrixOption(objects, objectsArgs->matrix);
    objects->callback([objectsArgs, &state] {
        guarded(state, [&] {
            TIGSc m = loadMenu(objectsArgs->in);
            applyMatrix(m, objectsArgs->matrix);
            const fs::path dir = objectsArgs->dir;
            const auto written = writeObjectImages(m, dir, mainWindowTitle(""));
            for (const ObjectImageFile& f : written)
                std::printf("%s %ux%u\n", f.name.c_str(), unsigned{f.width}, unsigned{f.height});
            std::printf("%zu object images written to %s\n", written.size(), dir.string().c_str());
        });
    });

    struct PaletteArgs {
        std::string in, out, matrix;
        std::size_t palette = 0;
    };
    auto paletteArgs = std::make_shared<PaletteArgs>();
    auto* palette = menu->add_subcommand(
        "palette", "Write a palette as a Scenarist Designer .pxml (R, G, B, T, Y, Cr, Cb of its 256 entries) or "
                   "an Adobe .act file (R, G, B), by the output's extension.");
    palette->add_option("FILE", paletteArgs->in, "The menu (.mnu, or a transport stream with an IG stream)")
        ->required();
    palette->add_option("--palette", paletteArgs->palette, "The palette's index (default 0)");
    palette->add_option("-o,--output", paletteArgs->out, "The .pxml or .act file to write (replaced atomically)")
        ->required();
    addMatrixOption(palette, paletteArgs->matrix);
    palette->callback([paletteArgs, &state] {
        guarded(state, [&] {
            const std::string ext = fs::path(paletteArgs->out).extension().string();
            if (ext != ".pxml" && ext != ".act")
                throw CLI::ValidationError("--output", "'" + paletteArgs->out + "' is neither a .pxml nor an .act file");
            TIGSc m = loadMenu(paletteArgs->in);
            if (paletteArgs->palette >= m.palettes.size())
                throw CLI::ValidationError("--palette", fmt::format("the menu has {} palette{}", m.palettes.size(),
                                                                    m.palettes.size() == 1 ? "" : "s"));
            applyMatrix(m, paletteArgs->matrix);
            saveAtomic(paletteArgs->out, paletteFile(m.palettes[paletteArgs->palette], ext));
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
