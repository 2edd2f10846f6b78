// sound export, sound import, sound create

#include "cli/commands.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "sound/sound_edit.h"
#include "sound/sound_io.h"
#include "sound/wav.h"

#include <fmt/format.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace navora::cli {

namespace {

TSND readSoundFile(const std::string& path) { return readSound(readDatabaseFile(path), path); }

// A WAV file is small; anything larger than a sound.bdmv can hold is refused
// before it is read.
Bytes readWavFile(const std::string& path) { return readDatabaseFile(path); }

}  // namespace

void registerSoundCommands(CLI::App& app, CliState& state) {
    auto* sound = app.add_subcommand("sound", "Export, import and create the entries of sound.bdmv as WAV files.");
    sound->require_subcommand(1);

    struct ExportArgs {
        std::string file, out;
        std::size_t index = 0;
    };
    auto ex = std::make_shared<ExportArgs>();
    auto* exportCmd = sound->add_subcommand("export", "Write one sound entry as a 48 kHz 16-bit PCM WAV file.");
    exportCmd->add_option("SOUND", ex->file, "The sound.bdmv to read")->required();
    exportCmd->add_option("INDEX", ex->index, "The entry's index (sound id), from 0")->required();
    exportCmd->add_option("-o,--output", ex->out, "The WAV file to write")->required();
    exportCmd->callback([ex, &state] {
        guarded(state, [&] {
            const TSND snd = readSoundFile(ex->file);
            if (ex->index >= snd.entries.size())
                throw std::out_of_range(fmt::format("{}: no sound entry {} (the file has {})", ex->file, ex->index,
                                                    snd.entries.size()));
            saveAtomic(ex->out, mkWav(snd.entries[ex->index]));
        });
    });

    struct ImportArgs {
        std::string file, wav, out;
        std::optional<std::size_t> after;
    };
    auto im = std::make_shared<ImportArgs>();
    auto* importCmd = sound->add_subcommand(
        "import", "Insert a WAV file (48 kHz, 16 bit, PCM, mono or stereo) as a new entry and write the result.");
    importCmd->add_option("SOUND", im->file, "The sound.bdmv to read")->required();
    importCmd->add_option("WAV", im->wav, "The WAV file to import")->required();
    importCmd->add_option("--after", im->after, "Insert after this entry (default: after the last one)");
    importCmd->add_option("-o,--output", im->out, "The sound.bdmv to write (replaced atomically)")->required();
    importCmd->callback([im, &state] {
        guarded(state, [&] {
            TSND snd = readSoundFile(im->file);
            if (im->after && *im->after >= snd.entries.size())
                throw std::out_of_range(fmt::format("{}: no sound entry {} to insert after (the file has {})",
                                                    im->file, *im->after, snd.entries.size()));
            const std::size_t selected = im->after.value_or(snd.entries.empty() ? 0 : snd.entries.size() - 1);
            const std::size_t at = loadSound(snd, readWavFile(im->wav), im->wav, selected);
            saveAtomic(im->out, writeSound(snd));
            std::printf("%s: sound entry %zu of %zu\n", im->out.c_str(), at, snd.entries.size());
        });
    });

    struct CreateArgs {
        std::string wav, out;
    };
    auto cr = std::make_shared<CreateArgs>();
    auto* createCmd = sound->add_subcommand("create", "Write a new sound.bdmv whose one entry is the WAV file.");
    createCmd->add_option("WAV", cr->wav, "The WAV file of the first entry")->required();
    createCmd->add_option("-o,--output", cr->out, "The sound.bdmv to write (replaced atomically)")->required();
    createCmd->callback([cr, &state] {
        guarded(state, [&] { saveAtomic(cr->out, writeSound(createSound(readWavFile(cr->wav), cr->wav))); });
    });
}

}  // namespace navora::cli
