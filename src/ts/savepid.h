#pragma once
// Save PID: the output form and file name chosen for a PID by the demux
// options, and the run with its log messages. Also the PID rule of the menu
// loader ("-> M&enu").

#include "core/progress.h"
#include "ts/demux.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace navora {

class Log;

// The three demux switches of the Options tab.
struct DemuxOptions {
    bool savePES = false;  // "Save PES stream (not elementary)"
    bool saveSUP = true;   // "Save SUP if PG stream"
    bool saveMNU = true;   // "Save MNU if IG stream"

    bool operator==(const DemuxOptions&) const = default;
};

// PG streams are PIDs 0x1200-0x12FF, IG streams 0x1400-0x14FF.
constexpr bool isPgPid(std::uint16_t pid) { return (pid >> 8) == 0x12; }
constexpr bool isIgPid(std::uint16_t pid) { return (pid >> 8) == 0x14; }

struct SavePidChoice {
    DemuxForm form = DemuxForm::Elementary;
    std::string extension;  // without the dot; may be empty

    bool operator==(const SavePidChoice&) const = default;
};

// The output form and extension of Save PID: "vis" for 0x1011, else by the
// PID's high byte "aus" (0x11), "svs" (0x1B), "sas" (0x1A), "pgs" (0x12),
// "igs" (0x14), "txs" (0x18), empty for any other; "PES." before it when
// savePES is on. A PG PID with saveSUP is written as "sup" (SUP wins over
// PES); an IG PID with saveMNU and not savePES as "mnu" (PES wins over MNU).
SavePidChoice savePidChoice(std::uint16_t pid, const DemuxOptions& options);

// The output file name (without folder): clip + "_PID" + the cells "PID",
// "Stream type" and "Details" joined by "_", with blanks turned into "_",
// commas removed and colons turned into "_", then "." + extension. Example:
// "00001", "1011", "AVC", "1080i, 29.97, 16:9", "vis" gives
// "00001_PID1011_AVC_1080i_29.97_16_9.vis".
std::string savePidFileName(std::string_view clip, std::string_view pidCell, std::string_view typeCell,
                            std::string_view detailsCell, std::string_view extension);

// A PID typed or shown as hexadecimal text: every hexadecimal digit counts,
// any other character is skipped; only the last four digits are kept.
std::uint16_t pidFromText(std::string_view text);

// Whether "-> M&enu" may load the menu of the program stream row whose PID
// cell is pidText: the stream file is there and not empty, and the PID is an
// IG PID (0x1400-0x14FF).
bool menuLoadEnabled(std::string_view pidText, std::uint64_t streamFileSize);

// "N source packets saved. (h:mm:ss)"
std::string savedPacketsLine(std::uint64_t savedPackets, std::chrono::milliseconds elapsed);

struct SavePidOutcome {
    bool saved = false;  // the output file was written
    DemuxResult result;  // result.damaged(): parts of the input were skipped
};

// Runs Save PID: sets the log's cancel confirmation flag and shows its
// progress bar (clearing its cancel flag), logs an empty line and "Saving
// <output> ..." (status panel 0), demultiplexes the PID of stream into output
// (see demuxToFile), hides the bar, then logs "Saving cancelled." or returns
// the status to "Ready." and logs the saved-packet line. Problems of the
// input follow the run as warning lines (each skipped range with its
// offset); a file that cannot be read or written, and a run that found
// nothing to save (no file is written then), are reported with erlog. Handlers the token lacks are lent for the run:
// progress goes to the log's progress line and bar, and each block lets the
// log's view process its events and turns the log's cancel flag (its Cancel
// button) into a cancel of the token.
SavePidOutcome savePid(Log& log, const std::filesystem::path& stream, const std::filesystem::path& output,
                       std::uint16_t pid, DemuxForm form, CancelToken& token);

}  // namespace navora
