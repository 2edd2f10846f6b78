#include "preview/timing.h"

#include <chrono>
#include <thread>

namespace navora {

namespace {

constexpr FramePeriod kPeriods[16] = {
    {1001, 24000}, {1001, 24000}, {1000, 24000}, {1000, 25000}, {1001, 30000}, {1001, 24000}, {1000, 50000}, {1001, 60000},
    {1001, 24000}, {1001, 24000}, {1001, 24000}, {1001, 24000}, {1001, 24000}, {1001, 24000}, {1001, 24000}, {1001, 24000},
};

}  // namespace

FramePeriod framePeriod(std::uint8_t id) { return kPeriods[id & 15]; }

bool hasFramePeriod(std::uint8_t id) { return (id >= 1 && id <= 4) || id == 6 || id == 7; }

int animationPeriodMs(std::uint8_t id, std::uint8_t code) {
    const FramePeriod f = framePeriod(hasFramePeriod(id) ? id : 1);
    return static_cast<int>(std::uint64_t{f.numerator} * code * 1000 / f.denominator);
}

std::int64_t SteadyClock::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::wait(std::int64_t ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace navora
