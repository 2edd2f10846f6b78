#pragma once
// The program map of a BDAV transport stream: which PIDs carry which
// stream_type, read from the PAT and PMT sections near the start of the file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace navora {

// stream_type of Interactive Graphics streams.
inline constexpr std::uint8_t kIgStreamType = 0x91;

struct ProgramStream {
    std::uint16_t pid = 0;
    std::uint8_t stream_type = 0;

    bool operator==(const ProgramStream&) const = default;
};

// The elementary streams of the first PMT found in the source packets given
// (whole 192-byte packets). Sections must fit in one packet, as in BDAV
// streams; a malformed table is skipped. Empty when no PMT was found.
std::vector<ProgramStream> readProgramMap(std::span<const std::uint8_t> packets);

// The same from the start of a stream file, reading at most maxBytes.
std::vector<ProgramStream> readProgramMap(const std::filesystem::path& stream, std::size_t maxBytes = 4u << 20);

// The first PID of the given stream_type (0x91 Interactive Graphics).
std::optional<std::uint16_t> firstPidOfType(const std::vector<ProgramStream>& map, std::uint8_t streamType);

}  // namespace navora
