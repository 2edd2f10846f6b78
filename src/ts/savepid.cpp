#include "ts/savepid.h"

#include "core/errors.h"
#include "core/log.h"
#include "ts/sourcepacket.h"

#include <fmt/format.h>

namespace navora {

SavePidChoice savePidChoice(std::uint16_t pid, const DemuxOptions& options) {
    SavePidChoice c;
    if (pid == kPrimaryVideoPid) {
        c.extension = "vis";
    } else {
        switch (pid >> 8) {
        case 0x11: c.extension = "aus"; break;
        case 0x1B: c.extension = "svs"; break;
        case 0x1A: c.extension = "sas"; break;
        case 0x12: c.extension = "pgs"; break;
        case 0x14: c.extension = "igs"; break;
        case 0x18: c.extension = "txs"; break;
        default: break;
        }
    }
    if (options.savePES) {
        c.extension = "PES." + c.extension;
        c.form = DemuxForm::Pes;
    }
    if (isPgPid(pid) && options.saveSUP) {
        c.form = DemuxForm::Sup;
        c.extension = "sup";
    } else if (isIgPid(pid) && options.saveMNU && !options.savePES) {
        c.form = DemuxForm::Menu;
        c.extension = "mnu";
    }
    return c;
}

std::string savePidFileName(std::string_view clip, std::string_view pidCell, std::string_view typeCell,
                            std::string_view detailsCell, std::string_view extension) {
    std::string x;
    for (const char c : fmt::format("{}_{}_{}", pidCell, typeCell, detailsCell)) {
        if (c == ',') continue;
        x += c == ' ' || c == ':' ? '_' : c;
    }
    return fmt::format("{}_PID{}.{}", clip, x, extension);
}

std::uint16_t pidFromText(std::string_view text) {
    unsigned v = 0;
    for (const char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d >= 0) v = (v << 4 | static_cast<unsigned>(d)) & 0xFFFF;
    }
    return static_cast<std::uint16_t>(v);
}

bool menuLoadEnabled(std::string_view pidText, std::uint64_t streamFileSize) {
    return streamFileSize > 0 && isIgPid(pidFromText(pidText));
}

std::string savedPacketsLine(std::uint64_t savedPackets, std::chrono::milliseconds elapsed) {
    return fmt::format("{} source packets saved. ({})", savedPackets, hmmss(elapsed));
}

namespace {

// Lends the log's progress line and its Cancel button to a run whose caller
// gave no handlers of its own, and takes them back afterwards.
class LentHandlers {
public:
    LentHandlers(Log& log, CancelToken& token) : token_(token) {
        if (!token.progress) {
            token.progress = [&log](const Progress& p) { showProgress(log, p); };
            progress_ = true;
        }
        if (!token.poll) {
            token.poll = windowPoll(log, token);
            poll_ = true;
        }
    }
    ~LentHandlers() {
        if (progress_) token_.progress = nullptr;
        if (poll_) token_.poll = nullptr;
    }
    LentHandlers(const LentHandlers&) = delete;
    LentHandlers& operator=(const LentHandlers&) = delete;

private:
    CancelToken& token_;
    bool progress_ = false;
    bool poll_ = false;
};

}  // namespace

SavePidOutcome savePid(Log& log, const std::filesystem::path& stream, const std::filesystem::path& output,
                       std::uint16_t pid, DemuxForm form, CancelToken& token) {
    log.cancelConfirm = true;  // from now on Cancel asks "Are you sure to stop?"
    log.PrBarOn();
    log.log("");
    log.dlog0("Saving " + output.string() + " ...");
    SavePidOutcome o;
    {
        LentHandlers lent(log, token);
        try {
            o.result = demuxToFile(stream, output, DemuxJob{pid, form, &token, &log});
        } catch (const IoError& e) {
            log.PrBarOff();
            log.erlog(e.what());
            return o;
        }
    }
    log.PrBarOff();
    // Each problem of the input stands in the log as a warning.
    for (const std::string& line : demuxProblems(o.result)) log.log("[re]WARNING:[/re] " + line);
    if (o.result.cancelled) {
        log.log("Saving cancelled.");
        return o;
    }
    if (!o.result.saved) {
        log.erlog(nothingSavedLine(stream, pid, o.result));
        return o;
    }
    o.saved = true;
    log.slogR();
    // A damaged stream was saved in part: the status bar says so too.
    if (o.result.damaged())
        log.slog("Saved; damaged parts of the stream were skipped (see the log).", 0);
    log.log(savedPacketsLine(o.result.savedPackets, o.result.elapsed));
    return o;
}

}  // namespace navora
