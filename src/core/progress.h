#pragma once
// Progress and cancel of one long operation (a stream export, a menu parse),
// passed in by the caller: the engine keeps no global flag, so the window,
// the command line and the tests each drive a run through their own token.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace navora {

class Log;

// Where a run stands.
struct Progress {
    std::uint64_t done = 0;   // units done (source packets for a stream export)
    std::uint64_t total = 0;  // units in the input; 0 when unknown
    std::chrono::milliseconds elapsed{0};

    // done × 100 ÷ total (integer division); 0 when the total is unknown.
    int percent() const;
    // elapsed × total ÷ done − elapsed + 1 second; zero while nothing is done
    // or the total is unknown.
    std::chrono::milliseconds remaining() const;
};

// A duration as "h:mm:ss": hours without a leading zero, whole seconds.
std::string hmmss(std::chrono::milliseconds t);

// "Packet: " + done + "/" + total + "   Elapsed: " + h:mm:ss + "   Remaining: " + h:mm:ss.
std::string progressLine(const Progress& p);

// Shows the progress line in status panel 1 and the bar at its percentage.
void showProgress(Log& log, const Progress& p);

// The caller's handle on a run. cancel() may be called from any thread or
// from inside a callback; the run sees it at its next cancel point.
class CancelToken {
public:
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    void reset() { cancelled_.store(false, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    // Called at every step boundary of the run (a stream export calls it once
    // per block of packets): a window processes its pending events here, and
    // a click on Cancel lands in cancel().
    std::function<void()> poll;
    // Called whenever the run reports its progress.
    std::function<void(const Progress&)> progress;

private:
    std::atomic<bool> cancelled_{false};
};

// A poll for a run driven from the log's window: the window handles its
// pending events (a click on Cancel raises log.cancelFlag, which becomes
// token.cancel()). The events are looked at on the first call and then at
// most every 5 ms: a fast export polls tens of thousands of times a second,
// and handling events at each would cost it a tenth of its speed.
std::function<void()> windowPoll(Log& log, CancelToken& token);

}  // namespace navora
