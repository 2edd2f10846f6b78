#pragma once
// The menu clip of the demo disc: a stream that carries an Interactive
// Graphics menu made by Navora's own writer and multiplexer, with its clip
// information file.

#include "core/bytes.h"
#include "ig/model.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace navora {

// The clip's name: CLIPINF/00090.clpi and STREAM/00090.m2ts.
inline constexpr const char* kDemoMenuClip = "00090";

// Three pages (main, chapters, audio): an animated Play button, in and out
// effects with windows, cropping and palette fades, page changes, chapter
// links, stream selection and an auto-action button; objects drawn from code.
TIGSc demoMenu();

// The entry points of an IG stream, as players seek with them: the source
// packet and 90 kHz PTS of each PES start of the PID whose PTS comes after
// the previous entry's (the starts of its display sets).
struct DemoEntryPoint {
    std::uint32_t spn = 0;
    std::uint64_t pts = 0;  // 33 bits
};
std::vector<DemoEntryPoint> igEntryPoints(const Bytes& stream, std::uint16_t pid);

// The clip information of a stream that carries an IG menu on PID 0x1400
// presented at inTime (90 kHz), with an EP map of the IG PID's entry points.
Bytes demoMenuClipInfo(const Bytes& stream, std::uint32_t inTime);

// Writes bdmv/STREAM/00090.m2ts and bdmv/CLIPINF/00090.clpi.
void writeDemoMenuClip(const std::filesystem::path& bdmv);

}  // namespace navora
