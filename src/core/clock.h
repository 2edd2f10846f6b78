#pragma once
// The 90 kHz clock of PTS, DTS and menu times, and its conversions.

#include <cstdint>

namespace navora {

inline constexpr std::uint64_t kTicks90kPerSecond = 90000;

constexpr std::uint64_t ticks90kToMs(std::uint64_t ticks) { return ticks / (kTicks90kPerSecond / 1000); }
constexpr std::uint64_t secondsTo90k(std::uint64_t seconds) { return seconds * kTicks90kPerSecond; }

}  // namespace navora
