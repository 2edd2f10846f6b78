#pragma once
// Whole-file reading and atomic saving.

#include "core/bytes.h"

#include <filesystem>
#include <functional>
#include <span>

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
void saveAtomic(const fs::path& path, std::span<const std::uint8_t> data, const fs::path& modeFrom = {});

// Test hook: when set, called after each chunk written to the temporary file
// with the number of bytes written so far; throwing from it simulates a write
// that fails part-way.
using WriteFaultHook = std::function<void(std::size_t written)>;
void setWriteFaultHook(WriteFaultHook hook);

}  // namespace navora
