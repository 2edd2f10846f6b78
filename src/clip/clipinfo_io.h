#pragma once
// Reading clip information files, the source-packet check and its in-place
// correction, and the texts the clip tab shows for the model's codes.

#include "clip/clipinfo.h"
#include "core/bytes.h"
#include "core/errors.h"
#include "core/streamcoding.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace navora {

// File offset of ClipInfo's number_of_source_packets: ClipInfo starts right
// after the 40-byte header and the count is its fifth field.
constexpr std::size_t kSourcePacketsOffset = 56;
// Bytes per source packet of a stream file.
constexpr std::uint64_t kSourcePacketSize = 192;

// Parses a clip information file. name is used in error messages.
//
// Throws WrongTypeError (offset 8) when the type indicator is not "HDMV" or
// the version not "0100", "0200" or "0300". Throws FormatError naming the offset when the
// file is cut short, a start address points outside the file or into the
// header, a StreamCodingInfo is shorter than its coding type's fields, or a
// CPI section is inconsistent: an EP map entry table, a per-PID map or its
// coarse and fine tables running past the end of the CPI section, or a fine
// table that starts inside the coarse table. A StreamCodingInfo of an unknown
// coding type is skipped by its length byte.
TCLPI readClipInfo(std::span<const std::uint8_t> data, const std::string& name);

// The packet count of a stream file of streamSize bytes (size div 192) when it
// differs from the clip's number_of_source_packets; nothing when they agree
// or when the stream file is missing or empty (size 0).
std::optional<std::uint64_t> sourcePacketMismatch(const TCLPI& clip, std::uint64_t streamSize);

// The question asked before the correction: "The m2ts file contains 1,234
// packets." + line break + "Do you want to correct the packet value of
// ClipInfo?".
std::string sourcePacketQuestion(std::uint64_t count, char thousandsSeparator = ',');

// The file bytes with number_of_source_packets set to count: only bytes 56-59
// differ. Throws FormatError when data is too short to hold the field.
Bytes patchSourcePackets(std::span<const std::uint8_t> data, std::uint32_t count, const std::string& name = {});

// Corrects the packet count of the clip information file in place: reads the
// file, checks that it still reads as a clip information file, changes bytes
// 56-59 to count, saves atomically and then stores count in clip. Throws
// std::out_of_range for a count above 32 bits (nothing is written), IoError
// when the file cannot be read or saved, and FormatError / WrongTypeError when
// the file no longer reads; clip is unchanged in every failure.
void correctSourcePackets(TCLPI& clip, const std::filesystem::path& file, std::uint64_t count);

// Texts of the clip tab; the names of the stream codes are in core/streamcoding.h.
std::string aspectRatioName(std::uint8_t aspect_ratio);       // "4:3" for 2, else "16:9"
std::string applicationTypeName(std::uint8_t application_type);  // "Main TS for a Movie", ...; empty above 7
// The details column of a program stream row: video format, frame rate and
// aspect ratio (HEVC also dynamic range, colour space and "HDR10+" when its
// flag is set); audio presentation type, frequency and language; PG/IG
// language; text subtitle character code and language; empty otherwise.
std::string streamDetails(const TProgramStream& stream);
// A 45 kHz time as the time of day "h:mm:ss.zzz" (hours wrap at 24).
std::string clipTimeText(std::uint32_t ticks45k);
// "[b]N[/b] Program stream(s) found." with N the streams of the first program sequence.
std::string programStreamsFoundText(const TCLPI& clip);

}  // namespace navora
