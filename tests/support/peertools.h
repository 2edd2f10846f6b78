#pragma once
// Independent tools the tests compare Navora with: ffmpeg and ffprobe.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace navora::test {

// "<name> not found on PATH" when the program is missing, nothing otherwise.
std::optional<std::string> toolMissing(const std::string& name);

// Runs a program with its arguments (each quoted for the shell); stdout is
// returned, stderr dropped. exitCode -1 when it did not exit normally.
struct ToolResult {
    int exitCode = -1;
    std::string out;
};
ToolResult runTool(const std::vector<std::string>& args);

// The elementary streams ffprobe reports for a transport stream or SUP file.
struct ProbedStream {
    std::uint16_t pid = 0;  // 0 when the container has no PIDs
    std::string codec;      // codec_name, e.g. "ac3", "hdmv_pgs_subtitle"
    std::string type;       // codec_type, e.g. "audio"
    std::uint64_t packets = 0;  // packets read (with countPackets)
};
std::vector<ProbedStream> ffprobeStreams(const std::filesystem::path& file, bool countPackets = false);

}  // namespace navora::test

// Skips the calling test when a peer tool is missing, or fails it when the
// corpus is required (CI installs the tools with scripts/deps.sh).
#define NAVORA_NEED_TOOL(name)                                                      \
    do {                                                                            \
        if (const auto navoraMissing = ::navora::test::toolMissing(name)) {         \
            if (::navora::test::corpusRequired()) FAIL() << *navoraMissing;         \
            GTEST_SKIP() << *navoraMissing;                                         \
        }                                                                           \
    } while (0)
