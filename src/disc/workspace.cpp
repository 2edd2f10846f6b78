#include "disc/workspace.h"

#include "clip/clipinfo_edit.h"
#include "clip/clipinfo_view.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/streamcoding.h"
#include "ig/samemenu.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_io.h"
#include "navdb/uhd.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "playlist/playlist_text.h"
#include "sound/sound_edit.h"
#include "sound/sound_io.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace navora {

namespace fs = std::filesystem;

std::vector<std::string> listFiles(const std::string& dir, const std::string& ext) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        // Files only: a folder, a device, a FIFO or a symbolic link that leads
        // nowhere is no playlist, clip or object.
        std::error_code fec;
        if (!it->is_regular_file(fec)) continue;
        std::string file = it->path().filename().string();
        std::string name;
        if (ext.empty()) {
            // Any file: the name without its extension.
            std::size_t dot = file.rfind('.');
            name = dot == std::string::npos ? file : file.substr(0, dot);
        } else {
            if (file.size() <= ext.size() || file.compare(file.size() - ext.size(), ext.size(), ext) != 0) continue;
            name = file.substr(0, file.size() - ext.size());
        }
        if (!name.empty()) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string defaultBackupRoot() {
    fs::path data;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        data = fs::path(home && *home ? home : "/tmp") / ".local" / "share";
    }
    return (data / "Varkeld Software" / "Navora" / "backup").string();
}

std::string backupFileFor(const WorkspaceOptions& options, const std::string& path) {
    if (options.backupInDiscTree) return backupPath(path);
    const fs::path root =
        options.outputFolder.empty() ? fs::path(defaultBackupRoot()) : fs::path(options.outputFolder) / "backup";
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec) full = path;
    return backupPath((root / full.lexically_normal().relative_path()).string());
}

bool backupStep(Log& log, const std::string& path, const std::string& displayName, const WorkspaceOptions& options) {
    log.errorFlag = false;
    log.dlog0("Saving " + displayName);
    if (options.backup) {
        const std::string backup = backupFileFor(options, path);
        std::error_code ec;
        if (options.backupMode == BackupMode::Overwrite) fs::remove(backup, ec);
        const bool backupExists = fs::exists(backup, ec);
        const bool make = options.backupMode != BackupMode::OnlyFirst || !backupExists;
        if (make && fs::exists(path, ec)) {
            // A backup is never replaced here: "Stop if exists" stops here.
            bool ok = !fs::exists(backup, ec);
            if (ok && options.backupInDiscTree) {
                fs::rename(path, backup, ec);
                ok = !ec;
            } else if (ok) {
                // Out of the disc tree: a copy, written whole or not at all,
                // since another file system cannot take a rename.
                try {
                    fs::create_directories(fs::path(backup).parent_path());
                    saveAtomic(backup, readWholeFile(path), path);
                    log.log("  Backup " + backup);
                } catch (const std::exception& e) {
                    log.log("  " + std::string(e.what()));
                    ok = false;
                }
            }
            if (!ok) log.erlog("Cannot create backup file.");
        }
    }
    return !log.errorFlag;
}

namespace {

// The disc's BACKUP folder that holds the copy at discBackup (BACKUP/name or
// BACKUP/PLAYLIST/name); empty when the path lies in no folder of that name.
fs::path discBackupFolder(const fs::path& discBackup) {
    for (fs::path dir = discBackup.parent_path(); !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (dir.filename() == "BACKUP") return dir;
        if (dir.parent_path() == dir) break;
    }
    return {};
}

// Keeps the disc's BACKUP copy in step with the file just saved.
void updateDiscBackup(Log& log, const std::string& discBackup, const std::string& displayName, const Bytes& data,
                      const WorkspaceOptions& options) {
    const fs::path folder = discBackupFolder(discBackup);
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return;  // a disc without BACKUP (8.3 names)
    if (!options.saveToBackupDir) {
        // Say so when the copy a player falls back to no longer matches.
        if (fs::exists(discBackup, ec)) {
            Bytes old;
            try {
                old = readWholeFile(discBackup);
            } catch (const IoError&) {
            }
            if (old != data)
                log.log("  [re]" + discBackup + " was left as it was (\"Save to BACKUP dir\" is off).[/re]");
        }
        return;
    }
    try {
        fs::create_directories(fs::path(discBackup).parent_path());
        saveAtomic(discBackup, data);
    } catch (const std::exception& e) {
        log.erlog("The disc's BACKUP copy of " + displayName + " was not updated: " + e.what());
    }
}

}  // namespace

bool saveDatabaseFile(Log& log, const std::string& path, const std::string& displayName, const Bytes& data,
                      const WorkspaceOptions& options, const std::string& discBackup) {
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    if (!backupStep(log, path, displayName, options)) return false;
    try {
        // The backup step may have moved the file aside: keep its permissions.
        saveAtomic(path, data, existed && !fs::exists(path, ec) ? fs::path(backupPath(path)) : fs::path());
    } catch (const IoError& e) {
        // The backup step may have moved the previous file aside: put it back.
        const std::string backup = backupPath(path);
        if (options.backupInDiscTree && existed && !fs::exists(path, ec) && fs::exists(backup, ec))
            fs::rename(backup, path, ec);
        log.erlog(e.what());
        return false;
    }
    log.log(displayName + " saved.");
    log.slogR();
    if (!discBackup.empty()) updateDiscBackup(log, discBackup, displayName, data, options);
    return true;
}

bool WorkspaceMenu::operator==(const WorkspaceMenu& o) const { return loaded == o.loaded && sameMenu(igs, o.igs); }

void Workspace::clear() {
    playlists.clear();
    clipinfos.clear();
    bdjObjects.clear();
    streams.clear();
    index = TINDX{};
    mobj = TMOBJ{};
    sound = TSND{};
    playlist = TMPLS{};
    playlistName.clear();
    clip = TCLPI{};
    clipLoaded = false;
    clipName.clear();
    clipFile.clear();
    indexLoaded = mobjLoaded = playlistLoaded = soundPresent = soundLoaded = soundFileCreated = folderRead = false;
    soundRefusal.clear();
    streamsFound = streamsMissing = 0;
    disc.clear();
    refusedFiles.clear();
    incompleteFiles.clear();
    incompleteNotes.clear();
    mobjComplete_ = true;
}

bool Workspace::checkFolder(Log& log, const std::string& name) {
    std::error_code ec;
    const bool ok = fs::is_directory(folder + name, ec);
    log.log("[bl]" + name + "[/bl] folder: " + (ok ? "[b]OK[/b]" : "[re]missing[/re]"));
    return ok;
}

bool Workspace::checkFile(Log& log, const std::string& name) {
    std::error_code ec;
    const bool ok = fs::exists(folder + name, ec);
    log.log(name + ": " + (ok ? "[b]OK[/b]" : "[re]missing[/re]"));
    return ok;
}

bool Workspace::checkAndRead(Log& log) {
    clear();
    if (!folder.empty() && folder.back() != kSep) folder += kSep;
    bool check = true;
    log.log("Checking required files and directories...");
    check &= checkFolder(log, "PLAYLIST");
    check &= checkFolder(log, "CLIPINF");
    if (!options.use83) check &= checkFolder(log, "BACKUP");
    const FileNameSet n = names();
    check &= checkFile(log, n.index);
    check &= checkFile(log, n.movieObject);
    if (!check) {
        log.erlog("[b]Check failed.[/b]");
        return false;
    }
    log.slog("", 1);
    removeSaveLeftovers(log);
    readAll(log);

    soundPresent = checkFolder(log, "AUXDATA") && checkFile(log, std::string("AUXDATA") + kSep + kSoundFile);
    if (soundPresent) readSoundStep(log);

    disc = discName(folder);
    folderRead = true;

    checkFolder(log, "STREAM");
    checkStreams(log);
    checkFolder(log, "META");
    checkFolder(log, "BDJO");
    checkFolder(log, "JAR");
    log.log("");
    log.slogR();
    return true;
}

void Workspace::checkStreams(Log& log) {
    streams.assign(clipinfos.size(), TAVStream{});
    streamsFound = streamsMissing = 0;
    const DiscPaths p = paths();
    for (std::size_t i = 0; i < clipinfos.size(); ++i) {
        const std::string path = p.stream(clipinfos[i]);
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        if (ec) {
            ++streamsMissing;
            log.log("  Stream " + clipinfos[i] + names().streamExt + " [re]missing[/re]");
        } else {
            streams[i] = {path, size};
            ++streamsFound;
        }
    }
    std::string line = fmt::format("  Found [b]{}[/b] AV streams", streamsFound);
    if (streamsMissing > 0) line += fmt::format(", [re]missing[/re] [b]{}[/b]", streamsMissing);
    log.log(line);
}

bool Workspace::readMovieObjectsStep(Log& log) {
    const std::string name = names().movieObject;
    log.dlog0("Reading " + name);
    try {
        Bytes data = readDatabaseFile(paths().movieObject());
        MobjReadReport report;
        mobj = readMovieObjects(data, name, &report);
        mobjLoaded = true;
        log.slog(fmt::format("{}/{}", report.stoppedAt, data.size()), 1);
        log.log(fmt::format("  Found [b]{}[/b] objects, [b]{}[/b] extended entry.", mobj.mobjs.objects.size(),
                            mobj.ext.entries.size()));
        // A short file is still read as far as it goes; say where it ended and
        // what was kept and dropped.
        if (!report.complete) {
            mobjComplete_ = false;
            incompleteFiles.push_back(name);
            incompleteNotes[name] = fmt::format("ends early at ${:08X}: {}", report.stoppedAt, cutReadSummary(report));
            log.log("  " + name + " " + incompleteNotes[name] + ".");
        }
    } catch (const WrongTypeError& e) {
        // The Status tab says why: a version this editor does not read, or another file's type.
        log.erlog("Format error " + name);
        log.log("  " + e.reason());
    } catch (const FormatError& e) {
        log.erlog("Format error " + name);
        log.log("  " + std::string(e.what()));
    } catch (const IoError& e) {
        log.erlog(e.what());
    }
    if (!mobjLoaded) refusedFiles.push_back(name);
    return mobjLoaded;
}

bool Workspace::readIndexStep(Log& log, bool& stop) {
    const std::string name = names().index;
    log.dlog0("Reading " + name);
    try {
        Bytes data = readDatabaseFile(paths().index());
        // References to objects a cut MovieObject.bdmv did not hold are kept as
        // read, as when it could not be read at all.
        std::optional<std::size_t> count;
        if (mobjLoaded && mobjComplete_) count = mobj.mobjs.objects.size();
        index = readIndex(data, name, count);
        indexLoaded = true;
        log.log(fmt::format("  Found [b]{}[/b] titles, [b]{}[/b] extended entry.", index.indexes.titles.size(),
                            index.ext.entries.size()));
        if (isUhd(index)) {
            std::string hdr;
            if (const auto u = uhdDiscInfo(index)) hdr = ", " + hdrFlagsText(u->HDR_flags);
            log.log(fmt::format("  Ultra HD Blu-ray disc (version \"0300\"{}), initial dynamic range {}.", hdr,
                                dynamicRangeName(index.app_info_flags.initial_dynamic_range_type)));
        }
    } catch (const TooManyTitlesError& e) {
        log.log(fmt::format("Error in {} (number of title: {})", name, e.count()));
        stop = true;
    } catch (const FormatError& e) {
        log.erlog(fmt::format("{} format error at ${:08X}", name, e.offset()));
        log.log("  " + e.reason());
    } catch (const IoError& e) {
        log.erlog(e.what());
    }
    if (!indexLoaded) refusedFiles.push_back(name);
    return indexLoaded;
}

bool Workspace::readSoundStep(Log& log) {
    log.dlog0(std::string("Reading ") + kSoundFile);
    try {
        sound = readSound(readDatabaseFile(paths().sound()), kSoundFile);
        soundLoaded = true;
        log.log(soundFoundLine(sound.entries.size()));
    } catch (const FormatError& e) {
        sound = TSND{};
        soundRefusal = fmt::format("Format error {} at ${:08X}: {}", kSoundFile, e.offset(), e.reason());
        log.erlog(soundRefusal);
    } catch (const IoError& e) {
        sound = TSND{};
        soundRefusal = e.what();
        log.erlog(soundRefusal);
    }
    if (!soundLoaded) refusedFiles.push_back(kSoundFile);
    return soundLoaded;
}

void Workspace::removeSaveLeftovers(Log& log) {
    for (const char* sub : {"", "PLAYLIST", "CLIPINF", "AUXDATA"}) {
        for (const fs::path& f : removeStaleSaveFiles(folder + sub))
            log.log("  Removed " + f.filename().string() + ", left by a save that did not finish.");
    }
}

void Workspace::readAll(Log& log) {
    readMovieObjectsStep(log);

    const DiscPaths p = paths();
    const FileNameSet n = names();
    log.dlog0("Reading playlists");
    playlists = listFiles(folder + "PLAYLIST", n.playlistExt);
    for (const auto& name : playlists) log.slog("Checking " + p.playlist(name), 1);
    log.log(fmt::format("  Found [b]{}[/b] playlists.", playlists.size()));

    log.dlog0("Reading clipinfos");
    clipinfos = listFiles(folder + "CLIPINF", n.clipExt);
    for (const auto& name : clipinfos) log.slog("Checking " + p.clipInfo(name), 1);
    log.log(fmt::format("  Found [b]{}[/b] clipinfos.", clipinfos.size()));

    std::error_code ec;
    if (fs::is_directory(folder + "BDJO", ec)) {
        bdjObjects = listFiles(folder + "BDJO", "");
        for (const auto& name : bdjObjects) log.slog("Checking " + name, 1);
    }

    bool stop = false;
    readIndexStep(log, stop);
    if (stop) return;
    log.slogR();
}

bool Workspace::saveIndex(Log& log) {
    if (!indexLoaded) return false;
    const std::string name = names().index;
    return saveDatabaseFile(log, paths().index(), name, writeIndex(index), options, paths().discBackup(name));
}

bool Workspace::saveMovieObjects(Log& log) {
    if (!mobjLoaded) return false;
    const std::string name = names().movieObject;
    if (!saveDatabaseFile(log, paths().movieObject(), name, writeMovieObjects(mobj), options,
                          paths().discBackup(name)))
        return false;
    // The file on disc is whole again.
    std::erase(incompleteFiles, name);
    incompleteNotes.erase(name);
    return true;
}

bool Workspace::saveSound(Log& log) {
    if (!soundLoaded) return false;
    Bytes data;
    try {
        data = writeSound(sound);
    } catch (const std::length_error& e) {
        log.erlog(e.what());
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder + "AUXDATA", ec);
    const bool created = !soundPresent && !fs::exists(paths().sound(), ec);
    if (!saveDatabaseFile(log, paths().sound(), kSoundFile, data, options)) return false;
    if (created) soundFileCreated = true;
    return true;
}

bool Workspace::removeCreatedSound(Log& log) {
    if (soundLoaded || !soundFileCreated) return true;
    std::error_code ec;
    fs::remove(paths().sound(), ec);
    if (ec) {
        log.erlog(fmt::format("Cannot remove {}: {}", paths().sound(), ec.message()));
        return false;
    }
    soundFileCreated = false;
    log.log(std::string(kSoundFile) + " removed.");
    log.slogR();
    return true;
}

bool Workspace::readPlaylistFile(Log& log, const std::string& name) {
    const std::string file = name + names().playlistExt;
    log.dlog0("Reading [bl]" + file + "[/bl]");
    bool read = false;
    try {
        TMPLS m = readPlaylist(readDatabaseFile(paths().playlist(name)), file);
        playlist = std::move(m);
        playlistLoaded = true;
        playlistName = name;
        log.log2(playlistFoundText(playlist));
        read = true;
    } catch (const WrongTypeError&) {
        log.erlog("Invalid format: " + file);
    } catch (const FormatError& e) {
        log.erlog(fmt::format("{} format error at ${:08X}", file, e.offset()));
        log.log("  " + e.reason());
    } catch (const IoError& e) {
        log.erlog(e.what());
    }
    log.slogR();
    return read;
}

std::size_t Workspace::checkPlaylistMarks(Log& log) {
    std::size_t misplaced = 0;
    log.dlog0("Checking playlist marks");
    for (const std::string& name : playlists) {
        const std::string file = name + names().playlistExt;
        try {
            const TMPLS m = readPlaylist(readDatabaseFile(paths().playlist(name)), file);
            for (const std::string& fault : markFaults(m)) {
                log.erlog(file + ": " + fault);
                ++misplaced;
            }
        } catch (const WrongTypeError& e) {
            log.erlog("Invalid format: " + file);
            log.log("  " + e.reason());
            refusedFiles.push_back(file);
        } catch (const FormatError& e) {
            log.erlog(fmt::format("{} format error at ${:08X}", file, e.offset()));
            log.log("  " + e.reason());
            refusedFiles.push_back(file);
        } catch (const IoError& e) {
            log.erlog(e.what());
            refusedFiles.push_back(file);
        }
    }
    log.log(fmt::format("  Checked [b]{}[/b] playlists: [b]{}[/b] marks outside their PlayItem.", playlists.size(),
                        misplaced));
    log.slogR();
    return misplaced;
}

bool Workspace::savePlaylist(Log& log, const std::string& name) {
    if (!playlistLoaded) return false;
    const std::string file = name + names().playlistExt;
    Bytes data;
    try {
        data = writePlaylist(playlist);
    } catch (const std::invalid_argument& e) {
        log.erlog(file + " not saved: " + e.what());
        return false;
    }
    return saveDatabaseFile(log, paths().playlist(name), file, data, options,
                            paths().discBackup(std::string("PLAYLIST") + kSep + file));
}

bool Workspace::readClipFile(Log& log, const std::string& name) {
    Bytes data;
    auto read = readClipInfoStep(log, paths().clipInfo(name), name + names().clipExt, &data);
    if (!read) return false;
    clip = std::move(*read);
    clipFile = std::move(data);
    clipLoaded = true;
    clipName = name;
    return true;
}

bool Workspace::saveClip(Log& log) {
    if (!clipLoaded) return false;
    const std::string file = clipName + names().clipExt;
    Bytes data;
    try {
        data = writeClipInfo(clipFile, clip, file);
    } catch (const std::exception& e) {
        log.erlog(file + " not saved: " + e.what());
        return false;
    }
    if (!saveDatabaseFile(log, paths().clipInfo(clipName), file, data, options,
                          paths().discBackup(std::string("CLIPINF") + kSep + file)))
        return false;
    clipFile = std::move(data);
    return true;
}

}  // namespace navora
