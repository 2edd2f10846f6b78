#pragma once
// What the clip tab reads and shows: the read step with its log lines, and
// the rows of the program stream view (which Save PID names its file after).

#include "clip/clipinfo.h"
#include "core/bytes.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace navora {

class Log;

// A row of the program stream view: "PID" (4 hexadecimal digits), "Stream
// type" (the coding type's name), "Details".
struct ProgramStreamRow {
    std::uint16_t stream_PID = 0;
    std::string pid, type, details;

    bool operator==(const ProgramStreamRow&) const = default;
};

// The rows of the program stream view: the streams of the last program
// sequence (the view shows that one when there are several).
std::vector<ProgramStreamRow> programStreamRows(const TCLPI& clip);

// Reads a clip information file as the clip tab does: logs "Reading
// [bl]<displayName>[/bl]"; a wrong type or version (a version other than "0100", "0200" or "0300") is
// refused with erlog("Invalid format: " + displayName), any other failure is
// reported with erlog of its message; on success logs "[b]N[/b] Program
// stream(s) found." with a blank line after it and returns the status to
// "Ready.". Returns the model (and the file's bytes in *bytes when given),
// or nothing when the file was refused (then nothing else was touched).
std::optional<TCLPI> readClipInfoStep(Log& log, const std::filesystem::path& file, const std::string& displayName,
                                      Bytes* bytes = nullptr);

}  // namespace navora
