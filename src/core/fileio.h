#pragma once
// Whole-file reading and atomic saving.

#include "core/bytes.h"

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

namespace fs = std::filesystem;

// Reads a whole file. Throws IoError naming the file when it cannot be read.
Bytes readWholeFile(const fs::path& path);

// The largest database file (index, movie objects, playlist, clip
// information, sound, BD-J object) the readers accept: far above any real disc.
inline constexpr std::uint64_t kMaxDatabaseFileSize = 16u << 20;

// Reads a database file whole, after checking that it is a regular file of at
// most maxSize bytes; a device, FIFO, folder or over-size file is refused with
// IoError before anything is read (nothing blocks, nothing grows unbounded).
Bytes readDatabaseFile(const fs::path& path, std::uint64_t maxSize = kMaxDatabaseFileSize);

// Writes data to path atomically: the bytes go to a temporary file beside the
// target, which is flushed and then renamed over the target. When anything
// fails the temporary file is removed, the previous file stays as it was and
// IoError is thrown. The new file takes the permissions of modeFrom when
// given, else those of the file it replaces.
//
// The temporary file is unnamed while it is written where the file system
// allows it (O_TMPFILE) and gets its name, <target>.navora-save-XXXXXX, only
// for the rename; a save killed by a signal can leave such a name behind,
// which the next save of the same file and the folder check remove. A save in
// progress holds a lock on its temporary file, so a running save's file is
// never taken for a leftover.
void saveAtomic(const fs::path& path, std::span<const std::uint8_t> data, const fs::path& modeFrom = {});

// The two halves of saveAtomic, for saves of several files that must all
// happen or none: the constructor writes and flushes the temporary file beside
// the target (throwing IoError, with nothing left behind, when it cannot);
// commit() renames it over the target. A save not committed removes its
// temporary file when it goes. The permissions are taken when the temporary
// file is written.
class PendingSave {
public:
    PendingSave(const fs::path& path, std::span<const std::uint8_t> data, const fs::path& modeFrom = {});
    ~PendingSave();
    PendingSave(PendingSave&& o) noexcept;
    PendingSave& operator=(PendingSave&&) = delete;
    PendingSave(const PendingSave&) = delete;
    PendingSave& operator=(const PendingSave&) = delete;

    // Renames the temporary file over the target. Throws IoError (the
    // temporary file removed, the target as it was) when the rename fails.
    void commit();
    const fs::path& path() const { return path_; }

private:
    void discard();
    fs::path path_;
    fs::path dir_;
    std::string tmp_;
    int fd_ = -1;
};

// The part of a temporary file's name after the target's name.
inline constexpr std::string_view kSaveTempMarker = ".navora-save-";

// Whether a file name is that of a save's temporary file (also the hidden
// ".<name>.navora-XXXXXX" of earlier versions).
bool isSaveTempName(std::string_view fileName);

// Removes the temporary files of interrupted saves from dir (only those of
// the target file named target, when given), leaving any a running save holds.
// Returns the files removed.
std::vector<fs::path> removeStaleSaveFiles(const fs::path& dir, std::string_view target = {});

// Output of several files that lands whole or not at all: the files are
// written into a hidden staging folder beside the target folder
// (".<name>.navora-stage-XXXXXX") and moved into the target only by commit().
// Without a commit (a failed write, a full disk) the destructor removes the
// staging folder and every folder the output created, so nothing partial is
// left; files the target held before are replaced only by a commit.
class StagedFolder {
public:
    // Creates the staging folder (and the target's missing parent folders).
    // Throws IoError when it cannot.
    explicit StagedFolder(fs::path target);
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    // Where the files are written before the commit.
    const fs::path& path() const { return staging_; }
    // Moves the staged files into the target (the whole staging folder when
    // the target does not exist yet). Throws IoError when a move fails.
    void commit();

private:
    fs::path target_;
    fs::path staging_;
    fs::path created_;  // the outermost folder the output created, if any
    bool committed_ = false;
};

// Test hook: when set, called after each chunk written to the temporary file
// with the number of bytes written so far; throwing from it simulates a write
// that fails part-way.
using WriteFaultHook = std::function<void(std::size_t written)>;
void setWriteFaultHook(WriteFaultHook hook);

}  // namespace navora
