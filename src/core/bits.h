#pragma once
// Bit-level fields: records whose syntax packs flags and narrow fields into
// bytes are read and written field by field, in file order, most significant
// bit first. Both sides sit on the byte reader and writer, so reads stay
// bounds-checked and the two can be mixed at byte boundaries.

#include "core/bytes.h"

#include <cstdint>

namespace navora {

class BitReader {
public:
    explicit BitReader(ByteReader& in) : in_(in) {}

    // Reads an n-bit field (1..32).
    std::uint32_t bits(unsigned n);
    // Reads a 64-bit-wide field (1..64), e.g. a 33-bit time stamp.
    std::uint64_t bits64(unsigned n);
    bool flag() { return bits(1) != 0; }
    // Skips n reserved bits.
    void skip(unsigned n);
    bool aligned() const { return left_ == 0; }
    // Throws a FormatError unless the record ended on a byte boundary.
    void expectAligned(const char* record) const;

private:
    ByteReader& in_;
    std::uint8_t byte_ = 0;
    unsigned left_ = 0;  // bits of byte_ not yet read
};

class BitWriter {
public:
    explicit BitWriter(ByteWriter& out) : out_(out) {}

    // Writes the low n bits (1..64) of v.
    void put(unsigned n, std::uint64_t v);
    void flag(bool on) { put(1, on ? 1 : 0); }
    // n zero bits (reserved).
    void zeros(unsigned n);
    bool aligned() const { return used_ == 0; }
    // Throws std::logic_error unless whole bytes were written: a writer that
    // ends a record mid-byte has a layout fault.
    void expectAligned(const char* record) const;

private:
    ByteWriter& out_;
    std::uint8_t byte_ = 0;
    unsigned used_ = 0;  // bits of byte_ already written
};

}  // namespace navora
