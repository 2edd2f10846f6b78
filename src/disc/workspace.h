#pragma once
// The disc workspace: the open BDMV folder, its file lists and database
// models, the check-and-read and read-all sequences, and the backup step
// that precedes every save of a database file.

#include "clip/clipinfo.h"
#include "core/bytes.h"
#include "core/filenames.h"
#include "core/log.h"
#include "ig/model.h"
#include "navdb/index.h"
#include "navdb/movieobject.h"
#include "sound/sound.h"
#include "playlist/playlist.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace navora {

enum class BackupMode { OnlyFirst = 0, Overwrite = 1, StopIfExists = 2 };

struct WorkspaceOptions {
    bool autoRead = true;         // "Auto Read"
    bool backup = true;           // "Create backup files"
    BackupMode backupMode = BackupMode::OnlyFirst;
    // "Save to BACKUP dir": the disc's own BACKUP copy of every saved file
    // follows the save, so that a player falling back to BACKUP plays the
    // same disc.
    bool saveToBackupDir = true;
    // "Backups beside the files": the editor's backup copies go beside the
    // saved files inside the disc tree; otherwise they go to the output
    // folder (the per-user data folder while none is set).
    bool backupInDiscTree = false;
    bool use83 = false;            // "Use 8.3 filenames"
    std::string outputFolder;      // "Output folder"
};

// Where the editor's backups go when they are kept out of the disc tree and
// no output folder is set: "Varkeld Software/Navora/backup" in the per-user
// data folder ($XDG_DATA_HOME, else ~/.local/share).
std::string defaultBackupRoot();

// The backup of a saved file: beside it with ".backup" appended when
// backupInDiscTree is on; otherwise the same name under the folder "backup"
// of the output folder (or defaultBackupRoot()), below the file's whole
// absolute path, so that files of different discs never share a backup:
// /discs/A/BDMV/index.bdmv -> OUT/backup/discs/A/BDMV/index.bdmv.backup.
std::string backupFileFor(const WorkspaceOptions& options, const std::string& path);

// The stream file of one clip information file; an empty name when missing.
struct TAVStream {
    std::string name;
    std::uint64_t size = 0;
};

// The backup step before a database file is rewritten. Clears the error flag,
// logs "Saving <name>", and makes the backup by the options: beside the file
// it is the file renamed; out of the disc tree it is a copy, and its path is
// logged. Returns false
// (with "Cannot create backup file." logged) when the save must not go on.
bool backupStep(Log& log, const std::string& path, const std::string& displayName, const WorkspaceOptions& options);

// The whole save of a database file: backup step, atomic write, "<name>
// saved.", "Ready.", and the copy into the disc's BACKUP folder when
// discBackup is not empty, the disc has a BACKUP folder and "Save to BACKUP
// dir" is on (written atomically, its sub-folder made when missing; a failure
// is an error line, the file itself stays saved). With the option off an
// existing BACKUP copy that now differs is named in the log. A failed write is
// reported with erlog and the previous file is put back. Returns whether the
// file was written.
bool saveDatabaseFile(Log& log, const std::string& path, const std::string& displayName, const Bytes& data,
                      const WorkspaceOptions& options, const std::string& discBackup = {});

// The menu of the Menu tab (loaded from a .mnu file or a clip's IG stream).
// It does not belong to the folder: reading a folder keeps it. Two are equal
// when they hold the same menu (sameMenu), however its bytes are held.
struct WorkspaceMenu {
    TIGSc igs;
    bool loaded = false;  // a menu was loaded: the views show it, Save and Mux write it

    bool operator==(const WorkspaceMenu& o) const;
};

class Workspace {
public:
    WorkspaceOptions options;
    std::string folder;  // the BDMV folder path, ending with a separator

    FileNameSet names() const { return FileNameSet::make(options.use83); }
    DiscPaths paths() const { return {folder, names()}; }

    // Name lists in listing order (names without extensions).
    std::vector<std::string> playlists;
    std::vector<std::string> clipinfos;
    std::vector<std::string> bdjObjects;
    std::vector<TAVStream> streams;  // one per clip information name

    TINDX index;
    TMOBJ mobj;
    TSND sound;
    bool indexLoaded = false;
    bool mobjLoaded = false;
    bool soundPresent = false;  // AUXDATA and AUXDATA/sound.bdmv both exist
    // sound holds a read or created sound.bdmv: its group is shown and Save
    // writes it. A file that was refused leaves it false, so that Save cannot
    // replace the file with an empty one.
    bool soundLoaded = false;
    // Why a sound.bdmv that is present was refused (the logged error); empty otherwise.
    std::string soundRefusal;
    bool folderRead = false;    // the check passed and read-all ran
    std::string disc;           // disc name once a folder was read

    // Database files the last read refused, and those it read only in part
    // (names as logged).
    std::vector<std::string> refusedFiles;
    std::vector<std::string> incompleteFiles;
    // For each file read in part, where it ends and what the read kept and
    // dropped ("ends early at $0000012C: kept 2 of 3 whole movie objects; ...").
    // A save that writes the file whole takes it off both lists.
    std::map<std::string, std::string> incompleteNotes;

    // Stream file check results of the last read.
    std::size_t streamsFound = 0;
    std::size_t streamsMissing = 0;

    // Check-and-read: checks the required folders and files, and when they are
    // all there runs read-all, the sound check and the informational checks.
    // Returns false when the check failed ("Check failed.").
    bool checkAndRead(Log& log);

    // Read-all: movie objects, playlists, clip information, BD-J objects, index.
    void readAll(Log& log);

    // Saves index.bdmv / MovieObject.bdmv through the backup step.
    bool saveIndex(Log& log);
    bool saveMovieObjects(Log& log);
    // Saves AUXDATA/sound.bdmv through the backup step (creating AUXDATA when
    // a new sound.bdmv is saved the first time); nothing when no sound is held.
    bool saveSound(Log& log);
    // Takes away the AUXDATA/sound.bdmv that a save of this session created,
    // once the creation was undone (sound no longer held): "sound.bdmv
    // removed.". A file that was there when the folder was read is never
    // removed. Returns false when the removal failed (logged).
    bool removeCreatedSound(Log& log);
    // A save of this session wrote AUXDATA/sound.bdmv where the read found none.
    bool soundFileCreated = false;

    // The playlist read last (the playlist tab's model) and the name it was
    // read from (without extension).
    TMPLS playlist;
    bool playlistLoaded = false;
    std::string playlistName;

    // Reads PLAYLIST/<name> with the playlist extension: "Reading [bl]N[/bl]",
    // then "[b]n[/b] PlayItem(s), ... found." and an empty line. A wrong type
    // or version is "Invalid format: N"; a damaged file is a format error at
    // its offset. A failed read leaves the previous model. Returns whether the
    // playlist was read.
    bool readPlaylistFile(Log& log, const std::string& name);
    // Reads every playlist of the folder (leaving the playlist model as it
    // is) and reports each mark that lies outside its PlayItem as an error
    // line naming the playlist and the mark; a playlist that cannot be read
    // is reported and added to refusedFiles. Returns the misplaced marks.
    std::size_t checkPlaylistMarks(Log& log);
    // Writes the model to PLAYLIST/<name> through the backup step, whatever
    // name it was read from. Refused (false) while no playlist was read.
    bool savePlaylist(Log& log, const std::string& name);

    // The clip information read last (the clip tab's model), the name it was
    // read from (without extension) and the file's bytes as read or last
    // saved: a save writes those back with the model's packet count and
    // ExtensionData() block, the only parts of a clip that are edited.
    TCLPI clip;
    bool clipLoaded = false;
    std::string clipName;
    Bytes clipFile;

    // Reads CLIPINF/<name> with the clip extension: "Reading [bl]N[/bl]", then
    // "[b]n[/b] Program stream(s) found." and an empty line. A wrong type or
    // version is "Invalid format: N"; any other failure is logged with its
    // message. A failed read leaves the previous model. Returns whether the
    // clip was read.
    bool readClipFile(Log& log, const std::string& name);
    // Writes the clip back to the file it was read from through the backup
    // step (and into BACKUP/CLIPINF by the options). Refused (false) while no
    // clip was read.
    bool saveClip(Log& log);

    // The menu of the Menu tab; clear() leaves it.
    WorkspaceMenu menu;

    // Empties every list and model of the folder.
    void clear();

private:
    bool checkFolder(Log& log, const std::string& name);
    bool checkFile(Log& log, const std::string& name);
    void checkStreams(Log& log);
    bool readMovieObjectsStep(Log& log);
    bool readIndexStep(Log& log, bool& stop);
    bool readSoundStep(Log& log);
    // Removes the temporary files that interrupted saves left in the folder.
    void removeSaveLeftovers(Log& log);

    bool mobjComplete_ = true;
};

// Lists the files of dir whose names end with ext (any file when ext is
// empty), without the extension, sorted by name. Directories are skipped.
std::vector<std::string> listFiles(const std::string& dir, const std::string& ext);

}  // namespace navora
