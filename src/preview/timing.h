#pragma once
// Time in the preview: the animation period of a page, and the clock that
// effects and the whole activated sequence wait on. The editor's clock keeps
// its window responsive while it waits; tests and the command line use a
// clock they move themselves.

#include <cstdint>

namespace navora {

// One video frame as numerator / denominator seconds.
struct FramePeriod {
    std::uint32_t numerator = 1001;
    std::uint32_t denominator = 24000;
};

// The video frame of a frame_rate_id: 1 1001/24000, 2 1000/24000, 3
// 1000/25000, 4 1001/30000, 6 1000/50000, 7 1001/60000. The ids without one
// (0, 5, 8..15) count as 1001/24000, the frame of most Blu-ray menus, so
// that animations of such a menu still run at a sensible pace.
FramePeriod framePeriod(std::uint8_t frame_rate_id);
// Whether the id has a frame of its own.
bool hasFramePeriod(std::uint8_t frame_rate_id);

// animation_frame_rate_code video frames in whole milliseconds,
// numerator x code x 1000 / denominator (code 1 at 23.976 Hz is 41 ms);
// 0 for code 0, which never animates.
int animationPeriodMs(std::uint8_t frame_rate_id, std::uint8_t animation_frame_rate_code);

class PreviewClock {
public:
    virtual ~PreviewClock() = default;
    // Milliseconds since some start.
    virtual std::int64_t nowMs() const = 0;
    // Waits ms milliseconds.
    virtual void wait(std::int64_t ms) = 0;
};

// Real time; waits by sleeping.
class SteadyClock : public PreviewClock {
public:
    std::int64_t nowMs() const override;
    void wait(std::int64_t ms) override;
};

// A clock that moves only when told: wait() moves it at once.
class TestClock : public PreviewClock {
public:
    std::int64_t nowMs() const override { return now_; }
    void wait(std::int64_t ms) override {
        if (ms > 0) now_ += ms;
    }
    void set(std::int64_t ms) { now_ = ms; }
    void advance(std::int64_t ms) { wait(ms); }

private:
    std::int64_t now_ = 0;
};

}  // namespace navora
