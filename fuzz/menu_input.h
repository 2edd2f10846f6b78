#pragma once
// The part of a fuzz input the menu targets read: the whole records of its
// first 64 KB. Larger seeds (a disc menu of a megabyte) still lend their
// first records, and no input costs more than a small menu does.

#include <cstddef>
#include <cstdint>
#include <span>

namespace navora::fuzz {

inline constexpr std::size_t kMaxMenuInput = 64u << 10;

inline std::span<const std::uint8_t> menuInput(const std::uint8_t* data, std::size_t size) {
    if (size <= kMaxMenuInput) return {data, size};
    // Records: a 10-byte header, the segment type and its 16-bit length, the segment.
    std::size_t end = 0;
    while (end + 13 <= kMaxMenuInput) {
        const std::size_t next = end + 13 + ((std::size_t{data[end + 11]} << 8) | data[end + 12]);
        if (next > kMaxMenuInput) break;
        end = next;
    }
    return {data, end == 0 ? kMaxMenuInput : end};
}

}  // namespace navora::fuzz
