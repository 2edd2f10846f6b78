#pragma once
// The transport stream demultiplexer: copies the packets of one PID out of a
// clip's stream file (.m2ts) as an elementary stream, a PES stream, a SUP
// file (Presentation Graphics) or a .mnu file (Interactive Graphics).
//
// Stream files are read in chunks, on the caller's thread and, where there
// are other processor cores, on helper threads that read ahead on them; the
// scan takes the chunks in file order on the caller's thread. The output
// goes through a few buffers, written on the caller's thread or, where a
// core is to spare, by a writer thread while the scan goes on. Memory stays
// flat whatever the stream size, and the caller's callbacks all run on the
// caller's thread. A sync byte other than 0x47 loses the packet grid: the
// run skips byte by byte to the next source packet whose sync bytes line up
// again and reports the range it skipped.

#include "core/bytes.h"
#include "core/progress.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace navora {

class Log;

enum class DemuxForm {
    Elementary,  // the PES payloads only
    Pes,         // every transport payload of the PID, PES headers included
    Sup,         // per PES packet: a "PG" record header, then its payload
    Menu,        // per PES packet: an "IG" record header, then its payload (.mnu)
};

// Source packets per block: the unit at whose end a run polls its token and
// honours a cancel.
inline constexpr std::uint64_t kDemuxBlockPackets = 341;
// The run reports its progress whenever its packet counter is a multiple of this.
inline constexpr std::uint64_t kDemuxProgressPackets = 32768;

struct DemuxJob {
    std::uint16_t pid = 0;
    DemuxForm form = DemuxForm::Elementary;
    // Cancel, per-block poll and progress; may be null.
    CancelToken* token = nullptr;
    // Receives one line per PES packet with a time stamp in the SUP and .mnu
    // forms; may be null.
    Log* log = nullptr;
    // Threads that read a stream file beside the caller's: -1, as the
    // processor cores allow (none on one core, else two or three); tests set
    // it to reach every way. With two or more, a file export also writes on
    // a thread of its own.
    int readers = -1;
};

struct DemuxResult {
    std::uint64_t packets = 0;       // source packets examined
    std::uint64_t savedPackets = 0;  // source packets of the PID
    std::uint64_t bytesWritten = 0;
    bool cancelled = false;          // the token was cancelled: the output is incomplete
    std::chrono::milliseconds elapsed{0};

    bool saved = false;              // demuxToFile: the output file was written

    // Problems of the input. Offsets are byte offsets in the stream file; at
    // most kMaxReportedRanges are kept of each kind.
    struct Range {
        std::uint64_t offset = 0;
        std::uint64_t bytes = 0;
        bool toEnd = false;  // no source packets line up again before the end of the stream
        bool operator==(const Range&) const = default;
    };
    // Bytes skipped from a sync byte other than 0x47 up to the next source
    // packet whose sync bytes line up with those of the packets after it.
    std::uint64_t skippedRanges = 0;
    std::uint64_t skippedBytes = 0;
    std::vector<Range> skipped;
    std::uint64_t cutPesHeaders = 0;           // PES packets skipped: header not inside its first packet
    std::vector<std::uint64_t> cutPesOffsets;   // offset of the source packet
    std::uint64_t trailingBytes = 0;           // bytes after the last whole source packet (not read)
    std::uint64_t trailingOffset = 0;

    // Anything of the input was skipped.
    bool damaged() const { return skippedRanges > 0 || cutPesHeaders > 0 || trailingBytes > 0; }

    static constexpr std::size_t kMaxReportedRanges = 100;
};

// The log lines that report a run's input problems (empty when there were none).
std::vector<std::string> demuxProblems(const DemuxResult& r);

// Why a run of pid over stream wrote nothing: no source packets at all, none
// of the PID, or none that completes a PES packet.
std::string nothingSavedLine(const std::filesystem::path& stream, std::uint16_t pid, const DemuxResult& r);

// Demultiplexes a stream held in memory (a partial last packet included)
// into out, which it replaces.
DemuxResult demuxBuffer(std::span<const std::uint8_t> stream, Bytes& out, const DemuxJob& job);

// Demultiplexes a stream file into out, which it replaces. Throws IoError
// when the file cannot be opened or read.
DemuxResult demuxToMemory(const std::filesystem::path& stream, Bytes& out, const DemuxJob& job);

// Demultiplexes a stream file into the file output. The bytes go to a
// temporary file beside output, which replaces output only when the run
// completes and wrote something (saved): after a cancel, a failure or a run
// that found nothing, output is as it was before (absent, or the previous
// file). Leftover temporary files of output from runs that were killed are
// removed first. Only regular files are read. Throws IoError when a file
// cannot be opened, read, written or renamed.
DemuxResult demuxToFile(const std::filesystem::path& stream, const std::filesystem::path& output,
                        const DemuxJob& job);

// The temporary menu file of the menu loader: "Navora_MENU.tmp" in the
// system's temporary folder.
std::filesystem::path menuTempFile();

// The menu loader's extraction: the IG stream of pid in the .mnu form, into
// memory (mnu is replaced).
DemuxResult demuxMenu(const std::filesystem::path& stream, std::uint16_t pid, Bytes& mnu, CancelToken* token = nullptr,
                      Log* log = nullptr);

// The same into menuTempFile(), which is replaced only by a complete run.
DemuxResult demuxMenuToTempFile(const std::filesystem::path& stream, std::uint16_t pid, CancelToken* token = nullptr,
                                Log* log = nullptr);

// The per-PES log line of the SUP and .mnu forms: "000359D0, 00000000 :
// 0:00:02.440, 0:00:00.000   18   0A1B2C3D" (PTS and DTS in hex and as times,
// the segment type, the TP_extra_header). segmentType < 0 prints "--" (the
// payload starts in the next packet).
std::string pesLogLine(std::uint32_t pts, std::uint32_t dts, int segmentType, const std::uint8_t* tpExtraHeader);

// A 90 kHz time as "h:mm:ss.zzz".
std::string pesTimeText(std::uint32_t ticks90k);

}  // namespace navora
