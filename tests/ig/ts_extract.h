#pragma once
// Test-only: the PES packets of one PID of a BDAV stream (192-byte source
// packets) as .mnu records ("IG", PTS, DTS, PES payload), so that muxed
// menus and the corpus streams can be loaded back.

#include "core/bytes.h"

#include <cstdint>
#include <span>

namespace navora::test {

Bytes extractMnu(std::span<const std::uint8_t> ts, std::uint16_t pid);

}  // namespace navora::test
