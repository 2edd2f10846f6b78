#pragma once
// The 12-byte HDMV navigation command: opcode word, destination operand word,
// source operand word, each stored big-endian.

#include <array>
#include <cstdint>
#include <vector>

namespace navora {

struct TCommand {
    std::array<std::uint32_t, 3> w{};  // w[0] opcode, w[1] destination, w[2] source

    std::uint32_t opcode() const { return w[0]; }
    bool operator==(const TCommand&) const = default;
};

using TCommands = std::vector<TCommand>;

}  // namespace navora
