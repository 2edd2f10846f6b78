#include "disc/saveset.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/filenames.h"

#include <fmt/format.h>

#include <exception>
#include <filesystem>
#include <optional>

namespace navora {

namespace {

std::function<void(std::size_t)>& renameHook() {
    static std::function<void(std::size_t)> hook;
    return hook;
}

// What a file was before the save, to put it back.
struct Before {
    std::optional<Bytes> bytes;  // nothing: the file did not exist
    bool movedToBackup = false;  // the backup step renamed it to its backup
};

// Puts file back as it was; says so in the log when it cannot.
void putBack(Log& log, const FileSave& file, const Before& before) {
    std::error_code ec;
    const std::string backup = backupPath(file.path);
    if (before.movedToBackup) {
        fs::rename(backup, file.path, ec);
        if (!ec) return;
    }
    try {
        if (before.bytes)
            saveAtomic(file.path, *before.bytes);
        else
            fs::remove(file.path, ec);
    } catch (const std::exception& e) {
        log.erlog(fmt::format("{} could not be put back: {}", file.displayName, e.what()));
    }
}

}  // namespace

void setSaveSetRenameHook(std::function<void(std::size_t)> hook) { renameHook() = std::move(hook); }

bool saveDatabaseFiles(Log& log, const std::vector<FileSave>& files, const WorkspaceOptions& options) {
    std::vector<Before> before(files.size());
    std::vector<PendingSave> pending;
    pending.reserve(files.size());
    try {
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::error_code ec;
            if (fs::exists(files[i].path, ec)) before[i].bytes = readDatabaseFile(files[i].path);
            pending.emplace_back(files[i].path, files[i].data);
        }
    } catch (const std::exception& e) {
        log.erlog(e.what());
        return false;  // the temporary files written so far go with `pending`
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileSave& f = files[i];
        std::error_code ec;
        bool ok = backupStep(log, f.path, f.displayName, options);
        before[i].movedToBackup = before[i].bytes && !fs::exists(f.path, ec);
        if (ok) {
            try {
                if (renameHook()) renameHook()(i);
                pending[i].commit();
            } catch (const std::exception& e) {
                log.erlog(e.what());
                ok = false;
            }
        }
        if (!ok) {
            for (std::size_t j = i + 1; j-- > 0;)
                if (j < i || before[j].movedToBackup) putBack(log, files[j], before[j]);
            log.log(fmt::format("Nothing saved: {} file(s) put back as they were.", i));
            log.slogR();
            return false;
        }
        log.log(f.displayName + " saved.");
    }
    log.slogR();
    if (options.saveToBackupDir) {
        // The disc's BACKUP copy is a convenience; a failed copy is not reported.
        for (const FileSave& f : files) {
            std::error_code ec;
            if (!f.discBackup.empty()) fs::copy_file(f.path, f.discBackup, fs::copy_options::overwrite_existing, ec);
        }
    }
    return true;
}

}  // namespace navora
