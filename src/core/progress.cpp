#include "core/progress.h"

#include "core/log.h"

#include <fmt/format.h>

namespace navora {

int Progress::percent() const {
    if (total == 0) return 0;
    return static_cast<int>(done * 100 / total);
}

std::chrono::milliseconds Progress::remaining() const {
    if (done == 0 || total == 0) return std::chrono::milliseconds{0};
    const auto ms = static_cast<long double>(elapsed.count());
    const auto all = ms * static_cast<long double>(total) / static_cast<long double>(done);
    return std::chrono::milliseconds{static_cast<std::int64_t>(all - ms)} + std::chrono::seconds{1};
}

std::string hmmss(std::chrono::milliseconds t) {
    const std::int64_t s = t.count() < 0 ? 0 : t.count() / 1000;
    return fmt::format("{}:{:02}:{:02}", s / 3600, s / 60 % 60, s % 60);
}

std::string progressLine(const Progress& p) {
    return fmt::format("Packet: {}/{}   Elapsed: {}   Remaining: {}", p.done, p.total, hmmss(p.elapsed),
                       hmmss(p.remaining()));
}

void showProgress(Log& log, const Progress& p) {
    log.slog(progressLine(p), 1);
    log.progress(p.percent());
}

std::function<void()> windowPoll(Log& log, CancelToken& token) {
    using Clock = std::chrono::steady_clock;
    return [&log, &token, last = Clock::time_point{}]() mutable {
        const Clock::time_point now = Clock::now();
        if (log.view() && (last == Clock::time_point{} || now - last >= std::chrono::milliseconds(5))) {
            last = now;
            log.view()->processEvents();
        }
        if (log.cancelFlag) token.cancel();
    };
}

}  // namespace navora
