#include "core/bytes.h"

#include "core/errors.h"

#include <fmt/format.h>

namespace navora {

FormatError::FormatError(std::string file, std::uint64_t offset, const std::string& what)
    : std::runtime_error(fmt::format("{}: at offset {} (${:08X}): {}", file.empty() ? "<buffer>" : file,
                                     offset, offset, what)),
      file_(std::move(file)),
      offset_(offset),
      reason_(what) {}

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::string name)
    : data_(data), name_(std::move(name)) {}

void ByteReader::fail(const std::string& reason) const { throw FormatError(name_, pos_, reason); }

void ByteReader::need(std::size_t n, const char* what) const {
    if (n > remaining())
        fail(fmt::format("unexpected end of file reading {} ({} bytes needed, {} left)", what, n, remaining()));
}

std::uint8_t ByteReader::readbyte() {
    need(1, "an 8-bit field");
    return data_[pos_++];
}

std::uint16_t ByteReader::readword() {
    need(2, "a 16-bit field");
    std::uint16_t v = static_cast<std::uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return v;
}

std::uint32_t ByteReader::read3byte() {
    need(3, "a 24-bit field");
    std::uint32_t v = (std::uint32_t{data_[pos_]} << 16) | (std::uint32_t{data_[pos_ + 1]} << 8) | data_[pos_ + 2];
    pos_ += 3;
    return v;
}

std::uint32_t ByteReader::readlword() {
    need(4, "a 32-bit field");
    std::uint32_t v = (std::uint32_t{data_[pos_]} << 24) | (std::uint32_t{data_[pos_ + 1]} << 16) |
                      (std::uint32_t{data_[pos_ + 2]} << 8) | data_[pos_ + 3];
    pos_ += 4;
    return v;
}

std::uint64_t ByteReader::read5byte() {
    need(5, "a 40-bit field");
    std::uint64_t v = 0;
    for (int i = 0; i < 5; ++i) v = (v << 8) | data_[pos_ + i];
    pos_ += 5;
    return v;
}

std::string ByteReader::readstring(std::size_t n) {
    need(n, "a text field");
    std::string s;
    for (std::size_t i = 0; i < n && data_[pos_ + i] != 0; ++i) s.push_back(static_cast<char>(data_[pos_ + i]));
    pos_ += n;
    return s;
}

Bytes ByteReader::readbytes(std::size_t n) {
    need(n, "a byte block");
    Bytes b(data_.begin() + static_cast<std::ptrdiff_t>(pos_), data_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    return b;
}

void ByteReader::skip(std::size_t n) {
    need(n, "reserved bytes");
    pos_ += n;
}

void ByteReader::checkCount(std::uint64_t count, std::size_t minSize, const char* what) const {
    if (minSize != 0 && count > remaining() / minSize)
        fail(fmt::format("{} {} cannot fit in the {} bytes left (at least {} bytes each)", count, what, remaining(),
                         minSize));
}

void ByteReader::seek(std::size_t offset) {
    if (offset > data_.size())
        fail(fmt::format("start address ${:08X} lies beyond the end of the file ({} bytes)", offset, data_.size()));
    pos_ = offset;
}

TypeAndVersion readTypeAndVersion(ByteReader& in, std::string_view type, Versions versions) {
    TypeAndVersion tv;
    tv.type = in.readstring(4);
    tv.version = in.readstring(4);
    if (tv.type != type)
        throw WrongTypeError(in.name(), in.pos(),
                             fmt::format("type indicator \"{}\" is not \"{}\"", printableText(tv.type), type));
    const bool uhd = versions == Versions::BDAndUHD;
    if (tv.version != "0100" && tv.version != "0200" && !(uhd && tv.version == kUhdVersion))
        throw WrongTypeError(in.name(), in.pos(),
                             fmt::format("version \"{}\" is not supported ({})", printableText(tv.version),
                                         uhd ? "\"0100\", \"0200\" or \"0300\"" : "\"0100\" or \"0200\""));
    return tv;
}

std::string printableText(std::string_view s) {
    std::string out;
    for (unsigned char c : s)
        out += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : fmt::format("\\x{:02X}", c);
    return out;
}

void ByteWriter::putword(std::uint16_t v) {
    buf_.push_back(static_cast<std::uint8_t>(v >> 8));
    buf_.push_back(static_cast<std::uint8_t>(v));
}

void ByteWriter::put3byte(std::uint32_t v) {
    for (int s = 16; s >= 0; s -= 8) buf_.push_back(static_cast<std::uint8_t>(v >> s));
}

void ByteWriter::putlword(std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) buf_.push_back(static_cast<std::uint8_t>(v >> s));
}

void ByteWriter::put5byte(std::uint64_t v) {
    for (int s = 32; s >= 0; s -= 8) buf_.push_back(static_cast<std::uint8_t>(v >> s));
}

void ByteWriter::putstring(std::string_view text, std::size_t width) {
    std::size_t n = std::min(text.size(), width);
    buf_.insert(buf_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    buf_.insert(buf_.end(), width - n, 0);
}

void ByteWriter::putbytes(std::span<const std::uint8_t> bytes) { buf_.insert(buf_.end(), bytes.begin(), bytes.end()); }

void ByteWriter::patchlword(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) buf_.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::uint32_t parseLenientHex(std::string_view text) {
    std::uint32_t v = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d >= 0) v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

}  // namespace navora
