#pragma once
// Numbers as the readouts and questions show them.

#include <cstdint>
#include <string>

namespace navora {

// v in decimal with sep between groups of three digits: 1234567 -> "1,234,567".
inline std::string groupThousands(std::uint64_t v, char sep) {
    const std::string digits = std::to_string(v);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += sep;
        out += digits[i];
    }
    return out;
}

}  // namespace navora
