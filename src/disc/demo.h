#pragma once
// The demo disc: a small, valid BDMV folder written from code, so that the
// editor can be tried without a disc of one's own.

#include "clip/clipinfo.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace navora {

// Writes root/BDMV with its folders and database files. Deterministic: the
// same bytes every time. Throws IoError when a file cannot be written; then
// nothing of the new disc is left (the files are moved into root/BDMV only
// when all are written).
void makeDemoDisc(const std::filesystem::path& root);

// Writes root/BDMV of the Ultra HD demo disc: version "0300" files, one HDMV
// title that plays a playlist with an HEVC HDR10 (BT.2020) video entry and an
// AC-3 audio entry, the disc's HDR information in index.bdmv's ExtensionData,
// static HDR metadata in the playlist's, and a 32-packet stream file with the
// clip's PAT and PMT. Deterministic. Throws IoError when a file cannot be
// written.
void makeUhdDemoDisc(const std::filesystem::path& root);

// Writes bdmv/AUXDATA/sound.bdmv (a mono and a stereo tone) and
// bdmv/BDJO/00001.bdjo (the object of the demo's BD-J title).
void writeDemoSoundAndBdj(const std::filesystem::path& bdmv);
// Writes the demo playlists into bdmv/PLAYLIST and bdmv/BACKUP/PLAYLIST:
// 00000.mpls shows every view of the playlist tab (three PlayItems, one with
// three angles; primary and secondary audio, PG, PiP PG, IG and PiP video;
// an out-of-mux SubPath with a multi-clip SubPlayItem and an in-mux PiP
// SubPath; entry marks and a link point; an ExtensionData block with two
// entries), 00001.mpls is the menu the Top Menu object plays: the IG stream of
// the menu clip 00090. The clips 00000-00004 and 00010-00013 of 00000.mpls
// are named only: the demo disc has no video.
void writeDemoPlaylists(const std::filesystem::path& bdmv);

// The clip information model of a demo clip: the main TS of a movie of
// `packets` source packets recorded at `rate` bytes per second, one ATC
// sequence with one STC sequence timed by pcrPid from start to end (45 kHz),
// and one program sequence of the program map PID pmtPid with streams. Its
// CPI is empty: a clip with pictures adds its EP map.
TCLPI demoClipInfo(std::string_view version, std::uint32_t rate, std::uint32_t packets, std::uint16_t pcrPid,
                   std::uint32_t start, std::uint32_t end, std::uint16_t pmtPid, std::vector<TProgramStream> streams);

}  // namespace navora
