#pragma once
// The menu clip of the demo disc: a stream that carries an Interactive
// Graphics menu made by Navora's own writer and multiplexer, with its clip
// information file.

#include "core/bytes.h"
#include "ig/model.h"

#include <cstdint>
#include <filesystem>

namespace navora {

// The clip's name: CLIPINF/00090.clpi and STREAM/00090.m2ts.
inline constexpr const char* kDemoMenuClip = "00090";

// Three pages (main, chapters, audio): an animated Play button, in and out
// effects with windows, cropping and palette fades, page changes, chapter
// links, stream selection and an auto-action button; objects drawn from code.
TIGSc demoMenu();

// The clip information of a stream of sourcePackets packets that carries an
// IG menu on PID 0x1400 presented at inTime (90 kHz).
Bytes demoMenuClipInfo(std::uint32_t sourcePackets, std::uint32_t inTime);

// Writes bdmv/STREAM/00090.m2ts and bdmv/CLIPINF/00090.clpi.
void writeDemoMenuClip(const std::filesystem::path& bdmv);

}  // namespace navora
