#include "core/bits.h"

#include <fmt/format.h>

#include <stdexcept>

namespace navora {

std::uint32_t BitReader::bits(unsigned n) { return static_cast<std::uint32_t>(bits64(n)); }

std::uint64_t BitReader::bits64(unsigned n) {
    std::uint64_t v = 0;
    while (n > 0) {
        if (left_ == 0) {
            byte_ = in_.readbyte();
            left_ = 8;
        }
        const unsigned take = n < left_ ? n : left_;
        const unsigned shift = left_ - take;
        v = (v << take) | ((byte_ >> shift) & ((1u << take) - 1));
        left_ -= take;
        n -= take;
    }
    return v;
}

void BitReader::skip(unsigned n) {
    while (n > 32) {
        bits(32);
        n -= 32;
    }
    if (n > 0) bits(n);
}

void BitReader::expectAligned(const char* record) const {
    if (!aligned()) in_.fail(fmt::format("{} does not end on a byte boundary", record));
}

void BitWriter::put(unsigned n, std::uint64_t v) {
    while (n > 0) {
        const unsigned room = 8 - used_;
        const unsigned take = n < room ? n : room;
        const auto part = static_cast<unsigned>((v >> (n - take)) & ((1u << take) - 1));
        byte_ = static_cast<std::uint8_t>(byte_ | (part << (room - take)));
        used_ += take;
        n -= take;
        if (used_ == 8) {
            out_.putbyte(byte_);
            byte_ = 0;
            used_ = 0;
        }
    }
}

void BitWriter::zeros(unsigned n) {
    while (n > 32) {
        put(32, 0);
        n -= 32;
    }
    if (n > 0) put(n, 0);
}

void BitWriter::expectAligned(const char* record) const {
    if (!aligned()) throw std::logic_error(fmt::format("{} written with {} stray bits", record, used_));
}

}  // namespace navora
