#include "clip/clipinfo_view.h"

#include "clip/clipinfo_io.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "core/log.h"

#include <fmt/format.h>

namespace navora {

std::vector<ProgramStreamRow> programStreamRows(const TCLPI& clip) {
    std::vector<ProgramStreamRow> rows;
    const auto& sequences = clip.ProgramInfo.program_sequences;
    if (sequences.empty()) return rows;
    for (const TProgramStream& s : sequences.back().streams)
        rows.push_back({s.stream_PID, fmt::format("{:04X}", s.stream_PID), codingTypeName(s.stream_coding_type),
                        streamDetails(s)});
    return rows;
}

std::optional<TCLPI> readClipInfoStep(Log& log, const std::filesystem::path& file, const std::string& displayName,
                                      Bytes* bytes) {
    log.dlog0("Reading [bl]" + displayName + "[/bl]");
    try {
        Bytes data = readDatabaseFile(file);
        TCLPI clip = readClipInfo(data, displayName);
        log.log2(programStreamsFoundText(clip));
        log.slogR();
        if (bytes) *bytes = std::move(data);
        return clip;
    } catch (const WrongTypeError&) {
        log.erlog("Invalid format: " + displayName);
    } catch (const std::exception& e) {
        log.erlog(e.what());
    }
    return std::nullopt;
}

}  // namespace navora
