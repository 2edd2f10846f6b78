#pragma once
// Saves of several database files that happen whole or not at all: every
// temporary file is written before the first target is replaced, and a
// failure part-way puts back every file already replaced.

#include "core/bytes.h"
#include "core/log.h"
#include "disc/workspace.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace navora {

// One file of such a save.
struct FileSave {
    std::string path;
    std::string displayName;  // as logged: "index.bdmv", "PLAYLIST/00001.mpls"
    Bytes data;
    std::string discBackup;  // its copy in the disc's BACKUP folder ("Save to BACKUP dir")
};

// Writes every file or none. First the present files are read (to put them
// back) and every new content is written to a temporary file beside its
// target; then, file by file, the backup step and the rename. When anything
// fails, the files already replaced get their previous bytes back (a backup
// the step moved aside is moved back), the temporary files are removed and
// the error is logged. Returns whether every file was written.
bool saveDatabaseFiles(Log& log, const std::vector<FileSave>& files, const WorkspaceOptions& options);

// Test hook: called before the rename of file index; throwing from it
// simulates a rename that fails after the files before it were replaced.
void setSaveSetRenameHook(std::function<void(std::size_t index)> hook);

}  // namespace navora
