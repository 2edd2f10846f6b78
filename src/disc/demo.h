#pragma once
// The demo disc: a small, valid BDMV folder written from code, so that the
// editor can be tried without a disc of one's own.

#include <filesystem>

namespace navora {

// Writes root/BDMV with its folders and database files. Deterministic: the
// same bytes every time. Throws IoError when a file cannot be written.
void makeDemoDisc(const std::filesystem::path& root);

// Writes bdmv/AUXDATA/sound.bdmv (a mono and a stereo tone) and
// bdmv/BDJO/00001.bdjo (the object of the demo's BD-J title).
void writeDemoSoundAndBdj(const std::filesystem::path& bdmv);

}  // namespace navora
